// The JSON API behind the page, free of any socket so that tests call it
// directly. Every request runs under one lock: the library's shapes and the
// calculator's window belong to one user at a time.
//
// clang-format off
//   GET    /api/session         bars, view, tool palette, colours, formula, chart, tools
//   POST   /api/formula         {text, params: [{name, value}], overlay}
//   DELETE /api/formula
//   POST   /api/view            {from, to, width, height, magnet}
//   GET    /api/tools           every tool with its records
//   POST   /api/tools           {kind, lineColor, fillColor, textColor, lineWidth,
//                                lineStyle, label, angleSnap}
//   PATCH  /api/tools/ID        the same style fields
//   DELETE /api/tools/ID
//   POST   /api/tools/ID/mouse  {event: down|move|drag, x, y, fromX, fromY}
//   POST   /api/pick            {x, y}: the tool under the mouse
// clang-format on
//
// Answers that change the picture carry the chart ({svg, layout}) and the tools
// ({svg, list}); the page lays the tools' picture over the chart's.
//
// A parse error is an answer, not a failure: {ok: false, error: {code, line,
// column, position, text, editorLine, editorColumn}}, and the formula drawn before
// stays. A request that breaks a rule gets a 4xx status and {error: message} and
// changes nothing.
#pragma once

#include <mutex>
#include <string>

#include "tools/qxindex/serve/ChartSession.h"

namespace qxindex {

struct ApiAnswer {
    int nStatus = 200;
    std::string strBody;  // JSON
};

// Canvas bounds: below the minimum the chart has no room for its plot; above
// the maximum no screen shows it and the pictures grow needlessly large.
constexpr int kMinCanvasWidthServed = 320;
constexpr int kMinCanvasHeightServed = 240;
constexpr int kMaxCanvasWidthServed = 4000;
constexpr int kMaxCanvasHeightServed = 3000;
// The view may reach this many bars past either end of the data, room for rays
// and projections.
constexpr int kBarsBeyondData = 500;
constexpr int kMinVisibleBars = 5;
constexpr int kMaxVisibleBars = 10000;
constexpr size_t kMaxFormulaBytes = 64 * 1024;
constexpr size_t kMaxParams = 64;
constexpr size_t kMaxParamNameBytes = 64;
constexpr size_t kMaxLabelBytes = 256;
// Pixels far beyond any canvas are a client's mistake, and would reach the
// float conversions of the shapes.
constexpr double kMaxPixel = 100000.0;

class CServeApi {
public:
    explicit CServeApi(CChartSession* pSession) : m_pSession(pSession) {}

    // Never throws: an unexpected failure is a 500 answer.
    ApiAnswer Handle(const std::string& strMethod, const std::string& strPath,
                     const std::string& strBody);

private:
    nlohmann::json GetSession();
    nlohmann::json PostFormula(const std::string& strBody);
    nlohmann::json DeleteFormula();
    nlohmann::json PostView(const std::string& strBody);
    nlohmann::json PostTool(const std::string& strBody);
    nlohmann::json PatchTool(int nId, const std::string& strBody);
    nlohmann::json DeleteTool(int nId);
    nlohmann::json PostMouse(int nId, const std::string& strBody);
    nlohmann::json PostPick(const std::string& strBody);

    nlohmann::json FormulaJson();
    nlohmann::json ChartAnswer();
    IQXGraphShapeBase* RequireTool(int nId);

    std::mutex m_mutex;
    CChartSession* m_pSession;
};

}  // namespace qxindex
