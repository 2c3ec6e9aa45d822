// The price panel's converter for drawing tools: the same linear scale the
// renderer paints with, so a tool's anchors in (price, bar position) land on the
// pixels the chart shows, and its pixel-sized parts (arrow heads, label offsets,
// angle snapping) match the picture.
//
// - Pixels grow downwards; bar position p maps to the centre of its slot.
// - PositionToTime: the time of the bar whose slot holds p (p rounded half up);
//   beyond the data, the first or last bar's time moved by whole median bar
//   spacings, so a tool projected into the future gets trading-day-like times.
//   A single bar counts a day per bar. False without bars, for a position that is
//   not finite, or for a time outside the 32-bit range.
// - GetChartBottom: the bottom edge of the price plot.
// - GetPriceUnit: 1.0, so range labels read in the data's own price units.
// - GetBarWidth: pixels per bar.
// - SnapPoint: declines unless the magnet is on; with it, the open, high, low or
//   close of the bar under the mouse that lies nearest vertically, when within
//   6 pixels, becomes the anchor (at that bar's centre and time).
#pragma once

#include <cstdint>
#include <vector>

#include "IQXGraphCoordinate.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/chart/PanelScale.h"

namespace qxindex {

constexpr float kMagnetPixels = 6.0f;

class ChartCoordinate final : public IQXGraphCoordinate {
public:
    ChartCoordinate(const PanelScale& scale, std::vector<Bar> bars);

    void SetMagnet(bool on) { m_bMagnet = on; }

    bool PixelToPrice(float y, double* pPrice) override;
    bool PriceToPixel(double price, float* pY) override;
    bool PixelToPosition(float x, float* pPosition) override;
    bool PositionToPixel(float position, float* pX) override;
    bool PositionToTime(float position, int* pTime) override;
    bool ReservedOperation() override { return false; }
    bool GetChartBottom(float* pY) override;
    bool GetPriceUnit(double* pUnit) override;
    bool GetBarWidth(float* pWidth) override;
    bool SnapPoint(float x, float y, QX_GRAPH_TYPE eType, unsigned nIndex,
                   QXGraphPoint* pPoint) override;

private:
    PanelScale m_scale;
    std::vector<Bar> m_vecBars;
    int64_t m_nBarSpacing;  // median seconds between neighbouring bars
    bool m_bMagnet = false;
};

}  // namespace qxindex
