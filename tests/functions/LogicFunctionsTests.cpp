#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

using Series = std::vector<double>;
constexpr double X = INVALID_VALUE;  // short for the tables

enum : uint32_t {
    CROSS = 40,
    LONGCROSS = 41,
    UPNDAY = 42,
    DOWNNDAY = 43,
    NDAY = 44,
    EXIST = 45,
    EVERY = 46,
    LAST = 47,
    NOT = 48,
    IF = 70,
    IFN = 71,
    VALUEWHEN = 72,
};

enum class Extra { None, State, OwnResult };

Extra ExtraOf(uint32_t nId) {
    if (nId >= UPNDAY && nId <= EVERY) return Extra::State;
    return nId == VALUEWHEN ? Extra::OwnResult : Extra::None;
}

Operand LogicCall(CFormulaBench& bench, uint32_t nId, const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    switch (ExtraOf(nId)) {
        case Extra::State:
            return bench.Keep(bench.CallWithState(nId, vecOperands));
        case Extra::OwnResult:
            return bench.Keep(bench.CallWithOwnResult(nId, vecOperands));
        default:
            return bench.Keep(bench.Call(nId, vecOperands));
    }
}

TEST(LogicFunctions, WorkedExamples) {
    const Series vecOnes(9, 1);
    auto same = [](double d, size_t nBars) { return Series(nBars, d); };
    // clang-format off
    const struct { const char* pszWhat; uint32_t nId; std::vector<Series> vecArgs; Series vecExpected; } arrCases[] = {
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
        {"third rise",            UPNDAY, {{5, 1, 2, 3, 4, 5, 5}, same(3, 7)}, {X, 0, 0, 0, 1, 1, 0}},
        {"rising from the start", UPNDAY, {{1, 2, 3, 4}, same(3, 4)}, {X, 1, 1, 1}},
        {"hole in the run",       UPNDAY, {{1, X, 2, 3, 4, 5}, same(3, 6)}, {X, X, X, X, X, X}},
        {"third fall",          DOWNNDAY, {{1, 4, 3, 2, 1, 1}, same(3, 6)}, {X, 0, 0, 0, 1, 0}},
        {"above for 2 bars",        NDAY, {{3, 3, 1, 3, 3, 3}, same(2, 6), same(2, 6)},
                                          {1, 1, 0, 0, 1, 1}},
        {"once in 3 bars",         EXIST, {{0, 1, 0, 0, 0, X, 2}, same(3, 7)}, {0, 1, 1, 1, 0, 0, 1}},
        {"N of 1",                 EXIST, {{0, 1, X}, same(1, 3)}, {0, 1, 0}},
        {"every of 3",             EVERY, {{1, 1, 1, 2, 1, 1, 0, 1, X, 1}, same(3, 10)},
                                          {1, 1, 1, 0, 1, 1, 0, 0, 0, 0}},
        {"bars 5 to 2 back",        LAST, {{1, 1, 0, 1, 1, 1, 1, 1, 1}, same(5, 9), same(2, 9)},
                                          {1, 1, 1, 1, 0, 0, 0, 0, 1}},
        {"reversed window",         LAST, {vecOnes, same(2, 9), same(5, 9)}, {1, 1, X, X, X, X, X, X, X}},
        {"no window",               LAST, {vecOnes, same(0, 9), same(0, 9)}, same(X, 9)},
        {"holes are not zero",      LAST, {{1, X, 0.00000005, 1}, same(2, 4), same(1, 4)}, {1, 1, 1, 0}},
        {"negation",                 NOT, {{0, 0.00000005, 2, X}}, {1, 1, 0, X}},
        {"pick",                      IF, {{1, 0, X, 0.00000005}, {10, 11, 12, X}, {20, 21, 22, 23}},
                                          {10, 21, X, 23}},
        {"pick reversed",            IFN, {{1, 0, X, 2}, {10, 11, 12, 13}, {20, 21, 22, X}},
                                          {20, 11, X, X}},
        {"last value",         VALUEWHEN, {{0, 1, 0, 0, 1, 0, X, 0, 1}, {10, 11, 12, 13, X, 15, 16, 17, 18}},
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
    std::uniform_int_distribution<int> percent(0, 99);
    // Small whole numbers, so that ties, zeros and exact ones are common.
    auto randomSeries = [&](int nLargest, int nHolePercent) {
        std::uniform_int_distribution<int> value(0, nLargest);
        Series vecValues;
        for (int i = 0; i < nBars; ++i) {
            vecValues.push_back(percent(random) < nHolePercent ? X : value(random) / 2.0);
        }
        return vecValues;
    };
    for (const uint32_t nId : {UPNDAY, DOWNNDAY, NDAY, EXIST, EVERY}) {
        for (int nPeriod = 0; nPeriod <= 9; ++nPeriod) {
            for (int nOrder = 0; nOrder < 3; ++nOrder) {
                SCOPED_TRACE(::testing::Message()
                             << "id " << nId << " period " << nPeriod << " order " << nOrder);
                // Period 0 stands for one that changes at every bar, with holes.
                const Series vecN = nPeriod == 0 ? randomSeries(14, 5) : Series(nBars, nPeriod);
                std::vector<Series> vecArgs;
                if (nId == EVERY) {
                    vecArgs = {randomSeries(3, 3)};
                    for (double& d : vecArgs[0]) d = d > 0 && d < 1.5 ? 1 : d;
                } else if (nId == EXIST) {
                    // Mostly false, so that a count off by one shows.
                    vecArgs = {randomSeries(12, 3)};
                    for (double& d : vecArgs[0]) d = d > 5 ? d : 0;
                } else {
                    vecArgs = {randomSeries(12, 2)};
                }
                if (nId == NDAY) vecArgs.push_back(randomSeries(6, 2));
                vecArgs.push_back(vecN);

                CFormulaBench bench(nBars);
                const Operand call = LogicCall(bench, nId, vecArgs);
                std::vector<int> vecBars;
                for (int i = 0; i < nBars; ++i) {
                    vecBars.push_back(i);
                    if (nOrder == 1) vecBars.push_back(i);
                }
                if (nOrder == 2) std::shuffle(vecBars.begin(), vecBars.end(), random);
                for (const int nBar : vecBars) {
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(SameValue(ReferenceRun(nId, vecArgs, nBar), dValue))
                        << "bar " << nBar;
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

// The picked branch is evaluated once more for the result: a generator inside it
// is drawn twice.
TEST(LogicFunctions, PickedBranchIsEvaluatedAgain) {
    std::srand(9);
    std::rand();
    const double dSecondDraw = std::rand() % 1001;
    CFormulaBench bench(1);
    const Operand call = bench.Keep(bench.Call(IF, {Num(1), bench.Call(23, {Num(1000)}), Num(0)}));
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
        bench.Call(CROSS, {x}),
        bench.Call(LONGCROSS, {x, x}),
        bench.CallWithState(UPNDAY, {x}),
        bench.Call(UPNDAY, {x, x, one}),  // no state slot
        bench.Call(DOWNNDAY, {one, one, one}),
        bench.CallWithState(NDAY, {x, one}),
        bench.Call(EXIST, {x, x, Num(3)}),
        bench.Call(EVERY, {x, x, one}),
        bench.Call(LAST, {x, one}),
        bench.Call(NOT, {x, x}),
        bench.Call(IF, {x, x}),
        bench.Call(IFN, {x, x, x, x}),
        bench.CallWithOwnResult(VALUEWHEN, {x}),
        bench.Call(VALUEWHEN, {x, x, x}),  // a field is no result series
        bench.Call(VALUEWHEN, {Num(0), bench.Constant(X), x}),
    };
    // clang-format on
    for (size_t i = 0; i < std::size(arrCalls); ++i) {
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(arrCalls[i]), 5, dValue), EVAL_ERROR) << i;
    }
}

}  // namespace
