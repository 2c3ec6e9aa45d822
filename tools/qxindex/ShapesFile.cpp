#include "tools/qxindex/ShapesFile.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "QXGraphInterface.h"
#include "QXGraphSettings.h"

namespace qxindex {
namespace {

// The kinds a file may name. `points` is what the kind reports it needs; a file
// may hold as few anchors as the user clicks to place the tool and as many as the
// tool keeps once placed. The markers differ: one click places them and the tool
// adds its label point (and the text marker its box end) itself.
struct KindName {
    QX_GRAPH_TYPE kind;
    const char* name;
    size_t points;
    size_t clicks;
    size_t kept;
};

// clang-format off
constexpr KindName kKindNames[] = {
    {QX_GRAPH_LINE_SEGMENT,              "QX_GRAPH_LINE_SEGMENT",              2, 2, 2},
    {QX_GRAPH_LINE_SEGMENT_HORIZONTAL,   "QX_GRAPH_LINE_SEGMENT_HORIZONTAL",   2, 2, 2},
    {QX_GRAPH_LINE_SEGMENT_VERTICAL,     "QX_GRAPH_LINE_SEGMENT_VERTICAL",     2, 2, 2},
    {QX_GRAPH_LINE_RAY,                  "QX_GRAPH_LINE_RAY",                  2, 2, 2},
    {QX_GRAPH_LINE_STRAIGHT,             "QX_GRAPH_LINE_STRAIGHT",             2, 2, 2},
    {QX_GRAPH_LINE_PARALLEL,             "QX_GRAPH_LINE_PARALLEL",             3, 3, 3},
    {QX_GRAPH_LINE_PERIOD,               "QX_GRAPH_LINE_PERIOD",               2, 2, 2},
    {QX_GRAPH_LINE_AISLE,                "QX_GRAPH_LINE_AISLE",                3, 3, 3},
    {QX_GRAPH_LINE_STRAIGHT_HORIZONTAL,  "QX_GRAPH_LINE_STRAIGHT_HORIZONTAL",  1, 1, 1},
    {QX_GRAPH_SHAPE_TRIANGLE,            "QX_GRAPH_SHAPE_TRIANGLE",            3, 3, 3},
    {QX_GRAPH_SHAPE_RETANGLE,            "QX_GRAPH_SHAPE_RETANGLE",            2, 2, 2},
    {QX_GRAPH_SHAPE_PARALLELOGRAM,       "QX_GRAPH_SHAPE_PARALLELOGRAM",       3, 3, 3},
    {QX_GRAPH_SHAPE_CIRCLE,              "QX_GRAPH_SHAPE_CIRCLE",              2, 2, 2},
    {QX_GRAPH_SHAPE_ELIPSE,              "QX_GRAPH_SHAPE_ELIPSE",              3, 3, 3},
    {QX_GRAPH_SHAPE_PARABOLA,            "QX_GRAPH_SHAPE_PARABOLA",            3, 3, 3},
    {QX_GRAPH_PATTERN_3,                 "QX_GRAPH_PATTERN_3",                 4, 4, 4},
    {QX_GRAPH_PATTERN_5,                 "QX_GRAPH_PATTERN_5",                 6, 6, 6},
    {QX_GRAPH_PATTERN_8,                 "QX_GRAPH_PATTERN_8",                 9, 9, 9},
    {QX_GRAPH_PATTERN_HEAD_SHOULDER,     "QX_GRAPH_PATTERN_HEAD_SHOULDER",     7, 7, 7},
    {QX_GRAPH_PATTERN_MW,                "QX_GRAPH_PATTERN_MW",                5, 5, 5},
    {QX_GRAPH_PATTERN_ABCD,              "QX_GRAPH_PATTERN_ABCD",              4, 4, 4},
    {QX_GRAPH_PATTERN_XABCD,             "QX_GRAPH_PATTERN_XABCD",             5, 5, 5},
    {QX_GRAPH_PATTERN_TRIANGLE,          "QX_GRAPH_PATTERN_TRIANGLE",          4, 4, 4},
    {QX_GRAPH_COMPLEX_SPEED_RESISTANCE,  "QX_GRAPH_COMPLEX_SPEED_RESISTANCE",  2, 2, 2},
    {QX_GRAPH_COMPLEX_GANN_BOX,          "QX_GRAPH_COMPLEX_GANN_BOX",          2, 2, 2},
    {QX_GRAPH_COMPLEX_GANN_FAN,          "QX_GRAPH_COMPLEX_GANN_FAN",          2, 2, 2},
    {QX_GRAPH_COMPLEX_FIB_CHANNEL,       "QX_GRAPH_COMPLEX_FIB_CHANNEL",       3, 3, 3},
    {QX_GRAPH_COMPLEX_DIGESTION_POINT,   "QX_GRAPH_COMPLEX_DIGESTION_POINT",   2, 2, 2},
    {QX_GRAPH_COMPLEX_FIB_TIME_ZONE,     "QX_GRAPH_COMPLEX_FIB_TIME_ZONE",     2, 2, 2},
    {QX_GRAPH_COMPLEX_GOLDEN_SECTION,    "QX_GRAPH_COMPLEX_GOLDEN_SECTION",    2, 2, 2},
    {QX_GRAPH_RANGE_DATE,                "QX_GRAPH_RANGE_DATE",                2, 2, 2},
    {QX_GRAPH_RANGE_PRICE,               "QX_GRAPH_RANGE_PRICE",               2, 2, 2},
    {QX_GRAPH_RANGE_DATE_AND_PRICE,      "QX_GRAPH_RANGE_DATE_AND_PRICE",      2, 2, 2},
    {QX_GRAPH_ARROW,                     "QX_GRAPH_ARROW",                     2, 2, 2},
    {QX_GRAPH_RISE_ARROW,                "QX_GRAPH_RISE_ARROW",                1, 1, 1},
    {QX_GRAPH_DROP_ARROW,                "QX_GRAPH_DROP_ARROW",                1, 1, 1},
    {QX_GRAPH_MARKER_TEXT,               "QX_GRAPH_MARKER_TEXT",               2, 1, 3},
    {QX_GRAPH_MARKER_PRICE,              "QX_GRAPH_MARKER_PRICE",              2, 1, 2},
};
// clang-format on

static_assert(sizeof(kKindNames) / sizeof(kKindNames[0]) == 38, "every kind of the factory");

using Json = nlohmann::json;

class EntryReader {
public:
    EntryReader(const std::string& name, size_t index) {
        std::ostringstream where;
        where << name << ": entry " << index;
        m_strWhere = where.str();
    }

