#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "ChartFixtures.h"
#include "XmlCheck.h"
#include "tools/qxindex/chart/ChartRenderer.h"
#include "tools/qxindex/chart/RecordPainter.h"
#include "tools/qxindex/chart/SvgWriter.h"

namespace {

using namespace chart_fixtures;
using qxindex::ChartSpec;
using qxindex::RenderChartSvg;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The panel's record group, where the painter writes.
std::string RecordsGroup(const std::string& svg, const std::string& panel) {
    size_t start = svg.find("<g id=\"" + panel + "-records\"");
    size_t end = svg.find("</g>", start);
    return start == std::string::npos ? std::string() : svg.substr(start, end - start);
}

// The reviewed picture. Set QX_UPDATE_GOLDEN=1 to rewrite it after a deliberate
// change, then look at it again before committing.
TEST(ChartRender, MatchesReviewedGolden) {
    const std::string path = std::string(QX_TOOLS_GOLDEN_DIR) + "/sample_chart.svg";
    std::string svg = RenderChartSvg(SampleChart());
    const char* update = std::getenv("QX_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << svg;
        GTEST_SKIP() << "golden rewritten: " << path;
    }
    std::string golden = ReadFile(path);
    ASSERT_FALSE(golden.empty()) << "missing " << path;
    EXPECT_EQ(svg, golden);
}

TEST(ChartRender, SampleIsWellFormedAndKeepsItsTexts) {
    std::string svg = RenderChartSvg(SampleChart());
    XmlCheck check = XmlCheck::Parse(svg);
    ASSERT_TRUE(check.wellFormed) << check.error;
    auto has = [&check](const std::string& text) {
        return std::find(check.texts.begin(), check.texts.end(), text) != check.texts.end();
    };
    EXPECT_TRUE(has("Sample <chart> & records"));
    EXPECT_TRUE(has("<A&B> 'q\""));
    EXPECT_TRUE(has("\xe4\xb9\xb0\xe5\x85\xa5"));  // the GBK text as UTF-8
    EXPECT_TRUE(has("2022-01"));                   // a date tick at the month change
    // Every panel clips its records.
    EXPECT_NE(svg.find("<g id=\"price-records\" clip-path=\"url(#clip-price)\">"),
              std::string::npos);
    EXPECT_NE(svg.find("<g id=\"indicator-records\" clip-path=\"url(#clip-indicator)\">"),
              std::string::npos);
}

// Whatever the records and the request hold, the output parses.
TEST(ChartRender, HostileInputStillGivesAWellFormedDocument) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = 1e300;
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t curve = b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(-1), -3.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(curve, Points({{nan, 1}, {huge, 2}, {-huge, 3}, {5, 1e30f}}), true, true);
    b.AddCurveSegment(curve, Points({{5, 2}}), true, true);
    b.AddCurveSegment(curve, Points({{5, 2}, {5, 2}}), true, true);
    int64_t fill = b.AddCurve(
        QXDrawInfo::GetCurveFill(GetColorByID(static_cast<COLOR_TYPE>(-7)), FILL_STYLE_SOLID));
    b.AddCurveSegment(fill, Points({{huge, 0}, {-huge, 1}, {nan, 2}, {0, 1e38f}}), false, false);
    int64_t rect = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByID(COLOR_ID_TEXT), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    b.AddRectanglePoints(rect, {huge, -1e30f}, {-huge, 1e30f});
    int64_t ellipse = b.AddElipse(
        QXDrawInfo::GetElipseFrame(GetColorByID(COLOR_ID_LINE), 1.0f, static_cast<LINE_STYLE>(99)));
    b.AddElipsePoints(ellipse, Points({{1, 1}, {1, 1}}));
    b.AddElipsePoints(ellipse, Points({{1, 1}, {huge, 2}, {nan, 3}}));
    int64_t text = b.AddText(QXDrawInfo::GetText(GetColorByID(COLOR_ID_TEXT),
                                                 std::numeric_limits<float>::quiet_NaN(), 0,
                                                 "\x01<font>\xff", 0));
    b.AddTextItem(text, {5, 2}, std::string("a\x01\x02\x1f\x7f\xff\xfe<]]>&", 12), 0, {0, 0});
    b.AddTextItem(text, {5, 2}, std::string("nul\0byte", 8), 1, {nan, 1e30f});
    int64_t icon = b.AddIcon(QXDrawInfo::GetVOZIcon(-5));
    b.AddIconPoint(icon, {5, 2}, -2147483647 - 1);
    info.drawOrder.push_back(-1);
    info.drawOrder.push_back(INT64_MAX);
    info.drawOrder.push_back(9000000000000000000);
    info.drawOrder.push_back(info.drawOrder.front());  // a repeated key paints once

