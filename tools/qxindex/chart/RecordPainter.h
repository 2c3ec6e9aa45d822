// Paints drawing records into one panel of the chart. Items are painted in the
// order of their draw-order keys, across all record kinds, so a picture layers the
// way its producer built it; items that no key names (a hand-made record) follow,
// kind by kind. Keys that name no item are skipped.
//
// How records become pixels:
// - Points are (value, bar position) through the panel's scale; bar i's slot is
//   [i-0.5, i+0.5]. Rectangles are painted at the corners they carry (a column or
//   candle body brings its own width), at least one pixel wide and high.
// - Line styles: 0 none, 1 solid, 2 dashed, 3 dotted, 4 dash-dot, 5 dash-dot-dot,
//   anything else solid. A width of zero or less is one pixel (a hairline), widths
//   are capped at 50 pixels.
// - A curve with a fill style other than 0 is a closed outline filled with its fill
//   colour, outlined when its line style is not 0; otherwise it is a polyline whose
//   first and last segments run on to the panel's edge when extendStart and
//   extendEnd say so. A single-point segment is a dot of the line's width.
// - An ellipse item of two points is a circle on screen whose diameter joins the
//   two points (so a radius given in bars is that many bars of pixels); a third
//   point sets the other half-axis, its distance from the first axis. Extra points
//   are ignored.
// - A cross is an upright "+" whose half-arm is its size in bars, at least 3 and
//   at most 200 pixels: the formula crosses are sized like the formula circles.
// - A text is centred on its point, or starts 2 pixels right of it when bit 0 of its
//   flags is set (marker labels); it is vertically centred on the point. The offset
//   moves it in pixels: position to the right, value upwards. A text that would
//   show in part or lies within its own width beside the plot, with its point
//   within the plot's height, is moved in to show whole; every text has a halo of the background under its glyphs. Texts and font names
//   are in the library's code page (GBK). secondColor, fillColor, mode, extra and
//   style are not used by this renderer.
// - An icon is a 12-pixel glyph centred on its point. The item's tag names it (it
//   carries the formula's icon number); a tag of 0 or less falls back to the
//   record's iconId: 1 up arrow (rising colour), 2 down arrow (falling colour),
//   3 ring (id 2), 4 "x" (id 0), 5 square (id 3), any other a dot (id 5).
#pragma once

#include "QXDrawInfo.h"
#include "tools/qxindex/chart/PanelScale.h"
#include "tools/qxindex/chart/SvgWriter.h"

namespace qxindex {

class RecordPainter {
public:
    // `scale` maps the panel; painting is cut to the panel grown by a margin, and
    // the caller's clip path trims the rest.
    RecordPainter(SvgWriter* svg, const PanelScale& scale);

    void Paint(const QXDrawInfo::GraphDrawInfo& info);

private:
    enum Kind { kCurve = 1, kRectangle, kEllipse, kCross, kText, kIcon, kKindCount };

    void PaintItem(const QXDrawInfo::GraphDrawInfo& info, int kind, size_t record, size_t item);
    void PaintCurve(const QXDrawInfo::CurveDrawInfo& curve, const QXDrawInfo::CurveSegment& item);
    void PaintRectangle(const QXDrawInfo::RectangleDrawInfo& rectangle,
                        const QXDrawInfo::RectangleItem& item);
    void PaintEllipse(const QXDrawInfo::ElipseDrawInfo& ellipse,
                      const QXDrawInfo::QXPointVec& item);
    void PaintCross(const QXDrawInfo::CrossDrawInfo& cross, const QXDrawInfo::CrossItem& item);
    void PaintText(const QXDrawInfo::TextDrawInfo& text, const QXDrawInfo::TextItem& item);
    void PaintIcon(const QXDrawInfo::VOZIconDrawInfo& icon, const QXDrawInfo::IconItem& item);

    PixelPoint ToPixel(const QXDrawInfo::QXPoint& point) const;

    SvgWriter* m_pSvg;
    PanelScale m_scale;
    PixelRect m_rcCut;
};

// The SVG stroke of a record's line colour, width and style.
SvgStroke RecordStroke(const QXDrawInfo::QXColor& color, float width, int lineStyle);

}  // namespace qxindex
