#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"
#include "functions/SeriesScenarios.h"

using namespace testnodes;

namespace {

constexpr double X = INVALID_VALUE;  // short for the tables
// clang-format off
enum : uint32_t { CROSS = 40, LONGCROSS, UPNDAY, DOWNNDAY, NDAY, EXIST, EVERY, LAST, NOT,
                  IF = 70, IFN, VALUEWHEN };
// clang-format on

// A call on series arguments, with the state slot or hidden series it carries.
Operand LogicCall(CFormulaBench& bench, uint32_t nId, const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    if (nId >= UPNDAY && nId <= EVERY) return bench.Keep(bench.CallWithState(nId, vecOperands));
    if (nId == VALUEWHEN) return bench.Keep(bench.CallWithOwnResult(nId, vecOperands));
    return bench.Keep(bench.Call(nId, vecOperands));
}

TEST(LogicFunctions, WorkedExamples) {
    const Series vecOnes(9, 1);
    auto same = [](double d, size_t nBars) { return Series(nBars, d); };
    // clang-format off
    const struct {
        const char* pszWhat; uint32_t nId; std::vector<Series> vecArgs; Series vecExpected;
    } arrCases[] = {
        {"equal, then from below", CROSS, {{3, 1, 2, 3, 4, 4, 2, 5}, {2, 2, 2, 2, 2, 4, 4, 4}},
                                          {X, 0, 0, 1, 0, 0, 0, 1}},
        {"equal twice",            CROSS, {{2, 2, 3}, {2, 2, 2}}, {0, 0, 0}},
        {"equal, then no data",    CROSS, {{2, 3}, {2, 2}}, {0, X}},
        {"from above via equal",   CROSS, {{5, 2, 3}, {2, 2, 2}}, {X, 0, 0}},
        {"invalid before",         CROSS, {{X, 1, 3}, {2, 2, 2}}, {X, 0, 1}},
        {"below for 3 bars",   LONGCROSS, {{1, 1, 1, 1, 3, 1, 3}, same(2, 7), same(3, 7)},
                                          {0, 0, 0, 0, 1, 0, 0}},
        {"holes skipped",      LONGCROSS, {{1, X, 1, 3, X}, same(2, 5), same(3, 5)},
                                          {0, X, 0, 1, 0}},
        {"third rise",            UPNDAY, {{5, 1, 2, 3, 4, 5, 5}, same(3, 7)},
                                          {X, 0, 0, 0, 1, 1, 0}},
        {"rising from the start", UPNDAY, {{1, 2, 3, 4}, same(3, 4)}, {X, 1, 1, 1}},
        {"hole in the run",       UPNDAY, {{1, X, 2, 3, 4, 5}, same(3, 6)}, same(X, 6)},
        {"third fall",          DOWNNDAY, {{1, 4, 3, 2, 1, 1}, same(3, 6)}, {X, 0, 0, 0, 1, 0}},
        {"above for 2 bars",        NDAY, {{3, 3, 1, 3, 3, 3}, same(2, 6), same(2, 6)},
                                          {1, 1, 0, 0, 1, 1}},
        {"once in 3 bars",         EXIST, {{0, 1, 0, 0, 0, X, 2}, same(3, 7)},
                                          {0, 1, 1, 1, 0, 0, 1}},
        {"N of 1",                 EXIST, {{0, 1, X}, same(1, 3)}, {0, 1, 0}},
        {"every of 3",             EVERY, {{1, 1, 1, 2, 1, 1, 0, 1, X, 1}, same(3, 10)},
                                          {1, 1, 1, 0, 1, 1, 0, 0, 0, 0}},
        {"bars 5 to 2 back",        LAST, {{1, 1, 0, 1, 1, 1, 1, 1, 1}, same(5, 9), same(2, 9)},
                                          {1, 1, 1, 1, 0, 0, 0, 0, 1}},
        {"reversed window",         LAST, {vecOnes, same(2, 9), same(5, 9)},
                                          {1, 1, X, X, X, X, X, X, X}},
        {"no window",               LAST, {vecOnes, same(0, 9), same(0, 9)}, same(X, 9)},
        {"holes are not zero",      LAST, {{1, X, 5e-8, 1}, same(2, 4), same(1, 4)}, {1, 1, 1, 0}},
        {"negation",                 NOT, {{0, 5e-8, 2, X}}, {1, 1, 0, X}},
        {"pick",                      IF, {{1, 0, X, 5e-8}, {10, 11, 12, X}, {20, 21, 22, 23}},
                                          {10, 21, X, 23}},
        {"pick reversed",            IFN, {{1, 0, X, 2}, {10, 11, 12, 13}, {20, 21, 22, X}},
                                          {20, 11, X, X}},
        {"last value",         VALUEWHEN, {{0, 1, 0, 0, 1, 0, X, 0, 1},
                                           {10, 11, 12, 13, X, 15, 16, 17, 18}},
                                          {X, 11, 11, 11, X, X, X, X, 18}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszWhat);
        CFormulaBench bench(static_cast<int>(row.vecExpected.size()));
        const Series vecValues = bench.EvaluateBars(LogicCall(bench, row.nId, row.vecArgs));
        for (size_t i = 0; i < vecValues.size(); ++i) {
            EXPECT_TRUE(SameValue(row.vecExpected[i], vecValues[i])) << "bar " << i;
        }
    }
}

// The run and window conditions straight from their definitions: direct loops.
// Arguments: the series, then N.
double ReferenceRun(uint32_t nId, const std::vector<Series>& vecArgs, int p) {
    const Series& vecX = vecArgs[0];
    const Series& vecN = vecArgs.back();
    if (IsInvalid(vecN[p]) || ToCount(vecN[p]) < 1) return X;
    const int n = ToCount(vecN[p]);
    const int nWindow = std::min(n, p + 1);
    if (nId == EXIST) {
        for (int i = p - nWindow + 1; i <= p; ++i) {
            if (IsTrue(vecX[i])) return 1;
        }
        return 0;
    }
    // Whether bar i counts towards the run; X when that cannot be told.
    auto step = [&](int i) -> double {
        switch (nId) {
            case UPNDAY:
            case DOWNNDAY:
                if (i < 1 || IsInvalid(vecX[i]) || IsInvalid(vecX[i - 1])) return X;
                return nId == UPNDAY ? vecX[i - 1] < vecX[i] : vecX[i - 1] > vecX[i];
            case NDAY:
                if (IsInvalid(vecX[i]) || IsInvalid(vecArgs[1][i])) return X;
                return vecX[i] > vecArgs[1][i];
            default:  // EVERY
                return IsTrue(vecX[i]);
        }
    };
    if (IsInvalid(step(p))) return X;
    if (step(p) == 0) return 0;
    const int nOldest = nId == NDAY || nId == EVERY ? 0 : 1;
    int nRun = 1;
    for (int i = p - 1; i >= nOldest; --i) {
        if (IsInvalid(step(i))) return X;
        if (step(i) == 0) break;
        ++nRun;
    }
    if (nId == EVERY) return IsEqual(vecX[p], 1) && nRun >= nWindow;
    return nRun >= (nId == NDAY ? nWindow : std::min(n, p));
}

TEST(LogicFunctions, RunsAndWindowsMatchDirectLoop) {
    constexpr int nBars = 80;
    std::mt19937 random(17);
    for (const uint32_t nId : {UPNDAY, DOWNNDAY, NDAY, EXIST, EVERY}) {
        for (int nPeriod = 0; nPeriod <= 9; ++nPeriod) {
            for (const BarOrder nOrder : ALL_BAR_ORDERS) {
                SCOPED_TRACE(::testing::Message() << "id " << nId << " period " << nPeriod
                                                  << " order " << static_cast<int>(nOrder));
                // Whole numbers, so that ties are common. EVERY gets mostly ones and
                // EXIST mostly zeros, so that runs and counts end now and then.
                std::vector<Series> vecArgs = {RandomSeries(random, nBars, 3, 0, 6, true)};
                for (double& d : vecArgs[0]) {
                    if (nId == EVERY && !IsInvalid(d)) d = d == 6 ? 0 : d == 5 ? 2 : d > 0;
                    if (nId == EXIST && d < 6) d = 0;
                }
                if (nId == NDAY) vecArgs.push_back(RandomSeries(random, nBars, 2, 0, 3, true));
                // Period 0 stands for one that changes at every bar, with holes.
                vecArgs.push_back(nPeriod == 0 ? RandomSeries(random, nBars, 5, 0, 7, true)
                                               : Series(nBars, nPeriod));
                CFormulaBench bench(nBars);
                const Operand call = LogicCall(bench, nId, vecArgs);
                for (const int nBar : BarsInOrder(nBars, nOrder, random)) {
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(SameValue(ReferenceRun(nId, vecArgs, nBar), dValue)) << nBar;
                }
            }
        }
    }
}

// Both branches are evaluated whichever is picked: a variable that only the other
// branch names is still computed at the bar.
TEST(LogicFunctions, ChoicesEvaluateBothBranches) {
    // clang-format off
    const struct { const char* pszScript; double dExpected; } arrCases[] = {
        {"A=IF(1,5,B);\r\nB=CLOSE*2;",  5},
        {"A=IF(0,B,5);\r\nB=CLOSE*2;",  5},
        {"A=IFN(1,B,5);\r\nB=CLOSE*2;", 5},
        {"A=IFN(0,5,B);\r\nB=CLOSE*2;", 5},
        {"A=IF(1,B,5);\r\nB=CLOSE*2;",  6},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszScript);
        CFormulaBench bench(3);
        ASSERT_EQ(bench.Compile(row.pszScript, {"A"}, {"CLOSE"}, {"B"}), COMPILE_OK);
        bench.m_source.m_mapFields[4] = {1, 2, 3};
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(bench.Output(0), 2, dValue), EVAL_OK);
        EXPECT_EQ(dValue, row.dExpected);
        const double* pB = bench.m_store.FindSeries(SERIES_KIND_VARIABLE, 0);
        ASSERT_NE(pB, nullptr);
        EXPECT_EQ(pB[2], 6);
        EXPECT_FALSE(IsComputed(pB[1]));
    }
}

