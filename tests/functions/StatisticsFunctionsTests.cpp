#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

using Series = std::vector<double>;
constexpr double X = INVALID_VALUE;  // short for the tables

enum : uint32_t {
    AVEDEV = 180,
    DEVSQ = 181,
    STDP = 182,
    VAR = 183,
    STD = 184,
    VARP = 185,
    FORCAST = 186,
    SLOPE = 187,
    COVAR = 188,
    RELATE = 189,
    VOLAT = 192,
};

constexpr uint32_t ALL_STATISTICS[] = {AVEDEV,  DEVSQ, STDP,  VAR,    STD,  VARP,
                                       FORCAST, SLOPE, COVAR, RELATE, VOLAT};

bool HasStateSlot(uint32_t nId) {
    return nId != SLOPE && nId != FORCAST;
}
bool IsPair(uint32_t nId) {
    return nId == COVAR || nId == RELATE;
}

// The calendar a daily chart has: VOLAT scales by sqrt(250) there.
constexpr double DAILY_VOLAT_FACTOR = 15.811388300841896;

::testing::AssertionResult Close(double dExpected, double dActual, double dRelative = 1e-9) {
    if (!HasValue(dExpected) || !HasValue(dActual)) return SameValue(dExpected, dActual);
    if (std::fabs(dExpected - dActual) <= dRelative * std::max(1.0, std::fabs(dExpected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << dExpected << ", got " << dActual
                                         << " (difference " << dActual - dExpected << ")";
}

Series RandomWalk(std::mt19937& random, int nBars, int nHolePercent) {
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_int_distribution<int> percent(0, 99);
    Series vecValues;
    double dPrice = 100.0;
    for (int i = 0; i < nBars; ++i) {
        dPrice += step(random);
        vecValues.push_back(percent(random) < nHolePercent ? X : dPrice);
    }
    return vecValues;
}

// A statistic on series arguments: X, (Y,) N.
Operand StatisticCall(CFormulaBench& bench, uint32_t nId, const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    return bench.Keep(HasStateSlot(nId) ? bench.CallWithState(nId, vecOperands)
                                        : bench.Call(nId, vecOperands));
}

// The statistics straight from their definitions, two passes over the window in
// long double. vecY is only read by COVAR and RELATE.
double Reference(uint32_t nId, const Series& vecX, const Series& vecY, const Series& vecN, int p) {
    if (IsInvalid(vecN[p]) || ToCount(vecN[p]) < 1) return X;
    const int n = ToCount(vecN[p]);
    if (p + 1 < n) return X;
    if (n == 1 && (nId == STD || nId == VAR || nId == VOLAT || nId == COVAR)) return X;
    long double dMeanX = 0;
    long double dMeanY = 0;
    for (int i = p - n + 1; i <= p; ++i) {
        if (IsInvalid(vecX[i]) || (IsPair(nId) && IsInvalid(vecY[i]))) return X;
        dMeanX += vecX[i];
        if (IsPair(nId)) dMeanY += vecY[i];
    }
    dMeanX /= n;
    dMeanY /= n;
    long double dAbs = 0, dXX = 0, dYY = 0, dXY = 0, dTY = 0, dTT = 0;
    for (int i = p - n + 1; i <= p; ++i) {
        const long double dX = vecX[i] - dMeanX;
        const long double dY = IsPair(nId) ? vecY[i] - dMeanY : 0;
        const long double dT = i - (p - (n - 1) / 2.0L);
        dAbs += std::fabs(dX);
        dXX += dX * dX;
        dYY += dY * dY;
        dXY += dX * dY;
        dTY += dT * dX;
        dTT += dT * dT;
    }
    const long double dSlope = n == 1 ? 0 : dTY / dTT;
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
            return static_cast<double>(dMeanX + dSlope * (n - 1) / 2.0L);
        case COVAR:
            return static_cast<double>(dXY / (n - 1));
        case RELATE:
            return dXX * dYY > 0 ? static_cast<double>(dXY / std::sqrt(dXX * dYY)) : 0.0;
        case VOLAT:
            return static_cast<double>(std::sqrt(dXX / (n - 1))) * DAILY_VOLAT_FACTOR;
    }
    return X;
}

// The orders in which the calculator may ask for bars: in one pass, backwards (every
// bar computed without its predecessor), shuffled, and in increasing chunks that
// compute the first bar of each chunk again.
std::vector<std::vector<int>> EvaluationOrders(int nBars, std::mt19937& random) {
    std::vector<int> vecForward(static_cast<size_t>(nBars));
    std::iota(vecForward.begin(), vecForward.end(), 0);
    std::vector<int> vecBackward(vecForward.rbegin(), vecForward.rend());
    std::vector<int> vecShuffled = vecForward;
    std::shuffle(vecShuffled.begin(), vecShuffled.end(), random);
    std::vector<int> vecChunks;
    for (int nStart = 0; nStart < nBars; nStart += 7) {
        for (int nBar = std::max(nStart - 1, 0); nBar < std::min(nStart + 7, nBars); ++nBar) {
            vecChunks.push_back(nBar);
        }
    }
    return {vecForward, vecBackward, vecShuffled, vecChunks};
}

// Every statistic against its two-pass definition, on random walks with holes, for
// fixed windows and for a window that changes (and turns invalid) from bar to bar,
// each in every evaluation order.
TEST(Statistics, MatchTwoPassDefinitionInAnyOrder) {
    constexpr int nBars = 160;
    std::mt19937 random(20240115);
    const Series vecX = RandomWalk(random, nBars, 4);
    const Series vecY = RandomWalk(random, nBars, 4);
    std::vector<Series> vecPeriods;
    for (const double dN : {1.0, 2.0, 3.0, 4.9999999, 7.0, 20.0, 61.0, 200.0}) {
        vecPeriods.push_back(Series(nBars, dN));
    }
    Series vecChanging;
    std::uniform_int_distribution<int> period(-1, 12);
    for (int i = 0; i < nBars; ++i) {
        const int n = period(random);
        vecChanging.push_back(n < 0 ? X : n);
    }
    // Long runs of the same period between changes exercise the running state too.
    Series vecSteps;
    for (int i = 0; i < nBars; ++i) vecSteps.push_back(3 + (i / 23) % 4 * 5);
    vecPeriods.push_back(vecChanging);
    vecPeriods.push_back(vecSteps);

    for (const uint32_t nId : ALL_STATISTICS) {
        for (size_t nPeriod = 0; nPeriod < vecPeriods.size(); ++nPeriod) {
            const Series& vecN = vecPeriods[nPeriod];
            int nOrder = 0;
            for (const std::vector<int>& vecOrder : EvaluationOrders(nBars, random)) {
                SCOPED_TRACE(::testing::Message()
                             << "id " << nId << ", periods " << nPeriod << ", order " << nOrder++);
                CFormulaBench bench(nBars);
                bench.m_context.nPeriodKind = 3;
                bench.m_context.nPeriodLength = 1;
                const Operand call =
                    StatisticCall(bench, nId,
                                  IsPair(nId) ? std::vector<Series>{vecX, vecY, vecN}
                                              : std::vector<Series>{vecX, vecN});
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
    // clang-format off
    const struct {
        uint32_t nId; Series vecX; Series vecY; double dN; int nBar; double dExpected;
    } arrCases[] = {
        {STD,     {1, 2, 3, 4, 5},    {}, 5, 3, X},
        {STD,     {1, 2, 3, 4, 5},    {}, 5, 4, std::sqrt(2.5)},
        {STD,     {1, 2, 3},          {}, 1, 2, X},
        {STDP,    {1, 2, 3},          {}, 1, 2, 0},
        {VAR,     {1, 3},             {}, 2, 1, 2},
        {VARP,    {1, 3},             {}, 2, 1, 1},
        {VAR,     {1, 3},             {}, 1, 1, X},
        {VARP,    {1, 3},             {}, 0, 1, X},
        {SLOPE,   {1, 2, 3},          {}, 3, 2, 1},
        {FORCAST, {1, 2, 3},          {}, 3, 2, 3},
        {SLOPE,   {5, 1, 3},          {}, 3, 2, -1},
        {FORCAST, {5, 1, 3},          {}, 3, 2, 2},
        {SLOPE,   {4, 7},             {}, 1, 1, 0},  // one bar: a flat line through it
        {FORCAST, {4, 7},             {}, 1, 1, 7},
        {AVEDEV,  {1, 2, 3, 4},       {}, 4, 3, 1},
        {DEVSQ,   {1, 2, 3, 4},       {}, 4, 3, 5},
        {AVEDEV,  {9, 1, 2, 3, 4},    {}, 4, 4, 1},
        {DEVSQ,   {1, X, 3},          {}, 2, 2, X},
        {DEVSQ,   {1, X, 3, 5},       {}, 2, 3, 2},
        {COVAR,   {1, 2, 3},   {2, 4, 6}, 3, 2, 2},
        {RELATE,  {1, 2, 3},   {2, 4, 6}, 3, 2, 1},
        {RELATE,  {1, 2, 3},   {6, 4, 2}, 3, 2, -1},
        {RELATE,  {1, 2, 3},   {5, 5, 5}, 3, 2, 0},  // nothing to correlate with
        {COVAR,   {1, 2, 3},   {2, 4, 6}, 1, 2, X},
        {COVAR,   {1, 2, 3},   {2, X, 6}, 2, 2, X},
        {VOLAT,   {1, 3},             {}, 2, 1, std::sqrt(2.0) * DAILY_VOLAT_FACTOR},
        {VOLAT,   {1, 3},             {}, 1, 1, X},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "id " << row.nId << " " << ::testing::PrintToString(row.vecX) << " N "
                     << row.dN << " bar " << row.nBar);
        const int nBars = static_cast<int>(row.vecX.size());
        CFormulaBench bench(nBars);
        std::vector<Series> vecArgs = {row.vecX};
        if (IsPair(row.nId)) vecArgs.push_back(row.vecY);
        vecArgs.push_back(Series(static_cast<size_t>(nBars), row.dN));
        const Operand call = StatisticCall(bench, row.nId, vecArgs);
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, row.nBar, dValue), EVAL_OK);
        EXPECT_TRUE(Close(row.dExpected, dValue, 1e-12));
    }
}

// Rounding must not leave a negative remainder under the square root, nor a
// deviation where there is none.
TEST(Statistics, ConstantSeriesHasNoDeviation) {
    constexpr int nBars = 300;
    for (const double dLevel : {0.1, 3.3, 100.07, 12345.678}) {
        for (const uint32_t nId : {STD, STDP, VAR, VARP, AVEDEV, DEVSQ, SLOPE}) {
            CFormulaBench bench(nBars);
            const Operand call =
                StatisticCall(bench, nId, {Series(nBars, dLevel), Series(nBars, 7)});
            const Series vecValues = bench.EvaluateBars(call);
            for (int p = 6; p < nBars; ++p) {
                ASSERT_TRUE(HasValue(vecValues[p])) << nId << " bar " << p;
                if (nId == VAR || nId == VARP) {
                    ASSERT_LE(std::fabs(vecValues[p]), 1e-12 * dLevel * dLevel) << nId;
                } else {
                    ASSERT_EQ(vecValues[p], 0.0) << nId << " at " << dLevel;
                }
            }
        }
    }
}

// The annualising factor follows the bar period: sqrt(bars in a year of 250 trading
// days of 4 hours, divided by the period's length).
TEST(Statistics, VolatScalesByBarsPerYear) {
    // clang-format off
    const struct { int nKind; int nLength; double dBarsPerYear; } arrPeriods[] = {
        {0, 5,  250.0 * 4 * 3600 / 5},
        {1, 1,  250.0 * 4 * 60},
        {1, 15, 250.0 * 4 * 60 / 15},
        {2, 2,  250.0 * 4 / 2},
        {3, 1,  250},
        {3, 0,  250},  // a length below 1 counts as 1
        {4, 1,  52},
        {5, 3,  4},
        {6, 1,  4},
        {7, 1,  1},
        {8, 1,  X},
        {-1, 1, X},
    };
    // clang-format on
    for (const auto& period : arrPeriods) {
        SCOPED_TRACE(::testing::Message()
                     << "kind " << period.nKind << " length " << period.nLength);
        CFormulaBench bench(2);
        bench.m_context.nPeriodKind = period.nKind;
        bench.m_context.nPeriodLength = period.nLength;
        const Operand call = StatisticCall(bench, VOLAT, {{1, 3}, {2, 2}});
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, 1, dValue), EVAL_OK);
        const double dExpected =
            IsInvalid(period.dBarsPerYear) ? X : std::sqrt(2.0 * period.dBarsPerYear);
        EXPECT_TRUE(Close(dExpected, dValue, 1e-12));
    }
}

