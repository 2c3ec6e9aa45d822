#include "graph/QXGraphShapeBase.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "graph/GraphGeometry.h"

using QXDrawInfo::QXColor;
using QXDrawInfo::QXPoint;

namespace {

// Record line style for each of the client's style numbers: the client counts
// dash and dot the other way round, so 2 and 3 swap. Unknown numbers draw solid.
constexpr int kRecordLineStyles[] = {0, 1, 3, 2, 4, 5};
constexpr int kRecordLineStyleCount =
    static_cast<int>(sizeof(kRecordLineStyles) / sizeof(kRecordLineStyles[0]));

// A click selects an anchor when it lies inside the box of this half-width.
constexpr float kHitBoxPixels = 5.0f;

// Angle snapping works in steps of 45 degrees.
constexpr double kSnapStepRadians = 0.7853981633974483;

const std::string& EmptyText() {
    static const std::string strEmpty;
    return strEmpty;
}

}  // namespace

QXGraphShapeBase::QXGraphShapeBase()
    : m_ptTracking(),
      m_vecPoints(),
      m_vecDrawInfos(),
      m_pCoordinate(nullptr),
      m_nLineWidth(1),
      m_nLineStyle(1),
      m_clrLine(QXDrawInfo::GetColorByID(COLOR_ID_LINE)),
      m_clrFill(QXDrawInfo::GetColorByID(COLOR_ID_TEXT)),
      m_clrText(QXDrawInfo::GetColorByID(COLOR_ID_TEXT)),
      m_bDirty(false),
      m_bHostFlagA(false),
      m_bAngleSnap(false),
      m_bHostFlagB(false),
      m_nSelectedPoint(-1) {}

QXGraphShapeBase::~QXGraphShapeBase() = default;

void QXGraphShapeBase::SetLineWidth(int nWidth) {
    m_nLineWidth = nWidth;
    m_bDirty = true;
}

void QXGraphShapeBase::SetLineStyle(int nStyle) {
    m_nLineStyle = nStyle;
    m_bDirty = true;
}

void QXGraphShapeBase::SetLineColor(QXColor color) {
    m_clrLine = color;
    m_bDirty = true;
}

void QXGraphShapeBase::SetFillColor(QXColor color) {
    m_clrFill = color;
    m_bDirty = true;
}

void QXGraphShapeBase::SetTextColor(QXColor color) {
    m_clrText = color;
    m_bDirty = true;
}

// The text attributes belong to the markers; other shapes ignore them.
void QXGraphShapeBase::SetLabelText(const std::string&) {}
void QXGraphShapeBase::SetLabelFontSize(int) {}
void QXGraphShapeBase::SetLabelMode(int) {}
void QXGraphShapeBase::SetLabelTextColor(QXColor) {}
void QXGraphShapeBase::SetLabelWidth(int) {}
void QXGraphShapeBase::SetLabelFontName(const std::string&) {}
void QXGraphShapeBase::SetLabelSecondColor(QXColor) {}

// The flags change nothing that is drawn, so the records stay valid.
void QXGraphShapeBase::SetHostFlagA(bool bFlag) {
    m_bHostFlagA = bFlag;
}
void QXGraphShapeBase::SetAngleSnap(bool bSnap) {
    m_bAngleSnap = bSnap;
}
void QXGraphShapeBase::SetHostFlagB(bool bFlag) {
    m_bHostFlagB = bFlag;
}

bool QXGraphShapeBase::SetPoints(const std::vector<QXGraphPoint>& vecPoints) {
    try {
        std::vector<QXGraphPoint> vecCopy(vecPoints);
        m_vecPoints.swap(vecCopy);
    } catch (...) {
        return false;
    }
    m_bDirty = true;
    // Without a converter the rules that work in pixels cannot run; the client
    // sets stored anchors before it has a chart to show them on.
    if (m_pCoordinate != nullptr) RunAdjustPoints();
    return true;
}

void QXGraphShapeBase::SetCoordinate(IQXGraphCoordinate* pCoordinate) {
    m_pCoordinate = pCoordinate;
    m_bDirty = true;  // pixel constructions depend on the converter
}

bool QXGraphShapeBase::SetSettings(const void*) {
    return false;
}
bool QXGraphShapeBase::GetSettings(void*) const {
    return false;
}

QX_GRAPH_TYPE QXGraphShapeBase::GetGraphType() const {
    return static_cast<QX_GRAPH_TYPE>(0);
}

