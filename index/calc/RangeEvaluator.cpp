#include "index/calc/RangeEvaluator.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "IIndexDataSource.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/BinaryOperators.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/RangeKernels.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

CRangeEvaluator::Outcome CRangeEvaluator::Run(const CRangePlan& plan, EvalContext& context,
                                              int nFrom, int nTo) {
    if (plan.Root() < 0 || context.pStore == nullptr || context.pDataSource == nullptr ||
        nFrom < 0 || nTo < nFrom || nTo >= context.nBarCount ||
        context.pStore->GetBarCount() < context.nBarCount) {
        return NOT_STARTED;
    }
    if (!Prepare(plan, context, nTo - nFrom + 1)) return NOT_STARTED;
    const bool bSavedDrawMode = context.bDrawMode;
    const int nSavedBar = context.nBar;
    // Series trees are evaluated with the ordinary lists, as their assignments are.
    context.bDrawMode = false;
    Outcome outcome = DONE;
    for (int nRunFirst = nFrom; nRunFirst <= nTo; nRunFirst += RUN_LENGTH) {
        if (IsStopped()) {
            outcome = STOPPED;
            break;
        }
        ++m_nRun;
        m_nRunFirst = nRunFirst;
        m_nRunLast = std::min(nTo, nRunFirst + RUN_LENGTH - 1);
        m_nRoot = plan.Root();
        Evaluate(m_nRoot, m_vecAll.data());
        if (IsStopped()) {
            outcome = STOPPED;
            break;
        }
        if (nTo - nRunFirst < RUN_LENGTH) break;
    }
    context.bDrawMode = bSavedDrawMode;
    context.nBar = nSavedBar;
    return outcome;
}

