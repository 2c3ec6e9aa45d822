#include "tools/qxindex/chart/RecordPainter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/qxindex/TextEncoding.h"
#include "tools/qxindex/chart/PixelClip.h"
#include "tools/qxindex/chart/XmlText.h"

namespace qxindex {
namespace {

using QXDrawInfo::QXPoint;

// Draw-order keys: handle * kItemSpan + item; handle = kind * kKindSpan + index.
constexpr int64_t kItemSpan = 100000000;
constexpr int64_t kKindSpan = 10000000;

// Room around the panel for the widest stroke: outlines cut along the margin stay
// outside the clip path.
constexpr double kCutMargin = 64.0;
constexpr double kMaxLineWidth = 50.0;
constexpr double kMinCrossArm = 3.0;
constexpr double kMaxCrossArm = 200.0;
constexpr double kDefaultFontSize = 12.0;
constexpr double kMinFontSize = 4.0;
constexpr double kMaxFontSize = 96.0;
// An ellipse beyond this many pixels would show only an edge computed at
// unreliable precision; it is left out.
constexpr double kMaxEllipseRadius = 1e7;
constexpr double kIconHalf = 6.0;
// Texts get an outline of the panel's background under their glyphs, so that a
// label on a level line or over the candles can still be read.
const SvgPaint kLabelHalo{"#FFFFFF", 0.85};
constexpr double kLabelHaloWidth = 3.0;
constexpr double kPi = 3.14159265358979323846;

struct DashPattern {
    int lineStyle;
    std::vector<double> units;  // in line widths
};

const DashPattern kDashPatterns[] = {
    {2, {6, 4}},
    {3, {1, 2}},
    {4, {6, 3, 1, 3}},
    {5, {6, 3, 1, 3, 1, 3}},
};

enum class Glyph { kUpArrow, kDownArrow, kRing, kX, kSquare, kDot };

struct IconGlyph {
    int id;
    Glyph glyph;
    int colorId;
};

constexpr IconGlyph kIconGlyphs[] = {
    {1, Glyph::kUpArrow, 7}, {2, Glyph::kDownArrow, 8}, {3, Glyph::kRing, 2},
    {4, Glyph::kX, 0},       {5, Glyph::kSquare, 3},
};
constexpr IconGlyph kDotGlyph = {0, Glyph::kDot, 5};

bool IsFinite(PixelPoint p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double LineWidth(float width) {
    double w = static_cast<double>(width);
    if (!(w > 0.0)) return 1.0;  // NaN too
    return std::min(w, kMaxLineWidth);
}

bool Intersects(const PixelRect& box, double left, double top, double right, double bottom) {
    return right >= box.left && left <= box.Right() && bottom >= box.top && top <= box.Bottom();
}

bool SamePixel(PixelPoint a, PixelPoint b) {
    return a.x == b.x && a.y == b.y;
}

// The curve's pixels with its ends carried on to the edge of `box`.
std::vector<PixelPoint> ExtendEnds(std::vector<PixelPoint> pixels, bool extendStart, bool extendEnd,
                                   const PixelRect& box) {
    if (pixels.size() < 2) return pixels;
    PixelPoint exit;
    if (extendEnd) {
        const PixelPoint& last = pixels.back();
        for (size_t i = pixels.size() - 1; i-- > 0;) {
            if (SamePixel(pixels[i], last)) continue;
            if (ExtendRay(pixels[i], last, box, &exit)) pixels.push_back(exit);
            break;
        }
    }
    if (extendStart) {
        const PixelPoint first = pixels.front();
        for (size_t i = 1; i < pixels.size(); ++i) {
            if (SamePixel(pixels[i], first)) continue;
            if (ExtendRay(pixels[i], first, box, &exit)) pixels.insert(pixels.begin(), exit);
            break;
        }
    }
    return pixels;
}

}  // namespace

SvgStroke RecordStroke(const QXDrawInfo::QXColor& color, float width, int lineStyle) {
    SvgStroke stroke;
    if (lineStyle == LINE_STYLE_NONE) return stroke;
    stroke.paint = ResolveColor(color, PaintUse::kLine);
    stroke.width = LineWidth(width);
    double unit = std::max(1.0, stroke.width);
    for (const DashPattern& pattern : kDashPatterns) {
        if (pattern.lineStyle != lineStyle) continue;
        for (size_t i = 0; i < pattern.units.size(); ++i) {
            if (i > 0) stroke.dashArray += ' ';
            stroke.dashArray += FormatNumber(pattern.units[i] * unit);
        }
    }
    return stroke;
}

RecordPainter::RecordPainter(SvgWriter* svg, const PanelScale& scale)
    : m_pSvg(svg), m_scale(scale), m_rcCut(scale.Plot().Grown(kCutMargin)) {}

PixelPoint RecordPainter::ToPixel(const QXPoint& point) const {
    return PixelPoint{m_scale.X(static_cast<double>(point.position)), m_scale.Y(point.value)};
}

void RecordPainter::Paint(const QXDrawInfo::GraphDrawInfo& info) {
    // painted[kind][record][item]
    std::vector<std::vector<std::vector<bool>>> painted(kKindCount);
    auto sizeFlags = [&painted](int kind, auto& records) {
        painted[kind].resize(records.size());
        for (size_t r = 0; r < records.size(); ++r)
            painted[kind][r].resize(records[r].items.size());
    };
    sizeFlags(kCurve, info.curves);
    sizeFlags(kRectangle, info.rectangles);
    sizeFlags(kEllipse, info.ellipses);
    sizeFlags(kCross, info.crosses);
    sizeFlags(kText, info.texts);
    sizeFlags(kIcon, info.icons);

    for (int64_t key : info.drawOrder) {
        if (key < 0) continue;
        int64_t handle = key / kItemSpan;
        int64_t kind = handle / kKindSpan;
        if (kind < kCurve || kind >= kKindCount) continue;
        size_t record = static_cast<size_t>(handle % kKindSpan);
        size_t item = static_cast<size_t>(key % kItemSpan);
        std::vector<std::vector<bool>>& flags = painted[static_cast<size_t>(kind)];
        if (record >= flags.size() || item >= flags[record].size() || flags[record][item]) {
            continue;
        }
        flags[record][item] = true;
        PaintItem(info, static_cast<int>(kind), record, item);
    }
    for (int kind = kCurve; kind < kKindCount; ++kind) {
        for (size_t record = 0; record < painted[kind].size(); ++record) {
            for (size_t item = 0; item < painted[kind][record].size(); ++item) {
                if (!painted[kind][record][item]) PaintItem(info, kind, record, item);
            }
        }
    }
}

void RecordPainter::PaintItem(const QXDrawInfo::GraphDrawInfo& info, int kind, size_t record,
                              size_t item) {
    switch (kind) {
        case kCurve:
            PaintCurve(info.curves[record], info.curves[record].items[item]);
            break;
        case kRectangle:
            PaintRectangle(info.rectangles[record], info.rectangles[record].items[item]);
            break;
        case kEllipse:
            PaintEllipse(info.ellipses[record], info.ellipses[record].items[item]);
            break;
        case kCross:
            PaintCross(info.crosses[record], info.crosses[record].items[item]);
            break;
        case kText:
            PaintText(info.texts[record], info.texts[record].items[item]);
            break;
        case kIcon:
            PaintIcon(info.icons[record], info.icons[record].items[item]);
            break;
        default:
            break;
    }
}

void RecordPainter::PaintCurve(const QXDrawInfo::CurveDrawInfo& curve,
                               const QXDrawInfo::CurveSegment& item) {
    std::vector<PixelPoint> pixels;
    for (const QXPoint& point : item.points.GetPoint()) pixels.push_back(ToPixel(point));
    SvgStroke stroke = RecordStroke(curve.lineColor, curve.lineWidth, curve.lineStyle);
    if (curve.fillStyle != FILL_STYLE_NONE) {
        SvgPaint fill = ResolveColor(curve.fillColor, PaintUse::kFill);
        m_pSvg->Polygon(ClipPolygon(pixels, m_rcCut), fill, stroke);
        return;
    }
    if (stroke.paint.IsNone()) return;
    if (pixels.size() == 1) {
        PixelPoint p = pixels.front();
        if (!IsFinite(p) || !Intersects(m_rcCut, p.x, p.y, p.x, p.y)) return;
        double radius = stroke.width / 2.0 + 0.5;
        m_pSvg->Ellipse(p, radius, radius, 0.0, stroke.paint, SvgStroke{});
        return;
    }
    pixels = ExtendEnds(std::move(pixels), item.extendStart, item.extendEnd, m_rcCut);
    for (const std::vector<PixelPoint>& part : ClipPolyline(pixels, m_rcCut)) {
        m_pSvg->Polyline(part, stroke);
    }
}

void RecordPainter::PaintRectangle(const QXDrawInfo::RectangleDrawInfo& rectangle,
                                   const QXDrawInfo::RectangleItem& item) {
    PixelPoint a = ToPixel(item.first);
    PixelPoint b = ToPixel(item.second);
    if (!IsFinite(a) || !IsFinite(b)) return;
    double left = std::min(a.x, b.x);
    double right = std::max(a.x, b.x);
    double top = std::min(a.y, b.y);
    double bottom = std::max(a.y, b.y);
    // A column of a tiny value or a flat candle body stays visible.
    if (right - left < 1.0) {
        double centre = (left + right) / 2.0;
        left = centre - 0.5;
        right = centre + 0.5;
    }
    if (bottom - top < 1.0) {
        double centre = (top + bottom) / 2.0;
        top = centre - 0.5;
        bottom = centre + 0.5;
    }
    if (!Intersects(m_rcCut, left, top, right, bottom)) return;
    left = std::max(left, m_rcCut.left);
    right = std::min(right, m_rcCut.Right());
    top = std::max(top, m_rcCut.top);
    bottom = std::min(bottom, m_rcCut.Bottom());
    SvgPaint fill = rectangle.fillStyle != FILL_STYLE_NONE
                        ? ResolveColor(rectangle.fillColor, PaintUse::kFill)
                        : SvgPaint{};
    SvgStroke stroke = RecordStroke(rectangle.lineColor, rectangle.lineWidth, rectangle.lineStyle);
    m_pSvg->Rect(PixelRect{left, top, right - left, bottom - top}, fill, stroke);
}

void RecordPainter::PaintEllipse(const QXDrawInfo::ElipseDrawInfo& ellipse,
                                 const QXDrawInfo::QXPointVec& item) {
    const std::vector<QXPoint>& points = item.GetPoint();
    if (points.size() < 2) return;
    PixelPoint a = ToPixel(points[0]);
    PixelPoint b = ToPixel(points[1]);
    if (!IsFinite(a) || !IsFinite(b)) return;
    double dx = b.x - a.x;
    double dy = b.y - a.y;
    double length = std::hypot(dx, dy);
    double rx = length / 2.0;
    double ry = rx;
    if (points.size() >= 3) {
        PixelPoint c = ToPixel(points[2]);
        if (!IsFinite(c) || !(length > 0.0)) return;
        ry = std::fabs(dx * (c.y - a.y) - dy * (c.x - a.x)) / length;
    }
    if (!(rx > 0.0) || !(ry > 0.0) || rx > kMaxEllipseRadius || ry > kMaxEllipseRadius) return;
    PixelPoint centre{(a.x + b.x) / 2.0, (a.y + b.y) / 2.0};
    double reach = std::max(rx, ry);
    if (!Intersects(m_rcCut, centre.x - reach, centre.y - reach, centre.x + reach,
                    centre.y + reach)) {
        return;
    }
    double degrees = std::atan2(dy, dx) * 180.0 / kPi;
    SvgPaint fill = ellipse.fillStyle != FILL_STYLE_NONE
                        ? ResolveColor(ellipse.fillColor, PaintUse::kFill)
                        : SvgPaint{};
    SvgStroke stroke = RecordStroke(ellipse.lineColor, ellipse.lineWidth, ellipse.lineStyle);
    m_pSvg->Ellipse(centre, rx, ry, degrees, fill, stroke);
}

void RecordPainter::PaintCross(const QXDrawInfo::CrossDrawInfo& cross,
                               const QXDrawInfo::CrossItem& item) {
    PixelPoint p = ToPixel(item.point);
    double size = static_cast<double>(item.size);
    if (!IsFinite(p) || !(size > 0.0)) return;
    double arm = std::clamp(size * m_scale.PixelsPerBar(), kMinCrossArm, kMaxCrossArm);
    if (!Intersects(m_rcCut, p.x - arm, p.y - arm, p.x + arm, p.y + arm)) return;
    SvgStroke stroke = RecordStroke(cross.color, cross.lineWidth, cross.lineStyle);
    m_pSvg->Line(PixelPoint{p.x - arm, p.y}, PixelPoint{p.x + arm, p.y}, stroke);
    m_pSvg->Line(PixelPoint{p.x, p.y - arm}, PixelPoint{p.x, p.y + arm}, stroke);
}

void RecordPainter::PaintText(const QXDrawInfo::TextDrawInfo& text,
                              const QXDrawInfo::TextItem& item) {
    PixelPoint p = ToPixel(item.position);
    p.x += static_cast<double>(item.offset.position);
    p.y -= item.offset.value;
    if (!IsFinite(p) || item.text.empty()) return;
    std::string utf8 = GbkToUtf8(item.text);
    double size = static_cast<double>(text.fontSize);
    size = size > 0.0 ? std::clamp(size, kMinFontSize, kMaxFontSize) : kDefaultFontSize;
    double width = EstimateTextWidth(utf8, size);
    if (!Intersects(m_rcCut, p.x - width, p.y - size, p.x + width, p.y + size)) return;
    SvgTextStyle style;
    style.paint = ResolveColor(text.textColor, PaintUse::kText);
    style.size = size;
    style.halo = kLabelHalo;
    style.haloWidth = kLabelHaloWidth;
    if (!text.fontName.empty()) style.fontFamily = GbkToUtf8(text.fontName) + ", sans-serif";
    const bool besidePoint = (item.flags & 1) != 0;
    if (!besidePoint) style.anchor = "middle";
    // A label that would show in part, or lies within its own width beside the
    // plot, is moved in to show whole: a range's label at its far corner, a level's
    // price at the side of the chart, a price marker's label right of the last bar.
    // One whose point lies above or below the plot labels something out of view
    // and is cut with it, as is one further beside it.
    const PixelRect& plot = m_scale.Plot();
    PixelRect box{besidePoint ? p.x + 2.0 : p.x - width / 2.0, p.y - size / 2.0, width, size};
    if (p.y >= plot.top && p.y <= plot.Bottom() && box.Right() + width > plot.left &&
        box.left - width < plot.Right()) {
        PixelPoint shift = ShiftInside(box, plot);
        p.x += shift.x;
        p.y += shift.y;
    }
    if (besidePoint) p.x += 2.0;
    p.y += size * 0.35;  // from the centre line to the baseline
    m_pSvg->Text(p, utf8, style);
}

void RecordPainter::PaintIcon(const QXDrawInfo::VOZIconDrawInfo& icon,
                              const QXDrawInfo::IconItem& item) {
    PixelPoint p = ToPixel(item.point);
    if (!IsFinite(p) ||
        !Intersects(m_rcCut, p.x - kIconHalf, p.y - kIconHalf, p.x + kIconHalf, p.y + kIconHalf)) {
        return;
    }
    int id = item.tag >= 1 ? item.tag : icon.iconId;
    IconGlyph glyph = kDotGlyph;
    for (const IconGlyph& entry : kIconGlyphs) {
        if (entry.id == id) glyph = entry;
    }
    SvgPaint paint = PaletteColor(glyph.colorId, PaintUse::kLine);
    SvgStroke outline{paint, 2.0, std::string(), true};
    const double h = kIconHalf;
    auto at = [p](double dx, double dy) { return PixelPoint{p.x + dx, p.y + dy}; };
    switch (glyph.glyph) {
        case Glyph::kUpArrow:
            m_pSvg->Polygon(
                {at(0, -h), at(5, -1), at(2, -1), at(2, h), at(-2, h), at(-2, -1), at(-5, -1)},
                paint, SvgStroke{});
            break;
        case Glyph::kDownArrow:
            m_pSvg->Polygon(
                {at(0, h), at(5, 1), at(2, 1), at(2, -h), at(-2, -h), at(-2, 1), at(-5, 1)}, paint,
                SvgStroke{});
            break;
        case Glyph::kRing:
            m_pSvg->Ellipse(p, h - 1, h - 1, 0.0, SvgPaint{}, outline);
            break;
        case Glyph::kX:
            m_pSvg->Line(at(-h + 1, -h + 1), at(h - 1, h - 1), outline);
            m_pSvg->Line(at(-h + 1, h - 1), at(h - 1, -h + 1), outline);
            break;
        case Glyph::kSquare:
            m_pSvg->Rect(PixelRect{p.x - h + 1, p.y - h + 1, 2 * h - 2, 2 * h - 2}, paint,
                         SvgStroke{});
            break;
        case Glyph::kDot:
            m_pSvg->Ellipse(p, 3.0, 3.0, 0.0, paint, SvgStroke{});
            break;
    }
}

}  // namespace qxindex
