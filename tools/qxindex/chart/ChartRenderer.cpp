#include "tools/qxindex/chart/ChartRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "tools/qxindex/TextEncoding.h"
#include "tools/qxindex/chart/ChartLayout.h"
#include "tools/qxindex/chart/DateTicks.h"
#include "tools/qxindex/chart/RecordPainter.h"
#include "tools/qxindex/chart/SvgWriter.h"
#include "tools/qxindex/chart/ValueTicks.h"
#include "tools/qxindex/chart/XmlText.h"

namespace qxindex {
namespace {

const SvgPaint kBackground{"#FFFFFF", 1.0};
const SvgPaint kGridColor{"#ECECEC", 1.0};
const SvgPaint kFrameColor{"#B4B4B4", 1.0};
const SvgPaint kAxisTextColor{"#505050", 1.0};
const SvgPaint kTitleColor{"#202020", 1.0};

constexpr double kAxisFontSize = 11.0;
constexpr double kLegendFontSize = 12.0;
constexpr double kTitleFontSize = 16.0;
constexpr double kTickLength = 4.0;
// Vertical room per value label.
constexpr double kValueLabelSpacing = 40.0;
constexpr double kCandleHalfWidth = 0.4;  // in bars
constexpr double kMinHollowBody = 3.0;
constexpr double kMinBody = 1.5;

struct Chart {
    const ChartSpec& chartSpec;
    const ChartLayout& layout;
    std::vector<DateTick> dateTicks;
    SvgWriter* svg;
};

SvgTextStyle PlainText(const SvgPaint& paint, double size, const char* anchor, bool bold = false) {
    SvgTextStyle style;
    style.paint = paint;
    style.size = size;
    style.anchor = anchor;
    style.bold = bold;
    return style;
}

SvgStroke Hairline(const SvgPaint& paint) {
    return SvgStroke{paint, 1.0, std::string(), false};
}

std::string DateOf(const std::vector<Bar>& bars, int64_t bar) {
    if (bar < 0 || bar >= static_cast<int64_t>(bars.size())) return "#" + std::to_string(bar);
    std::time_t t = static_cast<std::time_t>(bars[static_cast<size_t>(bar)].time);
    std::tm fields{};
    char text[32];
    if (localtime_r(&t, &fields) == nullptr ||
        std::strftime(text, sizeof(text), "%Y-%m-%d", &fields) == 0) {
        return "#" + std::to_string(bar);
    }
    return text;
}

void PaintTitle(const Chart& chart) {
    const PixelRect& box = chart.layout.TitleBox();
    SvgTextStyle title = PlainText(kTitleColor, kTitleFontSize, "start", true);
    chart.svg->Text(PixelPoint{box.left, box.top + 23.0}, chart.chartSpec.title, title);
    // The dates of the visible data; slots beyond the data have no date.
    int64_t first = chart.layout.FirstBar();
    int64_t last = chart.layout.LastBar();
    int64_t count = static_cast<int64_t>(chart.chartSpec.bars.size());
    int64_t firstData = std::clamp<int64_t>(first, 0, std::max<int64_t>(count - 1, 0));
    int64_t lastData = std::clamp<int64_t>(last, 0, std::max<int64_t>(count - 1, 0));
    std::string range = std::to_string(last - first + 1) + " bars";
    if (count > 0 && first < count && last >= 0) {
        range = DateOf(chart.chartSpec.bars, firstData) + " .. " +
                DateOf(chart.chartSpec.bars, lastData) + ", " + range;
    }
    SvgTextStyle note = PlainText(kAxisTextColor, kAxisFontSize, "end");
    chart.svg->Text(PixelPoint{box.Right(), box.top + 23.0}, range, note);
}

void PaintLegend(const Chart& chart, const PanelLayout& panel, const ChartPanelSpec& chartSpec) {
    double x = panel.legend.left + 2.0;
    double middle = panel.legend.top + panel.legend.height / 2.0;
    SvgTextStyle style = PlainText(kAxisTextColor, kLegendFontSize, "start");
    for (const LegendEntry& entry : chartSpec.legend) {
        std::string name = GbkToUtf8(entry.name);
        double width = 14.0 + 4.0 + EstimateTextWidth(name, kLegendFontSize);
        if (x + width > panel.legend.Right()) break;  // the rest would run off the chart
        SvgPaint swatch = ResolveColor(entry.color, PaintUse::kLine);
        chart.svg->Rect(PixelRect{x, middle - 5.0, 14.0, 10.0}, swatch, SvgStroke{});
        chart.svg->Text(PixelPoint{x + 18.0, middle + 4.0}, name, style);
        x += width + 14.0;
    }
}

void PaintValueAxis(const Chart& chart, const PanelLayout& panel) {
    const PanelScale& scale = panel.scale;
    int maxTicks = std::max(2, static_cast<int>(panel.plot.height / kValueLabelSpacing));
    ValueTicks ticks = MakeValueTicks(scale.Values().min, scale.Values().max, maxTicks);
    SvgTextStyle style = PlainText(kAxisTextColor, kAxisFontSize, "start");
    for (double value : ticks.values) {
        double y = scale.Y(value);
        chart.svg->Line(PixelPoint{panel.plot.left, y}, PixelPoint{panel.plot.Right(), y},
                        Hairline(kGridColor));
        chart.svg->Line(PixelPoint{panel.plot.Right(), y},
                        PixelPoint{panel.plot.Right() + kTickLength, y}, Hairline(kFrameColor));
        chart.svg->Text(PixelPoint{panel.plot.Right() + kTickLength + 3.0, y + 4.0},
                        TickLabel(ticks, value), style);
    }
}

void PaintTimeGrid(const Chart& chart, const PanelLayout& panel) {
    for (const DateTick& tick : chart.dateTicks) {
        double x = panel.scale.X(static_cast<double>(tick.bar));
        chart.svg->Line(PixelPoint{x, panel.plot.top}, PixelPoint{x, panel.plot.Bottom()},
                        Hairline(kGridColor));
    }
}

void PaintCandles(const Chart& chart, const PanelScale& scale) {
    const std::vector<Bar>& bars = chart.chartSpec.bars;
    int64_t first = std::max<int64_t>(chart.layout.FirstBar(), 0);
    int64_t last = std::min<int64_t>(chart.layout.LastBar(), static_cast<int64_t>(bars.size()) - 1);
    double half = kCandleHalfWidth * scale.PixelsPerBar();
    for (int64_t i = first; i <= last; ++i) {
        const Bar& bar = bars[static_cast<size_t>(i)];
        if (!std::isfinite(bar.open) || !std::isfinite(bar.high) || !std::isfinite(bar.low) ||
            !std::isfinite(bar.close)) {
            continue;
        }
        bool rising = bar.close >= bar.open;
        SvgPaint color = PaletteColor(rising ? kRisingColorId : kFallingColorId, PaintUse::kLine);
        double x = scale.X(static_cast<double>(i));
        chart.svg->Line(PixelPoint{x, scale.Y(bar.high)}, PixelPoint{x, scale.Y(bar.low)},
                        Hairline(color));
        if (2.0 * half < kMinBody) continue;
        double top = scale.Y(std::max(bar.open, bar.close));
        double bottom = scale.Y(std::min(bar.open, bar.close));
        if (bottom - top < 1.0) {
            double centre = (top + bottom) / 2.0;
            top = centre - 0.5;
            bottom = centre + 0.5;
        }
        bool hollow = rising && 2.0 * half >= kMinHollowBody;
        // Half a pixel inside the slot, so the outline does not widen the body.
        PixelRect body{x - half + 0.5, top, 2.0 * half - 1.0, bottom - top};
        chart.svg->Rect(body, hollow ? kBackground : color, Hairline(color));
    }
}

void PaintPanel(const Chart& chart, const PanelLayout& panel, const ChartPanelSpec& chartSpec,
                const std::string& name, bool candles) {
    SvgWriter* svg = chart.svg;
    std::string clipId = "clip-" + name;
    svg->ClipPath(clipId, panel.plot);
    svg->OpenGroup(name + "-panel");
    PaintTimeGrid(chart, panel);
    PaintValueAxis(chart, panel);
    PaintLegend(chart, panel, chartSpec);
    svg->OpenGroup(name + "-records", clipId);
    if (candles) PaintCandles(chart, panel.scale);
    RecordPainter painter(svg, panel.scale);
    for (const QXDrawInfo::GraphDrawInfo& info : chartSpec.pictures) painter.Paint(info);
    svg->CloseGroup();
    svg->Rect(panel.plot, SvgPaint{}, Hairline(kFrameColor));
    svg->CloseGroup();
}

void PaintDateAxis(const Chart& chart) {
    const PixelRect& axis = chart.layout.DateAxis();
    const PanelScale& scale = chart.layout.Price().scale;
    SvgTextStyle style = PlainText(kAxisTextColor, kAxisFontSize, "middle");
    chart.svg->OpenGroup("date-axis");
    for (const DateTick& tick : chart.dateTicks) {
        double x = scale.X(static_cast<double>(tick.bar));
        chart.svg->Line(PixelPoint{x, axis.top}, PixelPoint{x, axis.top + kTickLength},
                        Hairline(kFrameColor));
        // Labels at the ends are turned inwards instead of being cut by the canvas.
        double half = EstimateTextWidth(tick.label, kAxisFontSize) / 2.0;
        SvgTextStyle placed = style;
        PixelPoint at{x, axis.top + kTickLength + 13.0};
        if (x - half < 0.0) {
            placed.anchor = "start";
            at.x = std::max(x, 0.0);
        } else if (x + half > chart.layout.Width()) {
            placed.anchor = "end";
            at.x = std::min(x, chart.layout.Width());
        }
        chart.svg->Text(at, tick.label, placed);
    }
    chart.svg->CloseGroup();
}

}  // namespace

std::string RenderChartSvg(const ChartSpec& chartSpec) {
    ChartLayout layout(chartSpec);
    SvgWriter svg(layout.Width(), layout.Height());
    Chart chart{chartSpec, layout,
                MakeDateTicks(chartSpec.bars, layout.FirstBar(), layout.LastBar(),
                              layout.Price().plot.width),
                &svg};
    svg.Rect(PixelRect{0.0, 0.0, layout.Width(), layout.Height()}, kBackground, SvgStroke{});
    PaintTitle(chart);
    PaintPanel(chart, layout.Price(), chartSpec.price, "price", chartSpec.drawCandles);
    if (layout.HasIndicator()) {
        PaintPanel(chart, layout.Indicator(), chartSpec.indicator, "indicator", false);
    }
    PaintDateAxis(chart);
    return svg.Finish();
}

}  // namespace qxindex
