// Which bars get computed and in which order. Only the value arguments of the
// drawing statements are evaluated, bar by bar; every output or variable they name
// is computed on demand at the bars that are asked for and memoised in the working
// store, so each (series, bar) is computed once per calculation.
#include <algorithm>
#include <new>

#include "IIndexDataSource.h"
#include "index/calc/CIndexCalculator.h"
#include "index/calc/CalculationWindow.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/calc/PriceCache.h"
#include "index/calc/RangeEvaluator.h"
#include "index/calc/RangePlan.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

void CIndexCalculator::NormaliseRange(int& nFrom, int& nTo) const {
    if (nFrom > nTo) std::swap(nFrom, nTo);
    const int nLastBar = m_pStore != nullptr ? m_pStore->GetBarCount() - 1 : -1;
    if (nLastBar < 0) {
        nFrom = nTo = 0;
        return;
    }
    nFrom = std::clamp(nFrom, 0, nLastBar);
    nTo = std::clamp(nTo, 0, nLastBar);
}

bool CIndexCalculator::CalculateRange(int nFrom, int nTo) {
    if (m_pDataSource == nullptr || m_pStore == nullptr) return false;
    int nAvailable = 0;
    if (!m_pDataSource->GetAvailableBarCount(&nAvailable)) return false;
    if (nAvailable < 1) return true;
    nTo = std::min(nTo, nAvailable - 1);
    nFrom = std::min(nFrom, nTo);

    if (m_bNeedPriceCache && m_pPriceCache != nullptr && nFrom >= 0 && nTo >= 0) {
        m_pPriceCache->Fill(m_pDataSource, nFrom, nTo);
    }

    const int nBarCount = m_pStore->GetBarCount();
    const int nLastBar = nBarCount - 1;
    int nFirst = 0;
    int nLast = 0;
    if (HasWindow()) {
        // Growing an existing window: the margins apply to the side that grows, and
        // the requested range takes them too, so that the bars they add get computed.
        nFirst = m_nCalcFirst;
        const int nOldLast = m_nCalcLast;
        if (nFrom < nFirst) {
            nFrom = std::max(nFrom - MarginBefore(*m_pDataSource, nFrom, m_bLongHistory), 0);
        }
        if (nTo > nOldLast) {
            nTo = std::min(nTo + MarginAfter(*m_pDataSource, nTo, m_bFutureData), nLastBar);
        }
        // A range that starts before the window, or leaves a gap after it, starts a
        // window of its own: the window is always one unbroken run of bars.
        if (nFrom < nFirst || nFrom > nOldLast + 1) nFirst = nFrom;
        nLast = nTo;
    } else {
        // A new window: the margins only say how far on-demand computation may
        // reach; the requested bars are all that gets evaluated now.
        nFirst = std::max(nFrom - MarginBefore(*m_pDataSource, nFrom, m_bLongHistory), 0);
        nLast = std::min(nTo + MarginAfter(*m_pDataSource, nTo, m_bFutureData), nLastBar);
    }
    // Values outside the window may belong to an older window whose neighbourhood
    // was different; they must be computed again when they are next needed.
    if (nFirst > 0) m_pStore->Invalidate(0, nFirst - 1);
    if (nLast < nLastBar) m_pStore->Invalidate(nLast + 1, nLastBar);
    m_nCalcFirst = nFirst;
    m_nCalcLast = nLast;

    NormaliseRange(nFrom, nTo);
    m_vecDirtyRanges.emplace_back(nFrom, nTo);
    return EvaluateAll(nFrom, nTo);
}

bool CIndexCalculator::EvaluateAll(int nFrom, int nTo) {
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr || m_pStore == nullptr) return false;
    m_pStore->Invalidate(nFrom, nTo);
    m_assignments.Build(*pInfo);
    m_plan.Build(*pInfo, m_pStore.get(), m_assignments);
    // The series computed so far over the whole span: later statements may read them
    // from the store any number of times.
    std::vector<std::pair<int, int>> vecSettled;
    const int nCount = static_cast<int>(pInfo->m_vecDrawStatements.size());
    for (int i = 0; i < nCount; ++i) {
        const ExprNode* pCallNode = GetDrawCallNode(*pInfo, i);
        if (pCallNode != nullptr) EvaluateDrawStatement(nFrom, nTo, pCallNode, vecSettled);
        if (m_bStop) return false;
    }
    return true;
}

