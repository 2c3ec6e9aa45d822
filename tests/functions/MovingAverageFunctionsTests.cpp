#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

using Series = std::vector<double>;
constexpr double X = INVALID_VALUE;  // short for the tables

enum : uint32_t {
    MA = 140,
    SMA = 141,
    TMA = 142,
    MEMA = 143,
    EMA = 144,
    EXPMA = 145,
    EXPMEMA = 146,
    WMA = 147,
    DMA = 148,
    AMA = 149,
    XMA = 150,
};

bool IsWindowAverage(uint32_t nId) {
    return nId == MA || nId == WMA || nId == XMA;
}

// Running sums drift from a fresh sum by a few units in the last place.
::testing::AssertionResult Close(double dExpected, double dActual) {
    if (!HasValue(dExpected) || !HasValue(dActual)) return SameValue(dExpected, dActual);
    if (std::fabs(dExpected - dActual) <= 1e-9 * std::max(1.0, std::fabs(dExpected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "expected " << dExpected << ", got " << dActual;
}

Series RandomSeries(std::mt19937& random, int nBars, int nHolePercent, double dLow, double dHigh) {
    std::uniform_real_distribution<double> value(dLow, dHigh);
    std::uniform_int_distribution<int> percent(0, 99);
    Series vecValues;
    for (int i = 0; i < nBars; ++i) {
        vecValues.push_back(percent(random) < nHolePercent ? X : value(random));
    }
    return vecValues;
}

// A call of an average on series arguments, with its state slot or hidden series.
Operand AverageCall(CFormulaBench& bench, uint32_t nId, const std::vector<Series>& vecArgs) {
    std::vector<Operand> vecOperands;
    for (const Series& vecArg : vecArgs) vecOperands.push_back(bench.Series(vecArg));
    return bench.Keep(IsWindowAverage(nId) ? bench.CallWithState(nId, vecOperands)
                                           : bench.CallWithOwnResult(nId, vecOperands));
}

// The window averages straight from their definitions: a direct loop per bar.
double ReferenceWindow(uint32_t nId, const Series& vecX, const Series& vecN, int p) {
    if (IsInvalid(vecN[p]) || ToCount(vecN[p]) < 1) return X;
    const int n = ToCount(vecN[p]);
    if (n == 1) return vecX[p];
    const int nBars = static_cast<int>(vecX.size());
    int nFirst = p - n + 1;
    int nLast = p;
    if (nId == XMA) {
        nFirst = std::max(p - n / 2, 0);
        nLast = std::min(p + (n - 1) / 2, nBars - 1);
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
    // Constant periods, then one that changes at every bar, then one that changes
    // now and then; both with bars where N is invalid or below 1.
    std::vector<Series> vecPeriods;
    for (const double dN : {1.0, 2.0, 3.0, 4.9999999, 7.0, 12.0, 89.0, 91.0}) {
        vecPeriods.push_back(Series(nBars, dN));
    }
    Series vecJumpy = RandomSeries(random, nBars, 5, 0.0, 9.0);
    Series vecBlocks(nBars);
    for (int i = 0; i < nBars; ++i) vecBlocks[i] = 3 + (i / 15) % 3;
    vecBlocks[50] = X;
    vecBlocks[70] = 0;
    vecPeriods.push_back(vecJumpy);
    vecPeriods.push_back(vecBlocks);

    for (const uint32_t nId : {MA, WMA, XMA}) {
        for (size_t nPeriods = 0; nPeriods < vecPeriods.size(); ++nPeriods) {
            // The orders the calculator may use: in order, each bar twice (the newest
            // bar recalculated), and random (values asked for on demand).
            for (int nOrder = 0; nOrder < 3; ++nOrder) {
                SCOPED_TRACE(::testing::Message()
                             << "id " << nId << " periods " << nPeriods << " order " << nOrder);
                const Series vecX = RandomSeries(random, nBars, 4, -50.0, 150.0);
                const Series& vecN = vecPeriods[nPeriods];
                CFormulaBench bench(nBars);
                const Operand call = AverageCall(bench, nId, {vecX, vecN});
                std::vector<int> vecBars;
                for (int i = 0; i < nBars; ++i) {
                    vecBars.push_back(i);
                    if (nOrder == 1) vecBars.push_back(i);
                }
                if (nOrder == 2) std::shuffle(vecBars.begin(), vecBars.end(), random);
                for (const int nBar : vecBars) {
                    double dValue = 0.0;
                    ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
                    ASSERT_TRUE(Close(ReferenceWindow(nId, vecX, vecN, nBar), dValue))
                        << "bar " << nBar;
                }
            }
        }
    }
}

// Evaluated in order, each bar costs a few reads once the window is full.
TEST(MovingAverages, WindowAveragesCostConstantPerBar) {
    constexpr int nBars = 400;
    constexpr int nPeriod = 40;
    for (const uint32_t nId : {MA, WMA, XMA}) {
        CFormulaBench bench(nBars);
        const Operand call =
            AverageCall(bench, nId, {Series(nBars, 1.0), Series(nBars, double(nPeriod))});
        const Series vecValues = bench.EvaluateBars(call);
        EXPECT_EQ(vecValues.back(), 1.0);
        EXPECT_LE(bench.m_source.Calls(CFakeDataSource::OP_FIELD), nBars * 6 + nPeriod * nPeriod)
            << nId;
    }
}

// The recursive averages from their definitions, bar by bar from the first bar of
// the pass. vecStored mirrors the hidden series: UNCOMPUTED_VALUE where nothing is
// stored.
struct RecursiveRun {
    Series vecResult;
    Series vecStored;
};

RecursiveRun ReferenceRecursive(uint32_t nId, const Series& vecX, const Series& vecP,
                                const Series& vecQ, int nCalcFirst) {
    const int nBars = static_cast<int>(vecX.size());
    RecursiveRun run{Series(nBars, UNCOMPUTED_VALUE), Series(nBars, UNCOMPUTED_VALUE)};
    for (int p = nCalcFirst; p < nBars; ++p) {
        double& dResult = run.vecResult[p];
        double& dStored = run.vecStored[p];
        const double x = vecX[p];
        const double dPrev = p > nCalcFirst ? run.vecStored[p - 1] : UNCOMPUTED_VALUE;
        const int n = IsInvalid(vecP[p]) ? 0 : ToCount(vecP[p]);
        dResult = X;
        if (IsInvalid(vecP[p]) || ((nId == SMA || nId == TMA) && IsInvalid(vecQ[p]))) continue;
        if (nId != DMA && nId != AMA && nId != TMA && n < 1) continue;
        if (IsInvalid(x)) {
            if (nId == EMA || nId == SMA || nId == DMA) dStored = X;
            continue;
        }
        // The simple average of the n bars up to p.
        auto simple = [&]() {
            double dSum = 0.0;
            for (int i = p - n + 1; i <= p; ++i) {
                if (i < 0 || IsInvalid(vecX[i])) return X;
                dSum += vecX[i];
            }
            return dSum / n;
        };
        if (nId == MEMA || nId == EXPMEMA) {
            bool bSeed = p == nCalcFirst + n - 1;
            if (nId == MEMA && p < nCalcFirst + n - 1) continue;
            if (nId == EXPMEMA) {
                if (p - n + 1 < 0 || IsInvalid(vecX[p - n + 1])) continue;
                bSeed = p - n < 0 || IsInvalid(vecX[p - n]) || p <= nCalcFirst + n - 1;
            }
            if (bSeed && IsInvalid(simple())) continue;
            if (bSeed) {
                dResult = simple();
            } else if (HasValue(dPrev)) {
                dResult = nId == MEMA ? ((n - 1.0) * dPrev + x) / n
                                      : ((n - 1.0) * dPrev + 2 * x) / (n + 1.0);
            }
            dStored = dResult;
            continue;
        }
        const double y = HasValue(dPrev) ? dPrev : x;
        const double a = vecP[p];
        const double b = IsInvalid(vecQ[p]) ? 0.0 : vecQ[p];
        auto unit = [](double d) { return std::min(std::max(d, 0.0), 1.0); };
        switch (nId) {
            case EMA:
            case EXPMA:
                dResult = ((n - 1.0) * y + 2 * x) / (n + 1.0);
                break;
            case SMA:
                dResult = ((n - std::min(b, double(n))) * y + std::min(b, double(n)) * x) / n;
                break;
            case DMA:
                dResult = (1 - (a > 0.999999 ? 1.0 : a)) * y + (a > 0.999999 ? 1.0 : a) * x;
                break;
            case AMA:
                dResult = y + unit(a) * (x - y);
                break;
            case TMA:
                dResult = unit(a) * y + unit(b) * x;
                break;
        }
        if (p == nCalcFirst) dResult = x;
        dStored = dResult;
    }
    return run;
}

TEST(MovingAverages, RecursiveAveragesMatchTheirRecurrence) {
    constexpr int nBars = 70;
    std::mt19937 random(5);
    // clang-format off
    const struct { uint32_t nId; double dLow; double dHigh; bool bSecond; } arrCases[] = {
        {EMA, 0, 12, false}, {EXPMA, 0, 12, false}, {SMA, 0, 12, true}, {DMA, -0.3, 1.3, false},
        {AMA, -0.3, 1.3, false}, {TMA, -0.3, 1.3, true}, {MEMA, 0, 6, false},
        {EXPMEMA, 0, 6, false},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        for (const int nCalcFirst : {0, 9}) {
            for (const bool bSteadyParameter : {true, false}) {
                SCOPED_TRACE(::testing::Message() << "id " << row.nId << " first " << nCalcFirst
                                                  << " steady " << bSteadyParameter);
                const Series vecX = RandomSeries(random, nBars, 5, 1.0, 100.0);
                Series vecP = RandomSeries(random, nBars, 4, row.dLow, row.dHigh);
                if (bSteadyParameter) {
                    for (double& dP : vecP) dP = IsInvalid(dP) ? X : (row.dLow + row.dHigh) / 2;
                }
                const Series vecQ = RandomSeries(random, nBars, 4, row.dLow, row.dHigh);
                CFormulaBench bench(nBars);
                bench.m_context.nCalcFirst = nCalcFirst;
                std::vector<Series> vecArgs = {vecX, vecP};
                if (row.bSecond) vecArgs.push_back(vecQ);
                const Operand call = AverageCall(bench, row.nId, vecArgs);
                const RecursiveRun expected =
                    ReferenceRecursive(row.nId, vecX, vecP, vecQ, nCalcFirst);
                // In steps of 10 bars, the last bar of each step computed again at the
                // start of the next, as when the newest bar is recalculated.
                for (int nBar = nCalcFirst; nBar < nBars; ++nBar) {
                    const bool bRepeat = nBar % 10 == 0 && nBar > nCalcFirst;
                    for (int nTimes = bRepeat ? 2 : 1; nTimes > 0; --nTimes) {
                        const int nAt = nTimes == 2 ? nBar - 1 : nBar;
                        double dValue = 0.0;
                        ASSERT_EQ(bench.Evaluate(call, nAt, dValue), EVAL_OK);
                        ASSERT_TRUE(Close(expected.vecResult[nAt], dValue)) << "bar " << nAt;
                    }
                }
                const double* pSeries = bench.m_store.FindSeries(
                    SERIES_KIND_VARIABLE, CFormulaBench::FIRST_AUTO_VARIABLE);
                ASSERT_NE(pSeries, nullptr);
                for (int nBar = 0; nBar < nBars; ++nBar) {
                    ASSERT_TRUE(Close(expected.vecStored[nBar], pSeries[nBar])) << "bar " << nBar;
                }
            }
        }
    }
}

TEST(MovingAverages, WorkedExamples) {
    const Series vecRise = {1, 2, 3, 4, 5, 6};
    auto same = [](double d) { return Series(6, d); };
    // clang-format off
    const struct { uint32_t nId; std::vector<Series> vecArgs; Series vecExpected; } arrCases[] = {
        {MA,      {vecRise, same(5)},           {X, X, X, X, 3, 4}},
        {MA,      {vecRise, same(0.5)},         {X, X, X, X, X, X}},
        {MA,      {vecRise, same(0.9999999)},   vecRise},
        {MA,      {{1, 2, X, 4, 5, 6}, same(2)}, {X, 1.5, X, X, 4.5, 5.5}},
        {WMA,     {vecRise, same(1)},           vecRise},
        {WMA,     {vecRise, same(3)},           {X, X, 14.0 / 6, 20.0 / 6, 26.0 / 6, 32.0 / 6}},
        {XMA,     {vecRise, same(5)},           {2, 2.5, 3, 4, 4.5, 5}},
        {XMA,     {vecRise, same(4)},           {1.5, 2, 2.5, 3.5, 4.5, 5}},
        {EMA,     {vecRise, same(1)},           vecRise},
        {EMA,     {vecRise, same(3)},           {1, 1.5, 2.25, 3.125, 4.0625, 5.03125}},
        {EMA,     {{1, X, 3, 4, 5, 6}, same(3)}, {1, X, 3, 3.5, 4.25, 5.125}},
        {DMA,     {vecRise, same(1.5)},         vecRise},
        {DMA,     {vecRise, same(0.5)},         {1, 1.5, 2.25, 3.125, 4.0625, 5.03125}},
        {SMA,     {vecRise, same(3), same(5)},  vecRise},
        {SMA,     {vecRise, same(2), same(1)},  {1, 1.5, 2.25, 3.125, 4.0625, 5.03125}},
        {AMA,     {vecRise, same(-1)},          same(1)},
        {TMA,     {vecRise, same(0.5), same(2)}, {1, 2.5, 4.25, 6.125, 8.0625, 10.03125}},
        {MEMA,    {vecRise, same(3)},           {X, X, 2, 8.0 / 3, 31.0 / 9, 116.0 / 27}},
        {EXPMEMA, {vecRise, same(3)},           {X, X, 2, 3, 4, 5}},
        {EXPMEMA, {{1, 2, 3, 4, X, 6, 7, 8, 9}, Series(9, 2)}, {X, 1.5, 2.5, 3.5, X, X, 6.5, 7.5, 8.5}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "id " << row.nId << " " << ::testing::PrintToString(row.vecArgs));
        CFormulaBench bench(static_cast<int>(row.vecExpected.size()));
        const Series vecValues = bench.EvaluateBars(AverageCall(bench, row.nId, row.vecArgs));
        for (size_t i = 0; i < vecValues.size(); ++i) {
            EXPECT_TRUE(Close(row.vecExpected[i], vecValues[i])) << "bar " << i;
        }
    }
}

// A bar computed without the bar before it (asked for directly, or after a bar
// whose result was not stored) starts afresh.
TEST(MovingAverages, RecursiveAveragesWithoutTheBarBefore) {
    const Series vecRise = {1, 2, 3, 4, 5, 6, 7, 8};
    // clang-format off
    const struct { uint32_t nId; std::vector<Series> vecArgs; int nCalcFirst; int nBar; double dExpected; bool bStored; } arrCases[] = {
        {EMA,     {vecRise, Series(8, 3)}, 0, 5, 6, true},
        {EMA,     {vecRise, Series(8, 3)}, 6, 6, 7, true},
        {MEMA,    {vecRise, Series(8, 3)}, 0, 5, X, true},
        {MEMA,    {vecRise, Series(8, 3)}, 3, 5, 5, true},
        {EXPMEMA, {vecRise, Series(8, 3)}, 0, 5, X, true},
        {EXPMEMA, {vecRise, Series(8, 3)}, 6, 5, X, true},   // before the pass
        {EXPMA,   {{1, 2, X, 4, 5, 6, 7, 8}, Series(8, 3)}, 0, 2, X, false},
        {AMA,     {vecRise, {0.5, 0.5, X, 0.5, 0.5, 0.5, 0.5, 0.5}}, 0, 2, X, false},
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
        const double* pSeries =
            bench.m_store.FindSeries(SERIES_KIND_VARIABLE, CFormulaBench::FIRST_AUTO_VARIABLE);
        ASSERT_NE(pSeries, nullptr);
        EXPECT_TRUE(SameValue(row.bStored ? row.dExpected : UNCOMPUTED_VALUE, pSeries[row.nBar]));
    }
}

// DIF = EMA(C,12) - EMA(C,26), DEA = EMA(DIF,9), MACD = 2 (DIF - DEA), compiled
// from a script and computed on demand, against a direct computation.
TEST(MovingAverages, MacdComposition) {
    constexpr int nBars = 150;
    std::mt19937 random(3);
    Series vecClose = RandomSeries(random, nBars, 0, -1.0, 1.0);
    for (int i = 1; i < nBars; ++i) vecClose[i] += vecClose[i - 1] + 0.1;
    auto ema = [](const Series& vecIn, int n) {
        Series vecOut(vecIn);
        for (size_t i = 1; i < vecIn.size(); ++i) {
            vecOut[i] = ((n - 1) * vecOut[i - 1] + 2 * vecIn[i]) / (n + 1);
        }
        return vecOut;
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
    const Operand macd = bench.Output(2);
    for (int nBar = 0; nBar < nBars; ++nBar) {
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(macd, nBar, dValue), EVAL_OK);
        ASSERT_TRUE(Close(2 * (vecDif[nBar] - vecDea[nBar]), dValue)) << "bar " << nBar;
    }
}

TEST(MovingAverages, MalformedCallsFail) {
    CFormulaBench bench(10);
    const Operand x = bench.Constant(2);
    const Operand n = bench.Constant(3);
    const Operand noN = bench.Constant(X);
    // clang-format off
    const Operand arrCalls[] = {
        bench.CallWithState(MA, {x}),
        bench.CallWithState(MA, {x, n, n}),
        bench.Call(MA, {Num(1), x, n}),           // no state slot
        bench.Call(XMA, {x, x, n}),
        bench.CallWithState(WMA, {x}),
        bench.CallWithOwnResult(EMA, {x}),
        bench.CallWithOwnResult(SMA, {x, n}),
        bench.CallWithOwnResult(TMA, {x, n, n, n}),
        bench.Call(EMA, {Num(1), x, noN}),        // no hidden series, even without N
        bench.Call(DMA, {x, x, n}),               // a field is no result series
    };
    // clang-format on
    for (size_t i = 0; i < std::size(arrCalls); ++i) {
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(arrCalls[i]), 9, dValue), EVAL_ERROR) << i;
    }
}

}  // namespace
