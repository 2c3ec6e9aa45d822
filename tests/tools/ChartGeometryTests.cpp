#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "ChartFixtures.h"
#include "tools/qxindex/chart/ChartLayout.h"
#include "tools/qxindex/chart/DateTicks.h"
#include "tools/qxindex/chart/PixelClip.h"
#include "tools/qxindex/chart/SvgWriter.h"
#include "tools/qxindex/chart/ValueTicks.h"
#include "tools/qxindex/chart/XmlText.h"

namespace {

using qxindex::PixelPoint;
using qxindex::PixelRect;

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(ValueTicks, NiceStepsAndTickSets) {
    struct Row {
        double min, max;
        int maxTicks;
        double step, first, last;
    };
    const Row rows[] = {
        {0, 10, 5, 2, 0, 10},
        {0.13, 0.87, 4, 0.2, 0.2, 0.8},
        {-3.5, 7.2, 10, 2, -2, 6},
        {9.4, 13.9, 8, 1, 10, 13},
        {9.4, 13.9, 10, 0.5, 9.5, 13.5},
        {1234567, 9876543, 5, 2000000, 2000000, 8000000},
        {0.001, 0.0019, 4, 0.0005, 0.001, 0.0015},
        {100, 101, 1, 1, 100, 101},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.min) + ".." + std::to_string(row.max));
        qxindex::ValueTicks ticks = qxindex::MakeValueTicks(row.min, row.max, row.maxTicks);
        ASSERT_FALSE(ticks.values.empty());
        EXPECT_DOUBLE_EQ(ticks.step, row.step);
        EXPECT_NEAR(ticks.values.front(), row.first, row.step * 1e-9);
        EXPECT_NEAR(ticks.values.back(), row.last, row.step * 1e-9);
        EXPECT_LE(static_cast<int>(ticks.values.size()), row.maxTicks + 1);
    }
    for (double raw : {0.2, 0.3, 1.0, 7.0, 49.0}) {
        double step = qxindex::NiceStep(raw);
        double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                    std::fabs(mantissa - 5) < 1e-9)
            << raw << " -> " << step;
        EXPECT_GE(step, raw * (1 - 1e-9));
    }
    EXPECT_TRUE(qxindex::MakeValueTicks(5, 5, 4).values.empty());
    EXPECT_TRUE(qxindex::MakeValueTicks(6, 5, 4).values.empty());
    EXPECT_TRUE(qxindex::MakeValueTicks(kNaN, 5, 4).values.empty());
    EXPECT_TRUE(qxindex::MakeValueTicks(-kInf, kInf, 4).values.empty());
    EXPECT_LE(qxindex::MakeValueTicks(0, 1, 1000000).values.size(), 202u);
}

TEST(ValueTicks, LabelsUseTheStepsDecimalsAndUnits) {
    struct Row {
        double min, max;
        int maxTicks;
        double value;
        const char* label;
    };
    const Row rows[] = {
        {0, 10, 5, 4, "4"},
        {0, 1, 4, 0.5, "0.5"},
        {9.4, 13.9, 10, 12.5, "12.5"},
        {9.4, 13.9, 8, 12, "12"},
        {0.001, 0.0019, 4, 0.0014, "0.0014"},
        {-1, 1, 4, -1e-17, "0"},  // no "-0.0" from rounding noise
        {0, 9876543, 5, 0, "0"},  // no "0M"
        {0, 9876543, 5, 4000000, "4M"},
        {0, 250000, 5, 150000, "150K"},
        {0, 2.4e9, 8, 1.5e9, "1.5B"},
        {0, 99999, 5, 40000, "40000"},
    };
    for (const Row& row : rows) {
        qxindex::ValueTicks ticks = qxindex::MakeValueTicks(row.min, row.max, row.maxTicks);
        EXPECT_EQ(qxindex::TickLabel(ticks, row.value), row.label) << row.value;
    }
}

TEST(PanelScale, PaddingAndSlotMapping) {
    struct PadRow {
        double min, max, paddedMin, paddedMax;
    };
    const PadRow pads[] = {
        {10, 20, 9.5, 20.5}, {20, 10, 9.5, 20.5}, {5, 5, 4.75, 5.25},
        {0, 0, -1, 1},       {kNaN, 3, 0, 1},     {-1e308, 1e308, 0, 1},
    };
    for (const PadRow& row : pads) {
        qxindex::ValueRange r = qxindex::PadValueRange(row.min, row.max);
        EXPECT_DOUBLE_EQ(r.min, row.paddedMin) << row.min << ".." << row.max;
        EXPECT_DOUBLE_EQ(r.max, row.paddedMax) << row.min << ".." << row.max;
    }
    // Ten bars on 200 pixels: bar 0's slot is [10, 30) and its centre 20.
    qxindex::PanelScale scale(PixelRect{10, 50, 200, 100}, 0, 9, qxindex::ValueRange{0, 50});
    EXPECT_DOUBLE_EQ(scale.PixelsPerBar(), 20.0);
    EXPECT_DOUBLE_EQ(scale.X(0), 20.0);
    EXPECT_DOUBLE_EQ(scale.X(-0.5), 10.0);
    EXPECT_DOUBLE_EQ(scale.X(9.5), 210.0);
    EXPECT_DOUBLE_EQ(scale.Y(0), 150.0);
    EXPECT_DOUBLE_EQ(scale.Y(50), 50.0);
    for (double p : {-3.25, 0.0, 4.5, 17.0}) EXPECT_DOUBLE_EQ(scale.Position(scale.X(p)), p);
    for (double v : {-10.0, 12.5, 49.0}) EXPECT_NEAR(scale.Value(scale.Y(v)), v, 1e-12);
}

