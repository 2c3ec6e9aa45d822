// The producers of lines, areas and marks on small hand-made series, plus what all
// twelve producers share: nothing without their inputs, one picture with them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "drawinfo/DrawStageFixtures.h"
#include "drawinfo/DrawStageProducers.h"
#include "index/calc/FloatBits.h"

using QXDrawInfo::GraphDrawInfo;
using Lines = std::vector<std::string>;

namespace {

constexpr uint32_t PLOY_DOT_LINE = 0x01000006u;

struct NamedProducer {
    const char* pszName;
    DrawStageProducer pfnProduce;
};

// clang-format off
const NamedProducer s_arrProducers[] = {
    {"curve",   ProduceCurve},   {"circles", ProduceCircleMarks}, {"columns", ProduceColumns},
    {"candles", ProduceCandles}, {"polyline", ProducePolyline},   {"band",    ProduceBand},
    {"sticks",  ProduceSticks},  {"icons",   ProduceIcons},       {"texts",   ProduceTexts},
    {"numbers", ProduceNumbers}, {"lines",   ProduceLines},       {"fill",    ProduceFillRegion},
};
// clang-format on

TEST(DrawStageFrame, EveryProducerNeedsItsInputs) {
    // clang-format off
    const struct { const char* pszCase; void (*pfnBreak)(CFakeDrawContext&); int nFirst; int nLast; } arrCases[] = {
        {"no parser",      [](CFakeDrawContext& c) { c.m_bHasParser = false; }, 0, 3},
        {"no source",      [](CFakeDrawContext& c) { c.m_bHasSource = false; }, 0, 3},
        {"no formula",     [](CFakeDrawContext& c) { c.m_bHasInfo = false; },   0, 3},
        {"no store",       [](CFakeDrawContext& c) { c.m_bHasStore = false; },  0, 3},
        {"negative range", [](CFakeDrawContext&) {},                             -1, 3},
        {"empty range",    [](CFakeDrawContext&) {},                             3, 2},
        {"beyond series",  [](CFakeDrawContext&) {},                             4, 9},
        {"no series",      [](CFakeDrawContext& c) { c.m_mapSeries.clear(); },  0, 3},
    };
    // clang-format on
    for (const NamedProducer& producer : s_arrProducers) {
        for (const auto& row : arrCases) {
            SCOPED_TRACE(std::string(producer.pszName) + ": " + row.pszCase);
            CFakeDrawContext context(4);
            for (int k = 1; k <= 5; ++k) context.SetSeries(k, {});
            row.pfnBreak(context);
            EXPECT_TRUE(RunProducer(producer.pfnProduce, context, row.nFirst, row.nLast).empty());
        }
        // With everything there, one picture, even though no bar has a value; a
        // range reaching past the series is cut to it.
        SCOPED_TRACE(producer.pszName);
        CFakeDrawContext context(4);
        for (int k = 1; k <= 5; ++k) context.SetSeries(k, {});
        EXPECT_EQ(RunProducer(producer.pfnProduce, context, 2, 99).size(), 1u);
    }
    // A producer appends: earlier pictures stay.
    CFakeDrawContext context(4);
    context.SetSeries(1, {});
    std::vector<GraphDrawInfo> vecOut(2);
    ProduceCurve(context, 0, 0, 3, 0, context.CallNode(), &vecOut);
    EXPECT_EQ(vecOut.size(), 3u);
}

TEST(DrawStageFrame, ColourAndWidthOfTheStatementsOutput) {
    // clang-format off
    const struct { bool bHasWidth; int nWidth; const char* pszCurve; } arrCases[] = {
        {true,  3,  "curve #FF0000FF w3 s1 | 0:1"},
        {true,  12, "curve #FF0000FF w9 s1 | 0:1"},
        {true,  0,  "curve #FF0000FF w1 s1 | 0:1"},
        {false, 0,  "curve #FF0000FF w1 s1 | 0:1"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCurve);
        CFakeDrawContext context(1);
        context.SetSeries(1, {1});
        context.m_parser.m_mapWidths.clear();
        if (row.bHasWidth) context.m_parser.m_mapWidths[4] = row.nWidth;
        std::vector<GraphDrawInfo> vecOut;
        ProduceCurve(context, 4, 0, 0, 0, context.CallNode(), &vecOut);
        EXPECT_EQ(OnlyPicture(vecOut), Lines{row.pszCurve});
        EXPECT_EQ(context.m_vecColourAsked, std::vector<int>{4});
    }
}

TEST(CurveProducer, SegmentsAndThinning) {
    // clang-format off
    const struct { std::vector<double> vecValues; int nFirst; int nLast; int nStep; const char* pszCurve; } arrCases[] = {
        {{1, 2, NA, 4, UNC, 6, 7},  0, 6, 0,  "curve #FF0000FF w1 s1 | 0:1 1:2 | 3:4 | 5:6 6:7"},
        {{1, 2, 3, NA, 5, 6, 7},    0, 6, 1,  "curve #FF0000FF w1 s1 | 0:1 2:3 4:5 6:7"},  // bar 3 is thinned out
        {{1, 2, 3, NA, 5, 6, 7},    0, 6, 2,  "curve #FF0000FF w1 s1 | 0:1 | 6:7"},
        {{1, 2, 3, NA, 5, 6, 7},    1, 6, 2,  "curve #FF0000FF w1 s1 | 6:7"},  // thinning counts from bar 0
        {{1, 2, 3, NA, 5, 6, 7},    2, 5, -3, "curve #FF0000FF w1 s1 | 2:3 | 4:5 5:6"},
        {{NA, HUGE_VAL, 2},         0, 2, 0,  "curve #FF0000FF w1 s1 | 2:2"},  // an infinity is no value
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCurve);
        CFakeDrawContext context(static_cast<int>(row.vecValues.size()));
        context.SetSeries(1, row.vecValues);
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceCurve, context, row.nFirst, row.nLast, row.nStep)),
                  Lines{row.pszCurve});
    }
}

