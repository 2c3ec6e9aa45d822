// Arrow shafts and heads against the fake converter's linear mapping (10 pixels
// per bar from x = 100, 10 pixels per price unit up from y = 500). Heads are
// checked in pixels against a direct construction: the unit vector from the tip
// back along the shaft, turned 30 degrees each way and stretched to 10 pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "ShapeTesting.h"
#include "graph/ArrowHead.h"
#include "graph/ArrowShapes.h"
#include "graph/GraphGeometry.h"

namespace {

constexpr double kThirtyDegrees = 0.5235987755982988;

struct CPixel {
    double x;
    double y;
};

// Wing ends for a shaft from `from` to `to` (pixels): the first turned one way,
// the second the other, matching the order in which the tools add them.
void ExpectedWings(CPixel from, CPixel to, CPixel* pWing1, CPixel* pWing2) {
    const double length = std::hypot(from.x - to.x, from.y - to.y);
    const double bx = (from.x - to.x) / length;
    const double by = (from.y - to.y) / length;
    const double c = std::cos(kThirtyDegrees);
    const double s = std::sin(kThirtyDegrees);
    *pWing1 = {to.x + 10.0 * (bx * c - by * s), to.y + 10.0 * (bx * s + by * c)};
    *pWing2 = {to.x + 10.0 * (bx * c + by * s), to.y + 10.0 * (-bx * s + by * c)};
}

CPixel ToPixel(const CFakeCoordinate& coord, const CDrawnPoint& point) {
    return {coord.ToPixelX(point.position), coord.ToPixelY(point.price)};
}

// Shaft and head segments of the single curve record of an arrow.
std::vector<CDrawnLine> DrawArrow(IQXGraphShapeBase& shape, const std::string& strWhat) {
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    if (vecInfos.size() != 1 || vecInfos[0].curves.size() != 1) {
        ADD_FAILURE() << strWhat << ": expected one picture with one curve record";
        return {};
    }
    return ReadCurveLines(vecInfos[0].curves[0]);
}

// Shaft tail-tip, then the two wings, each a plain segment from the tip.
void ExpectArrow(const CFakeCoordinate& coord, const std::vector<CDrawnLine>& vecLines,
                 CDrawnPoint tail, CDrawnPoint tip, const std::string& strWhat) {
    ASSERT_EQ(vecLines.size(), 3u) << strWhat;
    ExpectSameLines({vecLines[0]}, {{{tail, tip}, false, false}}, strWhat + " shaft");
    CPixel wing1{};
    CPixel wing2{};
    ExpectedWings(ToPixel(coord, tail), ToPixel(coord, tip), &wing1, &wing2);
    const CPixel expected[] = {wing1, wing2};
    for (int i = 0; i < 2; ++i) {
        const CDrawnLine& wing = vecLines[1 + i];
        ASSERT_EQ(wing.vecPoints.size(), 2u) << strWhat;
        EXPECT_FALSE(wing.bExtendStart || wing.bExtendEnd) << strWhat;
        EXPECT_NEAR(wing.vecPoints[0].price, tip.price, 1e-4) << strWhat;
        EXPECT_NEAR(wing.vecPoints[0].position, tip.position, 1e-4) << strWhat;
        const CPixel end = ToPixel(coord, wing.vecPoints[1]);
        EXPECT_NEAR(end.x, expected[i].x, 1e-3) << strWhat << ", wing " << i + 1;
        EXPECT_NEAR(end.y, expected[i].y, 1e-3) << strWhat << ", wing " << i + 1;
    }
}

TEST(ArrowShapes, FactoryMakesEveryKindWithItsClassAndAnchorCount) {
    ExpectKind<QXGraphArrow>(QX_GRAPH_ARROW, 2);
    ExpectKind<QXGraphRiseArrow>(QX_GRAPH_RISE_ARROW, 1);
    ExpectKind<QXGraphDropArrow>(QX_GRAPH_DROP_ARROW, 1);
}

TEST(ArrowShapes, HeadPointsBackAlongTheShaftInEveryDirection) {
    struct {
        const char* pszName;
        CDrawnPoint tail;
        CDrawnPoint tip;
    } const kCases[] = {
        {"right", {10, 1}, {10, 5}},      {"left", {10, 5}, {10, 1}},
        {"up", {10, 3}, {14, 3}},         {"down", {14, 3}, {10, 3}},
        {"up-right", {10, 1}, {13, 5}},   {"down-left", {13, 5}, {10, 1}},
        {"down-right", {13, 1}, {10, 5}}, {"steep", {10, 2}, {30, 2.5f}},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(QX_GRAPH_ARROW, &coord);
        shape->SetPoints(
            {MakeAnchor(c.tail.price, c.tail.position), MakeAnchor(c.tip.price, c.tip.position)});
        ExpectArrow(coord, DrawArrow(*shape, c.pszName), c.tail, c.tip, c.pszName);
    }
}

TEST(ArrowShapes, CoincidingPointsDrawOnlyTheShaftInSolidStyle) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_ARROW, &coord);
    shape->SetLineStyle(2);  // arrows ignore the user's dashes
    shape->SetPoints({MakeAnchor(10, 4), MakeAnchor(10, 4)});
    ExpectSameLines(DrawArrow(*shape, "coinciding"), {{{{10, 4}, {10, 4}}, false, false}},
                    "coinciding");
    EXPECT_EQ(shape->GetGraphDrawInfo().at(0).curves.at(0).lineStyle, LINE_STYLE_SOLID);

    // Points a fraction of a bar apart still have a direction.
    shape->SetPoints({MakeAnchor(10, 4), MakeAnchor(10, 4.001f)});
    EXPECT_EQ(DrawArrow(*shape, "near").size(), 3u);
}

