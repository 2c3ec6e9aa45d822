// The engine against hand-written loops, through the exported interface as a client
// drives it: whole-series calculation, window functions with short and long
// windows, one new bar at the end, the forming bar recalculated, drawing records,
// parsing and memory. Prints one table (RatioTable.h); --benchmark_* flags work as
// usual, e.g. --benchmark_filter=whole to run only some rows.
#include <benchmark/benchmark.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "bench/AllocationCounter.h"
#include "bench/HandLoops.h"
#include "bench/RandomWalkBars.h"
#include "bench/RatioTable.h"

namespace {

using qxbench::Line;

constexpr size_t kBarCount = 1000000;
constexpr int kRepetitions = 3;

const char* const kMacd =
    "DIF:EMA(CLOSE,12)-EMA(CLOSE,26);\nDEA:EMA(DIF,9);\nMACD:(DIF-DEA)*2,COLORSTICK;";
const char* const kKdj =
    "RSV:=(CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100;\nK:SMA(RSV,3,1);\nD:SMA(K,3,1);\n"
    "J:3*K-2*D;";
const char* const kSticksAndTexts =
    "MID:MA(CLOSE,20);\nSTICKLINE(CLOSE>OPEN,OPEN,CLOSE,3,0),COLORRED;\n"
    "DRAWTEXT(CROSS(CLOSE,MID),LOW*0.97,'BUY');\nDRAWTEXT(CROSS(MID,CLOSE),HIGH*1.03,'SELL');";

const qxbench::Bars& SharedBars() {
    static const qxbench::Bars bars = qxbench::MakeRandomWalk(kBarCount);
    return bars;
}

struct Formula {
    IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
    IIndexCalculator* calculator = IndexObjCreator::CreateIndexCalculatorObj();
    bool parsed = false;
    Formula(const std::string& text, IIndexDataSource* source) {
        parsed = parser->Parse(text, {}, {});
        calculator->SetIndexParser(parser);
        calculator->SetDataSource(source);
    }
    ~Formula() {
        IndexObjCreator::ReleaseIndexCalculatorObj(&calculator);
        IndexObjCreator::ReleaseIndexParserObj(&parser);
    }
    Formula(const Formula&) = delete;
    Formula& operator=(const Formula&) = delete;
};

void SetUnits(benchmark::State& state, double units) {
    state.counters["units"] = units;
}

// Whole series: Calculate(0, n - 1) from scratch at every iteration, by a new
// calculator. A throwaway calculation first warms the process's heap, as a client
// that has opened charts before has it: otherwise whichever row runs first pays
// for the operating system's first touch of every page of its buffers (about 3 ns
// a bar for MA, half its time), and rows change with their order.
void WholeSeries(benchmark::State& state, const std::string& text) {
    qxbench::RandomWalkSource source(SharedBars());
    {
        Formula warm(text, &source);
        if (warm.parsed) warm.calculator->Calculate(0, static_cast<int>(kBarCount) - 1, false);
    }
    Formula formula(text, &source);
    if (!formula.parsed) state.SkipWithError("does not parse");
    const int last = static_cast<int>(kBarCount) - 1;
    for (auto _ : state) {
        bool ok = formula.calculator->Calculate(0, last, false);
        benchmark::DoNotOptimize(ok);
    }
    SetUnits(state, kBarCount);
}

// A loop's outputs are kept between iterations, as a library's buffers would be.
void LoopSeries(benchmark::State& state, const std::function<void(Line*)>& loop) {
    Line lines[6];
    for (Line& line : lines) line.assign(kBarCount, 0.0);
    for (auto _ : state) {
        loop(lines);
        benchmark::DoNotOptimize(lines[0].data());
        benchmark::ClobberMemory();
    }
    SetUnits(state, kBarCount);
}

void Register(const std::string& name, std::function<void(benchmark::State&)> body,
              benchmark::TimeUnit unit = benchmark::kMillisecond, int iterations = 1) {
    benchmark::RegisterBenchmark(name.c_str(), [body](benchmark::State& state) { body(state); })
        ->Unit(unit)
        ->Repetitions(kRepetitions)
        ->ReportAggregatesOnly(true)
        ->Iterations(iterations);
}

void RegisterPair(const std::string& row, const std::string& text,
                  const std::function<void(Line*)>& loop) {
    Register(row + "/engine", [text](benchmark::State& state) { WholeSeries(state, text); });
    Register(row + "/loop", [loop](benchmark::State& state) { LoopSeries(state, loop); });
}

void RegisterWholeSeries() {
    const qxbench::Bars& b = SharedBars();
    RegisterPair("whole MA(C,20)", "A:MA(CLOSE,20);",
                 [&b](Line* out) { qxbench::LoopMa(b.close, 20, out[0]); });
    RegisterPair("whole EMA(C,12)", "A:EMA(CLOSE,12);",
                 [&b](Line* out) { qxbench::LoopEma(b.close, 12, out[0]); });
    RegisterPair("whole STD(C,20)", "A:STD(CLOSE,20);",
                 [&b](Line* out) { qxbench::LoopStd(b.close, 20, out[0]); });
    RegisterPair("whole HHV(H,20)", "A:HHV(HIGH,20);", [&b](Line* out) {
        static std::vector<size_t> scratch;
        qxbench::LoopExtreme(b.high, 20, true, scratch, out[0]);
    });
    RegisterPair("whole MACD(12,26,9)", kMacd,
                 [&b](Line* out) { qxbench::LoopMacd(b.close, out[0], out[1], out[2]); });
    RegisterPair("whole KDJ(9,3,3)", kKdj, [&b](Line* out) {
        qxbench::LoopKdj(b.high, b.low, b.close, out[0], out[1], out[2]);
    });
}

// Window functions with a short and a long window: the cost per bar must not grow
// with the window.
void RegisterWindows() {
    const qxbench::Bars& b = SharedBars();
    for (const int n : {5, 500}) {
        const std::string N = std::to_string(n);
        const std::string suffix = " N=" + N;
        RegisterPair("window MA" + suffix, "A:MA(CLOSE," + N + ");",
                     [&b, n](Line* out) { qxbench::LoopMa(b.close, n, out[0]); });
        RegisterPair("window HHV" + suffix, "A:HHV(HIGH," + N + ");", [&b, n](Line* out) {
            static std::vector<size_t> scratch;
            qxbench::LoopExtreme(b.high, n, true, scratch, out[0]);
        });
        RegisterPair("window LLV" + suffix, "A:LLV(LOW," + N + ");", [&b, n](Line* out) {
            static std::vector<size_t> scratch;
            qxbench::LoopExtreme(b.low, n, false, scratch, out[0]);
        });
        RegisterPair("window SUM" + suffix, "A:SUM(VOL," + N + ");",
                     [&b, n](Line* out) { qxbench::LoopSum(b.volume, n, out[0]); });
        RegisterPair("window COUNT" + suffix, "A:COUNT(CLOSE>OPEN," + N + ");",
                     [&b, n](Line* out) { qxbench::LoopCountUp(b.close, b.open, n, out[0]); });
        RegisterPair("window STD" + suffix, "A:STD(CLOSE," + N + ");",
                     [&b, n](Line* out) { qxbench::LoopStd(b.close, n, out[0]); });
        // Each level reads the one below at the bar leaving its window.
        RegisterPair("window MA(MA(MA(C)))" + suffix,
                     "A:MA(MA(MA(CLOSE," + N + ")," + N + ")," + N + ");", [&b, n](Line* out) {
                         static Line inner(b.close.size()), middle(b.close.size());
                         qxbench::LoopMa(b.close, n, inner);
                         qxbench::LoopMa(inner, n, middle, n - 1);
                         qxbench::LoopMa(middle, n, out[0], 2 * (n - 1));
                     });
        const std::string mixed = "A:MA(CLOSE," + N + ");\nB:HHV(HIGH," + N + ");\nD:LLV(LOW," + N +
                                  ");\nE:SUM(VOL," + N + ");\nF:COUNT(CLOSE>OPEN," + N +
                                  ");\nG:EMA(CLOSE," + N + ");";
        RegisterPair("window MA+HHV+LLV+SUM+COUNT+EMA" + suffix, mixed, [&b, n](Line* out) {
            static std::vector<size_t> scratch;
            qxbench::LoopMa(b.close, n, out[0]);
            qxbench::LoopExtreme(b.high, n, true, scratch, out[1]);
            qxbench::LoopExtreme(b.low, n, false, scratch, out[2]);
            qxbench::LoopSum(b.volume, n, out[3]);
            qxbench::LoopCountUp(b.close, b.open, n, out[4]);
            qxbench::LoopEma(b.close, n, out[5]);
        });
    }
}

// Bars arrive one at a time after a calculated history: each iteration makes one
// more bar available and calculates it. The loop library can only recompute the
// whole series.
void AppendBars(benchmark::State& state, const std::string& text) {
    constexpr size_t kAppended = 1000;
    qxbench::RandomWalkSource source(SharedBars());
    source.SetAvailable(kBarCount - kAppended);
    Formula formula(text, &source);
    if (!formula.parsed) state.SkipWithError("does not parse");
    formula.calculator->Calculate(0, static_cast<int>(kBarCount - kAppended) - 1, false);
    for (auto _ : state) {
        for (size_t i = 0; i < kAppended; ++i) {
            source.SetAvailable(source.Available() + 1);
            const int bar = static_cast<int>(source.Available()) - 1;
            bool ok = formula.calculator->Calculate(bar, bar, false);
            benchmark::DoNotOptimize(ok);
        }
    }
    SetUnits(state, kAppended);
}

// The newest bar is still forming: its close changes and it is calculated again.
void FormingBar(benchmark::State& state, const std::string& text) {
    constexpr int kTicks = 1000;
    qxbench::RandomWalkSource source(SharedBars());
    Formula formula(text, &source);
    if (!formula.parsed) state.SkipWithError("does not parse");
    const int last = static_cast<int>(kBarCount) - 1;
    formula.calculator->Calculate(0, last, false);
    const double close = SharedBars().close[static_cast<size_t>(last)];
    for (auto _ : state) {
        for (int tick = 0; tick < kTicks; ++tick) {
            source.SetFormingClose(static_cast<size_t>(last), close * (1.0 + 1e-4 * (tick % 7)));
            bool ok = formula.calculator->Calculate(last, last, true);
            benchmark::DoNotOptimize(ok);
        }
    }
    SetUnits(state, kTicks);
}

void RegisterNewestBar() {
    const qxbench::Bars& b = SharedBars();
    const auto macdLoop = [&b](Line* out) { qxbench::LoopMacd(b.close, out[0], out[1], out[2]); };
    const auto kdjLoop = [&b](Line* out) {
        qxbench::LoopKdj(b.high, b.low, b.close, out[0], out[1], out[2]);
    };
    const auto loopPerCall = [](const std::function<void(Line*)>& loop) {
        return [loop](benchmark::State& state) {
            LoopSeries(state, loop);
            SetUnits(state, 1);
        };
    };
    const benchmark::TimeUnit us = benchmark::kMicrosecond;
    Register(
        "append MACD, one new bar/engine", [](benchmark::State& s) { AppendBars(s, kMacd); }, us);
    Register("append MACD, one new bar/loop", loopPerCall(macdLoop), us);
    Register(
        "append KDJ, one new bar/engine", [](benchmark::State& s) { AppendBars(s, kKdj); }, us);
    Register("append KDJ, one new bar/loop", loopPerCall(kdjLoop), us);
    Register(
        "forming MACD, last close changed/engine",
        [](benchmark::State& s) { FormingBar(s, kMacd); }, us);
    Register("forming MACD, last close changed/loop", loopPerCall(macdLoop), us);
    Register(
        "forming KDJ, last close changed/engine", [](benchmark::State& s) { FormingBar(s, kKdj); },
        us);
    Register("forming KDJ, last close changed/loop", loopPerCall(kdjLoop), us);
}

// Drawing records for the 1,000 newest bars of a calculated, published series.
void DrawInfo(benchmark::State& state, const std::string& text) {
    constexpr int kVisible = 1000;
    constexpr int kCalls = 100;
    qxbench::RandomWalkSource source(SharedBars());
    Formula formula(text, &source);
    if (!formula.parsed) state.SkipWithError("does not parse");
    const int last = static_cast<int>(kBarCount) - 1;
    formula.calculator->Calculate(0, last, false);
    formula.calculator->UpdateDisplayData();
    for (auto _ : state) {
        for (int i = 0; i < kCalls; ++i) {
            std::vector<QXDrawInfo::GraphDrawInfo> records;
            formula.calculator->GetDrawInfo(last - kVisible + 1, last, 0, nullptr, &records);
            benchmark::DoNotOptimize(records.data());
            formula.calculator->ReleaseDrawInfo(&records);
        }
    }
    SetUnits(state, kCalls);
}

void RegisterDrawInfo() {
    const benchmark::TimeUnit us = benchmark::kMicrosecond;
    Register(
        "draw GetDrawInfo MACD, 1000 bars/engine", [](benchmark::State& s) { DrawInfo(s, kMacd); },
        us);
    Register(
        "draw GetDrawInfo STICKLINE+DRAWTEXT, 1000 bars/engine",
        [](benchmark::State& s) { DrawInfo(s, kSticksAndTexts); }, us);
}

// Parsing: each example formula with the parameters its header comment names
// ("{params: N=12, M=26}"), as the host tool hands them over.
struct ExampleFormula {
    std::string name;
    std::string text;
    std::vector<std::string> paramNames;
    std::vector<float> paramValues;
};

void ReadParamsHeader(ExampleFormula& formula) {
    const size_t open = formula.text.find("{params:");
    const size_t close = formula.text.find('}', open);
    if (open == std::string::npos || close == std::string::npos) return;
    std::stringstream list(formula.text.substr(open + 8, close - open - 8));
    std::string entry;
    while (std::getline(list, entry, ',')) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) continue;
        std::stringstream name(entry.substr(0, equals));
        std::string trimmed;
        name >> trimmed;
        formula.paramNames.push_back(trimmed);
        formula.paramValues.push_back(std::stof(entry.substr(equals + 1)));
    }
}