int QXGraphShapeBase::GetLineWidth() const {
    return m_nLineWidth;
}
int QXGraphShapeBase::GetLineStyle() const {
    return m_nLineStyle;
}

LINE_STYLE QXGraphShapeBase::GetDrawLineStyle() const {
    if (m_nLineStyle < 0 || m_nLineStyle >= kRecordLineStyleCount) return LINE_STYLE_SOLID;
    return static_cast<LINE_STYLE>(kRecordLineStyles[m_nLineStyle]);
}

QXColor QXGraphShapeBase::GetLineColor() const {
    return m_clrLine;
}
QXColor QXGraphShapeBase::GetFillColor() const {
    return m_clrFill;
}
QXColor QXGraphShapeBase::GetTextColor() const {
    return m_clrText;
}
const std::string& QXGraphShapeBase::GetLabelText() const {
    return EmptyText();
}
int QXGraphShapeBase::GetLabelFontSize() const {
    return 0;
}
int QXGraphShapeBase::GetLabelMode() const {
    return 0;
}
QXColor QXGraphShapeBase::GetLabelTextColor() const {
    return QXDrawInfo::GetDefaultColor();
}
int QXGraphShapeBase::GetLabelWidth() const {
    return 0;
}
const std::string& QXGraphShapeBase::GetLabelFontName() const {
    return EmptyText();
}
QXColor QXGraphShapeBase::GetLabelSecondColor() const {
    return QXDrawInfo::GetDefaultColor();
}
bool QXGraphShapeBase::GetHostFlagA() const {
    return m_bHostFlagA;
}
bool QXGraphShapeBase::GetAngleSnap() const {
    return m_bAngleSnap;
}
bool QXGraphShapeBase::GetHostFlagB() const {
    return m_bHostFlagB;
}

bool QXGraphShapeBase::GetPoints(std::vector<QXGraphPoint>& vecOut) const {
    try {
        std::vector<QXGraphPoint> vecCopy(m_vecPoints);
        vecOut.swap(vecCopy);
        return true;
    } catch (...) {
        return false;
    }
}

bool QXGraphShapeBase::GetDrawPoints(std::vector<QXPoint>& vecOut) const {
    try {
        std::vector<QXPoint> vecPoints;
        vecPoints.reserve(m_vecPoints.size() + 1);
        for (const QXGraphPoint& anchor : m_vecPoints) {
            vecPoints.push_back(GraphGeometry::ToDrawPoint(anchor));
        }
        // A shape being placed is drawn up to the mouse.
        if (!HasAllPoints()) vecPoints.push_back(GraphGeometry::ToDrawPoint(m_ptTracking));
        vecOut.swap(vecPoints);
        return true;
    } catch (...) {
        return false;
    }
}

int QXGraphShapeBase::GetSelectedPoint() const {
    return m_nSelectedPoint;
}

bool QXGraphShapeBase::HitTestPoint(float x, float y, int* pIndex) const {
    for (std::size_t i = 0; i < m_vecPoints.size(); ++i) {
        float px = 0.0f;
        float py = 0.0f;
        if (!ConvertAnchorToPixel(m_vecPoints[i], &px, &py)) continue;
        if (std::fabs(px - x) < kHitBoxPixels && std::fabs(py - y) < kHitBoxPixels) {
            if (pIndex != nullptr) *pIndex = static_cast<int>(i);
            return true;
        }
    }
    if (pIndex != nullptr) *pIndex = -1;
    return false;
}

const std::vector<QXDrawInfo::GraphDrawInfo>& QXGraphShapeBase::GetGraphDrawInfo() {
    if (!m_bDirty) return m_vecDrawInfos;
    m_vecDrawInfos.clear();

    // Every early return below keeps the shape dirty, so the records are
    // attempted again after the next change.
    std::vector<QXPoint> vecPoints;
    if (!GetDrawPoints(vecPoints)) return m_vecDrawInfos;
    if (GetNeedPointCount() != 1 && vecPoints.size() < 2) return m_vecDrawInfos;
    for (const QXPoint& point : vecPoints) {
        // A shape reaching left of the first bar is not drawn at all.
        if (point.position < 0.0f) return m_vecDrawInfos;
    }
    try {
        Draw(vecPoints);
        m_bDirty = false;
    } catch (...) {
        m_vecDrawInfos.clear();
    }
    return m_vecDrawInfos;
}

