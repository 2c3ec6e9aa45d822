// One-line text of compiled operands, nodes and statements, so that a test can
// assert a whole tree at once and a person can read what the compiler built:
//   Add(Number 1, Mul(Number 2, Number 3))
//   MA#140(State 1, Ref field 0, Number 5)
// Without a CCalculateInfo a Reference operand prints its list index ("Ref #2");
// with one it prints what it refers to ("Ref var 1", "Ref field 0[Number 1]").
#pragma once

#include <cstdint>
#include <string>

#include "index/compiler/CompiledFormula.h"

// bDrawRefs selects the drawing statements' reference list for Reference operands.
std::string DumpOperand(const Operand& operand, const CCalculateInfo* pInfo = nullptr,
                        bool bDrawRefs = false);
std::string DumpNode(const ExprNode* pNode, const CCalculateInfo* pInfo = nullptr,
                     bool bDrawRefs = false);

// "Ref output 0 = Add(...)", a bare expression, or "Draw 2: .CURVELINE#500(...)"
// with the slot count of a drawing statement. The role picks the reference list.
std::string DumpStatement(const Statement* pStatement, const CCalculateInfo* pInfo = nullptr);

// Every ordinary statement, then every drawing statement, one per line.
std::string DumpCalculateInfo(const CCalculateInfo& info);
