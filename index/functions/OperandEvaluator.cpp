#include "index/functions/OperandEvaluator.h"

#include <cmath>
#include <iterator>
#include <vector>

#include "IIndexDataSource.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/AssignmentIndex.h"
#include "index/functions/BinaryOperators.h"
#include "index/functions/FieldCache.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/ReferencePlan.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Per-bar fields are read from the data source at every use.
constexpr int FIRST_BAR_FIELD_ID = 1;
constexpr int LAST_BAR_FIELD_ID = 500;

// Counts the evaluation steps nested on this thread. Thread-local rather than in the
// context: the stack that the limit protects belongs to the thread, whichever
// contexts are in use on it.
thread_local int t_nEvaluationDepth = 0;

class CDepthGuard {
public:
    explicit CDepthGuard(int& nDepth) : m_nDepth(nDepth) { ++m_nDepth; }
    ~CDepthGuard() { --m_nDepth; }
    CDepthGuard(const CDepthGuard&) = delete;
    CDepthGuard& operator=(const CDepthGuard&) = delete;
    bool IsTooDeep() const { return m_nDepth > MAX_EVALUATION_DEPTH; }

private:
    int& m_nDepth;
};

// Reference operands evaluated inside a referenced series' own assignment index the
// ordinary lists, whatever the caller was evaluating.
class CDrawModeCleared {
public:
    explicit CDrawModeCleared(EvalContext& context)
        : m_context(context), m_bSaved(context.bDrawMode) {
        m_context.bDrawMode = false;
    }
    ~CDrawModeCleared() { m_context.bDrawMode = m_bSaved; }
    CDrawModeCleared(const CDrawModeCleared&) = delete;
    CDrawModeCleared& operator=(const CDrawModeCleared&) = delete;

private:
    EvalContext& m_context;
    bool m_bSaved;
};

bool IsStopped(const EvalContext& context) {
    return context.pStop != nullptr && context.pStop->load(std::memory_order_relaxed);
}

bool HasArrays(const ExprNode& node) {
    return node.nArgs == 0 || (node.pValues != nullptr && node.pTypes != nullptr);
}

int EvaluateNode(EvalContext& context, const ExprNode* pNode, double* pOut, int nBarOffset) {
    if (pNode == nullptr || !HasArrays(*pNode)) return EVAL_ERROR;
    if (pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall) {
        return CallFunction(pNode, pOut, &context, nBarOffset);
    }
    const BinaryOperator pfnOperator = FindBinaryOperator(pNode->nKind);
    if (pfnOperator == nullptr || pNode->nArgs != 2) return EVAL_ERROR;

    double dLeft = INVALID_VALUE;
    int nStatus = EVAL_OK;
    if (!EvaluateLeafQuickly(context, pNode->pTypes[0], pNode->pValues[0], nBarOffset, dLeft)) {
        nStatus =
            EvaluateOperand(&context, pNode->pTypes[0], pNode->pValues[0], &dLeft, nBarOffset);
        if (nStatus != EVAL_OK) return nStatus;
    }
    // An invalid left side decides the result: the right side is not even evaluated,
    // so the series it refers to are not computed at this bar.
    if (IsInvalid(dLeft)) {
        *pOut = INVALID_VALUE;
        return EVAL_OK;
    }
    double dRight = INVALID_VALUE;
    if (!EvaluateLeafQuickly(context, pNode->pTypes[1], pNode->pValues[1], nBarOffset, dRight)) {
        nStatus =
            EvaluateOperand(&context, pNode->pTypes[1], pNode->pValues[1], &dRight, nBarOffset);
        if (nStatus != EVAL_OK) return nStatus;
    }
    *pOut = IsInvalid(dRight) ? INVALID_VALUE : pfnOperator(dLeft, dRight);
    return EVAL_OK;
}

