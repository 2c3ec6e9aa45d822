// qxindex scan: one formula over many bar files, printing the symbols where its
// last line with values is true at the last bar (or at a date), with the value of
// every line there.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"
#include "tools/qxindex/SymbolScan.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxindex {
namespace {

struct ScanOptions {
    FormulaOptions formula;
    std::vector<std::string> inputs;
    int jobs = 0;  // every core
    std::string at;
    bool csv = false;
    bool json = false;
};

struct Tally {
    size_t hits = 0;
    size_t errors = 0;
    size_t withoutBar = 0;
};

Tally Count(const std::vector<SymbolResult>& results) {
    Tally tally;
    for (const SymbolResult& r : results) {
        if (r.outcome == ScanOutcome::kHit) ++tally.hits;
        if (r.outcome == ScanOutcome::kError) ++tally.errors;
        if (r.outcome == ScanOutcome::kNoBar) ++tally.withoutBar;
    }
    return tally;
}

// A value for a person to read; the CSV and JSON keep every digit.
std::string ScreenText(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.6g", value);
    return text;
}

void PrintTable(const std::vector<std::string>& names, const std::vector<SymbolResult>& results) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> header = {"symbol", "date"};
    header.insert(header.end(), names.begin(), names.end());
    rows.push_back(header);
    for (const SymbolResult& r : results) {
        if (r.outcome != ScanOutcome::kHit) continue;
        std::vector<std::string> row = {r.symbol, r.date};
        for (size_t c = 0; c < r.values.size(); ++c) {
            row.push_back(r.valid[c] ? ScreenText(r.values[c]) : "-");
        }
        rows.push_back(row);
    }
    std::vector<size_t> widths(header.size(), 0);
    for (const auto& row : rows) {
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        out += line + "\n";
    }
    std::cout << out;
}

void PrintCsv(const std::vector<std::string>& names, const std::vector<SymbolResult>& results) {
    std::string out = "symbol,date";
    for (const std::string& name : names) out += "," + name;
    out += "\n";
    for (const SymbolResult& r : results) {
        if (r.outcome != ScanOutcome::kHit) continue;
        out += r.symbol + "," + r.date;
        for (size_t c = 0; c < r.values.size(); ++c) {
            out += ",";
            if (r.valid[c]) out += ShortestText(r.values[c]);
        }
        out += "\n";
    }
    std::cout << out;
}

void PrintJson(const std::vector<std::string>& names, const std::vector<SymbolResult>& results,
               bool hasDate) {
    // Keys in the order a reader expects: the lines as the formula has them.
    using Json = nlohmann::ordered_json;
    Json hits = Json::array();
    Json errors = Json::array();
    Json withoutBar = Json::array();
    for (const SymbolResult& r : results) {
        if (r.outcome == ScanOutcome::kError) {
            errors.push_back({{"symbol", r.symbol}, {"file", r.path}, {"error", r.error}});
        } else if (r.outcome == ScanOutcome::kNoBar) {
            withoutBar.push_back(r.symbol);
        } else if (r.outcome == ScanOutcome::kHit) {
            Json values = Json::object();
            for (size_t c = 0; c < r.values.size(); ++c) {
                values[names[c]] = r.valid[c] ? Json(r.values[c]) : Json();
            }
            hits.push_back({{"symbol", r.symbol},
                            {"file", r.path},
                            {"bar", r.bar},
                            {"date", r.date},
                            {"values", values}});
        }
    }
    Json root = {
        {"scanned", results.size()}, {"columns", names}, {"hits", hits}, {"errors", errors}};
    if (hasDate) root["withoutBar"] = withoutBar;
    // File names need not be UTF-8; a stray byte must not lose the whole report.
    std::cout << root.dump(1, ' ', false, Json::error_handler_t::replace) << "\n";
}

void ShowProgress(const ScanProgress& progress) {
    std::fprintf(stderr, "\r\033[Kscanning %zu/%zu symbols, %zu hits", progress.done,
                 progress.total, progress.hits);
    std::fflush(stderr);
}

