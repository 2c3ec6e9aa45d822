#include "tools/qxindex/chart/RecordsJson.h"

#include <charconv>
#include <cmath>

#include "tools/qxindex/TextEncoding.h"

namespace qxindex {
namespace {

using Json = nlohmann::ordered_json;
using namespace QXDrawInfo;

// A float field as the decimal it was written as: 0.35f shows as 0.35, not as the
// 0.3499999940395355 of its widened double.
Json FloatJson(float value) {
    if (!std::isfinite(value)) return Json(nullptr);
    char text[64];
    std::to_chars_result result = std::to_chars(text, text + sizeof(text), value);
    double widened = static_cast<double>(value);
    if (result.ec != std::errc()) return Json(widened);
    std::from_chars(text, result.ptr, widened);
    return Json(widened);
}

// nlohmann would keep a NaN as a number and only print it as null.
Json DoubleJson(double value) {
    return std::isfinite(value) ? Json(value) : Json(nullptr);
}

Json ToJson(const QXColor& color) {
    return Json{{"colorId", color.colorId}, {"value", color.value}, {"byValue", color.byValue}};
}

Json ToJson(const QXPoint& point) {
    return Json{{"value", DoubleJson(point.value)}, {"position", FloatJson(point.position)}};
}

Json ToJson(const std::vector<QXPoint>& points) {
    Json list = Json::array();
    for (const QXPoint& p : points) list.push_back(ToJson(p));
    return list;
}

// The head shared by curves, rectangles and ellipses.
Json LineHead(float lineWidth, LINE_STYLE lineStyle, FILL_STYLE fillStyle, const QXColor& lineColor,
              const QXColor& fillColor) {
    return Json{{"lineWidth", FloatJson(lineWidth)},
                {"lineStyle", static_cast<int>(lineStyle)},
                {"fillStyle", static_cast<int>(fillStyle)},
                {"lineColor", ToJson(lineColor)},
                {"fillColor", ToJson(fillColor)}};
}

Json ToJson(const CurveDrawInfo& curve) {
    Json record = LineHead(curve.lineWidth, curve.lineStyle, curve.fillStyle, curve.lineColor,
                           curve.fillColor);
    Json items = Json::array();
    for (const CurveSegment& segment : curve.items) {
        items.push_back(Json{{"points", ToJson(segment.points.GetPoint())},
                             {"extendStart", segment.extendStart},
                             {"extendEnd", segment.extendEnd}});
    }
    record["items"] = std::move(items);
    return record;
}

Json ToJson(const RectangleDrawInfo& rectangle) {
    Json record = LineHead(rectangle.lineWidth, rectangle.lineStyle, rectangle.fillStyle,
                           rectangle.lineColor, rectangle.fillColor);
    record["rectangleType"] = static_cast<int>(rectangle.rectangleType);
    Json items = Json::array();
    for (const RectangleItem& item : rectangle.items) {
        items.push_back(Json{{"first", ToJson(item.first)}, {"second", ToJson(item.second)}});
    }
    record["items"] = std::move(items);
    return record;
}

Json ToJson(const ElipseDrawInfo& ellipse) {
    Json record = LineHead(ellipse.lineWidth, ellipse.lineStyle, ellipse.fillStyle,
                           ellipse.lineColor, ellipse.fillColor);
    Json items = Json::array();
    for (const QXPointVec& item : ellipse.items) items.push_back(ToJson(item.GetPoint()));
    record["items"] = std::move(items);
    return record;
}

Json ToJson(const CrossDrawInfo& cross) {
    Json items = Json::array();
    for (const CrossItem& item : cross.items) {
        items.push_back(Json{{"point", ToJson(item.point)}, {"size", FloatJson(item.size)}});
    }
    return Json{{"lineWidth", FloatJson(cross.lineWidth)},
                {"lineStyle", static_cast<int>(cross.lineStyle)},
                {"color", ToJson(cross.color)},
                {"items", std::move(items)}};
}

Json ToJson(const TextDrawInfo& text) {
    Json items = Json::array();
    for (const TextItem& item : text.items) {
        items.push_back(Json{{"position", ToJson(item.position)},
                             {"flags", item.flags},
                             {"offset", ToJson(item.offset)},
                             {"text", GbkToUtf8(item.text)}});
    }
    return Json{{"fontSize", FloatJson(text.fontSize)},
                {"mode", text.mode},
                {"textColor", ToJson(text.textColor)},
                {"fontName", GbkToUtf8(text.fontName)},
                {"items", std::move(items)},
                {"secondColor", ToJson(text.secondColor)},
                {"fillColor", ToJson(text.fillColor)},
                {"extra", text.extra},
                {"style", text.style}};
}

Json ToJson(const VOZIconDrawInfo& icon) {
    Json items = Json::array();
    for (const IconItem& item : icon.items) {
        items.push_back(Json{{"point", ToJson(item.point)}, {"tag", item.tag}});
    }
    return Json{{"iconId", icon.iconId}, {"items", std::move(items)}};
}

template <typename Record>
Json ListToJson(const std::vector<Record>& records) {
    Json list = Json::array();
    for (const Record& record : records) list.push_back(ToJson(record));
    return list;
}

}  // namespace

Json PictureToJson(const GraphDrawInfo& info) {
    Json order = Json::array();
    for (int64_t key : info.drawOrder) order.push_back(key);
    return Json{{"drawOrder", std::move(order)},
                {"curves", ListToJson(info.curves)},
                {"rectangles", ListToJson(info.rectangles)},
                {"ellipses", ListToJson(info.ellipses)},
                {"crosses", ListToJson(info.crosses)},
                {"texts", ListToJson(info.texts)},
                {"icons", ListToJson(info.icons)}};
}

Json RecordsToJson(const std::vector<GraphDrawInfo>& pictures) {
    Json list = Json::array();
    for (const GraphDrawInfo& info : pictures) list.push_back(PictureToJson(info));
    return list;
}

std::string DumpRecordsJson(const std::vector<GraphDrawInfo>& pictures) {
    return RecordsToJson(pictures).dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace qxindex
