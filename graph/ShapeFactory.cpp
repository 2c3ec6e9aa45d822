#include "graph/ShapeFactory.h"

#include <new>

#include "QXGraphInterface.h"
#include "api/ObjectStorage.h"
#include "graph/ArrowShapes.h"
#include "graph/FibonacciTools.h"
#include "graph/GannTools.h"
#include "graph/GeometricShapes.h"
#include "graph/LineShapes.h"
#include "graph/MarkerShapes.h"
#include "graph/PatternShapes.h"
#include "graph/QXGraphShapeBase.h"
#include "graph/RangeShapes.h"

namespace {

template <typename TShape>
IQXGraphShapeBase* CreateShape() {
    return CreateZeroFilled<TShape>();
}

// One row per kind, in ascending kind order.
// clang-format off
constexpr CShapeKind kShapeKinds[] = {
    // Line tools.
    {QX_GRAPH_LINE_SEGMENT,             2, &CreateShape<QXGraphLineSegment>},
    {QX_GRAPH_LINE_SEGMENT_HORIZONTAL,  2, &CreateShape<QXGraphLineSegmentHorizontal>},
    {QX_GRAPH_LINE_SEGMENT_VERTICAL,    2, &CreateShape<QXGraphLineSegmentVertical>},
    {QX_GRAPH_LINE_RAY,                 2, &CreateShape<QXGraphLineRay>},
    {QX_GRAPH_LINE_STRAIGHT,            2, &CreateShape<QXGraphLineStraight>},
    {QX_GRAPH_LINE_PARALLEL,            3, &CreateShape<QXGraphLineParallel>},
    {QX_GRAPH_LINE_PERIOD,              2, &CreateShape<QXGraphLinePeriod>},
    {QX_GRAPH_LINE_AISLE,               3, &CreateShape<QXGraphLineAisle>},
    {QX_GRAPH_LINE_STRAIGHT_HORIZONTAL, 1, &CreateShape<QXGraphLineStraightHorizontal>},
    // Geometric shapes.
    {QX_GRAPH_SHAPE_TRIANGLE,           3, &CreateShape<QXGraphShapeTriangle>},
    {QX_GRAPH_SHAPE_RETANGLE,           2, &CreateShape<QXGraphShapeRetangle>},
    {QX_GRAPH_SHAPE_PARALLELOGRAM,      3, &CreateShape<QXGraphShapeParallelogram>},
    {QX_GRAPH_SHAPE_CIRCLE,             2, &CreateShape<QXGraphShapeCircle>},
    {QX_GRAPH_SHAPE_ELIPSE,             3, &CreateShape<QXGraphShapeElipse>},
    {QX_GRAPH_SHAPE_PARABOLA,           3, &CreateShape<QXGraphShapeParabola>},
    // Wave and chart patterns.
    {QX_GRAPH_PATTERN_3,                4, &CreateShape<QXGraphPattern3>},
    {QX_GRAPH_PATTERN_5,                6, &CreateShape<QXGraphPattern5>},
    {QX_GRAPH_PATTERN_8,                9, &CreateShape<QXGraphPattern8>},
    {QX_GRAPH_PATTERN_HEAD_SHOULDER,    7, &CreateShape<QXGraphPatternHeadShoulder>},
    {QX_GRAPH_PATTERN_MW,               5, &CreateShape<QXGraphPatternMW>},
    {QX_GRAPH_PATTERN_ABCD,             4, &CreateShape<QXGraphPatternABCD>},
    {QX_GRAPH_PATTERN_XABCD,            5, &CreateShape<QXGraphPatternXABCD>},
    {QX_GRAPH_PATTERN_TRIANGLE,         4, &CreateShape<QXGraphPatternTriangle>},
    // Fibonacci and Gann tools.
    {QX_GRAPH_COMPLEX_SPEED_RESISTANCE, 2, &CreateShape<QXGraphComplexSpeedResistance>},
    {QX_GRAPH_COMPLEX_GANN_BOX,         2, &CreateShape<QXGraphComplexGannBox>},
    {QX_GRAPH_COMPLEX_GANN_FAN,         2, &CreateShape<QXGraphComplexGannFan>},
    {QX_GRAPH_COMPLEX_FIB_CHANNEL,      3, &CreateShape<QXGraphComplexFibChannel>},
    {QX_GRAPH_COMPLEX_DIGESTION_POINT,  2, &CreateShape<QXGraphComplexDigestionPoint>},
    {QX_GRAPH_COMPLEX_FIB_TIME_ZONE,    2, &CreateShape<QXGraphComplexFibTimeZone>},
    {QX_GRAPH_COMPLEX_GOLDEN_SECTION,   2, &CreateShape<QXGraphComplexGoldenSection>},
    // Range tools.
    {QX_GRAPH_RANGE_DATE,               2, &CreateShape<QXGraphRangeDate>},
    {QX_GRAPH_RANGE_PRICE,              2, &CreateShape<QXGraphRangePrice>},
    {QX_GRAPH_RANGE_DATE_AND_PRICE,     2, &CreateShape<QXGraphRangeDateAndPrice>},
    // Arrows.
    {QX_GRAPH_ARROW,                    2, &CreateShape<QXGraphArrow>},
    {QX_GRAPH_RISE_ARROW,               1, &CreateShape<QXGraphRiseArrow>},
    {QX_GRAPH_DROP_ARROW,               1, &CreateShape<QXGraphDropArrow>},
    // Markers.
    {QX_GRAPH_MARKER_TEXT,              2, &CreateShape<QXGraphMarkerText>},
    {QX_GRAPH_MARKER_PRICE,             2, &CreateShape<QXGraphMarkerPrice>},
};
// clang-format on

constexpr std::size_t kShapeKindCount = sizeof(kShapeKinds) / sizeof(kShapeKinds[0]);

constexpr bool IsAscendingWithoutRepeats() {
    for (std::size_t i = 1; i < kShapeKindCount; ++i) {
        if (kShapeKinds[i - 1].m_eType >= kShapeKinds[i].m_eType) return false;
    }
    return true;
}
static_assert(IsAscendingWithoutRepeats(), "shape kinds must be listed once, in ascending order");
// Unknown kinds fall back to the segment, so it must always be there.
static_assert(kShapeKinds[0].m_eType == QX_GRAPH_LINE_SEGMENT, "the segment row comes first");

}  // namespace