// A million bars of prices in cents, wandering around 100: the running sums must
// stay within 1e-9 of a fresh two-pass computation all the way.
TEST(Statistics, RunningSumsDoNotDriftOverAMillionBars) {
    constexpr int nBars = 1000000;
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.05);
    Series vecPrices;
    double dPrice = 100.0;
    for (int i = 0; i < nBars; ++i) {
        dPrice += step(random) + 0.0005 * (100.0 - dPrice);
        vecPrices.push_back(std::round(dPrice * 100) / 100);
    }
    const auto start = std::chrono::steady_clock::now();
    const struct {
        uint32_t nId;
        float fN;
    } arrCalls[] = {
        {STD, 20}, {STDP, 5}, {VAR, 250}, {VARP, 3}, {VOLAT, 10},
    };
    for (const auto& call : arrCalls) {
        SCOPED_TRACE(::testing::Message() << "id " << call.nId << " N " << call.fN);
        CFormulaBench bench(nBars);
        bench.m_context.nPeriodKind = 3;
        const Operand expr =
            bench.Keep(bench.CallWithState(call.nId, {bench.Series(vecPrices), Num(call.fN)}));
        const Series vecN(static_cast<size_t>(nBars), call.fN);
        double dWorst = 0.0;
        for (int p = 0; p < nBars; ++p) {
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(expr, p, dValue), EVAL_OK);
            if (p % 997 != 0 && p < nBars - 3) continue;
            const double dExpected = Reference(call.nId, vecPrices, {}, vecN, p);
            ASSERT_TRUE(Close(dExpected, dValue, 1e-9)) << "bar " << p;
            if (HasValue(dExpected) && dExpected != 0) {
                dWorst = std::max(dWorst, std::fabs(dValue / dExpected - 1));
            }
        }
        RecordProperty("worst_relative_error_" + std::to_string(call.nId),
                       ::testing::PrintToString(dWorst));
    }
    const double dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds", ::testing::PrintToString(dSeconds));
}

