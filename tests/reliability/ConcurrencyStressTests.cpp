// Concurrency stress, run under ThreadSanitizer (label "threads"): many threads
// parsing at once from the very first parse of the process, and calculators each
// with one calculating thread, several readers and a thread that stops the
// calculation at random moments. Readers must only ever see one whole published
// calculation: the one before or the one being published.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "CParserHelper.h"
#include "IIndexDataSource.h"
#include "IndexObjCreator.h"
#include "index/functions/ValueConventions.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds per stress; QX_STRESS_SECONDS lengthens it for a long run by hand.
double StressSeconds() {
    const char* szSeconds = std::getenv("QX_STRESS_SECONDS");
    const double dSeconds = szSeconds != nullptr ? std::atof(szSeconds) : 0.0;
    return dSeconds > 0.0 ? dSeconds : 2.0;
}

struct CParseResult {
    bool m_bParsed = false;
    int m_nCode = 0;
    int m_nPosition = 0;
    int m_nLines = 0;
    bool operator==(const CParseResult& other) const {
        return m_bParsed == other.m_bParsed && m_nCode == other.m_nCode &&
               m_nPosition == other.m_nPosition && m_nLines == other.m_nLines;
    }
};

const std::vector<std::string>& StressFormulas() {
    static const std::vector<std::string> s_vecFormulas = {
        "ma5:ma(close,5),colorred;ma10:ma(close,10);",
        "x:=c>o and c>ref(c,1);drawtext(x,l,'up');",
        "dif:ema(c,12)-ema(c,26);dea:ema(dif,9);macd:(dif-dea)*2,colorstick;",
        "a:sma(c,n,1)+hhv(h,n)-llv(l,n);",
        "stickline(c>o,c,o,3,0),colorred;drawkline(h,o,l,c);",
        "a:c;a:o;",
        "a:=a+1;",
        "a:ma(close);",
        "a:c==o;",
        "",
        "z:zig(3,10);p:peak(3,10,1);s:sar(10,2,20);",
        "v:vol,volstick;m:ma(v,5);",
    };
    return s_vecFormulas;
}

CParseResult ParseOnce(const std::string& strFormula) {
    CParseResult result;
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    result.m_bParsed = pParser->Parse(strFormula, {"n"}, {14.0f});
    ParseErrorInfo error;
    pParser->GetError(&error);
    result.m_nCode = error.code;
    result.m_nPosition = error.position;
    pParser->GetDrawStatementCount(&result.m_nLines);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return result;
}

// Runs first in its process (ctest starts every test on its own), so the
// keyword tables and the field map are built while other threads race to use them.
TEST(ConcurrencyStress, ManyThreadsParseAtOnceFromTheFirstParse) {
    constexpr int kThreads = 8;
    const std::vector<std::string>& vecFormulas = StressFormulas();
    const auto end = Clock::now() + std::chrono::duration<double>(StressSeconds());
    std::vector<std::vector<std::vector<CParseResult>>> vecSeen(
        kThreads, std::vector<std::vector<CParseResult>>(vecFormulas.size()));
    std::atomic<bool> bGo{false};
    std::vector<std::thread> vecThreads;
    for (int t = 0; t < kThreads; ++t) {
        vecThreads.emplace_back([&, t] {
            while (!bGo) std::this_thread::yield();
            for (size_t k = static_cast<size_t>(t);
                 Clock::now() < end || k < vecFormulas.size() + static_cast<size_t>(t); ++k) {
                const size_t nFormula = k % vecFormulas.size();
                // The client's keyword helpers read the tables without the lock.
                CParserHelper::IsFunc("ma");
                CParserHelper::IsConst("colorred");
                vecSeen[t][nFormula].push_back(ParseOnce(vecFormulas[nFormula]));
            }
        });
    }
    bGo = true;
    for (std::thread& thread : vecThreads) thread.join();

    for (size_t k = 0; k < vecFormulas.size(); ++k) {
        SCOPED_TRACE(vecFormulas[k]);
        const CParseResult expected = ParseOnce(vecFormulas[k]);
        for (int t = 0; t < kThreads; ++t) {
            for (const CParseResult& seen : vecSeen[t][k]) ASSERT_TRUE(seen == expected);
        }
    }
    EXPECT_TRUE(CParserHelper::IsFunc("ma"));
}

