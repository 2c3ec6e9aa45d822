#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t COUNT = 117, HHV = 119, HHVBARS = 120, HOD = 121, LLV = 122, LLVBARS = 123,
                   LOD = 124, SUM = 132, MULAR = 133, SUMBARS = 139;

bool HasState(uint32_t nId) {
    return nId != HOD && nId != LOD && nId != SUMBARS;
}

// The window functions straight from their definitions: a direct loop per bar.
double OracleWindow(uint32_t nId, const Series& x, const Series& n, int p) {
    if (nId == SUMBARS) {  // n is the amount to reach
        double dTotal = 0;
        for (int i = p; i >= 0 && !IsInvalid(x[i]) && !IsInvalid(n[p]); --i) {
            if ((dTotal += x[i]) >= n[p]) return p - i + 1;
        }
        return NA;
    }
    if (IsInvalid(n[p]) || ToCount(n[p]) < 1) return NA;
    if ((nId == HOD || nId == LOD) && ToCount(n[p]) == 1) return 1.0;
    const int nFirst = std::max(p - ToCount(n[p]) + 1, 0);
    const bool bHigh = nId == HHV || nId == HHVBARS || nId == HOD;
    auto beats = [bHigh](double a, double b) { return bHigh ? a > b : a < b; };
    switch (nId) {
        case HHV:
        case HHVBARS:
        case LLV:
        case LLVBARS: {
            int nBest = -1;
            for (int i = p; i >= nFirst; --i) {
                if (!IsInvalid(x[i]) && (nBest < 0 || beats(x[i], x[nBest]))) nBest = i;
            }
            if (nBest < 0) return NA;
            return nId == HHVBARS || nId == LLVBARS ? p - nBest : x[nBest];
        }
        case HOD:
        case LOD: {
            double dRank = 1;
            for (int i = nFirst; i <= p; ++i) {
                if (IsInvalid(x[i])) return NA;
                if (beats(x[i], x[p])) ++dRank;
            }
            return dRank;
        }
        case COUNT: {
            double dCount = 0;
            for (int i = nFirst; i <= p; ++i) dCount += IsTrue(x[i]) ? 1 : 0;
            return dCount;
        }
        case SUM:
        case MULAR: {
            if (IsInvalid(x[p])) return NA;
            double dTotal = nId == SUM ? 0.0 : 1.0;
            for (int i = nFirst; i <= p; ++i) {
                if (IsInvalid(x[i])) continue;
                dTotal = nId == SUM ? dTotal + x[i] : dTotal * x[i];
            }
            return dTotal;
        }
    }
    return NA;
}

TEST(WindowFunctions, MatchDirectLoopsInEveryOrder) {
    constexpr int nBars = 60;
    std::mt19937 random(11);
    for (const uint32_t nId : {HHV, HHVBARS, LLV, LLVBARS, HOD, LOD, COUNT, SUM, MULAR, SUMBARS}) {
        // Fixed periods, including ones longer than the data, then a period that
        // changes from bar to bar and is sometimes invalid or 0.
        for (const int nPeriod : {1, 2, 3, 5, 8, 13, 70, 0}) {
            SCOPED_TRACE(::testing::Message() << "id " << nId << " period " << nPeriod);
            const int nLow = nId == MULAR ? -2 : nId == SUMBARS ? 0 : -4;
            const Series x = RandomSeries(random, nBars, 10, nLow, 4);
            const Series n =
                nPeriod > 0 ? Series(nBars, nPeriod) : RandomSeries(random, nBars, 5, 0, 9);
            ExpectEveryOrder(
                nBars, random,
                [&](CFormulaBench& bench) {
                    return SeriesCall(bench, nId, HasState(nId), {x, n});
                },
                [&](int p) { return OracleWindow(nId, x, n, p); });
        }
    }
}

TEST(WindowFunctions, WorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; Series x; double dN; int nBar; double dExpected; } arrCases[] = {
        {HHV,     {3, 7, 5, 1, 2},  5,  2, 7},   // window clamped to bars 0..2
        {HHVBARS, {7, 1, 7, 2},     4,  3, 1},   // equal maxima: the more recent one
        {LLVBARS, {1, 5, 1, 1, 4},  5,  4, 1},
        {HHV,     {NA, NA, 2},      2,  1, NA},  // nothing valid in the window
        {HHVBARS, {NA, 3},          1,  0, NA},
        {HOD,     {5, 9, 4, 6},     4,  3, 2},   // only 9 is higher
        {HOD,     {NA, 9, 4, 6},    4,  3, NA},  // a rank needs every value
        {SUM,     {1, 2, 3},        0,  2, NA},
        {COUNT,   {1, 2, 3},        0,  2, NA},
        {SUM,     {1, NA, 3, 4},    3,  3, 7},   // invalid values in the window count 0
        {SUM,     {1, 2, NA},       3,  2, NA},  // but x itself must be valid
        {MULAR,   {2, 0, 3, 4},     2,  3, 12},  // the zero has left the window
        {MULAR,   {2, 0, 3, 4},     3,  3, 0},
        {SUMBARS, {4, 1, 2, 3},     5,  3, 2},   // 3 + 2 reaches 5
        {SUMBARS, {4, 1, 2, 3},    11,  3, NA},  // 10 in all
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " bar " << row.nBar);
        CFormulaBench bench(static_cast<int>(row.x.size()));
        const Operand call =
            SeriesCall(bench, row.nId, HasState(row.nId), {row.x, Series(row.x.size(), row.dN)});
        std::vector<double> vecValues = bench.EvaluateBars(call);
        EXPECT_TRUE(SameValue(row.dExpected, vecValues[static_cast<size_t>(row.nBar)]));
    }
}

