// Columns, marks, sticks and candles, and the price-movement rules that colour them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "drawinfo/DrawStageFixtures.h"
#include "drawinfo/DrawStageProducers.h"
#include "drawinfo/NamedConstants.h"
#include "drawinfo/PriceMovement.h"

using QXDrawInfo::GraphDrawInfo;
using Lines = std::vector<std::string>;

namespace {

// The producers tell styles apart by these codes; they must be the table's.
TEST(DrawStyleCodes, MatchTheNamedConstants) {
    // clang-format off
    const struct { const char* pszName; uint32_t nCode; } arrCases[] = {
        {"PLOYDOTLINE",   PlotStyle::DotLine},        {"PLOYNOMAL",     PlotStyle::Nomal},
        {"CLTVOLSTICK",   ColumnStyle::VolStick},     {"CLTSTICK",      ColumnStyle::Stick},
        {"CLTLINESTICK",  ColumnStyle::LineStick},    {"CLTCOLORSTICK", ColumnStyle::ColorStick},
        {"CLTRTVOLSTICK", ColumnStyle::RTVolStick},   {"CITPOINT",      CircularStyle::Point},
        {"CITCIRCLE",     CircularStyle::Circle},     {"CITCROSS",      CircularStyle::Cross},
        {"CITDOTLINE",    CircularStyle::DotLine},    {"CITSAR",        CircularStyle::Sar},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        uint32_t nCode = 0;
        EXPECT_TRUE(FindNamedConstant(row.pszName, &nCode)) << row.pszName;
        EXPECT_EQ(nCode, row.nCode) << row.pszName;
    }
}

// Columns of thickness 5 are 0.6 bars wide. The records always come in one order:
// four curves (rising, falling, own stick, own line), then four rectangles (own,
// rising, falling, unchanged).
TEST(ColumnProducer, Styles) {
    const std::vector<double> vecValues = {2, -1, 0, NA, 3, 1};
    BarPrices volume;  // bar 4 opens at its close above bar 2's, bar 5 below bar 4's
    volume.vecClose = {10, 9, 8, 9, 9, 8.5};
    volume.vecOpen = {9, 10, 8, 9, 9, 8.5};
    BarPrices realTime;  // bar 0 has no previous close; bar 5 is unchanged
    realTime.vecClose = {10, 9, 8, 9, 9.5, 9};
    realTime.vecPreClose = {NA, 10, 9, 9, 9, 9};
    const std::string strOwn = "curve #FF0000FF w5 s1";
    // clang-format off
    const struct { const char* pszCase; bool bStyle; uint32_t nStyle; const BarPrices* pPrices; Lines vecLines; } arrCases[] = {
        {"stick", false, 0, nullptr,
         {"curve c7 w5 s1", "curve c8 w5 s1", strOwn, strOwn,
          "rect fill #FF0000FF t0 | -0.3:2 0.3:0 | 0.7:0 1.3:-1 | 3.7:3 4.3:0 | 4.7:1 5.3:0",
          "rect fill c7 t1", "rect fill c8 t1", "rect fill c9 t1"}},
        {"no column style", true, PlotStyle::Nomal, nullptr,
         {"curve c7 w5 s1", "curve c8 w5 s1", strOwn, strOwn,
          "rect fill #FF0000FF t0 | -0.3:2 0.3:0 | 0.7:0 1.3:-1 | 3.7:3 4.3:0 | 4.7:1 5.3:0",
          "rect fill c7 t1", "rect fill c8 t1", "rect fill c9 t1"}},
        {"volume", true, ColumnStyle::VolStick, &volume,
         {"curve c7 w5 s1", "curve c8 w5 s1", strOwn, strOwn, "rect fill #FF0000FF t0",
          "rect fill c7 t1 | -0.3:2 0.3:0 | 3.7:3 4.3:0",
          "rect fill c8 t1 | 0.7:0 1.3:-1 | 4.7:1 5.3:0", "rect fill c9 t1"}},
        {"real-time volume", true, ColumnStyle::RTVolStick, &realTime,
         {"curve c7 w5 s1", "curve c8 w5 s1", strOwn, strOwn, "rect fill #FF0000FF t0",
          "rect fill c7 t1 | 3.7:3 4.3:0", "rect fill c8 t1 | 0.7:0 1.3:-1",
          "rect fill c9 t1 | -0.3:2 0.3:0 | 4.7:1 5.3:0"}},
        {"colour stick", true, ColumnStyle::ColorStick, nullptr,
         {"curve c7 w5 s1 | 0:2 0:0 | 4:3 4:0 | 5:1 5:0", "curve c8 w5 s1 | 1:0 1:-1", strOwn, strOwn,
          "rect fill #FF0000FF t0", "rect fill c7 t1", "rect fill c8 t1", "rect fill c9 t1"}},
        {"line stick", true, ColumnStyle::LineStick, nullptr,
         {"curve c7 w5 s1", "curve c8 w5 s1",
          strOwn + " | 0:2 0:0 | 1:0 1:-1 | 4:3 4:0 | 5:1 5:0",
          strOwn + " | 0:2 1:-1 2:0 | 4:3 5:1",
          "rect fill #FF0000FF t0", "rect fill c7 t1", "rect fill c8 t1", "rect fill c9 t1"}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(6);
        context.m_parser.m_mapWidths[0] = 5;
        context.SetSeries(3, vecValues);
        if (row.bStyle) context.m_mapConstants[1] = row.nStyle;
        if (row.pPrices != nullptr) context.SetPrices(*row.pPrices);
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceColumns, context, 0, 5)), row.vecLines);
    }
}