// An invalid value leaves the running state alone: the window after it is summed
// afresh, and a bar computed again gives the same value.
TEST(Statistics, InvalidValueBreaksOnlyItsWindows) {
    const Series vecX = {1, 4, 2, 8, X, 3, 9, 4, 4, 1, 7};
    CFormulaBench bench(static_cast<int>(vecX.size()));
    const Operand call = StatisticCall(bench, STD, {vecX, Series(vecX.size(), 3)});
    const Series vecValues = bench.EvaluateBars(call);
    for (int p = 0; p < static_cast<int>(vecX.size()); ++p) {
        EXPECT_TRUE(Close(Reference(STD, vecX, {}, Series(vecX.size(), 3), p), vecValues[p])) << p;
        double dAgain = 0.0;
        ASSERT_EQ(bench.Evaluate(call, p, dAgain), EVAL_OK);
        EXPECT_TRUE(Close(vecValues[p], dAgain, 1e-14)) << p;
    }
    EXPECT_TRUE(IsInvalid(vecValues[4]) && IsInvalid(vecValues[6]) && HasValue(vecValues[7]));
}

TEST(Statistics, WrongElementCountIsAnError) {
    for (const uint32_t nId : ALL_STATISTICS) {
        const int nArgs = IsPair(nId) ? 3 : 2;
        for (const int nGiven : {nArgs - 1, nArgs + 1}) {
            SCOPED_TRACE(::testing::Message() << "id " << nId << " with " << nGiven);
            CFormulaBench bench(5);
            std::vector<Series> vecArgs(static_cast<size_t>(nGiven), Series(5, 2.0));
            double dValue = 0.0;
            EXPECT_EQ(bench.Evaluate(StatisticCall(bench, nId, vecArgs), 4, dValue), EVAL_ERROR);
        }
    }
}

}  // namespace