bool QXGraphShapeBase::OnMouseDown(float x, float y) {
    if (HasAllPoints()) {
        // Complete: the click picks the anchor that a following drag moves, or
        // none, in which case the drag moves the whole shape.
        HitTestPoint(x, y, &m_nSelectedPoint);
        return true;
    }
    m_nSelectedPoint = -1;
    QXGraphPoint point;
    if (ConvertMousePoint(x, y, static_cast<unsigned>(m_vecPoints.size()), &point)) {
        try {
            m_vecPoints.push_back(point);
        } catch (...) {
            return false;
        }
        m_ptTracking = point;
        m_bDirty = true;
        RunAdjustPoints();
    }
    return HasAllPoints();
}

void QXGraphShapeBase::OnMouseMove(float x, float y) {
    if (HasAllPoints()) return;
    QXGraphPoint point = m_ptTracking;
    if (!ConvertMousePoint(x, y, static_cast<unsigned>(m_vecPoints.size()), &point)) return;
    m_ptTracking = point;
    m_bDirty = true;
    RunAdjustPoints();
}

bool QXGraphShapeBase::OnMouseDrag(float fromX, float fromY, float toX, float toY) {
    if (m_nSelectedPoint < 0 || static_cast<std::size_t>(m_nSelectedPoint) >= m_vecPoints.size()) {
        return MoveWholeShape(toX - fromX, toY - fromY);
    }
    // A refused conversion abandons the drag: the anchor keeps its place rather
    // than taking half-converted coordinates.
    const std::size_t nIndex = static_cast<std::size_t>(m_nSelectedPoint);
    QXGraphPoint point = m_vecPoints[nIndex];
    if (!ConvertMousePoint(toX, toY, static_cast<unsigned>(nIndex), &point)) return false;
    m_vecPoints[nIndex] = point;
    RunAdjustPoints();
    m_bDirty = true;
    return true;
}

// Tools that keep their points exactly as placed.
void QXGraphShapeBase::AdjustPoints() {}

bool QXGraphShapeBase::HasAllPoints() const {
    const int nNeed = GetNeedPointCount();
    return nNeed <= 0 || m_vecPoints.size() >= static_cast<std::size_t>(nNeed);
}

void QXGraphShapeBase::RunAdjustPoints() {
    try {
        AdjustPoints();
    } catch (...) {
        // The anchors stay as far as the rule got; they are valid points either way.
    }
}

bool QXGraphShapeBase::ConvertMousePoint(float x, float y, unsigned nIndex,
                                         QXGraphPoint* pPoint) const {
    if (m_pCoordinate == nullptr || pPoint == nullptr) return false;
    QXGraphPoint snapped = *pPoint;
    if (m_pCoordinate->SnapPoint(x, y, GetGraphType(), nIndex, &snapped)) {
        *pPoint = snapped;
        return true;
    }
    return ConvertPixelToAnchor(x, y, pPoint);
}

bool QXGraphShapeBase::ConvertPixelToAnchor(float x, float y, QXGraphPoint* pPoint) const {
    if (m_pCoordinate == nullptr || pPoint == nullptr) return false;
    QXGraphPoint point = *pPoint;
    int nTime = 0;
    if (!m_pCoordinate->PixelToPosition(x, &point.position)) return false;
    if (!m_pCoordinate->PixelToPrice(y, &point.price)) return false;
    if (!m_pCoordinate->PositionToTime(point.position, &nTime)) return false;
    point.time = nTime;
    *pPoint = point;
    return true;
}

bool QXGraphShapeBase::ConvertAnchorToPixel(const QXGraphPoint& point, float* pX, float* pY) const {
    GraphGeometry::QXPixelPoint pixel;
    if (!GraphGeometry::TryToPixel(m_pCoordinate, GraphGeometry::ToDrawPoint(point), &pixel)) {
        return false;
    }
    *pX = pixel.x;
    *pY = pixel.y;
    return true;
}

QXGraphPoint& QXGraphShapeBase::GetMovingPoint() {
    if (m_nSelectedPoint >= 0 && static_cast<std::size_t>(m_nSelectedPoint) < m_vecPoints.size()) {
        return m_vecPoints[static_cast<std::size_t>(m_nSelectedPoint)];
    }
    return m_ptTracking;
}

