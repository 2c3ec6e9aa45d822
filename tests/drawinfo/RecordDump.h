// A drawing picture as text, one line per record, so that a test states the records
// it expects in a form a reader can check by eye.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QXDrawInfo.h"

// One line per record: its kind, colour and styles, then its items after "|".
// Points read position:value; colours #AABBGGRR by value, cN by host id.
namespace record_dump {

inline std::string Num(double dValue) {
    char szText[32];
    std::snprintf(szText, sizeof(szText), "%g", dValue);
    return szText;
}

inline std::string Colour(const QXDrawInfo::QXColor& colour) {
    char szText[16];
    if (colour.byValue) {
        std::snprintf(szText, sizeof(szText), "#%08X", static_cast<uint32_t>(colour.value));
    } else {
        std::snprintf(szText, sizeof(szText), "c%d", colour.colorId);
    }
    return szText;
}

inline std::string Pt(const QXDrawInfo::QXPoint& point) {
    return Num(point.position) + ":" + Num(point.value);
}

inline std::string Points(const QXDrawInfo::QXPointVec& points) {
    std::string strText;
    for (const QXDrawInfo::QXPoint& point : points.GetPoint()) {
        strText += (strText.empty() ? "" : " ") + Pt(point);
    }
    return strText;
}

// "frame <colour> w<width> s<style>" or "fill <colour>".
template <typename Record>
std::string Head(const char* pszKind, const Record& record) {
    if (record.fillStyle != FILL_STYLE_NONE) {
        return std::string(pszKind) + " fill " + Colour(record.fillColor);
    }
    return std::string(pszKind) + " " + Colour(record.lineColor) + " w" + Num(record.lineWidth) +
           " s" + std::to_string(record.lineStyle);
}

}  // namespace record_dump

inline std::vector<std::string> RecordLines(const QXDrawInfo::GraphDrawInfo& info) {
    using namespace record_dump;
    std::vector<std::string> vecLines;
    for (const auto& curve : info.curves) {
        std::string strLine = Head("curve", curve);
        for (const auto& segment : curve.items) {
            strLine += std::string(" |") + (segment.extendStart ? "<" : "") + " " +
                       Points(segment.points) + (segment.extendEnd ? " >" : "");
        }
        vecLines.push_back(strLine);
    }
    for (const auto& rect : info.rectangles) {
        std::string strLine = Head("rect", rect) + " t" + std::to_string(rect.rectangleType);
        for (const auto& item : rect.items)
            strLine += " | " + Pt(item.first) + " " + Pt(item.second);
        vecLines.push_back(strLine);
    }
    for (const auto& ellipse : info.ellipses) {
        std::string strLine = Head("ellipse", ellipse);
        for (const auto& item : ellipse.items) strLine += " | " + Points(item);
        vecLines.push_back(strLine);
    }
    for (const auto& cross : info.crosses) {
        std::string strLine = "cross " + Colour(cross.color) + " w" + Num(cross.lineWidth) + " s" +
                              std::to_string(cross.lineStyle);
        for (const auto& item : cross.items)
            strLine += " | " + Pt(item.point) + "*" + Num(item.size);
        vecLines.push_back(strLine);
    }
    for (const auto& text : info.texts) {
        std::string strLine = "text " + Colour(text.textColor) + " size" + Num(text.fontSize) +
                              " style" + std::to_string(text.style);
        for (const auto& item : text.items) strLine += " | " + Pt(item.position) + " " + item.text;
        vecLines.push_back(strLine);
    }
    for (const auto& icon : info.icons) {
        std::string strLine = "icon " + std::to_string(icon.iconId);
        for (const auto& item : icon.items) {
            strLine += " | " + Pt(item.point) + " #" + std::to_string(item.tag);
        }
        vecLines.push_back(strLine);
    }
    return vecLines;
}
