// What a chart is made of, as the caller hands it to the renderer: the bars, the
// visible bar range, the canvas, and per panel the drawing records to paint with
// a value range and a legend.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "QXDrawInfo.h"
#include "tools/qxindex/CsvBarSource.h"

namespace qxindex {

struct LegendEntry {
    std::string name;  // in the library's code page (GBK), like output names
    QXDrawInfo::QXColor color;
};

struct ChartPanelSpec {
    // The data range, e.g. from the calculator's GetValueRange; the layout pads it.
    // Left at NaN, the panel takes the range of its records' points.
    double minValue = std::numeric_limits<double>::quiet_NaN();
    double maxValue = std::numeric_limits<double>::quiet_NaN();
    std::vector<QXDrawInfo::GraphDrawInfo> pictures;
    std::vector<LegendEntry> legend;
};

struct ChartSpec {
    std::string title;  // UTF-8
    std::vector<Bar> bars;
    // Visible bars, inclusive. They may reach beyond the data (room for rays and
    // projections); swapped bounds are put in order.
    int from = 0;
    int to = 0;
    int width = 1200;
    int height = 800;
    // The price panel draws the bars as candlesticks under its records, and its
    // range always covers the visible bars' lows and highs.
    bool drawCandles = true;
    ChartPanelSpec price;
    bool hasIndicator = false;
    ChartPanelSpec indicator;
};

}  // namespace qxindex
