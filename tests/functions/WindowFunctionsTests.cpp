#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t COUNT = 117, HHV = 119, HHVBARS = 120, HOD = 121, LLV = 122, LLVBARS = 123,
                   LOD = 124, SUM = 132, MULAR = 133, SUMBARS = 139;

bool HasState(uint32_t nId) {
    return nId != HOD && nId != LOD && nId != SUMBARS;
}

// The window functions straight from their definitions: a direct loop per bar.
double OracleWindow(uint32_t nId, const Series& x, const Series& n, int p) {
    if (nId == SUMBARS) {  // n is the amount to reach
        double dTotal = 0;
        for (int i = p; i >= 0 && !IsInvalid(x[i]) && !IsInvalid(n[p]); --i) {
            if ((dTotal += x[i]) >= n[p]) return p - i + 1;
        }
        return NA;
    }
    if (IsInvalid(n[p]) || ToCount(n[p]) < 1) return NA;
    if ((nId == HOD || nId == LOD) && ToCount(n[p]) == 1) return 1.0;
    const int nFirst = std::max(p - ToCount(n[p]) + 1, 0);
    const bool bHigh = nId == HHV || nId == HHVBARS || nId == HOD;
    auto beats = [bHigh](double a, double b) { return bHigh ? a > b : a < b; };
    switch (nId) {
        case HHV:
        case HHVBARS:
        case LLV:
        case LLVBARS: {
            int nBest = -1;
            for (int i = p; i >= nFirst; --i) {
                if (!IsInvalid(x[i]) && (nBest < 0 || beats(x[i], x[nBest]))) nBest = i;
            }
            if (nBest < 0) return NA;
            return nId == HHVBARS || nId == LLVBARS ? p - nBest : x[nBest];
        }
        case HOD:
        case LOD: {
            double dRank = 1;
            for (int i = nFirst; i <= p; ++i) {
                if (IsInvalid(x[i])) return NA;
                if (beats(x[i], x[p])) ++dRank;
            }
            return dRank;
        }
        case COUNT: {
            double dCount = 0;
            for (int i = nFirst; i <= p; ++i) dCount += IsTrue(x[i]) ? 1 : 0;
            return dCount;
        }
        case SUM:
        case MULAR: {
            if (IsInvalid(x[p])) return NA;
            double dTotal = nId == SUM ? 0.0 : 1.0;
            for (int i = nFirst; i <= p; ++i) {
                if (IsInvalid(x[i])) continue;
                dTotal = nId == SUM ? dTotal + x[i] : dTotal * x[i];
            }
            return dTotal;
        }
    }
    return NA;
}

TEST(WindowFunctions, MatchDirectLoopsInEveryOrder) {
    constexpr int nBars = 60;
    std::mt19937 random(11);
    for (const uint32_t nId : {HHV, HHVBARS, LLV, LLVBARS, HOD, LOD, COUNT, SUM, MULAR, SUMBARS}) {
        // Fixed periods, including ones longer than the data, then a period that
        // changes from bar to bar and is sometimes invalid or 0.
        for (const int nPeriod : {1, 2, 3, 5, 8, 13, 70, 0}) {
            SCOPED_TRACE(::testing::Message() << "id " << nId << " period " << nPeriod);
            const int nLow = nId == MULAR ? -2 : nId == SUMBARS ? 0 : -4;
            const Series x = RandomSeries(random, nBars, 10, nLow, 4);
            const Series n =
                nPeriod > 0 ? Series(nBars, nPeriod) : RandomSeries(random, nBars, 5, 0, 9);
            ExpectEveryOrder(
                nBars, random,
                [&](CFormulaBench& bench) {
                    return SeriesCall(bench, nId, HasState(nId), {x, n});
                },
                [&](int p) { return OracleWindow(nId, x, n, p); });
        }
    }
}

TEST(WindowFunctions, WorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; Series x; double dN; int nBar; double dExpected; } arrCases[] = {
        {HHV,     {3, 7, 5, 1, 2},  5,  2, 7},   // window clamped to bars 0..2
        {HHVBARS, {7, 1, 7, 2},     4,  3, 1},   // equal maxima: the more recent one
        {LLVBARS, {1, 5, 1, 1, 4},  5,  4, 1},
        {HHV,     {NA, NA, 2},      2,  1, NA},  // nothing valid in the window
        {HHVBARS, {NA, 3},          1,  0, NA},
        {HOD,     {5, 9, 4, 6},     4,  3, 2},   // only 9 is higher
        {HOD,     {NA, 9, 4, 6},    4,  3, NA},  // a rank needs every value
        {SUM,     {1, 2, 3},        0,  2, NA},
        {COUNT,   {1, 2, 3},        0,  2, NA},
        {SUM,     {1, NA, 3, 4},    3,  3, 7},   // invalid values in the window count 0
        {SUM,     {1, 2, NA},       3,  2, NA},  // but x itself must be valid
        {MULAR,   {2, 0, 3, 4},     2,  3, 12},  // the zero has left the window
        {MULAR,   {2, 0, 3, 4},     3,  3, 0},
        {SUMBARS, {4, 1, 2, 3},     5,  3, 2},   // 3 + 2 reaches 5
        {SUMBARS, {4, 1, 2, 3},    11,  3, NA},  // 10 in all
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " bar " << row.nBar);
        CFormulaBench bench(static_cast<int>(row.x.size()));
        const Operand call =
            SeriesCall(bench, row.nId, HasState(row.nId), {row.x, Series(row.x.size(), row.dN)});
        std::vector<double> vecValues = bench.EvaluateBars(call);
        EXPECT_TRUE(SameValue(row.dExpected, vecValues[static_cast<size_t>(row.nBar)]));
    }
}

// Values within VALUE_EPSILON tie, and a tie goes to the more recent bar, whether the
// window is scanned or the running extreme is carried on.
TEST(WindowFunctions, EpsilonTiesKeepTheMoreRecentBar) {
    const Series x = {5, 5 + 3e-8, 1, 5 - 3e-8, 0, 0};
    for (const bool bOnePass : {true, false}) {
        CFormulaBench bench(6);
        const Operand call = SeriesCall(bench, HHVBARS, true, {x, Series(6, 4)});
        double dValue = 0.0;
        for (int nBar = bOnePass ? 0 : 4; nBar <= 4; ++nBar) bench.Evaluate(call, nBar, dValue);
        EXPECT_EQ(dValue, 1) << bOnePass;  // bar 3 of bars 1..4
    }
}

}  // namespace
