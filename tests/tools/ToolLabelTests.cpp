// Labels of drawing tools as the chart paints them: the library places them at
// the tool's anchors, and the painter keeps them whole on the plot and readable
// over lines and candles when they reach over its edge.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "ChartFixtures.h"
#include "QXGraphInterface.h"
#include "QXGraphSettings.h"
#include "tools/qxindex/chart/ChartCoordinate.h"
#include "tools/qxindex/chart/ChartLayout.h"
#include "tools/qxindex/chart/ChartRenderer.h"
#include "tools/qxindex/chart/XmlText.h"

namespace {

struct PaintedText {
    double left = 0.0;
    double right = 0.0;
    double baseline = 0.0;
    double size = 0.0;
    bool halo = false;
    std::string text;
};

// The texts of the price panel's records with the box each takes on screen.
std::vector<PaintedText> PriceTexts(const std::string& svg) {
    size_t start = svg.find("<g id=\"price-records\"");
    std::string group = svg.substr(start, svg.find("</g>", start) - start);
    static const std::regex kText(
        "<text x=\"([-0-9.]+)\" y=\"([-0-9.]+)\" font-size=\"([0-9.]+)\"([^>]*)>([^<]*)</text>");
    std::vector<PaintedText> texts;
    for (std::sregex_iterator it(group.begin(), group.end(), kText), end; it != end; ++it) {
        PaintedText t;
        double x = std::stod((*it)[1]);
        t.baseline = std::stod((*it)[2]);
        t.size = std::stod((*it)[3]);
        const std::string attributes = (*it)[4];
        t.text = (*it)[5];
        double width = qxindex::EstimateTextWidth(t.text, t.size);
        bool centred = attributes.find("text-anchor=\"middle\"") != std::string::npos;
        t.left = centred ? x - width / 2.0 : x;
        t.right = t.left + width;
        t.halo = attributes.find("paint-order=\"stroke\"") != std::string::npos;
        texts.push_back(t);
    }
    return texts;
}

// The sample chart from bar `from` on, with one tool as its only price records.
qxindex::ChartSpec ChartWithTool(QX_GRAPH_TYPE kind, const std::vector<QXGraphPoint>& points,
                                 int from = 0) {
    qxindex::ChartSpec chart = chart_fixtures::SampleChart();
    chart.price.pictures.clear();
    chart.from = from;
    qxindex::ChartLayout layout(chart);
    qxindex::ChartCoordinate coordinate(layout.Price().scale, chart.bars);
    IQXGraphShapeBase* shape = QXGraphInterface::CreateGraphShape(kind);
    shape->SetCoordinate(&coordinate);
    shape->SetPoints(points);
    chart.price.pictures = shape->GetGraphDrawInfo();
    QXGraphInterface::ReleaseGraphShape(shape);
    return chart;
}

struct ToolCase {
    const char* what;
    QX_GRAPH_TYPE kind;
    std::vector<QXGraphPoint> points;
    size_t labels;
    int from = 0;  // the first bar shown
};

TEST(ToolLabels, StayWholeOnThePlotAtItsEdges) {
    // The sample chart shows bars 0..15; the data ends at bar 13.
    const ToolCase cases[] = {
        {"date and price range ending at the right edge",
         QX_GRAPH_RANGE_DATE_AND_PRICE,
         {{10.2, 9.0f, 0}, {12.8, 15.0f, 0}},
         1},
        {"price range at the right edge",
         QX_GRAPH_RANGE_PRICE,
         {{12.9, 14.0f, 0}, {10.1, 15.0f, 0}},
         1},
        {"golden section from the first bar",
         QX_GRAPH_COMPLEX_GOLDEN_SECTION,
         {{10.0, 0.0f, 0}, {11.0, 6.0f, 0}},
         12},
        {"golden section starting left of the plot",
         QX_GRAPH_COMPLEX_GOLDEN_SECTION,
         {{10.0, 1.2f, 0}, {11.0, 6.0f, 0}},
         12,
         2},
        {"price marker near the right edge", QX_GRAPH_MARKER_PRICE, {{12.34, 13.0f, 0}}, 1},
        {"price marker on the last bar shown", QX_GRAPH_MARKER_PRICE, {{12.34, 15.0f, 0}}, 1},
    };
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.what);
        qxindex::ChartSpec chart = ChartWithTool(c.kind, c.points, c.from);
        qxindex::ChartLayout layout(chart);
        const qxindex::PixelRect& plot = layout.Price().plot;
        std::vector<PaintedText> texts = PriceTexts(qxindex::RenderChartSvg(chart));
        ASSERT_EQ(texts.size(), c.labels);
        for (const PaintedText& t : texts) {
            SCOPED_TRACE(t.text);
            EXPECT_TRUE(t.halo);
            // One that lies further beside the plot is cut away with what it labels.
            if (t.right <= plot.left - (t.right - t.left) ||
                t.left >= plot.Right() + (t.right - t.left)) {
                continue;
            }
            EXPECT_GE(t.left, plot.left - 0.01);
            EXPECT_LE(t.right, plot.Right() + 0.01);
            EXPECT_GE(t.baseline - t.size, plot.top - 0.01);
            EXPECT_LE(t.baseline, plot.Bottom() + 0.01);
        }
    }
}

TEST(ToolLabels, LabelsAwayFromTheEdgesStayWhereTheToolPutsThem) {
    qxindex::ChartSpec chart =
        ChartWithTool(QX_GRAPH_RANGE_DATE, {{11.0, 4.0f, 0}, {11.5, 8.0f, 0}});
    qxindex::ChartLayout layout(chart);
    std::vector<PaintedText> texts = PriceTexts(qxindex::RenderChartSvg(chart));
    ASSERT_EQ(texts.size(), 1u);
    // Centred on the second anchor, on the vertical centre line of the text.
    const qxindex::PanelScale& scale = layout.Price().scale;
    EXPECT_NEAR((texts[0].left + texts[0].right) / 2.0, scale.X(8.0), 0.01);
    EXPECT_NEAR(texts[0].baseline, scale.Y(11.5) + 12.0 * 0.35, 0.02);
}

}  // namespace
