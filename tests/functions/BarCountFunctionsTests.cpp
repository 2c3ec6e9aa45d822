#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t BARSCOUNT = 112, BARSLAST = 113, BARSNEXT = 114, BARSSINCEN = 115,
                   BARSSINCE = 116, BARSLASTCOUNT = 118, FILTER = 134, FILTERX = 135, TFILTER = 137,
                   TTFILTER = 138;

// Mostly false, with holes and fractions: 0.5 is true but, counted, no FILTER signal.
Series RandomConditions(std::mt19937& random, int nBars) {
    const double arrChoices[] = {0, 0, 0, 0, 1, 2, 0.5, NA};
    std::uniform_int_distribution<int> pick(0, 7);
    Series vecValues;
    for (int i = 0; i < nBars; ++i) vecValues.push_back(arrChoices[pick(random)]);
    return vecValues;
}

// The counters straight from their definitions.
double OracleCount(uint32_t nId, const Series& x, const Series& n, int p) {
    const int nBars = static_cast<int>(x.size());
    switch (nId) {
        case BARSLAST:
            for (int i = p; i >= 0; --i) {
                if (IsTrue(x[i])) return p - i;
            }
            return NA;
        case BARSCOUNT:
        case BARSSINCE:
        case BARSSINCEN: {
            int nFirst = 0;
            if (nId == BARSSINCEN) {
                if (IsInvalid(n[p]) || ToCount(n[p]) < 1) return NA;
                nFirst = std::max(p - ToCount(n[p]) + 1, 0);
            }
            for (int i = nFirst; i <= p; ++i) {
                if (nId == BARSCOUNT ? !IsInvalid(x[i]) : IsTrue(x[i])) return p - i;
            }
            return NA;
        }
        case BARSLASTCOUNT: {
            int nRun = 0;
            while (nRun <= p && IsTrue(x[p - nRun])) ++nRun;
            return nRun;
        }
        case BARSNEXT:
            for (int i = p; i < nBars; ++i) {
                if (IsTrue(x[i])) return i - p;
            }
            return NA;
    }
    return NA;
}

// FILTER run from bar 0: a signal is accepted unless the last accepted one lies at
// most n bars back (n of the bar asked); a signal that no longer blocks is forgotten,
// and a bar without a usable N blocks nothing after it.
Series OracleFilter(const Series& x, const Series& n) {
    Series vecResult;
    int nSignalBar = -1;
    for (int p = 0; p < static_cast<int>(x.size()); ++p) {
        const int nCount = IsInvalid(n[p]) ? -1 : ToCount(n[p]);
        if (nCount <= 0) {
            vecResult.push_back(nCount == 0 ? x[p] : NA);
            nSignalBar = -1;
        } else if (nSignalBar >= 0 && p - nSignalBar <= nCount) {
            vecResult.push_back(0);
        } else {
            const bool bSignal = !IsInvalid(x[p]) && ToCount(x[p]) != 0;
            vecResult.push_back(bSignal ? 1 : 0);
            nSignalBar = bSignal ? p : -1;
        }
    }
    return vecResult;
}

TEST(BarCountFunctions, MatchDirectLoopsInEveryOrder) {
    constexpr int nBars = 70;
    std::mt19937 random(31);
    for (const uint32_t nId :
         {BARSLAST, BARSCOUNT, BARSSINCE, BARSSINCEN, BARSLASTCOUNT, BARSNEXT}) {
        for (const int nPeriod : {1, 3, 9, 0}) {  // 0: changing from bar to bar
            SCOPED_TRACE(::testing::Message() << "id " << nId << " period " << nPeriod);
            Series x = RandomConditions(random, nBars);
            std::fill(x.begin(), x.begin() + nPeriod * 3, NA);  // late starts
            const Series n =
                nPeriod > 0 ? Series(nBars, nPeriod) : RandomSeries(random, nBars, 5, 0, 12);
            ExpectEveryOrder(
                nBars, random,
                [&](CFormulaBench& bench) {
                    return SeriesCall(
                        bench, nId, true,
                        nId == BARSSINCEN ? std::vector<Series>{x, n} : std::vector<Series>{x});
                },
                [&](int p) { return OracleCount(nId, x, n, p); });
        }
    }
}

TEST(BarCountFunctions, FilterMatchesSequentialRunInEveryOrder) {
    constexpr int nBars = 70;
    std::mt19937 random(32);
    for (const int nPeriod : {1, 2, 4, 7, -1}) {  // -1: changing from bar to bar
        SCOPED_TRACE(nPeriod);
        const Series x = RandomConditions(random, nBars);
        const Series n =
            nPeriod >= 0 ? Series(nBars, nPeriod) : RandomSeries(random, nBars, 5, -1, 6);
        const Series expected = OracleFilter(x, n);
        ExpectEveryOrder(
            nBars, random,
            [&](CFormulaBench& bench) {
                return SeriesCall(bench, FILTER, true, {x, n});
            },
            [&](int p) { return expected[static_cast<size_t>(p)]; });
    }
}

TEST(BarCountFunctions, WorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; Series x; double dN; Series expected; } arrCases[] = {
        {FILTER,        {1, 1, 1, 1, 1, 1, 1, 1, 1}, 3, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
        {FILTER,        {0, 1, NA, 0.5, 3, 1, 0},    1, {0, 1, 0, 0, 1, 0, 0}},
        {FILTER,        {0, 2, NA, 1},               0, {0, 2, NA, 1}},
        {BARSLAST,      {0, 1, 0, 0, 1, 0},          0, {NA, 0, 1, 2, 0, 1}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId);
        CFormulaBench bench(static_cast<int>(row.x.size()));
        std::vector<Series> vecArgs = {row.x};
        if (row.nId == FILTER || row.nId == BARSSINCEN)
            vecArgs.push_back(Series(row.x.size(), row.dN));
        const Series values = bench.EvaluateBars(SeriesCall(bench, row.nId, true, vecArgs));
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_TRUE(SameValue(row.expected[i], values[i])) << i;
    }
}

// BARSNEXT answers every bar up to the true bar it found, and every bar after the
// last one, from one scan: a pass reads each bar once.
TEST(BarCountFunctions, BarsNextScansOncePerTrueBar) {
    constexpr int nBars = 100;
    Series x(nBars, 0.0);
    x[60] = 1;
    CFormulaBench bench(nBars);
    bench.EvaluateBars(SeriesCall(bench, BARSNEXT, true, {x}));
    EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD), nBars);
}

// FILTERX, TFILTER and TTFILTER give no value, but only when called with their own
// argument counts.
TEST(BarCountFunctions, FiltersWithoutValue) {
    ExpectShape(FILTERX, true, 2);
    ExpectShape(TFILTER, true, 3);
    ExpectShape(TTFILTER, true, 5);
    CFormulaBench bench(3);
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(SeriesCall(bench, FILTERX, true, {{1, 1, 1}, {2, 2, 2}}), 2, dValue),
              EVAL_OK);
    EXPECT_TRUE(SameValue(NA, dValue));
}

}  // namespace