// Bars whose closes carry the number of the calculation that read them:
// close = 100 + bar % 50 + 1000 * generation. Only the calculating thread moves
// the generation, between calculations.
class CGenerationBars : public IIndexDataSource {
public:
    explicit CGenerationBars(int nBars) : m_nBars(nBars) {}

    std::atomic<int> m_nGeneration{0};

    void GetBarCount(int* count) override { *count = m_nBars; }
    bool GetAvailableBarCount(int* count) override {
        *count = m_nBars;
        return true;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (bar < 0 || bar >= m_nBars || fieldId < 1 || fieldId > 6) return false;
        const double dClose =
            100.0 + bar % 50 + 1000.0 * m_nGeneration.load(std::memory_order_relaxed);
        *value = fieldId == 1 ? dClose + 1.0 : fieldId == 3 ? dClose - 1.0 : dClose;
        return true;
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int, int* boundary) override { *boundary = bar; }
    void GetBarPeriod(int*, int*) override {}
    bool GetBarTime(int bar, int64_t* time) override {
        *time = 1600000000LL + 86400LL * bar;
        return true;
    }
    void FindBarByTime(int64_t, int* bar) override { *bar = -1; }
    bool GetDateTime(int64_t, int64_t*) override { return false; }

private:
    int m_nBars;
};

// The generation a whole series of closes belongs to, or -1 when its values mix
// generations (a torn read). Bars without a value are ignored.
int GenerationOf(const std::vector<double>& vecValues, const bool* pValid, int nFrom) {
    int nGeneration = -2;
    for (size_t i = 0; i < vecValues.size(); ++i) {
        if (!pValid[i]) continue;
        const double dBase = 100.0 + (nFrom + static_cast<int>(i)) % 50;
        const int nSeen = static_cast<int>((vecValues[i] - dBase) / 1000.0 + 0.5);
        if (vecValues[i] != dBase + 1000.0 * nSeen) return -1;
        if (nGeneration != -2 && nSeen != nGeneration) return -1;
        nGeneration = nSeen;
    }
    return nGeneration;
}

struct CCalculatorRun {
    int m_nPublished = 0;
    int m_nStoppedOrFailed = 0;
    long m_nReads = 0;
    std::atomic<int> m_nFaults{0};
};

