#include "tools/qxindex/SymbolScan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

#include "index/functions/ValueConventions.h"
#include "tools/qxindex/CsvBarSource.h"

namespace qxindex {
namespace {

namespace fs = std::filesystem;

// The local midnight after the day that starts at `midnight`; mktime keeps a day
// that is 23 or 25 hours long right.
int64_t NextMidnight(int64_t midnight) {
    std::time_t t = static_cast<std::time_t>(midnight);
    std::tm fields{};
    localtime_r(&t, &fields);
    fields.tm_mday += 1;
    fields.tm_hour = 0;
    fields.tm_min = 0;
    fields.tm_sec = 0;
    fields.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&fields));
}

// The last bar whose time lies in `date`, or -1.
int BarAt(const std::vector<Bar>& bars, const ScanDate& date) {
    auto after = std::upper_bound(bars.begin(), bars.end(), date.last,
                                  [](int64_t t, const Bar& b) { return t < b.time; });
    if (after == bars.begin()) return -1;
    --after;
    if (after->time < date.first) return -1;
    return static_cast<int>(after - bars.begin());
}

void ScanBars(const ScanSettings& settings, CsvBarSource& bars, SymbolResult* result) {
    const int count = static_cast<int>(bars.Bars().size());
    if (count == 0) {
        result->outcome = ScanOutcome::kError;
        result->error = result->path + ": holds no bars";
        return;
    }
    result->bar = settings.hasDate ? BarAt(bars.Bars(), settings.at) : count - 1;
    if (result->bar < 0) {
        result->outcome = ScanOutcome::kNoBar;
        return;
    }
    result->date = bars.DateText(result->bar);
    ParsedFormula formula;
    if (!formula.Parse(settings.formula)) {
        result->outcome = ScanOutcome::kError;
        result->error = result->path + ": the library refused the formula: " + formula.Error().text;
        return;
    }
    CalculatedFormula calculated(formula, bars);
    if (!calculated.CalculateAll()) {
        result->outcome = ScanOutcome::kError;
        result->error =
            result->path + ": the library could not calculate the formula over these bars";
        return;
    }
    std::vector<double> value;
    std::vector<bool> valid;
    for (const ValueColumn& column : settings.columns) {
        bool ok = calculated.Values(column.statement, result->bar, result->bar, &value, &valid) &&
                  valid[0];
        result->values.push_back(ok ? value[0] : 0.0);
        result->valid.push_back(ok);
    }
    const bool hit =
        !result->values.empty() && result->valid.back() && !IsZero(result->values.back());
    result->outcome = hit ? ScanOutcome::kHit : ScanOutcome::kMiss;
}

}  // namespace

bool ParseScanDate(const std::string& text, ScanDate* date) {
    int64_t time = 0;
    bool hasClock = false;
    if (!ParseBarDate(text, &time, &hasClock)) return false;
    date->first = time;
    date->last = hasClock ? time : NextMidnight(time) - 1;
    return true;
}

bool ProbeColumns(const FormulaInput& formula, std::vector<ValueColumn>* columns,
                  FormulaError* error) {
    ParsedFormula parsed;
    if (!parsed.Parse(formula)) {
        *error = parsed.Error();
        return false;
    }
    // Which lines have values is the formula's, not the bars': one made-up bar
    // lets the calculator say.
    Bar bar;
    bar.time = 86400;
    bar.open = bar.high = bar.low = bar.close = 1.0;
    CsvBarSource one(std::vector<Bar>{bar});
    CalculatedFormula calculated(parsed, one);
    calculated.CalculateAll();
    *columns = calculated.ValueColumns();
    return true;
}

std::vector<std::string> CollectBarFiles(const std::vector<std::string>& arguments) {
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        std::error_code error;
        if (!fs::is_directory(argument, error)) {
            files.push_back(argument);
            continue;
        }
        std::vector<std::string> inFolder;
        for (fs::directory_iterator it(argument, error), end; !error && it != end;
             it.increment(error)) {
            std::string extension = it->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            std::error_code typeError;
            if (extension == ".csv" && !it->is_directory(typeError)) {
                inFolder.push_back(it->path().string());
            }
        }
        if (error) throw UsageError{"cannot list the folder '" + argument + "'"};
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

SymbolResult ScanSymbol(const ScanSettings& settings, const std::string& path) {
    SymbolResult result;
    result.path = path;
    result.symbol = fs::path(path).stem().string();
    try {
        CsvBarSource bars = CsvBarSource::FromFile(path);
        ScanBars(settings, bars, &result);
    } catch (const CsvError& e) {
        result.outcome = ScanOutcome::kError;
        result.error = e.message;
    } catch (const std::exception& e) {
        // Out of memory, most likely; the other symbols may still fit.
        result.outcome = ScanOutcome::kError;
        result.error = path + ": " + e.what();
    }
    if (result.outcome == ScanOutcome::kError) {
        result.values.clear();
        result.valid.clear();
    }
    return result;
}

std::vector<SymbolResult> ScanSymbols(const ScanSettings& settings,
                                      const std::vector<std::string>& paths,
                                      const std::function<void(const ScanProgress&)>& onProgress) {
    std::vector<SymbolResult> results(paths.size());
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::atomic<size_t> hits{0};
    // Each worker takes the next file as it finishes one, so a long file holds up
    // only its own thread; every result goes to its file's slot.
    auto work = [&]() {
        for (size_t i = next++; i < paths.size(); i = next++) {
            results[i] = ScanSymbol(settings, paths[i]);
            if (results[i].outcome == ScanOutcome::kHit) ++hits;
            ++done;
        }
    };
    const size_t threads = std::min(paths.size(), static_cast<size_t>(std::max(settings.jobs, 1)));
    std::vector<std::thread> workers;
    try {
        for (size_t t = 0; t < threads; ++t) workers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started share the files.
    }
    if (workers.empty()) work();
    auto progress = [&]() { return ScanProgress{done.load(), paths.size(), hits.load()}; };
    if (onProgress) {
        while (done.load() < paths.size()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done.load() < paths.size()) onProgress(progress());
        }
    }
    for (std::thread& worker : workers) worker.join();
    if (onProgress) onProgress(progress());
    return results;
}

}  // namespace qxindex
