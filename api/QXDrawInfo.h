// Drawing records: everything the library wants painted reaches the client as
// GraphDrawInfo records. Points are in data coordinates (value, bar position);
// the client maps them to pixels. Layout and field order are part of the
// exported interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "QXExport.h"

// The four enumerations belong to the client's renderer: the library only stores
// and passes their values. The names given here are the meanings our own host
// tool uses.
enum COLOR_TYPE : int {
    COLOR_ID_NONE = 0,
    COLOR_ID_LINE = 1,  // default line colour of drawing tools
    COLOR_ID_TEXT = 4,  // default fill and text colour of drawing tools
};

enum LINE_STYLE : int {
    LINE_STYLE_NONE = 0,
    LINE_STYLE_SOLID = 1,
    LINE_STYLE_DASH = 2,
    LINE_STYLE_DOT = 3,
    LINE_STYLE_DASHDOT = 4,
    LINE_STYLE_DASHDOTDOT = 5,
};

enum FILL_STYLE : int {
    FILL_STYLE_NONE = 0,
    FILL_STYLE_SOLID = 1,
};

enum RECTANGLE_TYPE : int {
    RECTANGLE_TYPE_PLAIN = 0,  // sticks
    RECTANGLE_TYPE_BAR = 1,    // columns and candle bodies
};

namespace QXDrawInfo {

// Packed colours are 0xAABBGGRR: red in the low byte.
struct QX_API QXColor {
    int colorId = 0;       // COLOR_TYPE, used when byValue is false
    int value = 0;         // packed colour, used when byValue is true
    bool byValue = false;  // all zero is the empty colour
};

struct QX_API QXPoint {
    double value = 0.0;     // vertical: a price or an indicator value
    float position = 0.0f;  // horizontal: bar index, fractions allowed
};

}  // namespace QXDrawInfo

// The vectors of points and pictures cross the boundary, so their members are
// instantiated once, in the library, and exported; no other unit makes its own
// (hidden) copies. GCC takes the visibility of std and of the element type and would
// ignore an attribute here, so the export macro is only needed on Windows.
extern template class QX_VECTOR_API std::vector<QXDrawInfo::QXPoint>;

namespace QXDrawInfo {

class QX_API QXPointVec {
public:
    QXPointVec();
    QXPointVec(const QXPointVec& other);
    QXPointVec& operator=(const QXPointVec& other);
    ~QXPointVec();

    const std::vector<QXPoint>& GetPoint() const;
    void SetPoint(const std::vector<QXPoint>& points);

private:
    std::vector<QXPoint> m_vecPoints;
};

struct QX_API CurveSegment {
    QXPointVec points;
    bool extendStart = false;  // continues backwards beyond the first point
    bool extendEnd = false;    // continues forwards beyond the last point
};

struct QX_API RectangleItem {
    QXPoint first;
    QXPoint second;
};

struct QX_API CurveDrawInfo {
    float lineWidth = 0.0f;
    LINE_STYLE lineStyle = LINE_STYLE_NONE;
    FILL_STYLE fillStyle = FILL_STYLE_NONE;
    QXColor lineColor;
    QXColor fillColor;
    std::vector<CurveSegment> items;
};

struct QX_API RectangleDrawInfo {
    float lineWidth = 0.0f;
    LINE_STYLE lineStyle = LINE_STYLE_NONE;
    FILL_STYLE fillStyle = FILL_STYLE_NONE;
    QXColor lineColor;
    QXColor fillColor;
    RECTANGLE_TYPE rectangleType = RECTANGLE_TYPE_PLAIN;
    std::vector<RectangleItem> items;
};

// An item is two points (the ends of one axis) or three.
struct QX_API ElipseDrawInfo {
    float lineWidth = 0.0f;
    LINE_STYLE lineStyle = LINE_STYLE_NONE;
    FILL_STYLE fillStyle = FILL_STYLE_NONE;
    QXColor lineColor;
    QXColor fillColor;
    std::vector<QXPointVec> items;
};

struct QX_API CrossItem {
    QXPoint point;
    float size = 0.0f;  // greater than 0
};

struct QX_API CrossDrawInfo {
    float lineWidth = 0.0f;
    LINE_STYLE lineStyle = LINE_STYLE_NONE;
    QXColor color;
    std::vector<CrossItem> items;
};

struct QX_API TextItem {
    QXPoint position;
    int flags = 0;
    QXPoint offset;
    std::string text;  // never empty
};

struct QX_API TextDrawInfo {
    float fontSize = 0.0f;
    int mode = 0;
    QXColor textColor;
    std::string fontName;
    std::vector<TextItem> items;
    QXColor secondColor;
    QXColor fillColor;
    int extra = 0;
    int style = 0;
};

struct QX_API IconItem {
    QXPoint point;
    int tag = 0;
};

struct QX_API VOZIconDrawInfo {
    int iconId = 0;
    std::vector<IconItem> items;
};

// One picture. drawOrder holds one key per item in the order the items were
// produced (handle * 100000000 + item index), across all record kinds.
struct QX_API GraphDrawInfo {
    std::vector<int64_t> drawOrder;
    std::vector<CurveDrawInfo> curves;
    std::vector<RectangleDrawInfo> rectangles;
    std::vector<ElipseDrawInfo> ellipses;
    std::vector<CrossDrawInfo> crosses;
    std::vector<TextDrawInfo> texts;
    std::vector<VOZIconDrawInfo> icons;
};

}  // namespace QXDrawInfo

