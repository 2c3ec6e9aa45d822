#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t TOPRANGE = 152, LOWRANGE = 153, FINDHIGH = 154, FINDHIGHBARS = 155,
                   FINDLOW = 156, FINDLOWBARS = 157;

double OracleRange(bool bTop, const Series& x, int p) {
    if (IsInvalid(x[p])) return NA;
    for (int i = p - 1; i >= 0; --i) {
        if (!IsInvalid(x[i]) && (bTop ? x[p] <= x[i] : x[p] >= x[i])) return p - 1 - i;
    }
    return p;
}

// Sorts the whole window, highest (lowest) first and on equal values the more recent
// bar first, and picks the t-th.
double OracleFind(uint32_t nId, const std::vector<Series>& args, int p) {
    for (size_t i = 1; i < args.size(); ++i) {
        if (IsInvalid(args[i][p])) return NA;
    }
    int n = ToCount(args[1][p]);
    int m = ToCount(args[2][p]);
    int t = ToCount(args[3][p]);
    if (n < 0 || m < 1 || t < 1) return NA;
    n = std::min(n, p + 1);
    m = std::min(m, p + 1);
    t = std::min(t, p + 1);
    std::vector<std::pair<double, int>> vecValues;  // (value, offset j)
    for (int j = 0; j < m; ++j) {
        const int nBar = p - n - j;
        if (nBar >= 0 && !IsInvalid(args[0][nBar])) vecValues.push_back({args[0][nBar], j});
    }
    const bool bHigh = nId == FINDHIGH || nId == FINDHIGHBARS;
    std::stable_sort(vecValues.begin(), vecValues.end(), [bHigh](const auto& a, const auto& b) {
        return bHigh ? a.first > b.first : a.first < b.first;
    });
    if (static_cast<int>(vecValues.size()) < t) return NA;
    const auto& pick = vecValues[static_cast<size_t>(t - 1)];
    return nId == FINDHIGHBARS || nId == FINDLOWBARS ? n + pick.second : pick.first;
}

TEST(RankFunctions, RangesMatchDirectLoopsInEveryOrder) {
    constexpr int nBars = 80;
    std::mt19937 random(21);
    for (const uint32_t nId : {TOPRANGE, LOWRANGE}) {
        for (const int nHoles : {0, 15}) {
            const Series x = RandomSeries(random, nBars, nHoles, 0, 12);
            ExpectEveryOrder(
                nBars, random,
                [&](CFormulaBench& bench) { return SeriesCall(bench, nId, true, {x}); },
                [&](int p) { return OracleRange(nId == TOPRANGE, x, p); });
        }
    }
}

TEST(RankFunctions, FindMatchesSortedWindow) {
    constexpr int nBars = 40;
    std::mt19937 random(22);
    for (const uint32_t nId : {FINDHIGH, FINDHIGHBARS, FINDLOW, FINDLOWBARS}) {
        for (int nRound = 0; nRound < 4; ++nRound) {
            const std::vector<Series> args = {
                RandomSeries(random, nBars, 10, 0, 6), RandomSeries(random, nBars, 5, -1, 8),
                RandomSeries(random, nBars, 5, 0, 10), RandomSeries(random, nBars, 5, 0, 4)};
            ExpectEveryOrder(
                nBars, random,
                [&](CFormulaBench& bench) { return SeriesCall(bench, nId, false, args); },
                [&](int p) { return OracleFind(nId, args, p); });
        }
    }
}

TEST(RankFunctions, WorkedExamples) {
    // Bars 0..6; at bar 6 the window X(1)..X(4) is bars 5, 4, 3, 2.
    const Series x = {9, 8, 4, 7, 4, 7, 1};
    // clang-format off
    const struct { uint32_t nId; double dN, dM, dT, dExpected; } arrCases[] = {
        {FINDHIGH,     1, 4, 1, 7},
        {FINDHIGHBARS, 1, 4, 1, 1},   // 7 at bars 5 and 3: the more recent counts first
        {FINDHIGHBARS, 1, 4, 2, 3},
        {FINDLOWBARS,  1, 4, 1, 2},   // 4 at bars 4 and 2
        {FINDLOW,      1, 4, 3, 7},
        {FINDHIGH,     1, 4, 5, NA},  // only four values
        {FINDHIGH,     0, 99, 1, 9},  // the window is clamped to the data
        {FINDHIGH,    -1, 4, 1, NA},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " t " << row.dT);
        CFormulaBench bench(7);
        const Operand call = SeriesCall(
            bench, row.nId, false, {x, Series(7, row.dN), Series(7, row.dM), Series(7, row.dT)});
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, 6, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
    }
}

}  // namespace
