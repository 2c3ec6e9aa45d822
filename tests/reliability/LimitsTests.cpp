// Hostile sizes: formulas nested far deeper than any expression tree may grow,
// very long formulas, and a million bars. Each must either work or fail with an
// error code, never overflow the stack, hang or take unbounded memory.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "index/calc/CIndexCalculator.h"
#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormula.h"
#include "index/compiler/ScriptSource.h"
#include "reliability/SteadyBars.h"

namespace {

constexpr int kDeepNesting = 100000;

std::string Repeat(const std::string& strPart, int nTimes) {
    std::string strText;
    strText.reserve(strPart.size() * static_cast<size_t>(nTimes));
    for (int i = 0; i < nTimes; ++i) strText += strPart;
    return strText;
}

struct CParseOutcome {
    bool m_bParsed = false;
    ParseErrorInfo m_error{};
    double m_dSeconds = 0.0;
};

CParseOutcome ParseFormula(const std::string& strText) {
    CParseOutcome outcome;
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    const auto start = std::chrono::steady_clock::now();
    outcome.m_bParsed = pParser->Parse(strText, {}, {});
    outcome.m_dSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    pParser->GetError(&outcome.m_error);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return outcome;
}

struct CNestingCase {
    const char* m_szName;
    std::string m_strFormula;
    int m_nCode;  // the error that reports the limit
};

// Every way the formula language nests: parentheses, calls, calls of several
// arguments, unary signs, and the same inside a drawing call.
std::vector<CNestingCase> DeepFormulas() {
    const int n = kDeepNesting;
    // 27: the compiled tree would be deeper than MAX_EXPRESSION_DEPTH. 16: each
    // unary sign brings an implicit zero, and they run out of literal slots first.
    return {
        {"parentheses", "a:" + Repeat("(", n) + "c" + Repeat(")", n) + ";", 27},
        {"calls", "a:" + Repeat("abs(", n) + "c" + Repeat(")", n) + ";", 27},
        {"two-argument calls", "a:" + Repeat("max(c,", n) + "c" + Repeat(")", n) + ";", 27},
        {"signs", "a:" + Repeat("-(", n) + "c" + Repeat(")", n) + ";", 16},
        {"drawing", "drawtext(c>o," + Repeat("(", n) + "c" + Repeat(")", n) + ",'x');", 27},
        {"unclosed", "a:" + Repeat("(", n) + "c;", 21},
        {"operator chain", "a:c" + Repeat("+c", n) + ";", 27},
    };
}

TEST(Limits, DeepNestingIsAnErrorNotAStackOverflow) {
    for (const CNestingCase& testCase : DeepFormulas()) {
        SCOPED_TRACE(testCase.m_szName);
        const CParseOutcome outcome = ParseFormula(testCase.m_strFormula);
        EXPECT_FALSE(outcome.m_bParsed);
        EXPECT_EQ(outcome.m_error.code, testCase.m_nCode);
        // Linear work: a check that rescans the rest of the statement for every
        // call would take minutes here.
        EXPECT_LT(outcome.m_dSeconds, 20.0);
    }
}

TEST(Limits, NestingUpToTheTreeLimitStillParses) {
    const int n = MAX_EXPRESSION_DEPTH / 2 - 2;
    const CParseOutcome outcome =
        ParseFormula("a:" + Repeat("abs(", n) + "c" + Repeat(")", n) + ";");
    EXPECT_TRUE(outcome.m_bParsed) << outcome.m_error.code;
}

TEST(Limits, DeepScriptsFailToCompile) {
    for (const std::string& strExpression :
         {Repeat("(", kDeepNesting) + "1" + Repeat(")", kDeepNesting),
          Repeat("ABS(", kDeepNesting) + "1" + Repeat(")", kDeepNesting),
          Repeat("X[", kDeepNesting) + "1" + Repeat("]", kDeepNesting),
          "1" + Repeat("+1", kDeepNesting)}) {
        ScriptSource source;
        source.vecVariableNames = {"X"};
        source.strScript = "X=" + strExpression + ";";
        CCalculateInfo info;
        CScriptCompiler compiler;
        EXPECT_EQ(compiler.Compile(&source, &info), COMPILE_ERROR);
    }
}

// About 10 MB in a thousand statements of balanced expressions (shallow trees),
// with a large comment in front: the parse succeeds and the result calculates.
std::string BalancedSum(int nLevels) {
    if (nLevels == 0) return "c";
    const std::string strHalf = BalancedSum(nLevels - 1);
    return "(" + strHalf + "+" + strHalf + ")";
}

TEST(Limits, TenMegabyteFormulaParsesAndCalculates) {
    std::string strFormula = "{" + std::string(2u << 20, 'x') + "}\n";
    const std::string strExpression = BalancedSum(11);  // 2048 leaves, 8 KB
    for (int i = 0; strFormula.size() < (10u << 20); ++i) {
        strFormula += (i % 2 == 0 ? "v" : "o") + std::to_string(i) + (i % 2 == 0 ? ":=" : ":") +
                      strExpression + "/2048;\n";
    }
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    ASSERT_TRUE(pParser->Parse(strFormula, {}, {}));
    int nLines = 0;
    ASSERT_TRUE(pParser->GetDrawStatementCount(&nLines));
    EXPECT_GT(nLines, 400);

    // Few bars: every one of them evaluates two and a half million nodes.
    CSteadyBars bars(8);
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    pCalculator->SetIndexParser(pParser);
    pCalculator->SetDataSource(&bars);
    ASSERT_TRUE(pCalculator->Calculate(0, 7, false));
    ASSERT_TRUE(pCalculator->UpdateDisplayData());
    double dValue = 0.0;
    ASSERT_TRUE(pCalculator->GetValue(nLines - 1, 5, &dValue));
    EXPECT_DOUBLE_EQ(dValue, CSteadyBars::CloseAt(5));
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
}

TEST(Limits, TenMegabyteStatementFailsCleanly) {
    // One statement of 10 MB: too many literals for the per-formula tables.
    const CParseOutcome outcome = ParseFormula("a:c" + Repeat("+1", 5 << 20) + ";");
    EXPECT_FALSE(outcome.m_bParsed);
    EXPECT_EQ(outcome.m_error.code, 16);
}

TEST(Limits, MillionBarsCalculateAndDraw) {
    constexpr int kBars = 1000000;
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    ASSERT_TRUE(pParser->Parse("m:ma(c,5);hi:hhv(h,20);drawtext(cross(c,m),l,'x');", {}, {}));
    CSteadyBars bars(kBars);
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    pCalculator->SetIndexParser(pParser);
    pCalculator->SetDataSource(&bars);
    ASSERT_TRUE(pCalculator->Calculate(0, kBars - 1, false));
    ASSERT_TRUE(pCalculator->UpdateDisplayData());
    double dValue = 0.0;
    ASSERT_TRUE(pCalculator->GetValue(1, kBars - 1, &dValue));
    EXPECT_DOUBLE_EQ(dValue, 100.0 + 49 + 1);
    double dMin = 0.0, dMax = 0.0;
    ASSERT_TRUE(pCalculator->GetValueRange(0, kBars - 1, nullptr, &dMin, &dMax));
    std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
    ASSERT_TRUE(pCalculator->GetDrawInfo(kBars - 1000, kBars - 1, 0, nullptr, &vecInfos));
    EXPECT_EQ(vecInfos.size(), 3u);
    pCalculator->ReleaseDrawInfo(&vecInfos);
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
}

// Variables that each name the one before: evaluation recurses once per link.
// Within the evaluation nesting limit the value arrives; past it the bar has no
// value, and nothing overflows the stack.
TEST(Limits, LongChainsOfVariablesStayOnTheStack) {
    struct CChainCase {
        int m_nLinks;
        bool m_bValue;
    };
    for (const CChainCase& chain : {CChainCase{300, true}, CChainCase{999, false}}) {
        SCOPED_TRACE(chain.m_nLinks);
        std::string strFormula = "v0:=c;";
        for (int i = 1; i < chain.m_nLinks; ++i) {
            strFormula += "v" + std::to_string(i) + ":=ref(v" + std::to_string(i - 1) + ",0)+1;";
        }
        strFormula += "top:v" + std::to_string(chain.m_nLinks - 1) + ";";
        IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
        ASSERT_TRUE(pParser->Parse(strFormula, {}, {}));
        CSteadyBars bars(20);
        IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
        pCalculator->SetIndexParser(pParser);
        pCalculator->SetDataSource(&bars);
        ASSERT_TRUE(pCalculator->Calculate(0, 19, false));
        ASSERT_TRUE(pCalculator->UpdateDisplayData());
        double dValue = 0.0;
        EXPECT_EQ(pCalculator->GetValue(0, 10, &dValue), chain.m_bValue);
        if (chain.m_bValue) {
            EXPECT_DOUBLE_EQ(dValue, CSteadyBars::CloseAt(10) + chain.m_nLinks - 1);
        }
        IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
        IndexObjCreator::ReleaseIndexParserObj(&pParser);
    }
}

// A source that reports more bars than a calculation takes on is refused before
// anything is allocated; readers answer at once.
TEST(Limits, AbsurdBarCountsAreRefused) {
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    ASSERT_TRUE(pParser->Parse("a:ma(c,5);drawtext(c>o,l,'x');", {}, {}));
    for (const int nBars : {MAX_BAR_COUNT + 1, INT_MAX}) {
        SCOPED_TRACE(nBars);
        CSteadyBars bars(nBars);
        IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
        pCalculator->SetIndexParser(pParser);
        pCalculator->SetDataSource(&bars);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pCalculator->Calculate(0, nBars - 1, false));
        EXPECT_FALSE(pCalculator->Calculate(nBars - 20, nBars - 1, false));
        EXPECT_FALSE(pCalculator->UpdateDisplayData());
        double dMin = 0.0, dMax = 0.0;
        EXPECT_FALSE(pCalculator->GetValueRange(0, nBars - 1, nullptr, &dMin, &dMax));
        std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
        pCalculator->GetDrawInfo(0, nBars - 1, 0, nullptr, &vecInfos);
        pCalculator->ReleaseDrawInfo(&vecInfos);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  5.0);
        IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    }
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
}

