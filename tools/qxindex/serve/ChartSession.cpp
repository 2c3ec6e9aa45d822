#include "tools/qxindex/serve/ChartSession.h"

#include <algorithm>
#include <utility>

#include "tools/qxindex/ShapesFile.h"
#include "tools/qxindex/TextEncoding.h"
#include "tools/qxindex/chart/ChartPalette.h"
#include "tools/qxindex/chart/ChartRenderer.h"
#include "tools/qxindex/chart/RecordPainter.h"
#include "tools/qxindex/chart/RecordsJson.h"
#include "tools/qxindex/chart/SvgWriter.h"

namespace qxindex {
namespace {

using Json = nlohmann::json;

// The bars a fresh page shows before it has told its size.
constexpr int kInitialBars = 150;

// Inline SVG in an HTML page takes no XML declaration.
std::string WithoutDeclaration(std::string svg) {
    if (svg.rfind("<?xml", 0) == 0) {
        size_t end = svg.find("?>");
        if (end != std::string::npos) svg.erase(0, svg.find_first_not_of("\r\n", end + 2));
    }
    return svg;
}

Json RectJson(const PixelRect& rect) {
    return Json{
        {"left", rect.left}, {"top", rect.top}, {"width", rect.width}, {"height", rect.height}};
}

Json PanelJson(const PanelLayout& panel) {
    return Json{{"plot", RectJson(panel.plot)},
                {"firstBar", panel.scale.FirstBar()},
                {"lastBar", panel.scale.LastBar()},
                {"min", panel.scale.Values().min},
                {"max", panel.scale.Values().max}};
}

Json LayoutJson(const ChartLayout& layout) {
    return Json{{"width", layout.Width()},
                {"height", layout.Height()},
                {"price", PanelJson(layout.Price())},
                {"indicator", layout.HasIndicator() ? PanelJson(layout.Indicator()) : Json()},
                {"dateAxis", RectJson(layout.DateAxis())}};
}

}  // namespace

std::string ColourHex(const QXDrawInfo::QXColor& color) {
    SvgPaint paint = ResolveColor(color, PaintUse::kLine);
    std::string hex = paint.IsNone() ? std::string("#000000") : paint.color;
    std::transform(hex.begin(), hex.end(), hex.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return hex;
}

CChartSession::CChartSession(CsvBarSource bars, std::string strBarsName)
    : m_bars(std::move(bars)), m_strBarsName(std::move(strBarsName)), m_formula(&m_bars) {
    const int nCount = static_cast<int>(m_bars.Bars().size());
    m_view.nTo = std::max(nCount - 1, 0);
    m_view.nFrom = std::max(0, m_view.nTo - kInitialBars + 1);
    SetView(m_view);
}

CChartSession::~CChartSession() {
    // The shapes hold the converter: release them while it still exists.
    m_board.AttachCoordinate(nullptr);
}

void CChartSession::SetView(const ChartView& view) {
    m_view = view;
    ChartSpec chartSpec;
    chartSpec.bars = m_bars.Bars();
    chartSpec.from = view.nFrom;
    chartSpec.to = view.nTo;
    chartSpec.width = view.nWidth;
    chartSpec.height = view.nHeight;
    const int nLast = static_cast<int>(m_bars.Bars().size()) - 1;
    chartSpec.title = m_strBarsName + "  " + m_bars.DateText(std::clamp(view.nFrom, 0, nLast)) +
                      " .. " + m_bars.DateText(std::clamp(view.nTo, 0, nLast));
    ValueRange barsRange;
    if (VisibleBarsRange(chartSpec.bars, view.nFrom, view.nTo, &barsRange)) {
        chartSpec.price.minValue = barsRange.min;
        chartSpec.price.maxValue = barsRange.max;
    }
    FormulaPicture picture;
    if (m_formula.HasFormula()) {
        m_formula.ExtendTo(view.nFrom, view.nTo);
        picture = m_formula.DrawPicture(view.nFrom, view.nTo);
        ChartPanelSpec* pPanel = &chartSpec.indicator;
        if (m_formula.IsOverlay()) {
            if (picture.bHasRange) {
                chartSpec.price.minValue = std::min(chartSpec.price.minValue, picture.dMin);
                chartSpec.price.maxValue = std::max(chartSpec.price.maxValue, picture.dMax);
            }
            pPanel = &chartSpec.price;
        } else {
            chartSpec.hasIndicator = true;
            if (picture.bHasRange) {
                pPanel->minValue = picture.dMin;
                pPanel->maxValue = picture.dMax;
            }
        }
        pPanel->pictures = picture.vecRecords;
        pPanel->legend = picture.vecLegend;
    }
    m_formulaRecords = RecordsToJson(picture.vecRecords);

    auto pLayout = std::make_unique<ChartLayout>(chartSpec);
    auto pCoordinate = std::make_unique<ChartCoordinate>(pLayout->Price().scale, m_bars.Bars());
    pCoordinate->SetMagnet(view.bMagnet);
    m_board.AttachCoordinate(pCoordinate.get());
    m_pCoordinate = std::move(pCoordinate);
    m_pLayout = std::move(pLayout);
    m_chartJson = Json{{"svg", WithoutDeclaration(RenderChartSvg(chartSpec))},
                       {"layout", LayoutJson(*m_pLayout)},
                       {"title", chartSpec.title}};
}

void CChartSession::ApplyStyle(IQXGraphShapeBase* pShape, const ToolStyle& style) {
    if (style.bHasLineColor) pShape->SetLineColor(style.lineColor);
    if (style.bHasFillColor) pShape->SetFillColor(style.fillColor);
    if (style.bHasTextColor) pShape->SetTextColor(style.textColor);
    if (style.nLineWidth > 0) pShape->SetLineWidth(style.nLineWidth);
    if (style.nLineStyle >= 0) pShape->SetLineStyle(style.nLineStyle);
    if (style.bHasLabel) pShape->SetLabelText(Utf8ToGbk(style.strLabel));
    if (style.nAngleSnap >= 0) pShape->SetAngleSnap(style.nAngleSnap != 0);
}

int CChartSession::CreateTool(QX_GRAPH_TYPE eKind, const ToolStyle& style) {
    const int nId = m_board.CreateTool(eKind);
    if (nId != 0) ApplyStyle(m_board.FindTool(nId), style);
    return nId;
}

bool CChartSession::ForwardMouse(IQXGraphShapeBase* pShape, MouseAction eAction, float fromX,
                                 float fromY, float x, float y) {
    switch (eAction) {
        case MouseAction::kDown:
            return pShape->OnMouseDown(x, y);
        case MouseAction::kMove:
            pShape->OnMouseMove(x, y);
            return true;
        case MouseAction::kDrag:
            return pShape->OnMouseDrag(fromX, fromY, x, y);
    }
    return false;
}

ToolPick CChartSession::Pick(float x, float y) {
    return PickTool(m_board, *m_pCoordinate, x, y);
}

Json CChartSession::ToolJson(int nId, IQXGraphShapeBase* pShape, bool bWithRecords) {
    std::vector<QXGraphPoint> points;
    pShape->GetPoints(points);
    Json anchors = Json::array();
    Json pixels = Json::array();
    for (const QXGraphPoint& point : points) {
        anchors.push_back({{"bar", point.position}, {"price", point.price}, {"time", point.time}});
        float x = 0.0f, y = 0.0f;
        if (m_pCoordinate->PositionToPixel(point.position, &x) &&
            m_pCoordinate->PriceToPixel(point.price, &y)) {
            pixels.push_back({{"x", x}, {"y", y}});
        } else {
            pixels.push_back(nullptr);
        }
    }
    const QX_GRAPH_TYPE eKind = pShape->GetGraphType();
    Json tool{{"id", nId},
              {"kind", static_cast<int>(eKind)},
              {"name", ShapeKindName(eKind)},
              {"needPoints", ShapeKindPoints(eKind)},
              {"complete", points.size() >= ShapeKindPoints(eKind)},
              {"points", anchors},
              {"pixels", pixels},
              {"selectedPoint", pShape->GetSelectedPoint()},
              {"angleSnap", pShape->GetAngleSnap()},
              {"lineColor", ColourHex(pShape->GetLineColor())},
              {"lineWidth", pShape->GetLineWidth()},
              {"lineStyle", pShape->GetLineStyle()},
              {"label", GbkToUtf8(pShape->GetLabelText())}};
    if (bWithRecords) tool["records"] = RecordsToJson(pShape->GetGraphDrawInfo());
    return tool;
}

Json CChartSession::ToolsJson(bool bWithRecords) {
    SvgWriter svg(m_pLayout->Width(), m_pLayout->Height());
    const PanelLayout& price = m_pLayout->Price();
    svg.ClipPath("clip-tools", price.plot);
    svg.OpenGroup("tools", "clip-tools");
    Json list = Json::array();
    for (const auto& entry : m_board.Tools()) {
        svg.OpenGroup("tool-" + std::to_string(entry.first));
        RecordPainter painter(&svg, price.scale);
        for (const QXDrawInfo::GraphDrawInfo& info : entry.second->GetGraphDrawInfo()) {
            painter.Paint(info);
        }
        svg.CloseGroup();
        list.push_back(ToolJson(entry.first, entry.second, bWithRecords));
    }
    svg.CloseGroup();
    return Json{{"svg", WithoutDeclaration(svg.Finish())}, {"list", list}};
}

}  // namespace qxindex
