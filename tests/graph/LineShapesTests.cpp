// Records of the line tools against the fake converter's linear mapping
// (10 pixels per bar, 10 pixels per price unit, prices growing upwards).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "QXGraphInterface.h"

namespace {

QXGraphPoint MakeAnchor(double price, float position) {
    QXGraphPoint point;
    point.price = price;
    point.position = position;
    return point;
}

struct CShapeDeleter {
    void operator()(IQXGraphShapeBase* pShape) const {
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
};
using ShapePtr = std::unique_ptr<IQXGraphShapeBase, CShapeDeleter>;

ShapePtr CreateShape(QX_GRAPH_TYPE eType, CFakeCoordinate* pCoord) {
    ShapePtr shape(QXGraphInterface::CreateGraphShape(eType));
    if (shape) shape->SetCoordinate(pCoord);
    return shape;
}

// The lines of the single curve record that a line tool draws.
std::vector<CDrawnLine> DrawLines(IQXGraphShapeBase& shape, const std::string& strWhat) {
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    EXPECT_EQ(vecInfos.size(), 1u) << strWhat;
    if (vecInfos.size() != 1 || vecInfos[0].curves.size() != 1) {
        ADD_FAILURE() << strWhat << ": expected one curve record";
        return {};
    }
    EXPECT_EQ(vecInfos[0].drawOrder.size(), vecInfos[0].curves[0].items.size()) << strWhat;
    return ReadCurveLines(vecInfos[0].curves[0]);
}

std::vector<CDrawnLine> PeriodLines(double price, float first, float period) {
    std::vector<CDrawnLine> vecLines;
    for (int i = 0; i < 20; ++i) {
        const float position = first + static_cast<float>(i) * period;
        vecLines.push_back({{{price, position}, {price + 1.0, position}}, true, true});
    }
    return vecLines;
}

TEST(LineShapes, CompleteShapesDrawTheirDocumentedLines) {
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<QXGraphPoint> vecAnchors;
        std::vector<CDrawnLine> vecExpected;
    } const kCases[] = {
        {QX_GRAPH_LINE_SEGMENT,
         {MakeAnchor(10, 1), MakeAnchor(12, 3)},
         {{{{10, 1}, {12, 3}}, false, false}}},
        {QX_GRAPH_LINE_SEGMENT_HORIZONTAL,
         {MakeAnchor(10, 1), MakeAnchor(12, 3)},
         {{{{10, 1}, {10, 3}}, false, false}}},
        {QX_GRAPH_LINE_SEGMENT_VERTICAL,
         {MakeAnchor(10, 1), MakeAnchor(12, 3)},
         {{{{10, 1}, {12, 1}}, false, false}}},
        {QX_GRAPH_LINE_RAY,
         {MakeAnchor(10, 5), MakeAnchor(12, 7)},
         {{{{10, 5}, {12, 7}}, false, true}}},
        {QX_GRAPH_LINE_STRAIGHT,
         {MakeAnchor(10, 5), MakeAnchor(12, 7)},
         {{{{10, 5}, {12, 7}}, true, true}}},
        {QX_GRAPH_LINE_STRAIGHT_HORIZONTAL,
         {MakeAnchor(20.5, 3)},
         {{{{20.5, 3}, {20.5, 4}}, true, true}}},
        {QX_GRAPH_LINE_PARALLEL,
         {MakeAnchor(10, 0), MakeAnchor(20, 10), MakeAnchor(15, 4)},
         {{{{10, 0}, {20, 10}}, true, true}, {{{15, 4}, {5, -6}}, true, true}}},
        {QX_GRAPH_LINE_AISLE,
         {MakeAnchor(10, 0), MakeAnchor(20, 10), MakeAnchor(15, 4)},
         {{{{10, 0}, {20, 10}}, true, true},
          {{{15, 4}, {5, -6}}, true, true},
          {{{0, -12}, {-10, -22}}, true, true}}},
        {QX_GRAPH_LINE_PERIOD, {MakeAnchor(10, 10), MakeAnchor(12, 13)}, PeriodLines(10, 10, 3)},
        // Whole bars: 10.4 and 12.6 become 10 and 13.
        {QX_GRAPH_LINE_PERIOD,
         {MakeAnchor(10, 10.4f), MakeAnchor(12, 12.6f)},
         PeriodLines(10, 10, 3)},
        {QX_GRAPH_LINE_PERIOD, {MakeAnchor(10, 30), MakeAnchor(12, 28)}, PeriodLines(10, 30, -2)},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        ASSERT_TRUE(shape);
        shape->SetPoints(c.vecAnchors);
        ExpectSameLines(DrawLines(*shape, strWhat), c.vecExpected, strWhat);
    }
}

TEST(LineShapes, ShapesBeingPlacedDrawUpToTheMouse) {
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<CDrawnLine> vecExpected;
    } const kCases[] = {
        // Anchor and tracking point give two points, not the one-point form.
        {QX_GRAPH_LINE_STRAIGHT, {{{{10, 1}, {15, 5}}, true, true}}},
        // Without the third point only the base line shows.
        {QX_GRAPH_LINE_PARALLEL, {{{{10, 1}, {15, 5}}, true, true}}},
        {QX_GRAPH_LINE_AISLE, {{{{10, 1}, {15, 5}}, true, true}}},
        {QX_GRAPH_LINE_RAY, {{{{10, 1}, {15, 5}}, false, true}}},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        ASSERT_FALSE(shape->OnMouseDown(110.0f, 400.0f));
        shape->OnMouseMove(150.0f, 350.0f);
        ExpectSameLines(DrawLines(*shape, strWhat), c.vecExpected, strWhat);
    }
}

