#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "index/functions/ValueConventions.h"

namespace {

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

TEST(ValueConventions, ReservedPatternsAreToldByTheirBits) {
    EXPECT_EQ(ValueBits(INVALID_VALUE), 0xFFFFFFFEFFFFFFFFull);
    EXPECT_EQ(ValueBits(UNCOMPUTED_VALUE), 0xFFFFFFFFFFFFFFFFull);
    // clang-format off
    const struct { double dValue; bool bInvalid; bool bComputed; } arrCases[] = {
        {INVALID_VALUE,    true,  true},
        {UNCOMPUTED_VALUE, false, false},
        {NOT_A_NUMBER,     false, true},
        {-NOT_A_NUMBER,    false, true},
        {-1.0,             false, true},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(ValueBits(row.dValue));
        EXPECT_EQ(IsInvalid(row.dValue), row.bInvalid);
        EXPECT_EQ(IsComputed(row.dValue), row.bComputed);
        EXPECT_EQ(HasValue(row.dValue), row.bComputed && !row.bInvalid);
    }
}

TEST(ValueConventions, ComparisonsUseTheWidenedFloatEpsilon) {
    EXPECT_EQ(VALUE_EPSILON, 1.0000000116860974e-7);
    // Above the double 1e-7, below the widened float: zero only for the latter.
    EXPECT_TRUE(IsZero(-1.00000001e-7));
    EXPECT_FALSE(IsZero(1.2e-7));
    EXPECT_TRUE(IsEqual(3.0, 3.00000005));
    EXPECT_FALSE(IsGreater(1.0 + 1e-7, 1.0));
    EXPECT_TRUE(IsGreater(1.0 + 2e-7, 1.0));
    EXPECT_FALSE(IsTrue(INVALID_VALUE));
    EXPECT_FALSE(IsTrue(5e-8));
}

TEST(ValueConventions, CountsAndRounding) {
    constexpr int nMax = std::numeric_limits<int>::max();
    constexpr int nMin = std::numeric_limits<int>::min();
    // clang-format off
    const struct { double dValue; int nCount; double dRounded; } arrCases[] = {
        {2.9999999,     3,    3},
        {2.9999998,     2,    3},
        {-1.5,          -1,   -2},
        {-0.5,          0,    -1},
        {2.4999999,     2,    3},   // the nudge reaches the half
        {2.499999,      2,    2},
        {1e12,          nMax, 1e12},
        {-1e12,         nMin, -1e12},
        {NOT_A_NUMBER,  nMin, NOT_A_NUMBER},
        {INVALID_VALUE, nMin, NOT_A_NUMBER},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        EXPECT_EQ(ToCount(row.dValue), row.nCount) << row.dValue;
        if (!std::isnan(row.dRounded)) {
            EXPECT_EQ(RoundHalfAway(row.dValue), row.dRounded);
        }
    }
}

}  // namespace
