// The frame and the running state as the window functions use them: a moving sum
// written on them is checked against a direct loop over the window, and a
// recursive average against its definition.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"

using namespace testnodes;

namespace {

// SUM over a complete window of N bars, with the running-state shortcut.
// Elements: function, state slot, X, N.
int MovingSum(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.ReadArg(2, dX)) {
        return frame.Status();
    }
    if (frame.Bar() + 1 < n) return frame.ReturnInvalid();
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSamePeriod(3, n, bSame)) return frame.Status();
    double dSum = dX;
    if (state.CanContinue(bSame)) {
        double dLeaving = 0.0;
        if (!frame.ReadArg(2, dLeaving, n)) return frame.Status();
        dSum = state.Previous() + dX - dLeaving;
    } else {
        for (int k = 1; k < n; ++k) {
            double dTerm = 0.0;
            if (!frame.ReadArg(2, dTerm, k)) return frame.Status();
            dSum += dTerm;
        }
    }
    state.Store(dSum);
    return frame.Return(dSum);
}

// The average of X and the own previous result. Elements: function, own series, X.
int HalfwayAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = 0.0;
    double dPrevious = 0.0;
    if (!frame.Enter(3) || !frame.ReadOwnResult(1, 1, dPrevious)) return frame.Status();
    if (!frame.ReadArg(2, dX)) return frame.ReturnOwn(1, INVALID_VALUE);
    return frame.ReturnOwn(1, HasValue(dPrevious) ? (dPrevious + dX) / 2 : dX);
}

int CallDirectly(FunctionImpl pfnImpl, CFormulaBench& bench, const Operand& call, int nBar,
                 double& dValue, int nBarOffset = 0) {
    bench.m_context.nBar = nBar;
    dValue = INVALID_VALUE;
    return pfnImpl(ReadNodePointer(call.value), &dValue, &bench.m_context, nBarOffset);
}

double ReferenceSum(const std::vector<double>& vecX, int nBar, double dPeriod) {
    const int n = ToCount(dPeriod);
    if (IsInvalid(dPeriod) || n < 1 || nBar + 1 < n) return INVALID_VALUE;
    double dSum = 0.0;
    for (int k = 0; k < n; ++k) {
        if (IsInvalid(vecX[nBar - k])) return INVALID_VALUE;
        dSum += vecX[nBar - k];
    }
    return dSum;
}

// Small whole numbers keep every sum exact, so the running sum must match exactly.
std::vector<double> RandomSeries(std::mt19937& random, int nBars, int nHolePercent) {
    std::uniform_int_distribution<int> value(-20, 20);
    std::uniform_int_distribution<int> percent(0, 99);
    std::vector<double> vecValues;
    for (int i = 0; i < nBars; ++i) {
        vecValues.push_back(percent(random) < nHolePercent ? FAKE_REFUSED : value(random));
    }
    return vecValues;
}

