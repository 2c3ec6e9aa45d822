// The one way anything reads a value of the compiled form: constants, parameters,
// operator trees, function calls and references to data fields, outputs and
// variables. Outputs and variables are computed on demand, bar by bar, and kept in
// the series store, so each (series, bar) is computed at most once per calculation.
#pragma once

#include <cstdint>

#include "index/functions/EvalContext.h"

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