    struct Case {
        int from, to, width, height;
        bool candles, indicator;
    };
    const Case cases[] = {
        {0, 13, 1200, 800, true, true},
        {13, 0, 0, 0, true, false},  // swapped range, canvas below the minimum
        {-2147483647 - 1, 2147483647, 100000, 100000, true, true},
        {50, 60, 400, 300, false, true},  // entirely beyond the data
    };
    for (const Case& c : cases) {
        ChartSpec chartSpec;
        chartSpec.title = std::string("bad \xc3\x28 title \x02", 15);
        chartSpec.bars = SampleBars();
        chartSpec.bars[3].high = nan;
        chartSpec.from = c.from;
        chartSpec.to = c.to;
        chartSpec.width = c.width;
        chartSpec.height = c.height;
        chartSpec.drawCandles = c.candles;
        chartSpec.price.minValue = nan;
        chartSpec.price.pictures = {info};
        chartSpec.price.legend.push_back({"\xff\xfe<x>", GetColorByValue(0)});
        chartSpec.hasIndicator = c.indicator;
        chartSpec.indicator.minValue = 5;
        chartSpec.indicator.maxValue = 5;
        chartSpec.indicator.pictures = {info, GraphDrawInfo{}};
        std::string svg = RenderChartSvg(chartSpec);
        XmlCheck check = XmlCheck::Parse(svg);
        EXPECT_TRUE(check.wellFormed) << c.from << ".." << c.to << ": " << check.error;
    }
    ChartSpec empty;
    XmlCheck check = XmlCheck::Parse(RenderChartSvg(empty));
    EXPECT_TRUE(check.wellFormed) << check.error;
}

// Items are painted in the order of their keys across kinds; items without a key
// come after them.
TEST(ChartRender, PaintsInDrawOrderThenUnkeyedItems) {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t rect = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByValue(0xFF0000AA), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    int64_t curve =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(0xFF0000BB), 1.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(curve, Points({{10, 1}, {11, 2}}), false, false);
    b.AddRectanglePoints(rect, {11, 3}, {10, 4});
    b.AddCurveSegment(curve, Points({{10, 5}, {11, 6}}), false, false);
    // One item added behind the builder's back: no key names it.
    info.rectangles[0].items.push_back(info.rectangles[0].items[0]);
    info.rectangles[0].items.back().first.position = 7.0f;

    ChartSpec chartSpec;
    chartSpec.bars = SampleBars();
    chartSpec.to = 13;
    chartSpec.drawCandles = false;
    chartSpec.price.minValue = 9;
    chartSpec.price.maxValue = 12;
    chartSpec.price.pictures = {info};
    std::string group = RecordsGroup(RenderChartSvg(chartSpec), "price");
    size_t firstLine = group.find("<polyline");
    size_t firstRect = group.find("<rect");
    size_t secondLine = group.find("<polyline", firstLine + 1);
    size_t secondRect = group.find("<rect", firstRect + 1);
    ASSERT_NE(secondRect, std::string::npos);
    EXPECT_LT(firstLine, firstRect);
    EXPECT_LT(firstRect, secondLine);
    EXPECT_LT(secondLine, secondRect);
}

