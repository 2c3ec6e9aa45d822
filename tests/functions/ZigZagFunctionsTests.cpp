#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

using Series = std::vector<double>;
constexpr double X = INVALID_VALUE;  // short for the tables

// clang-format off
enum : uint32_t {
    PEAK = 211, PEAKBARS = 212, SAR = 213, SARTURN = 214, TROUGH = 215, TROUGHBARS = 216,
    ZIG = 222, ZIGA = 223,
};
// clang-format on
enum : int { FIELD_HIGH = 1, FIELD_OPEN = 2, FIELD_LOW = 3, FIELD_CLOSE = 4 };

::testing::AssertionResult SameSeries(const Series& vecExpected, const Series& vecActual,
                                      double dTolerance = 0.0) {
    if (vecExpected.size() != vecActual.size()) {
        return ::testing::AssertionFailure() << "sizes differ";
    }
    for (size_t i = 0; i < vecExpected.size(); ++i) {
        const bool bBothValues = HasValue(vecExpected[i]) && HasValue(vecActual[i]);
        if (bBothValues ? std::fabs(vecExpected[i] - vecActual[i]) > dTolerance
                        : !SameValue(vecExpected[i], vecActual[i])) {
            return ::testing::AssertionFailure()
                   << "bar " << i << ": " << SameValue(vecExpected[i], vecActual[i]).message();
        }
    }
    return ::testing::AssertionSuccess();
}

Series RandomWalk(std::mt19937& random, int nBars, double dStepPercent) {
    std::normal_distribution<double> step(0.0, dStepPercent / 100);
    Series vecValues;
    double dPrice = 50.0;
    for (int i = 0; i < nBars; ++i) {
        dPrice *= 1 + step(random);
        vecValues.push_back(dPrice);
    }
    return vecValues;
}

// A zig-zag family call: K, N (, M) as given.
Operand ZigCall(CFormulaBench& bench, uint32_t nId, const std::vector<Operand>& vecArgs) {
    return bench.Keep(bench.CallWithState(nId, vecArgs));
}

Series ZigOf(uint32_t nId, const Series& vecX, float fN) {
    CFormulaBench bench(static_cast<int>(vecX.size()));
    return bench.EvaluateBars(ZigCall(bench, nId, {bench.Series(vecX), Num(fN)}));
}

TEST(ZigZag, WorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; Series vecX; float fN; Series vecExpected; } arrCases[] = {
        {ZIGA, {10, 11.5, 10.2, 12},                 1,  {10, 11.5, 10.2, 12}},
        {ZIG,  {10, 12, 11, 14, 13, 9, 10, 9.5},     10, {10, 34.0 / 3, 38.0 / 3, 14, 11.5, 9, 10, 9.5}},
        // The last peak is confirmed without a reversal; the line ends at the last bar.
        {ZIGA, {10, 12, 11.5, 11.8},                 1,  {10, 12, 11.9, 11.8}},
        // A candidate moves on to a higher bar when nothing reverses in between.
        {ZIGA, {10, 11.5, 11, 12.5, 10, 10.4},       1,  {10, 10.833333333333334, 11.666666666666666, 12.5, 10, 10.4}},
        // Never 10 percent away from the first value.
        {ZIG,  {10, 10.5, 10.9, 10.2, 10.8},         10, {X, X, X, X, X}},
        // Only the first unbroken run of valid values is analysed.
        {ZIGA, {X, X, 10, 11.5, 10.2, 12, X, 20, 5}, 1,  {X, X, 10, 11.5, 10.2, 12, X, X, X}},
        {ZIGA, {X, X, X},                            1,  {X, X, X}},
        // Exceeding means by more than the epsilon: 11 is not beyond 10 + 1.
        {ZIGA, {10, 11, 10.5},                       1,  {X, X, X}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::PrintToString(row.vecX));
        EXPECT_TRUE(SameSeries(row.vecExpected, ZigOf(row.nId, row.vecX, row.fN), 1e-12));
    }
}

