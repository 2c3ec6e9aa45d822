#include "tools/qxindex/serve/ServeApi.h"

#include <cfloat>
#include <exception>
#include <vector>

#include "tools/qxindex/chart/ChartPalette.h"
#include "tools/qxindex/serve/EditorPlace.h"
#include "tools/qxindex/serve/RequestReader.h"
#include "tools/qxindex/serve/ToolPalette.h"

namespace qxindex {
namespace {

using Json = nlohmann::json;

// The path after "/api/", cut at the slashes.
std::vector<std::string> SplitPath(const std::string& strPath) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= strPath.size()) {
        size_t end = strPath.find('/', start);
        if (end == std::string::npos) end = strPath.size();
        if (end > start) parts.push_back(strPath.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A tool id in a path: digits only, and small enough to be one.
int ParseId(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        CRequestReader::Refuse("no tool '" + text.substr(0, 16) + "'", 404);
    }
    return std::stoi(text);
}

std::string DumpJson(const Json& json) {
    // Texts from the library that are not UTF-8 are replaced, not fatal.
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

ToolStyle ReadStyle(const CRequestReader& reader) {
    ToolStyle style;
    if (reader.Has("lineColor")) {
        style.bHasLineColor = true;
        style.lineColor = reader.ReadColour("lineColor");
    }
    if (reader.Has("fillColor")) {
        style.bHasFillColor = true;
        style.fillColor = reader.ReadColour("fillColor");
    }
    if (reader.Has("textColor")) {
        style.bHasTextColor = true;
        style.textColor = reader.ReadColour("textColor");
    }
    if (reader.Has("lineWidth")) style.nLineWidth = reader.ReadInt("lineWidth", 1, 10);
    if (reader.Has("lineStyle")) style.nLineStyle = reader.ReadInt("lineStyle", 0, 5);
    if (reader.Has("label")) {
        style.bHasLabel = true;
        style.strLabel = reader.ReadText("label", kMaxLabelBytes);
    }
    if (reader.Has("angleSnap")) style.nAngleSnap = reader.ReadBool("angleSnap") ? 1 : 0;
    return style;
}

}  // namespace

ApiAnswer CServeApi::Handle(const std::string& strMethod, const std::string& strPath,
                            const std::string& strBody) {
    ApiAnswer answer;
    try {
        std::lock_guard<std::mutex> lock(m_mutex);
        const std::vector<std::string> parts = SplitPath(strPath);
        if (parts.size() < 2 || parts[0] != "api") CRequestReader::Refuse("no such resource", 404);
        const std::string& what = parts[1];
        const auto refuseMethod = [&]() {
            CRequestReader::Refuse(strMethod + " is not allowed on " + strPath, 405);
        };
        Json body;
        if (what == "session" && parts.size() == 2) {
            if (strMethod != "GET") refuseMethod();
            body = GetSession();
        } else if (what == "formula" && parts.size() == 2) {
            if (strMethod == "POST") {
                body = PostFormula(strBody);
            } else if (strMethod == "DELETE") {
                body = DeleteFormula();
            } else {
                refuseMethod();
            }
        } else if (what == "view" && parts.size() == 2) {
            if (strMethod != "POST") refuseMethod();
            body = PostView(strBody);
        } else if (what == "pick" && parts.size() == 2) {
            if (strMethod != "POST") refuseMethod();
            body = PostPick(strBody);
        } else if (what == "tools" && parts.size() == 2) {
            if (strMethod == "GET") {
                body = Json{{"tools", m_pSession->ToolsJson(true)}};
            } else if (strMethod == "POST") {
                body = PostTool(strBody);
                answer.nStatus = 201;
            } else {
                refuseMethod();
            }
        } else if (what == "tools" && parts.size() == 3) {
            const int nId = ParseId(parts[2]);
            if (strMethod == "PATCH") {
                body = PatchTool(nId, strBody);
            } else if (strMethod == "DELETE") {
                body = DeleteTool(nId);
            } else {
                refuseMethod();
            }
        } else if (what == "tools" && parts.size() == 4 && parts[3] == "mouse") {
            const int nId = ParseId(parts[2]);
            if (strMethod != "POST") refuseMethod();
            body = PostMouse(nId, strBody);
        } else {
            CRequestReader::Refuse("no such resource", 404);
        }
        answer.strBody = DumpJson(body);
    } catch (const RequestError& e) {
        answer.nStatus = e.nStatus;
        answer.strBody = DumpJson(Json{{"error", e.strMessage}});
    } catch (const std::exception& e) {
        answer.nStatus = 500;
        answer.strBody = DumpJson(Json{{"error", std::string("internal error: ") + e.what()}});
    } catch (...) {
        answer.nStatus = 500;
        answer.strBody = "{\"error\":\"internal error\"}";
    }
    return answer;
}

Json CServeApi::FormulaJson() {
    CFormulaPanel& formula = m_pSession->Formula();
    if (!formula.HasFormula()) return Json();
    Json outputs = Json::array();
    for (const OutputLine& line : formula.Outputs()) {
        outputs.push_back({{"index", line.index},
                           {"name", line.name},
                           {"colour", line.hasColour ? Json(ColourText(line.colour)) : Json()},
                           // As the chart paints it: the default colour when none is given.
                           {"paint", line.hasColour ? ColourText(line.colour)
                                                    : ColourHex(QXDrawInfo::GetDefaultColor())},
                           {"width", line.width},
                           {"drawType", line.drawType},
                           {"hidden", line.hidden}});
    }
    Json params = Json::array();
    for (const ParamValue& param : formula.Params()) {
        params.push_back({{"name", param.name}, {"value", param.value}});
    }
    return Json{{"text", formula.Input().text},
                {"overlay", formula.IsOverlay()},
                {"outputs", outputs},
                {"params", params}};
}

Json CServeApi::ChartAnswer() {
    int nFirst = -1, nLast = -1;
    m_pSession->Formula().GetCalculatedRange(&nFirst, &nLast);
    const ChartView& view = m_pSession->View();
    return Json{{"view",
                 {{"from", view.nFrom},
                  {"to", view.nTo},
                  {"width", view.nWidth},
                  {"height", view.nHeight},
                  {"magnet", view.bMagnet}}},
                {"chart", m_pSession->ChartJson()},
                {"records", m_pSession->FormulaRecordsJson()},
                {"calculated", {{"first", nFirst}, {"last", nLast}}},
                {"tools", m_pSession->ToolsJson()}};
}

Json CServeApi::GetSession() {
    const CsvBarSource& bars = m_pSession->Bars();
    const int nCount = static_cast<int>(bars.Bars().size());
    Json colours = Json::array();
    for (int id = 0; id <= 9; ++id) colours.push_back(PaletteColor(id, PaintUse::kLine).color);
    Json body = ChartAnswer();
    body["bars"] = {{"name", m_pSession->BarsName()},
                    {"count", nCount},
                    {"firstDate", nCount > 0 ? bars.DateText(0) : std::string()},
                    {"lastDate", nCount > 0 ? bars.DateText(nCount - 1) : std::string()}};
    body["palette"] = ToolPaletteJson();
    body["colours"] = colours;
    body["formula"] = FormulaJson();
    body["limits"] = {{"minWidth", kMinCanvasWidthServed},   {"maxWidth", kMaxCanvasWidthServed},
                      {"minHeight", kMinCanvasHeightServed}, {"maxHeight", kMaxCanvasHeightServed},
                      {"barsBeyond", kBarsBeyondData},       {"minBars", kMinVisibleBars},
                      {"maxBars", kMaxVisibleBars}};
    return body;
}

Json CServeApi::PostFormula(const std::string& strBody) {
    CRequestReader reader(strBody);
    FormulaInput input;
    input.text = reader.ReadText("text", kMaxFormulaBytes);
    const bool bOverlay = reader.Has("overlay") && reader.ReadBool("overlay");
    if (reader.Has("params")) {
        const Json& params = reader.Body()["params"];
        if (!params.is_array()) CRequestReader::Refuse("'params' must be a list");
        if (params.size() > kMaxParams) {
            CRequestReader::Refuse("at most " + std::to_string(kMaxParams) + " parameters");
        }
        for (size_t i = 0; i < params.size(); ++i) {
            const std::string field = "params[" + std::to_string(i) + "]";
            const Json& entry = params[i];
            if (!entry.is_object() || !entry.contains("name") || !entry.contains("value")) {
                CRequestReader::Refuse("'" + field + "' must be {\"name\": ..., \"value\": ...}");
            }
            FormulaParam param;
            param.name = CheckText(entry["name"], field + ".name", kMaxParamNameBytes);
            if (param.name.empty()) CRequestReader::Refuse("'" + field + ".name' is empty");
            param.value = static_cast<float>(
                CheckNumber(entry["value"], field + ".value", -FLT_MAX, FLT_MAX));
            input.params.push_back(param);
        }
    }
    FormulaError error;
    if (!m_pSession->Formula().SetFormula(input, bOverlay, &error)) {
        const EditorPlace place = PlaceInEditor(input.text, error.position);
        return Json{{"ok", false},
                    {"error",
                     {{"code", error.code},
                      {"line", error.line},
                      {"column", error.column},
                      {"position", error.position},
                      {"text", error.text},
                      {"editorLine", place.nLine},
                      {"editorColumn", place.nColumn}}}};
    }
    m_pSession->Refresh();
    Json body = ChartAnswer();
    body["ok"] = true;
    body["formula"] = FormulaJson();
    return body;
}

Json CServeApi::DeleteFormula() {
    m_pSession->Formula().ClearFormula();
    m_pSession->Refresh();
    Json body = ChartAnswer();
    body["formula"] = Json();
    return body;
}

Json CServeApi::PostView(const std::string& strBody) {
    CRequestReader reader(strBody);
    const int nLast = static_cast<int>(m_pSession->Bars().Bars().size()) - 1;
    ChartView view;
    view.nFrom = reader.ReadInt("from", -kBarsBeyondData, nLast + kBarsBeyondData);
    view.nTo = reader.ReadInt("to", -kBarsBeyondData, nLast + kBarsBeyondData);
    view.nWidth = reader.ReadInt("width", kMinCanvasWidthServed, kMaxCanvasWidthServed);
    view.nHeight = reader.ReadInt("height", kMinCanvasHeightServed, kMaxCanvasHeightServed);
    view.bMagnet = reader.Has("magnet") ? reader.ReadBool("magnet") : m_pSession->View().bMagnet;
    const long nBars = static_cast<long>(view.nTo) - view.nFrom + 1;
    if (nBars < kMinVisibleBars || nBars > kMaxVisibleBars) {
        CRequestReader::Refuse("the view must show " + std::to_string(kMinVisibleBars) + " to " +
                               std::to_string(kMaxVisibleBars) + " bars, from before to");
    }
    m_pSession->SetView(view);
    return ChartAnswer();
}

IQXGraphShapeBase* CServeApi::RequireTool(int nId) {
    IQXGraphShapeBase* pShape = m_pSession->Board().FindTool(nId);
    if (pShape == nullptr) CRequestReader::Refuse("no tool " + std::to_string(nId), 404);
    return pShape;
}

Json CServeApi::PostTool(const std::string& strBody) {
    CRequestReader reader(strBody);
    const QX_GRAPH_TYPE eKind = reader.ReadKind("kind");
    const ToolStyle style = ReadStyle(reader);
    const int nId = m_pSession->CreateTool(eKind, style);
    if (nId == 0) {
        CRequestReader::Refuse(
            "the chart holds " + std::to_string(kMaxTools) + " tools already; delete some first",
            409);
    }
    // A new tool has no anchors yet, so nothing to paint: the tool alone.
    return Json{{"tool", m_pSession->ToolJson(nId, m_pSession->Board().FindTool(nId))}};
}

Json CServeApi::PatchTool(int nId, const std::string& strBody) {
    IQXGraphShapeBase* pShape = RequireTool(nId);
    CRequestReader reader(strBody);
    m_pSession->ApplyStyle(pShape, ReadStyle(reader));
    return Json{{"tool", m_pSession->ToolJson(nId, pShape)}, {"tools", m_pSession->ToolsJson()}};
}

Json CServeApi::DeleteTool(int nId) {
    RequireTool(nId);
    m_pSession->RemoveTool(nId);
    return Json{{"deleted", nId}, {"tools", m_pSession->ToolsJson()}};
}

Json CServeApi::PostMouse(int nId, const std::string& strBody) {
    IQXGraphShapeBase* pShape = RequireTool(nId);
    CRequestReader reader(strBody);
    const std::string event = reader.ReadText("event", 8);
    MouseAction eAction = MouseAction::kDown;
    if (event == "down") {
        eAction = MouseAction::kDown;
    } else if (event == "move") {
        eAction = MouseAction::kMove;
    } else if (event == "drag") {
        eAction = MouseAction::kDrag;
    } else {
        CRequestReader::Refuse("'event' must be down, move or drag");
    }
    const float x = static_cast<float>(reader.ReadNumber("x", -kMaxPixel, kMaxPixel));
    const float y = static_cast<float>(reader.ReadNumber("y", -kMaxPixel, kMaxPixel));
    float fromX = x, fromY = y;
    if (eAction == MouseAction::kDrag) {
        fromX = static_cast<float>(reader.ReadNumber("fromX", -kMaxPixel, kMaxPixel));
        fromY = static_cast<float>(reader.ReadNumber("fromY", -kMaxPixel, kMaxPixel));
    }
    const bool bResult = m_pSession->ForwardMouse(pShape, eAction, fromX, fromY, x, y);
    return Json{{"result", bResult},
                {"tool", m_pSession->ToolJson(nId, pShape)},
                {"tools", m_pSession->ToolsJson()}};
}

Json CServeApi::PostPick(const std::string& strBody) {
    CRequestReader reader(strBody);
    const float x = static_cast<float>(reader.ReadNumber("x", -kMaxPixel, kMaxPixel));
    const float y = static_cast<float>(reader.ReadNumber("y", -kMaxPixel, kMaxPixel));
    const ToolPick pick = m_pSession->Pick(x, y);
    return Json{{"id", pick.nId == 0 ? Json() : Json(pick.nId)}, {"anchor", pick.nAnchor}};
}

}  // namespace qxindex
