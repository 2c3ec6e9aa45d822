#include "tools/qxindex/chart/PixelClip.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qxindex {
namespace {

bool IsFinite(PixelPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool SamePoint(PixelPoint a, PixelPoint b) {
    return a.x == b.x && a.y == b.y;
}

// Narrows [t0, t1] to where p + t·d lies on the inner side of one box edge
// (p·q form of Liang and Barsky: inside where t·p <= q).
bool ClipEdge(double p, double q, double* t0, double* t1) {
    if (p == 0.0) return q >= 0.0;
    double t = q / p;
    if (p < 0.0) {
        if (t > *t1) return false;
        *t0 = std::max(*t0, t);
    } else {
        if (t < *t0) return false;
        *t1 = std::min(*t1, t);
    }
    return true;
}

// The parameter interval of the line a + t·(b - a) that lies in the box, within
// [t0, t1] as given.
bool ClipLine(PixelPoint a, PixelPoint b, const PixelRect& box, double* t0, double* t1) {
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    return ClipEdge(-dx, a.x - box.left, t0, t1) && ClipEdge(dx, box.Right() - a.x, t0, t1) &&
           ClipEdge(-dy, a.y - box.top, t0, t1) && ClipEdge(dy, box.Bottom() - a.y, t0, t1) &&
           *t0 <= *t1;
}

PixelPoint At(PixelPoint a, PixelPoint b, double t) {
    return PixelPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

enum class Edge { kLeft, kRight, kTop, kBottom };

bool Inside(PixelPoint p, Edge edge, const PixelRect& box) {
    switch (edge) {
        case Edge::kLeft:
            return p.x >= box.left;
        case Edge::kRight:
            return p.x <= box.Right();
        case Edge::kTop:
            return p.y >= box.top;
        case Edge::kBottom:
            return p.y <= box.Bottom();
    }
    return false;
}

PixelPoint Crossing(PixelPoint a, PixelPoint b, Edge edge, const PixelRect& box) {
    double t = 0.0;
    switch (edge) {
        case Edge::kLeft:
            t = (box.left - a.x) / (b.x - a.x);
            return PixelPoint{box.left, a.y + (b.y - a.y) * t};
        case Edge::kRight:
            t = (box.Right() - a.x) / (b.x - a.x);
            return PixelPoint{box.Right(), a.y + (b.y - a.y) * t};
        case Edge::kTop:
            t = (box.top - a.y) / (b.y - a.y);
            return PixelPoint{a.x + (b.x - a.x) * t, box.top};
        case Edge::kBottom:
            t = (box.Bottom() - a.y) / (b.y - a.y);
            return PixelPoint{a.x + (b.x - a.x) * t, box.Bottom()};
    }
    return a;
}

}  // namespace

std::vector<std::vector<PixelPoint>> ClipPolyline(const std::vector<PixelPoint>& points,
                                                  const PixelRect& box) {
    std::vector<std::vector<PixelPoint>> parts;
    std::vector<PixelPoint> current;
    auto closePart = [&]() {
        if (current.size() >= 2) parts.push_back(std::move(current));
        current.clear();
    };
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        PixelPoint a = points[i];
        PixelPoint b = points[i + 1];
        if (!IsFinite(a) || !IsFinite(b)) {
            closePart();
            continue;
        }
        double t0 = 0.0;
        double t1 = 1.0;
        if (!ClipLine(a, b, box, &t0, &t1)) {
            closePart();
            continue;
        }
        PixelPoint start = At(a, b, t0);
        PixelPoint end = At(a, b, t1);
        if (current.empty() || t0 > 0.0) {
            closePart();
            current.push_back(start);
        }
        if (!SamePoint(current.back(), end) || current.size() == 1) current.push_back(end);
        if (t1 < 1.0) closePart();
    }
    closePart();
    return parts;
}

std::vector<PixelPoint> ClipPolygon(const std::vector<PixelPoint>& points, const PixelRect& box) {
    std::vector<PixelPoint> polygon;
    for (const PixelPoint& p : points) {
        if (IsFinite(p)) polygon.push_back(p);
    }
    for (Edge edge : {Edge::kLeft, Edge::kRight, Edge::kTop, Edge::kBottom}) {
        if (polygon.size() < 3) return {};
        std::vector<PixelPoint> input;
        input.swap(polygon);
        PixelPoint previous = input.back();
        for (const PixelPoint& current : input) {
            bool currentIn = Inside(current, edge, box);
            bool previousIn = Inside(previous, edge, box);
            if (currentIn != previousIn) polygon.push_back(Crossing(previous, current, edge, box));
            if (currentIn) polygon.push_back(current);
            previous = current;
        }
    }
    if (polygon.size() < 3) return {};
    return polygon;
}

bool ExtendRay(PixelPoint back, PixelPoint from, const PixelRect& box, PixelPoint* exit) {
    if (!IsFinite(back) || !IsFinite(from) || SamePoint(back, from)) return false;
    PixelPoint ahead{from.x + (from.x - back.x), from.y + (from.y - back.y)};
    if (!IsFinite(ahead)) return false;
    double t0 = 0.0;
    double t1 = std::numeric_limits<double>::infinity();
    if (!ClipLine(from, ahead, box, &t0, &t1) || !std::isfinite(t1) || t1 <= 0.0) return false;
    *exit = At(from, ahead, t1);
    return IsFinite(*exit);
}

namespace {

double ShiftInside(double low, double size, double boundLow, double boundSize) {
    if (size >= boundSize || low < boundLow) return boundLow - low;
    return std::min(0.0, boundLow + boundSize - (low + size));
}

}  // namespace

PixelPoint ShiftInside(const PixelRect& box, const PixelRect& bounds) {
    return PixelPoint{ShiftInside(box.left, box.width, bounds.left, bounds.width),
                      ShiftInside(box.top, box.height, bounds.top, bounds.height)};
}

}  // namespace qxindex
