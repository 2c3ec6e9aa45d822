// Records of the Fibonacci tools against the fake converter's linear mapping
// (x = 100 + 10 * position, y = 500 - 10 * price).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DrawnLabels.h"
#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "PlacedShape.h"
#include "QXGraphSettings.h"

namespace {

stSingleLineDrawParams MakeLevel(int32_t nLevel, int32_t nBars, float fRatio) {
    stSingleLineDrawParams level;
    level.nLevel = nLevel;
    if (fRatio != 0.0f) {
        level.value.fRatio = fRatio;
    } else {
        level.value.nBars = nBars;
    }
    return level;
}

std::vector<CDrawnLine> VerticalLines(double from, double to, const std::vector<float>& vecAt,
                                      bool bStart, bool bEnd) {
    std::vector<CDrawnLine> vecLines;
    for (float x : vecAt) vecLines.push_back({{{from, x}, {to, x}}, bStart, bEnd});
    return vecLines;
}

std::vector<CDrawnLine> HorizontalLines(const std::vector<double>& vecAt, float from, float to,
                                        bool bStart, bool bEnd) {
    std::vector<CDrawnLine> vecLines;
    for (double y : vecAt) vecLines.push_back({{{y, from}, {y, to}}, bStart, bEnd});
    return vecLines;
}

// The golden section's levels from both of its records, in the order drawn.
std::vector<CDrawnLine> ReadLevelsInOrder(const QXDrawInfo::GraphDrawInfo& info) {
    const std::vector<CDrawnLine> vecRecords[] = {ReadCurveLines(info.curves.at(0)),
                                                  ReadCurveLines(info.curves.at(1))};
    std::vector<CDrawnLine> vecLines;
    for (int64_t key : info.drawOrder) {
        const int64_t nRecord = key / 100000000 - 10000000;
        if (nRecord == 0 || nRecord == 1) {
            vecLines.push_back(vecRecords[nRecord].at(static_cast<std::size_t>(key % 100000000)));
        }
    }
    return vecLines;
}

TEST(FibTimeZone, DefaultLevelsGiveFibonacciMultiplesOfTheAnchorDistance) {
    const std::vector<float> vecAt = {10, 13, 13, 16, 19, 25, 34, 49, 73, 112, 175};
    const char* const kTexts[] = {"0", "1", "1", "2", "3", "5", "8", "13", "21", "34", "55"};
    std::vector<CDrawnLabel> vecLabels;
    for (std::size_t i = 0; i < vecAt.size(); ++i) vecLabels.push_back({10, vecAt[i], kTexts[i]});
    // The anchors are rounded to whole bars first, so both rows draw the same.
    for (float fShift : {0.0f, 0.4f}) {
        CFakeCoordinate coord;
        ShapePtr shape =
            CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_TIME_ZONE, &coord,
                              {MakeAnchor(10, 10 + fShift), MakeAnchor(12, 13 - fShift)});
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        ExpectSameLines(ReadCurveLines(info.curves.at(0)), VerticalLines(10, 12, vecAt, true, true),
                        "lines");
        ExpectSameLabels(info.texts.at(0), vecLabels, "labels");
        ExpectLabelRecordStyle(info.texts[0], shape->GetLineColor());
        // Each line is followed by its label.
        EXPECT_EQ(info.drawOrder.at(1) / 100000000, 50000000);
    }
}

TEST(FibTimeZone, SecondAnchorNotRightOfTheFirstDrawsOnlyTheFirstLine) {
    for (float fSecond : {10.0f, 7.0f, 10.4f}) {
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_TIME_ZONE, &coord,
                                           {MakeAnchor(10, 10), MakeAnchor(12, fSecond)});
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        ExpectSameLines(ReadCurveLines(info.curves.at(0)), VerticalLines(10, 12, {10}, true, true),
                        std::to_string(fSecond));
        EXPECT_TRUE(info.texts.at(0).items.empty());
    }
}

// Rows that draw nothing have bDrawn false: the other tool's directions and
// values outside the enumeration.
struct CDirectionCase {
    int nDirection;
    double from;  // time zone: prices; golden section: positions
    double to;
    bool bDrawn;
    bool bStart;
    bool bEnd;
    double far;  // the level line's far end: the second anchor plus the step
};

