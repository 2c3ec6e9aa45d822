// Arrow heads, shared by the arrow tools and the measuring ranges: two short
// strokes at the tip of a shaft, built in pixels so that they keep their size
// and angle whatever the chart's scales.
#pragma once

#include <cstdint>

#include "IQXGraphCoordinate.h"
#include "QXDrawInfo.h"
#include "drawinfo/GraphDrawInfoBuilder.h"

namespace GraphGeometry {

// Length of each wing, in pixels.
constexpr float kArrowWingPixels = 10.0f;

struct QXArrowHead {
    QXDrawInfo::QXPoint wing1;
    QXDrawInfo::QXPoint wing2;
};

// The wing ends of a head at `tip` pointing away from `tail`, each 30 degrees
// off the shaft. False when the two points coincide: there is no direction to
// point in. Converter failures are not detected (the unchecked round trip).
bool MakeArrowHead(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& tail,
                   const QXDrawInfo::QXPoint& tip, QXArrowHead* pOut);

// Adds the head as the two plain segments tip-wing1 and tip-wing2 to the curve
// record `hCurve`; nothing for coinciding points.
void AddArrowHead(QXDrawInfo::GraphDrawInfoBuilder& builder, int64_t hCurve,
                  IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& tail,
                  const QXDrawInfo::QXPoint& tip);

}  // namespace GraphGeometry
