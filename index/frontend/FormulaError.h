// The first error of a formula: where it was found and what it was. Codes are
// part of the client interface; the text is empty unless a code carries one.
#pragma once

#include <string>

constexpr int kErrorScriptWrite = 8;        // a token the script cannot spell
constexpr int kErrorIllegalCharacter = 10;  // brace, stray operator character, stray comma
constexpr int kErrorUnknownName = 11;
constexpr int kErrorOperatorPair = 12;      // "==", "<<", "=>" and the like; a misplaced ')'
constexpr int kErrorDanglingOperator = 13;  // operator character ends the statement; lone '!'
constexpr int kErrorMissingName = 14;       // ':' or ':=' without a new name in front
constexpr int kErrorSingleLogical = 15;     // '&' or '|' not doubled
constexpr int kErrorTooManyLiterals = 16;
constexpr int kErrorNameTooLong = 17;
constexpr int kErrorTooManyVariables = 18;
constexpr int kErrorTooManyOutputs = 19;
constexpr int kErrorParenthesis = 21;  // unbalanced, function without '(', open string
constexpr int kErrorArgumentCount = 22;
constexpr int kErrorMissingOperator = 23;
constexpr int kErrorRedefinition = 24;
constexpr int kErrorEmptyFormula = 26;
constexpr int kErrorCompile = 27;
constexpr int kErrorSelfReference = 28;

// GBK text of kErrorSelfReference ("illegal self-reference of the indicator").
constexpr const char* kTextSelfReference =
    "\xb7\xc7\xb7\xa8\xb5\xc4\xd6\xb8\xb1\xea\xd7\xd4\xd2\xfd\xd3\xc3";

// Position counts bytes of the normalised text (after unary zeros were inserted);
// line is the number of line feeds before the statement; column is counted from
// the line feed that ends the previous line, so it starts at 1 on every line but
// the first, where it equals the position.
struct CFormulaError {
    int m_nCode = 0;
    std::string m_strText;
    int m_nPosition = 0;
    int m_nLine = 0;
    int m_nColumn = 0;
};