TEST(FibTimeZone, DirectionPicksTheEndsByComparingPrices) {
    const CDirectionCase kCases[] = {
        {0, 10, 12, true, false, false, 12},  {1, 10, 12, true, true, true, 12},
        {1, 10, 10, true, true, true, 11},    {2, 10, 12, true, false, true, 12},
        {2, 12, 10, true, true, false, 10},   {2, 10, 10, true, false, true, 11},
        {3, 10, 12, true, true, false, 12},   {3, 12, 10, true, false, true, 10},
        {3, 10, 10, true, false, true, 9},    {4, 10, 12, false, false, false, 0},
        {5, 10, 12, false, false, false, 0},  {6, 10, 12, false, false, false, 0},
        {-1, 10, 12, false, false, false, 0},
    };
    for (const CDirectionCase& c : kCases) {
        const std::string strWhat = std::to_string(c.nDirection) + ": " + std::to_string(c.from) +
                                    " to " + std::to_string(c.to);
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_TIME_ZONE, &coord,
                                           {MakeAnchor(c.from, 10), MakeAnchor(c.to, 12)});
        stFibTimeZoneSettings settings;
        settings.SetLineParams({MakeLevel(0, 0, 0), MakeLevel(1, 2, 0)});
        settings.SetExtendDirection(static_cast<enLineExtendDirection>(c.nDirection));
        ASSERT_TRUE(shape->SetSettings(&settings));
        const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape->GetGraphDrawInfo();
        ASSERT_EQ(vecInfos.size(), c.bDrawn ? 1u : 0u) << strWhat;
        if (!c.bDrawn) continue;
        ExpectSameLines(ReadCurveLines(vecInfos[0].curves.at(0)),
                        VerticalLines(c.from, c.far, {10, 14}, c.bStart, c.bEnd), strWhat);
    }
}

TEST(FibTimeZone, SettingsRoundTripWithDefaultsWrittenOnFirstDraw) {
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_TIME_ZONE, &coord,
                                       {MakeAnchor(10, 10), MakeAnchor(12, 13)});
    stFibTimeZoneSettings out;
    out.SetLineParams({MakeLevel(7, 7, 0)});
    ASSERT_TRUE(shape->GetSettings(&out));
    EXPECT_TRUE(out.GetLineParams().empty());
    EXPECT_EQ(out.GetExtendDirection(), LINE_EXTEND_BOTH);

    // Drawn once with a rejected direction: the defaults are written all the same.
    stFibTimeZoneSettings in;
    in.SetExtendDirection(LINE_EXTEND_LEFT);
    shape->SetSettings(&in);
    EXPECT_TRUE(shape->GetGraphDrawInfo().empty());
    ASSERT_TRUE(shape->GetSettings(&out));
    const int32_t kBars[] = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55};
    ASSERT_EQ(out.GetLineParams().size(), 11u);
    for (std::size_t i = 0; i < 11; ++i) {
        const stSingleLineDrawParams& level = out.GetLineParams()[i];
        EXPECT_EQ(level.nLevel, static_cast<int32_t>(i));
        EXPECT_EQ(level.value.nBars, kBars[i]);
        EXPECT_EQ(level.lineColor.colorId, 1);
        EXPECT_EQ(level.lineColor.value, 1);
        EXPECT_FALSE(level.lineColor.byValue || level.bAttribute || level.nAttribute != 0);
    }

    // The client's attributes are kept untouched; an empty list brings the
    // defaults back at the next draw.
    stSingleLineDrawParams custom = MakeLevel(3, 4, 0);
    custom.nAttribute = 77;
    custom.bAttribute = true;
    in.SetLineParams({custom});
    in.SetExtendDirection(LINE_EXTEND_NONE);
    ASSERT_TRUE(shape->SetSettings(&in));
    ExpectSameLines(ReadCurveLines(shape->GetGraphDrawInfo().at(0).curves.at(0)),
                    VerticalLines(10, 12, {22}, false, false), "custom level");
    ASSERT_TRUE(shape->GetSettings(&out));
    ASSERT_EQ(out.GetLineParams().size(), 1u);
    EXPECT_EQ(out.GetLineParams()[0].nAttribute, 77);
    EXPECT_TRUE(out.GetLineParams()[0].bAttribute);
    in.SetLineParams({});
    ASSERT_TRUE(shape->SetSettings(&in));
    EXPECT_EQ(shape->GetGraphDrawInfo().at(0).curves.at(0).items.size(), 11u);
    EXPECT_FALSE(shape->SetSettings(nullptr));
    EXPECT_FALSE(shape->GetSettings(nullptr));
}