std::vector<ExampleFormula> ExampleFormulas() {
    std::vector<ExampleFormula> formulas;
    for (const char* name : {"bias", "boll", "candles", "cci", "dmi", "drawing", "kdj", "ma_cross",
                             "macd", "obv", "psy", "rsi", "sar", "styles", "trix", "wr", "zig"}) {
        std::ifstream file(std::string(QX_EXAMPLES_DIR) + "/" + name + ".txt");
        std::stringstream text;
        text << file.rdbuf();
        if (!file) continue;
        ExampleFormula formula{name, text.str(), {}, {}};
        ReadParamsHeader(formula);
        formulas.push_back(formula);
    }
    return formulas;
}

// Ten statements of the usual kind, for the parsing target.
const char* const kTenLines =
    "DIF:EMA(CLOSE,12)-EMA(CLOSE,26);\nDEA:EMA(DIF,9);\nMACD:(DIF-DEA)*2,COLORSTICK;\n"
    "RSV:=(CLOSE-LLV(LOW,9))/(HHV(HIGH,9)-LLV(LOW,9))*100;\nK:SMA(RSV,3,1);\nD:SMA(K,3,1);\n"
    "J:3*K-2*D;\nMID:MA(CLOSE,20);\nUPPER:MID+2*STD(CLOSE,20);\n"
    "DRAWTEXT(CROSS(CLOSE,MID),LOW*0.97,'BUY'),COLORRED;";

