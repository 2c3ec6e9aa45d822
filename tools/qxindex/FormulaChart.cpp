#include "tools/qxindex/FormulaChart.h"

#include <cmath>

#include "tools/qxindex/chart/ChartCoordinate.h"
#include "tools/qxindex/chart/ChartLayout.h"

namespace qxindex {
namespace {

// Paints the tools over the price panel through a converter that uses the panel's
// own scale, so each tool sits where its anchors say.
void DrawShapes(const ShapeSet& shapes, const ChartSpec& chartSpec, bool magnet,
                std::vector<QXDrawInfo::GraphDrawInfo>* out) {
    ChartLayout layout(chartSpec);
    ChartCoordinate coordinate(layout.Price().scale, chartSpec.bars);
    coordinate.SetMagnet(magnet);
    for (IQXGraphShapeBase* shape : shapes.Shapes()) {
        shape->SetCoordinate(&coordinate);
        std::vector<QXGraphPoint> points;
        shape->GetPoints(points);
        shape->SetPoints(points);  // adjusts them now that a converter is there
        const std::vector<QXDrawInfo::GraphDrawInfo>& records = shape->GetGraphDrawInfo();
        out->insert(out->end(), records.begin(), records.end());
        shape->SetCoordinate(nullptr);
    }
}

}  // namespace

ChartSpec ComposeChart(const FormulaChart& chart,
                       std::vector<QXDrawInfo::GraphDrawInfo>* allRecords) {
    ChartSpec chartSpec;
    chartSpec.title = chart.title;
    if (chart.bars != nullptr) chartSpec.bars = *chart.bars;
    chartSpec.from = chart.from;
    chartSpec.to = chart.to;
    chartSpec.width = chart.width;
    chartSpec.height = chart.height;
    ValueRange bars;
    if (VisibleBarsRange(chartSpec.bars, chart.from, chart.to, &bars)) {
        chartSpec.price.minValue = bars.min;
        chartSpec.price.maxValue = bars.max;
    }
    if (chart.overlay != nullptr) {
        chartSpec.price.pictures = chart.overlay->vecRecords;
        chartSpec.price.legend = chart.overlay->vecLegend;
        if (chart.overlay->bHasRange) {
            chartSpec.price.minValue = std::fmin(chartSpec.price.minValue, chart.overlay->dMin);
            chartSpec.price.maxValue = std::fmax(chartSpec.price.maxValue, chart.overlay->dMax);
        }
        allRecords->insert(allRecords->end(), chart.overlay->vecRecords.begin(),
                           chart.overlay->vecRecords.end());
    }
    if (chart.indicator != nullptr) {
        chartSpec.hasIndicator = true;
        chartSpec.indicator.pictures = chart.indicator->vecRecords;
        chartSpec.indicator.legend = chart.indicator->vecLegend;
        if (chart.indicator->bHasRange) {
            chartSpec.indicator.minValue = chart.indicator->dMin;
            chartSpec.indicator.maxValue = chart.indicator->dMax;
        }
        allRecords->insert(allRecords->end(), chart.indicator->vecRecords.begin(),
                           chart.indicator->vecRecords.end());
    }
    if (chart.shapes != nullptr && !chart.shapes->Shapes().empty()) {
        std::vector<QXDrawInfo::GraphDrawInfo> shapeRecords;
        DrawShapes(*chart.shapes, chartSpec, chart.magnet, &shapeRecords);
        chartSpec.price.pictures.insert(chartSpec.price.pictures.end(), shapeRecords.begin(),
                                        shapeRecords.end());
        allRecords->insert(allRecords->end(), shapeRecords.begin(), shapeRecords.end());
    }
    return chartSpec;
}

}  // namespace qxindex