    [[noreturn]] void Fail(const std::string& field, const std::string& what) const {
        throw ShapesError{m_strWhere + ", field '" + field + "': " + what};
    }

    double Number(const Json& value, const std::string& field) const {
        if (!value.is_number()) Fail(field, "expected a number, found " + value.dump());
        return value.get<double>();
    }

    int Integer(const Json& value, const std::string& field) const {
        double v = Number(value, field);
        if (v != static_cast<double>(static_cast<int>(v))) Fail(field, "expected a whole number");
        return static_cast<int>(v);
    }

    bool Boolean(const Json& value, const std::string& field) const {
        if (!value.is_boolean()) Fail(field, "expected true or false");
        return value.get<bool>();
    }

    std::string Text(const Json& value, const std::string& field) const {
        if (!value.is_string()) Fail(field, "expected a string");
        return value.get<std::string>();
    }

    // "#rrggbb", or "#rrggbbaa" with an alpha (00 transparent .. ff opaque).
    QXDrawInfo::QXColor Colour(const Json& value, const std::string& field) const {
        std::string text = Text(value, field);
        unsigned digits = 0;
        unsigned alpha = 0xFF;
        char extra = 0;
        bool ok = false;
        if (text.size() == 7) {
            ok = std::sscanf(text.c_str(), "#%6x%c", &digits, &extra) == 1;
        } else if (text.size() == 9) {
            ok = std::sscanf(text.c_str(), "#%8x%c", &digits, &extra) == 1;
            alpha = digits & 0xFF;
            digits >>= 8;
        }
        if (!ok) Fail(field, "expected a colour as #rrggbb or #rrggbbaa");
        QXDrawInfo::QXColor colour;
        colour.byValue = true;
        colour.value = static_cast<int>((alpha << 24) | ((digits & 0xFF) << 16) |
                                        (digits & 0xFF00) | ((digits >> 16) & 0xFF));
        return colour;
    }

