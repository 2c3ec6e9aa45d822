// The linear mapping between one panel's data coordinates (bar position, value)
// and SVG pixels. The renderer and the drawing tools' converter share it, so a
// tool anchored at a price and a bar paints exactly where its anchor says.
#pragma once

#include <cstdint>

namespace qxindex {

struct PixelPoint {
    double x = 0.0;
    double y = 0.0;
};

struct PixelRect {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;

    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    // The rectangle grown by `margin` on every side.
    PixelRect Grown(double margin) const;
};

struct ValueRange {
    double min = 0.0;
    double max = 1.0;
};

// The range a panel shows for the data range [min, max]: 5% of the span added
// above and below so that extremes do not sit on the frame. A flat range is opened
// by 5% of its value (or by 1 around zero); swapped bounds are put in order; a
// range that cannot be scaled (a bound not finite, or a span that overflows)
// becomes [0, 1] so that the chart still renders.
ValueRange PadValueRange(double min, double max);

class PanelScale {
public:
    PanelScale() = default;
    // Bars firstBar..lastBar (inclusive) share the plot's width in equal slots; a
    // bar position maps to the centre of its slot, so bar i covers [i-0.5, i+0.5].
    // Values grow upwards while pixels grow downwards.
    PanelScale(const PixelRect& plot, int64_t firstBar, int64_t lastBar, ValueRange values);

    double X(double position) const;
    double Y(double value) const;
    double Position(double x) const;
    double Value(double y) const;

    double PixelsPerBar() const { return m_dPixelsPerBar; }
    double PixelsPerValue() const { return m_dPixelsPerValue; }
    const PixelRect& Plot() const { return m_rcPlot; }
    int64_t FirstBar() const { return m_nFirstBar; }
    int64_t LastBar() const { return m_nLastBar; }
    ValueRange Values() const { return m_values; }

private:
    PixelRect m_rcPlot;
    int64_t m_nFirstBar = 0;
    int64_t m_nLastBar = 0;
    ValueRange m_values;
    double m_dPixelsPerBar = 1.0;
    double m_dPixelsPerValue = 1.0;
};

}  // namespace qxindex
