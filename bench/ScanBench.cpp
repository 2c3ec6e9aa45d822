// qxindex scan over 2,000 generated symbols of 1,000 daily bars each, on one and
// on two threads: symbols per second, reading the CSV files included, as a user's
// screen of a folder runs it. The files are written once into a temporary folder
// and removed at the end. --benchmark_* flags work as usual.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/RandomWalkBars.h"
#include "tools/qxindex/SymbolScan.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kSymbols = 2000;
constexpr size_t kBarsPerSymbol = 1000;
const char* const kFormula = "MA20:MA(CLOSE,20);\nUP:CROSS(CLOSE,MA20);";

// The generated symbols, each its own random walk; the folder goes with it.
class GeneratedSymbols {
public:
    GeneratedSymbols() {
        std::string pattern = (fs::temp_directory_path() / "qxindex-scan-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        m_folder = pattern;
        for (size_t s = 0; s < kSymbols; ++s) Write(s);
        m_vecFiles = qxindex::CollectBarFiles({m_folder.string()});
    }
    ~GeneratedSymbols() {
        std::error_code error;
        if (!m_folder.empty()) fs::remove_all(m_folder, error);
    }
    GeneratedSymbols(const GeneratedSymbols&) = delete;
    GeneratedSymbols& operator=(const GeneratedSymbols&) = delete;

    const std::vector<std::string>& Files() const { return m_vecFiles; }

private:
    void Write(size_t symbol) {
        char name[32];
        std::snprintf(name, sizeof(name), "S%04zu.csv", symbol);
        FILE* out = std::fopen((m_folder / name).string().c_str(), "w");
        if (out == nullptr) return;
        qxbench::Bars bars = qxbench::MakeRandomWalk(kBarsPerSymbol, 1000 + symbol);
        std::fputs("date,open,high,low,close,volume\n", out);
        const int64_t first = 1388534400;  // 2014-01-01, one bar a day
        for (size_t i = 0; i < bars.Size(); ++i) {
            std::time_t t = static_cast<std::time_t>(first + static_cast<int64_t>(i) * 86400);
            std::tm fields{};
            gmtime_r(&t, &fields);
            char date[16];
            std::strftime(date, sizeof(date), "%Y-%m-%d", &fields);
            std::fprintf(out, "%s,%.4f,%.4f,%.4f,%.4f,%.0f\n", date, bars.open[i], bars.high[i],
                         bars.low[i], bars.close[i], bars.volume[i]);
        }
        std::fclose(out);
    }

    fs::path m_folder;
    std::vector<std::string> m_vecFiles;
};

const GeneratedSymbols& Symbols() {
    static const GeneratedSymbols symbols;
    return symbols;
}

void Scan(benchmark::State& state) {
    const std::vector<std::string>& files = Symbols().Files();
    if (files.size() != kSymbols) {
        state.SkipWithError("could not write the symbols' files");
        return;
    }
    qxindex::ScanSettings settings;
    settings.formula.text = kFormula;
    settings.jobs = static_cast<int>(state.range(0));
    qxindex::FormulaError error;
    if (!qxindex::ProbeColumns(settings.formula, &settings.columns, &error)) {
        state.SkipWithError("the formula does not parse");
        return;
    }
    size_t hits = 0;
    size_t failed = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::vector<qxindex::SymbolResult> results = qxindex::ScanSymbols(settings, files, nullptr);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        hits = 0;
        failed = 0;
        for (const qxindex::SymbolResult& r : results) {
            hits += r.outcome == qxindex::ScanOutcome::kHit;
            failed += r.outcome == qxindex::ScanOutcome::kError;
        }
        benchmark::DoNotOptimize(results.data());
    }
    if (failed > 0) state.SkipWithError("some symbols failed");
    // The threads' work is what counts, so the rate is taken on the wall clock.
    state.counters["symbols/s"] =
        static_cast<double>(kSymbols) * static_cast<double>(state.iterations()) / seconds;
    state.counters["hits"] = static_cast<double>(hits);
}

BENCHMARK(Scan)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
