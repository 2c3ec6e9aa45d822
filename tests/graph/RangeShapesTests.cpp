// Measuring ranges against the fake converter's linear mapping (10 pixels per
// bar from x = 100, 10 pixels per price unit up from y = 500, 60 seconds per
// bar unless a case says otherwise): their texts exactly, and their pictures.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "ShapeTesting.h"
#include "graph/GraphGeometry.h"
#include "graph/MeasureLabels.h"
#include "graph/RangeShapes.h"

namespace {

const QXDrawInfo::GraphDrawInfo& DrawRange(IQXGraphShapeBase& shape) {
    static const QXDrawInfo::GraphDrawInfo kNothing;
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    if (vecInfos.size() != 1) {
        ADD_FAILURE() << "expected one picture, got " << vecInfos.size();
        return kNothing;
    }
    return vecInfos[0];
}

std::string ReadLabel(const QXDrawInfo::GraphDrawInfo& info) {
    if (info.texts.size() != 1 || info.texts[0].items.size() != 1) {
        ADD_FAILURE() << "expected one label";
        return std::string();
    }
    return info.texts[0].items[0].text;
}

TEST(RangeShapes, FactoryMakesEveryKindWithItsClassAndAnchorCount) {
    ExpectKind<QXGraphRangeDate>(QX_GRAPH_RANGE_DATE, 2);
    ExpectKind<QXGraphRangePrice>(QX_GRAPH_RANGE_PRICE, 2);
    ExpectKind<QXGraphRangeDateAndPrice>(QX_GRAPH_RANGE_DATE_AND_PRICE, 2);
}

TEST(MeasureLabels, DurationsShowWholeDaysHoursAndMinutes) {
    struct {
        int64_t nSeconds;
        const char* pszText;
    } const kCases[] = {
        {90061, "1d1h1m"},
        {59, ""},
        {0, ""},
        {-59, "-"},
        {-90061, "-1d1h1m"},
        {3600, "1h"},
        {259260, "3d1m"},
        {86399, "23h59m"},
        {INT64_MIN, "-106751991167300d15h30m"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(MeasureLabels::FormatDuration(c.nSeconds), c.pszText) << c.nSeconds;
    }
}

TEST(MeasureLabels, ZeroBaseOrUnitShowsInsteadOfFailing) {
    EXPECT_EQ(MeasureLabels::FormatPriceSpan(0.0, 2.5, 0.0, false), "inf(inf%)");
}

TEST(RangeShapes, LabelTextsMeasureTheSpanOnWholeBars) {
    struct {
        const char* pszName;
        QX_GRAPH_TYPE eType;
        QXGraphPoint p0, p1;
        int nSecondsPerBar;
        double unit;
        bool bRefuseUnit;
        const char* pszLabel;
    } const kCases[] = {
        // Positions 10.4 and 14.6 are measured as bars 10 and 15.
        {"rounded", QX_GRAPH_RANGE_DATE, MakeAnchor(20, 10.4f), MakeAnchor(21, 14.6f), 60, 1.0,
         false, "5bars, 5m"},
        {"one day", QX_GRAPH_RANGE_DATE, MakeAnchor(20, 10), MakeAnchor(21, 11), 90061, 1.0, false,
         "1bars, 1d1h1m"},
        {"seconds", QX_GRAPH_RANGE_DATE, MakeAnchor(20, 10), MakeAnchor(21, 11), 59, 1.0, false,
         "1bars, "},
        {"backwards", QX_GRAPH_RANGE_DATE, MakeAnchor(20, 15), MakeAnchor(21, 10), 60, 1.0, false,
         "-5bars, -5m"},
        {"same bar", QX_GRAPH_RANGE_DATE, MakeAnchor(20, 9.8f), MakeAnchor(21, 10.2f), 60, 1.0,
         false, "0bars, "},
        {"price", QX_GRAPH_RANGE_PRICE, MakeAnchor(20, 10), MakeAnchor(22.5, 15), 60, 1.0, false,
         "2.500(12.50%)"},
        {"price unit", QX_GRAPH_RANGE_PRICE, MakeAnchor(20, 10), MakeAnchor(22.5, 15), 60, 0.5,
         false, "5.000(12.50%)"},
        // A refused unit leaves the preset 1.
        {"no unit", QX_GRAPH_RANGE_PRICE, MakeAnchor(20, 10), MakeAnchor(22.5, 15), 60, 0.5, true,
         "2.500(12.50%)"},
        {"falling", QX_GRAPH_RANGE_PRICE, MakeAnchor(20, 10), MakeAnchor(15, 15), 60, 1.0, false,
         "-5.000(-25.00%)"},
        // Five bars of three fifths of a day are three days.
        {"both", QX_GRAPH_RANGE_DATE_AND_PRICE, MakeAnchor(20, 10), MakeAnchor(22.5, 15), 51840,
         1.0, false, "2.500(12.50%) 5bars, 3d"},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        coord.m_nSecondsPerBar = c.nSecondsPerBar;
        coord.m_dPriceUnit = c.unit;
        if (c.bRefuseUnit) coord.Refuse(CFakeCoordinate::kGetPriceUnit);
        ShapePtr shape = CreateShape(c.eType, &coord);
        shape->SetPoints({c.p0, c.p1});
        EXPECT_EQ(ReadLabel(DrawRange(*shape)), c.pszLabel) << c.pszName;
    }
}

TEST(RangeShapes, PicturesShadeTheSpanAndArrowWhatIsMeasured) {
    // From (price 20, position 10) up to (price 22.5, position 15); the middle
    // lines run at price 21.25 and position 12.5.
    const CDrawnLine kCorners = {{{20, 10}, {22.5, 10}, {22.5, 15}, {20, 15}}, false, false};
    const CDrawnLine kDateLine = {{{21.25, 10}, {21.25, 15}}, false, false};
    const CDrawnLine kPriceLine = {{{20, 12.5}, {22.5, 12.5}}, false, false};
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<CDrawnLine> vecEdges;
        std::vector<CDrawnLine> vecArrowed;
    } const kCases[] = {
        {QX_GRAPH_RANGE_DATE,
         {{{{20, 10}, {22.5, 10}}, false, false}, {{{22.5, 15}, {20, 15}}, false, false}},
         {kDateLine}},
        {QX_GRAPH_RANGE_PRICE,
         {{{{20, 10}, {20, 15}}, false, false}, {{{22.5, 15}, {22.5, 10}}, false, false}},
         {kPriceLine}},
        {QX_GRAPH_RANGE_DATE_AND_PRICE, {kCorners}, {kDateLine, kPriceLine}},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        shape->SetFillColor(QXDrawInfo::GetColorByValue(0x112233));
        shape->SetTextColor(QXDrawInfo::GetColorByValue(0x445566));
        shape->SetLineStyle(4);  // the ranges draw in their own styles
        shape->SetPoints({MakeAnchor(20, 10), MakeAnchor(22.5, 15)});
        const QXDrawInfo::GraphDrawInfo& info = DrawRange(*shape);
        ASSERT_EQ(info.curves.size(), 3u) << strWhat;

        const QXDrawInfo::CurveDrawInfo& fill = info.curves[0];
        EXPECT_EQ(fill.fillStyle, FILL_STYLE_SOLID) << strWhat;
        EXPECT_EQ(fill.fillColor.value, 0x112233) << strWhat;
        ExpectSameLines(ReadCurveLines(fill), {kCorners}, strWhat + " fill");

        EXPECT_EQ(info.curves[1].lineStyle, LINE_STYLE_SOLID) << strWhat;
        ExpectSameLines(ReadCurveLines(info.curves[1]), c.vecEdges, strWhat + " edges");

        // Each arrowed line is followed by the two wings of its head at its end.
        EXPECT_EQ(info.curves[2].lineStyle, LINE_STYLE_DASH) << strWhat;
        const std::vector<CDrawnLine> vecMiddle = ReadCurveLines(info.curves[2]);
        ASSERT_EQ(vecMiddle.size(), 3 * c.vecArrowed.size()) << strWhat;
        for (std::size_t i = 0; i < c.vecArrowed.size(); ++i) {
            ExpectSameLines({vecMiddle[3 * i]}, {c.vecArrowed[i]}, strWhat + " middle");
            for (std::size_t k = 1; k <= 2; ++k) {
                const CDrawnPoint& tip = vecMiddle[3 * i + k].vecPoints.at(0);
                EXPECT_NEAR(tip.price, c.vecArrowed[i].vecPoints[1].price, 1e-4) << strWhat;
                EXPECT_NEAR(tip.position, c.vecArrowed[i].vecPoints[1].position, 1e-4) << strWhat;
            }
        }

        // The label: colour id 6 over the shape's text colour, at the second
        // anchor, style 34 because that anchor is drawn above the first.
        ASSERT_EQ(info.texts.size(), 1u) << strWhat;
        const QXDrawInfo::TextDrawInfo& text = info.texts[0];
        EXPECT_EQ(text.textColor.colorId, 6) << strWhat;
        EXPECT_FALSE(text.textColor.byValue) << strWhat;
        EXPECT_EQ(text.secondColor.value, 0x445566) << strWhat;
        EXPECT_EQ(text.fillColor.value, 0x445566) << strWhat;
        EXPECT_FLOAT_EQ(text.fontSize, 12.0f) << strWhat;
        EXPECT_EQ(text.style, 34) << strWhat;
        EXPECT_EQ(text.extra, 0) << strWhat;
        ASSERT_EQ(text.items.size(), 1u) << strWhat;
        EXPECT_EQ(text.items[0].flags, 0) << strWhat;
        EXPECT_NEAR(text.items[0].position.value, 22.5, 1e-4) << strWhat;
        EXPECT_FLOAT_EQ(text.items[0].position.position, 15.0f) << strWhat;
        // Records are painted in the order fill, edges, middle lines, label.
        EXPECT_EQ(info.drawOrder.front() / 100000000, 10000000) << strWhat;
        EXPECT_EQ(info.drawOrder.back() / 100000000, 50000000) << strWhat;
    }
}

TEST(RangeShapes, LabelStyleFollowsWhichAnchorIsHigherOnScreen) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_RANGE_PRICE, &coord);
    shape->SetPoints({MakeAnchor(22.5, 10), MakeAnchor(20, 15)});
    EXPECT_EQ(DrawRange(*shape).texts.at(0).style, 10);
    shape->SetPoints({MakeAnchor(20, 10), MakeAnchor(20, 15)});
    EXPECT_EQ(DrawRange(*shape).texts.at(0).style, 10);
}

TEST(RangeShapes, DateRangeWithinOneBarHasNoArrowHead) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_RANGE_DATE, &coord);
    shape->SetPoints({MakeAnchor(20, 9.8f), MakeAnchor(22, 10.2f)});
    const QXDrawInfo::GraphDrawInfo& info = DrawRange(*shape);
    ASSERT_EQ(info.curves.size(), 3u);
    EXPECT_EQ(info.curves[2].items.size(), 1u);  // the middle line alone
}

TEST(RangeShapes, BarCountsBeyondTheIntRangeAreHeldToIt) {
    struct {
        double value;
        int nExpected;
    } const kCases[] = {
        {2.7, 2}, {-2.7, -2}, {1e30, INT_MAX}, {-1e30, INT_MIN}, {std::nan(""), 0},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(GraphGeometry::TruncateToInt(c.value), c.nExpected) << c.value;
    }
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_RANGE_DATE, &coord);
    shape->SetPoints({MakeAnchor(20, 0), MakeAnchor(21, 3e9f)});
    EXPECT_EQ(ReadLabel(DrawRange(*shape)).rfind("2147483647bars, ", 0), 0u);
}

}  // namespace