// Counts what the calculator reads, the measure of its work on a formula.
class CCountedBars : public CSteadyBars {
public:
    using CSteadyBars::CSteadyBars;
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        ++m_nReads;
        return CSteadyBars::GetFieldValue(fieldId, bar, value);
    }
    long long m_nReads = 0;
};

struct CLineRun {
    std::vector<double> m_vecValues;
    std::vector<bool> m_vecValid;
    long long m_nReads = 0;
};

// The formula's last line over nBars steady bars, and the reads it took.
CLineRun RunLastLine(const std::string& strFormula, int nBars) {
    CLineRun run;
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    EXPECT_TRUE(pParser->Parse(strFormula, {}, {})) << strFormula;
    int nLines = 0;
    pParser->GetDrawStatementCount(&nLines);
    CCountedBars bars(nBars);
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    pCalculator->SetIndexParser(pParser);
    pCalculator->SetDataSource(&bars);
    EXPECT_TRUE(pCalculator->Calculate(0, nBars - 1, false));
    EXPECT_TRUE(pCalculator->UpdateDisplayData());
    run.m_nReads = bars.m_nReads;
    run.m_vecValues.assign(static_cast<size_t>(nBars), 0.0);
    std::unique_ptr<bool[]> pValid(new bool[static_cast<size_t>(nBars)]());
    EXPECT_TRUE(
        pCalculator->GetValues(nLines - 1, 0, nBars - 1, run.m_vecValues.data(), pValid.get()));
    run.m_vecValid.assign(pValid.get(), pValid.get() + nBars);
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return run;
}