extern template class QX_VECTOR_API std::vector<QXDrawInfo::GraphDrawInfo>;

namespace QXDrawInfo {

class QX_API GraphDrawInfoVec {
public:
    GraphDrawInfoVec();
    GraphDrawInfoVec(const GraphDrawInfoVec& other);
    GraphDrawInfoVec& operator=(const GraphDrawInfoVec& other);
    ~GraphDrawInfoVec();

    const std::vector<GraphDrawInfo>& GetGraphDrawInfo() const;
    std::vector<GraphDrawInfo>& GetGraphDrawInfo();

private:
    std::vector<GraphDrawInfo> m_vecInfos;
};

// Colour helpers.
QX_API int MakeRGBVal(int r, int g, int b);
QX_API int MakeRGBAVal(int r, int g, int b, int a);
QX_API int GetRVal(int v);
QX_API int GetGVal(int v);
QX_API int GetBVal(int v);
QX_API int GetAVal(int v);
QX_API QXColor GetColorByID(COLOR_TYPE id);
QX_API QXColor GetColorByValue(int v);
QX_API QXColor GetColorByARGB(int a, int r, int g, int b);
QX_API QXColor GetEmptyColor();
QX_API QXColor GetDefaultColor();

// Record getters: an element record with its styles and no items.
QX_API CurveDrawInfo GetCurve(QXColor color, float width, LINE_STYLE ls);
QX_API CurveDrawInfo GetCurveFrame(QXColor color, float width, LINE_STYLE ls);
QX_API CurveDrawInfo GetCurveFill(QXColor color, FILL_STYLE fs);
QX_API RectangleDrawInfo GetRectangleFill(QXColor color, FILL_STYLE fs, RECTANGLE_TYPE rt);
QX_API RectangleDrawInfo GetRectangleFrame(QXColor color, float width, LINE_STYLE ls,
                                           RECTANGLE_TYPE rt);
QX_API ElipseDrawInfo GetElipseFill(QXColor color, FILL_STYLE fs);
QX_API ElipseDrawInfo GetElipseFrame(QXColor color, float width, LINE_STYLE ls);
QX_API CrossDrawInfo GetCross(QXColor color, float width, LINE_STYLE ls);
QX_API TextDrawInfo GetText(QXColor textColor, float fontSize, int style,
                            const std::string& fontName, int mode);
QX_API TextDrawInfo GetText(QXColor textColor, QXColor secondColor, QXColor fillColor,
                            float fontSize, int style, const std::string& fontName, int mode,
                            int extra);
QX_API VOZIconDrawInfo GetVOZIcon(int iconId);

}  // namespace QXDrawInfo
