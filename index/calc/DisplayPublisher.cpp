// Publishing calculated ranges to the display store, and the readers of single
// series. Readers see the display store once anything was published; before that,
// the working store (nothing can be mid-calculation there while they hold both
// locks).
#include <algorithm>

#include "IIndexDataSource.h"
#include "index/calc/CIndexCalculator.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/compiler/CompiledFormula.h"
#include "index/compiler/FunctionTable.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// The argument position of the value series of the statements that are one output
// line drawn as a curve, circles or columns; 0 for every other drawing statement.
int OutputValuePosition(int64_t nFunctionId) {
    switch (nFunctionId) {
        case DrawFunctionId::CurveLine:
            return 1;
        case DrawFunctionId::Circular:
            return 2;
        case DrawFunctionId::Column:
            return 3;
        default:
            return 0;
    }
}

}  // namespace

bool CIndexCalculator::UpdateDisplayData() {
    try {
        const CBothLocks locks(*this);
        if (m_pDataSource == nullptr) return false;
        // A source that cannot say how many bars it has now keeps the last count.
        int nAvailable = m_nDisplayBarCount;
        m_pDataSource->GetAvailableBarCount(&nAvailable);
        m_nDisplayBarCount = nAvailable;
        if (m_pStore == nullptr) return false;

        const int nBarCount = m_pStore->GetBarCount();
        if (m_pDisplayStore != nullptr && m_pDisplayStore->GetBarCount() != nBarCount) {
            // The bars were renumbered: every published value is stale.
            m_pDisplayStore.reset();
            m_vecDirtyRanges.assign(1, std::make_pair(0, nBarCount - 1));
        }
        if (m_pDisplayStore == nullptr) {
            if (nBarCount < 1) return false;
            m_pDisplayStore = std::make_unique<CSeriesStore>(nBarCount);
        }
        const CCalculateInfo* pInfo = CompiledFormula();
        if (pInfo == nullptr) return false;

        const int nCount = static_cast<int>(pInfo->m_vecDrawStatements.size());
        for (int i = 0; i < nCount; ++i) {
            const ExprNode* pCallNode = GetDrawCallNode(*pInfo, i);
            const DrawArgumentLayout& layout = FindDrawArgumentLayout(GetDrawFunctionId(pCallNode));
            for (int k = 0; k < layout.nEvaluatedCount; ++k) {
                DrawSeriesKey key;
                if (!ResolveDrawReference(*pInfo, pCallNode, layout.arrEvaluated[k], &key)) {
                    continue;
                }
                for (const std::pair<int, int>& range : m_vecDirtyRanges) {
                    const int nFirst = std::max(std::min(range.first, range.second), 0);
                    const int nLast = std::min(std::max(range.first, range.second), nBarCount - 1);
                    if (nFirst > nLast) return false;
                    const double* pSource = m_pStore->GetSeries(key.nKind, key.nNumber, 0);
                    double* pTarget = m_pDisplayStore->GetSeries(key.nKind, key.nNumber, 0);
                    if (pSource == nullptr || pTarget == nullptr) continue;
                    std::copy(pSource + nFirst, pSource + nLast + 1, pTarget + nFirst);
                }
            }
        }
        m_bDisplayValid = true;
        m_vecDirtyRanges.clear();
        return true;
    } catch (...) {
        return false;
    }
}

CSeriesStore* CIndexCalculator::PublishedStore() const {
    if (m_pDisplayStore != nullptr) return m_pDisplayStore.get();
    return m_bDisplayValid ? nullptr : m_pStore.get();
}

int CIndexCalculator::GetSeriesBarCount() {
    const CSeriesStore* pStore = PublishedStore();
    return pStore != nullptr ? pStore->GetBarCount() : 0;
}

const double* CIndexCalculator::DrawStatementSeries(const CCalculateInfo* pInfo,
                                                    const ExprNode* pCallNode, int nPosition) {
    if (pInfo == nullptr) return nullptr;
    DrawSeriesKey key;
    if (!ResolveDrawReference(*pInfo, pCallNode, nPosition, &key)) return nullptr;
    CSeriesStore* pStore = PublishedStore();
    return pStore != nullptr ? pStore->GetSeries(key.nKind, key.nNumber, 0) : nullptr;
}

bool CIndexCalculator::GetValues(int line, int from, int to, double* values, bool* valid) {
    if (values == nullptr || valid == nullptr || from < 0 || to < from) return false;
    try {
        const CBothLocks locks(*this);
        if (m_pStore == nullptr || to >= m_pStore->GetBarCount()) return false;
        const CCalculateInfo* pInfo = CompiledFormula();
        if (pInfo == nullptr) return false;
        const ExprNode* pCallNode = GetDrawCallNode(*pInfo, line);
        const int nPosition = OutputValuePosition(GetDrawFunctionId(pCallNode));
        if (nPosition == 0) return false;
        const double* pSeries = DrawStatementSeries(pInfo, pCallNode, nPosition);
        // The published store keeps the bar count it was made with; it can be
        // shorter than a working store rebuilt since.
        if (pSeries == nullptr || to >= GetSeriesBarCount()) return false;
        for (int nBar = from; nBar <= to; ++nBar) {
            values[nBar - from] = pSeries[nBar];
            valid[nBar - from] = HasValue(pSeries[nBar]);
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool CIndexCalculator::GetValue(int line, int bar, double* value) {
    if (value == nullptr) return false;
    double dValue = INVALID_VALUE;
    bool bValid = false;
    if (!GetValues(line, bar, bar, &dValue, &bValid)) return false;
    *value = dValue;
    return bValid;
}

bool CIndexCalculator::GetDrawArgValue(int line, int arg, int bar, double* value) {
    if (value == nullptr) return false;
    *value = INVALID_VALUE;
    if (line < 0 || arg < 0 || bar < 0) return false;
    try {
        const CBothLocks locks(*this);
        const CCalculateInfo* pInfo = CompiledFormula();
        if (pInfo == nullptr) return false;
        const ExprNode* pCallNode = GetDrawCallNode(*pInfo, line);
        if (pCallNode == nullptr || arg >= FunctionArgCount(GetDrawFunctionId(pCallNode))) {
            return false;
        }
        if (m_pStore == nullptr || bar >= m_pStore->GetBarCount()) return false;
        const double* pSeries = DrawStatementSeries(pInfo, pCallNode, arg + 1);
        if (pSeries == nullptr || bar >= GetSeriesBarCount()) return false;
        *value = pSeries[bar];
        return HasValue(*value);
    } catch (...) {
        return false;
    }
}
