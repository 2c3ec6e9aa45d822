// A small chart for the renderer's tests: two weeks of daily bars around a year
// end and a record set with one of each kind, built the way producers build them.
#pragma once

#include <algorithm>
#include <ctime>
#include <initializer_list>
#include <vector>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "tools/qxindex/chart/ChartSpec.h"

namespace chart_fixtures {

using QXDrawInfo::GetColorByID;
using QXDrawInfo::GetColorByValue;
using QXDrawInfo::GraphDrawInfo;
using QXDrawInfo::GraphDrawInfoBuilder;
using QXDrawInfo::QXPoint;
using QXDrawInfo::QXPointVec;

// "买入" and "卖出" in the library's code page.
constexpr const char* kBuyGbk = "\xc2\xf2\xc8\xeb";
constexpr const char* kSellGbk = "\xc2\xf4\xb3\xf6";

inline int64_t LocalMidnight(int year, int month, int day) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&fields));
}

// 14 weekdays from 2021-12-20 to 2022-01-06; opens and closes alternate so both
// candle colours show.
inline std::vector<qxindex::Bar> SampleBars() {
    static const int kDays[][3] = {
        {2021, 12, 20}, {2021, 12, 21}, {2021, 12, 22}, {2021, 12, 23}, {2021, 12, 24},
        {2021, 12, 27}, {2021, 12, 28}, {2021, 12, 29}, {2021, 12, 30}, {2021, 12, 31},
        {2022, 1, 3},   {2022, 1, 4},   {2022, 1, 5},   {2022, 1, 6},
    };
    static const double kCloses[] = {10.0, 10.6, 10.3, 11.0, 11.4, 11.1, 11.8,
                                     12.5, 12.2, 12.9, 12.4, 11.9, 12.6, 13.2};
    std::vector<qxindex::Bar> bars;
    double previous = 9.8;
    for (size_t i = 0; i < 14; ++i) {
        qxindex::Bar bar;
        bar.time = LocalMidnight(kDays[i][0], kDays[i][1], kDays[i][2]);
        bar.open = previous;
        bar.close = kCloses[i];
        bar.high = std::max(bar.open, bar.close) + 0.3;
        bar.low = std::min(bar.open, bar.close) - 0.25;
        bar.volume = 1000.0 + 150.0 * static_cast<double>(i % 5);
        previous = bar.close;
        bars.push_back(bar);
    }
    return bars;
}

inline QXPointVec Points(std::initializer_list<QXPoint> points) {
    QXPointVec vec;
    vec.SetPoint(std::vector<QXPoint>(points));
    return vec;
}

