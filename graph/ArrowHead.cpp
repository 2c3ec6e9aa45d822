#include "graph/ArrowHead.h"

#include <cfloat>
#include <cmath>

#include "graph/GraphGeometry.h"

using QXDrawInfo::QXPoint;

namespace GraphGeometry {

namespace {

constexpr double kPiOver3 = 1.0471975511965979;
constexpr double kPiOver6 = 0.5235987755982988;
// A shaft that is vertical on screen has no slope to take the arctangent of.
constexpr float kVerticalShaftAngle = 1.5707964f;

}  // namespace

bool MakeArrowHead(IQXGraphCoordinate* pCoordinate, const QXPoint& tail, const QXPoint& tip,
                   QXArrowHead* pOut) {
    if (pOut == nullptr) return false;
    // Coinciding is judged in data coordinates, each axis at its own precision.
    if (std::fabs(tip.position - tail.position) < kFloatEpsilon &&
        std::fabs(tip.value - tail.value) < DBL_EPSILON) {
        return false;
    }
    const QXPixelPoint from = ToPixel(pCoordinate, tail);
    const QXPixelPoint to = ToPixel(pCoordinate, tip);
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;

    // The angle only gives the shaft's slope; the sign turns the wings back
    // towards the tail, whichever way the shaft runs.
    float theta = kVerticalShaftAngle;
    float sign = 1.0f;
    if (std::fabs(dx) < kFloatEpsilon) {
        sign = to.y <= from.y ? 1.0f : -1.0f;
    } else {
        theta = static_cast<float>(std::atan(static_cast<double>(dy / dx)));
        sign = to.x <= from.x ? 1.0f : -1.0f;
    }
    const float angle1 = static_cast<float>(kPiOver3 - theta);
    const float angle2 = static_cast<float>(theta - kPiOver6);
    const float reach = sign * kArrowWingPixels;

    QXPixelPoint wing1;
    wing1.x = to.x + reach * static_cast<float>(std::sin(static_cast<double>(angle1)));
    wing1.y = to.y + reach * static_cast<float>(std::cos(static_cast<double>(angle1)));
    QXPixelPoint wing2;
    wing2.x = to.x + reach * static_cast<float>(std::cos(static_cast<double>(angle2)));
    wing2.y = to.y + reach * static_cast<float>(std::sin(static_cast<double>(angle2)));

    pOut->wing1 = FromPixel(pCoordinate, wing1);
    pOut->wing2 = FromPixel(pCoordinate, wing2);
    return true;
}

void AddArrowHead(QXDrawInfo::GraphDrawInfoBuilder& builder, int64_t hCurve,
                  IQXGraphCoordinate* pCoordinate, const QXPoint& tail, const QXPoint& tip) {
    QXArrowHead head;
    if (!MakeArrowHead(pCoordinate, tail, tip, &head)) return;
    builder.AddCurveSegment(hCurve, MakePointVec({tip, head.wing1}), false, false);
    builder.AddCurveSegment(hCurve, MakePointVec({tip, head.wing2}), false, false);
}

}  // namespace GraphGeometry