TEST(PolylineProducer, JoinsBarsAndRunsOnAcrossTheRange) {
    // clang-format off
    const struct { std::vector<double> vecCond; std::vector<double> vecPrice; int nFirst; int nLast; const char* pszCurve; } arrCases[] = {
        // Joined from bar 0 before the range; bars in between get points on the line;
        // a true condition without a price ends the line.
        {{1, 0, 0, 1, 0, 1, 1,  0, 0, 1}, {10, 11, 12, 16, 14, 20, NA, 17, 18, 30}, 2, 7,
         "curve #FF0000FF w1 s1 | 0:10 1:12 2:14 3:16 4:18 5:20"},
        // An open line goes on to the next bar after the range whose condition is 1.
        {{1, 0, 0, 1, 0, 1, 1,  0, 0, 1}, {10, 11, 12, 16, 14, 20, 22, 17, 18, 31}, 2, 7,
         "curve #FF0000FF w1 s1 | 0:10 1:12 2:14 3:16 4:18 5:20 6:22 7:25 8:28 9:31"},
        // Only a condition of exactly 1 joins across the edges; inside, any true one counts.
        {{2, 0, 0, 2, 0, 0, 0,  0, 0, 2}, {10, 11, 12, 16, 14, 20, 22, 17, 18, 31}, 2, 7,
         "curve #FF0000FF w1 s1 | 3:16"},
        {{0, 0, 1, NA, 1, UNC, 1}, {1, 1, 2, 9, NA, 9, 6}, 0, 6,
         "curve #FF0000FF w1 s1 | 2:2 | 6:6"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCurve);
        CFakeDrawContext context(static_cast<int>(row.vecCond.size()));
        context.SetSeries(1, row.vecCond);
        context.SetSeries(2, row.vecPrice);
        EXPECT_EQ(OnlyPicture(RunProducer(ProducePolyline, context, row.nFirst, row.nLast)),
                  Lines{row.pszCurve});
    }
    CFakeDrawContext context(2);
    context.SetSeries(1, {1, 1});
    context.SetSeries(2, {1, 2});
    context.m_mapConstants[5] = PLOY_DOT_LINE;
    EXPECT_EQ(OnlyPicture(RunProducer(ProducePolyline, context, 0, 1)),
              Lines{"curve #FF0000FF w1 s2 | 0:1 1:2"});
}

