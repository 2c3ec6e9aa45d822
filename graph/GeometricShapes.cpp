#include "graph/GeometricShapes.h"

#include <cstddef>
#include <cstdint>
#include <utility>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/GraphGeometry.h"

using GraphGeometry::MakeDrawPoint;
using QXDrawInfo::QXPoint;

namespace {

// One picture with one plain polyline; an empty list still gives the picture,
// so the client sees that the shape was drawn.
void DrawOutline(const QXDrawInfo::CurveDrawInfo& curve, const std::vector<QXPoint>& vecPoints,
                 std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    const int64_t hCurve = builder.AddCurve(curve);
    if (!vecPoints.empty()) {
        builder.AddCurveSegment(hCurve, GraphGeometry::MakePointVec(vecPoints), false, false);
    }
    vecOut.push_back(std::move(info));
}

// Corner p0, the corner above or below it, the opposite corner, the fourth,
// and back to p0.
std::vector<QXPoint> RectangleOutline(const std::vector<QXPoint>& vecPoints) {
    if (vecPoints.size() < 2) return {};
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    return {p0, MakeDrawPoint(p1.value, p0.position), p1, MakeDrawPoint(p0.value, p1.position), p0};
}

void DrawEllipse(const QXDrawInfo::ElipseDrawInfo& ellipse, const std::vector<QXPoint>& vecPoints,
                 std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    const int64_t hEllipse = builder.AddElipse(ellipse);
    // The builder refuses other point counts; the record then stays empty.
    builder.AddElipsePoints(hEllipse, GraphGeometry::MakePointVec(vecPoints));
    vecOut.push_back(std::move(info));
}

std::vector<QXPoint> FirstPoints(const std::vector<QXPoint>& vecPoints, std::size_t nCount) {
    if (vecPoints.size() <= nCount) return vecPoints;
    return std::vector<QXPoint>(vecPoints.begin(), vecPoints.begin() + nCount);
}

}  // namespace

QX_GRAPH_TYPE QXGraphShapeTriangle::GetGraphType() const {
    return QX_GRAPH_SHAPE_TRIANGLE;
}
int QXGraphShapeTriangle::GetNeedPointCount() const {
    return 3;
}
void QXGraphShapeTriangle::Draw(std::vector<QXPoint> vecPoints) {
    // Closed back to the first corner; while placing this is P0, P1, P0.
    if (!vecPoints.empty()) vecPoints.push_back(vecPoints.front());
    DrawOutline(MakeMainCurve(), vecPoints, m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphShapeRetangle::GetGraphType() const {
    return QX_GRAPH_SHAPE_RETANGLE;
}
int QXGraphShapeRetangle::GetNeedPointCount() const {
    return 2;
}
void QXGraphShapeRetangle::Draw(std::vector<QXPoint> vecPoints) {
    DrawOutline(MakeMainCurve(), RectangleOutline(vecPoints), m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphShapeParallelogram::GetGraphType() const {
    return QX_GRAPH_SHAPE_PARALLELOGRAM;
}
int QXGraphShapeParallelogram::GetNeedPointCount() const {
    return 3;
}
void QXGraphShapeParallelogram::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 3) {
        // While the third corner is missing only the first side shows.
        DrawOutline(MakeMainCurve(), vecPoints, m_vecDrawInfos);
        return;
    }
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    const QXPoint& p2 = vecPoints[2];
    const QXPoint q = GraphGeometry::ParallelPoint(m_pCoordinate, p0, p1, p2);
    DrawOutline(MakeMainCurve(), {p0, p1, p2, q, p0}, m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphShapeCircle::GetGraphType() const {
    return QX_GRAPH_SHAPE_CIRCLE;
}
void QXGraphShapeCircle::Draw(std::vector<QXPoint> vecPoints) {
    DrawEllipse(
        QXDrawInfo::GetElipseFrame(m_clrLine, static_cast<float>(m_nLineWidth), GetDrawLineStyle()),
        FirstPoints(vecPoints, 2), m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphShapeElipse::GetGraphType() const {
    return QX_GRAPH_SHAPE_ELIPSE;
}
int QXGraphShapeElipse::GetNeedPointCount() const {
    return 3;
}
void QXGraphShapeElipse::Draw(std::vector<QXPoint> vecPoints) {
    // While the second end is being placed the record still gets three points:
    // the third on the axis itself, at its centre.
    if (vecPoints.size() == 2) {
        vecPoints.push_back(MakeDrawPoint(vecPoints[0].value,
                                          (vecPoints[0].position + vecPoints[1].position) * 0.5f));
    }
    DrawEllipse(
        QXDrawInfo::GetElipseFrame(m_clrLine, static_cast<float>(m_nLineWidth), GetDrawLineStyle()),
        FirstPoints(vecPoints, 3), m_vecDrawInfos);
}
void QXGraphShapeElipse::AdjustPoints() {
    AdjustEllipseAxes();
}

QX_GRAPH_TYPE QXGraphShapeParabola::GetGraphType() const {
    return QX_GRAPH_SHAPE_PARABOLA;
}
int QXGraphShapeParabola::GetNeedPointCount() const {
    return 3;
}
void QXGraphShapeParabola::Draw(std::vector<QXPoint> vecPoints) {
    DrawOutline(MakeMainCurve(), RectangleOutline(vecPoints), m_vecDrawInfos);
}