void RegisterParse() {
    constexpr int kParses = 200;
    std::vector<ExampleFormula> formulas = ExampleFormulas();
    formulas.push_back({"ten-line formula", kTenLines, {}, {}});
    for (const ExampleFormula& formula : formulas) {
        Register(
            "parse " + formula.name + "/engine",
            [formula](benchmark::State& state) {
                for (auto _ : state) {
                    for (int i = 0; i < kParses; ++i) {
                        IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
                        bool ok =
                            parser->Parse(formula.text, formula.paramNames, formula.paramValues);
                        if (!ok) state.SkipWithError("does not parse");
                        IndexObjCreator::ReleaseIndexParserObj(&parser);
                    }
                }
                SetUnits(state, kParses);
            },
            benchmark::kMicrosecond);
    }
}

// Peak heap use of a whole-series MACD calculation, in bytes per bar, the series'
// memory included; the loop figure is the three output lines a loop library fills.
void RegisterMemory() {
    benchmark::RegisterBenchmark("memory MACD peak/engine", [](benchmark::State& state) {
        for (auto _ : state) {
            qxbench::RandomWalkSource source(SharedBars());
            Formula formula(kMacd, &source);
            const size_t before = qxbench::CurrentBytes();
            qxbench::ResetPeakBytes();
            formula.calculator->Calculate(0, static_cast<int>(kBarCount) - 1, false);
            state.counters["figure"] =
                static_cast<double>(qxbench::PeakBytes() - before) / kBarCount;
        }
    })->Iterations(1);
    benchmark::RegisterBenchmark("memory MACD peak/loop", [](benchmark::State& state) {
        for (auto _ : state) state.counters["figure"] = 3 * sizeof(double);
    })->Iterations(1);
}

