// Markers against the fake converter's linear mapping (10 pixels per bar from
// x = 100, 10 pixels per price unit up from y = 500, chart bottom at y = 600).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeCoordinate.h"
#include "ShapeTesting.h"
#include "graph/LineShapes.h"
#include "graph/MarkerShapes.h"

namespace {

std::vector<QXGraphPoint> ReadAnchors(const IQXGraphShapeBase& shape) {
    std::vector<QXGraphPoint> vecPoints;
    EXPECT_TRUE(shape.GetPoints(vecPoints));
    return vecPoints;
}

void ExpectAnchor(const QXGraphPoint& actual, double price, float position,
                  const std::string& strWhat) {
    EXPECT_NEAR(actual.price, price, 1e-4) << strWhat;
    EXPECT_NEAR(actual.position, position, 1e-4) << strWhat;
}

bool SameColor(const QXDrawInfo::QXColor& a, const QXDrawInfo::QXColor& b) {
    return a.colorId == b.colorId && a.value == b.value && a.byValue == b.byValue;
}

TEST(MarkerShapes, FactoryMakesEveryKindWithItsClassAndAnchorCount) {
    ExpectKind<QXGraphMarkerPrice>(QX_GRAPH_MARKER_PRICE, 2);
    ExpectKind<QXGraphMarkerPrice>(QX_GRAPH_MARKER_TEXT, 2);
    ExpectKind<QXGraphMarkerText>(QX_GRAPH_MARKER_TEXT, 2);
}

TEST(MarkerShapes, OneClickPlacesThePointAndItsLabelPoint) {
    struct {
        const char* pszName;
        float barWidth;
        float chartBottom;
        float labelPosition;
        double labelPrice;
    } const kCases[] = {
        // Half a bar's gap rounds up to one bar; the label hangs 30 pixels below.
        {"below", 10.0f, 600.0f, 6.0f, 17.0},
        // Within 60 pixels of the bottom the label goes 30 pixels above.
        {"above", 10.0f, 360.0f, 6.0f, 23.0},
        {"narrow bars", 2.0f, 600.0f, 8.0f, 17.0},
        {"wide bars", 50.0f, 600.0f, 6.0f, 17.0},
        // A bar width of no meaning (zero) counts as one pixel per bar.
        {"no width", 0.0f, 600.0f, 10.0f, 17.0},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        coord.m_fChartBottom = c.chartBottom;
        coord.m_fBarWidth = c.barWidth;
        ShapePtr shape = CreateShape(QX_GRAPH_MARKER_PRICE, &coord);
        shape->SetPoints({MakeAnchor(20, 5)});  // at pixel height 300
        const std::vector<QXGraphPoint> vecAnchors = ReadAnchors(*shape);
        ASSERT_EQ(vecAnchors.size(), 2u) << c.pszName;
        ExpectAnchor(vecAnchors[1], c.labelPrice, c.labelPosition, c.pszName);
    }

    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_MARKER_PRICE, &coord);
    EXPECT_TRUE(shape->OnMouseDown(150.0f, 300.0f));
    const std::vector<QXGraphPoint> vecAnchors = ReadAnchors(*shape);
    ASSERT_EQ(vecAnchors.size(), 2u);
    ExpectAnchor(vecAnchors[0], 20.0, 5.0f, "click");
    ExpectAnchor(vecAnchors[1], 17.0, 6.0f, "click");
    EXPECT_EQ(vecAnchors[1].time, 360);
    EXPECT_EQ(shape->GetLabelText(), "20.000");
}

TEST(MarkerShapes, PriceMarkerTextFollowsItsPrice) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_MARKER_PRICE, &coord);
    shape->SetPoints({MakeAnchor(12.3456, 5)});
    EXPECT_EQ(shape->GetLabelText(), "12.346");

    // Dragging the price point to price 25 (pixel height 250).
    ASSERT_TRUE(shape->OnMouseDown(150.0f, coord.ToPixelY(12.3456)));
    ASSERT_EQ(shape->GetSelectedPoint(), 0);
    ASSERT_TRUE(shape->OnMouseDrag(150.0f, coord.ToPixelY(12.3456), 150.0f, 250.0f));
    EXPECT_EQ(shape->GetLabelText(), "25.000");

    // Moving the whole marker 50 pixels down.
    ASSERT_TRUE(shape->OnMouseDown(900.0f, 900.0f));
    ASSERT_TRUE(shape->OnMouseDrag(0.0f, 0.0f, 0.0f, 50.0f));
    EXPECT_EQ(shape->GetLabelText(), "20.000");

    const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
    ASSERT_EQ(info.texts.size(), 1u);
    ASSERT_EQ(info.texts[0].items.size(), 1u);
    EXPECT_EQ(info.texts[0].items[0].text, "20.000");
}

