// Geometry shared by the drawing tools: pixel round trips through the client's
// converter, constructions that must look right on screen whatever the price
// scale (so they work in pixels), and line intersection in data coordinates.
#pragma once

#include <initializer_list>
#include <vector>

#include "IQXGraphCoordinate.h"
#include "IQXGraphShapeBase.h"
#include "QXDrawInfo.h"

namespace GraphGeometry {

// Single-precision epsilon: the tolerance of every "same position" and
// "vertical" test of the tools.
constexpr float kFloatEpsilon = 1.1920929e-07f;

struct QXPixelPoint {
    float x = 0.0f;
    float y = 0.0f;
};

QXDrawInfo::QXPoint ToDrawPoint(const QXGraphPoint& point);
QXDrawInfo::QXPoint MakeDrawPoint(double value, float position);
QXDrawInfo::QXPointVec MakePointVec(const std::vector<QXDrawInfo::QXPoint>& vecPoints);
QXDrawInfo::QXPointVec MakePointVec(std::initializer_list<QXDrawInfo::QXPoint> points);

// Conversions whose success the constructions do not check: the result is
// whatever the converter left, 0 when it wrote nothing or there is no converter.
float PriceToPixelY(IQXGraphCoordinate* pCoordinate, double price);
double PixelYToPrice(IQXGraphCoordinate* pCoordinate, float y);
float PositionToPixelX(IQXGraphCoordinate* pCoordinate, float position);
float PixelXToPosition(IQXGraphCoordinate* pCoordinate, float x);
QXPixelPoint ToPixel(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& point);
QXDrawInfo::QXPoint FromPixel(IQXGraphCoordinate* pCoordinate, const QXPixelPoint& pixel);

// Checked round trips: true only when both axes converted. *pOut is written
// only on success.
bool TryToPixel(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& point,
                QXPixelPoint* pOut);
bool TryFromPixel(IQXGraphCoordinate* pCoordinate, const QXPixelPoint& pixel,
                  QXDrawInfo::QXPoint* pOut);

// The price drawn dy pixels below `price` (negative dy: above).
double OffsetPriceByPixels(IQXGraphCoordinate* pCoordinate, double price, float dy);

// The fourth corner Q of the parallelogram p0, p1, p2, Q: the line p2-Q runs
// parallel to p0-p1 on screen. The vertical offset is taken in pixels.
QXDrawInfo::QXPoint ParallelPoint(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& p0,
                                  const QXDrawInfo::QXPoint& p1, const QXDrawInfo::QXPoint& p2);

// `point` mirrored through `centre`, the vertical part in pixels.
QXDrawInfo::QXPoint ReflectPoint(IQXGraphCoordinate* pCoordinate, const QXDrawInfo::QXPoint& point,
                                 const QXDrawInfo::QXPoint& centre);

// Intersection of the line u-v with the line w-z in data coordinates (price
// against position), in single precision. False for two vertical lines and for
// parallels.
bool IntersectLines(const QXDrawInfo::QXPoint& u, const QXDrawInfo::QXPoint& v,
                    const QXDrawInfo::QXPoint& w, const QXDrawInfo::QXPoint& z,
                    QXDrawInfo::QXPoint* pOut);

// A measured length (bars, pixels) as a whole number: truncated towards zero,
// held to the int range, 0 for NaN, so that no coordinate can make the
// conversion undefined.
int TruncateToInt(double value);

}  // namespace GraphGeometry