TEST(PixelClip, PolylinesArePartedAtTheBox) {
    PixelRect box{0, 0, 10, 10};
    // In, out through the right edge, back in through the bottom, and a broken point.
    std::vector<PixelPoint> line = {{2, 2}, {8, 2},    {14, 2}, {14, 14}, {5, 14},
                                    {5, 5}, {kNaN, 1}, {1, 1},  {3, 3}};
    std::vector<std::vector<PixelPoint>> parts = qxindex::ClipPolyline(line, box);
    ASSERT_EQ(parts.size(), 3u);
    ASSERT_EQ(parts[0].size(), 3u);
    EXPECT_DOUBLE_EQ(parts[0][2].x, 10.0);
    ASSERT_EQ(parts[1].size(), 2u);
    EXPECT_DOUBLE_EQ(parts[1][0].x, 5.0);
    EXPECT_DOUBLE_EQ(parts[1][0].y, 10.0);
    EXPECT_DOUBLE_EQ(parts[2][0].x, 1.0);
    EXPECT_DOUBLE_EQ(parts[2][1].x, 3.0);
    // Entirely outside: nothing.
    EXPECT_TRUE(qxindex::ClipPolyline({{-5, -5}, {-1, 20}}, box).empty());
    // A line that crosses the box from far away keeps only its inside chord.
    parts = qxindex::ClipPolyline({{-1e12, 5}, {1e12, 5}}, box);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_DOUBLE_EQ(parts[0][0].x, 0.0);
    EXPECT_DOUBLE_EQ(parts[0][1].x, 10.0);
}

TEST(PixelClip, PolygonsAndRays) {
    PixelRect box{0, 0, 10, 10};
    std::vector<PixelPoint> triangle = {{5, -10}, {15, 10}, {-5, 10}};
    std::vector<PixelPoint> clipped = qxindex::ClipPolygon(triangle, box);
    ASSERT_GE(clipped.size(), 3u);
    for (const PixelPoint& p : clipped) {
        EXPECT_TRUE(p.x >= 0 && p.x <= 10 && p.y >= 0 && p.y <= 10) << p.x << "," << p.y;
    }
    EXPECT_TRUE(qxindex::ClipPolygon({{20, 20}, {30, 20}, {25, 30}}, box).empty());
    EXPECT_TRUE(qxindex::ClipPolygon({{1, 1}, {kNaN, 2}, {3, 3}}, box).empty());

    PixelPoint exit;
    ASSERT_TRUE(qxindex::ExtendRay({2, 2}, {4, 3}, box, &exit));
    EXPECT_DOUBLE_EQ(exit.x, 10.0);
    EXPECT_DOUBLE_EQ(exit.y, 6.0);
    // Starting left of the box and pointing into it: the far edge.
    ASSERT_TRUE(qxindex::ExtendRay({-20, 5}, {-10, 5}, box, &exit));
    EXPECT_DOUBLE_EQ(exit.x, 10.0);
    EXPECT_FALSE(qxindex::ExtendRay({-10, 5}, {-20, 5}, box, &exit));  // pointing away
    EXPECT_FALSE(qxindex::ExtendRay({3, 3}, {3, 3}, box, &exit));      // no direction
}

TEST(PixelClip, ShiftInsideMovesTheLeastAndPrefersTheLeftAndTopEdges) {
    const PixelRect bounds{10, 20, 100, 50};
    struct Case {
        PixelRect box;
        double dx, dy;
    };
    const Case cases[] = {
        {{30, 30, 20, 10}, 0, 0},       // inside
        {{100, 30, 20, 10}, -10, 0},    // past the right edge
        {{0, 65, 20, 10}, 10, -5},      // past the left and bottom edges
        {{50, 15, 20, 10}, 0, 5},       // above the top
        {{90, 30, 140, 60}, -80, -10},  // larger than the bounds: left and top edges
    };
    for (const Case& c : cases) {
        PixelPoint shift = qxindex::ShiftInside(c.box, bounds);
        EXPECT_DOUBLE_EQ(shift.x, c.dx) << c.box.left << "," << c.box.top;
        EXPECT_DOUBLE_EQ(shift.y, c.dy) << c.box.left << "," << c.box.top;
    }
}

