// Writes an SVG document element by element. Numbers are written with at most two
// decimals and no locale, so the same chart always gives the same bytes; every
// text goes through EscapeXml; groups left open are closed by Finish, so the
// document is well-formed whatever the painter did.
#pragma once

#include <string>
#include <vector>

#include "tools/qxindex/chart/ChartPalette.h"
#include "tools/qxindex/chart/PanelScale.h"

namespace qxindex {

struct SvgStroke {
    SvgPaint paint;  // none: no outline
    double width = 1.0;
    std::string dashArray;  // empty: solid
    bool roundCaps = false;
};

struct SvgTextStyle {
    SvgPaint paint;
    double size = 12.0;
    const char* anchor = "start";  // start, middle or end
    std::string fontFamily;        // empty: the document's
    bool bold = false;
    // An outline painted under the glyphs (none: no halo), so that a label stays
    // readable over lines and candles.
    SvgPaint halo;
    double haloWidth = 0.0;
};

class SvgWriter {
public:
    SvgWriter(double width, double height);

    void ClipPath(const std::string& id, const PixelRect& rect);
    // A group, clipped to a clip path when clipId is not empty.
    void OpenGroup(const std::string& id, const std::string& clipId = std::string());
    void CloseGroup();

    void Rect(const PixelRect& rect, const SvgPaint& fill, const SvgStroke& stroke);
    void Line(PixelPoint from, PixelPoint to, const SvgStroke& stroke);
    void Polyline(const std::vector<PixelPoint>& points, const SvgStroke& stroke);
    void Polygon(const std::vector<PixelPoint>& points, const SvgPaint& fill,
                 const SvgStroke& stroke);
    // An ellipse turned by `degrees` (clockwise on screen) around its centre.
    void Ellipse(PixelPoint centre, double rx, double ry, double degrees, const SvgPaint& fill,
                 const SvgStroke& stroke);
    void Text(PixelPoint at, const std::string& utf8, const SvgTextStyle& style);
    void Comment(const std::string& text);

    // The finished document; the writer is spent afterwards.
    std::string Finish();

private:
    void AppendNumber(double value);
    void AppendAttribute(const char* name, double value);
    void AppendAttribute(const char* name, const std::string& value);
    void AppendPaint(const SvgPaint& fill, const SvgStroke& stroke);
    void AppendPoints(const std::vector<PixelPoint>& points);

    std::string m_strOut;
    int m_nOpenGroups = 0;
};

// A number as the writer prints it: fixed, at most two decimals, trailing zeros
// dropped, "0" for anything not finite.
std::string FormatNumber(double value);

}  // namespace qxindex
