// The behaviour every tool inherits: placing with the mouse, hit testing,
// dragging, angle snapping, the other point rules and the record cache.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "FakeCoordinate.h"
#include "graph/LineShapes.h"
#include "graph/QXGraphShapeBase.h"

using QXDrawInfo::QXPoint;

namespace {

QXGraphPoint MakeAnchor(double price, float position, int time = 0) {
    QXGraphPoint point;
    point.price = price;
    point.position = position;
    point.time = time;
    return point;
}

// A tool whose anchor count and point rule a test chooses; it counts its draws.
class CTestShape : public QXGraphShapeBase {
public:
    using Rule = void (QXGraphShapeBase::*)();
    using QXGraphShapeBase::AdjustAngleSnap;
    using QXGraphShapeBase::AdjustEllipseAxes;
    using QXGraphShapeBase::AdjustSamePosition;
    using QXGraphShapeBase::AdjustSamePrice;
    using QXGraphShapeBase::AdjustWholeBars;

    CTestShape(int nNeed, Rule pfnRule) : m_nNeed(nNeed), m_pfnRule(pfnRule) {}

    int GetNeedPointCount() const override { return m_nNeed; }
    void Draw(std::vector<QXPoint> vecPoints) override {
        ++m_nDrawCalls;
        m_vecLastDrawn = vecPoints;
        m_vecDrawInfos.emplace_back();
    }
    void AdjustPoints() override {
        if (m_pfnRule != nullptr) (this->*m_pfnRule)();
    }
    QXGraphPoint& Tracking() { return m_ptTracking; }

    int m_nDrawCalls = 0;
    std::vector<QXPoint> m_vecLastDrawn;

private:
    int m_nNeed;
    Rule m_pfnRule;
};

std::vector<QXGraphPoint> ReadAnchors(const IQXGraphShapeBase& shape) {
    std::vector<QXGraphPoint> vecPoints;
    EXPECT_TRUE(shape.GetPoints(vecPoints));
    return vecPoints;
}

// A segment from (price 20, position 10) to (price 10, position 20); under the
// fake's mapping their pixels are (200, 300) and (300, 400).
class CPlacedSegment : public ::testing::Test {
protected:
    void SetUp() override {
        m_shape.SetCoordinate(&m_coord);
        Reset();
    }
    void Reset() {
        m_shape.SetPoints({MakeAnchor(20.0, 10.0f, 600), MakeAnchor(10.0, 20.0f, 1200)});
    }