// Thickness 2: dots of radius 0.17, circles and crosses of 0.21.
TEST(CircleProducer, Styles) {
    BarPrices prices;
    prices.vecHigh = {6, 9, 8, 6};
    prices.vecLow = {4, 7, 6, 4};
    const std::string strCircle = "ellipse #FF0000FF w1 s1";
    const std::string strDot = "ellipse fill #FF0000FF";
    const std::string strCross = "cross #FF0000FF w1 s1";
    const std::string strLine = "curve #FF0000FF w2 s2";
    // clang-format off
    const struct { const char* pszCase; bool bStyle; uint32_t nStyle; Lines vecLines; } arrCases[] = {
        {"circle", false, 0,
         {strLine, strCircle + " | -0.21:3 0.21:3 | 1.79:9 2.21:9 | 2.79:5 3.21:5", strDot,
          "ellipse c7 w1 s1", "ellipse c8 w1 s1", "ellipse c9 w1 s1", strCross}},
        {"point", true, CircularStyle::Point,
         {strLine, strCircle, strDot + " | -0.17:3 0.17:3 | 1.83:9 2.17:9 | 2.83:5 3.17:5",
          "ellipse c7 w1 s1", "ellipse c8 w1 s1", "ellipse c9 w1 s1", strCross}},
        {"cross", true, CircularStyle::Cross,
         {strLine, strCircle, strDot, "ellipse c7 w1 s1", "ellipse c8 w1 s1", "ellipse c9 w1 s1",
          strCross + " | 0:3*0.21 | 2:9*0.21 | 3:5*0.21"}},
        {"dotted line", true, CircularStyle::DotLine,
         {strLine + " | 0:3 | 2:9 3:5", strCircle, strDot, "ellipse c7 w1 s1", "ellipse c8 w1 s1",
          "ellipse c9 w1 s1", strCross}},
        // Below the low, above the high, inside the bar.
        {"stop and reverse", true, CircularStyle::Sar,
         {strLine, strCircle, strDot, "ellipse c7 w1 s1 | -0.21:3 0.21:3",
          "ellipse c8 w1 s1 | 1.79:9 2.21:9", "ellipse c9 w1 s1 | 2.79:5 3.21:5", strCross}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(4);
        context.m_parser.m_mapWidths[0] = 2;
        context.SetSeries(2, {3, NA, 9, 5});
        context.SetPrices(prices);
        if (row.bStyle) context.m_mapConstants[1] = row.nStyle;
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceCircleMarks, context, 0, 3)), row.vecLines);
    }
}

TEST(StickProducer, RecordByEmptyAndWidth) {
    CFakeDrawContext context(7);
    context.SetSeries(1, {1, 1, 1, 0, 1, 1, NA});
    context.SetSeries(2, {10, 20, 30, 40, NA, 50, 60});
    context.SetSeries(3, {12, 18, 30, 41, 5, 51, 61});
    context.SetSeries(4, {0.5, 0, -1, 1, 1, 2, 1});
    context.SetSeries(5, {0, -1, 1, 0, 0, -0.5, 0});
    const Lines vecExpected = {
        "rect fill #FF0000FF t0 | -0.25:12 0.25:10 | 4:51 6:50",  // -0.5 truncates to 0
        "rect #FF0000FF w1 s2 t0 | 0.5:20 1.5:18",                // -1 and width 0
        "rect #FF0000FF w1 s1 t0 | 1.5:30 2.5:30",                // 1 and width -1
    };
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceSticks, context, 0, 6)), vecExpected);
}

