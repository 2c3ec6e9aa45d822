// qxindex calc: parse a formula, calculate it over CSV bars in one whole-series
// calculation, and print the value series of its lines as CSV.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/Commands.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxindex {
namespace {

struct CalcOptions {
    FormulaOptions formula;
    std::string bars;
    int from = -1;
    int to = -1;
    bool json = false;
};

struct ProgressBar {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    bool shown = false;
};

// A progress bar on standard error, only for runs longer than about a second and
// only when standard error is a terminal.
void ShowProgress(double share, void* user) {
    ProgressBar* bar = static_cast<ProgressBar*>(user);
    auto elapsed = std::chrono::steady_clock::now() - bar->start;
    if (!bar->shown && elapsed < std::chrono::seconds(1)) return;
    bar->shown = true;
    const int width = 40;
    int filled = static_cast<int>(share * width + 0.5);
    if (filled > width) filled = width;
    std::fprintf(stderr, "\rcalculating [%.*s%*s] %3d%%", filled,
                 "########################################", width - filled, "",
                 static_cast<int>(share * 100 + 0.5));
    if (share >= 1.0) std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

int RunCalc(const CalcOptions& options) {
    FormulaInput input = LoadFormula(options.formula);
    CsvBarSource bars = [&]() {
        try {
            return CsvBarSource::FromFile(options.bars);
        } catch (const CsvError& e) {
            throw UsageError{e.message};
        }
    }();
    const int count = static_cast<int>(bars.Bars().size());
    if (count == 0) throw UsageError{"'" + options.bars + "' holds no bars"};
    int from = options.from < 0 ? 0 : options.from;
    int to = options.to < 0 ? count - 1 : options.to;
    if (from >= count || to >= count || from > to) {
        throw UsageError{"--from/--to must lie within 0.." + std::to_string(count - 1) +
                         " with from <= to"};
    }

    ParsedFormula formula;
    if (!formula.Parse(input)) {
        std::cerr << FormulaErrorLine(formula.Error()) << "\n";
        return kExitFormulaError;
    }
    CalculatedFormula calculated(formula, bars);
    ProgressBar progress;
    bool ok = isatty(STDERR_FILENO) ? calculated.CalculateAll(&ShowProgress, &progress)
                                    : calculated.CalculateAll();
    if (!ok) {
        std::cerr << "qxindex: the library could not calculate the formula over these bars\n";
        return kExitFormulaError;
    }

    std::vector<ValueColumn> columns = calculated.ValueColumns();
    std::vector<std::vector<double>> values(columns.size());
    std::vector<std::vector<bool>> valid(columns.size());
    for (size_t c = 0; c < columns.size(); ++c) {
        calculated.Values(columns[c].statement, from, to, &values[c], &valid[c]);
    }
    if (options.json) {
        nlohmann::json rows = nlohmann::json::array();
        for (int bar = from; bar <= to; ++bar) {
            nlohmann::json row = {{"bar", bar}, {"date", bars.DateText(bar)}};
            for (size_t c = 0; c < columns.size(); ++c) {
                size_t i = static_cast<size_t>(bar - from);
                row[columns[c].name] =
                    valid[c][i] ? nlohmann::json(values[c][i]) : nlohmann::json();
            }
            rows.push_back(row);
        }
        std::cout << rows.dump(1) << "\n";
        return kExitOk;
    }
    std::string out = "bar,date";
    for (const ValueColumn& column : columns) out += "," + column.name;
    out += "\n";
    for (int bar = from; bar <= to; ++bar) {
        out += std::to_string(bar) + "," + bars.DateText(bar);
        for (size_t c = 0; c < columns.size(); ++c) {
            size_t i = static_cast<size_t>(bar - from);
            out += ",";
            if (valid[c][i]) out += ShortestText(values[c][i]);
        }
        out += "\n";
    }
    std::cout << out;
    return kExitOk;
}

}  // namespace

void AddCalcCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<CalcOptions>();
    CLI::App* cmd = app.add_subcommand(
        "calc",
        "Calculate a formula over CSV bars and print CSV: bar,date, then one column per "
        "line that has a value series (an invalid value is an empty field)");
    AddFormulaOptions(cmd, &options->formula);
    cmd->add_option("--bars", options->bars,
                    "Bars as CSV: date,open,high,low,close,volume[,amount]")
        ->type_name("BARS.csv")
        ->required();
    cmd->add_option("--from", options->from, "First bar to print, 0-based (default: the first)")
        ->type_name("BAR");
    cmd->add_option("--to", options->to, "Last bar to print, 0-based (default: the last)")
        ->type_name("BAR");
    cmd->add_flag("--json", options->json, "Print the rows as a JSON array instead");
    cmd->footer(
        "Examples:\n"
        "  qxindex calc -e 'MA5:MA(CLOSE,5);' --bars data/aapl_2013_2018.csv --from 1500\n"
        "  qxindex calc examples/kdj.txt --bars data/aapl_2013_2018.csv --json");
    cmd->callback([options, exitCode]() { *exitCode = RunCalc(*options); });
}

}  // namespace qxindex