// Price records: one of each kind and style, both colour forms, extended
// segments, and items that reach outside the panel.
inline GraphDrawInfo PriceRecords() {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    // A band fill under everything else, by value with alpha.
    int64_t band =
        b.AddCurve(QXDrawInfo::GetCurveFill(GetColorByValue(0x40F59331), FILL_STYLE_SOLID));
    b.AddCurveSegment(band,
                      Points({{10.2, 1},
                              {10.8, 4},
                              {11.6, 7},
                              {12.2, 10},
                              {12.0, 12},
                              {11.0, 12},
                              {11.2, 10},
                              {10.6, 7},
                              {9.9, 4},
                              {9.6, 1}}),
                      false, false);
    // A solid line that starts far left of the panel and is cut at its edge.
    int64_t line =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(0xFFF59331), 2.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(
        line,
        Points({{9.0, -6}, {10.1, 0}, {10.5, 2}, {11.2, 5}, {12.0, 8}, {12.6, 11}, {12.9, 13}}),
        false, false);
    // Ray, straight line and the three broken styles, by id.
    int64_t dashed =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByID(COLOR_ID_LINE), 1.0f, LINE_STYLE_DASH));
    b.AddCurveSegment(dashed, Points({{9.8, 1}, {10.4, 3}}), false, true);
    int64_t dotted = b.AddCurve(
        QXDrawInfo::GetCurve(GetColorByID(static_cast<COLOR_TYPE>(3)), 1.5f, LINE_STYLE_DOT));
    b.AddCurveSegment(dotted, Points({{12.0, 6}, {12.3, 7}}), true, true);
    int64_t dashDot = b.AddCurve(
        QXDrawInfo::GetCurve(GetColorByID(static_cast<COLOR_TYPE>(2)), 1.0f, LINE_STYLE_DASHDOT));
    b.AddCurveSegment(dashDot, Points({{13.4, 2}, {13.4, 9}}), false, false);
    int64_t dashDotDot = b.AddCurve(QXDrawInfo::GetCurve(GetColorByID(static_cast<COLOR_TYPE>(5)),
                                                         1.0f, LINE_STYLE_DASHDOTDOT));
    b.AddCurveSegment(dashDotDot, Points({{9.4, 2}, {9.4, 9}}), false, false);
    int64_t hidden =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByID(COLOR_ID_LINE), 1.0f, LINE_STYLE_NONE));
    b.AddCurveSegment(hidden, Points({{9.0, 0}, {14.0, 13}}), false, false);
    // A stick body and frame, and a rectangle tool that reaches past the top.
    int64_t body = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByID(static_cast<COLOR_TYPE>(8)), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    b.AddRectanglePoints(body, {11.9, 14.65}, {11.3, 15.35});
    int64_t frame = b.AddRectangle(QXDrawInfo::GetRectangleFrame(
        GetColorByID(static_cast<COLOR_TYPE>(7)), 1.0f, LINE_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    b.AddRectanglePoints(frame, {13.0, 14.65}, {12.2, 15.35});
    int64_t area = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByID(COLOR_ID_TEXT), FILL_STYLE_SOLID, RECTANGLE_TYPE_PLAIN));
    b.AddRectanglePoints(area, {99.0, 8.5}, {12.7, 10.5});
    // A circle of radius 0.5 bars and a three-point ellipse.
    int64_t ring = b.AddElipse(
        QXDrawInfo::GetElipseFrame(GetColorByValue(0xFF9038F3), 1.0f, LINE_STYLE_SOLID));
    b.AddCircle(ring, {10.3, 2}, 0.5f);
    int64_t oval =
        b.AddElipse(QXDrawInfo::GetElipseFill(GetColorByValue(0x6000AAE8), FILL_STYLE_SOLID));
    b.AddElipsePoints(oval, Points({{11.0, 4.5}, {11.0, 7.5}, {11.5, 6}}));
    int64_t cross =
        b.AddCross(QXDrawInfo::GetCross(GetColorByValue(0xFF000000), 1.0f, LINE_STYLE_SOLID));
    b.AddCrossPoint(cross, {12.9, 9}, 0.3f);
    // Texts: a formula text centred on its bar, a marker label with offset.
    int64_t text =
        b.AddText(QXDrawInfo::GetText(GetColorByID(static_cast<COLOR_TYPE>(7)), 12.0f, 18, "", 0));
    b.AddTextItem(text, {9.5, 1}, kBuyGbk, 0, {0, 0});
    b.AddTextItem(text, {13.6, 11}, kSellGbk, 0, {0, 0});
    int64_t label = b.AddText(QXDrawInfo::GetText(GetColorByValue(0xFF202020), 11.0f, 17, "", 0));
    b.AddTextItem(label, {12.6, 8}, "<A&B> 'q\"", 1, {6.0, 4.0f});
    // Icons: the five glyphs and a fallback dot, by tag.
    int64_t icons = b.AddIcon(QXDrawInfo::GetVOZIcon(1));
    for (int tag = 1; tag <= 6; ++tag) {
        b.AddIconPoint(icons, {9.2 + 0.05 * tag, 3.0f + static_cast<float>(tag)}, tag);
    }
    return info;
}

// Indicator records: volume-like columns by id and a line with both ends extended.
inline GraphDrawInfo IndicatorRecords() {
    GraphDrawInfo info;
    GraphDrawInfoBuilder b(&info);
    int64_t up = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByID(static_cast<COLOR_TYPE>(7)), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    int64_t down = b.AddRectangle(QXDrawInfo::GetRectangleFill(
        GetColorByID(static_cast<COLOR_TYPE>(8)), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    std::vector<qxindex::Bar> bars = SampleBars();
    for (size_t i = 0; i < bars.size(); ++i) {
        float x = static_cast<float>(i);
        b.AddRectanglePoints(bars[i].close >= bars[i].open ? up : down, {bars[i].volume, x - 0.35f},
                             {0.0, x + 0.35f});
    }
    int64_t trend =
        b.AddCurve(QXDrawInfo::GetCurve(GetColorByValue(0xFF0064FF), 1.0f, LINE_STYLE_SOLID));
    b.AddCurveSegment(trend, Points({{1100.0, 3}, {1250.0, 8}}), true, true);
    return info;
}

inline qxindex::ChartSpec SampleChart() {
    qxindex::ChartSpec chartSpec;
    chartSpec.title = "Sample <chart> & records";
    chartSpec.bars = SampleBars();
    chartSpec.from = 0;
    chartSpec.to = 15;
    chartSpec.width = 640;
    chartSpec.height = 420;
    chartSpec.price.minValue = 9.0;
    chartSpec.price.maxValue = 13.5;
    chartSpec.price.pictures.push_back(PriceRecords());
    chartSpec.price.legend.push_back({"LINE", GetColorByValue(0xFFF59331)});
    chartSpec.price.legend.push_back({kBuyGbk, GetColorByID(static_cast<COLOR_TYPE>(7))});
    chartSpec.hasIndicator = true;
    chartSpec.indicator.minValue = 0.0;
    chartSpec.indicator.maxValue = 1600.0;
    chartSpec.indicator.pictures.push_back(IndicatorRecords());
    chartSpec.indicator.legend.push_back({"VOL", GetColorByID(static_cast<COLOR_TYPE>(7))});
    return chartSpec;
}

}  // namespace chart_fixtures
