// Where everything sits on the canvas: the title band, each panel's legend strip
// and plot area, the value axis to the right of the plots and the date axis under
// them, with the scale of each panel.
//
//   +---------------------------------------------+
//   | title                                       |
//   | legend strip                                |
//   | price plot                         | values |
//   | legend strip                                |
//   | indicator plot (30% of plot height)| values |
//   | dates                                       |
//   +---------------------------------------------+
#pragma once

#include "tools/qxindex/chart/ChartSpec.h"
#include "tools/qxindex/chart/PanelScale.h"

namespace qxindex {

// Canvas sizes outside these bounds are brought inside them: below the minimum
// the bands would leave no plot, above the maximum no viewer opens the file.
constexpr int kMinCanvasWidth = 320;
constexpr int kMinCanvasHeight = 240;
constexpr int kMaxCanvasSize = 20000;

struct PanelLayout {
    PixelRect legend;
    PixelRect plot;
    PixelRect valueAxis;
    PanelScale scale;
};

class ChartLayout {
public:
    explicit ChartLayout(const ChartSpec& chartSpec);

    double Width() const { return m_dWidth; }
    double Height() const { return m_dHeight; }
    const PixelRect& TitleBox() const { return m_rcTitle; }
    const PixelRect& DateAxis() const { return m_rcDateAxis; }
    const PanelLayout& Price() const { return m_price; }
    bool HasIndicator() const { return m_bHasIndicator; }
    const PanelLayout& Indicator() const { return m_indicator; }
    int64_t FirstBar() const { return m_nFirstBar; }
    int64_t LastBar() const { return m_nLastBar; }

private:
    double m_dWidth;
    double m_dHeight;
    int64_t m_nFirstBar;
    int64_t m_nLastBar;
    PixelRect m_rcTitle;
    PixelRect m_rcDateAxis;
    PanelLayout m_price;
    bool m_bHasIndicator;
    PanelLayout m_indicator;
};

// The lowest and highest finite value among the visible bars' lows and highs;
// false when no visible bar has one.
bool VisibleBarsRange(const std::vector<Bar>& bars, int64_t from, int64_t to, ValueRange* range);

// The lowest and highest finite value among the points of the records; false
// when there is none.
bool RecordsRange(const std::vector<QXDrawInfo::GraphDrawInfo>& pictures, ValueRange* range);

}  // namespace qxindex
