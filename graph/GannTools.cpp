#include "graph/GannTools.h"

#include <cmath>
#include <cstdint>

#include "graph/GraphGeometry.h"
#include "graph/ToolPicture.h"

using GraphGeometry::QXPixelPoint;
using QXDrawInfo::QXPoint;

namespace {

// Speed-resistance rays end at these fractions of the price move below the
// second anchor. They are rounded ratios, not exact thirds: the rays must land
// where charts drawn with this tool have always put them.
constexpr double kSpeedRatioTwoThirds = 0.667;
constexpr double kSpeedRatioOneThird = 0.333;

struct CFanRatio {
    double m_dRatio;
    const char* m_pszText;
};

// Fan rays besides 1/1, in drawing order, first on the steep side, then on the
// flat side.
constexpr CFanRatio kFanRatios[] = {
    {0.125, "1/8"},
    {0.25, "1/4"},
    {0.333, "1/3"},
    {0.5, "1/2"},
};

// The box's quarter lines: one and two quarters of the box's width or height.
constexpr int kBoxQuarterSteps = 2;

// Screen angles in radians from which the digestion point is placed, close to
// 315 and 255 degrees. Their values are kept to the digit because
// saved charts must show the point where they always did.
constexpr double kDigestionAngleA = 5.497625;
constexpr double kDigestionAngleB = 4.450458333333334;

QXPoint FromPixel(IQXGraphCoordinate* pCoordinate, double x, double y) {
    QXPixelPoint pixel;
    pixel.x = static_cast<float>(x);
    pixel.y = static_cast<float>(y);
    return GraphGeometry::FromPixel(pCoordinate, pixel);
}

}  // namespace