// The turning points of ZIG(X, 10) on 10, 12, 11, 14, 13, 9, 10, 9.5 are 10 (trough),
// 14 (peak), 9 (trough), 10 (peak) and the last bar 9.5 (trough).
TEST(ZigZag, PeaksAndTroughsWorkedExamples) {
    const Series vecX = {10, 12, 11, 14, 13, 9, 10, 9.5};
    // clang-format off
    const struct { uint32_t nId; float fM; Series vecExpected; } arrCases[] = {
        {PEAK,       1, {X, X, X, 14, 14, 14, 10, 10}},
        {PEAKBARS,   1, {X, X, X, 0,  1,  2,  0,  1}},
        {PEAK,       2, {X, X, X, X,  X,  X,  14, 14}},
        {PEAKBARS,   2, {X, X, X, X,  X,  X,  3,  4}},
        {PEAK,       3, {X, X, X, X,  X,  X,  X,  X}},
        {PEAK,       0, {X, X, X, X,  X,  X,  X,  X}},
        {TROUGH,     1, {10, 10, 10, 10, 10, 9, 9, 9.5}},
        {TROUGHBARS, 1, {0,  1,  2,  3,  4,  0, 1, 0}},
        {TROUGH,     3, {X,  X,  X,  X,  X,  X, X, 10}},
        {TROUGHBARS, 3, {X,  X,  X,  X,  X,  X, X, 7}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " M " << row.fM);
        CFormulaBench bench(static_cast<int>(vecX.size()));
        const Operand call = ZigCall(bench, row.nId, {bench.Series(vecX), Num(10), Num(row.fM)});
        EXPECT_TRUE(SameSeries(row.vecExpected, bench.EvaluateBars(call)));
    }
}

// A literal K (or a parameter) picks OPEN, HIGH, LOW or CLOSE by its whole part;
// outside -1 < K < 4 it picks nothing.
TEST(ZigZag, LiteralKSelectsPriceField) {
    std::mt19937 random(3);
    constexpr int nBars = 60;
    CFormulaBench bench(nBars);
    Series arrFields[5];
    for (const int nField : {FIELD_HIGH, FIELD_OPEN, FIELD_LOW, FIELD_CLOSE}) {
        arrFields[nField] = RandomWalk(random, nBars, 3);
        bench.m_source.m_mapFields[nField] = arrFields[nField];
    }
    bench.m_info.m_vecParamValues = {3.0f};
    // clang-format off
    const struct { Operand k; int nField; } arrCases[] = {
        {Num(0), FIELD_OPEN}, {Num(-0.5f), FIELD_OPEN}, {Num(1.9f), FIELD_HIGH}, {Num(2), FIELD_LOW},
        {Num(3.99f), FIELD_CLOSE}, {Typed(OperandType::Parameter, 0), FIELD_CLOSE},
        {Num(4), 0}, {Num(-1), 0},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "field " << row.nField);
        const Series vecValues = bench.EvaluateBars(ZigCall(bench, ZIGA, {row.k, Num(1)}));
        const Series vecExpected =
            row.nField == 0 ? Series(nBars, X) : ZigOf(ZIGA, arrFields[row.nField], 1);
        EXPECT_TRUE(SameSeries(vecExpected, vecValues));
    }
}

// N (and M) must be one value over the whole range, within the epsilon.
TEST(ZigZag, ChangingThresholdInvalidatesTheRange) {
    const Series vecX = {10, 12, 11, 14, 13, 9, 10, 9.5};
    // clang-format off
    const Series arrN[] = {
        {1, 1, 1, 1 + 5e-8, 1, 1, 1, 1},  // steady within the epsilon
        {1, 1, 1, 1,        2, 1, 1, 1},
        {1, 1, X, 1,        1, 1, 1, 1},
    };
    const Series arrM[] = {
        {1, 1, 1, 1, 1 - 5e-8, 1, 1, 1},
        {1, 1, 1, 1, 2,        1, 1, 1},
        {1, 1, 1, 1, 1,        X, 1, 1},
    };
    // clang-format on
    for (const uint32_t nId : {ZIG, ZIGA, PEAK, PEAKBARS, TROUGH, TROUGHBARS}) {
        const bool bPeaks = nId != ZIG && nId != ZIGA;
        for (size_t nN = 0; nN < std::size(arrN); ++nN) {
            for (size_t nM = 0; nM < (bPeaks ? std::size(arrM) : 1); ++nM) {
                SCOPED_TRACE(::testing::Message() << "id " << nId << " N " << nN << " M " << nM);
                CFormulaBench bench(static_cast<int>(vecX.size()));
                std::vector<Operand> vecArgs = {bench.Series(vecX), bench.Series(arrN[nN])};
                if (bPeaks) vecArgs.push_back(bench.Series(arrM[nM]));
                const Series vecValues = bench.EvaluateBars(ZigCall(bench, nId, vecArgs));
                const bool bSteady = nN == 0 && nM == 0;
                EXPECT_EQ(std::any_of(vecValues.begin(), vecValues.end(), HasValue), bSteady);
            }
        }
    }
}

