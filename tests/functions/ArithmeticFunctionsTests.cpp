#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

constexpr double INFINITE = std::numeric_limits<double>::infinity();
constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

// Arguments come from a data field, so they reach the function as doubles; number
// literals of a formula would be single-precision floats.
double CallAtBar0(uint32_t nId, const std::vector<double>& vecArgs, int& nStatus) {
    CFormulaBench bench(1);
    std::vector<Operand> vecOperands;
    for (const double dArg : vecArgs) vecOperands.push_back(bench.Series({dArg}));
    double dValue = 0.0;
    nStatus = bench.Evaluate(bench.Keep(bench.Call(nId, vecOperands)), 0, dValue);
    return dValue;
}

TEST(ArithmeticFunctions, WorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; std::vector<double> vecArgs; double dExpected; } arrCases[] = {
        {0, {1, 2}, 2},  // MAX
        {0, {2, 1}, 2},
        {1, {1, 2}, 1},  // MIN
        {1, {2, 1}, 1},
        {2, {7.5, 2}, 0},              // MOD: 8 mod 2
        {2, {5, 0.4}, INVALID_VALUE},  // divisor rounds to 0
        {2, {-7, 3}, -1},
        {2, {7, -3}, 1},
        {2, {10.4999999, 4}, 3},  // 11 mod 4: the nudge rounds up
        {2, {-3e9, -1}, 0},       // saturated dividend, no overflow
        {2, {-3e9, 7}, -2},
        {3, {1}, 0},  // ACOS
        {3, {-1.0000001}, INVALID_VALUE},
        {4, {1}, std::asin(1.0)},  // ASIN
        {4, {1.0000001}, INVALID_VALUE},
        {5, {1}, std::atan(1.0)},   // ATAN
        {6, {0}, 1},                // COS
        {7, {0.5}, std::sin(0.5)},  // SIN
        {8, {1}, std::tan(1.0)},    // TAN
        {9, {1}, std::exp(1.0)},    // EXP
        {10, {0}, -INFINITE},       // LN
        {10, {-1}, NOT_A_NUMBER},
        {11, {1000}, 3},  // LOG
        {12, {-4}, 0},    // SQRT
        {12, {0}, 0},
        {12, {2.25}, 1.5},
        {13, {-2.5}, 2.5},    // ABS
        {14, {2, 10}, 1024},  // POW
        {14, {-8, 1.0 / 3}, NOT_A_NUMBER},
        {15, {1.2}, 2},  // CEILING
        {15, {-1.2}, -1},
        {16, {-1.2}, -2},       // FLOOR
        {17, {2.99999995}, 3},  // INTPART
        {17, {-2.99999995}, -3},
        {17, {2.9999998}, 2},
        {17, {1e12 + 0.5}, 1e12},  // beyond 32 bits
        {18, {5, 10, 1}, 0},       // BETWEEN
        {18, {5, 1, 10}, 1},
        {18, {1, 1, 10}, 0},
        {18, {10, 1, 10}, 0},
        {19, {-1.25}, -0.25},  // FRACPART
        {19, {2.75}, 0.75},
        {20, {-2.5}, -3},  // ROUND
        {20, {2.4999999}, 3},
        {20, {2.49}, 2},
        {21, {1.005, 2}, 1.01},  // ROUND2
        {21, {-1.005, 2}, -1.01},
        {21, {1.23456, 3}, 1.235},
        {21, {2.5, 0}, 3},
        {21, {1.5, -0.5}, 2},  // counts as 0 decimals
        {21, {1.5, -1}, INVALID_VALUE},
        {22, {0.00000005}, 0},  // SIGN
        {22, {2e-7}, 1},
        {22, {-3}, -1},
        {23, {0.5}, INVALID_VALUE},     // RAND
        {499, {255, 0, 0}, -16776961},  // RGB
        {499, {300, -0.0, 0}, -16776961},
        {499, {254.9999999, 0, 0}, -16776961},
        {499, {1, 2, 3}, -16580095},
        {499, {0, 0, 0}, -16777216},
        {499, {0, 0, -1}, INVALID_VALUE},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "id " << row.nId << " " << ::testing::PrintToString(row.vecArgs));
        int nStatus = EVAL_ERROR;
        const double dValue = CallAtBar0(row.nId, row.vecArgs, nStatus);
        ASSERT_EQ(nStatus, EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
    }
}

TEST(ArithmeticFunctions, InvalidArgumentsAndWrongCounts) {
    // clang-format off
    const struct { uint32_t nId; int nArity; } arrFunctions[] = {
        {0, 2},  {1, 2},  {2, 2},  {3, 1},  {4, 1},  {5, 1},  {6, 1},  {7, 1},  {8, 1},
        {9, 1},  {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 2}, {15, 1}, {16, 1}, {17, 1},
        {18, 3}, {19, 1}, {20, 1}, {21, 2}, {22, 1}, {23, 1}, {499, 3},
    };
    // clang-format on
    for (const auto& function : arrFunctions) {
        SCOPED_TRACE(function.nId);
        int nStatus = EVAL_ERROR;
        for (int nInvalid = 0; nInvalid < function.nArity; ++nInvalid) {
            std::vector<double> vecArgs(static_cast<size_t>(function.nArity), 1.0);
            vecArgs[static_cast<size_t>(nInvalid)] = FAKE_REFUSED;
            EXPECT_TRUE(SameValue(INVALID_VALUE, CallAtBar0(function.nId, vecArgs, nStatus)));
            EXPECT_EQ(nStatus, EVAL_OK);
        }
        CallAtBar0(function.nId, std::vector<double>(function.nArity + 1, 1.0), nStatus);
        EXPECT_EQ(nStatus, EVAL_ERROR);
        CallAtBar0(function.nId, std::vector<double>(function.nArity - 1, 1.0), nStatus);
        EXPECT_EQ(nStatus, EVAL_ERROR);
    }
}

// A literal in a formula is a float: 1.0000001 stays above 1 and outside ASIN's domain.
TEST(ArithmeticFunctions, FloatLiteralArguments) {
    CFormulaBench bench(1);
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(bench.Keep(bench.Call(4, {Num(1.0000001f)})), 0, dValue), EVAL_OK);
    EXPECT_TRUE(SameValue(INVALID_VALUE, dValue));
    ASSERT_EQ(bench.Evaluate(bench.Keep(bench.Call(20, {Num(-2.5f)})), 0, dValue), EVAL_OK);
    EXPECT_EQ(dValue, -3);
}

// RAND draws from the C library's generator and leaves its seed to the host.
TEST(ArithmeticFunctions, RandFollowsTheHostSeededGenerator) {
    constexpr int nDraws = 50;
    std::srand(42);
    std::vector<double> vecExpected;
    for (int i = 0; i < nDraws; ++i) vecExpected.push_back(std::rand() % 11);

    CFormulaBench bench(1);
    const Operand call = bench.Keep(bench.Call(23, {bench.Constant(9.5)}));  // rounds to 10
    std::srand(42);
    for (int i = 0; i < nDraws; ++i) {
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, 0, dValue), EVAL_OK);
        EXPECT_EQ(dValue, vecExpected[static_cast<size_t>(i)]) << i;
    }
}

}  // namespace
