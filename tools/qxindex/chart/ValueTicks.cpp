#include "tools/qxindex/chart/ValueTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace qxindex {
namespace {

// No axis is tall enough for more labels than this; it also bounds the loop when
// a caller asks for absurd counts.
constexpr int kTickLimit = 200;
constexpr int kMaxDecimals = 10;

struct LabelUnit {
    double unit;
    const char* suffix;
};

constexpr LabelUnit kLabelUnits[] = {
    {1e9, "B"},
    {1e6, "M"},
    {1e3, "K"},
};

// Below this magnitude values are written out in full.
constexpr double kUnitThreshold = 1e5;

}  // namespace

double NiceStep(double raw) {
    if (!(raw > 0.0) || !std::isfinite(raw)) return 1.0;
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double multiple : {1.0, 2.0, 5.0, 10.0}) {
        // The tolerance keeps a raw step of exactly 0.2 from becoming 0.5 when
        // log10 and pow round the wrong way.
        if (multiple * magnitude >= raw * (1.0 - 1e-9)) return multiple * magnitude;
    }
    return 10.0 * magnitude;
}

ValueTicks MakeValueTicks(double min, double max, int maxTicks) {
    ValueTicks ticks;
    double span = max - min;
    if (!std::isfinite(min) || !std::isfinite(max) || !(span > 0.0) || !std::isfinite(span)) {
        return ticks;
    }
    maxTicks = std::clamp(maxTicks, 1, kTickLimit);
    ticks.step = NiceStep(span / maxTicks);
    double first = std::ceil(min / ticks.step - 1e-9);
    for (int k = 0; k <= kTickLimit; ++k) {
        // Multiplying instead of summing keeps 0.1 + 0.2 drift out of the labels.
        double value = (first + k) * ticks.step;
        if (value > max + ticks.step * 1e-9) break;
        if (std::fabs(value) < ticks.step * 1e-9) value = 0.0;
        if (!ticks.values.empty() && value <= ticks.values.back()) break;  // precision ran out
        ticks.values.push_back(value);
    }
    double largest = std::max(std::fabs(min), std::fabs(max));
    if (largest >= kUnitThreshold) {
        for (const LabelUnit& unit : kLabelUnits) {
            if (largest >= unit.unit) {
                ticks.unit = unit.unit;
                ticks.suffix = unit.suffix;
                break;
            }
        }
    }
    return ticks;
}

std::string TickLabel(const ValueTicks& ticks, double value) {
    if (!std::isfinite(value)) return std::string();
    double step = ticks.step > 0.0 ? ticks.step / ticks.unit : 1.0;
    int decimals =
        std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, kMaxDecimals);
    double scaled = value / ticks.unit;
    // Zero is zero in any unit, and never "-0" from rounding noise.
    if (std::fabs(scaled) < step * 1e-9) return "0";
    char text[64];
    std::snprintf(text, sizeof(text), "%.*f%s", decimals, scaled, ticks.suffix);
    return text;
}

}  // namespace qxindex
