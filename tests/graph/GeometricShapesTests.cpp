// Records of the closed figures against the fake converter's linear mapping
// (10 pixels per bar from x = 100, 10 pixels per price unit up from y = 500).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "ShapeTesting.h"
#include "graph/GeometricShapes.h"

namespace {

// The one outline of a figure, read from its single curve record.
std::vector<CDrawnLine> DrawOutline(IQXGraphShapeBase& shape, const std::string& strWhat) {
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    if (vecInfos.size() != 1 || vecInfos[0].curves.size() != 1 || !vecInfos[0].ellipses.empty()) {
        ADD_FAILURE() << strWhat << ": expected one picture with one curve record";
        return {};
    }
    return ReadCurveLines(vecInfos[0].curves[0]);
}

// The points of the one ellipse item of a circle or ellipse.
std::vector<CDrawnPoint> DrawEllipsePoints(IQXGraphShapeBase& shape, const std::string& strWhat) {
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    if (vecInfos.size() != 1 || vecInfos[0].ellipses.size() != 1 ||
        vecInfos[0].ellipses[0].items.size() != 1 || !vecInfos[0].curves.empty()) {
        ADD_FAILURE() << strWhat << ": expected one picture with one ellipse item";
        return {};
    }
    std::vector<CDrawnPoint> vecPoints;
    for (const QXDrawInfo::QXPoint& point : vecInfos[0].ellipses[0].items[0].GetPoint()) {
        vecPoints.push_back({point.value, point.position});
    }
    return vecPoints;
}

void ExpectSamePoints(const std::vector<CDrawnPoint>& vecActual,
                      const std::vector<CDrawnPoint>& vecExpected, const std::string& strWhat) {
    ExpectSameLines({{vecActual, false, false}}, {{vecExpected, false, false}}, strWhat);
}

TEST(GeometricShapes, FactoryMakesEveryKindWithItsClassAndAnchorCount) {
    ExpectKind<QXGraphShapeTriangle>(QX_GRAPH_SHAPE_TRIANGLE, 3);
    ExpectKind<QXGraphShapeRetangle>(QX_GRAPH_SHAPE_RETANGLE, 2);
    ExpectKind<QXGraphShapeParallelogram>(QX_GRAPH_SHAPE_PARALLELOGRAM, 3);
    // The circle takes the horizontal segment's same-price rule by derivation.
    ExpectKind<QXGraphLineSegmentHorizontal>(QX_GRAPH_SHAPE_CIRCLE, 2);
    ExpectKind<QXGraphShapeElipse>(QX_GRAPH_SHAPE_ELIPSE, 3);
    ExpectKind<QXGraphShapeParabola>(QX_GRAPH_SHAPE_PARABOLA, 3);
}

TEST(GeometricShapes, CompleteOutlinesFollowTheirCorners) {
    const std::vector<CDrawnLine> kRectangle = {
        {{{10, 2}, {20, 2}, {20, 8}, {10, 8}, {10, 2}}, false, false}};
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<QXGraphPoint> vecAnchors;
        std::vector<CDrawnLine> vecExpected;
    } const kCases[] = {
        {QX_GRAPH_SHAPE_TRIANGLE,
         {MakeAnchor(10, 1), MakeAnchor(20, 5), MakeAnchor(12, 9)},
         {{{{10, 1}, {20, 5}, {12, 9}, {10, 1}}, false, false}}},
        {QX_GRAPH_SHAPE_RETANGLE, {MakeAnchor(10, 2), MakeAnchor(20, 8)}, kRectangle},
        // The third point of the parabola is kept but never drawn.
        {QX_GRAPH_SHAPE_PARABOLA,
         {MakeAnchor(10, 2), MakeAnchor(20, 8), MakeAnchor(55, 30)},
         kRectangle},
        {QX_GRAPH_SHAPE_PARABOLA,
         {MakeAnchor(10, 2), MakeAnchor(20, 8), MakeAnchor(0, 0)},
         kRectangle},
        // Fourth corner: position 14 - (10 - 0), price 15 - (20 - 10).
        {QX_GRAPH_SHAPE_PARALLELOGRAM,
         {MakeAnchor(10, 0), MakeAnchor(20, 10), MakeAnchor(15, 14)},
         {{{{10, 0}, {20, 10}, {15, 14}, {5, 4}, {10, 0}}, false, false}}},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        shape->SetPoints(c.vecAnchors);
        ExpectSameLines(DrawOutline(*shape, strWhat), c.vecExpected, strWhat);
    }
}