bool CIndexCalculator::EvaluateSpan(EvalContext& context, const DrawSeriesKey& key, int nFrom,
                                    int nTo, const std::vector<std::pair<int, int>>& vecSettled) {
    if (nTo - nFrom + 1 < m_nRangeMinBars) return false;
    if (key.nKind != SERIES_KIND_OUTPUT && key.nKind != SERIES_KIND_VARIABLE) return false;
    const CReferencePlan::Entry* pEntry = m_plan.Find(true, key.nRefIndex);
    if (pEntry == nullptr || pEntry->nTarget != CReferencePlan::TARGET_SERIES ||
        pEntry->nKind != key.nKind || pEntry->nNumber != key.nNumber) {
        return false;
    }
    CRangePlan plan;
    const Statement* pAssignment = pEntry->bAssignmentKnown ? pEntry->pAssignment : nullptr;
    try {
        if (!plan.Build(*context.pInfo, key.nKind, key.nNumber, pAssignment, vecSettled)) {
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    CRangeEvaluator evaluator;
    return evaluator.Run(plan, context, nFrom, nTo) != CRangeEvaluator::NOT_STARTED;
}

void CIndexCalculator::EvaluateDrawStatement(int nFrom, int nTo, const ExprNode* pCallNode,
                                             std::vector<std::pair<int, int>>& vecSettled) {
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr || m_pStore == nullptr || m_pDataSource == nullptr) return;

    EvalContext context;
    context.pStore = m_pStore.get();
    context.pDataSource = m_pDataSource;
    context.pInfo = pInfo;
    context.pFieldCache = m_pFieldCache.get();
    context.pStop = &m_bStop;
    context.pAssignments = &m_assignments;
    context.pPlan = &m_plan;
    context.pDepth = EvaluationDepthCounter();
    m_pDataSource->GetBarCount(&context.nBarCount);
    m_pDataSource->GetAvailableBarCount(&context.nAvailable);
    m_pDataSource->GetBarPeriod(&context.nPeriodKind, &context.nPeriodLength);
    context.nCalcFirst = m_nCalcFirst;
    context.nCalcLast = m_nCalcLast;

    const DrawArgumentLayout& layout = FindDrawArgumentLayout(GetDrawFunctionId(pCallNode));
    for (int k = 0; k < layout.nEvaluatedCount; ++k) {
        DrawSeriesKey key;
        if (!ResolveDrawReference(*pInfo, pCallNode, layout.arrEvaluated[k], &key)) continue;
        // A volatile series may change anywhere when bars are added, so it is
        // computed over the whole window, not only the requested bars.
        const bool bVolatile =
            (key.nKind == SERIES_KIND_OUTPUT && pInfo->m_setVolatileOutputs.count(key.nNumber)) ||
            (key.nKind == SERIES_KIND_VARIABLE && pInfo->m_setVolatileVariables.count(key.nNumber));
        const int nFirst = bVolatile ? context.nCalcFirst : nFrom;
        const int nLast = bVolatile ? context.nCalcLast : nTo;
        const bool bSpan = !bVolatile && EvaluateSpan(context, key, nFirst, nLast, vecSettled);
        if (m_bStop) return;
        if (!bSpan) EvaluateBars(context, key, nFirst, nLast);
        if (m_bStop) return;
        vecSettled.emplace_back(key.nKind, key.nNumber);
    }
}

void CIndexCalculator::EvaluateBars(EvalContext& context, const DrawSeriesKey& key, int nFirst,
                                    int nLast) {
    for (int nBar = nFirst; nBar <= nLast; ++nBar) {
        if (m_bStop) return;
        context.nBar = nBar;
        context.bDrawMode = true;
        // The value is not needed here: evaluating the reference stores it in the
        // referenced series. A failed bar stays uncomputed and is tried again when it
        // is next needed.
        double dIgnored = INVALID_VALUE;
        EvaluateOperand(&context, OperandType::Reference, key.nRefIndex, &dIgnored, 0);
    }
}