TEST(GoldenSection, LevelsAtTheirRatiosOfThePriceMoveLabelledSevenPixelsAbove) {
    const std::vector<double> vecPrices = {10,    12.36, 13.82, 15, 16.18, 20,
                                           23.82, 25,    26.18, 30, 33.82, 36.18};
    const char* const kTexts[] = {"10",           "23.6% 12.36", "38.2% 13.82",  "50% 15",
                                  "61.8% 16.18",  "100% 20",     "138.2% 23.82", "150% 25",
                                  "161.8% 26.18", "200% 30",     "238.2% 33.82", "261.8% 36.18"};
    for (float fPixelsPerPrice : {10.0f, 20.0f}) {
        CFakeCoordinate coord;
        coord.m_fPixelsPerPrice = fPixelsPerPrice;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GOLDEN_SECTION, &coord,
                                           {MakeAnchor(10, 5), MakeAnchor(20, 15)});
        shape->SetLineStyle(2);
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        // The 0 and 100 levels solid, the others dashed, whatever the user's style.
        ASSERT_EQ(info.curves.size(), 2u);
        EXPECT_EQ(info.curves[0].lineStyle, LINE_STYLE_SOLID);
        EXPECT_EQ(info.curves[1].lineStyle, LINE_STYLE_DASH);
        ExpectSameLines(ReadCurveLines(info.curves[0]),
                        HorizontalLines({10, 20}, 5, 15, true, true), "solid levels");
        ExpectSameLines(ReadLevelsInOrder(info), HorizontalLines(vecPrices, 5, 15, true, true),
                        "all levels");
        std::vector<CDrawnLabel> vecLabels;
        for (std::size_t i = 0; i < vecPrices.size(); ++i) {
            vecLabels.push_back({vecPrices[i] + 7.0 / fPixelsPerPrice, 5, kTexts[i]});
        }
        ExpectSameLabels(info.texts.at(0), vecLabels, "labels");
        ExpectLabelRecordStyle(info.texts[0], shape->GetLineColor());
    }
}

TEST(GoldenSection, DisplayFlagsChooseTheLabelParts) {
    struct {
        bool bRatio;
        bool bPrice;
        std::vector<std::string> vecTexts;  // of the levels 0, 0.382 and 1
    } const kCases[] = {
        {true, true, {"10", "38.2% 13.82", "100% 20"}},
        {true, false, {"38.2% ", "100% "}},
        {false, true, {"10", "13.82", "20"}},
        {false, false, {}},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GOLDEN_SECTION, &coord,
                                           {MakeAnchor(10, 5), MakeAnchor(20, 15)});
        stGoldenSectionSettings settings;
        settings.SetLineParams({MakeLevel(0, 0, 0), MakeLevel(1, 0, 0.382f), MakeLevel(2, 0, 1)});
        settings.SetDisplayRatio(c.bRatio);
        settings.SetDisplayPrice(c.bPrice);
        ASSERT_TRUE(shape->SetSettings(&settings));
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        EXPECT_EQ(ReadLevelsInOrder(info).size(), 3u);
        std::vector<std::string> vecTexts;
        for (const QXDrawInfo::TextItem& item : info.texts.at(0).items)
            vecTexts.push_back(item.text);
        EXPECT_EQ(vecTexts, c.vecTexts) << c.bRatio << c.bPrice;
    }
}

TEST(GoldenSection, DirectionPicksTheEndsByComparingPositions) {
    const CDirectionCase kCases[] = {
        {0, 5, 15, true, false, false, 15},  {1, 5, 15, true, true, true, 15},
        {1, 5, 5, true, true, true, 6},      {4, 5, 15, true, true, false, 15},
        {4, 15, 5, true, false, true, 5},    {4, 5, 5, true, false, true, 4},
        {5, 5, 15, true, false, true, 15},   {5, 15, 5, true, true, false, 5},
        {5, 5, 5, true, false, true, 6},     {2, 5, 15, false, false, false, 0},
        {3, 5, 15, false, false, false, 0},  {6, 5, 15, false, false, false, 0},
        {-1, 5, 15, false, false, false, 0},
    };
    for (const CDirectionCase& c : kCases) {
        const std::string strWhat = std::to_string(c.nDirection) + ": " + std::to_string(c.from) +
                                    " to " + std::to_string(c.to);
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(
            QX_GRAPH_COMPLEX_GOLDEN_SECTION, &coord,
            {MakeAnchor(10, static_cast<float>(c.from)), MakeAnchor(20, static_cast<float>(c.to))});
        stGoldenSectionSettings settings;
        settings.SetLineParams({MakeLevel(0, 0, 0.5f)});
        settings.SetExtendDirection(static_cast<enLineExtendDirection>(c.nDirection));
        ASSERT_TRUE(shape->SetSettings(&settings));
        const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape->GetGraphDrawInfo();
        ASSERT_EQ(vecInfos.size(), c.bDrawn ? 1u : 0u) << strWhat;
        if (!c.bDrawn) continue;
        ExpectSameLines(ReadLevelsInOrder(vecInfos[0]),
                        {{{{15, static_cast<float>(c.from)}, {15, static_cast<float>(c.far)}},
                          c.bStart,
                          c.bEnd}},
                        strWhat);
    }
}

