#include "graph/MarkerShapes.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/GraphGeometry.h"
#include "graph/MeasureLabels.h"

using QXDrawInfo::QXColor;
using QXDrawInfo::QXPoint;

namespace {

constexpr int kDefaultFontSize = 12;
constexpr int kMarkerTextStyle = 17;
constexpr int kMarkerTextFlags = 1;
constexpr int kPriceDecimals = 3;

// The label point sits at least this far right of the marked point.
constexpr double kLabelGapPixels = 5.0;
// ... and this far below it, unless the chart's bottom is nearer than
// kLabelBottomMarginPixels, in which case it goes the same distance above.
constexpr float kLabelDropPixels = 30.0f;
constexpr float kLabelBottomMarginPixels = 60.0f;

// Narrower boxes could not show a single word.
constexpr float kMinTextBoxPixels = 40.0f;

enum EMarkerAnchor : int { kPricePoint = 0, kLabelPoint = 1, kBoxEnd = 2 };

// Strings may need memory; on exhaustion the old text stays rather than an
// exception reaching the client.
void AssignText(std::string& strTarget, const std::string& strSource) {
    try {
        strTarget = strSource;
    } catch (...) {
    }
}

}  // namespace

QXGraphMarkerPrice::QXGraphMarkerPrice()
    : m_strLabelFontName(),
      m_strText(),
      m_nLabelFontSize(kDefaultFontSize),
      m_nLabelMode(0),
      m_clrLabelText(),
      m_clrLabelSecond() {
    // Markers start with empty line and fill colours: their text records show
    // no box colours until the client sets some.
    m_clrLine = QXDrawInfo::GetEmptyColor();
    m_clrFill = QXDrawInfo::GetEmptyColor();
    m_bDirty = true;
}

QX_GRAPH_TYPE QXGraphMarkerPrice::GetGraphType() const {
    return QX_GRAPH_MARKER_PRICE;
}
int QXGraphMarkerPrice::GetNeedPointCount() const {
    return 2;
}

void QXGraphMarkerPrice::SetLabelText(const std::string& strText) {
    AssignText(m_strText, strText);
    m_bDirty = true;
}
void QXGraphMarkerPrice::SetLabelFontSize(int nSize) {
    m_nLabelFontSize = nSize;
    m_bDirty = true;
}
void QXGraphMarkerPrice::SetLabelMode(int nMode) {
    m_nLabelMode = nMode;
    m_bDirty = true;
}
void QXGraphMarkerPrice::SetLabelTextColor(QXColor color) {
    m_clrLabelText = color;
    m_bDirty = true;
}
void QXGraphMarkerPrice::SetLabelFontName(const std::string& strName) {
    AssignText(m_strLabelFontName, strName);
    m_bDirty = true;
}
void QXGraphMarkerPrice::SetLabelSecondColor(QXColor color) {
    m_clrLabelSecond = color;
    m_bDirty = true;
}

const std::string& QXGraphMarkerPrice::GetLabelText() const {
    return m_strText;
}
int QXGraphMarkerPrice::GetLabelFontSize() const {
    return m_nLabelFontSize;
}
int QXGraphMarkerPrice::GetLabelMode() const {
    return m_nLabelMode;
}
QXColor QXGraphMarkerPrice::GetLabelTextColor() const {
    return m_clrLabelText;
}
const std::string& QXGraphMarkerPrice::GetLabelFontName() const {
    return m_strLabelFontName;
}
QXColor QXGraphMarkerPrice::GetLabelSecondColor() const {
    return m_clrLabelSecond;
}

bool QXGraphMarkerPrice::OnMouseDrag(float fromX, float fromY, float toX, float toY) {
    if (!QXGraphShapeBase::OnMouseDrag(fromX, fromY, toX, toY)) return false;
    // The text follows the price point wherever it is dragged.
    if (m_nSelectedPoint == kPricePoint) RunAdjustPoints();
    return true;
}

void QXGraphMarkerPrice::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    const int64_t hText = builder.AddText(QXDrawInfo::GetText(
        m_clrLabelText, m_clrLabelSecond, m_clrFill, static_cast<float>(m_nLabelFontSize),
        kMarkerTextStyle, m_strLabelFontName, m_nLabelMode, 0));
    builder.AddTextItem(hText, vecPoints[kLabelPoint], m_strText, kMarkerTextFlags, QXPoint());
    m_vecDrawInfos.push_back(std::move(info));
}

void QXGraphMarkerPrice::AdjustPoints() {
    if (m_vecPoints.size() == 1) AddLabelPoint(ReadBarWidth());
    if (m_vecPoints.empty()) return;
    SetLabelText(MeasureLabels::FormatFixed(m_vecPoints[kPricePoint].price, kPriceDecimals));
}