TEST(LineShapes, HorizontalLineIsPlacedAndDrawnWithOneClick) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_LINE_STRAIGHT_HORIZONTAL, &coord);
    shape->OnMouseMove(130.0f, 295.0f);  // before the click the line follows the mouse
    ExpectSameLines(DrawLines(*shape, "tracking"), {{{{20.5, 3}, {20.5, 4}}, true, true}},
                    "tracking");
    EXPECT_TRUE(shape->OnMouseDown(140.0f, 300.0f));
    ExpectSameLines(DrawLines(*shape, "placed"), {{{{20, 4}, {20, 5}}, true, true}}, "placed");
}

TEST(LineShapes, CurveRecordCarriesTheUserStyle) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_LINE_AISLE, &coord);
    shape->SetPoints({MakeAnchor(10, 0), MakeAnchor(20, 10), MakeAnchor(15, 4)});
    shape->SetLineWidth(3);
    shape->SetLineStyle(2);
    shape->SetLineColor(QXDrawInfo::GetColorByValue(0x123456));
    const QXDrawInfo::CurveDrawInfo& curve = shape->GetGraphDrawInfo().at(0).curves.at(0);
    EXPECT_FLOAT_EQ(curve.lineWidth, 3.0f);
    EXPECT_EQ(curve.lineStyle, 3);
    EXPECT_EQ(curve.fillStyle, FILL_STYLE_NONE);
    EXPECT_TRUE(curve.lineColor.byValue);
    EXPECT_EQ(curve.lineColor.value, 0x123456);
}

TEST(LineShapes, ChannelWithoutConverterStillDrawsWithZeroPrices) {
    ShapePtr shape(QXGraphInterface::CreateGraphShape(QX_GRAPH_LINE_AISLE));
    shape->SetPoints({MakeAnchor(10, 0), MakeAnchor(20, 10), MakeAnchor(15, 4)});
    const std::vector<CDrawnLine> vecLines = DrawLines(*shape, "no converter");
    ASSERT_EQ(vecLines.size(), 3u);
    EXPECT_EQ(vecLines[1].vecPoints[1].price, 0.0);
    EXPECT_FLOAT_EQ(vecLines[1].vecPoints[1].position, -6.0f);
}

}  // namespace