TEST(ArrowShapes, OneClickArrowsHaveATwentyPixelVerticalShaft) {
    struct {
        QX_GRAPH_TYPE eType;
        CDrawnPoint tail;
        CDrawnPoint tip;
    } const kCases[] = {
        // The click lands on price 20, position 5; 20 pixels are 2 price units.
        {QX_GRAPH_RISE_ARROW, {20, 5}, {22, 5}},
        {QX_GRAPH_DROP_ARROW, {22, 5}, {20, 5}},
    };
    for (const auto& c : kCases) {
        const std::string strWhat = "kind " + std::to_string(c.eType);
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(c.eType, &coord);
        // Before the click the arrow follows the mouse.
        shape->OnMouseMove(130.0f, 400.0f);
        EXPECT_NEAR(DrawArrow(*shape, strWhat).at(0).vecPoints.at(0).position, 3.0f, 1e-5);
        EXPECT_TRUE(shape->OnMouseDown(150.0f, 300.0f)) << strWhat;
        ExpectArrow(coord, DrawArrow(*shape, strWhat), c.tail, c.tip, strWhat);
    }
}

TEST(ArrowHead, IsRefusedForCoincidingPointsAndWithoutAnOutput) {
    CFakeCoordinate coord;
    GraphGeometry::QXArrowHead head;
    const QXDrawInfo::QXPoint point = GraphGeometry::MakeDrawPoint(10.0, 4.0f);
    EXPECT_FALSE(GraphGeometry::MakeArrowHead(&coord, point, point, &head));
    EXPECT_FALSE(GraphGeometry::MakeArrowHead(&coord, point,
                                              GraphGeometry::MakeDrawPoint(11.0, 4.0f), nullptr));
    // Without a converter every pixel is 0: a head is still made, of zeros.
    EXPECT_TRUE(GraphGeometry::MakeArrowHead(nullptr, point,
                                             GraphGeometry::MakeDrawPoint(11.0, 4.0f), &head));
}

}  // namespace
