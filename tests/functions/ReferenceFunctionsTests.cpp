#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t BACKSET = 110, ALIGNRIGHT = 111, REF = 126, REFV = 127, REFX = 128, REFXV = 129,
                   REFDATE = 130, CONST = 151;

TEST(ReferenceFunctions, WorkedExamples) {
    const Series x = {10, 11, NA, 13, 14, 15, 16, 17, 18, 19};
    // clang-format off
    const struct { uint32_t nId; double dN; int nBar; double dExpected; } arrCases[] = {
        {REF,   1,    0, 10},  // before the first bar: the first bar
        {REF,   1000, 9, 10},
        {REF,   1,    3, 13},  // bar 2 has no value: one bar later
        {REF,   0,    2, NA},  // no second try ahead
        {REFV,  1,    0, NA},
        {REFV,  1,    3, NA},
        {REFV,  3,    9, 16},
        {REFX,  1,    9, NA},
        {REFX,  3,    1, 14},
        {REFXV, 100,  3, 19},  // clamped to the last bar
        {REFXV, 1,    1, 11},  // bar 2 has no value: X at p
        {REFXV, 0,    2, NA},
        {REF,   -1,   5, NA},  // negative counts
        {REFX,  -1,   5, NA},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " n " << row.dN);
        CFormulaBench bench(10);
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(SeriesCall(bench, row.nId, false, {x, Series(10, row.dN)}),
                                 row.nBar, dValue),
                  EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
    }
}

TEST(ReferenceFunctions, RefDateAsksTheHostForValidDatesOnly) {
    const Series x = {10, 11, 12, 13, 14};
    // clang-format off
    const struct { double dDate; double dExpected; int nHostCalls; } arrCases[] = {
        {1240115, 12, 1},  // 15 January 2024: bar 2
        {1240229, 13, 1},  // a leap day between bars 3 and 4: bar 3
        {1000229, NA, 1},  // 2000 is a leap year, but before the first bar
        {1240116, NA, 1},  // a date the host does not know
        {1240230, NA, 0},  // 30 February
        {1230229, NA, 0},  // 2023 is no leap year
        {891231,  NA, 0},  // 1989
        {1350101, NA, 0},  // 2035
        {1241301, NA, 0},
        {1240100, NA, 0},
        {0,       NA, 0},
        {-1240115, NA, 0},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.dDate);
        CFormulaBench bench(5);
        bench.m_source.m_vecTimes = {1000, 2000, 3000, 4000, 5000};
        bench.m_source.m_mapDateTimes = {{20240115, 3000}, {20240229, 4500}, {20000229, 10}};
        const Operand call = SeriesCall(bench, REFDATE, false, {x, Series(5, row.dDate)});
        for (const int nBar : {0, 4}) {  // the date names the bar, wherever it is asked
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(call, nBar, dValue), EVAL_OK);
            EXPECT_TRUE(SameValue(row.dExpected, dValue));
        }
        EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_DATE_TIME), 2 * row.nHostCalls);
    }
}

TEST(ReferenceFunctions, ConstEvaluatesFromTheFirstBarOfTheCalculationOnce) {
    for (const double dLast : {6.0, NA}) {
        CFormulaBench bench(6);
        bench.m_context.nCalcFirst = 2;
        const Series values =
            bench.EvaluateBars(SeriesCall(bench, CONST, true, {{1, 2, 3, 4, 5, dLast}}));
        for (const double dValue : values) EXPECT_TRUE(SameValue(dLast, dValue));
        EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD), 4);
    }
}

TEST(ReferenceFunctions, BackSetInEveryOrder) {
    // clang-format off
    const struct { Series x; Series n; int nCalcFirst; Series expected; } arrCases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, Series(12, 3), 0,
         {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0}},
        {{0, 0, 0, 0, 0, 1, 1, 0}, {3, 3, 3, 3, 3, 3, 1, 3}, 0, {0, 0, 0, 1, 1, 1, 1, 0}},
        {{0, 0, 1, 0, 0, 0, 1, 0}, {9, 9, 0, 9, 9, 9, NA, 9}, 0, {0, 0, 1, 0, 0, 0, 0, 0}},
        // Signals before the calculation start are not looked at; spans from later
        // signals reach back past it; bars before it without a span have no value.
        {{0, 0, 1, 0, 0, 1, 0, 0}, Series(8, 4), 4, {NA, NA, 1, 1, 1, 1, 0, 0}},
        {{0, 1, 0, 0}, Series(4, 5), 0, {1, 1, 0, 0}},
    };
    // clang-format on
    std::mt19937 random(42);
    for (const auto& row : arrCases) {
        const int nBars = static_cast<int>(row.x.size());
        ExpectEveryOrder(
            nBars, random,
            [&](CFormulaBench& bench) {
                bench.m_context.nCalcFirst = row.nCalcFirst;
                return SeriesCall(bench, BACKSET, true, {row.x, row.n});
            },
            [&](int p) { return row.expected[static_cast<size_t>(p)]; });
    }
}

// The picture is drawn once; the calculator's invalidation of a range makes it stale.
TEST(ReferenceFunctions, BackSetRedrawsOnlyAfterInvalidation) {
    CFormulaBench bench(4);
    const Operand call = SeriesCall(bench, BACKSET, true, {{0, 0, 0, 1}, Series(4, 2)});
    double dValue = 0.0;
    bench.Evaluate(call, 2, dValue);
    EXPECT_EQ(dValue, 1);
    bench.m_source.m_mapFields[CFormulaBench::FIRST_SERIES_FIELD] = {1, 0, 0, 0};
    bench.Evaluate(call, 2, dValue);
    EXPECT_EQ(dValue, 1);
    bench.m_store.Invalidate(3, 3);
    bench.Evaluate(call, 2, dValue);
    EXPECT_EQ(dValue, 0);
    bench.Evaluate(call, 0, dValue);
    EXPECT_EQ(dValue, 1);
}

TEST(ReferenceFunctions, AlignRightPacksValidValuesAgainstTheLastBar) {
    ExpectShape(ALIGNRIGHT, true, 1);
    const Series x = {1, NA, 2, NA, NA, 3, NA};
    const Series expected = {NA, NA, NA, NA, 1, 2, 3};
    std::mt19937 random(43);
    ExpectEveryOrder(
        7, random, [&](CFormulaBench& bench) { return SeriesCall(bench, ALIGNRIGHT, true, {x}); },
        [&](int p) { return expected[static_cast<size_t>(p)]; });
}

}  // namespace
