#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "ChartFixtures.h"
#include "graph/LineShapes.h"
#include "tools/qxindex/chart/ChartCoordinate.h"
#include "tools/qxindex/chart/ChartLayout.h"

namespace {

using qxindex::ChartCoordinate;

class ChartCoordinateTest : public ::testing::Test {
protected:
    ChartCoordinateTest()
        : m_spec(chart_fixtures::SampleChart()),
          m_layout(m_spec),
          m_coordinate(m_layout.Price().scale, m_spec.bars) {}

    const qxindex::PanelScale& Scale() const { return m_layout.Price().scale; }

    qxindex::ChartSpec m_spec;
    qxindex::ChartLayout m_layout;
    ChartCoordinate m_coordinate;
};

TEST_F(ChartCoordinateTest, PixelsRoundTripAndMatchThePaintedScale) {
    for (float position : {-3.0f, 0.0f, 2.5f, 13.0f, 20.25f}) {
        float x = 0;
        ASSERT_TRUE(m_coordinate.PositionToPixel(position, &x));
        EXPECT_NEAR(x, Scale().X(position), 1e-3);
        float back = 0;
        ASSERT_TRUE(m_coordinate.PixelToPosition(x, &back));
        EXPECT_NEAR(back, position, 1e-4);
    }
    for (double price : {8.0, 10.25, 13.9}) {
        float y = 0;
        ASSERT_TRUE(m_coordinate.PriceToPixel(price, &y));
        EXPECT_NEAR(y, Scale().Y(price), 1e-3);
        double back = 0;
        ASSERT_TRUE(m_coordinate.PixelToPrice(y, &back));
        EXPECT_NEAR(back, price, 1e-4);
    }
    // Higher prices sit higher on the screen.
    float low = 0, high = 0;
    m_coordinate.PriceToPixel(10, &low);
    m_coordinate.PriceToPixel(11, &high);
    EXPECT_LT(high, low);

    float width = 0;
    ASSERT_TRUE(m_coordinate.GetBarWidth(&width));
    EXPECT_NEAR(width, Scale().PixelsPerBar(), 1e-4);
    float bottom = 0;
    ASSERT_TRUE(m_coordinate.GetChartBottom(&bottom));
    EXPECT_NEAR(bottom, m_layout.Price().plot.Bottom(), 1e-3);
    double unit = 0;
    ASSERT_TRUE(m_coordinate.GetPriceUnit(&unit));
    EXPECT_EQ(unit, 1.0);

    float out = 0;
    EXPECT_FALSE(m_coordinate.PositionToPixel(std::numeric_limits<float>::infinity(), &out));
    EXPECT_FALSE(m_coordinate.PriceToPixel(1e300, &out));
    EXPECT_FALSE(m_coordinate.PixelToPosition(0, nullptr));
}

TEST_F(ChartCoordinateTest, TimesComeFromBarsAndExtrapolateByMedianSpacing) {
    const std::vector<qxindex::Bar>& bars = m_spec.bars;
    struct Row {
        float position;
        int64_t expected;
    };
    const int64_t day = 86400;
    const Row rows[] = {
        {0.0f, bars[0].time},
        {4.4f, bars[4].time},
        {4.5f, bars[5].time},  // the slot boundary belongs to the next bar
        {13.0f, bars[13].time},
        {15.0f, bars[13].time + 2 * day},  // weekends do not move the median
        {-2.0f, bars[0].time - 2 * day},
    };
    for (const Row& row : rows) {
        int time = 0;
        ASSERT_TRUE(m_coordinate.PositionToTime(row.position, &time)) << row.position;
        // Local midnights differ by a DST hour at most across this fortnight.
        EXPECT_NEAR(static_cast<double>(time), static_cast<double>(row.expected), 3600.0)
            << row.position;
    }
    int time = 0;
    EXPECT_FALSE(m_coordinate.PositionToTime(std::nanf(""), &time));
    EXPECT_FALSE(m_coordinate.PositionToTime(1e12f, &time));  // beyond 32-bit seconds
    ChartCoordinate empty(Scale(), {});
    EXPECT_FALSE(empty.PositionToTime(0.0f, &time));
}

TEST_F(ChartCoordinateTest, MagnetSnapsToTheNearestPriceWithinSixPixels) {
    const qxindex::Bar& bar = m_spec.bars[6];
    float x = static_cast<float>(Scale().X(6.3));  // inside bar 6's slot
    float yHigh = static_cast<float>(Scale().Y(bar.high));
    QXGraphPoint point;
    point.price = -1;
    // Off by default: the shape converts by itself.
    EXPECT_FALSE(m_coordinate.SnapPoint(x, yHigh + 2, QX_GRAPH_LINE_SEGMENT, 0, &point));
    m_coordinate.SetMagnet(true);
    struct Row {
        float dy;
        bool snaps;
    };
    for (Row row : {Row{0.0f, true}, Row{5.9f, true}, Row{-5.9f, true}, Row{6.5f, false}}) {
        point = QXGraphPoint{};
        bool snapped = m_coordinate.SnapPoint(x, yHigh + row.dy, QX_GRAPH_LINE_SEGMENT, 1, &point);
        EXPECT_EQ(snapped, row.snaps) << row.dy;
        if (!snapped) continue;
        EXPECT_DOUBLE_EQ(point.price, bar.high);
        EXPECT_EQ(point.position, 6.0f);
        EXPECT_NEAR(static_cast<double>(point.time), static_cast<double>(bar.time), 3600.0);
    }
    // Between the open and the low, 11 pixels apart here, the nearer one wins.
    float yOpen = static_cast<float>(Scale().Y(bar.open));
    float yLow = static_cast<float>(Scale().Y(bar.low));
    ASSERT_GT(yLow - yOpen, 8.0f);
    ASSERT_TRUE(m_coordinate.SnapPoint(x, yLow - 4, QX_GRAPH_LINE_SEGMENT, 0, &point));
    EXPECT_DOUBLE_EQ(point.price, bar.low);
    ASSERT_TRUE(m_coordinate.SnapPoint(x, yOpen + 4, QX_GRAPH_LINE_SEGMENT, 0, &point));
    EXPECT_DOUBLE_EQ(point.price, bar.open);
    // No bar under the mouse.
    EXPECT_FALSE(m_coordinate.SnapPoint(static_cast<float>(Scale().X(14.2)), yHigh,
                                        QX_GRAPH_LINE_SEGMENT, 0, &point));
}

// A tool placed through this converter keeps the data point under the mouse.
TEST_F(ChartCoordinateTest, DrawingToolPlacesAnchorsWhereTheChartShowsThem) {
    QXGraphLineSegment segment;
    IQXGraphShapeBase* shape = &segment;
    shape->SetCoordinate(&m_coordinate);
    shape->OnMouseDown(static_cast<float>(Scale().X(2)), static_cast<float>(Scale().Y(10.5)));
    shape->OnMouseDown(static_cast<float>(Scale().X(9)), static_cast<float>(Scale().Y(12.5)));
    std::vector<QXGraphPoint> points;
    shape->GetPoints(points);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_NEAR(points[0].position, 2.0f, 1e-3);
    EXPECT_NEAR(points[0].price, 10.5, 1e-3);
    EXPECT_NEAR(points[1].position, 9.0f, 1e-3);
    EXPECT_NEAR(points[1].price, 12.5, 1e-3);
    EXPECT_NEAR(static_cast<double>(points[1].time), static_cast<double>(m_spec.bars[9].time),
                3600.0);
}

}  // namespace