TEST(ChartRender, StrokesFollowLineStyleAndColourForm) {
    using qxindex::RecordStroke;
    struct Row {
        QXDrawInfo::QXColor color;
        float width;
        int style;
        const char* paint;
        double opacity;
        const char* dashes;
    };
    const Row rows[] = {
        {GetColorByValue(0xFF3D3DFF), 1.0f, 1, "#FF3D3D", 1.0, ""},
        {GetColorByValue(0x80F59331), 2.0f, 2, "#3193F5", 128.0 / 255.0, "12 8"},
        {GetColorByValue(0xFF000000), 0.0f, 3, "#000000", 1.0, "1 2"},  // hairline
        {GetColorByID(COLOR_ID_LINE), 1.0f, 4, "#1E6FD9", 1.0, "6 3 1 3"},
        {GetColorByID(static_cast<COLOR_TYPE>(7)), 1.0f, 5, "#E03C31", 1.0, "6 3 1 3 1 3"},
        {GetColorByID(static_cast<COLOR_TYPE>(42)), 1.0f, 9, "#303030", 1.0, ""},
        {GetColorByValue(0x00FFFFFF), 1.0f, 1, "none", 1.0, ""},  // alpha 0: invisible
        {GetColorByValue(0xFFFFFFFF), 1.0f, 0, "none", 1.0, ""},  // style 0: no line
    };
    for (const Row& row : rows) {
        qxindex::SvgStroke stroke = RecordStroke(row.color, row.width, row.style);
        SCOPED_TRACE(std::to_string(row.style) + " " + row.paint);
        if (std::string(row.paint) == "none") {
            EXPECT_TRUE(stroke.paint.IsNone());
            continue;
        }
        EXPECT_EQ(stroke.paint.color, row.paint);
        EXPECT_NEAR(stroke.paint.opacity, row.opacity, 1e-9);
        EXPECT_EQ(stroke.dashArray, row.dashes);
    }
}

// A cross's size counts in bars, like the formula circles next to it.
TEST(ChartRender, CrossArmsScaleWithBarWidth) {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t cross =
        b.AddCross(QXDrawInfo::GetCross(GetColorByValue(0xFF000000), 1.0f, LINE_STYLE_SOLID));
    b.AddCrossPoint(cross, {10, 5}, 0.5f);
    qxindex::PixelRect plot{0, 0, 100, 100};
    qxindex::PanelScale scale(plot, 0, 9, qxindex::ValueRange{0, 20});  // 10 px per bar
    qxindex::SvgWriter svg(100, 100);
    qxindex::RecordPainter(&svg, scale).Paint(info);
    std::string out = svg.Finish();
    EXPECT_NE(out.find("<line x1=\"50\" y1=\"50\" x2=\"60\" y2=\"50\""), std::string::npos) << out;
    EXPECT_NE(out.find("<line x1=\"55\" y1=\"45\" x2=\"55\" y2=\"55\""), std::string::npos) << out;
}

// Extended ends reach the panel's edge (the cut box) along the segment's direction.
TEST(ChartRender, ExtendedSegmentsRunToTheEdge) {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t curve =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(0xFF000000), 1.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(curve, Points({{10, 4}, {11, 5}}), true, true);
    qxindex::PixelRect plot{100, 100, 100, 100};
    qxindex::PanelScale scale(plot, 0, 9, qxindex::ValueRange{0, 20});
    qxindex::SvgWriter svg(400, 400);
    qxindex::RecordPainter(&svg, scale).Paint(info);
    std::string out = svg.Finish();
    // (4, 10) is pixel (145, 150), (5, 11) is (155, 145); the line climbs 1 pixel
    // up per 2 right and leaves the 64-pixel cut margin at x = 36 and x = 264.
    EXPECT_NE(out.find("points=\"36,204.5 145,150 155,145 264,90.5\""), std::string::npos) << out;
}

}  // namespace