int RunScan(ScanOptions options) {
    // With -e the first path lands in FORMULA's place.
    if (options.formula.useInline && !options.formula.path.empty()) {
        options.inputs.insert(options.inputs.begin(), options.formula.path);
        options.formula.path.clear();
    }
    ScanSettings settings;
    settings.formula = LoadFormula(options.formula);
    if (!options.at.empty()) {
        settings.hasDate = ParseScanDate(options.at, &settings.at);
        if (!settings.hasDate) {
            throw UsageError{"--at expects YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS], got '" +
                             options.at + "'"};
        }
    }
    if (options.inputs.empty()) throw UsageError{"scan needs bar files or a folder of them"};
    std::vector<std::string> files = CollectBarFiles(options.inputs);
    if (files.empty()) throw UsageError{"no .csv files in the folders given"};

    FormulaError error;
    if (!ProbeColumns(settings.formula, &settings.columns, &error)) {
        std::cerr << FormulaErrorLine(error) << "\n";
        return kExitFormulaError;
    }
    if (settings.columns.empty()) {
        std::cerr << "qxindex: the formula has no line with values to scan for\n";
        return kExitFormulaError;
    }
    settings.jobs =
        options.jobs > 0 ? options.jobs : static_cast<int>(std::thread::hardware_concurrency());

    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::vector<SymbolResult> results =
        ScanSymbols(settings, files, terminal ? ShowProgress : nullptr);
    if (terminal) std::fprintf(stderr, "\r\033[K");  // the messages take the progress line's place
    std::vector<std::string> names;
    for (const ValueColumn& column : settings.columns) names.push_back(GbkToUtf8(column.name));

    if (options.json) {
        PrintJson(names, results, settings.hasDate);
    } else {
        std::cout.flush();
        for (const SymbolResult& r : results) {
            if (r.outcome == ScanOutcome::kError) std::cerr << "qxindex: " << r.error << "\n";
        }
        if (options.csv) {
            PrintCsv(names, results);
        } else {
            PrintTable(names, results);
        }
    }
    if (terminal) {
        std::cout.flush();
        Tally tally = Count(results);
        std::fprintf(stderr, "scanned %zu symbols: %zu hit%s, %zu error%s", results.size(),
                     tally.hits, tally.hits == 1 ? "" : "s", tally.errors,
                     tally.errors == 1 ? "" : "s");
        if (settings.hasDate) std::fprintf(stderr, ", %zu without a bar then", tally.withoutBar);
        std::fprintf(stderr, "\n");
    }
    return kExitOk;
}

}  // namespace

void AddScanCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<ScanOptions>();
    CLI::App* cmd = app.add_subcommand(
        "scan",
        "Run a formula over many bar files and print the symbols whose last line with "
        "values is true (valid, not zero) at their last bar, with every line's value");
    AddFormulaOptions(cmd, &options->formula);
    cmd->add_option("FILES", options->inputs,
                    "Bar files as CSV, or folders whose *.csv files are all scanned")
        ->type_name("DIR|FILES...");
    cmd->add_option("--jobs", options->jobs, "Threads to scan on (default: every core)")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    cmd->add_option("--at", options->at,
                    "Look at each symbol's bar on this date instead of its last bar")
        ->type_name("DATE");
    CLI::Option* csv = cmd->add_flag("--csv", options->csv, "Print the hits as CSV");
    CLI::Option* json = cmd->add_flag("--json", options->json,
                                      "Print one JSON object: the hits, and the files that failed");
    csv->excludes(json);
    cmd->footer(
        "A file that cannot be read and a symbol the library cannot calculate are reported\n"
        "(on standard error, or in the JSON) and the scan goes on; the exit status is 0\n"
        "when the scan ran. Hits are listed in the order of the files, a folder's sorted\n"
        "by name.\n"
        "\n"
        "Examples:\n"
        "  qxindex scan -e 'MA20:MA(C,20); UP:CROSS(C,MA20);' data/\n"
        "  qxindex scan -e 'UP:CROSS(MA(C,5),MA(C,20));' data/ --at 2018-03-01 --csv");
    cmd->callback([options, exitCode]() { *exitCode = RunScan(*options); });
}

}  // namespace qxindex
