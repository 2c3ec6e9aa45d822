// Drawing tools described in JSON, as a client would restore saved tools:
//
//   [ {"kind": "QX_GRAPH_LINE_SEGMENT",            (or the number, 1)
//      "points": [{"bar": 100, "price": 75.5}, {"bar": 140, "price": 92}],
//      "lineColor": "#ff8000", "fillColor": "#ff800040", "textColor": "#...",
//      (colours as #rrggbb, or #rrggbbaa with an alpha for see-through fills)
//      "lineWidth": 2, "lineStyle": 1,
//      "settings": {"levels": [0, 0.382, 0.618, 1], "direction": 1,
//                   "displayRatio": true, "displayPrice": false},
//      "label": {"text": "...", "fontSize": 12, "width": 120}} ]
//
// An entry holds the points a user clicks to place the tool, or all the points the
// tool keeps once placed (a price marker one or two, a text marker one to three).
// Every mistake (an unknown kind name, a wrong number of points, a non-number) is an error
// naming the entry and the field.
#pragma once

#include <string>
#include <vector>

#include "IQXGraphShapeBase.h"

namespace qxindex {

struct ShapesError {
    std::string message;
};

// Shapes made by the library's factory; released when this goes away.
class ShapeSet {
public:
    ShapeSet() = default;
    ~ShapeSet();
    ShapeSet(ShapeSet&& other) noexcept;
    ShapeSet& operator=(ShapeSet&& other) noexcept;
    ShapeSet(const ShapeSet&) = delete;
    ShapeSet& operator=(const ShapeSet&) = delete;

    void Add(IQXGraphShapeBase* shape) { m_vecShapes.push_back(shape); }
    const std::vector<IQXGraphShapeBase*>& Shapes() const { return m_vecShapes; }

private:
    std::vector<IQXGraphShapeBase*> m_vecShapes;
};

// Reads the file and creates every tool with its style, settings and points. The
// tools get their points before a converter, so nothing is adjusted yet: the
// caller gives them the chart's converter before it asks for records.
ShapeSet ReadShapesFile(const std::string& path);
ShapeSet ReadShapesJson(const std::string& text, const std::string& name);

// The enumerator name of a kind, or its number as text.
std::string ShapeKindName(int kind);
// The number of anchors a kind needs (0 for an unknown kind).
size_t ShapeKindPoints(int kind);

// How many points a file may give a kind: from the clicks that place it to the
// anchors it keeps once placed (both 0 for an unknown kind).
struct ShapeAnchorRange {
    size_t fewest = 0;
    size_t most = 0;
};
ShapeAnchorRange ShapeKindAnchorRange(int kind);

}  // namespace qxindex
