// Value-axis ticks at "nice" steps (1, 2 or 5 times a power of ten) and their
// labels.
#pragma once

#include <string>
#include <vector>

namespace qxindex {

struct ValueTicks {
    std::vector<double> values;  // ascending, all inside [min, max]
    double step = 0.0;
    // Large values are labelled in thousands, millions or billions ("1.5M"), so
    // volume axes stay narrow.
    double unit = 1.0;
    const char* suffix = "";
};

// The ticks of [min, max] with the smallest nice step that gives at most
// maxTicks of them; none for an empty, reversed or non-finite range.
ValueTicks MakeValueTicks(double min, double max, int maxTicks);

// The smallest of 1, 2, 5 times a power of ten that is at least `raw` (> 0).
double NiceStep(double raw);

// A tick's label with as many decimals as the step needs: a step of 0.25 gives
// "1.25", a step of 2 "14", a step of 2000000 with unit M "4M"; zero is "0".
std::string TickLabel(const ValueTicks& ticks, double value);

}  // namespace qxindex
