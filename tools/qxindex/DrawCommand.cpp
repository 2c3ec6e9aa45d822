// qxindex draw: a formula's drawing records (and drawing tools) painted into an SVG
// chart over CSV bars. With no arguments at all, qxindex draws the demo chart.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/Commands.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/FormulaChart.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"
#include "tools/qxindex/ShapesFile.h"
#include "tools/qxindex/chart/ChartRenderer.h"
#include "tools/qxindex/chart/RecordsJson.h"

namespace qxindex {
namespace {

// The visible bars when the command line names none: enough for a readable chart.
constexpr int kDefaultVisibleBars = 250;

struct DrawOptions {
    FormulaOptions formula;
    std::string bars;
    std::string output;
    std::string records;
    std::string shapes;
    std::string size = "1200x800";
    int from = -1;
    int to = -1;
    bool overlay = false;
    bool magnet = false;
};

CsvBarSource LoadBars(const std::string& path) {
    try {
        return CsvBarSource::FromFile(path);
    } catch (const CsvError& e) {
        throw UsageError{e.message};
    }
}

bool DrawFormula(const FormulaInput& input, CsvBarSource& bars, int from, int to,
                 FormulaPicture* out) {
    ParsedFormula formula;
    if (!formula.Parse(input)) {
        std::cerr << FormulaErrorLine(formula.Error()) << "\n";
        return false;
    }
    CalculatedFormula calculated(formula, bars);
    if (!calculated.CalculateAll()) {
        std::cerr << "qxindex: the library could not calculate the formula over these bars\n";
        return false;
    }
    *out = PictureOfFormula(formula, calculated.Calculator(), from, to);
    return true;
}

void ParseSize(const std::string& text, int* width, int* height) {
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", width, height, &extra) != 2 || *width <= 0 ||
        *height <= 0) {
        throw UsageError{"--size expects WIDTHxHEIGHT, e.g. 1200x800, got '" + text + "'"};
    }
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    if (!out || !(out << text)) throw UsageError{"cannot write '" + path + "'"};
}

void VisibleRange(int count, int from, int to, int* first, int* last) {
    *last = to < 0 ? count - 1 : to;
    *first = from < 0 ? std::max(0, *last - kDefaultVisibleBars + 1) : from;
    if (*first >= count || *last >= count || *first > *last) {
        throw UsageError{"--from/--to must lie within 0.." + std::to_string(count - 1) +
                         " with from <= to"};
    }
}

int RunDraw(const DrawOptions& options) {
    CsvBarSource bars = LoadBars(options.bars);
    const int count = static_cast<int>(bars.Bars().size());
    if (count == 0) throw UsageError{"'" + options.bars + "' holds no bars"};
    FormulaChart chart;
    chart.bars = &bars.Bars();
    VisibleRange(count, options.from, options.to, &chart.from, &chart.to);
    ParseSize(options.size, &chart.width, &chart.height);
    chart.magnet = options.magnet;

    bool hasFormula = options.formula.useInline || !options.formula.path.empty();
    if (!hasFormula && options.shapes.empty()) {
        throw UsageError{"draw needs a formula (a file, '-' or -e TEXT) or --shapes"};
    }
    FormulaPicture picture;
    if (hasFormula) {
        FormulaInput input = LoadFormula(options.formula);
        if (!DrawFormula(input, bars, chart.from, chart.to, &picture)) return kExitFormulaError;
        (options.overlay ? chart.overlay : chart.indicator) = &picture;
    }
    ShapeSet shapes;
    if (!options.shapes.empty()) {
        try {
            shapes = ReadShapesFile(options.shapes);
        } catch (const ShapesError& e) {
            throw UsageError{e.message};
        }
        chart.shapes = &shapes;
    }
    chart.title = options.formula.useInline ? std::string("formula")
                                            : (hasFormula ? options.formula.path : options.shapes);
    chart.title += "  |  " + options.bars + "  " + bars.DateText(chart.from) + " .. " +
                   bars.DateText(chart.to);

    std::vector<QXDrawInfo::GraphDrawInfo> records;
    ChartSpec chartSpec = ComposeChart(chart, &records);
    WriteFile(options.output, RenderChartSvg(chartSpec));
    if (!options.records.empty()) WriteFile(options.records, DumpRecordsJson(records));
    std::cerr << "wrote " << options.output << " (bars " << chart.from << ".." << chart.to << ", "
              << records.size() << " pictures)\n";
    return kExitOk;
}

}  // namespace

void AddDrawCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<DrawOptions>();
    CLI::App* cmd = app.add_subcommand(
        "draw",
        "Calculate a formula over CSV bars and paint its drawing records (and drawing tools "
        "from --shapes) into an SVG chart");
    AddFormulaOptions(cmd, &options->formula);
    cmd->add_option("--bars", options->bars,
                    "Bars as CSV: date,open,high,low,close,volume[,amount]")
        ->type_name("BARS.csv")
        ->required();
    cmd->add_option("-o,--output", options->output, "The SVG file to write")
        ->type_name("OUT.svg")
        ->required();
    cmd->add_option("--from", options->from,
                    "First visible bar, 0-based (default: 250 bars before --to)")
        ->type_name("BAR");
    cmd->add_option("--to", options->to, "Last visible bar, 0-based (default: the last bar)")
        ->type_name("BAR");
    cmd->add_flag("--overlay", options->overlay,
                  "Draw the formula over the price panel instead of in a panel of its own");
    cmd->add_option("--size", options->size, "Canvas size in pixels (default 1200x800)")
        ->type_name("WxH");
    cmd->add_option("--records", options->records,
                    "Also write every drawing record as JSON to this file")
        ->type_name("OUT.json");
    cmd->add_option("--shapes", options->shapes,
                    "Drawing tools as JSON: [{kind, points: [{bar, price}], lineColor, ...}]; "
                    "see examples/shapes-*.json")
        ->type_name("SHAPES.json");
    cmd->add_flag("--magnet", options->magnet,
                  "Let the chart converter snap tool anchors to the nearest price of their bar");
    cmd->footer(
        "Examples:\n"
        "  qxindex draw examples/ma_cross.txt --bars data/aapl_2013_2018.csv --overlay -o ma.svg\n"
        "  qxindex draw examples/boll.txt --bars data/aapl_2013_2018.csv --overlay --from 1000 \\\n"
        "      --to 1250 --shapes examples/shapes-fib.json --records boll.json -o boll.svg");
    cmd->callback([options, exitCode]() { *exitCode = RunDraw(*options); });
}

int RunDemo(const std::string& root) {
    const std::string output = "qxindex-demo.svg";
    CsvBarSource bars = LoadBars(root + "/data/aapl_2013_2018.csv");
    const int count = static_cast<int>(bars.Bars().size());
    FormulaChart chart;
    chart.bars = &bars.Bars();
    VisibleRange(count, -1, -1, &chart.from, &chart.to);

    FormulaPicture overlay, indicator;
    if (!DrawFormula(LoadFormula(root + "/examples/ma_cross.txt", false, "", {}), bars, chart.from,
                     chart.to, &overlay) ||
        !DrawFormula(LoadFormula(root + "/examples/macd.txt", false, "", {}), bars, chart.from,
                     chart.to, &indicator)) {
        return kExitFormulaError;
    }
    chart.overlay = &overlay;
    chart.indicator = &indicator;
    ShapeSet shapes;
    std::ifstream probe(root + "/examples/shapes-demo.json");
    if (probe) {
        shapes = ReadShapesFile(root + "/examples/shapes-demo.json");
        chart.shapes = &shapes;
    }
    chart.title = std::string("Demo: moving averages with crossings, MACD") +
                  (chart.shapes != nullptr ? " and drawing tools" : "") + "  |  " +
                  bars.DateText(chart.from) + " .. " + bars.DateText(chart.to);
    std::vector<QXDrawInfo::GraphDrawInfo> records;
    WriteFile(output, RenderChartSvg(ComposeChart(chart, &records)));
    std::cout << "wrote " << output << ": " << count << " daily bars from data/, the last "
              << (chart.to - chart.from + 1)
              << " shown with two moving averages and their crossings (examples/ma_cross.txt), "
                 "MACD below (examples/macd.txt)"
              << (chart.shapes != nullptr ? " and drawing tools (examples/shapes-demo.json)" : "")
              << ".\nOpen it in a browser. Try 'qxindex --help' for more.\n";
    return kExitOk;
}

}  // namespace qxindex