bool CRangeEvaluator::Prepare(const CRangePlan& plan, EvalContext& context, int nSpan) {
    // Columns as long as a run, or the span when it is shorter: a short history
    // pays for its own bars only.
    const int nRunLength = std::min(nSpan, RUN_LENGTH);
    const std::vector<RangeStep>& vecSteps = plan.Steps();
    m_pSteps = vecSteps.data();
    m_pContext = &context;
    CSeriesStore& store = *context.pStore;
    try {
        m_vecColumns.resize(vecSteps.size());
        m_vecAll.assign(static_cast<size_t>(nRunLength), 1);
        for (size_t i = 0; i < vecSteps.size(); ++i) {
            const RangeStep& step = vecSteps[i];
            Column& column = m_vecColumns[i];
            const size_t nLength = static_cast<size_t>(nRunLength) + step.nLookback;
            column.vecValues.resize(nLength);
            column.vecDone.resize(nLength);
            column.vecMask.resize(static_cast<size_t>(nRunLength));
            column.pSeries = nullptr;
            if (step.nKind == RangeStep::SERIES || step.nKind == RangeStep::SETTLED ||
                (step.nKind == RangeStep::KERNEL && step.nStateSlot < 0)) {
                column.pSeries = store.GetSeries(step.nSeriesKind, step.nSeriesNumber, 0);
                if (column.pSeries == nullptr) return false;
            } else if (step.nKind == RangeStep::KERNEL) {
                // The entries CRunningState keeps, as the bar-by-bar function asks for them.
                column.pSeries =
                    store.GetBarEntries(step.nStateSlot, KernelEntryLength(step.kernel));
                if (column.pSeries == nullptr) return false;
                column.pWorkspace = store.GetWorkspace(step.nStateSlot);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const uint8_t* CRangeEvaluator::Condense(const uint8_t* pMask, int nCount) const {
    return std::memchr(pMask, 0, static_cast<size_t>(nCount)) == nullptr ? m_vecAll.data() : pMask;
}

bool CRangeEvaluator::AllDone(const Column& column, const uint8_t* pActive, int nCount) const {
    const uint8_t* pDone = column.vecDone.data() + (m_nRunFirst - column.nFirst);
    return pActive == m_vecAll.data() &&
           std::memchr(pDone, 0, static_cast<size_t>(nCount)) == nullptr;
}

void CRangeEvaluator::Evaluate(int nStep, const uint8_t* pActive) {
    if (m_pSteps[nStep].bPure) {
        EvaluatePure(nStep);
        return;
    }
    // Read at no bar of the run (a series already stored everywhere): nothing below
    // it is evaluated, as bar by bar nothing would be.
    const size_t nCount = static_cast<size_t>(m_nRunLast - m_nRunFirst + 1);
    if (pActive != m_vecAll.data() && std::memchr(pActive, 1, nCount) == nullptr) {
        m_vecColumns[nStep].nFirst = m_nRunFirst;
        m_vecColumns[nStep].bAllDone = false;
        return;
    }
    EvaluateStateful(nStep, pActive);
}

// An operator at one bar, as the bar-by-bar evaluator applies it: an invalid left
// side decides the result before the right side is read, and an evaluation error on
// either side leaves the bar unevaluated.
template <uint32_t KIND>
void CRangeEvaluator::Combine(Column& column, int nIndex, const Column& left, int nLeft,
                              const Column& right, int nRight) {
    if (!left.vecDone[nLeft]) {
        column.vecDone[nIndex] = 0;
        return;
    }
    const double dLeft = left.vecValues[nLeft];
    column.vecDone[nIndex] = 1;
    if (IsInvalid(dLeft)) {
        column.vecValues[nIndex] = INVALID_VALUE;
        return;
    }
    if (!right.vecDone[nRight]) {
        column.vecDone[nIndex] = 0;
        return;
    }
    const double dRight = right.vecValues[nRight];
    constexpr BinaryOperator pfnOperator = s_arrBinaryOperators[KIND];
    column.vecValues[nIndex] = IsInvalid(dRight) ? INVALID_VALUE : pfnOperator(dLeft, dRight);
}

void CRangeEvaluator::EvaluatePure(int nStep) {
    const RangeStep& step = m_pSteps[nStep];
    Column& column = m_vecColumns[nStep];
    EvalContext& context = *m_pContext;
    if (step.nKind == RangeStep::FIELD) {
        // A field is one column for all that read it.
        if (column.nRun == m_nRun) return;
        column.nRun = m_nRun;
    }
    column.nFirst = m_nRunFirst - step.nLookback;
    const int nCount = m_nRunLast - column.nFirst + 1;
    double* pValues = column.vecValues.data();
    uint8_t* pDone = column.vecDone.data();
    std::fill(pDone, pDone + nCount, 1);
    column.bAllDone = true;
    switch (step.nKind) {
        case RangeStep::CONSTANT:
            std::fill(pValues, pValues + nCount, step.dConstant);
            return;
        case RangeStep::FIELD: {
            IIndexDataSource* pSource = context.pDataSource;
            const int nFieldId = step.nFieldId;
            int i = 0;
            for (; i < nCount && column.nFirst + i < 0; ++i) pValues[i] = INVALID_VALUE;
            while (i < nCount) {
                // A data source may be slow: a stop is seen within a few dozen reads,
                // and what is left of the run is then not evaluated.
                if (IsStopped()) {
                    std::fill(pDone + i, pDone + nCount, 0);
                    column.bAllDone = false;
                    return;
                }
                const int nBlockEnd = std::min(nCount, i + STOP_POLL_BARS);
                for (; i < nBlockEnd; ++i) {
                    double dValue = INVALID_VALUE;
                    if (!pSource->GetFieldValue(nFieldId, column.nFirst + i, &dValue) ||
                        !IsComputed(dValue)) {
                        dValue = INVALID_VALUE;
                    }
                    pValues[i] = dValue;
                }
            }
            return;
        }
        case RangeStep::OPERATOR: {
            EvaluatePure(step.arrArgs[0]);
            EvaluatePure(step.arrArgs[1]);
            const Column& left = m_vecColumns[step.arrArgs[0]];
            const Column& right = m_vecColumns[step.arrArgs[1]];
            column.bAllDone = left.bAllDone && right.bAllDone;
            int i = 0;
            // Before the data a node has no value.
            for (; i < nCount && column.nFirst + i < 0; ++i) pValues[i] = INVALID_VALUE;
            const double* pLeft = left.vecValues.data() + (column.nFirst - left.nFirst);
            const double* pRight = right.vecValues.data() + (column.nFirst - right.nFirst);
            const uint8_t* pLeftDone = left.vecDone.data() + (column.nFirst - left.nFirst);
            const uint8_t* pRightDone = right.vecDone.data() + (column.nFirst - right.nFirst);
            const bool bChecked = !column.bAllDone;
            WithBinaryOperator(step.nOperator, [&](auto kind) {
                constexpr BinaryOperator pfnOperator = s_arrBinaryOperators[decltype(kind)::value];
                for (int k = i; k < nCount; ++k) {
                    const double dLeft = pLeft[k];
                    const double dRight = pRight[k];
                    if (bChecked && (!pLeftDone[k] || (!IsInvalid(dLeft) && !pRightDone[k]))) {
                        pDone[k] = 0;
                        continue;
                    }
                    pValues[k] = IsInvalid(dLeft) || IsInvalid(dRight) ? INVALID_VALUE
                                                                       : pfnOperator(dLeft, dRight);
                }
            });
            return;
        }
        case RangeStep::DELEGATED: {
            const uint32_t nType =
                step.pNode != nullptr ? OperandType::Node : OperandType::Reference;
            for (int i = 0; i < nCount; ++i) {
                context.nBar = column.nFirst + i;
                pValues[i] = INVALID_VALUE;
                pDone[i] =
                    EvaluateOperand(&context, nType, step.nOperand, &pValues[i], 0) == EVAL_OK;
            }
            return;
        }
        case RangeStep::SERIES: {
            EvaluatePure(step.arrArgs[0]);
            const Column& tree = m_vecColumns[step.arrArgs[0]];
            double* pSeries = column.pSeries;
            for (int i = 0; i < nCount; ++i) {
                const int nBar = column.nFirst + i;
                const int nTree = nBar - tree.nFirst;
                if (nBar < 0) {
                    pValues[i] = INVALID_VALUE;
                } else if (IsComputed(pSeries[nBar])) {
                    pValues[i] = pSeries[nBar];
                } else if (tree.vecDone[nTree]) {
                    pSeries[nBar] = tree.vecValues[nTree];
                    pValues[i] = pSeries[nBar];
                } else {
                    pDone[i] = 0;
                    column.bAllDone = false;
                }
            }
            return;
        }
        case RangeStep::SETTLED:
            column.bAllDone = ReadSettled(step, column, nullptr, nCount);
            return;
        case RangeStep::KERNEL:
            return;
    }
}

// A series stored by an earlier statement: read where it is stored, and computed as
// the bar-by-bar evaluator would compute it where it is not (a bar an earlier
// statement failed at, or one before the span that a window reads back).
bool CRangeEvaluator::ReadSettled(const RangeStep& step, Column& column, const uint8_t* pActive,
                                  int nCount) {
    EvalContext& context = *m_pContext;
    const double* pSeries = column.pSeries;
    bool bAllDone = true;
    for (int i = 0; i < nCount; ++i) {
        if (pActive != nullptr && !pActive[i]) continue;
        const int nBar = column.nFirst + i;
        column.vecDone[i] = 1;
        if (nBar < 0) {
            column.vecValues[i] = INVALID_VALUE;
        } else if (IsComputed(pSeries[nBar])) {
            column.vecValues[i] = pSeries[nBar];
        } else {
            context.nBar = nBar;
            column.vecValues[i] = INVALID_VALUE;
            column.vecDone[i] = EvaluateOperand(&context, OperandType::Reference, step.nOperand,
                                                &column.vecValues[i], 0) == EVAL_OK;
            bAllDone = bAllDone && column.vecDone[i];
        }
    }
    return bAllDone;
}

void CRangeEvaluator::EvaluateStateful(int nStep, const uint8_t* pActive) {
    const RangeStep& step = m_pSteps[nStep];
    Column& column = m_vecColumns[nStep];
    EvalContext& context = *m_pContext;
    column.nFirst = m_nRunFirst;
    const int nCount = m_nRunLast - m_nRunFirst + 1;
    double* pValues = column.vecValues.data();
    uint8_t* pDone = column.vecDone.data();
    uint8_t* pMask = column.vecMask.data();
    column.bAllDone = false;
    switch (step.nKind) {
        case RangeStep::OPERATOR: {
            Evaluate(step.arrArgs[0], pActive);
            const Column& left = m_vecColumns[step.arrArgs[0]];
            const int nLeftShift = m_nRunFirst - left.nFirst;
            // Bitwise rather than short-circuit, so that the loop has no branches.
            const uint8_t* pLeftDone = left.vecDone.data() + nLeftShift;
            const double* pLeftValues = left.vecValues.data() + nLeftShift;
            for (int i = 0; i < nCount; ++i) {
                pMask[i] = static_cast<uint8_t>(pActive[i] & pLeftDone[i] &
                                                static_cast<uint8_t>(!IsInvalid(pLeftValues[i])));
            }
            const uint8_t* pRightActive = Condense(pMask, nCount);
            Evaluate(step.arrArgs[1], pRightActive);
            const Column& right = m_vecColumns[step.arrArgs[1]];
            const int nRightShift = m_nRunFirst - right.nFirst;
            if (pRightActive == m_vecAll.data() && right.bAllDone) {
                // Both sides everywhere, and the left one valid everywhere.
                const double* pLeft = left.vecValues.data() + nLeftShift;
                const double* pRight = right.vecValues.data() + nRightShift;
                WithBinaryOperator(step.nOperator, [&](auto kind) {
                    constexpr BinaryOperator pfnOperator =
                        s_arrBinaryOperators[decltype(kind)::value];
                    for (int i = 0; i < nCount; ++i) {
                        pValues[i] =
                            IsInvalid(pRight[i]) ? INVALID_VALUE : pfnOperator(pLeft[i], pRight[i]);
                    }
                });
                std::fill(pDone, pDone + nCount, 1);
                column.bAllDone = true;
                return;
            }
            WithBinaryOperator(step.nOperator, [&](auto kind) {
                for (int i = 0; i < nCount; ++i) {
                    if (!pActive[i]) continue;
                    Combine<decltype(kind)::value>(column, i, left, i + nLeftShift, right,
                                                   i + nRightShift);
                }
            });
            column.bAllDone = AllDone(column, pActive, nCount);
            return;
        }
        case RangeStep::KERNEL: {
            Evaluate(step.arrArgs[0], pActive);
            const Column& x = m_vecColumns[step.arrArgs[0]];
            RangeKernelCall call;
            call.kernel = step.kernel;
            call.pNode = step.pNode;
            call.pContext = &context;
            call.nFirst = m_nRunFirst;
            call.nLast = m_nRunLast;
            call.pActive = pActive;
            call.pX = x.vecValues.data();
            call.pXDone = x.vecDone.data();
            call.nXFirst = x.nFirst;
            call.n = step.nPeriod;
            call.dShare = step.dShare;
            if (step.nStateSlot >= 0) {
                call.pEntries = column.pSeries;
                call.pWorkspace = column.pWorkspace;
            } else {
                call.pOwn = column.pSeries;
            }
            call.pOut = pValues;
            call.pDone = pDone;
            call.bDense = pActive == m_vecAll.data() && x.bAllDone;
            RunRangeKernel(call);
            column.bAllDone = AllDone(column, pActive, nCount);
            return;
        }
        case RangeStep::DELEGATED:
            for (int i = 0; i < nCount; ++i) {
                if (!pActive[i]) continue;
                context.nBar = m_nRunFirst + i;
                pValues[i] = INVALID_VALUE;
                pDone[i] = EvaluateOperand(&context, OperandType::Node, step.nOperand, &pValues[i],
                                           0) == EVAL_OK;
            }
            column.bAllDone = AllDone(column, pActive, nCount);
            return;
        case RangeStep::SERIES: {
            double* pSeries = column.pSeries + m_nRunFirst;
            for (int i = 0; i < nCount; ++i) {
                pMask[i] = static_cast<uint8_t>(pActive[i] &
                                                static_cast<uint8_t>(!IsComputed(pSeries[i])));
            }
            const uint8_t* pTreeMask = Condense(pMask, nCount);
            Evaluate(step.arrArgs[0], pTreeMask);
            const Column& tree = m_vecColumns[step.arrArgs[0]];
            const int nTreeShift = m_nRunFirst - tree.nFirst;
            if (pTreeMask == m_vecAll.data() && tree.bAllDone) {
                // The common case of a new span: computed everywhere, stored everywhere.
                const double* pTree = tree.vecValues.data() + nTreeShift;
                std::memcpy(pSeries, pTree, sizeof(double) * static_cast<size_t>(nCount));
                if (nStep != m_nRoot) {
                    std::memcpy(pValues, pTree, sizeof(double) * static_cast<size_t>(nCount));
                    std::fill(pDone, pDone + nCount, 1);
                }
                column.bAllDone = true;
                return;
            }
            for (int i = 0; i < nCount; ++i) {
                if (!pActive[i]) continue;
                pDone[i] = 1;
                if (pMask[i]) {
                    if (!tree.vecDone[i + nTreeShift]) {
                        pDone[i] = 0;
                        continue;
                    }
                    pSeries[i] = tree.vecValues[i + nTreeShift];
                }
                pValues[i] = pSeries[i];
            }
            column.bAllDone = AllDone(column, pActive, nCount);
            return;
        }
        case RangeStep::SETTLED:
            column.bAllDone =
                ReadSettled(step, column, pActive, nCount) && pActive == m_vecAll.data();
            return;
        case RangeStep::CONSTANT:
        case RangeStep::FIELD:
            return;
    }
}