TEST(LineProducer, StartsEndsAndExpand) {
    const std::vector<double> vecCond1 = {1, 0, 1, 1, 0, 0, 1, 0};
    const std::vector<double> vecPrice1 = {10, NA, 12, 13, NA, NA, 16, NA};
    const std::vector<double> vecCond2 = {0, 1, 0, 1, 1, 1, 0, 1};
    const std::vector<double> vecPrice2 = {NA, 21, NA, 23, 24, 25, NA, 27};
    const char* pszPlain = "curve #FF0000FF w1 s1 | 0:10 1:21 | 3:13 4:24 | 6:16 7:27";
    const char* pszRays = "curve #FF0000FF w1 s1 | 0:10 1:21 > | 3:13 4:24 > | 6:16 7:27 >";
    // clang-format off
    const struct { const char* pszCase; bool bConstant; float fExpand; std::vector<double> vecSeries; const char* pszCurve; } arrCases[] = {
        {"expand 0",          true,  0.0f, {},     pszPlain},
        {"expand 1",          true,  1.0f, {},     pszRays},
        {"expand 2",          true,  2.0f, {},     nullptr},
        {"expand -1",         true,  -1.0f, {},    nullptr},
        {"published 1",       false, 0.0f, {NA, 1}, pszRays},
        {"published 2",       false, 0.0f, {2},    nullptr},
        {"nothing to read",   false, 0.0f, {},     pszPlain},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(8);
        context.SetSeries(1, vecCond1);
        context.SetSeries(2, vecPrice1);
        context.SetSeries(3, vecCond2);
        context.SetSeries(4, vecPrice2);
        if (row.bConstant) context.m_mapConstants[5] = FloatBits(row.fExpand);
        if (!row.vecSeries.empty()) context.SetSeries(5, row.vecSeries);
        const std::vector<GraphDrawInfo> vecOut = RunProducer(ProduceLines, context, 0, 7);
        if (row.pszCurve == nullptr) {
            EXPECT_TRUE(vecOut.empty());
        } else {
            EXPECT_EQ(OnlyPicture(vecOut), Lines{row.pszCurve});
        }
    }
    // The dotted plotting style dashes the line; a start never ended draws nothing.
    CFakeDrawContext context(3);
    context.SetSeries(1, {1, 0, 0});
    context.SetSeries(2, {5, 6, 7});
    context.SetSeries(3, {1, 0, 0});
    context.SetSeries(4, {5, 6, 7});
    context.m_mapConstants[8] = PLOY_DOT_LINE;
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceLines, context, 0, 2)),
              Lines{"curve #FF0000FF w1 s2"});
}

TEST(BandProducer, AreasCloseAtCrossingsAndColourChanges) {
    constexpr double RED = 0x0000FF;
    constexpr double GREEN = 0x00FF00;
    constexpr double BLUE = 0xFF0000;
    // clang-format off
    const struct { const char* pszCase; std::vector<double> vecValue1, vecColour1, vecValue2, vecColour2;
                   int nFirst; int nLast; int nStep; Lines vecCurves; } arrCases[] = {
        {"crossing", {10, 12, 10, 9, 9}, {RED, RED, RED, RED, RED}, {8, 9, 11, 12, 10},
         {GREEN, GREEN, GREEN, GREEN, GREEN}, 0, 4, 0,
         {"curve fill #FF0000FF | 0:10 1:12 1.75:10.5 1:9 0:8",
          "curve fill #FF00FF00 | 1.75:10.5 2:10 3:9 4:9 4:10 3:12 2:11"}},
        {"colour change on one side", {10, 12, 13}, {RED, BLUE, RED}, {8, 9, 9}, {GREEN, GREEN, GREEN},
         0, 2, 0,
         {"curve fill #FF0000FF | 0:10 0:8 | 1:12 2:13 2:9 1:9",
          "curve fill #FFFF0000 | 0:10 1:12 1:9 0:8"}},
        {"lines touching count as the first on top", {5, 5}, {RED, RED}, {5, 4}, {NA, NA}, 0, 1, 0,
         {"curve fill #FF0000FF | 0:5 1:5 1:4 0:5"}},
        {"thinned, ends kept", {9, 9, 9, 9, 9}, {RED, RED, RED, RED, RED}, {1, 2, 3, 4, 5},
         {NA, NA, NA, NA, NA}, 1, 4, 1,
         {"curve fill #FF0000FF | 1:9 2:9 4:9 4:5 2:3 1:2"}},
        {"bars without values or colour are passed over", {9, NA, 9, 9}, {RED, RED, NA, RED},
         {1, 2, 3, 4}, {GREEN, GREEN, GREEN, GREEN}, 0, 3, 0,
         {"curve fill #FF0000FF | 0:9 3:9 3:4 0:1"}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(static_cast<int>(row.vecValue1.size()));
        context.SetSeries(1, row.vecValue1);
        context.SetSeries(2, row.vecColour1);
        context.SetSeries(3, row.vecValue2);
        context.SetSeries(4, row.vecColour2);
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceBand, context, row.nFirst, row.nLast, row.nStep)),
                  row.vecCurves);
    }
}

