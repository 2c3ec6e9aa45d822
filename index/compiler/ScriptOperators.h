// The binary operators of the internal script, indexed by operator code. The code is
// what the scanner returns; the table gives the node each one builds and its binding
// level for the expression compiler.
#pragma once

#include <cstdint>
#include <string_view>

#include "index/compiler/CompiledFormula.h"

struct ScriptOperator {
    std::string_view strText;
    uint32_t nNodeKind;
    int nLevel;  // higher binds tighter; equal levels associate to the left
};

// "^" never comes from the front end (the formula language has no such operator).
// It binds like "+" and "-", so 2*3^2 is (2*3)^2; its kind is all the evaluator
// needs to know.
// clang-format off
inline constexpr ScriptOperator kScriptOperators[] = {
//   text  node kind                  level    code
    {"",   NodeKind::Add,             0},  //  0: no operator
    {"|",  NodeKind::Or,              1},  //  1
    {"&",  NodeKind::And,             2},  //  2
    {">",  NodeKind::Greater,         3},  //  3
    {"<",  NodeKind::Less,            3},  //  4
    {"=",  NodeKind::Equal,           3},  //  5
    {">=", NodeKind::GreaterEqual,    3},  //  6
    {"<=", NodeKind::LessEqual,       3},  //  7
    {"<>", NodeKind::NotEqual,        3},  //  8
    {"+",  NodeKind::Add,             4},  //  9
    {"^",  NodeKind::Caret,           4},  // 10
    {"-",  NodeKind::Sub,             4},  // 11
    {"*",  NodeKind::Mul,             5},  // 12
    {"/",  NodeKind::Div,             5},  // 13
};
// clang-format on

inline constexpr int SCRIPT_OPERATOR_COUNT = 13;
static_assert(sizeof kScriptOperators / sizeof kScriptOperators[0] == SCRIPT_OPERATOR_COUNT + 1,
              "one row per operator code, plus the empty code 0");

// Levels run from 1 to this; an operator stack of strictly rising levels never holds
// more entries.
inline constexpr int SCRIPT_OPERATOR_LEVELS = 5;

constexpr bool OperatorLevelsFit() {
    for (int nCode = 1; nCode <= SCRIPT_OPERATOR_COUNT; ++nCode) {
        if (kScriptOperators[nCode].nLevel < 1 ||
            kScriptOperators[nCode].nLevel > SCRIPT_OPERATOR_LEVELS) {
            return false;
        }
    }
    return true;
}
static_assert(OperatorLevelsFit(), "the operator stack is sized by the levels");

// The code of an operator text, 0 when the text is none of them.
constexpr int FindScriptOperator(std::string_view strText) {
    for (int nCode = 1; nCode <= SCRIPT_OPERATOR_COUNT; ++nCode) {
        if (kScriptOperators[nCode].strText == strText) return nCode;
    }
    return 0;
}

static_assert(FindScriptOperator("<>") == 8 && FindScriptOperator("^") == 10 &&
                  FindScriptOperator("/") == 13 && FindScriptOperator("=>") == 0,
              "codes are fixed by the scanner's contract");
