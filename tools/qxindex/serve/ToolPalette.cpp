#include "tools/qxindex/serve/ToolPalette.h"

#include "IQXGraphShapeBase.h"
#include "tools/qxindex/ShapesFile.h"

namespace qxindex {
namespace {

struct PaletteRow {
    QX_GRAPH_TYPE eKind;
    const char* pszLabel;
    const char* pszGroup;
};

// clang-format off
constexpr PaletteRow kPaletteRows[] = {
    {QX_GRAPH_LINE_SEGMENT,             "Segment",                "Lines"},
    {QX_GRAPH_LINE_SEGMENT_HORIZONTAL,  "Horizontal segment",     "Lines"},
    {QX_GRAPH_LINE_SEGMENT_VERTICAL,    "Vertical segment",       "Lines"},
    {QX_GRAPH_LINE_RAY,                 "Ray",                    "Lines"},
    {QX_GRAPH_LINE_STRAIGHT,            "Line",                   "Lines"},
    {QX_GRAPH_LINE_STRAIGHT_HORIZONTAL, "Horizontal line",        "Lines"},
    {QX_GRAPH_LINE_PARALLEL,            "Parallel lines",         "Lines"},
    {QX_GRAPH_LINE_AISLE,               "Channel",                "Lines"},
    {QX_GRAPH_LINE_PERIOD,              "Period lines",           "Lines"},
    {QX_GRAPH_COMPLEX_GOLDEN_SECTION,   "Fibonacci retracement",  "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_FIB_TIME_ZONE,    "Fibonacci time zones",   "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_FIB_CHANNEL,      "Fibonacci channel",      "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_GANN_BOX,         "Gann box",               "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_GANN_FAN,         "Gann fan",               "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_SPEED_RESISTANCE, "Speed resistance lines", "Fibonacci and Gann"},
    {QX_GRAPH_COMPLEX_DIGESTION_POINT,  "Digestion point",        "Fibonacci and Gann"},
    {QX_GRAPH_SHAPE_TRIANGLE,           "Triangle",               "Shapes"},
    {QX_GRAPH_SHAPE_RETANGLE,           "Rectangle",              "Shapes"},
    {QX_GRAPH_SHAPE_PARALLELOGRAM,      "Parallelogram",          "Shapes"},
    {QX_GRAPH_SHAPE_CIRCLE,             "Circle",                 "Shapes"},
    {QX_GRAPH_SHAPE_ELIPSE,             "Ellipse",                "Shapes"},
    {QX_GRAPH_SHAPE_PARABOLA,           "Parabola",               "Shapes"},
    {QX_GRAPH_ARROW,                    "Arrow",                  "Shapes"},
    {QX_GRAPH_RISE_ARROW,               "Rise arrow",             "Shapes"},
    {QX_GRAPH_DROP_ARROW,               "Drop arrow",             "Shapes"},
    {QX_GRAPH_PATTERN_3,                "Three waves",            "Patterns"},
    {QX_GRAPH_PATTERN_5,                "Five waves",             "Patterns"},
    {QX_GRAPH_PATTERN_8,                "Eight waves",            "Patterns"},
    {QX_GRAPH_PATTERN_HEAD_SHOULDER,    "Head and shoulders",     "Patterns"},
    {QX_GRAPH_PATTERN_MW,               "M / W",                  "Patterns"},
    {QX_GRAPH_PATTERN_ABCD,             "ABCD",                   "Patterns"},
    {QX_GRAPH_PATTERN_XABCD,            "XABCD",                  "Patterns"},
    {QX_GRAPH_PATTERN_TRIANGLE,         "Triangle pattern",       "Patterns"},
    {QX_GRAPH_RANGE_DATE,               "Date range",             "Ranges and markers"},
    {QX_GRAPH_RANGE_PRICE,              "Price range",            "Ranges and markers"},
    {QX_GRAPH_RANGE_DATE_AND_PRICE,     "Date and price range",   "Ranges and markers"},
    {QX_GRAPH_MARKER_PRICE,             "Price marker",           "Ranges and markers"},
    {QX_GRAPH_MARKER_TEXT,              "Text marker",            "Ranges and markers"},
};
// clang-format on

static_assert(sizeof(kPaletteRows) / sizeof(kPaletteRows[0]) == 38, "every kind of the factory");

}  // namespace

nlohmann::json ToolPaletteJson() {
    nlohmann::json list = nlohmann::json::array();
    for (const PaletteRow& row : kPaletteRows) {
        list.push_back({{"kind", static_cast<int>(row.eKind)},
                        {"name", ShapeKindName(row.eKind)},
                        {"label", row.pszLabel},
                        {"group", row.pszGroup},
                        {"points", ShapeKindPoints(row.eKind)}});
    }
    return list;
}

}  // namespace qxindex
