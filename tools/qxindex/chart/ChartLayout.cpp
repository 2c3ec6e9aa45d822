#include "tools/qxindex/chart/ChartLayout.h"

#include <algorithm>
#include <cmath>

namespace qxindex {
namespace {

constexpr double kTitleHeight = 34.0;
constexpr double kLegendHeight = 20.0;
constexpr double kDateAxisHeight = 26.0;
constexpr double kValueAxisWidth = 72.0;
constexpr double kLeftMargin = 10.0;
constexpr double kBottomMargin = 4.0;
constexpr double kPanelGap = 6.0;
constexpr double kIndicatorShare = 0.3;

void Widen(ValueRange* range, bool* any, double value) {
    if (!std::isfinite(value)) return;
    if (!*any) {
        *range = ValueRange{value, value};
        *any = true;
        return;
    }
    range->min = std::min(range->min, value);
    range->max = std::max(range->max, value);
}

void WidenPoint(ValueRange* range, bool* any, const QXDrawInfo::QXPoint& point) {
    Widen(range, any, point.value);
}

// The panel's padded range: the caller's range, or failing that the records'
// points, joined with the visible bars when the panel draws them.
ValueRange PanelRange(const ChartPanelSpec& panel, const std::vector<Bar>* candles, int64_t from,
                      int64_t to) {
    ValueRange range;
    bool any = false;
    if (std::isfinite(panel.minValue) && std::isfinite(panel.maxValue)) {
        Widen(&range, &any, panel.minValue);
        Widen(&range, &any, panel.maxValue);
    } else {
        any = RecordsRange(panel.pictures, &range);
    }
    ValueRange bars;
    if (candles != nullptr && VisibleBarsRange(*candles, from, to, &bars)) {
        Widen(&range, &any, bars.min);
        Widen(&range, &any, bars.max);
    }
    return any ? PadValueRange(range.min, range.max) : PadValueRange(0.0, 1.0);
}

PanelLayout MakePanel(double top, double height, double width, int64_t first, int64_t last,
                      ValueRange values) {
    PanelLayout panel;
    double plotWidth = std::max(1.0, width - kLeftMargin - kValueAxisWidth);
    panel.legend = PixelRect{kLeftMargin, top, plotWidth, kLegendHeight};
    panel.plot = PixelRect{kLeftMargin, top + kLegendHeight, plotWidth,
                           std::max(1.0, height - kLegendHeight)};
    panel.valueAxis =
        PixelRect{panel.plot.Right(), panel.plot.top, kValueAxisWidth, panel.plot.height};
    panel.scale = PanelScale(panel.plot, first, last, values);
    return panel;
}

}  // namespace

ChartLayout::ChartLayout(const ChartSpec& chartSpec)
    : m_dWidth(std::clamp(chartSpec.width, kMinCanvasWidth, kMaxCanvasSize)),
      m_dHeight(std::clamp(chartSpec.height, kMinCanvasHeight, kMaxCanvasSize)),
      m_nFirstBar(std::min(chartSpec.from, chartSpec.to)),
      m_nLastBar(std::max(chartSpec.from, chartSpec.to)),
      m_bHasIndicator(chartSpec.hasIndicator) {
    m_rcTitle = PixelRect{kLeftMargin, 0.0, m_dWidth - 2.0 * kLeftMargin, kTitleHeight};
    double panelsTop = kTitleHeight;
    double panelsHeight = m_dHeight - kTitleHeight - kDateAxisHeight - kBottomMargin;
    double priceHeight = panelsHeight;
    double indicatorHeight = 0.0;
    if (m_bHasIndicator) {
        // The share applies to the plots; both panels pay their legend strip.
        double plots = panelsHeight - kPanelGap - 2.0 * kLegendHeight;
        indicatorHeight = plots * kIndicatorShare + kLegendHeight;
        priceHeight = panelsHeight - kPanelGap - indicatorHeight;
    }
    const std::vector<Bar>* candles = chartSpec.drawCandles ? &chartSpec.bars : nullptr;
    m_price = MakePanel(panelsTop, priceHeight, m_dWidth, m_nFirstBar, m_nLastBar,
                        PanelRange(chartSpec.price, candles, m_nFirstBar, m_nLastBar));
    double panelsBottom = m_price.plot.Bottom();
    if (m_bHasIndicator) {
        m_indicator =
            MakePanel(panelsBottom + kPanelGap, indicatorHeight, m_dWidth, m_nFirstBar, m_nLastBar,
                      PanelRange(chartSpec.indicator, nullptr, m_nFirstBar, m_nLastBar));
        panelsBottom = m_indicator.plot.Bottom();
    }
    m_rcDateAxis = PixelRect{kLeftMargin, panelsBottom, m_price.plot.width, kDateAxisHeight};
}

bool VisibleBarsRange(const std::vector<Bar>& bars, int64_t from, int64_t to, ValueRange* range) {
    int64_t first = std::max<int64_t>(from, 0);
    int64_t last = std::min<int64_t>(to, static_cast<int64_t>(bars.size()) - 1);
    bool any = false;
    for (int64_t i = first; i <= last; ++i) {
        Widen(range, &any, bars[static_cast<size_t>(i)].low);
        Widen(range, &any, bars[static_cast<size_t>(i)].high);
    }
    return any;
}

bool RecordsRange(const std::vector<QXDrawInfo::GraphDrawInfo>& pictures, ValueRange* range) {
    bool any = false;
    for (const QXDrawInfo::GraphDrawInfo& info : pictures) {
        for (const QXDrawInfo::CurveDrawInfo& curve : info.curves) {
            for (const QXDrawInfo::CurveSegment& segment : curve.items) {
                for (const QXDrawInfo::QXPoint& p : segment.points.GetPoint()) {
                    WidenPoint(range, &any, p);
                }
            }
        }
        for (const QXDrawInfo::RectangleDrawInfo& rectangle : info.rectangles) {
            for (const QXDrawInfo::RectangleItem& item : rectangle.items) {
                WidenPoint(range, &any, item.first);
                WidenPoint(range, &any, item.second);
            }
        }
        for (const QXDrawInfo::ElipseDrawInfo& ellipse : info.ellipses) {
            for (const QXDrawInfo::QXPointVec& item : ellipse.items) {
                for (const QXDrawInfo::QXPoint& p : item.GetPoint()) WidenPoint(range, &any, p);
            }
        }
        for (const QXDrawInfo::CrossDrawInfo& cross : info.crosses) {
            for (const QXDrawInfo::CrossItem& item : cross.items) {
                WidenPoint(range, &any, item.point);
            }
        }
        for (const QXDrawInfo::TextDrawInfo& text : info.texts) {
            for (const QXDrawInfo::TextItem& item : text.items) {
                WidenPoint(range, &any, item.position);
            }
        }
        for (const QXDrawInfo::VOZIconDrawInfo& icon : info.icons) {
            for (const QXDrawInfo::IconItem& item : icon.items) WidenPoint(range, &any, item.point);
        }
    }
    return any;
}

}  // namespace qxindex