struct Vertex {
    int nBar;
    double dValue;
};

// The corners of a zig-zag line: its ends and every bar where it changes direction.
std::vector<Vertex> VerticesOf(const Series& vecZig) {
    std::vector<Vertex> vecVertices;
    for (int i = 0; i < static_cast<int>(vecZig.size()); ++i) {
        if (!HasValue(vecZig[i])) continue;
        const bool bFirst = i == 0 || !HasValue(vecZig[i - 1]);
        const bool bLast = i + 1 == static_cast<int>(vecZig.size()) || !HasValue(vecZig[i + 1]);
        if (bFirst || bLast || (vecZig[i] - vecZig[i - 1] > 0) != (vecZig[i + 1] - vecZig[i] > 0)) {
            vecVertices.push_back({i, vecZig[i]});
        }
    }
    return vecVertices;
}

bool Exceeds(bool bPercent, double dN, double dValue, double dAnchor, bool bUp) {
    const double dReach = bPercent ? dAnchor * dN / 100 : dN;
    return bUp ? dValue - (dAnchor + dReach) > VALUE_EPSILON
               : (dAnchor - dReach) - dValue > VALUE_EPSILON;
}

// What every zig-zag must be, checked on random walks: valid exactly over the first
// unbroken run of valid values (or nowhere, when the series never moves beyond the
// threshold), through the values at its corners, straight between them, each leg
// but the last beyond the threshold, and each inner corner the extreme of the
// series from the corner before it up to the reversal that confirmed it (later bars
// may pass it again without reversing from the next candidate).
TEST(ZigZag, RandomSeriesGiveProperZigZags) {
    std::mt19937 random(11);
    constexpr int nBars = 400;
    int nCorners = 0;
    for (int nRun = 0; nRun < 40; ++nRun) {
        Series vecX = RandomWalk(random, nBars, 1 + nRun % 4);
        const int nFirst = nRun % 3 == 0 ? 0 : nRun % 17;
        const int nLast = nRun % 5 == 0 ? nBars - 1 : nBars - 1 - nRun * 7;
        for (int i = 0; i < nFirst; ++i) vecX[i] = X;
        if (nLast + 1 < nBars) vecX[nLast + 1] = X;
        for (const bool bPercent : {true, false}) {
            for (const float fN : {0.5f, 2.0f, 5.0f, 12.0f}) {
                SCOPED_TRACE(::testing::Message()
                             << "run " << nRun << (bPercent ? " ZIG " : " ZIGA ") << fN);
                const Series vecZig = ZigOf(bPercent ? ZIG : ZIGA, vecX, fN);
                const std::vector<Vertex> vecCorners = VerticesOf(vecZig);
                if (vecCorners.empty()) {
                    for (int i = nFirst + 1; i <= nLast; ++i) {
                        ASSERT_FALSE(Exceeds(bPercent, fN, vecX[i], vecX[nFirst], true) ||
                                     Exceeds(bPercent, fN, vecX[i], vecX[nFirst], false));
                    }
                    continue;
                }
                nCorners += static_cast<int>(vecCorners.size());
                for (int i = 0; i < nBars; ++i) {
                    ASSERT_EQ(HasValue(vecZig[i]), i >= nFirst && i <= nLast) << i;
                }
                ASSERT_EQ(vecCorners.front().nBar, nFirst);
                ASSERT_EQ(vecCorners.back().nBar, nLast);
                for (size_t k = 0; k < vecCorners.size(); ++k) {
                    const Vertex& corner = vecCorners[k];
                    ASSERT_EQ(corner.dValue, vecX[corner.nBar]);
                    if (k + 1 == vecCorners.size()) break;
                    const Vertex& next = vecCorners[k + 1];
                    const bool bUp = next.dValue > corner.dValue;
                    for (int i = corner.nBar + 1; i < next.nBar; ++i) {
                        const double dLine = corner.dValue + (i - corner.nBar) *
                                                                 (next.dValue - corner.dValue) /
                                                                 (next.nBar - corner.nBar);
                        ASSERT_NEAR(vecZig[i], dLine, 1e-9) << i;
                    }
                    if (k + 2 < vecCorners.size()) {
                        ASSERT_TRUE(Exceeds(bPercent, fN, next.dValue, corner.dValue, bUp)) << k;
                        // Once the leg is beyond the threshold, no reversal from its extreme
                        // so far is passed over before the next corner.
                        bool bBeyond = false;
                        double dExtreme = 0.0;
                        for (int i = corner.nBar + 1; i < next.nBar; ++i) {
                            if (bBeyond) {
                                dExtreme =
                                    bUp ? std::max(dExtreme, vecX[i]) : std::min(dExtreme, vecX[i]);
                            } else if (Exceeds(bPercent, fN, vecX[i], corner.dValue, bUp)) {
                                bBeyond = true;
                                dExtreme = vecX[i];
                            }
                            ASSERT_FALSE(bBeyond &&
                                         Exceeds(bPercent, fN, vecX[i + 1], dExtreme, !bUp))
                                << i + 1;
                        }
                    }
                    if (k == 0) continue;
                    // The reversal that confirmed the corner: no later than the next corner.
                    int nReversal = corner.nBar + 1;
                    while (nReversal < nLast &&
                           !Exceeds(bPercent, fN, vecX[nReversal], corner.dValue, bUp)) {
                        ++nReversal;
                    }
                    ASSERT_LE(nReversal, next.nBar);
                    for (int i = vecCorners[k - 1].nBar; i <= nReversal; ++i) {
                        ASSERT_TRUE(bUp ? vecX[i] >= corner.dValue - VALUE_EPSILON
                                        : vecX[i] <= corner.dValue + VALUE_EPSILON)
                            << "corner at " << corner.nBar << ", bar " << i;
                    }
                }
            }
        }
    }
    EXPECT_GT(nCorners, 1000);  // the runs above did exercise the algorithm
}

