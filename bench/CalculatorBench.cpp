// Whole-series calculation, one new bar at the end, and parsing, through the
// exported interface as a client drives it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "bench/RandomWalkBars.h"

namespace {

constexpr size_t kBarCount = 1000000;

const char* const kMacd =
    "DIF:EMA(CLOSE,12)-EMA(CLOSE,26);\nDEA:EMA(DIF,9);\nMACD:(DIF-DEA)*2,COLORSTICK;";

const qxbench::Bars& SharedBars() {
    static const qxbench::Bars bars = qxbench::MakeRandomWalk(kBarCount);
    return bars;
}

// Each iteration calculates every bar once: report the time per bar.
void ReportTimePerBar(benchmark::State& state) {
    state.counters["ns_per_bar"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBarCount,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

struct Formula {
    IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
    IIndexCalculator* calculator = IndexObjCreator::CreateIndexCalculatorObj();
    explicit Formula(const std::string& text, IIndexDataSource* source) {
        parser->Parse(text, {}, {});
        calculator->SetIndexParser(parser);
        calculator->SetDataSource(source);
    }
    ~Formula() {
        IndexObjCreator::ReleaseIndexCalculatorObj(&calculator);
        IndexObjCreator::ReleaseIndexParserObj(&parser);
    }
};

void BM_WholeSeriesMacd(benchmark::State& state) {
    qxbench::RandomWalkSource source(SharedBars());
    Formula formula(kMacd, &source);
    const int last = static_cast<int>(kBarCount) - 1;
    for (auto _ : state) {
        bool ok = formula.calculator->Calculate(0, last, false);
        benchmark::DoNotOptimize(ok);
    }
    ReportTimePerBar(state);
}
BENCHMARK(BM_WholeSeriesMacd)->Unit(benchmark::kMillisecond)->Iterations(3);

// Window functions keep running state, so their cost per bar must not grow with
// the window: each runs with N = 5 and N = 500.
void BM_WindowFunction(benchmark::State& state, const char* function) {
    qxbench::RandomWalkSource source(SharedBars());
    const std::string text =
        std::string("A:") + function + "(CLOSE," + std::to_string(state.range(0)) + ");";
    Formula formula(text, &source);
    const int last = static_cast<int>(kBarCount) - 1;
    for (auto _ : state) {
        bool ok = formula.calculator->Calculate(0, last, false);
        benchmark::DoNotOptimize(ok);
    }
    ReportTimePerBar(state);
}
void ShortAndLongWindows(benchmark::internal::Benchmark* bench) {
    bench->Arg(5)->Arg(500)->Unit(benchmark::kMillisecond)->Iterations(2);
}
BENCHMARK_CAPTURE(BM_WindowFunction, MA, "MA")->Apply(ShortAndLongWindows);
BENCHMARK_CAPTURE(BM_WindowFunction, HHV, "HHV")->Apply(ShortAndLongWindows);
BENCHMARK_CAPTURE(BM_WindowFunction, SUM, "SUM")->Apply(ShortAndLongWindows);
BENCHMARK_CAPTURE(BM_WindowFunction, STD, "STD")->Apply(ShortAndLongWindows);

// Bars arrive one at a time after a calculated history: each iteration makes one
// more bar available and asks for it.
void BM_AppendOneBarMacd(benchmark::State& state) {
    qxbench::RandomWalkSource source(SharedBars());
    const size_t history = kBarCount - 2000;
    source.SetAvailable(history);
    Formula formula(kMacd, &source);
    formula.calculator->Calculate(0, static_cast<int>(history) - 1, false);
    for (auto _ : state) {
        if (source.Available() >= kBarCount) {
            state.SkipWithError("ran out of bars");
            break;
        }
        source.SetAvailable(source.Available() + 1);
        int bar = static_cast<int>(source.Available()) - 1;
        bool ok = formula.calculator->Calculate(bar, bar, false);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_AppendOneBarMacd)->Unit(benchmark::kMicrosecond)->Iterations(1000);

void BM_ParseMacd(benchmark::State& state) {
    for (auto _ : state) {
        IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
        bool ok = parser->Parse(kMacd, {}, {});
        benchmark::DoNotOptimize(ok);
        IndexObjCreator::ReleaseIndexParserObj(&parser);
    }
}
BENCHMARK(BM_ParseMacd)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