    CFakeCoordinate m_coord;
    QXGraphLineSegment m_shape;
};

TEST(ShapeMouseProtocol, ClicksPlaceAnchorsUntilCompleteThenOnlyHitTest) {
    CFakeCoordinate coord;
    QXGraphLineSegment shape;
    shape.SetCoordinate(&coord);

    EXPECT_FALSE(shape.OnMouseDown(110.0f, 400.0f));
    shape.OnMouseMove(150.0f, 350.0f);
    std::vector<QXPoint> vecDrawn;
    ASSERT_TRUE(shape.GetDrawPoints(vecDrawn));
    ASSERT_EQ(vecDrawn.size(), 2u);  // the anchor, then the tracking point
    EXPECT_FLOAT_EQ(vecDrawn[1].position, 5.0f);
    EXPECT_DOUBLE_EQ(vecDrawn[1].value, 15.0);
    EXPECT_EQ(shape.GetGraphDrawInfo().size(), 1u);

    EXPECT_TRUE(shape.OnMouseDown(200.0f, 300.0f));
    std::vector<QXGraphPoint> vecAnchors = ReadAnchors(shape);
    ASSERT_EQ(vecAnchors.size(), 2u);
    EXPECT_FLOAT_EQ(vecAnchors[0].position, 1.0f);
    EXPECT_DOUBLE_EQ(vecAnchors[0].price, 10.0);
    EXPECT_EQ(vecAnchors[0].time, 60);
    EXPECT_FLOAT_EQ(vecAnchors[1].position, 10.0f);

    // Complete: clicks only select, moves are ignored, nothing is converted.
    coord.ResetCallCounts();
    EXPECT_TRUE(shape.OnMouseDown(200.0f, 300.0f));
    EXPECT_EQ(shape.GetSelectedPoint(), 1);
    EXPECT_TRUE(shape.OnMouseDown(700.0f, 50.0f));
    EXPECT_EQ(shape.GetSelectedPoint(), -1);
    shape.OnMouseMove(400.0f, 100.0f);
    EXPECT_EQ(ReadAnchors(shape).size(), 2u);
    EXPECT_EQ(coord.GetCallCount(CFakeCoordinate::kPixelToPosition), 0);
    EXPECT_EQ(coord.GetCallCount(CFakeCoordinate::kSnapPoint), 0);
}

TEST(ShapeMouseProtocol, ConverterSnapReplacesThePlainConversion) {
    CFakeCoordinate coord;
    coord.m_bSnap = true;
    coord.m_ptSnap = MakeAnchor(42.0, 7.0f, 99);
    QXGraphLineRay shape;
    shape.SetCoordinate(&coord);

    shape.OnMouseDown(110.0f, 400.0f);
    EXPECT_EQ(coord.m_eLastSnapType, QX_GRAPH_LINE_RAY);
    EXPECT_EQ(coord.m_nLastSnapIndex, 0u);
    shape.OnMouseMove(150.0f, 350.0f);
    EXPECT_EQ(coord.m_nLastSnapIndex, 1u);
    EXPECT_EQ(coord.GetCallCount(CFakeCoordinate::kPixelToPosition), 0);
    EXPECT_EQ(ReadAnchors(shape).at(0).time, 99);
}

TEST(ShapeMouseProtocol, RefusedOrMissingConverterLeavesTheShapeUnchanged) {
    for (CFakeCoordinate::EOperation eOp :
         {CFakeCoordinate::kPixelToPosition, CFakeCoordinate::kPixelToPrice,
          CFakeCoordinate::kPositionToTime, CFakeCoordinate::kOperationCount}) {
        CFakeCoordinate coord;
        QXGraphLineSegment shape;
        if (eOp != CFakeCoordinate::kOperationCount) {
            coord.Refuse(eOp);
            shape.SetCoordinate(&coord);
        }
        EXPECT_FALSE(shape.OnMouseDown(110.0f, 400.0f)) << eOp;
        shape.OnMouseMove(150.0f, 350.0f);
        EXPECT_TRUE(ReadAnchors(shape).empty()) << eOp;
        std::vector<QXPoint> vecDrawn;
        ASSERT_TRUE(shape.GetDrawPoints(vecDrawn));
        EXPECT_EQ(vecDrawn.at(0).position, 0.0f) << eOp;
    }
}

TEST_F(CPlacedSegment, HitTestBoxIsStrictlyUnderFivePixels) {
    struct {
        float dx, dy;
        bool bHit;
    } const kCases[] = {
        {4.9f, 4.9f, true},  {-4.9f, -4.9f, true}, {4.9f, -4.9f, true},  {0.0f, 0.0f, true},
        {5.0f, 0.0f, false}, {0.0f, 5.0f, false},  {-5.0f, 0.0f, false}, {4.9f, 5.0f, false},
    };
    for (const auto& c : kCases) {
        int nIndex = 99;
        EXPECT_EQ(m_shape.HitTestPoint(300.0f + c.dx, 400.0f + c.dy, &nIndex), c.bHit)
            << c.dx << "," << c.dy;
        EXPECT_EQ(nIndex, c.bHit ? 1 : -1) << c.dx << "," << c.dy;
    }
    // Coinciding anchors: the first wins. Unconvertible anchors are never hit.
    int nIndex = -1;
    m_shape.SetPoints({MakeAnchor(20.0, 10.0f), MakeAnchor(20.0, 10.0f)});
    EXPECT_TRUE(m_shape.HitTestPoint(200.0f, 300.0f, &nIndex));
    EXPECT_EQ(nIndex, 0);
    m_coord.Refuse(CFakeCoordinate::kPriceToPixel);
    EXPECT_FALSE(m_shape.HitTestPoint(200.0f, 300.0f, &nIndex));
    EXPECT_EQ(nIndex, -1);
}

TEST_F(CPlacedSegment, AngleSnapTurnsTheDraggedAnchorToMultiplesOf45Degrees) {
    const double kNoSnap = -1.0;
    struct {
        float dx, dy;
        double snappedDegrees;  // kNoSnap: the anchor stays where it was dropped
    } const kCases[] = {
        {100.0f, 90.0f, 45.0},  // 45 degrees at sqrt(18100) pixels
        {100.0f, 10.0f, 0.0},   {-100.0f, 90.0f, 135.0}, {-100.0f, -10.0f, 180.0},
        {30.0f, -80.0f, -90.0}, {0.0f, 50.0f, kNoSnap},
    };
    m_shape.SetAngleSnap(true);
    for (const auto& c : kCases) {
        Reset();
        ASSERT_TRUE(m_shape.OnMouseDown(300.0f, 400.0f));
        ASSERT_TRUE(m_shape.OnMouseDrag(300.0f, 400.0f, 200.0f + c.dx, 300.0f + c.dy));

        const QXGraphPoint moved = ReadAnchors(m_shape)[1];
        const double px = m_coord.ToPixelX(moved.position) - 200.0;
        const double py = m_coord.ToPixelY(moved.price) - 300.0;
        const double radius = std::hypot(c.dx, c.dy);
        const double angle = c.snappedDegrees * std::acos(-1.0) / 180.0;
        const bool bSnap = c.snappedDegrees != kNoSnap;
        EXPECT_NEAR(px, bSnap ? radius * std::cos(angle) : c.dx, 1e-3) << c.dx << "," << c.dy;
        EXPECT_NEAR(py, bSnap ? radius * std::sin(angle) : c.dy, 1e-3) << c.dx << "," << c.dy;
    }
}

TEST(ShapeAngleSnap, AnchorStraightAboveTheMouseIsSkippedAndTheLastOtherAnchorDecides) {
    CFakeCoordinate coord;
    CTestShape shape(3, &CTestShape::AdjustAngleSnap);
    shape.SetCoordinate(&coord);
    // Pixels (200, 300) and (300, 300); the mouse at (300, 390) is straight
    // below the second, so the first decides: 45 degrees from (200, 300).
    shape.SetPoints({MakeAnchor(20.0, 10.0f), MakeAnchor(20.0, 20.0f)});
    shape.OnMouseMove(300.0f, 390.0f);
    EXPECT_NEAR(coord.ToPixelY(shape.Tracking().price), 390.0, 1e-3);  // snapping is off

    shape.SetAngleSnap(true);
    shape.OnMouseMove(300.0f, 390.0f);
    const double offset = std::sqrt(18100.0 / 2.0);
    EXPECT_NEAR(coord.ToPixelX(shape.Tracking().position), 200.0 + offset, 1e-3);
    EXPECT_NEAR(coord.ToPixelY(shape.Tracking().price), 300.0 + offset, 1e-3);

    // Neither anchor is vertical to the mouse: the second wins.
    shape.OnMouseMove(390.0f, 310.0f);
    EXPECT_NEAR(coord.ToPixelX(shape.Tracking().position), 300.0 + std::hypot(90.0, 10.0), 1e-3);
    EXPECT_NEAR(coord.ToPixelY(shape.Tracking().price), 300.0, 1e-3);
}

TEST_F(CPlacedSegment, DragMovesTheSelectedAnchorOrElseTheWholeShape) {
    struct {
        float fromX, fromY;
        float anchor0[3], anchor1[3];  // position, price, time after the drag
    } const kCases[] = {
        {301.0f, 399.0f, {10, 20, 600}, {22, 11, 1320}},  // picks anchor 1
        {250.0f, 100.0f, {12, 21, 720}, {22, 11, 1320}},  // picks none: both move
    };
    m_coord.m_bSnap = true;  // answers the selected anchor only; a whole move never asks
    for (const auto& c : kCases) {
        Reset();
        m_coord.m_ptSnap = MakeAnchor(11.0, 22.0f, 1320);
        m_coord.ResetCallCounts();
        m_shape.OnMouseDown(c.fromX, c.fromY);
        ASSERT_TRUE(m_shape.OnMouseDrag(c.fromX, c.fromY, c.fromX + 20.0f, c.fromY - 10.0f));
        const std::vector<QXGraphPoint> vecAnchors = ReadAnchors(m_shape);
        for (int i = 0; i < 2; ++i) {
            const float* pExpected = i == 0 ? c.anchor0 : c.anchor1;
            EXPECT_FLOAT_EQ(vecAnchors[i].position, pExpected[0]) << c.fromX << " anchor " << i;
            EXPECT_DOUBLE_EQ(vecAnchors[i].price, pExpected[1]) << c.fromX << " anchor " << i;
            EXPECT_EQ(vecAnchors[i].time, static_cast<int>(pExpected[2])) << c.fromX;
        }
    }
    EXPECT_EQ(m_coord.GetCallCount(CFakeCoordinate::kSnapPoint), 0);
}

TEST_F(CPlacedSegment, RefusedConversionAbandonsTheDrag) {
    struct {
        CFakeCoordinate::EOperation eOp;
        int nAllowed;  // successful calls before the refusal
        float fromX;   // 250: whole shape, 300: anchor 1
    } const kCases[] = {
        {CFakeCoordinate::kPixelToPrice, 1, 250.0f},  // the second anchor fails
        {CFakeCoordinate::kPositionToPixel, 0, 250.0f},
        {CFakeCoordinate::kPositionToTime, 1, 250.0f},
        {CFakeCoordinate::kPixelToPosition, 0, 300.0f},
    };
    for (const auto& c : kCases) {
        Reset();
        ASSERT_TRUE(m_shape.OnMouseDown(c.fromX, 400.0f));
        m_coord.RefuseAfter(c.eOp, c.nAllowed);
        EXPECT_FALSE(m_shape.OnMouseDrag(c.fromX, 400.0f, c.fromX + 20.0f, 390.0f)) << c.eOp;
        m_coord.Accept(c.eOp);
        const std::vector<QXGraphPoint> vecAnchors = ReadAnchors(m_shape);
        EXPECT_FLOAT_EQ(vecAnchors[0].position, 10.0f) << c.eOp;
        EXPECT_FLOAT_EQ(vecAnchors[1].position, 20.0f) << c.eOp;
        EXPECT_EQ(vecAnchors[1].time, 1200) << c.eOp;
    }
}

TEST(ShapeStyle, DrawLineStyleSwapsDashAndDotAndDefaultsToSolid) {
    const int kCases[][2] = {{0, 0}, {1, 1}, {2, 3}, {3, 2},  {4, 4},
                             {5, 5}, {6, 1}, {7, 1}, {-1, 1}, {1000, 1}};
    QXGraphLineSegment shape;
    EXPECT_EQ(shape.GetDrawLineStyle(), 1);
    for (const auto& c : kCases) {
        shape.SetLineStyle(c[0]);
        EXPECT_EQ(shape.GetDrawLineStyle(), c[1]) << "style " << c[0];
    }
}

TEST(ShapeRecords, RecordsAreRebuiltOnlyAfterAChange) {
    using Change = std::function<void(CTestShape&, CFakeCoordinate&)>;
    struct {
        const char* pszName;
        Change change;
        bool bRebuilds;
    } const kCases[] = {
        {"width", [](CTestShape& s, CFakeCoordinate&) { s.SetLineWidth(3); }, true},
        {"style", [](CTestShape& s, CFakeCoordinate&) { s.SetLineStyle(2); }, true},
        {"colour", [](CTestShape& s, CFakeCoordinate&) { s.SetLineColor({}); }, true},
        {"converter", [](CTestShape& s, CFakeCoordinate& c) { s.SetCoordinate(&c); }, true},
        {"points",
         [](CTestShape& s, CFakeCoordinate&) {
             s.SetPoints({{}, {}});
         },
         true},
        {"host flag", [](CTestShape& s, CFakeCoordinate&) { s.SetHostFlagA(true); }, false},
        {"angle snap", [](CTestShape& s, CFakeCoordinate&) { s.SetAngleSnap(true); }, false},
        {"label text", [](CTestShape& s, CFakeCoordinate&) { s.SetLabelText("x"); }, false},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        CTestShape shape(2, nullptr);
        shape.SetPoints({MakeAnchor(1.0, 1.0f), MakeAnchor(2.0, 2.0f)});
        shape.GetGraphDrawInfo();
        shape.GetGraphDrawInfo();
        ASSERT_EQ(shape.m_nDrawCalls, 1) << c.pszName;
        c.change(shape, coord);
        shape.GetGraphDrawInfo();
        EXPECT_EQ(shape.m_nDrawCalls, c.bRebuilds ? 2 : 1) << c.pszName;
    }
}

TEST(ShapeRecords, PointsLeftOfTheFirstBarOrTooFewPointsDrawNothingAndStayDirty) {
    CTestShape shape(2, nullptr);
    shape.SetPoints({MakeAnchor(10.0, -0.5f), MakeAnchor(12.0, 3.0f)});
    EXPECT_TRUE(shape.GetGraphDrawInfo().empty());
    EXPECT_TRUE(shape.GetGraphDrawInfo().empty());
    EXPECT_EQ(shape.m_nDrawCalls, 0);

    shape.SetPoints({MakeAnchor(10.0, 0.0f)});  // placing: the tracking point is second
    EXPECT_EQ(shape.GetGraphDrawInfo().size(), 1u);
    shape.SetPoints({});  // only the tracking point
    EXPECT_TRUE(shape.GetGraphDrawInfo().empty());

    // A one-point tool draws from the tracking point alone.
    CTestShape single(1, nullptr);
    single.Tracking() = MakeAnchor(5.0, 2.0f);
    single.SetLineWidth(2);
    EXPECT_EQ(single.GetGraphDrawInfo().size(), 1u);
    ASSERT_EQ(single.m_vecLastDrawn.size(), 1u);
    EXPECT_DOUBLE_EQ(single.m_vecLastDrawn[0].value, 5.0);
}

TEST(ShapeAdjustRules, EachRuleMovesTheDocumentedPoints) {
    const QXGraphPoint tracking = MakeAnchor(40, 8.0f, 8);
    struct {
        const char* pszName;
        CTestShape::Rule pfnRule;
        std::vector<QXGraphPoint> vecIn;
        std::vector<QXGraphPoint> vecOut;  // anchors, then the tracking point
    } const kCases[] = {
        {"same price",
         &CTestShape::AdjustSamePrice,
         {MakeAnchor(10, 1, 5), MakeAnchor(20, 5, 6), MakeAnchor(30, 9, 7)},
         {MakeAnchor(10, 1, 5), MakeAnchor(10, 5, 6), MakeAnchor(30, 9, 7), MakeAnchor(10, 8, 8)}},
        {"same position",
         &CTestShape::AdjustSamePosition,
         {MakeAnchor(10, 1, 5), MakeAnchor(20, 5, 6)},
         {MakeAnchor(10, 1, 5), MakeAnchor(20, 1, 5), MakeAnchor(40, 1, 5)}},
        {"whole bars",
         &CTestShape::AdjustWholeBars,
         {MakeAnchor(10, 2.5f), MakeAnchor(20, 2.49f), MakeAnchor(30, -0.5f)},
         {MakeAnchor(10, 3), MakeAnchor(20, 2), MakeAnchor(30, 0), tracking}},
        {"ellipse, one anchor",
         &CTestShape::AdjustEllipseAxes,
         {MakeAnchor(10, 2)},
         {MakeAnchor(10, 2), MakeAnchor(10, 8, 8)}},
        {"ellipse, two anchors",
         &CTestShape::AdjustEllipseAxes,
         {MakeAnchor(10, 2), MakeAnchor(20, 6)},
         {MakeAnchor(10, 2), MakeAnchor(10, 6), MakeAnchor(40, 4, 8)}},
        {"ellipse, three anchors",
         &CTestShape::AdjustEllipseAxes,
         {MakeAnchor(10, 2), MakeAnchor(20, 6), MakeAnchor(30, 9)},
         {MakeAnchor(10, 2), MakeAnchor(10, 6), MakeAnchor(30, 4), tracking}},
    };
    for (const auto& c : kCases) {
        CFakeCoordinate coord;
        CTestShape shape(5, c.pfnRule);
        shape.SetCoordinate(&coord);
        shape.Tracking() = tracking;
        shape.SetPoints(c.vecIn);
        std::vector<QXGraphPoint> vecActual = ReadAnchors(shape);
        vecActual.push_back(shape.Tracking());
        ASSERT_EQ(vecActual.size(), c.vecOut.size()) << c.pszName;
        for (size_t i = 0; i < c.vecOut.size(); ++i) {
            EXPECT_DOUBLE_EQ(vecActual[i].price, c.vecOut[i].price) << c.pszName << " " << i;
            EXPECT_FLOAT_EQ(vecActual[i].position, c.vecOut[i].position) << c.pszName << " " << i;
            EXPECT_EQ(vecActual[i].time, c.vecOut[i].time) << c.pszName << " " << i;
        }
    }
    // Without a converter the rules do not run.
    CTestShape shape(2, &CTestShape::AdjustWholeBars);
    shape.SetPoints({MakeAnchor(1.0, 2.4f)});
    EXPECT_FLOAT_EQ(ReadAnchors(shape)[0].position, 2.4f);
}

}  // namespace
