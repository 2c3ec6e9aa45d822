// The checks that a statement passes once it is tokenised and stripped of its
// output attributes: where definitions may stand, balanced parentheses, the
// argument count of every call, and operands alternating with operators.
#pragma once

#include <cstddef>
#include <vector>

// Each answers 0 when the statement is sound; otherwise the error code, and in
// *pTokenIndex the index of the token where the fault was found.

// ':' and ':=' stand only right after the name that the statement defines. The
// lexer makes sure that the name in front is a fresh one; a definition operator
// further on would turn into a comparison in the script.
int CheckDefinitionPlace(const std::vector<int>& vecTokens, size_t* pTokenIndex);

// Parentheses, calls and operand balance, in that order, on a statement that
// has lost its attributes.
int CheckStatementTokens(const std::vector<int>& vecTokens, size_t* pTokenIndex);
