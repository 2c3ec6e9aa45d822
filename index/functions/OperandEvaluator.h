// The one way anything reads a value of the compiled form: constants, parameters,
// operator trees, function calls and references to data fields, outputs and
// variables. Outputs and variables are computed on demand, bar by bar, and kept in
// the series store, so each (series, bar) is computed at most once per calculation.
#pragma once

#include <cstdint>
#include <cstring>

#include "IIndexDataSource.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/ReferencePlan.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

// Deepest nesting of evaluation steps on one thread: tree levels, function calls
// and series computed on demand inside one another. The compiler keeps a single
// tree within 256 levels and a formula can only refer to names defined before, so
// real formulas stay far below this; a hand-built compiled form that refers to
// itself would otherwise recurse until the host's thread stack runs out. In an
// optimised build a level costs about 250 bytes of stack, so the whole limit fits
// in half of a 1 MB thread stack.
constexpr int MAX_EVALUATION_DEPTH = 2000;

// This thread's count of nested evaluation steps. A context that is used on one
// thread only may carry its address (pDepth) to spare the thread-local lookup on
// every step.
int* EvaluationDepthCounter();

// Evaluates an operand (type and value word as the compiled form holds them) at bar
// nBar - nBarOffset into *pOut. A function reads its argument k bars before the
// bar it computes by passing its own nBarOffset + k; a negative offset reaches
// later bars. Returns EVAL_OK (also when the value is INVALID_VALUE) or EVAL_ERROR.
int EvaluateOperand(EvalContext* pContext, uint32_t nType, int64_t value, double* pOut,
                    int nBarOffset);

// Executes, at bar nBar, the first assignment of the formula whose target is the
// series (nKind, nNumber), and stores the result there. Later assignments to the
// same name are never executed. Without any assignment nothing is stored and the
// status is EVAL_OK: the slot stays UNCOMPUTED_VALUE.
int ComputeSeriesAt(EvalContext* pContext, int nKind, int nNumber);

// The operands that make up most reads of a calculation, answered without the full
// evaluator: a number, a per-bar data field and an output or variable already
// computed at the bar, the last two through the calculation's reference plan. True
// when dValue holds what EvaluateOperand would have given with EVAL_OK; false, with
// nothing changed, when the full evaluator must answer (a stopped calculation, no
// plan, a series still to compute, any other operand).
inline bool EvaluateLeafQuickly(EvalContext& context, uint32_t nType, int64_t value, int nBarOffset,
                                double& dValue) {
    if (context.pStop != nullptr && context.pStop->load(std::memory_order_relaxed)) return false;
    if (context.pDepth == nullptr || *context.pDepth >= MAX_EVALUATION_DEPTH) return false;
    if (nType == OperandType::Number) {
        const uint32_t nBits = static_cast<uint32_t>(value & 0xFFFFFFFF);
        float fValue = 0.0f;
        std::memcpy(&fValue, &nBits, sizeof fValue);
        dValue = fValue;
        return true;
    }
    CReferencePlan* pPlan = context.pPlan;
    if (nType != OperandType::Reference || pPlan == nullptr) return false;
    const int64_t nPos = static_cast<int64_t>(context.nBar) - nBarOffset;
    if (nPos < 0 || nPos >= context.nBarCount) {
        dValue = INVALID_VALUE;
        return true;
    }
    if (context.pInfo == nullptr || pPlan->Info() != context.pInfo ||
        pPlan->Store() != context.pStore) {
        return false;
    }
    const CReferencePlan::Entry* pEntry = pPlan->Find(context.bDrawMode, value);
    if (pEntry == nullptr) return false;
    if (pEntry->nTarget == CReferencePlan::TARGET_SERIES) {
        if (pEntry->pSeries == nullptr || context.pStore->GetBarCount() < context.nBarCount) {
            return false;
        }
        const double dStored = pEntry->pSeries[nPos];
        if (!IsComputed(dStored)) return false;
        dValue = dStored;
        return true;
    }
    if (pEntry->nTarget != CReferencePlan::TARGET_BAR_FIELD || context.pDataSource == nullptr) {
        return false;
    }
    double dRead = INVALID_VALUE;
    const bool bAnswered =
        context.pDataSource->GetFieldValue(pEntry->nFieldId, static_cast<int>(nPos), &dRead);
    dValue = bAnswered && IsComputed(dRead) ? dRead : INVALID_VALUE;
    return true;
}
