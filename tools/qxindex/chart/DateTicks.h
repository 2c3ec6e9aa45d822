// Date-axis ticks: marks at calendar boundaries (new hour, day, month, quarter,
// year, ...) of the visible bars, at the finest boundary whose labels still fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/qxindex/CsvBarSource.h"

namespace qxindex {

struct DateTick {
    int64_t bar = 0;
    std::string label;
};

// Ticks for the visible bars from..to (clamped to the data) on an axis
// `axisWidth` pixels wide. A tick marks the first bar of a new period, so the
// first visible bar is marked only when the bar before it lies in an earlier
// period. When no calendar level gives a tick (bars without times, or all in one
// hour) the axis falls back to bar numbers at a nice step, labelled with the bar's
// date where there is one and "#N" beyond the data.
std::vector<DateTick> MakeDateTicks(const std::vector<Bar>& bars, int64_t from, int64_t to,
                                    double axisWidth);

}  // namespace qxindex
