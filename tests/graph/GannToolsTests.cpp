// Records of the Gann tools against the fake converter's linear mapping
// (x = 100 + 10 * position, y = 500 - 10 * price), and the factory rows of the
// Fibonacci and Gann kinds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DrawnLabels.h"
#include "DrawnLines.h"
#include "FakeCoordinate.h"
#include "PlacedShape.h"
#include "graph/FibonacciTools.h"
#include "graph/GannTools.h"

namespace {

constexpr int64_t kFirstCurve = 10000000;
constexpr int64_t kSecondCurve = 10000001;
constexpr int64_t kFirstText = 50000000;

int64_t Key(int64_t handle, int64_t nItem) {
    return handle * 100000000 + nItem;
}

template <typename TShape>
bool IsA(IQXGraphShapeBase* pShape) {
    return dynamic_cast<TShape*>(pShape) != nullptr;
}

TEST(SpeedResistance, RaysEndAtTheRoundedThirdsOfThePriceMove) {
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_SPEED_RESISTANCE, &coord,
                                       {MakeAnchor(10, 0), MakeAnchor(20, 10)});
    // The fixed record styles ignore the user's style, not the width.
    shape->SetLineStyle(3);
    shape->SetLineWidth(2);
    const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
    ASSERT_EQ(info.curves.size(), 2u);
    EXPECT_EQ(info.curves[0].lineStyle, LINE_STYLE_SOLID);
    EXPECT_EQ(info.curves[1].lineStyle, LINE_STYLE_DASH);
    EXPECT_FLOAT_EQ(info.curves[1].lineWidth, 2.0f);
    ExpectSameLines(ReadCurveLines(info.curves[0]), {{{{10, 0}, {20, 10}}, false, true}},
                    "through the anchors");
    ExpectSameLines(ReadCurveLines(info.curves[1]),
                    {{{{10, 0}, {13.33, 10}}, false, true}, {{{10, 0}, {16.67, 10}}, false, true}},
                    "thirds", 1e-9);
}

TEST(GannFan, NineLabelledRaysFromTheFirstAnchor) {
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GANN_FAN, &coord,
                                       {MakeAnchor(10, 0), MakeAnchor(20, 8)});
    shape->SetLineStyle(2);
    const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
    ASSERT_EQ(info.curves.size(), 1u);
    ASSERT_EQ(info.texts.size(), 1u);
    EXPECT_EQ(info.curves[0].lineStyle, LINE_STYLE_DOT);  // the user's style, translated

    // Steep rays reach the second anchor's price at fractions of its distance,
    // flat rays its distance at fractions of its price move.
    const std::vector<CDrawnLabel> vecTargets = {
        {20, 8, "1/1"},    {20, 1, "1/8"},   {20, 2, "1/4"},    {20, 2.664f, "1/3"}, {20, 4, "1/2"},
        {11.25, 8, "1/8"}, {12.5, 8, "1/4"}, {13.33, 8, "1/3"}, {15, 8, "1/2"},
    };
    std::vector<CDrawnLine> vecRays;
    for (const CDrawnLabel& target : vecTargets) {
        vecRays.push_back({{{10, 0}, {target.price, target.position}}, false, true});
    }
    ExpectSameLines(ReadCurveLines(info.curves[0]), vecRays, "fan rays");
    ExpectSameLabels(info.texts[0], vecTargets, "fan labels");
    ExpectLabelRecordStyle(info.texts[0], shape->GetLineColor());

    // Each label comes just before its ray.
    std::vector<int64_t> vecOrder;
    for (int i = 0; i < 9; ++i) {
        vecOrder.push_back(Key(kFirstText, i));
        vecOrder.push_back(Key(kFirstCurve, i));
    }
    EXPECT_EQ(info.drawOrder, vecOrder);
}

TEST(GannBox, OutlineDiagonalsAndQuarterLinesInDrawingOrder) {
    CFakeCoordinate coord;
    ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_GANN_BOX, &coord,
                                       {MakeAnchor(10, 0), MakeAnchor(20, 8)});
    const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
    ASSERT_EQ(info.curves.size(), 2u);
    EXPECT_EQ(info.curves[0].lineStyle, LINE_STYLE_SOLID);
    EXPECT_EQ(info.curves[1].lineStyle, LINE_STYLE_DASH);
    // Corners: P0 (10, 0), A (20, 0), P1 (20, 8), B (10, 8).
    ExpectSameLines(ReadCurveLines(info.curves[0]),
                    {{{{10, 0}, {20, 0}, {20, 8}, {10, 8}, {10, 0}}, false, false},
                     {{{10, 0}, {20, 8}}, false, false},
                     {{{20, 0}, {10, 8}}, false, false}},
                    "outline and diagonals");
    ExpectSameLines(ReadCurveLines(info.curves[1]),
                    {{{{10, 0}, {20, 2}}, false, false},
                     {{{10, 0}, {20, 4}}, false, false},
                     {{{10, 0}, {12.5, 8}}, false, false},
                     {{{10, 0}, {15, 8}}, false, false},
                     {{{20, 0}, {10, 2}}, false, false},
                     {{{20, 0}, {10, 4}}, false, false},
                     {{{20, 0}, {17.5, 8}}, false, false},
                     {{{20, 0}, {15, 8}}, false, false}},
                    "quarter lines");
    // Outline, first diagonal, the first corner's quarter lines, the other
    // diagonal, the other corner's quarter lines.
    const std::vector<int64_t> vecOrder = {
        Key(kFirstCurve, 0),  Key(kFirstCurve, 1),  Key(kSecondCurve, 0), Key(kSecondCurve, 1),
        Key(kSecondCurve, 2), Key(kSecondCurve, 3), Key(kFirstCurve, 2),  Key(kSecondCurve, 4),
        Key(kSecondCurve, 5), Key(kSecondCurve, 6), Key(kSecondCurve, 7)};
    EXPECT_EQ(info.drawOrder, vecOrder);
}