// A chart opened on a short history: the whole series of 1,000 bars, so that what a
// Calculate costs whatever its length (plans, buffers, the store) shows.
void ShortHistory(benchmark::State& state, const std::string& text) {
    constexpr size_t kShortBars = 1000;
    static const qxbench::Bars bars = qxbench::MakeRandomWalk(kShortBars);
    qxbench::RandomWalkSource source(bars);
    for (auto _ : state) {
        Formula formula(text, &source);
        if (!formula.parsed) state.SkipWithError("does not parse");
        bool ok = formula.calculator->Calculate(0, static_cast<int>(kShortBars) - 1, false);
        benchmark::DoNotOptimize(ok);
    }
}

// A single call of some 50 us would measure mostly the state the rows before left
// the heap in; a few hundred of them give the cost itself.
void RegisterShortHistory() {
    const benchmark::TimeUnit us = benchmark::kMicrosecond;
    constexpr int kShortIterations = 300;
    Register(
        "short MACD, 1000 bars, parse and calculate/engine",
        [](benchmark::State& s) { ShortHistory(s, kMacd); }, us, kShortIterations);
    Register(
        "short KDJ, 1000 bars, parse and calculate/engine",
        [](benchmark::State& s) { ShortHistory(s, kKdj); }, us, kShortIterations);
}