float QXGraphMarkerPrice::ReadBarWidth() const {
    float width = 1.0f;
    if (m_pCoordinate != nullptr) m_pCoordinate->GetBarWidth(&width);
    // A width the converter cannot mean (zero, negative, not a number) would
    // throw the label off to infinity; one pixel per bar keeps it near.
    if (!(width > 0.0f) || !std::isfinite(width)) width = 1.0f;
    return width;
}

void QXGraphMarkerPrice::AddLabelPoint(float barWidth) {
    if (m_vecPoints.size() != 1) return;
    const QXGraphPoint& anchor = m_vecPoints[kPricePoint];
    QXGraphPoint label = anchor;
    // A whole number of bars, at least the gap's worth of pixels.
    label.position = anchor.position + static_cast<float>(std::ceil(kLabelGapPixels / barWidth));
    int nTime = 0;
    if (m_pCoordinate != nullptr) m_pCoordinate->PositionToTime(label.position, &nTime);
    label.time = nTime;

    const float y = GraphGeometry::PriceToPixelY(m_pCoordinate, anchor.price);
    float bottom = 0.0f;
    if (m_pCoordinate != nullptr) m_pCoordinate->GetChartBottom(&bottom);
    const float labelY =
        bottom > y + kLabelBottomMarginPixels ? y + kLabelDropPixels : y - kLabelDropPixels;
    label.price = GraphGeometry::PixelYToPrice(m_pCoordinate, labelY);
    m_vecPoints.push_back(label);
}

QXGraphMarkerText::QXGraphMarkerText() : m_nLabelWidth(0) {}

QX_GRAPH_TYPE QXGraphMarkerText::GetGraphType() const {
    return QX_GRAPH_MARKER_TEXT;
}

void QXGraphMarkerText::SetLabelWidth(int nWidth) {
    m_nLabelWidth = nWidth;
    m_bDirty = true;
}
int QXGraphMarkerText::GetLabelWidth() const {
    return m_nLabelWidth;
}

bool QXGraphMarkerText::OnMouseDrag(float fromX, float fromY, float toX, float toY) {
    if (m_nSelectedPoint == kBoxEnd && m_vecPoints.size() > kBoxEnd) {
        float boxEndX = 0.0f;
        float boxEndY = 0.0f;
        float labelX = 0.0f;
        float labelY = 0.0f;
        if (ConvertAnchorToPixel(m_vecPoints[kBoxEnd], &boxEndX, &boxEndY) &&
            ConvertAnchorToPixel(m_vecPoints[kLabelPoint], &labelX, &labelY)) {
            // Dragging the box end sets the width; the end itself is rebuilt
            // from it, so it stays level with the label point.
            const float width = toX - labelX;
            SetLabelWidth(GraphGeometry::TruncateToInt(
                width > kMinTextBoxPixels ? width : kMinTextBoxPixels));
            RunAdjustPoints();
            return true;
        }
    }
    // The price marker's rule (text follows the price) does not apply here:
    // the text is the client's.
    if (!QXGraphShapeBase::OnMouseDrag(fromX, fromY, toX, toY)) return false;
    if (m_nSelectedPoint == kLabelPoint) RunAdjustPoints();
    return true;
}

void QXGraphMarkerText::Draw(std::vector<QXPoint> vecPoints) {
    if (m_strText.empty() || vecPoints.size() <= kBoxEnd) return;
    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    const int64_t hText = builder.AddText(QXDrawInfo::GetText(
        m_clrLabelText, m_clrLine, m_clrFill, static_cast<float>(m_nLabelFontSize),
        kMarkerTextStyle, m_strLabelFontName, m_nLabelMode, m_nLabelWidth));
    builder.AddTextItem(hText, vecPoints[kLabelPoint], m_strText, kMarkerTextFlags, QXPoint());
    m_vecDrawInfos.push_back(std::move(info));
}

void QXGraphMarkerText::AdjustPoints() {
    const float barWidth = ReadBarWidth();
    AddLabelPoint(barWidth);
    if (m_vecPoints.size() <= kLabelPoint) return;

    QXGraphPoint boxEnd = m_vecPoints[kLabelPoint];
    boxEnd.position += static_cast<float>(m_nLabelWidth) / barWidth;
    int nTime = 0;
    if (m_pCoordinate == nullptr || !m_pCoordinate->PositionToTime(boxEnd.position, &nTime)) {
        return;
    }
    boxEnd.time = nTime;
    // A restored list may be longer than the marker's; the box end is always
    // the third anchor.
    if (m_vecPoints.size() > kBoxEnd) {
        m_vecPoints[kBoxEnd] = boxEnd;
    } else {
        m_vecPoints.push_back(boxEnd);
    }
}