TEST(FillRegionProducer, OneAreaPerRunReachingHalfABarBeyond) {
    const std::vector<double> vecPrice1 = {10, 11, 12, 13, 14, 15, 16};
    const std::vector<double> vecPrice2 = {0, 1, 2, 3, 4, 5, 6};
    // clang-format off
    const struct { const char* pszCase; std::vector<double> vecCond; std::vector<double> vecHoles; int nFirst; int nLast; Lines vecCurves; } arrCases[] = {
        {"two runs", {0, 1, 1, 0, 1, 0, 0}, {}, 0, 6,
         {"curve fill #FF0000FF | 0.5:10.5 1:11 1.5:11.5 2:12 2.5:12.5 2.5:2.5 2:2 1.5:1.5 1:1 0.5:0.5",
          "curve fill #FF0000FF | 3.5:13.5 4:14 4.5:14.5 4.5:4.5 4:4 3.5:3.5"}},
        {"no half bar towards a bar without prices", {0, 1, 1, 0, 0, 0, 0}, {0, 3}, 0, 6,
         {"curve fill #FF0000FF | 1:11 1.5:11.5 2:12 2:2 1.5:1.5 1:1"}},
        {"a run cut by the range", {1, 1, 1, 1, 1, 1, 1}, {}, 2, 3,
         {"curve fill #FF0000FF | 1.5:11.5 2:12 2.5:12.5 3:13 3.5:13.5 3.5:3.5 3:3 2.5:2.5 2:2 1.5:1.5"}},
        {"a bar without prices splits a run", {1, 1, 1, 0, 0, 0, 0}, {1}, 0, 2,
         {"curve fill #FF0000FF | 0:10 0:0", "curve fill #FF0000FF | 2:12 2.5:12.5 2.5:2.5 2:2"}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(7);
        std::vector<double> vecFirst = vecPrice1;
        for (const double dHole : row.vecHoles) vecFirst[static_cast<size_t>(dHole)] = NA;
        context.SetSeries(1, vecFirst);
        context.SetSeries(2, vecPrice2);
        context.SetSeries(3, row.vecCond);
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceFillRegion, context, row.nFirst, row.nLast)),
                  row.vecCurves);
    }
}

TEST(IconProducer, TagIsTheTypeTruncated) {
    CFakeDrawContext context(5);
    context.m_parser.m_mapWidths[0] = 3;
    context.SetSeries(1, {1, 0, 1, 1, NA});
    context.SetSeries(2, {5, 6, NA, 8, 9});
    context.SetSeries(3, {2.9, 1, 1, -1.5, 1});
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceIcons, context, 0, 4)),
              Lines{"icon 3 | 0:5 #2 | 3:8 #-1"});
}

TEST(TextProducer, StringIndexFromConstantOrSeries) {
    const auto indexValue = [](uint32_t nIndex) {
        return static_cast<double>(FloatFromBits(nIndex));
    };
    // clang-format off
    const struct { const char* pszCase; bool bConstant; int64_t nConstant; std::vector<double> vecIndexes; const char* pszText; } arrCases[] = {
        {"constant",          true,  0, {},  "text #FF0000FF size11 style18 | 0:5 UP | 2:7 UP"},
        {"constant outside",  true,  3, {},  "text #FF0000FF size11 style18"},
        {"empty string",      true,  1, {},  "text #FF0000FF size11 style18"},
        {"series",            false, 0, {indexValue(2), 0, indexValue(7), 0},
                                             "text #FF0000FF size11 style18 | 0:5 DOWN"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszCase);
        CFakeDrawContext context(4);
        context.m_parser.m_mapWidths[0] = 2;
        context.m_info.m_vecStrings = {"UP", "", "DOWN"};
        context.SetSeries(1, {1, 0, 1, 1});
        context.SetSeries(2, {5, 6, 7, NA});
        if (row.bConstant) {
            context.SetStringArg(3, row.nConstant);
        } else {
            context.SetSeries(3, row.vecIndexes);
        }
        EXPECT_EQ(OnlyPicture(RunProducer(ProduceTexts, context, 0, 3)), Lines{row.pszText});
    }
    // A text argument that is neither a string nor a published series draws nothing.
    CFakeDrawContext context(1);
    context.SetSeries(1, {1});
    context.SetSeries(2, {1});
    EXPECT_TRUE(RunProducer(ProduceTexts, context, 0, 0).empty());
}

TEST(NumberProducer, FormatsWithoutTrailingZeros) {
    // clang-format off
    const struct { double dValue; const char* pszText; } arrCases[] = {
        {3.14, "3.14"}, {5, "5"}, {-2.5, "-2.5"}, {0, "0"}, {100, "100"}, {1e-7, "0"},
        {123456.789, "123456.789"}, {0.5, "0.5"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        EXPECT_EQ(FormatDrawnNumber(row.dValue), row.pszText) << row.dValue;
    }
    // Beyond what the buffer holds the digits are cut: no point, nothing tidied.
    EXPECT_EQ(FormatDrawnNumber(1e70).size(), 63u);

    CFakeDrawContext context(4);
    context.SetSeries(1, {1, 1, 0, 1});
    context.SetSeries(2, {5, 6, 7, 8});
    context.SetSeries(3, {3.5, NA, 1, 20});
    EXPECT_EQ(OnlyPicture(RunProducer(ProduceNumbers, context, 0, 3)),
              Lines{"text #FF0000FF size10 style18 | 0:5 3.5 | 3:8 20"});
}

}  // namespace
