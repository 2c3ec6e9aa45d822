// Value ranges for scaling the chart: the smallest and largest value that the
// drawing statements actually draw over a range of bars.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "IIndexDataSource.h"
#include "index/calc/CIndexCalculator.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Whether a drawn value at nBar counts: a statement such as DRAWTEXT draws nothing
// where its condition is 0, so its value there must not stretch the scale. Only an
// explicit false condition removes a value; a condition without a value (not
// computed, invalid, no series at all, a bar the source does not have) leaves it.
bool DrawnValueCounts(const double* pCondition, int nBar, int nSourceBarCount) {
    if (pCondition == nullptr || nBar >= nSourceBarCount) return true;
    const double dCondition = pCondition[nBar];
    return !HasValue(dCondition) || std::fabs(dCondition) > VALUE_EPSILON;
}

}  // namespace

bool CIndexCalculator::GetStatementValueRange(int nFrom, int nTo, const ExprNode* pCallNode,
                                              double* pMin, double* pMax) {
    *pMin = DBL_MAX;
    *pMax = -DBL_MAX;
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr || pCallNode == nullptr) return false;
    int nSourceBarCount = 0;
    if (m_pDataSource != nullptr) m_pDataSource->GetBarCount(&nSourceBarCount);
    // Series are only as long as the store they were published from.
    nTo = std::min(nTo, GetSeriesBarCount() - 1);

    const DrawArgumentLayout& layout = FindDrawArgumentLayout(GetDrawFunctionId(pCallNode));
    bool bFound = false;
    for (int k = 0; k < layout.nMainCount; ++k) {
        const double* pSeries = DrawStatementSeries(pInfo, pCallNode, layout.arrMain[k]);
        if (pSeries == nullptr) continue;
        const double* pCondition =
            layout.arrCondition[k] != 0
                ? DrawStatementSeries(pInfo, pCallNode, layout.arrCondition[k])
                : nullptr;
        for (int nBar = std::max(nFrom, 0); nBar <= nTo; ++nBar) {
            const double dValue = pSeries[nBar];
            // Other NaNs (a failed C library call) have no place on a scale either.
            if (!HasValue(dValue) || std::isnan(dValue) ||
                !DrawnValueCounts(pCondition, nBar, nSourceBarCount)) {
                continue;
            }
            *pMin = std::min(*pMin, dValue);
            *pMax = std::max(*pMax, dValue);
            bFound = true;
        }
    }
    return bFound;
}

bool CIndexCalculator::GetValueRange(int from, int to, const std::set<int>* excluded, double* min,
                                     double* max) {
    if (min == nullptr || max == nullptr || from < 0 || to < 0 || from > to) return false;
    try {
        const CBothLocks locks(*this);
        if (m_pStore == nullptr || to >= m_pStore->GetBarCount()) return false;
        const CCalculateInfo* pInfo = CompiledFormula();
        if (pInfo == nullptr) return false;
        *min = DBL_MAX;
        *max = -DBL_MAX;
        bool bFound = false;
        const int nCount = static_cast<int>(pInfo->m_vecDrawStatements.size());
        for (int i = 0; i < nCount; ++i) {
            if (!IsStatementShown(i, excluded)) continue;
            double dLow = DBL_MAX;
            double dHigh = -DBL_MAX;
            if (!GetStatementValueRange(from, to, GetDrawCallNode(*pInfo, i), &dLow, &dHigh)) {
                continue;
            }
            *min = std::min(*min, dLow);
            *max = std::max(*max, dHigh);
            bFound = true;
        }
        return bFound;
    } catch (...) {
        return false;
    }
}