int EvaluateParameter(const EvalContext& context, int64_t nIndex, double* pOut) {
    if (context.pInfo == nullptr) return EVAL_ERROR;
    // Drawing statements carry their own parameter list.
    const std::vector<float>& vecValues =
        context.bDrawMode ? context.pInfo->m_vecDrawParamValues : context.pInfo->m_vecParamValues;
    if (nIndex < 0 || static_cast<uint64_t>(nIndex) >= vecValues.size()) return EVAL_ERROR;
    *pOut = vecValues[static_cast<size_t>(nIndex)];
    return EVAL_OK;
}

int EvaluateField(const EvalContext& context, int64_t nIndex, int nPos, double* pOut) {
    const std::vector<int>& vecFieldIds = context.pInfo->m_vecFieldIds;
    if (nIndex < 0 || static_cast<uint64_t>(nIndex) >= vecFieldIds.size()) return EVAL_ERROR;
    const int nFieldId = vecFieldIds[static_cast<size_t>(nIndex)];
    const bool bBarField = nFieldId >= FIRST_BAR_FIELD_ID && nFieldId <= LAST_BAR_FIELD_ID;
    const bool bConstantField =
        nFieldId >= FIRST_CONSTANT_FIELD_ID && nFieldId <= LAST_CONSTANT_FIELD_ID;
    if (!bBarField && !bConstantField) {
        *pOut = context.dDefault;
        return EVAL_OK;
    }
    if (context.pDataSource == nullptr && (bBarField || context.pFieldCache == nullptr)) {
        return EVAL_ERROR;
    }
    double dValue = INVALID_VALUE;
    bool bAnswered = false;
    if (bBarField) {
        bAnswered = context.pDataSource->GetFieldValue(nFieldId, nPos, &dValue);
    } else if (context.pFieldCache != nullptr) {
        bAnswered = context.pFieldCache->GetValue(context.pDataSource, nFieldId, &dValue);
    } else {
        bAnswered = context.pDataSource->GetConstantFieldValue(nFieldId, &dValue);
    }
    // A source answering with the all-ones pattern means "nothing" too; passed on, it
    // would plant an "uncomputed" marker in a memoised series and have it recomputed
    // at every read.
    *pOut = bAnswered && IsComputed(dValue) ? dValue : INVALID_VALUE;
    return EVAL_OK;
}

int EvaluateSeries(EvalContext& context, uint32_t nKind, int64_t nNumber, int nPos, double* pOut) {
    if (context.pStore == nullptr) return EVAL_ERROR;
    if (nKind >= SERIES_KIND_COUNT || nNumber < 0 || nNumber > MAX_SERIES_NUMBER) {
        return EVAL_ERROR;
    }
    const int nSeriesKind = static_cast<int>(nKind);
    const int nSeriesNumber = static_cast<int>(nNumber);
    double* pSeries = context.pStore->GetSeries(nSeriesKind, nSeriesNumber, 0);
    if (pSeries == nullptr || context.pStore->GetBarCount() < context.nBarCount) {
        return EVAL_ERROR;
    }
    if (!IsComputed(pSeries[nPos])) {
        const int nSavedBar = context.nBar;
        context.nBar = nPos;
        const int nStatus = ComputeSeriesAt(&context, nSeriesKind, nSeriesNumber);
        context.nBar = nSavedBar;
        if (nStatus != EVAL_OK) return nStatus;
    }
    *pOut = pSeries[nPos];
    return EVAL_OK;
}

int EvaluateReference(EvalContext& context, int64_t nIndex, int nPos, double* pOut) {
    if (context.pInfo == nullptr) return EVAL_ERROR;
    const std::vector<ExprNode*>& vecRefNodes =
        context.bDrawMode ? context.pInfo->m_vecDrawRefNodes : context.pInfo->m_vecRefNodes;
    if (nIndex < 0 || static_cast<uint64_t>(nIndex) >= vecRefNodes.size()) return EVAL_ERROR;
    const ExprNode* pRef = vecRefNodes[static_cast<size_t>(nIndex)];
    if (pRef == nullptr || pRef->nArgs < 1 || !HasArrays(*pRef)) return EVAL_ERROR;
    if (pRef->pTypes[0] == RefListKind::Field) {
        return EvaluateField(context, pRef->pValues[0], nPos, pOut);
    }
    return EvaluateSeries(context, pRef->pTypes[0], pRef->pValues[0], nPos, pOut);
}

