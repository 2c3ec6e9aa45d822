#include <gtest/gtest.h>

#include <vector>

#include "functions/BarOrderHarness.h"

using namespace barorder;

namespace {

constexpr uint32_t ZTPRICE = 158, DTPRICE = 159, DRAWNULL = 160, BARSTATUS = 161,
                   CURRBARSCOUNT = 162, TOTALBARSCOUNT = 163, ISLASTBAR = 164, TR = 165;

// Five bars computed; the data source may report more bars than that in all.
TEST(BarStatusFunctions, PositionInTheData) {
    // clang-format off
    const struct { uint32_t nId; int nAvailable; int nBar; double dExpected; } arrCases[] = {
        {BARSTATUS,      5, 0, 1}, {BARSTATUS,      5, 2, 0}, {BARSTATUS,      5, 4, 2},
        {BARSTATUS,      8, 4, 0}, {BARSTATUS,      1, 0, 1},
        {CURRBARSCOUNT,  5, 0, 5}, {CURRBARSCOUNT,  5, 4, 1}, {CURRBARSCOUNT,  8, 4, 4},
        {TOTALBARSCOUNT, 5, 2, 5}, {TOTALBARSCOUNT, 8, 2, 8},
        {ISLASTBAR,      5, 4, 1}, {ISLASTBAR,      5, 3, 0}, {ISLASTBAR,      8, 4, 0},
        {DRAWNULL,       5, 4, NA},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "id " << row.nId << " bar " << row.nBar << " of " << row.nAvailable);
        CFormulaBench bench(5);
        bench.m_context.nAvailable = row.nAvailable;
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(SeriesCall(bench, row.nId, false, {}), row.nBar, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
    }
}

TEST(BarStatusFunctions, TrueRangeFromBarFields) {
    CFormulaBench bench(5);
    bench.m_source.m_mapFields[1] = {10, 12, 11, NA, 15};  // HIGH
    bench.m_source.m_mapFields[3] = {8, 11, 9, 9, 14};     // LOW
    bench.m_source.m_mapFields[4] = {9, NA, 10, 9, 14};    // CLOSE
    const Series values = bench.EvaluateBars(SeriesCall(bench, TR, false, {}));
    // Bar 0 and bar 2 have no previous close; bar 3 no HIGH; bar 4 gaps up from 9.
    const Series expected = {2, 3, 2, NA, 6};
    for (size_t i = 0; i < values.size(); ++i) EXPECT_TRUE(SameValue(expected[i], values[i])) << i;
}

TEST(BarStatusFunctions, LimitPrices) {
    // clang-format off
    const struct { uint32_t nId; double dX, dRate, dExpected; } arrCases[] = {
        {ZTPRICE, 10, 0.1, 11}, {DTPRICE, 10, 0.1, 9}, {ZTPRICE, 3.33, 0.1, 3.33 * 1.1},
        {ZTPRICE, NA, 0.1, NA}, {DTPRICE, 10, NA,  NA},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        CFormulaBench bench(1);
        double dValue = 0.0;
        ASSERT_EQ(
            bench.Evaluate(SeriesCall(bench, row.nId, false, {{row.dX}, {row.dRate}}), 0, dValue),
            EVAL_OK);
        EXPECT_TRUE(Close(row.dExpected, dValue)) << row.nId;
    }
}

}  // namespace
