// Turns a chart description into an SVG document: title, price panel with the
// bars as candlesticks, an optional indicator panel, value axes with nice ticks,
// a date axis, legends, and every panel's drawing records clipped to the panel.
//
// Candlesticks: a bar's body spans [i-0.4, i+0.4] around its slot centre, its wick
// runs from low to high. A rising bar (close at or above open) is a hollow red
// body, a falling bar a solid green one (palette ids 7 and 8). Bodies narrower than
// 3 pixels are filled either way, and below 1.5 pixels only the wick is drawn,
// which keeps long ranges readable.
#pragma once

#include <string>

#include "tools/qxindex/chart/ChartSpec.h"

namespace qxindex {

std::string RenderChartSvg(const ChartSpec& chartSpec);

}  // namespace qxindex
