// The formula language reference keeps to the library: every example in it parses
// (or fails with the error it names) and calculates to the values it shows over the
// example bars, and every function, keyword and error code of the library is in it.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "docs/DocExamples.h"
#include "docs/ExampleBarSource.h"
#include "index/compiler/FunctionTable.h"
#include "index/frontend/FormulaError.h"
#include "index/frontend/KeywordTables.h"

namespace {

const std::string& LanguageDoc() {
    static const std::string s_strText = ReadDocument(QX_DOCS_DIR "/formula-language.md");
    return s_strText;
}

std::string UpperCase(std::string strText) {
    for (char& c : strText) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return strText;
}

// A name counts as documented where it opens a code span: `MA` or `MA(X,N)`.
bool IsDocumented(const std::string& strName) {
    const std::string& strDoc = LanguageDoc();
    return strDoc.find("`" + strName + "`") != std::string::npos ||
           strDoc.find("`" + strName + "(") != std::string::npos;
}

// The day fields of the date functions follow the local zone; the examples are
// written for UTC.
void UseUtc() {
    setenv("TZ", "UTC", 1);
    tzset();
}

struct ParserDeleter {
    void operator()(IIndexParser* p) const { IndexObjCreator::ReleaseIndexParserObj(&p); }
};
struct CalculatorDeleter {
    void operator()(IIndexCalculator* p) const { IndexObjCreator::ReleaseIndexCalculatorObj(&p); }
};

std::vector<CExampleBar> ExampleBars() {
    for (const CDocBlock& block : ReadFencedBlocks(LanguageDoc())) {
        if (block.m_strInfo == "bars") return ReadExampleBars(block);
    }
    return {};
}

// Parses one example; on failure reports the error record.
bool ParseExample(IIndexParser* pParser, const CFormulaExample& example, ParseErrorInfo* pError) {
    std::vector<std::string> vecNames;
    std::vector<float> vecValues;
    for (const auto& param : example.m_vecParams) {
        vecNames.push_back(param.first);
        vecValues.push_back(param.second);
    }
    const bool bParsed = pParser->Parse(example.m_strFormula, vecNames, vecValues);
    *pError = ParseErrorInfo{};
    pParser->GetError(pError);
    return bParsed;
}

int FindOutput(IIndexParser* pParser, const std::string& strName) {
    int nCount = 0;
    pParser->GetDrawStatementCount(&nCount);
    for (int k = 0; k < nCount; ++k) {
        char szName[64] = {};
        if (pParser->GetOutputName(k, szName, sizeof szName) && UpperCase(szName) == strName) {
            return k;
        }
    }
    return -1;
}

// The library's error texts are GBK; the document is UTF-8.
std::string GbkToUtf8(const std::string& strGbk) {
    iconv_t converter = iconv_open("UTF-8", "GBK");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "(no GBK converter)";
    std::string strIn = strGbk;
    std::string strOut(strGbk.size() * 2 + 4, '\0');
    char* pIn = strIn.data();
    char* pOut = strOut.data();
    size_t nIn = strIn.size();
    size_t nOut = strOut.size();
    const size_t nResult = iconv(converter, &pIn, &nIn, &pOut, &nOut);
    iconv_close(converter);
    if (nResult == static_cast<size_t>(-1)) return "(not GBK)";
    strOut.resize(strOut.size() - nOut);
    return strOut;
}

// The series as the document writes it, to four decimals at most.
std::string WrittenSeries(const std::vector<double>& vecValues, const bool* pValid) {
    std::string strLine;
    for (size_t i = 0; i < vecValues.size(); ++i) {
        char szValue[64] = "-";
        if (pValid[i]) {
            std::snprintf(szValue, sizeof szValue, "%.4f", vecValues[i]);
            std::string strValue = szValue;
            strValue.erase(strValue.find_last_not_of('0') + 1);
            if (strValue.back() == '.') strValue.pop_back();
            if (strValue == "-0") strValue = "0";
            std::snprintf(szValue, sizeof szValue, "%s", strValue.c_str());
        }
        strLine += ' ';
        strLine += szValue;
    }
    return strLine;
}

void CheckExample(const CFormulaExample& example, const std::vector<CExampleBar>& vecBars) {
    SCOPED_TRACE("formula-language.md line " + std::to_string(example.m_nLine) + ": " +
                 example.m_strFormula);
    ASSERT_TRUE(example.m_strProblem.empty()) << example.m_strProblem;
    std::unique_ptr<IIndexParser, ParserDeleter> parser(IndexObjCreator::CreateIndexParserObj());
    ParseErrorInfo error{};
    const bool bParsed = ParseExample(parser.get(), example, &error);
    if (example.m_bExpectsError) {
        EXPECT_FALSE(bParsed);
        EXPECT_EQ(error.code, example.m_nErrorCode);
        EXPECT_EQ(error.line + 1, example.m_nErrorLine);
        EXPECT_EQ(error.column, example.m_nErrorColumn);
        if (!example.m_strErrorText.empty()) {
            EXPECT_EQ(GbkToUtf8(error.text), example.m_strErrorText);
        }
        return;
    }
    ASSERT_TRUE(bParsed) << "error " << error.code << " at line " << error.line + 1 << ", column "
                         << error.column;

    CExampleBarSource source(vecBars);
    std::unique_ptr<IIndexCalculator, CalculatorDeleter> calculator(
        IndexObjCreator::CreateIndexCalculatorObj());
    const int nLast = static_cast<int>(vecBars.size()) - 1;
    ASSERT_TRUE(calculator->SetIndexParser(parser.get()));
    ASSERT_TRUE(calculator->SetDataSource(&source));
    ASSERT_TRUE(calculator->Calculate(0, nLast, false));
    ASSERT_TRUE(calculator->UpdateDisplayData());
    std::vector<QXDrawInfo::GraphDrawInfo> vecRecords;
    EXPECT_TRUE(calculator->GetDrawInfo(0, nLast, 0, nullptr, &vecRecords));
    std::vector<std::pair<int, std::string>> vecDrawnTexts;
    for (const QXDrawInfo::GraphDrawInfo& record : vecRecords) {
        for (const QXDrawInfo::TextDrawInfo& texts : record.texts) {
            for (const QXDrawInfo::TextItem& item : texts.items) {
                vecDrawnTexts.emplace_back(static_cast<int>(item.position.position), item.text);
            }
        }
    }
    calculator->ReleaseDrawInfo(&vecRecords);
    for (const auto& text : example.m_vecTexts) {
        EXPECT_NE(std::find(vecDrawnTexts.begin(), vecDrawnTexts.end(), text), vecDrawnTexts.end())
            << "no text '" << text.second << "' at bar " << text.first;
    }

    for (const CSeriesExpectation& series : example.m_vecSeries) {
        const int nOutput = FindOutput(parser.get(), series.m_strOutput);
        ASSERT_GE(nOutput, 0) << "no output " << series.m_strOutput;
        ASSERT_EQ(series.m_vecValues.size(), vecBars.size()) << series.m_strOutput;
        std::vector<double> vecValues(vecBars.size());
        std::unique_ptr<bool[]> arrValid(new bool[vecBars.size()]);
        ASSERT_TRUE(calculator->GetValues(nOutput, 0, nLast, vecValues.data(), arrValid.get()));
        bool bMatches = true;
        for (size_t i = 0; i < vecBars.size(); ++i) {
            const std::string& strWritten = series.m_vecValues[i];
            bMatches &= strWritten == "-"
                            ? !arrValid[i]
                            : arrValid[i] && MatchesWrittenValue(strWritten, vecValues[i]);
        }
        EXPECT_TRUE(bMatches) << "computed:\n=> " << series.m_strOutput << ":"
                              << WrittenSeries(vecValues, arrValid.get());
    }
}

TEST(FormulaLanguageDoc, ExamplesParseAndCalculateAsShown) {
    UseUtc();
    ASSERT_FALSE(LanguageDoc().empty());
    const std::vector<CExampleBar> vecBars = ExampleBars();
    ASSERT_GE(vecBars.size(), 5u) << "the example bars are missing or malformed";
    int nExamples = 0;
    int nValueLines = 0;
    for (const CDocBlock& block : ReadFencedBlocks(LanguageDoc())) {
        if (block.m_strInfo != "formula") continue;
        const CFormulaExample example = ReadFormulaExample(block);
        CheckExample(example, vecBars);
        ++nExamples;
        nValueLines += static_cast<int>(example.m_vecSeries.size());
    }
    // Guards against a change of markup that would silently check nothing.
    EXPECT_GE(nExamples, 35);
    EXPECT_GE(nValueLines, 100);
}

// Names come from the library's own tables, not from a copy in this test.
TEST(FormulaLanguageDoc, NamesEveryFunctionOfTheDescriptorTable) {
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        const std::string strName = GetFunctionDescriptor(i)->szName;
        EXPECT_TRUE(IsDocumented(strName)) << strName;
    }
}

