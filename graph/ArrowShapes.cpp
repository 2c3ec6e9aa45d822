#include "graph/ArrowShapes.h"

#include <cstdint>
#include <utility>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/ArrowHead.h"
#include "graph/GraphGeometry.h"

using QXDrawInfo::QXPoint;

namespace {

// Shaft length of the one-point arrows, in pixels, so that they look the same
// at every price scale.
constexpr float kShortShaftPixels = 20.0f;

}  // namespace

QX_GRAPH_TYPE QXGraphArrow::GetGraphType() const {
    return QX_GRAPH_ARROW;
}
int QXGraphArrow::GetNeedPointCount() const {
    return 2;
}

void QXGraphArrow::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.empty()) return;
    if (vecPoints.size() == 1) {
        const QXPoint point = vecPoints[0];
        const QXPoint raised = GraphGeometry::MakeDrawPoint(
            GraphGeometry::OffsetPriceByPixels(m_pCoordinate, point.value, -kShortShaftPixels),
            point.position);
        if (GetGraphType() == QX_GRAPH_DROP_ARROW) {
            vecPoints = {raised, point};
        } else {
            vecPoints = {point, raised};
        }
    }
    const QXPoint& tail = vecPoints[0];
    const QXPoint& tip = vecPoints[1];

    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    // Arrows are always solid: a dashed head would not read as one.
    const int64_t hCurve = builder.AddCurve(MakeCurve(LINE_STYLE_SOLID));
    builder.AddCurveSegment(hCurve, GraphGeometry::MakePointVec({tail, tip}), false, false);
    GraphGeometry::AddArrowHead(builder, hCurve, m_pCoordinate, tail, tip);
    m_vecDrawInfos.push_back(std::move(info));
}

QX_GRAPH_TYPE QXGraphRiseArrow::GetGraphType() const {
    return QX_GRAPH_RISE_ARROW;
}
int QXGraphRiseArrow::GetNeedPointCount() const {
    return 1;
}

QX_GRAPH_TYPE QXGraphDropArrow::GetGraphType() const {
    return QX_GRAPH_DROP_ARROW;
}
int QXGraphDropArrow::GetNeedPointCount() const {
    return 1;
}
