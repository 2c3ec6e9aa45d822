// Column-at-a-time evaluation gives the bar-by-bar doubles, bit for bit: every
// example formula over bars made to provoke the rules that depend on evaluation
// order (invalid gaps, constant runs, ties within epsilon, huge, tiny and
// non-finite values), whole and in random spans with forming-bar changes and
// growth; and the fuzz target's generated formulas over many random inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/RangeDifferential.h"
#include "index/functions/ValueConventions.h"

namespace {

namespace fs = std::filesystem;

enum class BarPattern { Gaps, ConstantRuns, EpsilonTies, Extremes };

// Every field id answers with its own series of the chosen pattern; the last bar
// can be replaced, as a forming bar is.
class CPatternSource : public IIndexDataSource {
public:
    CPatternSource(BarPattern pattern, int nBars, unsigned nSeed)
        : m_pattern(pattern), m_random(nSeed) {
        Grow(nBars);
    }

    void Grow(int nBars) {
        for (int i = 0; i < nBars; ++i) {
            const int nBar = static_cast<int>(m_vecBase.size());
            m_dWalk += std::uniform_real_distribution<double>(-1.0, 1.0)(m_random);
            m_vecBase.push_back(MakeValue(nBar));
        }
    }
    void ReplaceLast() {
        if (!m_vecBase.empty())
            m_vecBase.back() = MakeValue(static_cast<int>(m_vecBase.size()) - 1);
    }
    int Count() const { return static_cast<int>(m_vecBase.size()); }

    void GetBarCount(int* count) override { *count = Count(); }
    bool GetAvailableBarCount(int* count) override {
        *count = Count();
        return true;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (fieldId < 1 || fieldId > 16 || bar < 0 || bar >= Count()) return false;
        const double dBase = m_vecBase[static_cast<size_t>(bar)];
        if (IsInvalid(dBase)) return false;
        // High above low, volume positive, the others around the walk.
        *value =
            std::isfinite(dBase) && std::fabs(dBase) < 1e200 ? dBase + (fieldId % 4) * 0.25 : dBase;
        return true;
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        *boundary = direction == 0 ? bar - 50 : bar + 50;
    }
    void GetBarPeriod(int* kind, int* length) override {
        *kind = 5;
        *length = 1;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        *time = 1600000000LL + 86400LL * bar;
        return bar >= 0 && bar < Count();
    }
    void FindBarByTime(int64_t time, int* bar) override {
        *bar = static_cast<int>((time - 1600000000LL) / 86400LL);
    }
    bool GetDateTime(int64_t, int64_t*) override { return false; }

private:
    double MakeValue(int nBar) {
        const double dPrice = 100.0 + m_dWalk;
        switch (m_pattern) {
            case BarPattern::Gaps:
                return nBar % 17 == 3 || (nBar / 40) % 7 == 2 ? INVALID_VALUE : dPrice;
            case BarPattern::ConstantRuns:
                return std::floor(nBar / 30.0) + (nBar % 61 == 0 ? INVALID_VALUE : 0.0);
            case BarPattern::EpsilonTies:
                return 50.0 + ((nBar / 3) % 2) * 5e-8 + (nBar % 23 == 0 ? 1.0 : 0.0);
            case BarPattern::Extremes: {
                static const double arrValues[] = {
                    1e300,    -1e300,    1e-300,
                    0.0,      -0.0,      std::numeric_limits<double>::quiet_NaN(),
                    HUGE_VAL, -HUGE_VAL, INVALID_VALUE};
                return nBar % 5 == 4 ? arrValues[(nBar / 5) % 9] : dPrice;
            }
        }
        return dPrice;
    }