// Values within VALUE_EPSILON tie, and a tie goes to the more recent bar, whether the
// window is scanned or the running extreme is carried on.
TEST(WindowFunctions, EpsilonTiesKeepTheMoreRecentBar) {
    const Series x = {5, 5 + 3e-8, 1, 5 - 3e-8, 0, 0};
    for (const bool bOnePass : {true, false}) {
        CFormulaBench bench(6);
        const Operand call = SeriesCall(bench, HHVBARS, true, {x, Series(6, 4)});
        double dValue = 0.0;
        for (int nBar = bOnePass ? 0 : 4; nBar <= 4; ++nBar) bench.Evaluate(call, nBar, dValue);
        EXPECT_EQ(dValue, 1) << bOnePass;  // bar 3 of bars 1..4
    }
}

}  // namespace

namespace {

// HHV and its relatives by their rule, bar after bar: carry the previous extreme on
// where the rule allows it, else scan the window from p backwards, replacing the
// extreme only by a value beyond it by more than VALUE_EPSILON. Returns the bar of
// the extreme at every bar (-1 for none, -2 where the period gives no value).
std::vector<int> ExtremeBarsByRule(const Series& x, const Series& n, bool bHigh) {
    auto beats = [bHigh](double a, double b) { return bHigh ? IsGreater(a, b) : IsGreater(b, a); };
    const double dStart = bHigh ? -DBL_MAX : DBL_MAX;
    std::vector<int> vecBars;
    int nLastBar = -1;      // the bar the carried extreme belongs to
    int nLastExtreme = -1;  // -1: no extreme carried
    for (int p = 0; p < static_cast<int>(x.size()); ++p) {
        if (IsInvalid(n[p]) || ToCount(n[p]) < 1) {
            vecBars.push_back(-2);
            continue;
        }
        const int nPeriod = ToCount(n[p]);
        if (nPeriod == 1) {
            vecBars.push_back(IsInvalid(x[p]) ? -1 : p);
            continue;
        }
        const int w = std::min(nPeriod, p + 1);
        const bool bSame = p > 0 && !IsInvalid(n[p - 1]) && w == std::min(ToCount(n[p - 1]), p);
        int nBest = -1;
        const int m = nLastExtreme;
        if (bSame && nLastBar == p - 1 && m >= 0 && m >= p - w && m < p && !std::isnan(x[m])) {
            if (!std::isnan(x[p]) && !beats(x[m], x[p])) {
                nBest = p;
            } else if (m != p - w) {
                nBest = m;
            }
        }
        if (nBest < 0) {
            double dBest = dStart;
            for (int k = 0; k < w; ++k) {
                if (!IsInvalid(x[p - k]) && beats(x[p - k], dBest)) {
                    dBest = x[p - k];
                    nBest = p - k;
                }
            }
        }
        nLastBar = p;
        nLastExtreme = nBest;
        vecBars.push_back(nBest);
    }
    return vecBars;
}

// Long windows on long series whose values often tie exactly or lie within epsilon
// of each other, with holes and periods that change in stretches: the sliding
// candidates must give exactly what the rule gives, in one pass and when every bar
// is computed twice.
TEST(WindowFunctions, LongWindowsFollowTheRuleExactly) {
    constexpr int nBars = 1500;
    std::mt19937 random(23);
    std::uniform_int_distribution<int> nudge(-3, 3);
    Series x = RandomSeries(random, nBars, 8, 0, 40);
    for (double& dValue : x) {
        if (!IsInvalid(dValue) && nudge(random) == 0) dValue += nudge(random) * 0.6e-7;
    }
    std::vector<Series> vecPeriods = {Series(nBars, 2), Series(nBars, 50), Series(nBars, 700)};
    Series vecChanging;
    std::uniform_int_distribution<int> period(0, 400);
    while (static_cast<int>(vecChanging.size()) < nBars) {
        const double dPeriod = period(random) < 10 ? NA : period(random);
        vecChanging.insert(vecChanging.end(), 90, dPeriod);
    }
    vecChanging.resize(nBars);
    vecPeriods.push_back(vecChanging);
    for (const uint32_t nId : {HHV, HHVBARS, LLV, LLVBARS}) {
        const bool bHigh = nId == HHV || nId == HHVBARS;
        const bool bBars = nId == HHVBARS || nId == LLVBARS;
        for (size_t nCase = 0; nCase < vecPeriods.size(); ++nCase) {
            const Series& n = vecPeriods[nCase];
            const std::vector<int> vecExpected = ExtremeBarsByRule(x, n, bHigh);
            for (const int nTimes : {1, 2}) {
                SCOPED_TRACE(::testing::Message()
                             << "id " << nId << " periods " << nCase << " times " << nTimes);
                CFormulaBench bench(nBars);
                const Operand call = SeriesCall(bench, nId, true, {x, n});
                for (int p = 0; p < nBars; ++p) {
                    const int nBest = vecExpected[static_cast<size_t>(p)];
                    const double dExpected = nBest < 0 ? NA
                                             : bBars   ? p - nBest
                                                       : x[static_cast<size_t>(nBest)];
                    for (int i = 0; i < nTimes; ++i) {
                        double dValue = 0.0;
                        ASSERT_EQ(bench.Evaluate(call, p, dValue), EVAL_OK);
                        ASSERT_TRUE(SameValue(dExpected, dValue)) << "bar " << p;
                    }
                }
            }
        }
    }
}

}  // namespace
