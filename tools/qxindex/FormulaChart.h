// A chart as `qxindex draw` paints it: the bars as candlesticks, a formula's
// picture over the prices or in a panel of its own, and drawing tools placed over
// the prices through a converter that uses the price panel's own scale.
#pragma once

#include <string>
#include <vector>

#include "QXDrawInfo.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/FormulaPicture.h"
#include "tools/qxindex/ShapesFile.h"
#include "tools/qxindex/chart/ChartSpec.h"

namespace qxindex {

struct FormulaChart {
    std::string title;  // UTF-8
    const std::vector<Bar>* bars = nullptr;
    int from = 0;  // visible bars, inclusive
    int to = 0;
    int width = 1200;
    int height = 800;
    const FormulaPicture* overlay = nullptr;    // on the price panel
    const FormulaPicture* indicator = nullptr;  // in its own panel
    const ShapeSet* shapes = nullptr;
    bool magnet = false;
};

// The renderer's description of the chart; `allRecords` gets every record painted
// (the formula's, then the tools'), in that order.
ChartSpec ComposeChart(const FormulaChart& chart,
                       std::vector<QXDrawInfo::GraphDrawInfo>* allRecords);

}  // namespace qxindex
