#include "graph/LineShapes.h"

#include <cstdint>
#include <utility>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/GraphGeometry.h"

using QXDrawInfo::QXPoint;

namespace {

// Period lines drawn from the first anchor on; enough to cover a chart of
// ordinary width at any sensible period.
constexpr int kPeriodLineCount = 20;

// One picture with one curve style; every line added shares that style.
class CLineRecord {
public:
    explicit CLineRecord(const QXDrawInfo::CurveDrawInfo& curve) : m_info(), m_builder(&m_info) {
        m_hCurve = m_builder.AddCurve(curve);
    }

    void AddLine(const std::vector<QXPoint>& vecPoints, bool bExtendStart, bool bExtendEnd) {
        m_builder.AddCurveSegment(m_hCurve, GraphGeometry::MakePointVec(vecPoints), bExtendStart,
                                  bExtendEnd);
    }

    void AppendTo(std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
        vecOut.push_back(std::move(m_info));
    }

private:
    QXDrawInfo::GraphDrawInfo m_info;
    QXDrawInfo::GraphDrawInfoBuilder m_builder;
    int64_t m_hCurve = -1;
};

void DrawPolyline(const QXDrawInfo::CurveDrawInfo& curve, const std::vector<QXPoint>& vecPoints,
                  bool bExtendStart, bool bExtendEnd,
                  std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    CLineRecord record(curve);
    record.AddLine(vecPoints, bExtendStart, bExtendEnd);
    record.AppendTo(vecOut);
}

// A single point still gives a line: a horizontal one, through a second point
// one bar further on.
void DrawStraightLine(const QXDrawInfo::CurveDrawInfo& curve, std::vector<QXPoint> vecPoints,
                      std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    if (vecPoints.size() == 1) {
        vecPoints.push_back(
            GraphGeometry::MakeDrawPoint(vecPoints[0].value, vecPoints[0].position + 1.0f));
    }
    DrawPolyline(curve, vecPoints, true, true, vecOut);
}

// Base line p0-p1, its parallel through p2 and, for the aisle, the base line
// mirrored through the far end of that parallel. While the third point is
// still missing only the base line shows.
void DrawChannel(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::CurveDrawInfo& curve,
                 const std::vector<QXPoint>& vecPoints, bool bWithMirror,
                 std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    CLineRecord record(curve);
    if (vecPoints.size() < 3) {
        record.AddLine(vecPoints, true, true);
        record.AppendTo(vecOut);
        return;
    }
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    const QXPoint& p2 = vecPoints[2];
    record.AddLine({p0, p1}, true, true);
    const QXPoint q = GraphGeometry::ParallelPoint(pCoordinate, p0, p1, p2);
    record.AddLine({p2, q}, true, true);
    if (bWithMirror) {
        record.AddLine({GraphGeometry::ReflectPoint(pCoordinate, p0, q),
                        GraphGeometry::ReflectPoint(pCoordinate, p1, q)},
                       true, true);
    }
    record.AppendTo(vecOut);
}

}  // namespace

QX_GRAPH_TYPE QXGraphLineSegment::GetGraphType() const {
    return QX_GRAPH_LINE_SEGMENT;
}
int QXGraphLineSegment::GetNeedPointCount() const {
    return 2;
}
void QXGraphLineSegment::Draw(std::vector<QXPoint> vecPoints) {
    DrawPolyline(MakeMainCurve(), vecPoints, false, false, m_vecDrawInfos);
}
void QXGraphLineSegment::AdjustPoints() {
    AdjustAngleSnap();
}

QX_GRAPH_TYPE QXGraphLineSegmentHorizontal::GetGraphType() const {
    return QX_GRAPH_LINE_SEGMENT_HORIZONTAL;
}
void QXGraphLineSegmentHorizontal::AdjustPoints() {
    AdjustSamePrice();
}

QX_GRAPH_TYPE QXGraphLineSegmentVertical::GetGraphType() const {
    return QX_GRAPH_LINE_SEGMENT_VERTICAL;
}
void QXGraphLineSegmentVertical::AdjustPoints() {
    AdjustSamePosition();
}

QX_GRAPH_TYPE QXGraphLineRay::GetGraphType() const {
    return QX_GRAPH_LINE_RAY;
}
int QXGraphLineRay::GetNeedPointCount() const {
    return 2;
}
void QXGraphLineRay::Draw(std::vector<QXPoint> vecPoints) {
    DrawPolyline(MakeMainCurve(), vecPoints, false, true, m_vecDrawInfos);
}
void QXGraphLineRay::AdjustPoints() {
    AdjustAngleSnap();
}

QX_GRAPH_TYPE QXGraphLineStraight::GetGraphType() const {
    return QX_GRAPH_LINE_STRAIGHT;
}
int QXGraphLineStraight::GetNeedPointCount() const {
    return 2;
}
void QXGraphLineStraight::Draw(std::vector<QXPoint> vecPoints) {
    DrawStraightLine(MakeMainCurve(), std::move(vecPoints), m_vecDrawInfos);
}
void QXGraphLineStraight::AdjustPoints() {
    AdjustAngleSnap();
}

QX_GRAPH_TYPE QXGraphLineStraightHorizontal::GetGraphType() const {
    return QX_GRAPH_LINE_STRAIGHT_HORIZONTAL;
}
int QXGraphLineStraightHorizontal::GetNeedPointCount() const {
    return 1;
}
void QXGraphLineStraightHorizontal::Draw(std::vector<QXPoint> vecPoints) {
    DrawStraightLine(MakeMainCurve(), std::move(vecPoints), m_vecDrawInfos);
}
void QXGraphLineStraightHorizontal::AdjustPoints() {
    AdjustAngleSnap();
}

QX_GRAPH_TYPE QXGraphLineParallel::GetGraphType() const {
    return QX_GRAPH_LINE_PARALLEL;
}
int QXGraphLineParallel::GetNeedPointCount() const {
    return 3;
}
void QXGraphLineParallel::Draw(std::vector<QXPoint> vecPoints) {
    DrawChannel(m_pCoordinate, MakeMainCurve(), vecPoints, false, m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphLinePeriod::GetGraphType() const {
    return QX_GRAPH_LINE_PERIOD;
}
int QXGraphLinePeriod::GetNeedPointCount() const {
    return 2;
}
void QXGraphLinePeriod::Draw(std::vector<QXPoint> vecPoints) {
    CLineRecord record(MakeMainCurve());
    if (vecPoints.size() >= 2) {
        const QXPoint& p0 = vecPoints[0];
        // The anchors sit on whole bars already, so every line does too. A zero
        // period stacks the lines; a negative one runs leftwards.
        const float period = vecPoints[1].position - p0.position;
        for (int i = 0; i < kPeriodLineCount; ++i) {
            const float position = p0.position + static_cast<float>(i) * period;
            record.AddLine({GraphGeometry::MakeDrawPoint(p0.value, position),
                            GraphGeometry::MakeDrawPoint(p0.value + 1.0, position)},
                           true, true);
        }
    }
    record.AppendTo(m_vecDrawInfos);
}
void QXGraphLinePeriod::AdjustPoints() {
    AdjustWholeBars();
}

QX_GRAPH_TYPE QXGraphLineAisle::GetGraphType() const {
    return QX_GRAPH_LINE_AISLE;
}
int QXGraphLineAisle::GetNeedPointCount() const {
    return 3;
}
void QXGraphLineAisle::Draw(std::vector<QXPoint> vecPoints) {
    DrawChannel(m_pCoordinate, MakeMainCurve(), vecPoints, true, m_vecDrawInfos);
}