TEST(MarkerShapes, TextRecordsCarryTheLabelAttributes) {
    const QXDrawInfo::QXColor kText = QXDrawInfo::GetColorByValue(0x010101);
    const QXDrawInfo::QXColor kSecond = QXDrawInfo::GetColorByValue(0x020202);
    const QXDrawInfo::QXColor kFill = QXDrawInfo::GetColorByValue(0x030303);
    const QXDrawInfo::QXColor kLine = QXDrawInfo::GetColorByValue(0x040404);
    for (QX_GRAPH_TYPE eType : {QX_GRAPH_MARKER_PRICE, QX_GRAPH_MARKER_TEXT}) {
        const std::string strWhat = "kind " + std::to_string(eType);
        const bool bText = eType == QX_GRAPH_MARKER_TEXT;
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(eType, &coord);
        shape->SetLabelWidth(60);
        ASSERT_TRUE(shape->OnMouseDown(150.0f, 300.0f)) << strWhat;
        shape->SetLabelText("note");
        shape->SetLabelFontSize(15);
        shape->SetLabelMode(3);
        shape->SetLabelFontName("Serif");
        shape->SetLabelTextColor(kText);
        shape->SetLabelSecondColor(kSecond);
        shape->SetFillColor(kFill);
        shape->SetLineColor(kLine);

        const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape->GetGraphDrawInfo();
        ASSERT_EQ(vecInfos.size(), 1u) << strWhat;
        EXPECT_TRUE(vecInfos[0].curves.empty()) << strWhat;
        ASSERT_EQ(vecInfos[0].texts.size(), 1u) << strWhat;
        const QXDrawInfo::TextDrawInfo& text = vecInfos[0].texts[0];
        EXPECT_TRUE(SameColor(text.textColor, kText)) << strWhat;
        // The text marker's box is outlined in the line colour.
        EXPECT_TRUE(SameColor(text.secondColor, bText ? kLine : kSecond)) << strWhat;
        EXPECT_TRUE(SameColor(text.fillColor, kFill)) << strWhat;
        EXPECT_FLOAT_EQ(text.fontSize, 15.0f) << strWhat;
        EXPECT_EQ(text.style, 17) << strWhat;
        EXPECT_EQ(text.fontName, "Serif") << strWhat;
        EXPECT_EQ(text.mode, 3) << strWhat;
        EXPECT_EQ(text.extra, bText ? 60 : 0) << strWhat;
        ASSERT_EQ(text.items.size(), 1u) << strWhat;
        EXPECT_EQ(text.items[0].text, "note") << strWhat;
        EXPECT_EQ(text.items[0].flags, 1) << strWhat;
        EXPECT_NEAR(text.items[0].position.value, 17.0, 1e-4) << strWhat;  // the label point
        EXPECT_FLOAT_EQ(text.items[0].position.position, 6.0f) << strWhat;
    }
}

TEST(MarkerShapes, LabelOperationsBelongToTheMarkersOnly) {
    for (QX_GRAPH_TYPE eType :
         {QX_GRAPH_MARKER_PRICE, QX_GRAPH_MARKER_TEXT, QX_GRAPH_LINE_SEGMENT}) {
        const std::string strWhat = "kind " + std::to_string(eType);
        const bool bMarker = eType != QX_GRAPH_LINE_SEGMENT;
        ShapePtr shape(QXGraphInterface::CreateGraphShape(eType));
        if (bMarker) {
            // Defaults: font size 12, empty colours and texts.
            EXPECT_EQ(shape->GetLabelFontSize(), 12) << strWhat;
            EXPECT_TRUE(SameColor(shape->GetLabelTextColor(), QXDrawInfo::QXColor())) << strWhat;
            EXPECT_TRUE(SameColor(shape->GetLineColor(), QXDrawInfo::QXColor())) << strWhat;
            EXPECT_TRUE(SameColor(shape->GetFillColor(), QXDrawInfo::QXColor())) << strWhat;
        }
        shape->SetLabelText("abc");
        shape->SetLabelFontSize(9);
        shape->SetLabelMode(2);
        shape->SetLabelWidth(77);
        shape->SetLabelFontName("Mono");
        shape->SetLabelTextColor(QXDrawInfo::GetColorByValue(5));
        shape->SetLabelSecondColor(QXDrawInfo::GetColorByValue(6));
        EXPECT_EQ(shape->GetLabelText(), bMarker ? "abc" : "") << strWhat;
        EXPECT_EQ(shape->GetLabelFontSize(), bMarker ? 9 : 0) << strWhat;
        EXPECT_EQ(shape->GetLabelMode(), bMarker ? 2 : 0) << strWhat;
        // Only the text marker has a box width.
        EXPECT_EQ(shape->GetLabelWidth(), eType == QX_GRAPH_MARKER_TEXT ? 77 : 0) << strWhat;
        EXPECT_EQ(shape->GetLabelFontName(), bMarker ? "Mono" : "") << strWhat;
        const QXDrawInfo::QXColor kDefault = QXDrawInfo::GetDefaultColor();
        EXPECT_EQ(shape->GetLabelTextColor().value, bMarker ? 5 : kDefault.value) << strWhat;
        EXPECT_EQ(shape->GetLabelSecondColor().value, bMarker ? 6 : kDefault.value) << strWhat;
    }
}