TEST(GoldenSection, SettingsRoundTripWithDefaultsWrittenOnFirstDraw) {
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GOLDEN_SECTION, &coord,
                                       {MakeAnchor(10, 5), MakeAnchor(20, 15)});
    stGoldenSectionSettings out;
    out.SetDisplayRatio(false);
    ASSERT_TRUE(shape->GetSettings(&out));
    EXPECT_TRUE(out.GetLineParams().empty());
    EXPECT_TRUE(out.GetDispLayRatio() && out.GetDisplayPrice());

    shape->GetGraphDrawInfo();
    ASSERT_TRUE(shape->GetSettings(&out));
    const float kRatios[] = {0.0f,   0.236f, 0.382f, 0.5f, 0.618f, 1.0f,
                             1.382f, 1.5f,   1.618f, 2.0f, 2.382f, 2.618f};
    ASSERT_EQ(out.GetLineParams().size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(out.GetLineParams()[i].nLevel, static_cast<int32_t>(i));
        EXPECT_EQ(out.GetLineParams()[i].value.fRatio, kRatios[i]);
    }

    stGoldenSectionSettings in;
    in.SetLineParams({MakeLevel(0, 0, -0.5f)});
    in.SetExtendDirection(LINE_EXTEND_RIGHT);
    in.SetDisplayRatio(false);
    ASSERT_TRUE(shape->SetSettings(&in));
    ExpectSameLines(ReadLevelsInOrder(shape->GetGraphDrawInfo().at(0)),
                    HorizontalLines({5}, 5, 15, false, true), "negative ratio");
    ASSERT_TRUE(shape->GetSettings(&out));
    EXPECT_EQ(out.GetLineParams().at(0).value.fRatio, -0.5f);
    EXPECT_EQ(out.GetExtendDirection(), LINE_EXTEND_RIGHT);
    EXPECT_FALSE(out.GetDispLayRatio());
    EXPECT_TRUE(out.GetDisplayPrice());
}

TEST(GoldenSection, OddRatioBitsDrawWithoutFailing) {
    // NaN, both infinities, and a bar count left in the union by the client.
    std::vector<stSingleLineDrawParams> vecLevels(4);
    const uint32_t kBits[] = {0x7FC00000u, 0x7F800000u, 0xFF800000u, 55u};
    for (std::size_t i = 0; i < 4; ++i) std::memcpy(&vecLevels[i].value, &kBits[i], 4);
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GOLDEN_SECTION, &coord,
                                       {MakeAnchor(10, 5), MakeAnchor(20, 15)});
    stGoldenSectionSettings settings;
    settings.SetLineParams(vecLevels);
    shape->SetSettings(&settings);
    EXPECT_EQ(ReadLevelsInOrder(shape->GetGraphDrawInfo().at(0)).size(), 4u);
}

TEST(FibChannel, RepeatsTheBaseLineByTheOffsetToTheThirdAnchor) {
    struct {
        QXGraphPoint p2;
        std::vector<CDrawnLine> vecSampled;  // lines 0, 1 (i = -15), 16 (i = 0), 30 (i = 14)
    } const kCases[] = {
        {MakeAnchor(12, 3),
         {{{{10, 0}, {20, 10}}, true, true},
          {{{-20, -45}, {-10, -35}}, true, true},
          {{{10, 0}, {20, 10}}, true, true},
          {{{38, 42}, {48, 52}}, true, true}}},
        // On the first anchor: 31 coinciding lines.
        {MakeAnchor(10, 0), std::vector<CDrawnLine>(4, {{{10, 0}, {20, 10}}, true, true})},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_CHANNEL, &coord,
                                           {MakeAnchor(10, 0), MakeAnchor(20, 10), c.p2});
        const std::vector<CDrawnLine> vecLines =
            ReadCurveLines(shape->GetGraphDrawInfo().at(0).curves.at(0));
        ASSERT_EQ(vecLines.size(), 31u);
        ExpectSameLines({vecLines[0], vecLines[1], vecLines[16], vecLines[30]}, c.vecSampled,
                        "channel");
    }
    // While the third anchor is being placed only the base line shows.
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_FIB_CHANNEL, &coord, {});
    ASSERT_FALSE(shape->OnMouseDown(coord.ToPixelX(1), coord.ToPixelY(10)));
    shape->OnMouseMove(coord.ToPixelX(4), coord.ToPixelY(15));
    ExpectSameLines(ReadCurveLines(shape->GetGraphDrawInfo().at(0).curves.at(0)),
                    {{{{10, 1}, {15, 4}}, true, true}}, "placing");
}

}  // namespace