void QXGraphShapeBase::AdjustAngleSnap() {
    if (!m_bAngleSnap || m_pCoordinate == nullptr) return;
    QXGraphPoint& moving = GetMovingPoint();
    float mx = 0.0f;
    float my = 0.0f;
    if (!ConvertAnchorToPixel(moving, &mx, &my)) return;

    // Each other anchor proposes a snapped pixel and the last one wins: while a
    // polyline is being placed, that is the anchor just before the mouse.
    bool bSnapped = false;
    double snappedX = 0.0;
    double snappedY = 0.0;
    for (const QXGraphPoint& anchor : m_vecPoints) {
        if (&anchor == &moving) continue;
        float ax = 0.0f;
        float ay = 0.0f;
        if (!ConvertAnchorToPixel(anchor, &ax, &ay)) continue;
        const float dx = mx - ax;
        const float dy = my - ay;
        // A leg that is vertical on screen already sits on a snap angle.
        if (std::fabs(dx) < GraphGeometry::kFloatEpsilon) continue;
        const double radius =
            std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
        const double angle = std::atan2(static_cast<double>(dy), static_cast<double>(dx));
        const double snappedAngle = std::round(angle / kSnapStepRadians) * kSnapStepRadians;
        snappedX = ax + radius * std::cos(snappedAngle);
        snappedY = ay + radius * std::sin(snappedAngle);
        bSnapped = true;
    }
    if (!bSnapped) return;

    // Each axis is taken only when the converter answers; the time stays as the
    // mouse gave it.
    double price = moving.price;
    float position = moving.position;
    if (m_pCoordinate->PixelToPrice(static_cast<float>(snappedY), &price)) moving.price = price;
    if (m_pCoordinate->PixelToPosition(static_cast<float>(snappedX), &position)) {
        moving.position = position;
    }
}

void QXGraphShapeBase::AdjustSamePrice() {
    if (m_vecPoints.empty()) return;
    const double price = m_vecPoints[0].price;
    if (m_vecPoints.size() >= 2) m_vecPoints[1].price = price;
    m_ptTracking.price = price;
}

void QXGraphShapeBase::AdjustSamePosition() {
    if (m_vecPoints.empty()) return;
    const QXGraphPoint& first = m_vecPoints[0];
    if (m_vecPoints.size() >= 2) {
        m_vecPoints[1].position = first.position;
        m_vecPoints[1].time = first.time;
    }
    m_ptTracking.position = first.position;
    m_ptTracking.time = first.time;
}

void QXGraphShapeBase::AdjustWholeBars() {
    for (QXGraphPoint& anchor : m_vecPoints) anchor.position = std::floor(anchor.position + 0.5f);
    m_ptTracking.position = std::floor(m_ptTracking.position + 0.5f);
}

void QXGraphShapeBase::AdjustEllipseAxes() {
    if (m_vecPoints.empty()) return;
    if (m_vecPoints.size() == 1) {
        m_ptTracking.price = m_vecPoints[0].price;
        return;
    }
    // The first two points are the ends of a horizontal axis; the third lies on
    // the vertical through its centre.
    m_vecPoints[1].price = m_vecPoints[0].price;
    const float centre = (m_vecPoints[1].position + m_vecPoints[0].position) * 0.5f;
    if (m_vecPoints.size() >= 3) {
        m_vecPoints[2].position = centre;
    } else {
        m_ptTracking.position = centre;
    }
}

QXDrawInfo::CurveDrawInfo QXGraphShapeBase::MakeMainCurve() const {
    return MakeCurve(GetDrawLineStyle());
}

QXDrawInfo::CurveDrawInfo QXGraphShapeBase::MakeCurve(LINE_STYLE eStyle) const {
    return QXDrawInfo::GetCurve(m_clrLine, static_cast<float>(m_nLineWidth), eStyle);
}

bool QXGraphShapeBase::MoveWholeShape(float dx, float dy) {
    // Every anchor is moved on screen and rebuilt from its new pixel without
    // snapping, so the shape keeps its form; one refused conversion abandons the
    // whole move.
    try {
        std::vector<QXGraphPoint> vecMoved;
        vecMoved.reserve(m_vecPoints.size());
        for (const QXGraphPoint& anchor : m_vecPoints) {
            float px = 0.0f;
            float py = 0.0f;
            if (!ConvertAnchorToPixel(anchor, &px, &py)) return false;
            QXGraphPoint moved;
            if (!ConvertPixelToAnchor(px + dx, py + dy, &moved)) return false;
            vecMoved.push_back(moved);
        }
        return SetPoints(vecMoved);
    } catch (...) {
        return false;
    }
}