TEST(RunningState, MovingSumMatchesDirectLoop) {
    constexpr int nBars = 60;
    std::mt19937 random(7);
    for (int nPeriod = 1; nPeriod <= 9; ++nPeriod) {
        for (const bool bShuffled : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "period " << nPeriod << " shuffled " << bShuffled);
            CFormulaBench bench(nBars);
            const std::vector<double> vecX = RandomSeries(random, nBars, 8);
            // The period changes now and then, and is invalid at one bar.
            std::vector<double> vecN(nBars, nPeriod);
            for (int i = 20; i < 30; ++i) vecN[i] = nPeriod + 1;
            vecN[40] = FAKE_REFUSED;
            const Operand call =
                bench.Keep(bench.CallWithState(9000, {bench.Series(vecX), bench.Series(vecN)}));
            std::vector<int> vecOrder(nBars);
            for (int i = 0; i < nBars; ++i) vecOrder[i] = i;
            if (bShuffled) std::shuffle(vecOrder.begin(), vecOrder.end(), random);
            // Every bar twice: recomputing a bar must not disturb the state.
            for (int nRound = 0; nRound < 2; ++nRound) {
                for (const int nBar : vecOrder) {
                    double dValue = 0.0;
                    ASSERT_EQ(CallDirectly(MovingSum, bench, call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(SameValue(ReferenceSum(vecX, nBar, vecN[nBar]), dValue)) << nBar;
                }
            }
        }
    }
}

TEST(RunningState, ShortcutKeepsEachBarConstant) {
    constexpr int nBars = 200;
    constexpr int nPeriod = 50;
    CFormulaBench bench(nBars);
    const Operand call = bench.Keep(bench.CallWithState(
        9000, {bench.Series(std::vector<double>(nBars, 1.0)), bench.Constant(nPeriod)}));
    // Each bar twice, as when the newest bar is recalculated: the second pass must
    // still find the bar before in the state.
    for (int nBar = 0; nBar < nBars; ++nBar) {
        for (int nPass = 0; nPass < 2; ++nPass) {
            double dValue = 0.0;
            ASSERT_EQ(CallDirectly(MovingSum, bench, call, nBar, dValue), EVAL_OK);
        }
    }
    // Per pass: X, the bar leaving, N and N one bar earlier; one full window at the start.
    EXPECT_LE(bench.m_source.Calls(CFakeDataSource::OP_FIELD), nBars * 8 + nPeriod * 2);
}

TEST(OwnResult, RecursiveAverageReadsAndStoresItsSeries) {
    CFormulaBench bench(4);
    const Operand call =
        bench.Keep(bench.CallWithOwnResult(9001, {bench.Series({4, 8, FAKE_REFUSED, 2})}));
    const double arrExpected[] = {4, 6, INVALID_VALUE, 2};
    for (int nBar = 0; nBar < 4; ++nBar) {
        double dValue = 0.0;
        ASSERT_EQ(CallDirectly(HalfwayAverage, bench, call, nBar, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(arrExpected[nBar], dValue)) << nBar;
    }
    const double* pSeries =
        bench.m_store.FindSeries(SERIES_KIND_VARIABLE, CFormulaBench::FIRST_AUTO_VARIABLE);
    ASSERT_NE(pSeries, nullptr);
    for (int nBar = 0; nBar < 4; ++nBar) EXPECT_TRUE(SameValue(arrExpected[nBar], pSeries[nBar]));

    // Computed two bars back (inside a reference, say): stored at that bar only.
    bench.m_store.Invalidate(0, 3);
    double dValue = 0.0;
    ASSERT_EQ(CallDirectly(HalfwayAverage, bench, call, 3, dValue, 2), EVAL_OK);
    EXPECT_EQ(dValue, 8);
    EXPECT_EQ(pSeries[1], 8);
    EXPECT_FALSE(IsComputed(pSeries[3]));

    const Operand notASeries = bench.Keep(bench.Call(9001, {Num(1), Num(2)}));
    EXPECT_EQ(CallDirectly(HalfwayAverage, bench, notASeries, 1, dValue), EVAL_ERROR);
    const Operand aField = bench.Keep(bench.Call(9001, {bench.Constant(1), Num(2)}));
    EXPECT_EQ(CallDirectly(HalfwayAverage, bench, aField, 1, dValue), EVAL_ERROR);
}

TEST(FunctionFrame, SamePeriodComparesWithTheWindowOneBarEarlier) {
    // clang-format off
    const struct { double dEarlier; int nBar; int nWindow; bool bSame; } arrCases[] = {
        {5,             10, 5, true},
        {6,             10, 5, false},
        {4.9999999,     10, 5, true},
        {INVALID_VALUE, 10, 5, false},
        {5,             3,  3, true},   // bar 2 had only 3 bars for a period of 5
        {5,             3,  4, false},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        CFormulaBench bench(row.nBar + 1);
        std::vector<double> vecN(row.nBar + 1, 99);
        vecN[row.nBar - 1] = row.dEarlier;
        const ExprNode* pNode =
            ReadNodePointer(bench.Keep(bench.Call(9002, {bench.Series(vecN)})).value);
        bench.m_context.nBar = row.nBar;
        double dOut = 0.0;
        CFunctionFrame frame(pNode, &dOut, &bench.m_context, 0);
        ASSERT_TRUE(frame.Enter(2));
        bool bSame = !row.bSame;
        ASSERT_TRUE(frame.TestSamePeriod(1, row.nWindow, bSame));
        EXPECT_EQ(bSame, row.bSame) << row.dEarlier << " at " << row.nBar;
    }
}

}  // namespace