    BarPattern m_pattern;
    std::mt19937 m_random;
    double m_dWalk = 0.0;
    std::vector<double> m_vecBase;
};

struct ExampleFormula {
    std::string strName;
    std::string strText;
    std::vector<std::string> vecParamNames;
    std::vector<float> vecParamValues;
};

std::vector<ExampleFormula> ReadExamples() {
    std::vector<ExampleFormula> vecExamples;
    for (const fs::directory_entry& entry : fs::directory_iterator(QX_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        std::ifstream stream(entry.path());
        std::stringstream text;
        text << stream.rdbuf();
        ExampleFormula example{entry.path().stem().string(), text.str(), {}, {}};
        std::smatch header;
        if (std::regex_search(example.strText, header, std::regex(R"(\{params:([^}]*)\})"))) {
            const std::string strList = header[1];
            const std::regex param(R"((\w+)\s*=\s*(-?[0-9.]+))");
            for (auto it = std::sregex_iterator(strList.begin(), strList.end(), param);
                 it != std::sregex_iterator(); ++it) {
                example.vecParamNames.push_back((*it)[1]);
                example.vecParamValues.push_back(std::stof((*it)[2]));
            }
        }
        vecExamples.push_back(example);
    }
    std::sort(
        vecExamples.begin(), vecExamples.end(),
        [](const ExampleFormula& a, const ExampleFormula& b) { return a.strName < b.strName; });
    return vecExamples;
}

TEST(RangeDifferential, EveryExampleOnEveryPatternWholeAndInSpans) {
    const std::vector<ExampleFormula> vecExamples = ReadExamples();
    ASSERT_GE(vecExamples.size(), 10u);
    for (const ExampleFormula& example : vecExamples) {
        for (const BarPattern pattern : {BarPattern::Gaps, BarPattern::ConstantRuns,
                                         BarPattern::EpsilonTies, BarPattern::Extremes}) {
            SCOPED_TRACE(example.strName + " pattern " + std::to_string(static_cast<int>(pattern)));
            IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
            ASSERT_TRUE(
                pParser->Parse(example.strText, example.vecParamNames, example.vecParamValues))
                << example.strText;
            std::mt19937 random(static_cast<unsigned>(example.strName.size()) * 31u +
                                static_cast<unsigned>(pattern));
            CPatternSource source(pattern, 5000, random());
            {
                // Whole series at once, then a forming bar and new bars.
                CRangeDifferential whole(pParser, &source);
                whole.Calculate(0, source.Count() - 1, false);
                EXPECT_EQ(whole.Compare(), "");
                source.ReplaceLast();
                whole.Calculate(source.Count() - 1, source.Count() - 1, true);
                EXPECT_EQ(whole.Compare(), "");
                source.Grow(300);
                whole.Calculate(source.Count() - 300, source.Count() - 1, false);
                EXPECT_EQ(whole.Compare(), "");
            }
            {
                // Random spans in order, with the forming bar changing in between.
                CRangeDifferential spans(pParser, &source);
                int nFrom = 0;
                while (nFrom < source.Count()) {
                    const int nTo =
                        std::min(source.Count() - 1,
                                 nFrom + std::uniform_int_distribution<int>(0, 900)(random));
                    spans.Calculate(nFrom, nTo, false);
                    if (nTo % 3 == 0) spans.Calculate(nTo, nTo, true);
                    nFrom = nTo + 1;
                }
                EXPECT_EQ(spans.Compare(), "");
                // A scroll back into a window that starts later.
                spans.Calculate(source.Count() / 2, source.Count() - 1, false);
                spans.Calculate(100, 1200, false);
                EXPECT_EQ(spans.Compare(), "");
            }
            IndexObjCreator::ReleaseIndexParserObj(&pParser);
        }
    }
}

// The fuzz target's own operations over inputs from a fixed seed: generated formulas
// over every function of the vocabulary. The target stops the process on a difference.
TEST(RangeDifferential, GeneratedFormulas) {
    std::mt19937 random(20261207u);
    for (int nInput = 0; nInput < 1500; ++nInput) {
        std::vector<uint8_t> vecBytes(
            static_cast<size_t>(std::uniform_int_distribution<int>(64, 3000)(random)));
        for (uint8_t& nByte : vecBytes) nByte = static_cast<uint8_t>(random());
        EXPECT_EQ(FuzzRange(vecBytes.data(), vecBytes.size()), 0);
    }
}

}  // namespace
