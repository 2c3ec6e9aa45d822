// The rules of the binary operators, indexed by node kind, shared by the bar-by-bar
// evaluator and the column evaluator so that both compute the same doubles.
//
// "^" is a power. The formula language has no "^" and the front end never writes
// one, so no stored formula depends on its meaning, and a power is what anyone
// writing "^" expects. (Combining the bit patterns of the operands, the other
// candidate, would give meaningless numbers and could even forge INVALID_VALUE.)
// The compiler binds it like "+" and "-", left to right: 2*3^2 is (2*3)^2.
//
// A zero divisor gives 0: it is a data condition, and charts want a line there
// rather than a gap.
//
// "+" and "*" keep their operands in the written order (RunningArithmetic.h), so that
// two NaNs give the same one wherever the rule is compiled in.
#pragma once

#include <cmath>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/RunningArithmetic.h"
#include "index/functions/ValueConventions.h"

using BinaryOperator = double (*)(double dLeft, double dRight);

// Kinds 12 to 15 are no operators: Unary is never built by the compiler and is
// refused, Reference is reached through Reference operands, Call and StatefulCall
// go to the dispatcher.
// clang-format off
inline constexpr BinaryOperator s_arrBinaryOperators[] = {
    [](double a, double b) { return OrderedAdd(a, b); },                              // 0  +
    [](double a, double b) { return a - b; },                                         // 1  -
    [](double a, double b) { return OrderedMultiply(a, b); },                         // 2  *
    [](double a, double b) { return IsZero(b) ? 0.0 : a / b; },                       // 3  /
    [](double a, double b) { return IsZero(a) || IsZero(b) ? 0.0 : 1.0; },            // 4  &
    [](double a, double b) { return IsZero(a) && IsZero(b) ? 0.0 : 1.0; },            // 5  |
    [](double a, double b) { return IsGreater(a, b) ? 1.0 : 0.0; },                   // 6  >
    [](double a, double b) { return IsGreater(b, a) ? 1.0 : 0.0; },                   // 7  <
    [](double a, double b) { return IsEqual(a, b) ? 1.0 : 0.0; },                     // 8  =
    [](double a, double b) { return IsEqual(a, b) || IsGreater(a, b) ? 1.0 : 0.0; },  // 9  >=
    [](double a, double b) { return IsEqual(a, b) || IsGreater(b, a) ? 1.0 : 0.0; },  // 10 <=
    [](double a, double b) { return IsEqual(a, b) ? 0.0 : 1.0; },                     // 11 <>
    nullptr, nullptr, nullptr, nullptr,                                               // 12..15
    [](double a, double b) { return std::pow(a, b); },                                // 16 ^
};
// clang-format on
static_assert(std::size(s_arrBinaryOperators) == NodeKind::Caret + 1, "one row per node kind");

// The operator of a node kind, or null for a kind that is none.
inline BinaryOperator FindBinaryOperator(uint32_t nKind) {
    return nKind < std::size(s_arrBinaryOperators) ? s_arrBinaryOperators[nKind] : nullptr;
}

// Calls body(std::integral_constant<uint32_t, KIND>()) for the operator kind, so that
// a loop over many bars is compiled once per operator with its rule inlined.
template <class BODY>
void WithBinaryOperator(uint32_t nKind, BODY body) {
    switch (nKind) {
        case 0:
            return body(std::integral_constant<uint32_t, 0>());
        case 1:
            return body(std::integral_constant<uint32_t, 1>());
        case 2:
            return body(std::integral_constant<uint32_t, 2>());
        case 3:
            return body(std::integral_constant<uint32_t, 3>());
        case 4:
            return body(std::integral_constant<uint32_t, 4>());
        case 5:
            return body(std::integral_constant<uint32_t, 5>());
        case 6:
            return body(std::integral_constant<uint32_t, 6>());
        case 7:
            return body(std::integral_constant<uint32_t, 7>());
        case 8:
            return body(std::integral_constant<uint32_t, 8>());
        case 9:
            return body(std::integral_constant<uint32_t, 9>());
        case 10:
            return body(std::integral_constant<uint32_t, 10>());
        case 11:
            return body(std::integral_constant<uint32_t, 11>());
        case 16:
            return body(std::integral_constant<uint32_t, 16>());
        default:
            return;
    }
}