TEST(MarkerShapes, TextMarkerDrawsOnlyWithAText) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_MARKER_TEXT, &coord);
    ASSERT_TRUE(shape->OnMouseDown(150.0f, 300.0f));
    EXPECT_EQ(ReadAnchors(*shape).size(), 3u);
    EXPECT_EQ(shape->GetLabelText(), "");  // the price is not written into it
    EXPECT_TRUE(shape->GetGraphDrawInfo().empty());
    shape->SetLabelText("x");
    EXPECT_EQ(shape->GetGraphDrawInfo().size(), 1u);
}

TEST(MarkerShapes, DraggingTheBoxEndSetsTheWidthOfAtLeastFortyPixels) {
    struct {
        float dragToX;
        int nWidth;
        float boxEndPosition;
    } const kCases[] = {
        // The label point sits at pixel x 160 (position 6).
        {170.0f, 40, 10.0f},   // 10 pixels right of the label point
        {100.0f, 40, 10.0f},   // left of it
        {310.0f, 150, 21.0f},  // 150 pixels
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(QX_GRAPH_MARKER_TEXT, &coord);
        shape->SetLabelWidth(60);
        ASSERT_TRUE(shape->OnMouseDown(150.0f, 300.0f));
        std::vector<QXGraphPoint> vecAnchors = ReadAnchors(*shape);
        ASSERT_EQ(vecAnchors.size(), 3u);
        ExpectAnchor(vecAnchors[2], 17.0, 12.0f, "box end");

        ASSERT_TRUE(shape->OnMouseDown(220.0f, 330.0f));
        ASSERT_EQ(shape->GetSelectedPoint(), 2);
        ASSERT_TRUE(shape->OnMouseDrag(220.0f, 330.0f, c.dragToX, 200.0f));
        EXPECT_EQ(shape->GetLabelWidth(), c.nWidth) << c.dragToX;
        vecAnchors = ReadAnchors(*shape);
        ASSERT_EQ(vecAnchors.size(), 3u);
        // The end stays level with the label point, whatever the mouse height.
        ExpectAnchor(vecAnchors[2], 17.0, c.boxEndPosition, "dragged box end");
    }
}

TEST(MarkerShapes, BoxEndFollowsTheLabelPoint) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_MARKER_TEXT, &coord);
    shape->SetLabelWidth(60);
    ASSERT_TRUE(shape->OnMouseDown(150.0f, 300.0f));
    shape->SetLabelText("keep");
    ASSERT_TRUE(shape->OnMouseDown(160.0f, 330.0f));
    ASSERT_EQ(shape->GetSelectedPoint(), 1);
    ASSERT_TRUE(shape->OnMouseDrag(160.0f, 330.0f, 200.0f, 250.0f));  // position 10, price 25
    const std::vector<QXGraphPoint> vecAnchors = ReadAnchors(*shape);
    ASSERT_EQ(vecAnchors.size(), 3u);
    ExpectAnchor(vecAnchors[1], 25.0, 10.0f, "label point");
    ExpectAnchor(vecAnchors[2], 25.0, 16.0f, "box end");
    EXPECT_EQ(vecAnchors[2].time, 960);
    EXPECT_EQ(shape->GetLabelText(), "keep");
}

}  // namespace