QX_GRAPH_TYPE QXGraphComplexSpeedResistance::GetGraphType() const {
    return QX_GRAPH_COMPLEX_SPEED_RESISTANCE;
}
int QXGraphComplexSpeedResistance::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexSpeedResistance::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    CToolPicture picture;
    const int64_t hSolid = picture.AddStyle(MakeCurve(LINE_STYLE_SOLID));
    const int64_t hDashed = picture.AddStyle(MakeCurve(LINE_STYLE_DASH));
    picture.AddLine(hSolid, vecPoints, false, true);
    const double priceMove = p1.value - p0.value;
    for (double ratio : {kSpeedRatioTwoThirds, kSpeedRatioOneThird}) {
        picture.AddLine(
            hDashed, {p0, GraphGeometry::MakeDrawPoint(p1.value - priceMove * ratio, p1.position)},
            false, true);
    }
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphComplexGannBox::GetGraphType() const {
    return QX_GRAPH_COMPLEX_GANN_BOX;
}
int QXGraphComplexGannBox::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexGannBox::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    // The other two corners: a at the first anchor's position and the second's
    // price, b at the second's position and the first's price.
    const QXPoint a = GraphGeometry::MakeDrawPoint(p1.value, p0.position);
    const QXPoint b = GraphGeometry::MakeDrawPoint(p0.value, p1.position);
    const QXPixelPoint px0 = GraphGeometry::ToPixel(m_pCoordinate, p0);
    const QXPixelPoint px1 = GraphGeometry::ToPixel(m_pCoordinate, p1);
    const double width = static_cast<double>(px1.x) - px0.x;
    const double height = static_cast<double>(px0.y) - px1.y;

    // One record per style; the draw order keeps the lines in the order below.
    CToolPicture picture;
    const int64_t hSolid = picture.AddStyle(MakeCurve(LINE_STYLE_SOLID));
    const int64_t hDashed = picture.AddStyle(MakeCurve(LINE_STYLE_DASH));
    picture.AddLine(hSolid, {p0, a, p1, b, p0}, false, false);
    picture.AddLine(hSolid, {p0, p1}, false, false);
    for (int k = 1; k <= kBoxQuarterSteps; ++k) {
        const QXPoint q = FromPixel(m_pCoordinate, px0.x + k / 4.0 * width, px1.y);
        picture.AddLine(hDashed, {p0, q}, false, false);
    }
    for (int k = 1; k <= kBoxQuarterSteps; ++k) {
        const QXPoint q = FromPixel(m_pCoordinate, px1.x, px0.y - k / 4.0 * height);
        picture.AddLine(hDashed, {p0, q}, false, false);
    }
    picture.AddLine(hSolid, {a, b}, false, false);
    for (int k = 1; k <= kBoxQuarterSteps; ++k) {
        const QXPoint q = FromPixel(m_pCoordinate, px0.x + k / 4.0 * width, px0.y);
        picture.AddLine(hDashed, {a, q}, false, false);
    }
    for (int k = 1; k <= kBoxQuarterSteps; ++k) {
        const QXPoint q = FromPixel(m_pCoordinate, px1.x, px1.y + k / 4.0 * height);
        picture.AddLine(hDashed, {a, q}, false, false);
    }
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphComplexGannFan::GetGraphType() const {
    return QX_GRAPH_COMPLEX_GANN_FAN;
}
int QXGraphComplexGannFan::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexGannFan::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    const QXPixelPoint px0 = GraphGeometry::ToPixel(m_pCoordinate, p0);
    const QXPixelPoint px1 = GraphGeometry::ToPixel(m_pCoordinate, p1);

    CToolPicture picture;
    const int64_t hRays = picture.AddStyle(MakeMainCurve());
    const int64_t hLabels = picture.AddLabelStyle(m_clrLine);
    picture.AddLabel(hLabels, p1, "1/1");
    picture.AddLine(hRays, vecPoints, false, true);
    // Steeper rays: the second anchor's height reached in a fraction of its
    // distance.
    for (const CFanRatio& ratio : kFanRatios) {
        const QXPoint q = FromPixel(
            m_pCoordinate, px0.x + ratio.m_dRatio * (static_cast<double>(px1.x) - px0.x), px1.y);
        picture.AddLabel(hLabels, q, ratio.m_pszText);
        picture.AddLine(hRays, {p0, q}, false, true);
    }
    // Flatter rays: the second anchor's distance reached at a fraction of its
    // height.
    for (const CFanRatio& ratio : kFanRatios) {
        const QXPoint q = FromPixel(m_pCoordinate, px1.x,
                                    px0.y + ratio.m_dRatio * (static_cast<double>(px1.y) - px0.y));
        picture.AddLabel(hLabels, q, ratio.m_pszText);
        picture.AddLine(hRays, {p0, q}, false, true);
    }
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphComplexDigestionPoint::GetGraphType() const {
    return QX_GRAPH_COMPLEX_DIGESTION_POINT;
}
int QXGraphComplexDigestionPoint::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexDigestionPoint::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    const QXPixelPoint px0 = GraphGeometry::ToPixel(m_pCoordinate, p0);
    const QXPixelPoint px1 = GraphGeometry::ToPixel(m_pCoordinate, p1);
    const double x0 = px0.x;
    const double y0 = px0.y;
    const double x1 = px1.x;
    const double y1 = px1.y;
    // a + b is a constant far from zero, so the division is always defined.
    const double a = 1.0 / std::tan(kDigestionAngleA);
    const double b = 1.0 / std::tan(kDigestionAngleB);
    const QXPoint d = FromPixel(m_pCoordinate, (x1 * b + x0 * a + y0 - y1) / (a + b),
                                (y1 * b + y0 * a + x1 - x0) / (a + b));

    CToolPicture picture;
    const int64_t hSolid = picture.AddStyle(MakeCurve(LINE_STYLE_SOLID));
    const int64_t hDashed = picture.AddStyle(MakeCurve(LINE_STYLE_DASH));
    picture.AddLine(hSolid, vecPoints, false, false);
    picture.AddLine(hDashed, {p0, d}, false, false);
    picture.AddLine(hDashed, {p1, d}, false, false);
    picture.AppendTo(m_vecDrawInfos);
}