TEST(FormulaLanguageDoc, NamesEveryKeywordOfTheFormulaText) {
    ASSERT_TRUE(BuildKeywordTables());
    for (const auto& keyword : GetKeywordTables().GetKeywordIds()) {
        if (!std::isalpha(static_cast<unsigned char>(keyword.first[0]))) continue;
        EXPECT_TRUE(IsDocumented(UpperCase(keyword.first))) << keyword.first;
    }
}

TEST(FormulaLanguageDoc, ExplainsEveryErrorCode) {
    const int arrCodes[] = {
        kErrorScriptWrite,      kErrorIllegalCharacter, kErrorUnknownName,    kErrorOperatorPair,
        kErrorDanglingOperator, kErrorMissingName,      kErrorSingleLogical,  kErrorTooManyLiterals,
        kErrorNameTooLong,      kErrorTooManyVariables, kErrorTooManyOutputs, kErrorParenthesis,
        kErrorArgumentCount,    kErrorMissingOperator,  kErrorRedefinition,   kErrorEmptyFormula,
        kErrorCompile,          kErrorSelfReference,
    };
    const std::string& strDoc = LanguageDoc();
    for (int nCode : arrCodes) {
        EXPECT_NE(strDoc.find("### Error " + std::to_string(nCode) + ":"), std::string::npos)
            << nCode;
        // The limits on variables and outputs need a thousand statements; the test
        // below writes those formulas out instead.
        if (nCode == kErrorTooManyVariables || nCode == kErrorTooManyOutputs) continue;
        EXPECT_NE(strDoc.find("=> error " + std::to_string(nCode) + " at"), std::string::npos)
            << "no checked example for error " << nCode;
    }
}

