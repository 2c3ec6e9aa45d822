#include "tools/qxindex/chart/ChartCoordinate.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace qxindex {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t MedianSpacing(const std::vector<Bar>& bars) {
    if (bars.size() < 2) return kSecondsPerDay;
    std::vector<int64_t> gaps;
    gaps.reserve(bars.size() - 1);
    for (size_t i = 1; i < bars.size(); ++i) gaps.push_back(bars[i].time - bars[i - 1].time);
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<long>(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

// A float result that the caller can use: finite and representable.
bool ToFloat(double value, float* out) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
        return false;
    }
    *out = static_cast<float>(value);
    return true;
}

}  // namespace

ChartCoordinate::ChartCoordinate(const PanelScale& scale, std::vector<Bar> bars)
    : m_scale(scale), m_vecBars(std::move(bars)), m_nBarSpacing(MedianSpacing(m_vecBars)) {}

bool ChartCoordinate::PixelToPrice(float y, double* pPrice) {
    double price = m_scale.Value(static_cast<double>(y));
    if (pPrice == nullptr || !std::isfinite(price)) return false;
    *pPrice = price;
    return true;
}

bool ChartCoordinate::PriceToPixel(double price, float* pY) {
    return pY != nullptr && ToFloat(m_scale.Y(price), pY);
}

bool ChartCoordinate::PixelToPosition(float x, float* pPosition) {
    return pPosition != nullptr && ToFloat(m_scale.Position(static_cast<double>(x)), pPosition);
}

bool ChartCoordinate::PositionToPixel(float position, float* pX) {
    return pX != nullptr && ToFloat(m_scale.X(static_cast<double>(position)), pX);
}

bool ChartCoordinate::PositionToTime(float position, int* pTime) {
    if (pTime == nullptr || m_vecBars.empty() || !std::isfinite(position)) return false;
    double bar = std::floor(static_cast<double>(position) + 0.5);
    double last = static_cast<double>(m_vecBars.size() - 1);
    // Doubles hold every int32 time exactly and cannot overflow here.
    double time = 0.0;
    if (bar < 0.0) {
        time =
            static_cast<double>(m_vecBars.front().time) + bar * static_cast<double>(m_nBarSpacing);
    } else if (bar > last) {
        time = static_cast<double>(m_vecBars.back().time) +
               (bar - last) * static_cast<double>(m_nBarSpacing);
    } else {
        time = static_cast<double>(m_vecBars[static_cast<size_t>(bar)].time);
    }
    if (time < std::numeric_limits<int>::min() || time > std::numeric_limits<int>::max()) {
        return false;
    }
    *pTime = static_cast<int>(time);
    return true;
}

bool ChartCoordinate::GetChartBottom(float* pY) {
    return pY != nullptr && ToFloat(m_scale.Plot().Bottom(), pY);
}

bool ChartCoordinate::GetPriceUnit(double* pUnit) {
    if (pUnit == nullptr) return false;
    *pUnit = 1.0;
    return true;
}

bool ChartCoordinate::GetBarWidth(float* pWidth) {
    return pWidth != nullptr && ToFloat(m_scale.PixelsPerBar(), pWidth);
}

bool ChartCoordinate::SnapPoint(float x, float y, QX_GRAPH_TYPE /*eType*/, unsigned /*nIndex*/,
                                QXGraphPoint* pPoint) {
    if (!m_bMagnet || pPoint == nullptr || !std::isfinite(x) || !std::isfinite(y)) return false;
    double bar = std::floor(m_scale.Position(static_cast<double>(x)) + 0.5);
    if (!(bar >= 0.0) || bar >= static_cast<double>(m_vecBars.size())) return false;
    const Bar& b = m_vecBars[static_cast<size_t>(bar)];
    double best = 0.0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (double price : {b.open, b.high, b.low, b.close}) {
        double distance = std::fabs(m_scale.Y(price) - static_cast<double>(y));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = price;
        }
    }
    if (!(bestDistance <= static_cast<double>(kMagnetPixels))) return false;
    QXGraphPoint point;
    point.price = best;
    point.position = static_cast<float>(bar);
    if (!PositionToTime(point.position, &point.time)) return false;
    *pPoint = point;
    return true;
}

}  // namespace qxindex