TEST(XmlText, EscapesAndRepairs) {
    struct Row {
        std::string in;
        std::string out;
    };
    const Row rows[] = {
        {"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c&apos;"},
        {"\xe4\xb9\xb0", "\xe4\xb9\xb0"},  // valid UTF-8 kept
        {"x\xff"
         "y",
         "x\\xffy"},                          // a stray byte
        {"\xc0\xaf", "\\xc0\\xaf"},           // overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},  // a surrogate
        {"\xe4\xb9", "\\xe4\\xb9"},           // cut short
        {std::string("t\x01\tn\n\0", 6), std::string("t \tn\n ", 6)},
    };
    for (const Row& row : rows) EXPECT_EQ(qxindex::EscapeXml(row.in), row.out);
    EXPECT_EQ(qxindex::FormatNumber(1.0 / 3.0), "0.33");
    EXPECT_EQ(qxindex::FormatNumber(-0.001), "0");
    EXPECT_EQ(qxindex::FormatNumber(2.5), "2.5");
    EXPECT_EQ(qxindex::FormatNumber(kInf), "0");
}

TEST(DateTicks, MarkCalendarBoundariesThatFit) {
    using chart_fixtures::LocalMidnight;
    // Three years of weekdays.
    std::vector<qxindex::Bar> bars;
    for (int64_t day = 0; bars.size() < 780; ++day) {
        int64_t t = LocalMidnight(2015, 1, 1) + day * 86400 + 7200;  // clear of DST jumps
        std::time_t tt = static_cast<std::time_t>(t);
        std::tm fields{};
        localtime_r(&tt, &fields);
        if (fields.tm_wday == 0 || fields.tm_wday == 6) continue;
        bars.push_back(qxindex::Bar{t, 1, 1, 1, 1, 1, 1});
    }
    struct Row {
        int64_t from, to;
        double width;
        std::string firstLabel;
    };
    const Row rows[] = {
        {0, 779, 1100, "2015-04"},      // quarters
        {0, 779, 300, "2016"},          // years
        {100, 200, 1100, "2015-06"},    // months
        {100, 110, 1100, "2015-05-21"}  // days
    };
    for (const Row& row : rows) {
        std::vector<qxindex::DateTick> ticks =
            qxindex::MakeDateTicks(bars, row.from, row.to, row.width);
        ASSERT_FALSE(ticks.empty()) << row.width;
        EXPECT_EQ(ticks.front().label, row.firstLabel) << row.from << ".." << row.to;
        for (size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_GE(ticks[i].bar, row.from);
            EXPECT_LE(ticks[i].bar, row.to);
            if (i > 0) {
                EXPECT_GT(ticks[i].bar, ticks[i - 1].bar);
            }
        }
    }
    // The first visible bar counts only when the bar before it is in another period.
    std::vector<qxindex::DateTick> fromStart = qxindex::MakeDateTicks(bars, 0, 40, 1100);
    ASSERT_FALSE(fromStart.empty());
    EXPECT_GT(fromStart.front().bar, 0);
    // Without times the axis numbers its bars; beyond the data it says "#N".
    std::vector<qxindex::Bar> timeless(30);
    std::vector<qxindex::DateTick> numbered = qxindex::MakeDateTicks(timeless, 0, 50, 600);
    ASSERT_FALSE(numbered.empty());
    EXPECT_EQ(numbered.back().label.front(), '#');
    EXPECT_TRUE(qxindex::MakeDateTicks(bars, 0, 10, 0).empty());
}

TEST(ChartLayout, PanelsShareTheBarAxisAndCoverTheirBars) {
    qxindex::ChartSpec chartSpec = chart_fixtures::SampleChart();
    chartSpec.price.minValue = 11.0;  // narrower than the bars
    chartSpec.price.maxValue = 12.0;
    qxindex::ChartLayout layout(chartSpec);
    const qxindex::PanelLayout& price = layout.Price();
    const qxindex::PanelLayout& indicator = layout.Indicator();
    EXPECT_LE(price.scale.Values().min, 9.55);  // the lowest low
    EXPECT_GE(price.scale.Values().max, 13.5);  // the highest high
    EXPECT_DOUBLE_EQ(price.scale.X(3), indicator.scale.X(3));
    EXPECT_LT(price.plot.Bottom(), indicator.plot.top);
    EXPECT_LE(indicator.plot.Bottom(), layout.DateAxis().top);
    EXPECT_LE(layout.DateAxis().Bottom(), layout.Height());
    EXPECT_NEAR(indicator.plot.height / (price.plot.height + indicator.plot.height), 0.3, 0.01);
    // An indicator without a range takes its records' points.
    chartSpec.indicator.minValue = kNaN;
    qxindex::ChartLayout fromRecords(chartSpec);
    EXPECT_DOUBLE_EQ(fromRecords.Indicator().scale.Values().min,
                     qxindex::PadValueRange(0, 1600).min);
}

}  // namespace