// The assignment statement defining (nKind, nNumber), or null.
const Statement* FindAssignment(const CCalculateInfo& info, int nKind, int nNumber,
                                const EvalContext& context, int& nStatus) {
    nStatus = EVAL_OK;
    const Statement* pIndexed = nullptr;
    if (context.pAssignments != nullptr && context.pAssignments->Find(nKind, nNumber, pIndexed)) {
        // The search polls the stop flag before every statement it looks at.
        if (!info.m_vecStatements.empty() && IsStopped(context)) {
            nStatus = EVAL_ERROR;
            return nullptr;
        }
        return pIndexed;
    }
    for (const Statement* pStatement : info.m_vecStatements) {
        if (IsStopped(context)) {
            nStatus = EVAL_ERROR;
            return nullptr;
        }
        if (pStatement == nullptr || pStatement->typeA != OperandType::Reference) continue;
        const int64_t nTarget = pStatement->valueA;
        if (nTarget < 0 || static_cast<uint64_t>(nTarget) >= info.m_vecRefNodes.size()) continue;
        const ExprNode* pRef = info.m_vecRefNodes[static_cast<size_t>(nTarget)];
        if (pRef == nullptr || pRef->nArgs < 1 || !HasArrays(*pRef)) continue;
        if (pRef->pTypes[0] == static_cast<uint32_t>(nKind) && pRef->pValues[0] == nNumber) {
            return pStatement;
        }
    }
    return nullptr;
}

// ComputeSeriesAt for a series whose buffer and first assignment are already known.
int ExecuteAssignmentAt(EvalContext& context, const Statement* pAssignment, double* pSeries) {
    if (context.pInfo == nullptr || context.pStore == nullptr) return EVAL_ERROR;
    const CDrawModeCleared drawModeCleared(context);
    // As the search would: the stop flag is polled before the statements are looked at.
    if (!context.pInfo->m_vecStatements.empty() && IsStopped(context)) return EVAL_ERROR;
    if (pAssignment == nullptr) return EVAL_OK;
    if (context.nBar < 0 || context.nBar >= context.pStore->GetBarCount()) return EVAL_ERROR;
    double dValue = INVALID_VALUE;
    const int nStatus =
        EvaluateOperand(&context, pAssignment->typeB, pAssignment->valueB, &dValue, 0);
    if (nStatus != EVAL_OK) return nStatus;
    pSeries[context.nBar] = dValue;
    return EVAL_OK;
}

// A reference answered from the calculation's plan, with the same outcome as the
// walk in EvaluateReference. False when the context has no plan for its formula and
// store, or the plan leaves this reference to the walk.
bool EvaluatePlannedReference(EvalContext& context, int64_t nIndex, int nPos, double* pOut,
                              int& nDepth, int& nStatus) {
    CReferencePlan* pPlan = context.pPlan;
    if (pPlan == nullptr || context.pInfo == nullptr || pPlan->Info() != context.pInfo ||
        pPlan->Store() != context.pStore) {
        return false;
    }
    CReferencePlan::Entry* pEntry = pPlan->Find(context.bDrawMode, nIndex);
    nStatus = EVAL_ERROR;
    if (pEntry == nullptr) return true;
    switch (pEntry->nTarget) {
        case CReferencePlan::TARGET_REFUSED:
            return true;
        case CReferencePlan::TARGET_BAR_FIELD: {
            if (context.pDataSource == nullptr) return true;
            double dValue = INVALID_VALUE;
            const bool bAnswered =
                context.pDataSource->GetFieldValue(pEntry->nFieldId, nPos, &dValue);
            *pOut = bAnswered && IsComputed(dValue) ? dValue : INVALID_VALUE;
            nStatus = EVAL_OK;
            return true;
        }
        case CReferencePlan::TARGET_SERIES: {
            double* pSeries = pPlan->SeriesOf(*pEntry);
            if (pSeries == nullptr || context.pStore->GetBarCount() < context.nBarCount)
                return true;
            if (!IsComputed(pSeries[nPos])) {
                const CDepthGuard depth(nDepth);
                const int nSavedBar = context.nBar;
                context.nBar = nPos;
                nStatus = pEntry->bAssignmentKnown
                              ? ExecuteAssignmentAt(context, pEntry->pAssignment, pSeries)
                              : ComputeSeriesAt(&context, pEntry->nKind, pEntry->nNumber);
                context.nBar = nSavedBar;
                if (nStatus != EVAL_OK) return true;
            }
            *pOut = pSeries[nPos];
            nStatus = EVAL_OK;
            return true;
        }
        case CReferencePlan::TARGET_OTHER_FIELD:
            break;
    }
    return false;
}

}  // namespace

