#include "graph/GraphGeometry.h"

#include <climits>
#include <cmath>

using QXDrawInfo::QXPoint;

namespace GraphGeometry {

QXPoint ToDrawPoint(const QXGraphPoint& point) {
    return MakeDrawPoint(point.price, point.position);
}

QXPoint MakeDrawPoint(double value, float position) {
    QXPoint point;
    point.value = value;
    point.position = position;
    return point;
}

QXDrawInfo::QXPointVec MakePointVec(const std::vector<QXPoint>& vecPoints) {
    QXDrawInfo::QXPointVec pointVec;
    pointVec.SetPoint(vecPoints);
    return pointVec;
}

QXDrawInfo::QXPointVec MakePointVec(std::initializer_list<QXPoint> points) {
    return MakePointVec(std::vector<QXPoint>(points));
}

float PriceToPixelY(IQXGraphCoordinate* pCoordinate, double price) {
    float y = 0.0f;
    if (pCoordinate != nullptr) pCoordinate->PriceToPixel(price, &y);
    return y;
}

double PixelYToPrice(IQXGraphCoordinate* pCoordinate, float y) {
    double price = 0.0;
    if (pCoordinate != nullptr) pCoordinate->PixelToPrice(y, &price);
    return price;
}

float PositionToPixelX(IQXGraphCoordinate* pCoordinate, float position) {
    float x = 0.0f;
    if (pCoordinate != nullptr) pCoordinate->PositionToPixel(position, &x);
    return x;
}

float PixelXToPosition(IQXGraphCoordinate* pCoordinate, float x) {
    float position = 0.0f;
    if (pCoordinate != nullptr) pCoordinate->PixelToPosition(x, &position);
    return position;
}

QXPixelPoint ToPixel(IQXGraphCoordinate* pCoordinate, const QXPoint& point) {
    QXPixelPoint pixel;
    pixel.x = PositionToPixelX(pCoordinate, point.position);
    pixel.y = PriceToPixelY(pCoordinate, point.value);
    return pixel;
}

QXPoint FromPixel(IQXGraphCoordinate* pCoordinate, const QXPixelPoint& pixel) {
    return MakeDrawPoint(PixelYToPrice(pCoordinate, pixel.y),
                         PixelXToPosition(pCoordinate, pixel.x));
}

bool TryToPixel(IQXGraphCoordinate* pCoordinate, const QXPoint& point, QXPixelPoint* pOut) {
    if (pCoordinate == nullptr || pOut == nullptr) return false;
    QXPixelPoint pixel;
    if (!pCoordinate->PositionToPixel(point.position, &pixel.x)) return false;
    if (!pCoordinate->PriceToPixel(point.value, &pixel.y)) return false;
    *pOut = pixel;
    return true;
}

bool TryFromPixel(IQXGraphCoordinate* pCoordinate, const QXPixelPoint& pixel, QXPoint* pOut) {
    if (pCoordinate == nullptr || pOut == nullptr) return false;
    QXPoint point;
    if (!pCoordinate->PixelToPosition(pixel.x, &point.position)) return false;
    if (!pCoordinate->PixelToPrice(pixel.y, &point.value)) return false;
    *pOut = point;
    return true;
}

double OffsetPriceByPixels(IQXGraphCoordinate* pCoordinate, double price, float dy) {
    return PixelYToPrice(pCoordinate, PriceToPixelY(pCoordinate, price) + dy);
}

QXPoint ParallelPoint(IQXGraphCoordinate* pCoordinate, const QXPoint& p0, const QXPoint& p1,
                      const QXPoint& p2) {
    const float y0 = PriceToPixelY(pCoordinate, p0.value);
    const float y1 = PriceToPixelY(pCoordinate, p1.value);
    const float y2 = PriceToPixelY(pCoordinate, p2.value);
    return MakeDrawPoint(PixelYToPrice(pCoordinate, y2 - (y1 - y0)),
                         p2.position - (p1.position - p0.position));
}

QXPoint ReflectPoint(IQXGraphCoordinate* pCoordinate, const QXPoint& point, const QXPoint& centre) {
    const float yPoint = PriceToPixelY(pCoordinate, point.value);
    const float yCentre = PriceToPixelY(pCoordinate, centre.value);
    return MakeDrawPoint(PixelYToPrice(pCoordinate, 2.0f * yCentre - yPoint),
                         2.0f * centre.position - point.position);
}

bool IntersectLines(const QXPoint& u, const QXPoint& v, const QXPoint& w, const QXPoint& z,
                    QXPoint* pOut) {
    if (pOut == nullptr) return false;
    const float duv = u.position - v.position;
    const float dwz = w.position - z.position;
    const bool bVerticalUV = std::fabs(duv) < kFloatEpsilon;
    const bool bVerticalWZ = std::fabs(dwz) < kFloatEpsilon;
    if (bVerticalUV && bVerticalWZ) return false;

    const float m1 = bVerticalUV ? 0.0f : static_cast<float>((u.value - v.value) / duv);
    const float m2 = bVerticalWZ ? 0.0f : static_cast<float>((w.value - z.value) / dwz);
    if (bVerticalUV) {
        *pOut = MakeDrawPoint((u.position - w.position) * m2 + w.value, u.position);
        return true;
    }
    if (bVerticalWZ) {
        *pOut = MakeDrawPoint((w.position - u.position) * m1 + u.value, w.position);
        return true;
    }
    if (std::fabs(m1 - m2) < kFloatEpsilon) return false;

    const float b1 = static_cast<float>(u.value - u.position * m1);
    const float b2 = static_cast<float>(w.value - w.position * m2);
    const float x = (b1 - b2) / (m2 - m1);
    *pOut = MakeDrawPoint(x * m1 + b1, x);
    return true;
}

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace GraphGeometry