    QX_GRAPH_TYPE Kind(const Json& value) const {
        if (value.is_string()) {
            std::string name = value.get<std::string>();
            for (const KindName& k : kKindNames) {
                if (name == k.name) return k.kind;
            }
            Fail("kind", "unknown kind '" + name + "'");
        }
        int number = Integer(value, "kind");
        for (const KindName& k : kKindNames) {
            if (number == k.kind) return k.kind;
        }
        Fail("kind", "unknown kind " + std::to_string(number));
    }

private:
    std::string m_strWhere;
};

std::vector<QXGraphPoint> ReadPoints(const EntryReader& reader, const Json& entry) {
    if (!entry.contains("points") || !entry["points"].is_array()) {
        reader.Fail("points", "expected a list of {\"bar\": ..., \"price\": ...}");
    }
    std::vector<QXGraphPoint> points;
    for (size_t i = 0; i < entry["points"].size(); ++i) {
        const Json& p = entry["points"][i];
        std::string field = "points[" + std::to_string(i) + "]";
        if (!p.is_object() || !p.contains("bar") || !p.contains("price")) {
            reader.Fail(field, "expected {\"bar\": ..., \"price\": ...}");
        }
        QXGraphPoint point{};
        point.position = static_cast<float>(reader.Number(p["bar"], field + ".bar"));
        point.price = reader.Number(p["price"], field + ".price");
        points.push_back(point);
    }
    return points;
}

std::vector<stSingleLineDrawParams> ReadLevels(const EntryReader& reader, const Json& levels,
                                               bool asBarCounts) {
    if (!levels.is_array()) reader.Fail("settings.levels", "expected a list of numbers");
    std::vector<stSingleLineDrawParams> result;
    for (size_t i = 0; i < levels.size(); ++i) {
        std::string field = "settings.levels[" + std::to_string(i) + "]";
        stSingleLineDrawParams level;
        level.nLevel = static_cast<int32_t>(i);
        if (asBarCounts) {
            level.value.nBars = reader.Integer(levels[i], field);
        } else {
            level.value.fRatio = static_cast<float>(reader.Number(levels[i], field));
        }
        result.push_back(level);
    }
    return result;
}

void ApplySettings(const EntryReader& reader, const Json& settings, IQXGraphShapeBase* shape) {
    if (!settings.is_object()) reader.Fail("settings", "expected an object");
    QX_GRAPH_TYPE kind = shape->GetGraphType();
    if (kind == QX_GRAPH_COMPLEX_FIB_TIME_ZONE) {
        stFibTimeZoneSettings zone;
        if (settings.contains("levels"))
            zone.SetLineParams(ReadLevels(reader, settings["levels"], true));
        if (settings.contains("direction")) {
            zone.SetExtendDirection(static_cast<enLineExtendDirection>(
                reader.Integer(settings["direction"], "settings.direction")));
        }
        shape->SetSettings(&zone);
    } else if (kind == QX_GRAPH_COMPLEX_GOLDEN_SECTION) {
        stGoldenSectionSettings golden;
        if (settings.contains("levels")) {
            golden.SetLineParams(ReadLevels(reader, settings["levels"], false));
        }
        if (settings.contains("direction")) {
            golden.SetExtendDirection(static_cast<enLineExtendDirection>(
                reader.Integer(settings["direction"], "settings.direction")));
        }
        if (settings.contains("displayRatio")) {
            golden.SetDisplayRatio(
                reader.Boolean(settings["displayRatio"], "settings.displayRatio"));
        }
        if (settings.contains("displayPrice")) {
            golden.SetDisplayPrice(
                reader.Boolean(settings["displayPrice"], "settings.displayPrice"));
        }
        shape->SetSettings(&golden);
    } else {
        reader.Fail("settings", "only the time zone and the golden section take settings");
    }
}

void ApplyLabel(const EntryReader& reader, const Json& label, IQXGraphShapeBase* shape) {
    if (!label.is_object()) reader.Fail("label", "expected an object");
    if (label.contains("text")) shape->SetLabelText(reader.Text(label["text"], "label.text"));
    if (label.contains("fontSize"))
        shape->SetLabelFontSize(reader.Integer(label["fontSize"], "label.fontSize"));
    if (label.contains("width"))
        shape->SetLabelWidth(reader.Integer(label["width"], "label.width"));
    if (label.contains("textColor"))
        shape->SetLabelTextColor(reader.Colour(label["textColor"], "label.textColor"));
}

}  // namespace

ShapeSet::~ShapeSet() {
    for (IQXGraphShapeBase* shape : m_vecShapes) QXGraphInterface::ReleaseGraphShape(shape);
}

ShapeSet::ShapeSet(ShapeSet&& other) noexcept : m_vecShapes(std::move(other.m_vecShapes)) {
    other.m_vecShapes.clear();
}

ShapeSet& ShapeSet::operator=(ShapeSet&& other) noexcept {
    if (this != &other) {
        for (IQXGraphShapeBase* shape : m_vecShapes) QXGraphInterface::ReleaseGraphShape(shape);
        m_vecShapes = std::move(other.m_vecShapes);
        other.m_vecShapes.clear();
    }
    return *this;
}

ShapeSet ReadShapesJson(const std::string& text, const std::string& name) {
    Json root = Json::parse(text, nullptr, false);
    if (root.is_discarded()) throw ShapesError{name + ": not valid JSON"};
    if (!root.is_array()) throw ShapesError{name + ": expected a list of tools"};
    ShapeSet shapes;
    for (size_t i = 0; i < root.size(); ++i) {
        const Json& entry = root[i];
        EntryReader reader(name, i);
        if (!entry.is_object()) reader.Fail("", "expected an object");
        if (!entry.contains("kind")) reader.Fail("kind", "missing");
        QX_GRAPH_TYPE kind = reader.Kind(entry["kind"]);
        IQXGraphShapeBase* shape = QXGraphInterface::CreateGraphShape(kind);
        if (shape == nullptr) throw ShapesError{name + ": out of memory"};
        shapes.Add(shape);
        if (entry.contains("lineColor"))
            shape->SetLineColor(reader.Colour(entry["lineColor"], "lineColor"));
        if (entry.contains("fillColor"))
            shape->SetFillColor(reader.Colour(entry["fillColor"], "fillColor"));
        if (entry.contains("textColor"))
            shape->SetTextColor(reader.Colour(entry["textColor"], "textColor"));
        if (entry.contains("lineWidth"))
            shape->SetLineWidth(reader.Integer(entry["lineWidth"], "lineWidth"));
        if (entry.contains("lineStyle"))
            shape->SetLineStyle(reader.Integer(entry["lineStyle"], "lineStyle"));
        if (entry.contains("settings")) ApplySettings(reader, entry["settings"], shape);
        if (entry.contains("label")) ApplyLabel(reader, entry["label"], shape);
        std::vector<QXGraphPoint> points = ReadPoints(reader, entry);
        const ShapeAnchorRange range = ShapeKindAnchorRange(kind);
        if (points.size() < range.fewest || points.size() > range.most) {
            std::string counts = std::to_string(range.fewest);
            if (range.most != range.fewest) counts += " to " + std::to_string(range.most);
            reader.Fail("points", ShapeKindName(kind) + " takes " + counts + " point" +
                                      (range.most == 1 ? "" : "s") + ", found " +
                                      std::to_string(points.size()));
        }
        shape->SetPoints(points);
    }
    return shapes;
}

ShapeSet ReadShapesFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw ShapesError{"cannot open shapes file '" + path + "'"};
    std::ostringstream text;
    text << in.rdbuf();
    return ReadShapesJson(text.str(), path);
}

size_t ShapeKindPoints(int kind) {
    for (const KindName& k : kKindNames) {
        if (k.kind == kind) return k.points;
    }
    return 0;
}

ShapeAnchorRange ShapeKindAnchorRange(int kind) {
    for (const KindName& k : kKindNames) {
        if (k.kind == kind) return ShapeAnchorRange{k.clicks, k.kept};
    }
    return ShapeAnchorRange{};
}

std::string ShapeKindName(int kind) {
    for (const KindName& k : kKindNames) {
        if (k.kind == kind) return k.name;
    }
    return std::to_string(kind);
}

}  // namespace qxindex
