#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

bool AllUncomputed(const double* pValues, int nFrom, int nTo) {
    for (int i = nFrom; i <= nTo; ++i) {
        if (IsComputed(pValues[i])) return false;
    }
    return true;
}

TEST(SeriesStore, CreatesOnceAndRefusesBadKeys) {
    CSeriesStore store(5);
    double* pWhole = store.GetSeries(SERIES_KIND_VARIABLE, 3, 0);
    ASSERT_NE(pWhole, nullptr);
    // Under the address sanitizer, reading the last spare element proves the length.
    EXPECT_TRUE(AllUncomputed(pWhole, 0, 6));
    EXPECT_EQ(store.GetSeries(SERIES_KIND_VARIABLE, 3, -1), pWhole);
    EXPECT_EQ(store.FindSeries(SERIES_KIND_OUTPUT, 3), nullptr);
    EXPECT_EQ(store.GetSeries(SERIES_KIND_COUNT, 0, 0), nullptr);
    EXPECT_EQ(store.GetSeries(-1, 0, 0), nullptr);
    EXPECT_EQ(store.GetSeries(SERIES_KIND_STATE, -1, 4), nullptr);
    EXPECT_EQ(store.GetSeries(SERIES_KIND_STATE, MAX_SERIES_NUMBER + 1, 4), nullptr);

    // A buffer shorter than its new reader expects is never handed out.
    double* pShort = store.GetSeries(SERIES_KIND_STATE, 1, 4);
    ASSERT_NE(pShort, nullptr);
    EXPECT_TRUE(AllUncomputed(pShort, 0, 3));
    EXPECT_EQ(store.GetSeries(SERIES_KIND_STATE, 1, 3), pShort);
    EXPECT_EQ(store.GetSeries(SERIES_KIND_STATE, 1, 6), nullptr);
    EXPECT_EQ(store.GetSeries(SERIES_KIND_STATE, 1, 0), nullptr);

    CSeriesStore empty(0);
    EXPECT_EQ(empty.GetSeries(SERIES_KIND_OUTPUT, 0, 0), nullptr);
    EXPECT_NE(empty.GetSeries(SERIES_KIND_STATE, 0, 4), nullptr);
}

TEST(SeriesStore, InvalidateTouchesWholeSeriesInRangeOnly) {
    // Expected cleared elements nFrom..nTo; none when nFrom > nTo.
    // clang-format off
    const struct { int nFirst; int nLast; int nFrom; int nTo; } arrCases[] = {
        {2,  4,   2, 4},
        {4,  2,   2, 4},
        {-3, 1,   0, 1},
        {5,  100, 5, 11},
        {-5, -1,  1, 0},
        {12, 20,  1, 0},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << row.nFirst << ".." << row.nLast);
        CSeriesStore store(10);
        double* pWhole = store.GetSeries(SERIES_KIND_OUTPUT, 0, 0);
        double* pShort = store.GetSeries(SERIES_KIND_STATE, 0, 12);
        for (int i = 0; i < 12; ++i) pWhole[i] = pShort[i] = i;
        store.Invalidate(row.nFirst, row.nLast);
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(IsComputed(pWhole[i]), i < row.nFrom || i > row.nTo) << i;
            EXPECT_EQ(pShort[i], i);
        }
    }
}

TEST(SeriesStore, DeletedSeriesComesBackUncomputed) {
    CSeriesStore store(3);
    store.GetSeries(SERIES_KIND_OUTPUT, 2, 0)[1] = 7.0;
    store.DeleteSeries(SERIES_KIND_OUTPUT, 2);
    store.DeleteSeries(SERIES_KIND_OUTPUT, 9);  // beyond the kind's vector: ignored
    EXPECT_EQ(store.FindSeries(SERIES_KIND_OUTPUT, 2), nullptr);
    EXPECT_TRUE(AllUncomputed(store.GetSeries(SERIES_KIND_OUTPUT, 2, 0), 0, 4));
}

// Kept node values: one series per node, invalidated like any whole series, and
// forgotten together.
TEST(SeriesStore, NodeSeriesAreKeptPerNodeAndForgottenTogether) {
    CSeriesStore store(6);
    EXPECT_EQ(store.FindNodeSeries(0x1000), nullptr);
    double* pFirst = store.GetNodeSeries(0x1000);
    double* pSecond = store.GetNodeSeries(0x2000);
    ASSERT_NE(pFirst, nullptr);
    ASSERT_NE(pSecond, nullptr);
    EXPECT_NE(pFirst, pSecond);
    EXPECT_EQ(store.GetNodeSeries(0x1000), pFirst);
    EXPECT_EQ(store.FindNodeSeries(0x2000), pSecond);
    EXPECT_TRUE(AllUncomputed(pFirst, 0, 7));

    for (int i = 0; i < 6; ++i) pFirst[i] = i;
    store.Invalidate(2, 3);
    EXPECT_TRUE(AllUncomputed(pFirst, 2, 3));
    EXPECT_EQ(pFirst[1], 1.0);
    EXPECT_EQ(pFirst[4], 4.0);

    store.DeleteNodeSeries();
    EXPECT_EQ(store.FindNodeSeries(0x1000), nullptr);
    EXPECT_EQ(store.FindNodeSeries(0x2000), nullptr);
    double* pAgain = store.GetNodeSeries(0x2000);
    ASSERT_NE(pAgain, nullptr);
    EXPECT_TRUE(AllUncomputed(pAgain, 0, 7));
}

// Running state forgets the entries of invalidated bars and keeps the others; a
// plain short series is left alone.
TEST(SeriesStore, BarEntriesForgetInvalidatedBars) {
    CSeriesStore store(10);
    double* pEntries = store.GetBarEntries(0, 2);
    ASSERT_NE(pEntries, nullptr);
    EXPECT_EQ(store.GetBarEntries(0, 2), pEntries);
    EXPECT_EQ(store.GetBarEntries(1, 0), nullptr);
    EXPECT_EQ(store.GetBarEntries(1, 17), nullptr);
    double* pPlain = store.GetSeries(SERIES_KIND_STATE, 2, 4);
    ASSERT_NE(pPlain, nullptr);
    const double arrState[] = {4, 40, 5, 50};
    std::copy(std::begin(arrState), std::end(arrState), pEntries);
    std::copy(std::begin(arrState), std::end(arrState), pPlain);

    store.Invalidate(5, 9);
    EXPECT_EQ(pEntries[0], 4.0);
    EXPECT_EQ(pEntries[1], 40.0);
    EXPECT_FALSE(IsComputed(pEntries[2]));
    EXPECT_TRUE(std::equal(std::begin(arrState), std::end(arrState), pPlain));
    store.Invalidate(0, 4);
    EXPECT_FALSE(IsComputed(pEntries[0]));
}

}  // namespace