// Links inside the reference and from the embedding guide into it lead to a heading.
TEST(FormulaLanguageDoc, LinksLeadToHeadings) {
    const std::vector<std::string> vecHeadings = HeadingAnchors(LanguageDoc());
    const std::string strGuide = ReadDocument(QX_DOCS_DIR "/embedding.md");
    ASSERT_FALSE(strGuide.empty());
    std::vector<std::string> vecLinks = LinkedAnchors(LanguageDoc(), "");
    const std::vector<std::string> vecGuideLinks = LinkedAnchors(strGuide, "formula-language.md");
    vecLinks.insert(vecLinks.end(), vecGuideLinks.begin(), vecGuideLinks.end());
    EXPECT_GE(vecLinks.size(), 20u);
    for (const std::string& strLink : vecLinks) {
        EXPECT_NE(std::find(vecHeadings.begin(), vecHeadings.end(), strLink), vecHeadings.end())
            << strLink;
    }
}

// The formulas the reference describes for the limits on variables and outputs.
TEST(FormulaLanguageDoc, LimitsOnVariablesAndOutputs) {
    const struct {
        const char* pszDefine;
        int nCode;
    } arrCases[] = {{":=", kErrorTooManyVariables}, {":", kErrorTooManyOutputs}};
    for (const auto& limit : arrCases) {
        std::string strFormula;
        for (int i = 0; i <= 1000; ++i) {
            strFormula += "V" + std::to_string(i) + limit.pszDefine + "1;";
        }
        std::unique_ptr<IIndexParser, ParserDeleter> parser(
            IndexObjCreator::CreateIndexParserObj());
        EXPECT_FALSE(parser->Parse(strFormula, {}, {}));
        ParseErrorInfo error{};
        parser->GetError(&error);
        EXPECT_EQ(error.code, limit.nCode) << limit.pszDefine;
    }
}

}  // namespace