// Only the calculation window is analysed, all of it on the first request of any of
// its bars: the zig-zag of bars 20..69 is that of those bars alone, later requests
// in any order only read, and bars outside the window have none.
TEST(ZigZag, FirstRequestComputesTheCalculationWindow) {
    std::mt19937 random(9);
    const Series vecX = RandomWalk(random, 100, 2);
    const Series vecWindowZig = ZigOf(ZIG, Series(vecX.begin() + 20, vecX.begin() + 70), 2);
    std::vector<int> vecOrder(100);
    std::iota(vecOrder.begin(), vecOrder.end(), 0);
    std::shuffle(vecOrder.begin(), vecOrder.end(), random);

    CFormulaBench bench(100);
    bench.m_context.nCalcFirst = 20;
    bench.m_context.nCalcLast = 69;
    const Operand call = ZigCall(bench, ZIG, {bench.Series(vecX), Num(2)});
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(call, 50, dValue), EVAL_OK);
    EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD), 50);
    for (const int p : vecOrder) {
        ASSERT_EQ(bench.Evaluate(call, p, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(p < 20 || p > 69 ? X : vecWindowZig[p - 20], dValue)) << p;
    }
    EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD), 50);
}

// Bars of open, high, low and close for the parabolic stop.
struct PriceBars {
    Series vecOpen, vecHigh, vecLow, vecClose;

    void ServeFrom(CFakeDataSource& source) const {
        source.m_mapFields[FIELD_OPEN] = vecOpen;
        source.m_mapFields[FIELD_HIGH] = vecHigh;
        source.m_mapFields[FIELD_LOW] = vecLow;
        source.m_mapFields[FIELD_CLOSE] = vecClose;
    }
};

PriceBars RandomBars(std::mt19937& random, int nBars) {
    std::normal_distribution<double> move(0.0, 0.02);
    std::uniform_real_distribution<double> wick(0.0, 0.01);
    PriceBars bars;
    double dClose = 30.0;
    for (int i = 0; i < nBars; ++i) {
        const double dOpen = dClose;
        dClose = dOpen * (1 + move(random));
        bars.vecOpen.push_back(dOpen);
        bars.vecClose.push_back(dClose);
        bars.vecHigh.push_back(std::max(dOpen, dClose) * (1 + wick(random)));
        bars.vecLow.push_back(std::min(dOpen, dClose) * (1 - wick(random)));
    }
    return bars;
}

constexpr int SAR_VARIABLE = 7;
constexpr uint32_t SAR_SLOT = 9;

// SAR and SARTURN as the compiler builds them: the hidden stop series, the state
// slot, then N, STEP and MAX.
Operand SarCall(CFormulaBench& bench, uint32_t nId, const std::vector<Operand>& vecArgs) {
    std::vector<Operand> vecElements = {Fid(nId), bench.Variable(SAR_VARIABLE), State(SAR_SLOT)};
    vecElements.insert(vecElements.end(), vecArgs.begin(), vecArgs.end());
    return bench.Keep(Child(NodeKind::StatefulCall, vecElements));
}

