#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"
#include "functions/SeriesScenarios.h"

using namespace testnodes;

namespace {

constexpr double X = INVALID_VALUE;  // short for the tables
// clang-format off
enum : uint32_t { MA = 140, SMA, TMA, MEMA, EMA, EXPMA, EXPMEMA, WMA, DMA, AMA, XMA };
// clang-format on

// Running sums drift from a fresh sum by a few units in the last place.
::testing::AssertionResult Close(double dExpected, double dActual) {
    if (!HasValue(dExpected) || !HasValue(dActual)) return SameValue(dExpected, dActual);
    if (std::fabs(dExpected - dActual) <= 1e-9 * std::max(1.0, std::fabs(dExpected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << dExpected << ", got " << dActual;
}

// A call of an average on series arguments, with its state slot or hidden series.
Operand AverageCall(CFormulaBench& bench, uint32_t nId, const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    const bool bWindow = nId == MA || nId == WMA || nId == XMA;
    return bench.Keep(bWindow ? bench.CallWithState(nId, vecOperands)
                              : bench.CallWithOwnResult(nId, vecOperands));
}

const double* HiddenSeries(const CFormulaBench& bench) {
    return bench.m_store.FindSeries(SERIES_KIND_VARIABLE, CFormulaBench::FIRST_AUTO_VARIABLE);
}

// The window averages straight from their definitions: a direct loop per bar.
double ReferenceWindow(uint32_t nId, const Series& vecX, const Series& vecN, int p) {
    const int n = IsInvalid(vecN[p]) ? 0 : ToCount(vecN[p]);
    if (n < 1) return X;
    if (n == 1) return vecX[p];
    int nFirst = p - n + 1;
    int nLast = p;
    if (nId == XMA) {
        nFirst = std::max(p - n / 2, 0);
        nLast = std::min<int>(p + (n - 1) / 2, vecX.size() - 1);
    } else if (nFirst < 0) {
        return X;
    }
    double dSum = 0.0;
    double dWeights = 0.0;
    for (int i = nFirst; i <= nLast; ++i) {
        if (IsInvalid(vecX[i])) return X;
        const double dWeight = nId == WMA ? n - (p - i) : 1.0;
        dSum += dWeight * vecX[i];
        dWeights += dWeight;
    }
    return dSum / dWeights;
}

TEST(MovingAverages, WindowAveragesMatchDirectLoop) {
    constexpr int nBars = 90;
    std::mt19937 random(11);
    // Constant periods (longer than the data too), one that changes at every bar,
    // and one that changes now and then; the last two with bars of no period.
    std::vector<Series> vecPeriods;
    for (const double dN : {1.0, 2.0, 3.0, 4.9999999, 7.0, 12.0, 89.0, 91.0}) {
        vecPeriods.push_back(Series(nBars, dN));
    }
    vecPeriods.push_back(RandomSeries(random, nBars, 5, 0, 9, true));
    Series vecBlocks(nBars);
    for (int i = 0; i < nBars; ++i) vecBlocks[i] = 3 + (i / 15) % 3;
    vecBlocks[50] = X;
    vecBlocks[70] = 0;
    vecPeriods.push_back(vecBlocks);

    for (const uint32_t nId : {MA, WMA, XMA}) {
        for (size_t nPeriods = 0; nPeriods < vecPeriods.size(); ++nPeriods) {
            for (const BarOrder nOrder : ALL_BAR_ORDERS) {
                SCOPED_TRACE(::testing::Message() << "id " << nId << " periods " << nPeriods
                                                  << " order " << static_cast<int>(nOrder));
                const Series vecX = RandomSeries(random, nBars, 4, -50.0, 150.0);
                const Series& vecN = vecPeriods[nPeriods];
                CFormulaBench bench(nBars);
                const Operand call = AverageCall(bench, nId, {vecX, vecN});
                for (const int nBar : BarsInOrder(nBars, nOrder, random)) {
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(Close(ReferenceWindow(nId, vecX, vecN, nBar), dValue)) << nBar;
                }
            }
        }
    }
}

// In order, a bar costs a few reads once the window is full.
TEST(MovingAverages, WindowAveragesCostConstantPerBar) {
    constexpr int nBars = 400;
    constexpr int nPeriod = 40;
    for (const uint32_t nId : {MA, WMA, XMA}) {
        CFormulaBench bench(nBars);
        bench.EvaluateBars(AverageCall(bench, nId, {Series(nBars, 1), Series(nBars, nPeriod)}));
        EXPECT_LE(bench.m_source.Calls(CFakeDataSource::OP_FIELD), 6 * nBars + nPeriod * nPeriod)
            << nId;
    }
}

// The blending averages from their recurrences, bar by bar from the first bar of the
// pass. vecStored mirrors the hidden series: UNCOMPUTED_VALUE where nothing is stored.
struct RecursiveRun {
    Series vecResult;
    Series vecStored;
};

RecursiveRun ReferenceBlend(uint32_t nId, const Series& vecX, const Series& vecP,
                            const Series& vecQ, int nCalcFirst) {
    RecursiveRun run{Series(vecX.size(), X), Series(vecX.size(), UNCOMPUTED_VALUE)};
    auto unit = [](double d) { return std::min(std::max(d, 0.0), 1.0); };
    for (size_t p = nCalcFirst; p < vecX.size(); ++p) {
        const double x = vecX[p];
        const double a = vecP[p];
        const double b = vecQ[p];
        const double n = IsInvalid(a) ? 0 : ToCount(a);  // N of EMA, EXPMA and SMA
        if (IsInvalid(a) || ((nId == SMA || nId == TMA) && IsInvalid(b))) continue;
        if ((nId == EMA || nId == EXPMA || nId == SMA) && n < 1) continue;
        if (IsInvalid(x)) {
            if (nId == EMA || nId == SMA || nId == DMA) run.vecStored[p] = X;
            continue;
        }
        const double dStored = p > size_t(nCalcFirst) ? run.vecStored[p - 1] : X;
        const double y = HasValue(dStored) ? dStored : x;
        const double m = std::min(b, n);
        const double w = a > 0.999999 ? 1.0 : a;
        // clang-format off
        switch (nId) {
            case EMA: case EXPMA: run.vecResult[p] = ((n - 1) * y + 2 * x) / (n + 1); break;
            case SMA: run.vecResult[p] = ((n - m) * y + m * x) / n; break;
            case DMA: run.vecResult[p] = (1 - w) * y + w * x; break;
            case AMA: run.vecResult[p] = y + unit(a) * (x - y); break;
            case TMA: run.vecResult[p] = unit(a) * y + unit(b) * x; break;
        }
        // clang-format on
        if (p == size_t(nCalcFirst)) run.vecResult[p] = x;
        run.vecStored[p] = run.vecResult[p];
    }
    return run;
}

TEST(MovingAverages, BlendingAveragesMatchTheirRecurrence) {
    constexpr int nBars = 70;
    std::mt19937 random(5);
    // clang-format off
    const struct { uint32_t nId; double dLow; double dHigh; bool bSecond; } arrCases[] = {
        {EMA, 0, 12, false}, {EXPMA, 0, 12, false}, {SMA, 0, 12, true},
        {DMA, -0.3, 1.3, false}, {AMA, -0.3, 1.3, false}, {TMA, -0.3, 1.3, true},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        for (const int nCalcFirst : {0, 9}) {
            for (const bool bSteady : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "id " << row.nId << " first " << nCalcFirst
                                                  << " steady " << bSteady);
                const Series vecX = RandomSeries(random, nBars, 5, 1.0, 100.0);
                Series vecP = RandomSeries(random, nBars, 4, row.dLow, row.dHigh);
                if (bSteady) {
                    for (double& dP : vecP) dP = IsInvalid(dP) ? X : (row.dLow + row.dHigh) / 2;
                }
                const Series vecQ = RandomSeries(random, nBars, 4, row.dLow, row.dHigh);
                CFormulaBench bench(nBars);
                bench.m_context.nCalcFirst = nCalcFirst;
                const Operand call = AverageCall(
                    bench, row.nId,
                    row.bSecond ? std::vector{vecX, vecP, vecQ} : std::vector{vecX, vecP});
                const RecursiveRun expected = ReferenceBlend(row.nId, vecX, vecP, vecQ, nCalcFirst);
                // In order, each bar twice: recalculating the newest bar changes nothing.
                for (const int nBar : BarsInOrder(nBars, BarOrder::Repeated, random)) {
                    if (nBar < nCalcFirst) continue;
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(Close(expected.vecResult[nBar], dValue)) << nBar;
                }
                for (int nBar = 0; nBar < nBars; ++nBar) {
                    ASSERT_TRUE(Close(expected.vecStored[nBar], HiddenSeries(bench)[nBar])) << nBar;
                }
            }
        }
    }
}

TEST(MovingAverages, WorkedExamples) {
    const Series vecRise = {1, 2, 3, 4, 5, 6};
    const Series vecHalves = {1, 1.5, 2.25, 3.125, 4.0625, 5.03125};
    auto same = [](double d) { return Series(6, d); };
    // clang-format off
    const struct { uint32_t nId; std::vector<Series> vecArgs; Series vecExpected; } arrCases[] = {
        {MA,      {vecRise, same(5)},                 {X, X, X, X, 3, 4}},
        {MA,      {vecRise, same(0.5)},               same(X)},
        {MA,      {vecRise, same(0.9999999)},         vecRise},
        {MA,      {{1, 2, X, 4, 5, 6}, same(2)},      {X, 1.5, X, X, 4.5, 5.5}},
        {WMA,     {vecRise, same(1)},                 vecRise},
        {WMA,     {vecRise, same(3)},                 {X, X, 14. / 6, 20. / 6, 26. / 6, 32. / 6}},
        {XMA,     {vecRise, same(5)},                 {2, 2.5, 3, 4, 4.5, 5}},
        {XMA,     {vecRise, same(4)},                 {1.5, 2, 2.5, 3.5, 4.5, 5}},
        {EMA,     {vecRise, same(1)},                 vecRise},
        {EMA,     {vecRise, same(3)},                 vecHalves},
        {EMA,     {{1, X, 3, 4, 5, 6}, same(3)},      {1, X, 3, 3.5, 4.25, 5.125}},
        {DMA,     {vecRise, same(1.5)},               vecRise},
        {DMA,     {vecRise, same(0.5)},               vecHalves},
        {SMA,     {vecRise, same(3), same(5)},        vecRise},
        {SMA,     {vecRise, same(2), same(1)},        vecHalves},
        {AMA,     {vecRise, same(-1)},                same(1)},
        {TMA,     {vecRise, same(0.5), same(2)},      {1, 2.5, 4.25, 6.125, 8.0625, 10.03125}},
        {MEMA,    {vecRise, same(3)},                 {X, X, 2, 8. / 3, 31. / 9, 116. / 27}},
        {MEMA,    {{1, 2, 3, X, 5, 6}, same(2)},      {X, 1.5, 2.25, X, X, X}},
        {EXPMEMA, {vecRise, same(3)},                 {X, X, 2, 3, 4, 5}},
        {EXPMEMA, {{1, 2, 3, 4, X, 6, 7, 8, 9}, Series(9, 2)},
                  {X, 1.5, 2.5, 3.5, X, X, 6.5, 7.5, 8.5}},  // seeded again after the gap
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << row.nId << " " << testing::PrintToString(row.vecArgs));
        CFormulaBench bench(static_cast<int>(row.vecExpected.size()));
        const Series vecValues = bench.EvaluateBars(AverageCall(bench, row.nId, row.vecArgs));
        for (size_t i = 0; i < vecValues.size(); ++i) {
            EXPECT_TRUE(Close(row.vecExpected[i], vecValues[i])) << "bar " << i;
        }
    }
}

// One bar computed alone: the recursive averages start at the first bar of the
// pass, and a bar whose bar before was never stored starts afresh.
TEST(MovingAverages, RecursiveAveragesComputedAlone) {
    const Series vecRise = {1, 2, 3, 4, 5, 6, 7, 8};
    const Series vecThree(8, 3);
    // clang-format off
    const struct {
        uint32_t nId; std::vector<Series> vecArgs; int nCalcFirst; int nBar; double dExpected;
        double dStored;
    } arrCases[] = {
        {EMA,     {vecRise, vecThree},                 0, 5, 6, 6},
        {EMA,     {vecRise, vecThree},                 6, 6, 7, 7},
        {MEMA,    {vecRise, vecThree},                 0, 5, X, X},
        {MEMA,    {vecRise, vecThree},                 3, 5, 5, 5},
        {EXPMEMA, {vecRise, vecThree},                 0, 5, X, X},
        {EXPMEMA, {vecRise, vecThree},                 6, 5, X, X},  // before the pass
        {EXPMEMA, {vecRise, vecThree},                 6, 6, 6, 6},  // seeded from earlier bars
        {EXPMA,   {{1, 2, X, 4}, vecThree},            0, 2, X, UNCOMPUTED_VALUE},
        {AMA,     {vecRise, {0.5, 0.5, X, 0.5}},       0, 2, X, UNCOMPUTED_VALUE},
        {SMA,     {vecRise, vecThree, {1, 1, X, 1}},   0, 2, X, UNCOMPUTED_VALUE},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " bar " << row.nBar);
        CFormulaBench bench(8);
        bench.m_context.nCalcFirst = row.nCalcFirst;
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(AverageCall(bench, row.nId, row.vecArgs), row.nBar, dValue),
                  EVAL_OK);
        EXPECT_TRUE(Close(row.dExpected, dValue));
        EXPECT_TRUE(SameValue(row.dStored, HiddenSeries(bench)[row.nBar]));
    }
}

