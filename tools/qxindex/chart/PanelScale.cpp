#include "tools/qxindex/chart/PanelScale.h"

#include <algorithm>
#include <cmath>

namespace qxindex {

namespace {
constexpr double kPaddingShare = 0.05;
}  // namespace

PixelRect PixelRect::Grown(double margin) const {
    return PixelRect{left - margin, top - margin, width + 2.0 * margin, height + 2.0 * margin};
}

ValueRange PadValueRange(double min, double max) {
    if (!std::isfinite(min) || !std::isfinite(max)) return ValueRange{};
    if (min > max) std::swap(min, max);
    double span = max - min;
    if (!std::isfinite(span)) return ValueRange{};
    double pad = span * kPaddingShare;
    if (span <= 0.0) {
        double magnitude = std::fabs(min);
        pad = magnitude > 0.0 ? magnitude * kPaddingShare : 1.0;
    }
    ValueRange padded{min - pad, max + pad};
    if (!std::isfinite(padded.min) || !std::isfinite(padded.max) || padded.max <= padded.min) {
        return ValueRange{};
    }
    return padded;
}

PanelScale::PanelScale(const PixelRect& plot, int64_t firstBar, int64_t lastBar, ValueRange values)
    : m_rcPlot(plot), m_nFirstBar(firstBar), m_nLastBar(lastBar), m_values(values) {
    if (m_nLastBar < m_nFirstBar) std::swap(m_nFirstBar, m_nLastBar);
    // Counted in double: the bar range may span the whole int64 range.
    double slots = static_cast<double>(m_nLastBar) - static_cast<double>(m_nFirstBar) + 1.0;
    m_dPixelsPerBar = m_rcPlot.width > 0.0 ? m_rcPlot.width / slots : 1.0;
    double span = m_values.max - m_values.min;
    if (!(span > 0.0) || !std::isfinite(span)) {
        m_values = ValueRange{};
        span = 1.0;
    }
    m_dPixelsPerValue = m_rcPlot.height > 0.0 ? m_rcPlot.height / span : 1.0;
}

double PanelScale::X(double position) const {
    return m_rcPlot.left + (position - static_cast<double>(m_nFirstBar) + 0.5) * m_dPixelsPerBar;
}

double PanelScale::Y(double value) const {
    return m_rcPlot.Bottom() - (value - m_values.min) * m_dPixelsPerValue;
}

double PanelScale::Position(double x) const {
    return (x - m_rcPlot.left) / m_dPixelsPerBar - 0.5 + static_cast<double>(m_nFirstBar);
}

double PanelScale::Value(double y) const {
    return m_values.min + (m_rcPlot.Bottom() - y) / m_dPixelsPerValue;
}

}  // namespace qxindex