void StressOneCalculator(IIndexParser* pParser, CCalculatorRun& run, unsigned nSeed) {
    constexpr int kBars = 2000;
    constexpr int kReaders = 3;
    CGenerationBars bars(kBars);
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    pCalculator->SetIndexParser(pParser);
    pCalculator->SetDataSource(&bars);
    // Generations whose publication has finished, and the one being calculated:
    // a reader must see a generation between the two values it read around its call.
    std::atomic<int> nPublished{-1};
    std::atomic<int> nCalculating{0};
    std::atomic<bool> bDone{false};
    std::atomic<long> nLongestCalculation{1000};
    const auto end = Clock::now() + std::chrono::duration<double>(StressSeconds());

    std::thread calculating([&] {
        for (int nGeneration = 0; Clock::now() < end; ++nGeneration) {
            nCalculating = nGeneration;
            bars.m_nGeneration = nGeneration;
            const auto start = Clock::now();
            const bool bCalculated = pCalculator->Calculate(0, kBars - 1, false);
            const long nMicroseconds = static_cast<long>(
                std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start)
                    .count());
            if (nMicroseconds > nLongestCalculation) nLongestCalculation = nMicroseconds;
            if (bCalculated && pCalculator->UpdateDisplayData()) {
                nPublished = nGeneration;
                ++run.m_nPublished;
            } else {
                ++run.m_nStoppedOrFailed;
            }
            // Now and then a window inside the last one, which must not recompute.
            pCalculator->Calculate(10, 20, false);
        }
        bDone = true;
    });
    std::thread stopping([&] {
        std::mt19937 random(nSeed);
        while (!bDone) {
            // Anywhere within twice the longest calculation so far, so that about
            // half of them are stopped, however slow a sanitizer makes them.
            const long nSpan = 2 * nLongestCalculation.load() + 1;
            std::this_thread::sleep_for(std::chrono::microseconds(random() % nSpan));
            pCalculator->StopCalculate();
        }
    });
    std::vector<std::thread> vecReaders;
    std::atomic<long> nReads{0};
    for (int r = 0; r < kReaders; ++r) {
        vecReaders.emplace_back([&, r] {
            std::vector<double> vecValues(kBars);
            std::unique_ptr<bool[]> pValid(new bool[kBars]);
            // The range of the curve alone: the other statements' values differ.
            const std::set<int> setOthers = {1, 2, 3};
            while (!bDone) {
                const int nBefore = nPublished.load();
                int nSeen = -2;
                if (r == 0 &&
                    pCalculator->GetValues(0, 0, kBars - 1, vecValues.data(), pValid.get())) {
                    nSeen = GenerationOf(vecValues, pValid.get(), 0);
                } else if (r == 1) {
                    double dMin = 0.0, dMax = 0.0;
                    // Before the first publication the range is that of the bars
                    // calculated so far, so only a published range is judged.
                    if (pCalculator->GetValueRange(0, kBars - 1, &setOthers, &dMin, &dMax) &&
                        nBefore >= 0) {
                        nSeen = static_cast<int>((dMin - 100.0) / 1000.0 + 0.5);
                        if (dMax - dMin != 49.0 || dMin != 100.0 + 1000.0 * nSeen) nSeen = -1;
                    }
                } else if (r == 2) {
                    std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
                    if (pCalculator->GetDrawInfo(0, kBars - 1, 0, nullptr, &vecInfos) &&
                        !vecInfos.empty() && !vecInfos[0].curves.empty()) {
                        std::vector<double> vecCurve;
                        for (const auto& segment : vecInfos[0].curves[0].items) {
                            for (const auto& point : segment.points.GetPoint()) {
                                vecCurve.push_back(point.value);
                            }
                        }
                        std::unique_ptr<bool[]> pAll(new bool[vecCurve.size() + 1]);
                        for (size_t i = 0; i < vecCurve.size(); ++i) pAll[i] = true;
                        // A whole curve starts at bar 0 and has a point per bar.
                        if (vecCurve.size() == static_cast<size_t>(kBars)) {
                            nSeen = GenerationOf(vecCurve, pAll.get(), 0);
                        }
                    }
                    pCalculator->ReleaseDrawInfo(&vecInfos);
                }
                const int nAfter = nCalculating.load();
                ++nReads;
                if (nSeen == -1 || (nSeen >= 0 && (nSeen < nBefore || nSeen > nAfter))) {
                    ++run.m_nFaults;
                    std::fprintf(stderr, "reader %d saw %d between %d and %d\n", r, nSeen, nBefore,
                                 nAfter);
                }
            }
        });
    }
    calculating.join();
    stopping.join();
    for (std::thread& reader : vecReaders) reader.join();
    run.m_nReads = nReads;
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
}

TEST(ConcurrencyStress, ReadersSeeOnlyWholePublishedCalculations) {
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    // The curve first; the other statements make the calculation long enough to
    // be stopped half-way and bring the function library's shared index into play.
    ASSERT_TRUE(pParser->Parse("a:c;m:ma(c,5);s:std(c,20);drawtext(cross(c,m),l,'x');", {}, {}));
    constexpr int kCalculators = 2;
    CCalculatorRun arrRuns[kCalculators];
    std::vector<std::thread> vecCalculators;
    for (int i = 0; i < kCalculators; ++i) {
        vecCalculators.emplace_back([&, i] { StressOneCalculator(pParser, arrRuns[i], 17u + i); });
    }
    for (std::thread& thread : vecCalculators) thread.join();
    IndexObjCreator::ReleaseIndexParserObj(&pParser);

    for (const CCalculatorRun& run : arrRuns) {
        EXPECT_EQ(run.m_nFaults.load(), 0);
        EXPECT_GT(run.m_nPublished, 0);
        EXPECT_GT(run.m_nReads, 0);
        std::printf("published %d, stopped or failed %d, reads %ld\n", run.m_nPublished,
                    run.m_nStoppedOrFailed, run.m_nReads);
    }
}

}  // namespace