// Windows over calls read the inner call at other bars than the one they compute;
// the inner values are kept, so a nested formula costs what the same formula written
// with variables costs and gives the same numbers, however deep the nesting. Periods
// far longer than the data cost no more than the data is long.
TEST(Limits, NestedWindowsAndHugePeriodsCostWhatTheirDataCosts) {
    constexpr int kBars = 20000;
    // clang-format off
    const struct { const char* m_szName; const char* m_szNested; const char* m_szWritten; } arrCases[] = {
        {"moving averages", "a:ma(ma(ma(ma(c,50),50),50),50);",
                            "v1:=ma(c,50);v2:=ma(v1,50);v3:=ma(v2,50);a:ma(v3,50);"},
        {"mixed windows",   "a:std(hhv(sum(c+1,30),20),10)+ref(ma(c,40),5);",
                            "v1:=sum(c+1,30);v2:=hhv(v1,20);v3:=ma(c,40);a:std(v2,10)+ref(v3,5);"},
        {"seeded averages", "a:expmema(expmema(c+1,3000),3000);",
                            "v1:=expmema(c+1,3000);a:expmema(v1,3000);"},
        {"constant, huge period", "a:expmema(250,2147483647);", "a:250;"},
        {"series, huge period",   "a:expmema(c,2147483647);",   "a:drawnull;"},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.m_szName);
        const CLineRun nested = RunLastLine(row.m_szNested, kBars);
        const CLineRun written = RunLastLine(row.m_szWritten, kBars);
        EXPECT_LE(nested.m_nReads, 2 * written.m_nReads + kBars);
        ASSERT_EQ(nested.m_vecValid, written.m_vecValid);
        for (int i = 0; i < kBars; ++i) {
            if (written.m_vecValid[static_cast<size_t>(i)]) {
                ASSERT_EQ(nested.m_vecValues[static_cast<size_t>(i)],
                          written.m_vecValues[static_cast<size_t>(i)])
                    << "bar " << i;
            }
        }
    }
}

// A window far longer than usual costs what a short one costs, its first bars
// included, where the window still grows from the first bar.
TEST(Limits, LongWindowsCostWhatShortOnesCost) {
    constexpr int kBars = 20000;
    for (const char* szCall :
         {"ma(c,N)", "sum(c,N)", "count(c>o,N)", "exist(c>o,N)", "hhv(h,N)", "llvbars(l,N)",
          "std(c,N)", "expmema(c,N)", "mema(c,N)", "every(c>o,N)", "xma(c,N)", "devsq(c,N)",
          "covar(c,o,N)", "relate(c,o,N)"}) {
        SCOPED_TRACE(szCall);
        std::string strShort = std::string("a:") + szCall + ";";
        std::string strLong = strShort;
        strShort.replace(strShort.find('N'), 1, "5");
        strLong.replace(strLong.find('N'), 1, std::to_string(kBars / 2));
        EXPECT_LE(RunLastLine(strLong, kBars).m_nReads,
                  2 * RunLastLine(strShort, kBars).m_nReads + kBars);
    }
}

}  // namespace