// DIF = EMA(C,12) - EMA(C,26), DEA = EMA(DIF,9), MACD = 2 (DIF - DEA), compiled
// from a script and computed on demand, against a direct computation.
TEST(MovingAverages, MacdComposition) {
    constexpr int nBars = 150;
    std::mt19937 random(3);
    Series vecClose = RandomSeries(random, nBars, 0, -1.0, 1.1);
    for (int i = 1; i < nBars; ++i) vecClose[i] += vecClose[i - 1];
    auto ema = [](Series vecValues, int n) {
        for (size_t i = 1; i < vecValues.size(); ++i) {
            vecValues[i] = ((n - 1) * vecValues[i - 1] + 2 * vecValues[i]) / (n + 1);
        }
        return vecValues;
    };
    const Series vecFast = ema(vecClose, 12);
    const Series vecSlow = ema(vecClose, 26);
    Series vecDif(nBars);
    for (int i = 0; i < nBars; ++i) vecDif[i] = vecFast[i] - vecSlow[i];
    const Series vecDea = ema(vecDif, 9);

    CFormulaBench bench(nBars);
    ASSERT_EQ(bench.Compile("DIF=EMA(CLOSE,12)-EMA(CLOSE,26);\r\nDEA=EMA(DIF,9);\r\n"
                            "MACD=(DIF-DEA)*2;",
                            {"DIF", "DEA", "MACD"}, {"CLOSE"}),
              COMPILE_OK);
    bench.m_source.m_mapFields[4] = vecClose;
    const Series vecMacd = bench.EvaluateBars(bench.Output(2));
    for (int i = 0; i < nBars; ++i) {
        EXPECT_TRUE(Close(2 * (vecDif[i] - vecDea[i]), vecMacd[i])) << "bar " << i;
    }
}

TEST(MovingAverages, MalformedCallsFail) {
    CFormulaBench bench(10);
    const Operand x = bench.Constant(2);
    // clang-format off
    const Operand arrCalls[] = {
        bench.CallWithState(MA, {x}),             bench.CallWithState(WMA, {x, x, x}),
        bench.CallWithOwnResult(SMA, {x, x}),     bench.CallWithOwnResult(TMA, {x, x, x, x}),
        bench.Call(MA, {Num(1), x, x}),           // no state slot
        bench.Call(XMA, {x, x, x}),
        bench.Call(EMA, {Num(1), x, bench.Constant(X)}),  // no hidden series, even without N
        bench.Call(DMA, {x, x, x}),               // a field is no result series
    };
    // clang-format on
    for (size_t i = 0; i < std::size(arrCalls); ++i) {
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(arrCalls[i]), 9, dValue), EVAL_ERROR) << i;
    }
}

}  // namespace