// Bars 0..4, N 2, STEP 10, MAX 20, worked by hand: a rising start (stop at the lowest
// low 9), the stop closing in with a factor that grows on the new high 13, a turn when
// the low 8 falls below 10.12 (the stop jumps to the highest high 13), and a falling
// bar whose new low 7 raises the factor again.
TEST(ParabolicStop, WorkedExample) {
    PriceBars bars;
    bars.vecOpen = {10, 10.5, 11.5, 12.5, 9};
    bars.vecHigh = {11, 12, 13, 12.5, 9.5};
    bars.vecLow = {9, 10, 11, 8, 7};
    bars.vecClose = {10.5, 11.5, 12.5, 9, 7.5};
    const Series vecStops = {X, 9, 9.4, 13, 12.4};
    const Series vecTurns = {X, 1, 0, -1, 0};
    for (const uint32_t nId : {SAR, SARTURN}) {
        CFormulaBench bench(5);
        bars.ServeFrom(bench.m_source);
        const Operand call = SarCall(bench, nId, {Num(2), Num(10), Num(20)});
        EXPECT_TRUE(SameSeries(nId == SAR ? vecStops : vecTurns, bench.EvaluateBars(call), 1e-12));
        // SARTURN keeps the stop in its hidden series as well.
        const double* pStops = bench.m_store.GetSeries(RefListKind::Variable, SAR_VARIABLE, 0);
        ASSERT_NE(pStops, nullptr);
        EXPECT_TRUE(SameSeries(vecStops, Series(pStops, pStops + 5), 1e-12));
    }
}

TEST(ParabolicStop, RefusedArguments) {
    std::mt19937 random(4);
    const PriceBars bars = RandomBars(random, 30);
    // clang-format off
    // nFirstValid -1: nowhere. A step of 0 or below could not carry the trend's sign.
    const struct { float fN, fStep, fMax; int nFirstValid; } arrCases[] = {
        {10, 2, 20, 9}, {1, 2, 20, 0}, {10, 20, 2, -1}, {10, 0, 20, -1}, {10, -2, 20, -1},
        {10, 100, 100, -1}, {10, 2, 100, -1}, {0, 2, 20, -1}, {40, 2, 20, -1},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        for (const uint32_t nId : {SAR, SARTURN}) {
            SCOPED_TRACE(::testing::Message() << "id " << nId << " (" << row.fN << ", " << row.fStep
                                              << ", " << row.fMax << ")");
            CFormulaBench bench(30);
            bars.ServeFrom(bench.m_source);
            const Series vecValues = bench.EvaluateBars(
                SarCall(bench, nId, {Num(row.fN), Num(row.fStep), Num(row.fMax)}));
            for (int p = 0; p < 30; ++p) {
                EXPECT_EQ(HasValue(vecValues[p]), row.nFirstValid >= 0 && p >= row.nFirstValid)
                    << p;
            }
        }
    }
}

// Computing in increasing steps that ask for bars again gives the one-pass series; a
// missing price breaks the run, which starts afresh once the window is clear of it.
TEST(ParabolicStop, StepsAndRestarts) {
    std::mt19937 random(12);
    constexpr int nBars = 200;
    PriceBars bars = RandomBars(random, nBars);
    bars.vecLow[100] = X;
    for (const uint32_t nId : {SAR, SARTURN}) {
        CFormulaBench once(nBars);
        CFormulaBench steps(nBars);
        bars.ServeFrom(once.m_source);
        bars.ServeFrom(steps.m_source);
        const Series vecOnce = once.EvaluateBars(SarCall(once, nId, {Num(3), Num(2), Num(20)}));
        const Operand call = SarCall(steps, nId, {Num(3), Num(2), Num(20)});
        Series vecSteps(nBars, X);
        for (int p = 0; p < nBars; ++p) {
            for (int q = std::max(p - 2, 0); q <= p; ++q) {
                ASSERT_EQ(steps.Evaluate(call, q, vecSteps[q]), EVAL_OK);
            }
        }
        EXPECT_TRUE(SameSeries(vecOnce, vecSteps));
        EXPECT_TRUE(std::all_of(&vecOnce[100], &vecOnce[103], IsInvalid));
        if (nId == SARTURN) {
            EXPECT_EQ(std::fabs(vecOnce[103]), 1.0);
            EXPECT_GT(std::count(vecOnce.begin(), vecOnce.end(), -1.0), 5);
        }
    }
}

}  // namespace