const CShapeKind* FindShapeKind(int nType) {
    for (const CShapeKind& kind : kShapeKinds) {
        if (kind.m_eType == nType) return &kind;
    }
    return nullptr;
}

std::size_t GetShapeKindCount() {
    return kShapeKindCount;
}

const CShapeKind& GetShapeKindAt(std::size_t nIndex) {
    return kShapeKinds[nIndex < kShapeKindCount ? nIndex : 0];
}

QXGraphInterface& QXGraphInterface::operator=(const QXGraphInterface&) {
    return *this;
}

IQXGraphShapeBase* QXGraphInterface::CreateGraphShape(QX_GRAPH_TYPE eType) {
    const CShapeKind* pKind = FindShapeKind(eType);
    if (pKind == nullptr) pKind = &kShapeKinds[0];
    return pKind->m_pfnCreate();
}

void QXGraphInterface::ReleaseGraphShape(IQXGraphShapeBase* pShape) {
    // Every shape the factory makes is a QXGraphShapeBase; anything else is not
    // ours to free.
    QXGraphShapeBase* pBase = dynamic_cast<QXGraphShapeBase*>(pShape);
    if (pBase == nullptr) return;
    // The storage starts at the most derived object, not necessarily at the base.
    void* pStorage = dynamic_cast<void*>(pBase);
    pBase->~QXGraphShapeBase();
    ::operator delete(pStorage);
}
