// Runs one function call over every bar of a fresh bench in the orders a calculator
// may ask for bars, and compares each bar with a slow, obviously correct oracle.
// The calculator evaluates on demand, so a function with running state must give
// the same bar values in one pass, in growing steps that recompute the newest bar,
// backwards and in random order.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"

namespace barorder {

using Series = std::vector<double>;
constexpr double NA = INVALID_VALUE;  // short for the tables

// Whole numbers from a small range, so ties are frequent and sums exact; about one
// value in nHolePercent is refused by the data source.
inline Series RandomSeries(std::mt19937& random, int nBars, int nHolePercent, int nLow, int nHigh) {
    std::uniform_int_distribution<int> value(nLow, nHigh);
    std::uniform_int_distribution<int> percent(0, 99);
    Series vecValues;
    for (int i = 0; i < nBars; ++i) {
        vecValues.push_back(percent(random) < nHolePercent ? NA : value(random));
    }
    return vecValues;
}

// A call of nId on the series, with a state slot when the function has one.
inline Operand SeriesCall(CFormulaBench& bench, uint32_t nId, bool bState,
                          const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    return bench.Keep(bState ? bench.CallWithState(nId, vecOperands)
                             : bench.Call(nId, vecOperands));
}

// The orders: one pass; growing steps of 7 bars that start again at the newest bar
// of the previous step; backwards; shuffled.
inline std::vector<std::vector<int>> AskingOrders(int nBars, std::mt19937& random) {
    std::vector<int> vecForward(static_cast<size_t>(nBars));
    for (int i = 0; i < nBars; ++i) vecForward[static_cast<size_t>(i)] = i;
    std::vector<int> vecSteps;
    for (int nStart = 0; nStart < nBars; nStart += 6) {
        for (int i = nStart; i < std::min(nStart + 7, nBars); ++i) vecSteps.push_back(i);
    }
    std::vector<int> vecBackward(vecForward.rbegin(), vecForward.rend());
    std::vector<int> vecShuffled = vecForward;
    std::shuffle(vecShuffled.begin(), vecShuffled.end(), random);
    return {vecForward, vecSteps, vecBackward, vecShuffled};
}

// Running sums and products drift from a fresh computation in the last places.
inline ::testing::AssertionResult Close(double dExpected, double dActual) {
    if (!HasValue(dExpected) || !HasValue(dActual)) return SameValue(dExpected, dActual);
    if (std::fabs(dExpected - dActual) <= 1e-9 * std::max(1.0, std::fabs(dExpected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << dExpected << ", got " << dActual;
}

using Oracle = std::function<double(int nBar)>;

// Builds the call on a fresh bench of nBars bars for each order and checks every bar
// against the oracle as it is asked.
inline void ExpectEveryOrder(int nBars, std::mt19937& random,
                             const std::function<Operand(CFormulaBench&)>& build,
                             const Oracle& oracle) {
    const std::vector<std::vector<int>> vecOrders = AskingOrders(nBars, random);
    for (size_t nOrder = 0; nOrder < vecOrders.size(); ++nOrder) {
        SCOPED_TRACE(::testing::Message() << "order " << nOrder);
        CFormulaBench bench(nBars);
        const Operand call = build(bench);
        for (const int nBar : vecOrders[nOrder]) {
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK) << "bar " << nBar;
            ASSERT_TRUE(Close(oracle(nBar), dValue)) << "bar " << nBar;
        }
    }
}

// One argument too few or too many is a malformed call (status 4); the right count
// runs. bState: the function has a state slot.
inline void ExpectShape(uint32_t nId, bool bState, int nArgs) {
    for (const int nGiven : {nArgs - 1, nArgs, nArgs + 1}) {
        if (nGiven < 0) continue;
        CFormulaBench bench(3);
        const std::vector<Series> vecArgs(static_cast<size_t>(nGiven), Series(3, 1.0));
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(SeriesCall(bench, nId, bState, vecArgs), 2, dValue),
                  nGiven == nArgs ? EVAL_OK : EVAL_ERROR)
            << "id " << nId << " with " << nGiven << " arguments";
    }
}

}  // namespace barorder
