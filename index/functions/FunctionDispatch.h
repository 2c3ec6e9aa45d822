// The function dispatcher: finds a call's implementation by function id (or by
// table position) and runs it for exactly one bar.
//
// The dispatch table is assembled once per process from the rows that each family
// file exports (FunctionDispatch.cpp lists the families); a reverse index from
// function id to table position is built with it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "index/functions/EvalContext.h"

struct ExprNode;

// Every built-in: computes the function at bar nBar - nBarOffset into *pOut.
// EVAL_OK also when the result is INVALID_VALUE; EVAL_ERROR for a malformed node
// or context; any other non-zero status of the evaluator is passed on unchanged.
using FunctionImpl = int (*)(const ExprNode* pNode, double* pOut, EvalContext* pContext,
                             int nBarOffset);

struct DispatchEntry {
    FunctionImpl pfnImpl;
    uint32_t nId;
};

// The rows one family file contributes.
struct DispatchRows {
    const DispatchEntry* pRows;
    size_t nCount;
};

// The rows of each family, defined in the file of that family. A new family adds
// its function here and to the family list in FunctionDispatch.cpp.
DispatchRows ArithmeticFunctionRows();
DispatchRows ConstantFunctionRows();
DispatchRows LogicFunctionRows();
DispatchRows MovingAverageFunctionRows();
DispatchRows StatisticsFunctionRows();
DispatchRows DateTimeFunctionRows();
DispatchRows ZigZagFunctionRows();
DispatchRows ReferenceFunctionRows();
DispatchRows WindowFunctionRows();
DispatchRows RankFunctionRows();
DispatchRows BarCountFunctionRows();
DispatchRows BarStatusFunctionRows();

// Size of the assembled table: every non-drawing function of the descriptor table
// except REVERSE, which has no implementation.
constexpr int DISPATCH_TABLE_SIZE = 136;

// The reverse index covers ids 0..599; drawing functions (500..516) never get an
// entry, RGB (499) is the highest id that does.
constexpr int DISPATCH_ID_LIMIT = 600;

// Element 0 of a call node with this type holds a table position instead of a
// function id. The compiler never writes it; a host that caches positions may.
constexpr uint32_t OPERAND_TYPE_TABLE_POSITION = 10;

// Runs the call node at bar nBar - nBarOffset. A bar outside the store gives
// INVALID_VALUE without running anything. EVAL_ERROR without node, result, context
// or store, for a node that is no call, or for a function without an entry.
int CallFunction(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset);

// Writes dValue into the hidden result series of a function at bar nBar - nBarOffset.
// nVariable is the index of that series' reference node (the value of the Reference
// operand the compiler gave the call), in the list bDrawMode selects. Does nothing
// when the reference, its buffer or the bar does not exist.
void StoreOwnResult(int64_t nVariable, int nBarOffset, EvalContext* pContext, double dValue);

// The assembled table, for checks: entries used, the entry at a position (null
// outside 0..count-1), and the position of a function id (-1 when it has none).
int GetDispatchEntryCount();
const DispatchEntry* GetDispatchEntry(int nPosition);
int FindDispatchPosition(int64_t nId);