TEST(CandleProducer, RisingFallingAndEven) {
    CFakeDrawContext context(5);
    context.SetSeries(1, {12, 12, 11, 15, 11});
    context.SetSeries(2, {10, 11, 10, NA, 10});
    context.SetSeries(3, {9, 8, 9, 5, 9});
    context.SetSeries(4, {11, 9, 10, 6, 10});
    // Without prices a bar that closes where it opened rises. The output's colour is
    // not used.
    const Lines vecWithout = {
        "curve c8 w1 s1 | 1:12 1:11 | 1:9 1:8",
        "curve c7 w1 s1 | 0:12 0:11 | 0:10 0:9 | 2:11 2:10 | 2:10 2:9 | 4:11 4:10 | 4:10 4:9",
        "rect fill c8 t1 | 0.65:11 1.35:9",
        "rect c7 w1 s1 t1 | -0.35:11 0.35:10 | 1.65:10 2.35:10 | 3.65:10 4.35:10",
    };
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceCandles, context, 0, 4)), vecWithout);

    // With prices bar 2 closes above bar 1 (rising), bar 4 below bar 3 (falling).
    BarPrices prices;
    prices.vecClose = {11, 9, 10, 11, 10};
    prices.vecOpen = {10, 11, 10, 12, 10};
    context.SetPrices(prices);
    const Lines vecWith = {
        "curve c8 w1 s1 | 1:12 1:11 | 1:9 1:8 | 4:11 4:10 | 4:10 4:9",
        "curve c7 w1 s1 | 0:12 0:11 | 0:10 0:9 | 2:11 2:10 | 2:10 2:9",
        "rect fill c8 t1 | 0.65:11 1.35:9 | 3.65:10 4.35:10",
        "rect c7 w1 s1 t1 | -0.35:11 0.35:10 | 1.65:10 2.35:10",
    };
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceCandles, context, 0, 4)), vecWith);
}

// Bars whose open equals their close, asked in order from the range's first bar;
// R rising, F falling.
TEST(CandleDirection, EvenBars) {
    BarPrices prices;
    prices.vecClose = {10, 12, 12, 11, 11, 11, 13};
    prices.vecOpen = {9, 13, 12, 12, 11, 11, 13};
    CFakeDrawContext context(7);
    context.SetPrices(prices);
    // clang-format off
    const struct { int nFirst; const char* pszExpected; } arrCases[] = {
        // bar 2 repeats the even bars before it in the pass (none: rising), bar 6
        // closes above bar 5.
        {1, "FRFRRR"},
        // bar 2's previous bar lies before the range: the latest bar that moved
        // (bar 1, falling) decides, and bars 4 and 5 repeat that.
        {2, "FFFFR"},
        {0, "RFRFRRR"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        CCandleDirection direction(context.GetPriceCache(), row.nFirst);
        std::string strActual;
        for (int nBar = row.nFirst; nBar < 7; ++nBar) {
            const double dOpen = prices.vecOpen[static_cast<size_t>(nBar)];
            const double dClose = prices.vecClose[static_cast<size_t>(nBar)];
            strActual += direction.IsRising(nBar, dOpen, dClose) ? 'R' : 'F';
        }
        EXPECT_EQ(strActual, row.pszExpected) << "first " << row.nFirst;
    }
}

// The remembered answer must never change what a fresh look back would say.
TEST(CloseTrend, MatchesALookBackOverEveryBar) {
    std::srand(7);
    for (int nRound = 0; nRound < 20; ++nRound) {
        BarPrices prices;
        for (int i = 0; i < 200; ++i) {
            const int nDraw = std::rand() % 10;
            // Long flat stretches, some missing closes.
            const double dPrevious = prices.vecClose.empty() ? 50 : prices.vecClose.back();
            double dClose = nDraw < 6 ? dPrevious : 40 + std::rand() % 20;
            if (nDraw == 9) dClose = NA;
            if (IsInvalid(dPrevious) && nDraw < 6) dClose = 45;
            prices.vecClose.push_back(dClose);
        }
        CFakeDrawContext context(200);
        context.SetPrices(prices);
        CCloseTrend trend(context.GetPriceCache());
        for (int nBar = nRound % 3; nBar < 200; nBar += 1 + nRound % 3) {
            bool bExpected = true;
            const double dClose = prices.vecClose[static_cast<size_t>(nBar)];
            for (int j = nBar - 1; j >= 0 && !IsInvalid(dClose); --j) {
                const double dEarlier = prices.vecClose[static_cast<size_t>(j)];
                if (IsInvalid(dEarlier)) break;
                if (dEarlier != dClose) {
                    bExpected = dClose > dEarlier;
                    break;
                }
            }
            ASSERT_EQ(trend.IsRising(nBar), bExpected) << "round " << nRound << " bar " << nBar;
        }
    }
}

}  // namespace
