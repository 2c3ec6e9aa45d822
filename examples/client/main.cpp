// qxclient: what a charting client does with the library, start to finish.
//  1. parse an indicator formula with a parameter;
//  2. calculate it over the bars that have arrived, then again as each new bar
//     arrives, printing the last bars' values;
//  3. place a trend line with two mouse clicks and print its drawing records.
// Exit status 0 when every step worked.
#include <QXScriptIndexBase/QXScriptIndexBase.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "GrowingBarSource.h"
#include "LinearChartConverter.h"

namespace {

constexpr int kSeriesBars = 60;
constexpr int kBarsAtStart = 50;

const char* const kFormula =
    "MA5:MA(CLOSE,5),COLORRED;\n"
    "MAN:MA(CLOSE,N);\n"
    "DIFF:MA5-MAN,LINETHICK2;";

bool PrintParseError(IIndexParser* pParser) {
    ParseErrorInfo error{};
    if (pParser->GetError(&error)) {
        // The text is in the library's code page (GBK); a real client converts it.
        std::printf("parse error %d at line %d, column %d\n", error.code, error.line + 1,
                    error.column + 1);
    }
    return false;
}

// Prints the values of every output line over bars from..to.
bool PrintLastBars(IIndexParser* pParser, IIndexCalculator* pCalculator, int from, int to) {
    int nLines = 0;
    if (!pParser->GetDrawStatementCount(&nLines)) return false;
    const int n = to - from + 1;
    std::vector<double> values(static_cast<size_t>(n));
    std::unique_ptr<bool[]> valid(new bool[static_cast<size_t>(n)]());
    for (int line = 0; line < nLines; ++line) {
        char name[64] = {};
        pParser->GetOutputName(line, name, sizeof name);
        if (!pCalculator->GetValues(line, from, to, values.data(), valid.get())) {
            std::printf("  %-5s no values\n", name);
            return false;
        }
        std::printf("  %-5s", name);
        for (int i = 0; i < n; ++i) {
            if (valid[i]) {
                std::printf(" %9.3f", values[static_cast<size_t>(i)]);
            } else {
                std::printf(" %9s", "-");
            }
        }
        std::printf("\n");
    }
    return true;
}

bool RunFormula(CGrowingBarSource& bars) {
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    bool ok = pParser != nullptr && pCalculator != nullptr;
    if (ok && !pParser->Parse(kFormula, {"N"}, {10.0f})) ok = PrintParseError(pParser);
    if (ok) {
        int nParams = 0;
        pParser->GetParamCount(&nParams);
        for (int k = 0; k < nParams; ++k) {
            char name[32] = {};
            float value = 0.0f;
            pParser->GetParamName(k, name, sizeof name);
            pParser->GetParamValue(k, &value);
            std::printf("parameter %s = %g\n", name, value);
        }
        ok = pCalculator->SetIndexParser(pParser) && pCalculator->SetDataSource(&bars);
    }
    // The history that is there at start, in one calculation.
    if (ok) {
        int last = bars.GetAvailable() - 1;
        ok = pCalculator->Calculate(0, last, false) && pCalculator->UpdateDisplayData();
        std::printf("calculated bars 0..%d; the last three:\n", last);
        ok = ok && PrintLastBars(pParser, pCalculator, last - 2, last);
    }
    // New bars arrive: each asks only for itself, the rest is already calculated.
    while (ok && bars.GetAvailable() < kSeriesBars) {
        bars.AppendBar();
        int bar = bars.GetAvailable() - 1;
        ok = pCalculator->Calculate(bar, bar, false) && pCalculator->UpdateDisplayData();
        std::printf("bar %d arrived (close %.2f):\n", bar, bars.GetBar(bar).close);
        ok = ok && PrintLastBars(pParser, pCalculator, bar - 2, bar);
    }
    if (ok) {
        double min = 0.0, max = 0.0;
        ok = pCalculator->GetValueRange(0, kSeriesBars - 1, nullptr, &min, &max);
        std::printf("value range of all lines: %.3f .. %.3f\n", min, max);
    }
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return ok;
}

void PrintPoints(const std::vector<QXDrawInfo::QXPoint>& points) {
    for (const QXDrawInfo::QXPoint& p : points)
        std::printf(" (bar %.2f, %.3f)", p.position, p.value);
}

void PrintRecords(const std::vector<QXDrawInfo::GraphDrawInfo>& infos) {
    for (const QXDrawInfo::GraphDrawInfo& info : infos) {
        for (const QXDrawInfo::CurveDrawInfo& curve : info.curves) {
            const QXDrawInfo::QXColor& colour = curve.lineColor;
            std::printf("  curve: width %.0f, style %d, colour ", curve.lineWidth,
                        static_cast<int>(curve.lineStyle));
            if (colour.byValue) {
                std::printf("0x%08X (AABBGGRR)\n", static_cast<unsigned>(colour.value));
            } else {
                std::printf("id %d\n", colour.colorId);
            }
            for (const QXDrawInfo::CurveSegment& segment : curve.items) {
                std::printf("    points");
                PrintPoints(segment.points.GetPoint());
                std::printf("%s%s\n", segment.extendStart ? ", extended back" : "",
                            segment.extendEnd ? ", extended forward" : "");
            }
        }
        for (const QXDrawInfo::TextDrawInfo& text : info.texts) {
            for (const QXDrawInfo::TextItem& item : text.items) {
                std::printf("  text '%s' at", item.text.c_str());
                PrintPoints({item.position});
                std::printf("\n");
            }
        }
        if (!info.rectangles.empty() || !info.ellipses.empty() || !info.crosses.empty() ||
            !info.icons.empty()) {
            std::printf("  and %zu rectangle, %zu ellipse, %zu cross, %zu icon records\n",
                        info.rectangles.size(), info.ellipses.size(), info.crosses.size(),
                        info.icons.size());
        }
    }
}

bool RunTrendLine(const CGrowingBarSource& bars) {
    std::vector<int64_t> times;
    double low = bars.GetBar(0).low, high = bars.GetBar(0).high;
    for (int i = 0; i < bars.GetAvailable(); ++i) {
        times.push_back(bars.GetBar(i).time);
        low = std::min(low, bars.GetBar(i).low);
        high = std::max(high, bars.GetBar(i).high);
    }
    CLinearChartConverter converter(10.0f, 400.0f, low, high, times);

    IQXGraphShapeBase* pShape = QXGraphInterface::CreateGraphShape(QX_GRAPH_LINE_RAY);
    if (pShape == nullptr) return false;
    pShape->SetCoordinate(&converter);
    pShape->SetLineWidth(2);
    pShape->SetLineColor(QXDrawInfo::GetColorByValue(QXDrawInfo::MakeRGBVal(230, 126, 34)));
    // Two clicks: at bar 5 and at bar 30, a quarter and half-way up the chart.
    bool placed = pShape->OnMouseDown(55.0f, 300.0f);
    placed = pShape->OnMouseDown(305.0f, 200.0f) && !placed;
    std::vector<QXGraphPoint> anchors;
    pShape->GetPoints(anchors);
    std::printf("ray placed with %zu anchors:", anchors.size());
    for (const QXGraphPoint& p : anchors) std::printf(" (bar %.2f, %.3f)", p.position, p.price);
    std::printf("\n");
    const std::vector<QXDrawInfo::GraphDrawInfo>& infos = pShape->GetGraphDrawInfo();
    std::printf("its drawing records (%zu):\n", infos.size());
    PrintRecords(infos);
    bool ok = placed && !infos.empty();
    QXGraphInterface::ReleaseGraphShape(pShape);
    return ok;
}

}  // namespace

int main() {
    CGrowingBarSource bars(MakeDailyBars(kSeriesBars), kBarsAtStart);
    std::printf("formula:\n%s\n", kFormula);
    if (!RunFormula(bars)) {
        std::printf("the formula failed\n");
        return 1;
    }
    if (!RunTrendLine(bars)) {
        std::printf("placing the trend line failed\n");
        return 1;
    }
    return 0;
}
