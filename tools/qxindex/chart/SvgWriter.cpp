#include "tools/qxindex/chart/SvgWriter.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "tools/qxindex/chart/XmlText.h"

namespace qxindex {

std::string FormatNumber(double value) {
    if (!std::isfinite(value)) return "0";
    // Fixed notation of the largest double takes 309 digits.
    char text[400];
    std::to_chars_result result =
        std::to_chars(text, text + sizeof(text), value, std::chars_format::fixed, 2);
    if (result.ec != std::errc()) return "0";
    std::string s(text, result.ptr);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    if (s == "-0") s = "0";
    return s;
}

SvgWriter::SvgWriter(double width, double height) {
    m_strOut = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    m_strOut += "<svg xmlns=\"http://www.w3.org/2000/svg\"";
    AppendAttribute("width", width);
    AppendAttribute("height", height);
    m_strOut += " viewBox=\"0 0 " + FormatNumber(width) + " " + FormatNumber(height) + "\"";
    m_strOut += " font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
}

void SvgWriter::AppendNumber(double value) {
    m_strOut += FormatNumber(value);
}

void SvgWriter::AppendAttribute(const char* name, double value) {
    m_strOut += ' ';
    m_strOut += name;
    m_strOut += "=\"";
    AppendNumber(value);
    m_strOut += '"';
}

void SvgWriter::AppendAttribute(const char* name, const std::string& value) {
    m_strOut += ' ';
    m_strOut += name;
    m_strOut += "=\"";
    m_strOut += EscapeXml(value);
    m_strOut += '"';
}

void SvgWriter::AppendPaint(const SvgPaint& fill, const SvgStroke& stroke) {
    if (fill.IsNone()) {
        m_strOut += " fill=\"none\"";
    } else {
        AppendAttribute("fill", fill.color);
        if (fill.opacity < 1.0) AppendAttribute("fill-opacity", fill.opacity);
    }
    if (stroke.paint.IsNone()) return;
    AppendAttribute("stroke", stroke.paint.color);
    if (stroke.paint.opacity < 1.0) AppendAttribute("stroke-opacity", stroke.paint.opacity);
    AppendAttribute("stroke-width", stroke.width);
    if (!stroke.dashArray.empty()) AppendAttribute("stroke-dasharray", stroke.dashArray);
    if (stroke.roundCaps) m_strOut += " stroke-linecap=\"round\"";
}

void SvgWriter::AppendPoints(const std::vector<PixelPoint>& points) {
    m_strOut += " points=\"";
    for (size_t i = 0; i < points.size(); ++i) {
        if (i > 0) m_strOut += ' ';
        AppendNumber(points[i].x);
        m_strOut += ',';
        AppendNumber(points[i].y);
    }
    m_strOut += '"';
}

void SvgWriter::ClipPath(const std::string& id, const PixelRect& rect) {
    m_strOut += "<clipPath";
    AppendAttribute("id", id);
    m_strOut += "><rect";
    AppendAttribute("x", rect.left);
    AppendAttribute("y", rect.top);
    AppendAttribute("width", rect.width);
    AppendAttribute("height", rect.height);
    m_strOut += "/></clipPath>\n";
}

void SvgWriter::OpenGroup(const std::string& id, const std::string& clipId) {
    m_strOut += "<g";
    if (!id.empty()) AppendAttribute("id", id);
    if (!clipId.empty()) AppendAttribute("clip-path", "url(#" + clipId + ")");
    m_strOut += ">\n";
    ++m_nOpenGroups;
}

void SvgWriter::CloseGroup() {
    if (m_nOpenGroups == 0) return;
    m_strOut += "</g>\n";
    --m_nOpenGroups;
}

void SvgWriter::Rect(const PixelRect& rect, const SvgPaint& fill, const SvgStroke& stroke) {
    if (fill.IsNone() && stroke.paint.IsNone()) return;
    m_strOut += "<rect";
    AppendAttribute("x", rect.left);
    AppendAttribute("y", rect.top);
    AppendAttribute("width", rect.width);
    AppendAttribute("height", rect.height);
    AppendPaint(fill, stroke);
    m_strOut += "/>\n";
}

void SvgWriter::Line(PixelPoint from, PixelPoint to, const SvgStroke& stroke) {
    if (stroke.paint.IsNone()) return;
    m_strOut += "<line";
    AppendAttribute("x1", from.x);
    AppendAttribute("y1", from.y);
    AppendAttribute("x2", to.x);
    AppendAttribute("y2", to.y);
    AppendPaint(SvgPaint{}, stroke);
    m_strOut += "/>\n";
}

void SvgWriter::Polyline(const std::vector<PixelPoint>& points, const SvgStroke& stroke) {
    if (points.size() < 2 || stroke.paint.IsNone()) return;
    m_strOut += "<polyline";
    AppendPoints(points);
    AppendPaint(SvgPaint{}, stroke);
    m_strOut += " stroke-linejoin=\"round\"/>\n";
}

void SvgWriter::Polygon(const std::vector<PixelPoint>& points, const SvgPaint& fill,
                        const SvgStroke& stroke) {
    if (points.size() < 3 || (fill.IsNone() && stroke.paint.IsNone())) return;
    m_strOut += "<polygon";
    AppendPoints(points);
    AppendPaint(fill, stroke);
    m_strOut += "/>\n";
}

void SvgWriter::Ellipse(PixelPoint centre, double rx, double ry, double degrees,
                        const SvgPaint& fill, const SvgStroke& stroke) {
    if (fill.IsNone() && stroke.paint.IsNone()) return;
    m_strOut += "<ellipse";
    AppendAttribute("cx", centre.x);
    AppendAttribute("cy", centre.y);
    AppendAttribute("rx", rx);
    AppendAttribute("ry", ry);
    std::string angle = FormatNumber(degrees);
    if (angle != "0") {
        AppendAttribute("transform", "rotate(" + angle + " " + FormatNumber(centre.x) + " " +
                                         FormatNumber(centre.y) + ")");
    }
    AppendPaint(fill, stroke);
    m_strOut += "/>\n";
}

void SvgWriter::Text(PixelPoint at, const std::string& utf8, const SvgTextStyle& style) {
    if (utf8.empty() || style.paint.IsNone()) return;
    m_strOut += "<text";
    AppendAttribute("x", at.x);
    AppendAttribute("y", at.y);
    AppendAttribute("font-size", style.size);
    if (!style.fontFamily.empty()) AppendAttribute("font-family", style.fontFamily);
    if (style.bold) m_strOut += " font-weight=\"bold\"";
    if (std::string(style.anchor) != "start") AppendAttribute("text-anchor", style.anchor);
    AppendAttribute("fill", style.paint.color);
    if (style.paint.opacity < 1.0) AppendAttribute("fill-opacity", style.paint.opacity);
    if (!style.halo.IsNone() && style.haloWidth > 0.0) {
        AppendAttribute("stroke", style.halo.color);
        if (style.halo.opacity < 1.0) AppendAttribute("stroke-opacity", style.halo.opacity);
        AppendAttribute("stroke-width", style.haloWidth);
        m_strOut += " stroke-linejoin=\"round\" paint-order=\"stroke\"";
    }
    // Keeps runs of blanks in record texts as the producer wrote them.
    m_strOut += " xml:space=\"preserve\">";
    m_strOut += EscapeXml(utf8);
    m_strOut += "</text>\n";
}

void SvgWriter::Comment(const std::string& text) {
    // "--" may not appear inside a comment.
    std::string safe = EscapeXml(text);
    for (size_t at = safe.find("--"); at != std::string::npos; at = safe.find("--", at)) {
        safe[at + 1] = ' ';
    }
    m_strOut += "<!-- " + safe + " -->\n";
}

std::string SvgWriter::Finish() {
    while (m_nOpenGroups > 0) CloseGroup();
    m_strOut += "</svg>\n";
    return std::move(m_strOut);
}

}  // namespace qxindex
