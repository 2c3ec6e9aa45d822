#include "tools/qxindex/serve/ToolPicker.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qxindex {
namespace {

struct Pixel {
    double x = 0.0;
    double y = 0.0;
};

bool ToPixel(IQXGraphCoordinate& coordinate, const QXDrawInfo::QXPoint& point, Pixel* pOut) {
    float x = 0.0f, y = 0.0f;
    if (!coordinate.PositionToPixel(point.position, &x) ||
        !coordinate.PriceToPixel(point.value, &y))
        return false;
    pOut->x = x;
    pOut->y = y;
    return true;
}

double SegmentDistance(Pixel a, Pixel b, Pixel p) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// A line running on past its end: far enough to leave any canvas.
Pixel Extended(Pixel from, Pixel to) {
    const double dx = to.x - from.x, dy = to.y - from.y;
    const double length = std::hypot(dx, dy);
    if (length <= 0.0) return to;
    const double scale = 1e5 / length;
    return Pixel{to.x + dx * scale, to.y + dy * scale};
}

double CurveDistance(IQXGraphCoordinate& coordinate, const QXDrawInfo::CurveDrawInfo& curve,
                     Pixel p) {
    double best = INFINITY;
    for (const QXDrawInfo::CurveSegment& segment : curve.items) {
        std::vector<Pixel> pixels;
        for (const QXDrawInfo::QXPoint& point : segment.points.GetPoint()) {
            Pixel pixel;
            if (ToPixel(coordinate, point, &pixel)) pixels.push_back(pixel);
        }
        if (pixels.size() == 1)
            best = std::min(best, std::hypot(pixels[0].x - p.x, pixels[0].y - p.y));
        if (pixels.size() < 2) continue;
        if (segment.extendStart) pixels.insert(pixels.begin(), Extended(pixels[1], pixels[0]));
        if (segment.extendEnd) {
            pixels.push_back(Extended(pixels[pixels.size() - 2], pixels.back()));
        }
        // A filled outline is grabbed anywhere inside as well.
        if (curve.fillStyle != 0 && pixels.size() >= 3) {
            bool inside = false;
            for (size_t i = 0, j = pixels.size() - 1; i < pixels.size(); j = i++) {
                if ((pixels[i].y > p.y) != (pixels[j].y > p.y) &&
                    p.x < (pixels[j].x - pixels[i].x) * (p.y - pixels[i].y) /
                                  (pixels[j].y - pixels[i].y) +
                              pixels[i].x) {
                    inside = !inside;
                }
            }
            if (inside) return 0.0;
        }
        for (size_t i = 1; i < pixels.size(); ++i) {
            best = std::min(best, SegmentDistance(pixels[i - 1], pixels[i], p));
        }
    }
    return best;
}

double RectangleDistance(IQXGraphCoordinate& coordinate,
                         const QXDrawInfo::RectangleDrawInfo& rectangle, Pixel p) {
    double best = INFINITY;
    for (const QXDrawInfo::RectangleItem& item : rectangle.items) {
        Pixel a, b;
        if (!ToPixel(coordinate, item.first, &a) || !ToPixel(coordinate, item.second, &b)) continue;
        const double dx = std::max({std::min(a.x, b.x) - p.x, 0.0, p.x - std::max(a.x, b.x)});
        const double dy = std::max({std::min(a.y, b.y) - p.y, 0.0, p.y - std::max(a.y, b.y)});
        best = std::min(best, std::hypot(dx, dy));
    }
    return best;
}

// Ellipses and texts are grabbed near the points that place them.
template <typename Points>
double PointsDistance(IQXGraphCoordinate& coordinate, const Points& points, Pixel p) {
    double best = INFINITY;
    for (const QXDrawInfo::QXPoint& point : points) {
        Pixel pixel;
        if (ToPixel(coordinate, point, &pixel)) {
            best = std::min(best, std::hypot(pixel.x - p.x, pixel.y - p.y));
        }
    }
    return best;
}

double ToolDistance(IQXGraphCoordinate& coordinate, IQXGraphShapeBase& shape, Pixel p) {
    double best = INFINITY;
    for (const QXDrawInfo::GraphDrawInfo& info : shape.GetGraphDrawInfo()) {
        for (const auto& curve : info.curves)
            best = std::min(best, CurveDistance(coordinate, curve, p));
        for (const auto& rectangle : info.rectangles) {
            best = std::min(best, RectangleDistance(coordinate, rectangle, p));
        }
        for (const auto& ellipse : info.ellipses) {
            for (const auto& item : ellipse.items) {
                best = std::min(best, PointsDistance(coordinate, item.GetPoint(), p));
            }
        }
        for (const auto& text : info.texts) {
            std::vector<QXDrawInfo::QXPoint> points;
            for (const auto& item : text.items) points.push_back(item.position);
            best = std::min(best, PointsDistance(coordinate, points, p));
        }
    }
    return best;
}

}  // namespace

ToolPick PickTool(const CToolBoard& board, IQXGraphCoordinate& coordinate, float x, float y) {
    ToolPick pick;
    const auto& tools = board.Tools();
    for (auto it = tools.rbegin(); it != tools.rend(); ++it) {
        int nAnchor = -1;
        if (it->second->HitTestPoint(x, y, &nAnchor)) {
            pick.nId = it->first;
            pick.nAnchor = nAnchor;
            return pick;
        }
    }
    const Pixel p{x, y};
    for (auto it = tools.rbegin(); it != tools.rend(); ++it) {
        if (ToolDistance(coordinate, *it->second, p) <= kPickPixels) {
            pick.nId = it->first;
            return pick;
        }
    }
    return pick;
}

}  // namespace qxindex