// One formula per family of built-in functions, so that a family without a column
// form (or with a slow one) shows. Whole series of 1,000,000 bars, no loop. The
// twelfth family (chip distribution and the like, answered with constants) has no
// name in the formula vocabulary, so no formula text reaches it.
void RegisterFamilies() {
    // clang-format off
    static const char* const arrFamilies[][2] = {
        {"family arithmetic",     "A:ABS(CLOSE-OPEN)+MAX(HIGH-LOW,0)*SQRT(VOL)/100;"},
        {"family logic",          "A:CROSS(CLOSE,MA(CLOSE,20))+IF(CLOSE>OPEN,1,0)+EVERY(CLOSE>OPEN,3);"},
        {"family moving average", "A:WMA(CLOSE,10)+DMA(CLOSE,0.1)+SMA(CLOSE,10,2);"},
        {"family statistics",     "A:AVEDEV(CLOSE,20)+SLOPE(CLOSE,20);"},
        {"family date and time",  "A:YEAR+MONTH+WEEKDAY;"},
        {"family zigzag",         "A:SAR(10,2,20);"},
        {"family reference",      "A:REF(CLOSE,5)+REFV(CLOSE,3);"},
        {"family window",         "A:HHV(HIGH,20)-LLV(LOW,20)+SUM(VOL,10);"},
        {"family rank",           "A:TOPRANGE(HIGH);"},
        {"family bar count",      "A:BARSLAST(CLOSE>OPEN)+BARSCOUNT(CLOSE);"},
        {"family bar status",     "A:TR+BARSTATUS;"},
    };
    // clang-format on
    for (const auto& family : arrFamilies) {
        const std::string text = family[1];
        Register(std::string(family[0]) + "/engine",
                 [text](benchmark::State& state) { WholeSeries(state, text); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterWholeSeries();
    RegisterWindows();
    RegisterNewestBar();
    RegisterDrawInfo();
    RegisterShortHistory();
    RegisterFamilies();
    RegisterParse();
    RegisterMemory();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    qxbench::CRatioTable table;
    for (const char* row :
         {"whole MA(C,20)", "whole EMA(C,12)", "window MA N=5", "window MA N=500"}) {
        table.SetTarget(row, "<= 5, <= 3x");
    }
    for (const char* row :
         {"whole STD(C,20)", "whole HHV(H,20)", "window HHV N=5", "window HHV N=500",
          "window LLV N=5", "window LLV N=500", "window SUM N=5", "window SUM N=500",
          "window COUNT N=5", "window COUNT N=500", "window STD N=5", "window STD N=500"}) {
        table.SetTarget(row, "<= 3x");
    }
    table.SetTarget("whole MACD(12,26,9)", "<= 12, <= 3x");
    table.SetTarget("whole KDJ(9,3,3)", "<= 5x");
    table.SetTarget("window MA+HHV+LLV+SUM+COUNT+EMA N=5", "<= 5x");
    table.SetTarget("window MA+HHV+LLV+SUM+COUNT+EMA N=500", "<= 5x");
    table.SetTarget("append MACD, one new bar", "<= 1");
    table.SetTarget("forming MACD, last close changed", "<= 1");
    table.SetTarget("draw GetDrawInfo MACD, 1000 bars", "<= 50");
    table.SetTarget("draw GetDrawInfo STICKLINE+DRAWTEXT, 1000 bars", "<= 50");
    table.SetTarget("memory MACD peak", "<= 8 x series");
    table.SetTarget("parse ten-line formula", "<= 50");
    benchmark::RunSpecifiedBenchmarks(&table);
    benchmark::Shutdown();
    return 0;
}
