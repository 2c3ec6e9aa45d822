// Everything one `qxindex serve` holds for the page: the bars, the visible range
// and canvas, the formula and the drawing tools, and the chart as last painted.
// The chart (candles, formula records, axes) and the tools are painted by the
// same painter as `qxindex draw`, into two pictures of the same canvas: the page
// lays the tools over the chart, so a mouse move repaints only the tools.
//
// Not thread-safe: the API serialises every call.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/chart/ChartCoordinate.h"
#include "tools/qxindex/chart/ChartLayout.h"
#include "tools/qxindex/serve/FormulaPanel.h"
#include "tools/qxindex/serve/ToolBoard.h"
#include "tools/qxindex/serve/ToolPicker.h"

namespace qxindex {

// The visible bars (inclusive; they may reach beyond the data) and the canvas in
// pixels.
struct ChartView {
    int nFrom = 0;
    int nTo = 0;
    int nWidth = 1200;
    int nHeight = 700;
    // The converter snaps anchors to the open, high, low or close under the mouse.
    bool bMagnet = false;
};

// The drawing style a tool is given; unset fields keep the tool's own.
struct ToolStyle {
    bool bHasLineColor = false;
    QXDrawInfo::QXColor lineColor;
    bool bHasFillColor = false;
    QXDrawInfo::QXColor fillColor;
    bool bHasTextColor = false;
    QXDrawInfo::QXColor textColor;
    int nLineWidth = 0;   // 0: unset
    int nLineStyle = -1;  // -1: unset
    bool bHasLabel = false;
    std::string strLabel;  // UTF-8
    int nAngleSnap = -1;   // -1: unset, else 0 or 1
};

enum class MouseAction { kDown, kMove, kDrag };

class CChartSession {
public:
    CChartSession(CsvBarSource bars, std::string strBarsName);
    ~CChartSession();

    const CsvBarSource& Bars() const { return m_bars; }
    const ChartView& View() const { return m_view; }
    const std::string& BarsName() const { return m_strBarsName; }
    CFormulaPanel& Formula() { return m_formula; }
    const CToolBoard& Board() const { return m_board; }

    // Moves or resizes the view: calculates what the formula lacks, repaints the
    // chart and gives the tools the new converter.
    void SetView(const ChartView& view);
    // Repaints after the formula changed.
    void Refresh() { SetView(m_view); }

    int CreateTool(QX_GRAPH_TYPE eKind, const ToolStyle& style);
    void ApplyStyle(IQXGraphShapeBase* pShape, const ToolStyle& style);
    // Forwards a mouse event in canvas pixels; the library's answer (complete
    // after a down, moved after a drag; always true for a move).
    bool ForwardMouse(IQXGraphShapeBase* pShape, MouseAction eAction, float fromX, float fromY,
                      float x, float y);
    bool RemoveTool(int nId) { return m_board.RemoveTool(nId); }
    ToolPick Pick(float x, float y);

    // {"svg", "layout", "title"}: the chart as last painted.
    const nlohmann::json& ChartJson() const { return m_chartJson; }
    // {"svg", "list"}: the tools painted over the price plot, and each tool. The
    // records are left out of the list unless asked for: a mouse move answers the
    // picture, and the records of every tool would only weigh it down.
    nlohmann::json ToolsJson(bool bWithRecords = false);
    nlohmann::json ToolJson(int nId, IQXGraphShapeBase* pShape, bool bWithRecords = true);
    // The formula's records of the visible bars, as a client receives them.
    const nlohmann::json& FormulaRecordsJson() const { return m_formulaRecords; }

private:
    CsvBarSource m_bars;
    std::string m_strBarsName;
    ChartView m_view;
    CFormulaPanel m_formula;
    CToolBoard m_board;
    std::unique_ptr<ChartLayout> m_pLayout;
    std::unique_ptr<ChartCoordinate> m_pCoordinate;
    nlohmann::json m_chartJson;
    nlohmann::json m_formulaRecords;
};

// "#rrggbb" of a record colour as the chart paints it (an id through the palette).
std::string ColourHex(const QXDrawInfo::QXColor& color);

}  // namespace qxindex