TEST(DigestionPoint, JoinsBothAnchorsToThePointTheAnglesGive) {
    struct {
        QXGraphPoint p0;
        QXGraphPoint p1;
        CDrawnPoint d;  // worked out by hand from the pixel formulas
    } const kCases[] = {
        {MakeAnchor(10, 0), MakeAnchor(20, 8), {17.2706449, -16.6005377f}},
        {MakeAnchor(10, 0), MakeAnchor(10, 10), {23.6689351, -3.6645032f}},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        ShapePtr shape = CreatePlacedShape(QX_GRAPH_COMPLEX_DIGESTION_POINT, &coord, {c.p0, c.p1});
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        ASSERT_EQ(info.curves.size(), 2u);
        const CDrawnPoint p0{c.p0.price, c.p0.position};
        const CDrawnPoint p1{c.p1.price, c.p1.position};
        ExpectSameLines(ReadCurveLines(info.curves[0]), {{{p0, p1}, false, false}}, "anchors");
        ExpectSameLines(ReadCurveLines(info.curves[1]),
                        {{{p0, c.d}, false, false}, {{p1, c.d}, false, false}}, "to D");
    }
}

// A converter that answers nothing: the pixel constructions take zeros, and
// nothing fails.
class CSilentCoordinate : public CFakeCoordinate {
public:
    CSilentCoordinate() {
        for (EOperation eOp : {kPixelToPrice, kPriceToPixel, kPixelToPosition, kPositionToPixel}) {
            Refuse(eOp);
        }
    }
};

TEST(GannTools, RefusedConversionsLeaveZerosAndStillDraw) {
    for (QX_GRAPH_TYPE eType :
         {QX_GRAPH_COMPLEX_GANN_BOX, QX_GRAPH_COMPLEX_GANN_FAN, QX_GRAPH_COMPLEX_DIGESTION_POINT}) {
        CSilentCoordinate coord;
        ShapePtr shape = CreatePlacedShape(eType, &coord, {MakeAnchor(10, 0), MakeAnchor(20, 8)});
        const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);
        ASSERT_FALSE(info.curves.empty()) << eType;
        const std::vector<CDrawnLine> vecLines = ReadCurveLines(info.curves.back());
        ASSERT_FALSE(vecLines.empty()) << eType;
        const CDrawnPoint& constructed = vecLines.back().vecPoints.back();
        EXPECT_EQ(constructed.price, 0.0) << eType;
        EXPECT_EQ(constructed.position, 0.0f) << eType;
    }
}

TEST(FibonacciAndGannKinds, FactoryCreatesEachClassWithItsKindAndPointCount) {
    struct {
        QX_GRAPH_TYPE eType;
        int nPoints;
        bool (*pfnIsClass)(IQXGraphShapeBase*);
    } const kCases[] = {
        {QX_GRAPH_COMPLEX_SPEED_RESISTANCE, 2, &IsA<QXGraphComplexSpeedResistance>},
        {QX_GRAPH_COMPLEX_GANN_BOX, 2, &IsA<QXGraphComplexGannBox>},
        {QX_GRAPH_COMPLEX_GANN_FAN, 2, &IsA<QXGraphComplexGannFan>},
        {QX_GRAPH_COMPLEX_FIB_CHANNEL, 3, &IsA<QXGraphComplexFibChannel>},
        {QX_GRAPH_COMPLEX_DIGESTION_POINT, 2, &IsA<QXGraphComplexDigestionPoint>},
        {QX_GRAPH_COMPLEX_FIB_TIME_ZONE, 2, &IsA<QXGraphComplexFibTimeZone>},
        {QX_GRAPH_COMPLEX_GOLDEN_SECTION, 2, &IsA<QXGraphComplexGoldenSection>},
    };
    for (const auto& c : kCases) {
        ShapePtr shape(QXGraphInterface::CreateGraphShape(c.eType));
        ASSERT_TRUE(shape) << c.eType;
        EXPECT_EQ(shape->GetGraphType(), c.eType);
        EXPECT_TRUE(c.pfnIsClass(shape.get())) << c.eType;
        EXPECT_EQ(static_cast<QXGraphShapeBase*>(shape.get())->GetNeedPointCount(), c.nPoints)
            << c.eType;
        // Placed with as many clicks as it needs; only the last one completes it.
        CFakeCoordinate coord;
        shape->SetCoordinate(&coord);
        for (int i = 1; i <= c.nPoints; ++i) {
            EXPECT_EQ(shape->OnMouseDown(coord.ToPixelX(static_cast<float>(2 * i)),
                                         coord.ToPixelY(10.0 + i)),
                      i == c.nPoints)
                << c.eType << ", click " << i;
        }
        EXPECT_EQ(shape->GetGraphDrawInfo().size(), 1u) << c.eType;
    }
}

}  // namespace
