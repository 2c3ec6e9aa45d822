#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

using Series = std::vector<double>;
constexpr double X = INVALID_VALUE;  // short for the tables

// clang-format off
enum : uint32_t {
    AVEDEV = 180, DEVSQ = 181, STDP = 182, VAR = 183, STD = 184, VARP = 185,
    FORCAST = 186, SLOPE = 187, COVAR = 188, RELATE = 189, VOLAT = 192,
};
// clang-format on

bool IsPair(uint32_t nId) {
    return nId == COVAR || nId == RELATE;
}

::testing::AssertionResult Close(double dExpected, double dActual, double dRelative = 1e-9) {
    if (!HasValue(dExpected) || !HasValue(dActual)) return SameValue(dExpected, dActual);
    if (std::fabs(dExpected - dActual) <= dRelative * std::max(1.0, std::fabs(dExpected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << dExpected << ", got " << dActual;
}

// X, (Y,) N as data fields; SLOPE and FORCAST have no state slot.
Operand StatisticCall(CFormulaBench& bench, uint32_t nId, const Series& vecX, const Series& vecY,
                      const Series& vecN) {
    std::vector<Operand> vecOperands = {bench.Series(vecX), bench.Series(vecN)};
    if (IsPair(nId)) vecOperands.insert(vecOperands.begin() + 1, bench.Series(vecY));
    return bench.Keep(nId == SLOPE || nId == FORCAST ? bench.Call(nId, vecOperands)
                                                     : bench.CallWithState(nId, vecOperands));
}

// Each statistic from its definition: two passes over the window, in long double.
// VOLAT on a daily chart scales by sqrt(250).
double Reference(uint32_t nId, const Series& vecX, const Series& vecY, const Series& vecN, int p) {
    const int n = IsInvalid(vecN[p]) ? 0 : ToCount(vecN[p]);
    const bool bSample = nId == STD || nId == VAR || nId == VOLAT || nId == COVAR;
    if (n < 1 || p + 1 < n || (bSample && n == 1)) return X;
    long double dMeanX = 0, dMeanY = 0, dAbs = 0, dXX = 0, dYY = 0, dXY = 0, dTX = 0, dTT = 0;
    for (int i = p - n + 1; i <= p; ++i) {
        if (IsInvalid(vecX[i]) || (IsPair(nId) && IsInvalid(vecY[i]))) return X;
        dMeanX += vecX[i] / static_cast<long double>(n);
        dMeanY += IsPair(nId) ? vecY[i] / static_cast<long double>(n) : 0;
    }
    for (int i = p - n + 1; i <= p; ++i) {
        const long double dX = vecX[i] - dMeanX;
        const long double dY = IsPair(nId) ? vecY[i] - dMeanY : 0;
        const long double dT = i - (p - (n - 1) / 2.0L);
        dAbs += std::fabs(dX);
        dXX += dX * dX;
        dYY += dY * dY;
        dXY += dX * dY;
        dTX += dT * dX;
        dTT += dT * dT;
    }
    const long double dSlope = n == 1 ? 0 : dTX / dTT;
    switch (nId) {
        case AVEDEV:
            return static_cast<double>(dAbs / n);
        case DEVSQ:
            return static_cast<double>(dXX);
        case STDP:
            return static_cast<double>(std::sqrt(dXX / n));
        case VAR:
            return static_cast<double>(dXX / (n - 1));
        case STD:
            return static_cast<double>(std::sqrt(dXX / (n - 1)));
        case VARP:
            return static_cast<double>(dXX / n);
        case SLOPE:
            return static_cast<double>(dSlope);
        case FORCAST:
            return static_cast<double>(dMeanX + dSlope * (n - 1) / 2);
        case COVAR:
            return static_cast<double>(dXY / (n - 1));
        case RELATE:
            return dXX * dYY > 0 ? static_cast<double>(dXY / std::sqrt(dXX * dYY)) : 0.0;
        case VOLAT:
            return static_cast<double>(std::sqrt(dXX / (n - 1) * 250));
    }
    return X;
}

// Every statistic against its definition on random walks with holes, for fixed
// windows and for one that changes (or is invalid) from bar to bar, with the bars
// asked for in one pass, backwards (no bar finds its predecessor's state) and in
// random order, as the calculator's on-demand evaluation may do.
TEST(Statistics, MatchTheirDefinitionInAnyOrder) {
    constexpr int nBars = 150;
    std::mt19937 random(20240115);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_int_distribution<int> percent(0, 99);
    Series vecX, vecY, vecChanging;
    double dX = 100, dY = 50;
    for (int i = 0; i < nBars; ++i) {
        dX += step(random);
        dY += step(random);
        vecX.push_back(percent(random) < 4 ? X : dX);
        vecY.push_back(percent(random) < 4 ? X : dY);
        vecChanging.push_back(percent(random) < 5 ? X : percent(random) % 14);
    }
    std::vector<int> vecForward(nBars);
    std::iota(vecForward.begin(), vecForward.end(), 0);
    std::vector<int> vecShuffled = vecForward;
    std::shuffle(vecShuffled.begin(), vecShuffled.end(), random);
    const std::vector<int> vecOrders[] = {
        vecForward, {vecForward.rbegin(), vecForward.rend()}, vecShuffled};
    std::vector<Series> vecPeriods = {vecChanging};
    for (const double dN : {1.0, 2.0, 4.9999999, 7.0, 30.0, 149.0}) {
        vecPeriods.push_back(Series(nBars, dN));
    }

    for (const uint32_t nId :
         {AVEDEV, DEVSQ, STDP, VAR, STD, VARP, FORCAST, SLOPE, COVAR, RELATE, VOLAT}) {
        for (const Series& vecN : vecPeriods) {
            for (const std::vector<int>& vecOrder : vecOrders) {
                SCOPED_TRACE(::testing::Message() << "id " << nId << ", N " << vecN[0] << ", order "
                                                  << (&vecOrder - vecOrders));
                CFormulaBench bench(nBars);
                const Operand call = StatisticCall(bench, nId, vecX, vecY, vecN);
                for (const int p : vecOrder) {
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, p, dValue), EVAL_OK);
                    ASSERT_TRUE(Close(Reference(nId, vecX, vecY, vecN, p), dValue)) << "bar " << p;
                }
            }
        }
    }
}

TEST(Statistics, WorkedExamples) {
    const Series vecConstant(8, 100.07);
    // clang-format off
    const struct { uint32_t nId; Series vecX; Series vecY; double dN; int nBar; double dExpected; } arrCases[] = {
        {STD,     {1, 2, 3, 4, 5}, {},        5, 3, X},
        {STD,     {1, 2, 3},       {},        1, 2, X},
        {STDP,    {1, 2, 3},       {},        1, 2, 0},
        {VAR,     {1, 3},          {},        2, 1, 2},
        {VARP,    {1, 3},          {},        2, 1, 1},
        {STD,     vecConstant,     {},        5, 7, 0},  // exactly: no rounding remainder
        {VAR,     vecConstant,     {},        5, 7, 0},
        {SLOPE,   {1, 2, 3},       {},        3, 2, 1},
        {FORCAST, {1, 2, 3},       {},        3, 2, 3},
        {SLOPE,   {4, 7},          {},        1, 1, 0},  // one bar: a flat line through it
        {FORCAST, {4, 7},          {},        1, 1, 7},
        {AVEDEV,  {9, 1, 2, 3, 4}, {},        4, 4, 1},
        {DEVSQ,   {9, 1, 2, 3, 4}, {},        4, 4, 5},
        {COVAR,   {1, 2, 3},       {2, 4, 6}, 3, 2, 2},
        {COVAR,   {1, 2, 3},       {2, 4, 6}, 1, 2, X},
        {RELATE,  {1, 2, 3},       {6, 4, 2}, 3, 2, -1},
        {RELATE,  {1, 2, 3},       {5, 5, 5}, 3, 2, 0},  // nothing to correlate with
        {VOLAT,   {1, 3},          {},        2, 1, std::sqrt(2.0 * 250)},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "id " << row.nId << " N " << row.dN << " bar " << row.nBar);
        CFormulaBench bench(static_cast<int>(row.vecX.size()));
        const Series vecN(row.vecX.size(), row.dN);
        const Operand call = StatisticCall(bench, row.nId, row.vecX, row.vecY, vecN);
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, row.nBar, dValue), EVAL_OK);
        // Zero means exactly zero: a rounding remainder must not show.
        EXPECT_TRUE(row.dExpected == 0 ? SameValue(0.0, dValue)
                                       : Close(row.dExpected, dValue, 1e-12));
    }
}

// A million bars of prices in cents wandering around 100: the running sums must keep
// within 1e-9 of a fresh two-pass computation all the way (plain running sums of
// values and squares do not).
TEST(Statistics, RunningSumsDoNotDriftOverAMillionBars) {
    constexpr int nBars = 1000000;
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.05);
    Series vecPrices;
    for (double dPrice = 100.0; vecPrices.size() < nBars;) {
        dPrice += step(random) + 0.0005 * (100.0 - dPrice);
        vecPrices.push_back(std::round(dPrice * 100) / 100);
    }
    for (const auto& call : {std::pair<uint32_t, float>{STD, 20}, {VARP, 3}, {VAR, 250}}) {
        CFormulaBench bench(nBars);
        const Operand expr = bench.Keep(
            bench.CallWithState(call.first, {bench.Series(vecPrices), Num(call.second)}));
        const Series vecN(nBars, call.second);
        for (int p = 0; p < nBars; ++p) {
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(expr, p, dValue), EVAL_OK);
            if (p % 997 == 0 || p == nBars - 1) {
                ASSERT_TRUE(Close(Reference(call.first, vecPrices, {}, vecN, p), dValue))
                    << call.first << " bar " << p;
            }
        }
    }
}

}  // namespace