TEST(GeometricShapes, FiguresBeingPlacedDrawUpToTheMouse) {
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<CDrawnLine> vecExpected;
    } const kCases[] = {
        {QX_GRAPH_SHAPE_TRIANGLE, {{{{10, 1}, {15, 5}, {10, 1}}, false, false}}},
        {QX_GRAPH_SHAPE_PARALLELOGRAM, {{{{10, 1}, {15, 5}}, false, false}}},
        {QX_GRAPH_SHAPE_RETANGLE, {{{{10, 1}, {15, 1}, {15, 5}, {10, 5}, {10, 1}}, false, false}}},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        EXPECT_FALSE(shape->OnMouseDown(110.0f, 400.0f));  // price 10, position 1
        shape->OnMouseMove(150.0f, 350.0f);                // price 15, position 5
        ExpectSameLines(DrawOutline(*shape, strWhat), c.vecExpected, strWhat);
    }
}

TEST(GeometricShapes, EllipseIsPlacedOnAHorizontalAxisAndAPointAboveItsCentre) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_SHAPE_ELIPSE, &coord);
    EXPECT_FALSE(shape->OnMouseDown(110.0f, 400.0f));  // price 10, position 1
    // The mouse is held on the axis; the third point is made up at its centre.
    shape->OnMouseMove(150.0f, 350.0f);
    ExpectSamePoints(DrawEllipsePoints(*shape, "second end"), {{10, 1}, {10, 5}, {10, 3}},
                     "second end");

    EXPECT_FALSE(shape->OnMouseDown(150.0f, 350.0f));
    shape->OnMouseMove(170.0f, 300.0f);  // price 20, but the position stays at the centre
    ExpectSamePoints(DrawEllipsePoints(*shape, "third point"), {{10, 1}, {10, 5}, {20, 3}},
                     "third point");
    EXPECT_TRUE(shape->OnMouseDown(170.0f, 300.0f));
    ExpectSamePoints(DrawEllipsePoints(*shape, "complete"), {{10, 1}, {10, 5}, {20, 3}},
                     "complete");
}

TEST(GeometricShapes, CircleKeepsBothPointsAtOnePriceInTheUserStyle) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_SHAPE_CIRCLE, &coord);
    shape->SetLineStyle(3);
    shape->SetLineWidth(2);
    shape->SetLineColor(QXDrawInfo::GetColorByValue(0x00ABCDEF));
    EXPECT_FALSE(shape->OnMouseDown(110.0f, 400.0f));
    EXPECT_TRUE(shape->OnMouseDown(150.0f, 350.0f));
    ExpectSamePoints(DrawEllipsePoints(*shape, "circle"), {{10, 1}, {10, 5}}, "circle");

    const QXDrawInfo::ElipseDrawInfo& ellipse = shape->GetGraphDrawInfo().at(0).ellipses.at(0);
    EXPECT_EQ(ellipse.lineStyle, 2);  // the client's dash and dot are swapped
    EXPECT_FLOAT_EQ(ellipse.lineWidth, 2.0f);
    EXPECT_EQ(ellipse.fillStyle, FILL_STYLE_NONE);
    EXPECT_EQ(ellipse.lineColor.value, 0x00ABCDEF);
}

}  // namespace
