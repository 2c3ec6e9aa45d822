// The descriptor table of every built-in and drawing function a compiled formula
// may call: name, id, argument count and how the compiler must build the call.
// The compiler resolves names here, the calculator reads argument counts and the
// function library implements the same ids.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "index/compiler/CompiledFormula.h"

// Compile flags (several may be set).
constexpr uint32_t FF_STATE_ONE = 0x02000000;      // one per-call state series: StatefulCall
constexpr uint32_t FF_STATE_TWO = 0x03000000;      // both state bits: two state series
constexpr uint32_t FF_LONG_HISTORY = 0x04000000;   // needs at least 500 bars of history
constexpr uint32_t FF_AUTO_VARIABLE = 0x08000000;  // hidden result series inserted as argument 1
constexpr uint32_t FF_FUTURE = 0x10000000;         // looks at later bars
constexpr uint32_t FF_DRAW = 0x20000000;           // compiled as a drawing statement
constexpr uint32_t FF_VOLATILE = 0x40000000;       // value may change when bars are added

// The argument count column uses the same bit as FF_AUTO_VARIABLE for a different
// purpose: in nArgs it marks the low 27 bits as a minimum instead of an exact count.
constexpr uint32_t FUNCTION_ARGS_AT_LEAST = 0x08000000;
constexpr uint32_t FUNCTION_ARGS_MASK = 0x07FFFFFF;

constexpr int FUNCTION_COUNT = 156;

// Argument checker: COMPILE_OK or COMPILE_ERROR for a call node, given the reference
// list of the statement being compiled (ordinary or drawing).
using FunctionArgumentChecker = int (*)(const ExprNode* pCallNode,
                                        const std::vector<ExprNode*>& vecRefNodes);

struct FunctionDescriptor {
    uint32_t nId;
    uint32_t nArgs;  // written arguments; for FF_AUTO_VARIABLE functions the hidden one too
    uint32_t nFlags;
    char szName[16];  // upper case, NUL padded
    FunctionArgumentChecker pfnCheck;
};

// The entry at nIndex (0..FUNCTION_COUNT-1), or null.
const FunctionDescriptor* GetFunctionDescriptor(int nIndex);

// Index of the entry whose name equals strName upper-cased (ASCII letters), or -1.
int FindFunctionByName(const std::string& strName);

// Index of the first entry with that id, or -1.
int FindFunctionById(int64_t nId);

// The exact count, or the minimum for the "at least" entries; 0 for an unknown id.
int FunctionArgCount(int64_t nId);

// Flag queries; false for an index outside the table or an unknown id.
bool FunctionIsVolatile(int nIndex);
bool FunctionHasState(int nIndex);
bool FunctionHasAutoVariable(int64_t nId);

// 2 with both state bits, 1 with only FF_STATE_ONE's bit, else 0.
int StateSlotCount(int nIndex);

// Validates a Call or StatefulCall node against its function's entry and runs the
// entry's checker.
int CheckArguments(const ExprNode* pCallNode, const std::vector<ExprNode*>& vecRefNodes);

// Checker A: the count of written arguments (arguments after the function id and,
// for StatefulCall, the state slots) is at least, or exactly, the entry's count.
int CheckArgumentsA(const ExprNode* pCallNode, const std::vector<ExprNode*>& vecRefNodes);

// Checker B: checker A, and argument 1 is a Reference to an output or a variable,
// the series the function writes its own results into.
int CheckArgumentsB(const ExprNode* pCallNode, const std::vector<ExprNode*>& vecRefNodes);