int* EvaluationDepthCounter() {
    return &t_nEvaluationDepth;
}

int EvaluateOperand(EvalContext* pContext, uint32_t nType, int64_t value, double* pOut,
                    int nBarOffset) {
    if (pContext == nullptr || pOut == nullptr) return EVAL_ERROR;
    if (IsStopped(*pContext)) return EVAL_ERROR;
    int& nDepth = pContext->pDepth != nullptr ? *pContext->pDepth : t_nEvaluationDepth;
    // This step would nest one level deeper than allowed. Leaves are answered without
    // touching the counter: nothing nests inside them.
    if (nDepth >= MAX_EVALUATION_DEPTH) return EVAL_ERROR;

    switch (nType) {
        case OperandType::Empty:
            *pOut = 0.0;
            return EVAL_OK;
        case OperandType::Number:
        case OperandType::String:
            // A string operand is the float reading of its index bits; only the draw
            // stage knows to turn it back into an index.
            *pOut = ReadNumberFloat(value);
            return EVAL_OK;
        case OperandType::Parameter:
            return EvaluateParameter(*pContext, value, pOut);
        case OperandType::Node:
        case OperandType::Reference:
            break;
        default:
            return EVAL_ERROR;
    }

    const int64_t nPos = static_cast<int64_t>(pContext->nBar) - nBarOffset;
    if (nPos < 0 || nPos >= pContext->nBarCount) {
        *pOut = INVALID_VALUE;
        return EVAL_OK;
    }
    if (nType == OperandType::Node) {
        const CDepthGuard depth(nDepth);
        return EvaluateNode(*pContext, ReadNodePointer(value), pOut, nBarOffset);
    }
    int nStatus = EVAL_OK;
    if (EvaluatePlannedReference(*pContext, value, static_cast<int>(nPos), pOut, nDepth, nStatus)) {
        return nStatus;
    }
    const CDepthGuard depth(nDepth);
    return EvaluateReference(*pContext, value, static_cast<int>(nPos), pOut);
}

int ComputeSeriesAt(EvalContext* pContext, int nKind, int nNumber) {
    if (pContext == nullptr || pContext->pInfo == nullptr || pContext->pStore == nullptr) {
        return EVAL_ERROR;
    }
    EvalContext& context = *pContext;
    const CDrawModeCleared drawModeCleared(context);
    int nStatus = EVAL_OK;
    const Statement* pAssignment = FindAssignment(*context.pInfo, nKind, nNumber, context, nStatus);
    if (pAssignment == nullptr) return nStatus;

    double* pSeries = context.pStore->GetSeries(nKind, nNumber, 0);
    if (pSeries == nullptr) return EVAL_ERROR;
    if (context.nBar < 0 || context.nBar >= context.pStore->GetBarCount()) return EVAL_ERROR;
    double dValue = INVALID_VALUE;
    nStatus = EvaluateOperand(&context, pAssignment->typeB, pAssignment->valueB, &dValue, 0);
    if (nStatus != EVAL_OK) return nStatus;
    pSeries[context.nBar] = dValue;
    return EVAL_OK;
}
