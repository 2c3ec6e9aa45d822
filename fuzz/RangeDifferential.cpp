#include "fuzz/RangeDifferential.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "index/functions/ValueConventions.h"

namespace {

// Drawing calls take at most this many value arguments.
constexpr int kMaxDrawArgs = 8;

std::string Describe(const char* szWhat, int nLine, int nArg, int nBar, bool bBarByBar,
                     double dBarByBar, bool bColumns, double dColumns) {
    char szText[256];
    std::snprintf(szText, sizeof szText,
                  "%s line %d arg %d bar %d: bar by bar %s %016llx (%.17g), columns %s %016llx "
                  "(%.17g)",
                  szWhat, nLine, nArg, nBar, bBarByBar ? "ok" : "refused",
                  static_cast<unsigned long long>(ValueBits(dBarByBar)), dBarByBar,
                  bColumns ? "ok" : "refused", static_cast<unsigned long long>(ValueBits(dColumns)),
                  dColumns);
    return szText;
}

}  // namespace

CRangeDifferential::CRangeDifferential(IIndexParser* pParser, IIndexDataSource* pSource)
    : m_pParser(pParser), m_pSource(pSource) {
    m_barByBar.SetRangeMinBars(INT_MAX);
    m_columns.SetRangeMinBars(0);
    for (CIndexCalculator* pCalculator : {&m_barByBar, &m_columns}) {
        pCalculator->SetIndexParser(pParser);
        pCalculator->SetDataSource(pSource);
    }
}

void CRangeDifferential::Calculate(int nFrom, int nTo, bool bForce) {
    // RAND draws from the C library's one generator: both calculators start from the
    // same point of its sequence, so that they draw the same numbers in the same order.
    const unsigned nSeed = static_cast<unsigned>(std::rand());
    std::srand(nSeed);
    m_barByBar.Calculate(nFrom, nTo, bForce);
    std::srand(nSeed);
    m_columns.Calculate(nFrom, nTo, bForce);
}

void CRangeDifferential::Rebind() {
    m_barByBar.SetDataSource(m_pSource);
    m_columns.SetDataSource(m_pSource);
}

std::string CRangeDifferential::Compare() {
    m_barByBar.UpdateDisplayData();
    m_columns.UpdateDisplayData();
    int arrRange[2][2] = {{0, 0}, {0, 0}};
    m_barByBar.GetCalculatedRange(&arrRange[0][0], &arrRange[0][1]);
    m_columns.GetCalculatedRange(&arrRange[1][0], &arrRange[1][1]);
    if (std::memcmp(arrRange[0], arrRange[1], sizeof arrRange[0]) != 0) {
        return "calculated ranges differ";
    }
    int nLines = 0;
    m_pParser->GetDrawStatementCount(&nLines);
    int nBars = 0;
    m_pSource->GetBarCount(&nBars);
    for (int nLine = 0; nLine < nLines; ++nLine) {
        for (int nBar = 0; nBar < nBars; ++nBar) {
            double dBarByBar = 0.0;
            double dColumns = 0.0;
            const bool bBarByBar = m_barByBar.GetValue(nLine, nBar, &dBarByBar);
            const bool bColumns = m_columns.GetValue(nLine, nBar, &dColumns);
            if (bBarByBar != bColumns ||
                (bBarByBar && ValueBits(dBarByBar) != ValueBits(dColumns))) {
                return Describe("value", nLine, -1, nBar, bBarByBar, dBarByBar, bColumns, dColumns);
            }
            for (int nArg = 0; nArg < kMaxDrawArgs; ++nArg) {
                dBarByBar = dColumns = 0.0;
                const bool bArgBarByBar = m_barByBar.GetDrawArgValue(nLine, nArg, nBar, &dBarByBar);
                const bool bArgColumns = m_columns.GetDrawArgValue(nLine, nArg, nBar, &dColumns);
                if (bArgBarByBar != bArgColumns ||
                    (bArgBarByBar && ValueBits(dBarByBar) != ValueBits(dColumns))) {
                    return Describe("draw argument", nLine, nArg, nBar, bArgBarByBar, dBarByBar,
                                    bArgColumns, dColumns);
                }
            }
        }
    }
    return {};
}
