// Exported colour helpers, record getters and the two exported vector records.
#include "QXDrawInfo.h"

#include <cstdint>
#include <string>
#include <vector>

// The definitions behind the extern declarations of the header: every member of the
// two boundary vectors, exported.
template class QX_VECTOR_API std::vector<QXDrawInfo::QXPoint>;
template class QX_VECTOR_API std::vector<QXDrawInfo::GraphDrawInfo>;

namespace QXDrawInfo {

namespace {

// Colours are packed in unsigned arithmetic: shifting into or out of the sign bit of
// an int is not defined, and the alpha byte lands there. Every channel keeps only its
// low byte so that an out-of-range argument cannot spill into its neighbour.
uint32_t ToChannel(int component) {
    return static_cast<uint32_t>(component) & 0xFFu;
}

int PackColor(int r, int g, int b, int a) {
    const uint32_t packed =
        ToChannel(a) << 24 | ToChannel(b) << 16 | ToChannel(g) << 8 | ToChannel(r);
    return static_cast<int>(packed);
}

int ExtractChannel(int packed, int shift) {
    return static_cast<int>((static_cast<uint32_t>(packed) >> shift) & 0xFFu);
}

QXColor MakeColor(int colorId, int value, bool byValue) {
    QXColor color;
    color.colorId = colorId;
    color.value = value;
    color.byValue = byValue;
    return color;
}

// The line and fill records share one head; only the record type differs.
template <typename Record>
Record MakeLineRecord(float width, LINE_STYLE ls, FILL_STYLE fs, const QXColor& lineColor,
                      const QXColor& fillColor) {
    Record record;
    record.lineWidth = width;
    record.lineStyle = ls;
    record.fillStyle = fs;
    record.lineColor = lineColor;
    record.fillColor = fillColor;
    return record;
}

}  // namespace

QXPointVec::QXPointVec() = default;
QXPointVec::QXPointVec(const QXPointVec& other) = default;
QXPointVec& QXPointVec::operator=(const QXPointVec& other) = default;
QXPointVec::~QXPointVec() = default;

const std::vector<QXPoint>& QXPointVec::GetPoint() const {
    return m_vecPoints;
}

void QXPointVec::SetPoint(const std::vector<QXPoint>& points) {
    m_vecPoints = points;
}

GraphDrawInfoVec::GraphDrawInfoVec() = default;
GraphDrawInfoVec::GraphDrawInfoVec(const GraphDrawInfoVec& other) = default;
GraphDrawInfoVec& GraphDrawInfoVec::operator=(const GraphDrawInfoVec& other) = default;
GraphDrawInfoVec::~GraphDrawInfoVec() = default;

const std::vector<GraphDrawInfo>& GraphDrawInfoVec::GetGraphDrawInfo() const {
    return m_vecInfos;
}

std::vector<GraphDrawInfo>& GraphDrawInfoVec::GetGraphDrawInfo() {
    return m_vecInfos;
}

int MakeRGBVal(int r, int g, int b) {
    return PackColor(r, g, b, 0xFF);
}

int MakeRGBAVal(int r, int g, int b, int a) {
    return PackColor(r, g, b, a);
}

int GetRVal(int v) {
    return ExtractChannel(v, 0);
}

int GetGVal(int v) {
    return ExtractChannel(v, 8);
}

int GetBVal(int v) {
    return ExtractChannel(v, 16);
}

int GetAVal(int v) {
    return ExtractChannel(v, 24);
}

QXColor GetColorByID(COLOR_TYPE id) {
    return MakeColor(id, 0, false);
}

QXColor GetColorByValue(int v) {
    return MakeColor(0, v, true);
}

// Alpha comes first in the argument list but last in the packed value.
QXColor GetColorByARGB(int a, int r, int g, int b) {
    return MakeColor(0, PackColor(r, g, b, a), true);
}

QXColor GetEmptyColor() {
    return MakeColor(0, 0, false);
}

QXColor GetDefaultColor() {
    return MakeColor(0, PackColor(0x80, 0x80, 0xFF, 0xFF), true);
}

CurveDrawInfo GetCurve(QXColor color, float width, LINE_STYLE ls) {
    return GetCurveFrame(color, width, ls);
}

CurveDrawInfo GetCurveFrame(QXColor color, float width, LINE_STYLE ls) {
    return MakeLineRecord<CurveDrawInfo>(width, ls, FILL_STYLE_NONE, color, GetEmptyColor());
}

// Unlike the other fill getters, a curve fill keeps width 1.
CurveDrawInfo GetCurveFill(QXColor color, FILL_STYLE fs) {
    return MakeLineRecord<CurveDrawInfo>(1.0f, LINE_STYLE_NONE, fs, GetEmptyColor(), color);
}

RectangleDrawInfo GetRectangleFill(QXColor color, FILL_STYLE fs, RECTANGLE_TYPE rt) {
    RectangleDrawInfo record =
        MakeLineRecord<RectangleDrawInfo>(0.0f, LINE_STYLE_NONE, fs, GetEmptyColor(), color);
    record.rectangleType = rt;
    return record;
}

RectangleDrawInfo GetRectangleFrame(QXColor color, float width, LINE_STYLE ls, RECTANGLE_TYPE rt) {
    RectangleDrawInfo record =
        MakeLineRecord<RectangleDrawInfo>(width, ls, FILL_STYLE_NONE, color, GetEmptyColor());
    record.rectangleType = rt;
    return record;
}

ElipseDrawInfo GetElipseFill(QXColor color, FILL_STYLE fs) {
    return MakeLineRecord<ElipseDrawInfo>(0.0f, LINE_STYLE_NONE, fs, GetEmptyColor(), color);
}

ElipseDrawInfo GetElipseFrame(QXColor color, float width, LINE_STYLE ls) {
    return MakeLineRecord<ElipseDrawInfo>(width, ls, FILL_STYLE_NONE, color, GetEmptyColor());
}

CrossDrawInfo GetCross(QXColor color, float width, LINE_STYLE ls) {
    CrossDrawInfo record;
    record.lineWidth = width;
    record.lineStyle = ls;
    record.color = color;
    return record;
}

// The short form sets the second and fill colours to "by value, 0", not to the empty
// colour (which is "by id, 0").
TextDrawInfo GetText(QXColor textColor, float fontSize, int style, const std::string& fontName,
                     int mode) {
    const QXColor zeroValue = MakeColor(0, 0, true);
    return GetText(textColor, zeroValue, zeroValue, fontSize, style, fontName, mode, 0);
}

TextDrawInfo GetText(QXColor textColor, QXColor secondColor, QXColor fillColor, float fontSize,
                     int style, const std::string& fontName, int mode, int extra) {
    TextDrawInfo record;
    record.fontSize = fontSize;
    record.mode = mode;
    record.textColor = textColor;
    record.fontName = fontName;
    record.secondColor = secondColor;
    record.fillColor = fillColor;
    record.extra = extra;
    record.style = style;
    return record;
}

VOZIconDrawInfo GetVOZIcon(int iconId) {
    VOZIconDrawInfo record;
    record.iconId = iconId;
    return record;
}

}  // namespace QXDrawInfo