// The picked branch is evaluated once more for the result: a generator in it draws twice.
TEST(LogicFunctions, PickedBranchIsEvaluatedAgain) {
    CFormulaBench bench(1);
    const Operand draw = bench.Call(23, {Num(1000)});  // RAND(1000)
    const Operand call = bench.Keep(bench.Call(IF, {Num(1), draw, Num(0)}));
    std::srand(9);
    std::rand();
    const double dSecondDraw = std::rand() % 1001;
    std::srand(9);
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(call, 0, dValue), EVAL_OK);
    EXPECT_EQ(dValue, dSecondDraw);
}

// VALUEWHEN starts without a value at the first bar of the pass, whatever came
// before it.
TEST(LogicFunctions, ValueWhenStartsAtTheFirstBarOfThePass) {
    CFormulaBench bench(5);
    bench.m_context.nCalcFirst = 2;
    const Operand call = LogicCall(bench, VALUEWHEN, {{1, 1, 0, 1, 0}, {10, 11, 12, 13, 14}});
    const Series vecExpected = {10, 11, X, 13, 13};
    for (int nBar = 2; nBar < 5; ++nBar) {
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(vecExpected[nBar], dValue)) << nBar;
    }
}

TEST(LogicFunctions, MalformedCallsFail) {
    CFormulaBench bench(6);
    const Operand x = bench.Series({1, 2, 3, 4, 5, 6});
    const Operand one = bench.Constant(1);
    // clang-format off
    const Operand arrCalls[] = {
        bench.Call(CROSS, {x}),                     bench.Call(LONGCROSS, {x, x}),
        bench.CallWithState(NDAY, {x, one}),        bench.Call(LAST, {x, one}),
        bench.Call(NOT, {x, x}),                    bench.Call(IFN, {x, x, x, x}),
        bench.CallWithOwnResult(VALUEWHEN, {x}),
        bench.Call(UPNDAY, {x, x, one}),            // no state slot
        bench.Call(DOWNNDAY, {one, one, one}),      // no state slot, even without a run
        bench.Call(EVERY, {x, x, one}),
        bench.Call(VALUEWHEN, {x, x, x}),           // a field is no result series
        bench.Call(VALUEWHEN, {Num(0), bench.Constant(X), x}),
    };
    // clang-format on
    for (size_t i = 0; i < std::size(arrCalls); ++i) {
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(arrCalls[i]), 5, dValue), EVAL_ERROR) << i;
    }
}

}  // namespace
