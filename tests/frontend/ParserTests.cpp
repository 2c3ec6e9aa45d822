// Parse as the client calls it: error records, refusals, the bundled example
// formulas, formulas that once broke something, and random input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ParserTestSupport.h"
#include "index/frontend/FormulaError.h"
#include "index/frontend/ScriptWriter.h"

#ifndef QX_EXAMPLES_DIR
#error "QX_EXAMPLES_DIR must name the folder of the example formulas"
#endif

namespace {

std::string Repeat(const std::string& strPiece, int nTimes) {
    std::string strText;
    for (int i = 0; i < nTimes; ++i) strText += strPiece;
    return strText;
}

struct CErrorCase {
    std::string strFormula;
    ParamList params;
    int nCode;
    int nLine;
    int nPosition;
    int nColumn;
    std::string strText;
};

TEST(Parser, FirstErrorRecord) {
    const std::string strSyntax = kTextSyntaxError;
    const std::string strSelf = kTextSelfReference;
    // The stores of names are filled to their limits.
    std::string strOutputs;
    std::string strVariables;
    for (int k = 0; k < 1000; ++k) {
        strOutputs += "o" + std::to_string(k) + ":1;";
        strVariables += "v" + std::to_string(k) + ":=1;";
    }
    const int nOutputsEnd = static_cast<int>(strOutputs.size());
    const CErrorCase cases[] = {
        {"A:C AND -1;", {}, 8, 0, 8, 8, strSyntax},
        {"A:DRAWTEXT(C>O,L,'UP');", {}, 8, 0, 2, 2, std::string("drawtext") + kTextNotSupported},
        {"A:C,1;", {}, 10, 0, 3, 3, ""},
        {"A:FOO;", {}, 11, 0, 2, 2, ""},
        {"A:C;\nB:O;\nX:Q;", {}, 11, 2, 12, 3, ""},
        {"A:C==O;", {}, 12, 0, 3, 3, ""},
        {"A:(C+);", {}, 12, 0, 5, 5, ""},
        {"A:MA(C,);", {}, 12, 0, 7, 7, ""},
        {"A:C>;", {}, 13, 0, 3, 3, ""},
        {":=C;", {}, 14, 0, 0, 0, ""},
        {"B:C;A:B:O;", {}, 14, 0, 7, 7, ""},
        {"A:C&O;", {}, 15, 0, 3, 3, ""},
        {"A:" + Repeat("1+", 3000) + "1;", {}, 16, 0, 6002, 6002, ""},
        {std::string(33, 'a') + ":C;", {}, 17, 0, 0, 0, ""},
        {strVariables + "w:=1;", {}, 18, 0, nOutputsEnd + 1000, nOutputsEnd + 1000, ""},
        {strOutputs + "extra:1;", {}, 19, 0, nOutputsEnd, nOutputsEnd, ""},
        {strOutputs + "C;", {}, 19, 0, nOutputsEnd, nOutputsEnd, ""},
        {"A:MA CLOSE,5;", {}, 21, 0, 2, 2, ""},
        {"A:(C;", {}, 21, 0, 2, 2, ""},
        {"A:MA(CLOSE);", {}, 22, 0, 2, 2, ""},
        {"A:C+;", {}, 22, 0, 3, 3, ""},
        {"A:MA(,C);", {}, 22, 0, 5, 5, ""},
        {"A:DATE(1);", {}, 22, 0, 2, 2, ""},
        {"A:C O;", {}, 23, 0, 4, 4, ""},
        {"A:C MA(C,5);", {}, 23, 0, 4, 4, ""},
        {"A:C;A:O;", {}, 24, 0, 4, 4, ""},
        {"N:C;", {{"n", 1}}, 24, 0, 0, 0, ""},  // a parameter is no new name
        {"", {}, 26, 0, 0, 0, ""},
        {" ;\r\n{only a comment}\n", {}, 26, 0, 0, 0, ""},
        {"A:=A+1;", {}, 28, 0, 3, 3, strSelf},
    };
    for (const CErrorCase& row : cases) {
        SCOPED_TRACE(row.strFormula.substr(0, 60));
        CParserHandle parser;
        EXPECT_FALSE(parser.Parse(row.strFormula, row.params));
        const ParseErrorInfo error = parser.Error();
        EXPECT_EQ(error.code, row.nCode);
        EXPECT_EQ(error.line, row.nLine);
        EXPECT_EQ(error.position, row.nPosition);
        EXPECT_EQ(error.column, row.nColumn);
        EXPECT_EQ(std::string(error.text), row.strText);
    }
}

// A script that the front end wrote but the compiler refuses: code 27 with the
// compiler's line and position, no column and no text, and nothing kept.
TEST(Parser, CompileFailureIsCode27) {
    CParserHandle parser;
    EXPECT_FALSE(parser.Parse("A:C;\nB:1.5.2;", {{"n", 3}}));
    const ParseErrorInfo error = parser.Error();
    EXPECT_EQ(error.code, kErrorCompile);
    EXPECT_EQ(error.line, 2);  // a=..., its drawing statement, then b=...
    EXPECT_GT(error.position, 0);
    EXPECT_EQ(error.column, 0);
    EXPECT_EQ(error.text[0], '\0');
    int nCount = -1;
    EXPECT_FALSE(parser->GetParamCount(&nCount));
    EXPECT_TRUE(parser->GetParamOutputs(0)->empty());

    // The same object may try again.
    EXPECT_TRUE(parser.Parse("A:C;", {{"n", 3}}));
    EXPECT_EQ(parser.Error().code, 0);
}

TEST(Parser, RefusalsChangeNothing) {
    CParserHandle parser;
    EXPECT_FALSE(parser.Parse("A:FOO;"));
    EXPECT_FALSE(parser->Parse("A:C;", {"n"}, {}));  // lengths differ
    EXPECT_EQ(parser.Error().code, kErrorUnknownName);

    ASSERT_TRUE(parser.Parse("A:MA(C,N),COLORRED;", {{"n", 5}}));
    EXPECT_FALSE(parser.Parse("B:O;C:H;"));
    EXPECT_FALSE(parser.Parse("{"));
    EXPECT_EQ(parser.Error().code, 0);
    char szName[8];
    ASSERT_TRUE(parser->GetOutputName(0, szName, sizeof(szName)));
    EXPECT_STREQ(szName, "a");
    EXPECT_FALSE(parser->GetOutputName(1, szName, sizeof(szName)));
    int nParams = 0;
    ASSERT_TRUE(parser->GetParamCount(&nParams));
    EXPECT_EQ(nParams, 1);
}

TEST(Parser, KeywordParameterIsSkipped) {
    CParserHandle parser;
    ASSERT_TRUE(parser.Parse("A:C+N;", {{"close", 1}, {"N", 2}, {"n", 3}, {"MA", 4}}));
    int nParams = 0;
    ASSERT_TRUE(parser->GetParamCount(&nParams));
    EXPECT_EQ(nParams, 1);
    float fValue = 0;
    ASSERT_TRUE(parser->GetParamValue(0, &fValue));
    EXPECT_EQ(fValue, 2.0f);
}

// "{params: N=12, M=5}" at the head of an example formula.
ParamList ReadParamsHeader(const std::string& strText) {
    ParamList params;
    const size_t nStart = strText.find("{params:");
    const size_t nEnd = strText.find('}', nStart);
    if (nStart != 0 || nEnd == std::string::npos) return params;
    std::stringstream list(strText.substr(8, nEnd - 8));
    std::string strItem;
    while (std::getline(list, strItem, ',')) {
        const size_t nEqual = strItem.find('=');
        if (nEqual == std::string::npos) continue;
        std::string strName = strItem.substr(0, nEqual);
        strName.erase(0, strName.find_first_not_of(' '));
        strName.erase(strName.find_last_not_of(' ') + 1);
        params.emplace_back(strName, std::strtof(strItem.c_str() + nEqual + 1, nullptr));
    }
    return params;
}

TEST(Parser, ExampleFormulasParse) {
    const char* const names[] = {"bias", "boll", "candles", "cci", "dmi",  "kdj", "ma_cross",
                                 "macd", "obv",  "psy",     "rsi", "trix", "wr"};
    for (const char* pszName : names) {
        SCOPED_TRACE(pszName);
        std::ifstream file(std::string(QX_EXAMPLES_DIR) + "/" + pszName + ".txt", std::ios::binary);
        ASSERT_TRUE(file.good());
        std::stringstream text;
        text << file.rdbuf();
        const ParamList params = ReadParamsHeader(text.str());
        EXPECT_FALSE(params.empty());
        CParserHandle parser;
        EXPECT_TRUE(parser.Parse(text.str(), params))
            << parser.Error().code << " at line " << parser.Error().line << ", column "
            << parser.Error().column;
        int nParams = 0;
        EXPECT_TRUE(parser->GetParamCount(&nParams));
        EXPECT_EQ(nParams, static_cast<int>(params.size()));
    }
}

// Formulas that broke something while the parser was written; code 0 means
// that the formula parses.
TEST(Parser, RegressionList) {
    const struct {
        const char* pszFormula;
        int nCode;
    } rows[] = {
        {"A:C;\n+1;", 0},                 // a sign after a separator gets a real zero
        {"A:C\n+1;", kErrorScriptWrite},  // ... one after a line feed only the implicit one
        {"A:DATE()+DATE;", 0},            // a function of no arguments, with or without ()
        {"X:=1;Y:=X+1;A:Y,COLORRED;", 0},
        {"A:C;B:A;C1:B+A;", 0},
        {"DRAWTEXT(C>O,L,'a%b');", 0},
        {"A:C,,COLORRED;", kErrorIllegalCharacter},
        {"B:C;A:B:O;", kErrorMissingName},  // once compiled as a comparison b=o
        {"A:IF(C>O,1,0),NODRAW;B:A;", 0},
        {"A:C;\r\nB:O;\r\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszFormula);
        CParserHandle parser;
        EXPECT_EQ(parser.Parse(row.pszFormula), row.nCode == 0);
        EXPECT_EQ(parser.Error().code, row.nCode);
    }
}

// Touches every query with indexes around the valid range.
void QueryEverything(IIndexParser* pParser) {
    ParseErrorInfo error;
    pParser->GetError(&error);
    CCalculateInfo* pInfo = nullptr;
    pParser->GetCalculateInfo(&pInfo);
    bool bFlag = false;
    pParser->GetLongHistory(&bFlag);
    pParser->GetFutureData(&bFlag);
    pParser->GetVolatile(&bFlag);
    pParser->UsesField(4, 0);
    int nCount = 0;
    pParser->GetDrawStatementCount(&nCount);
    int nParams = 0;
    pParser->GetParamCount(&nParams);
    char szName[8];
    for (int k = -1; k < 6; ++k) {
        unsigned uColour = 0;
        int nValue = 0;
        float fValue = 0;
        pParser->GetOutputColor(k, &uColour);
        pParser->GetOutputLineThick(k, &nValue);
        pParser->GetOutputDrawType(k, &nValue);
        pParser->GetOutputName(k, szName, sizeof(szName));
        pParser->IsOutputHidden(k, &bFlag);
        pParser->IsDrawFunctionOutput(k, &bFlag);
        pParser->GetParamValue(k, &fValue);
        pParser->GetParamName(k, szName, sizeof(szName));
        pParser->GetOutputParamValues(k);
        pParser->GetOutputParamIndexes(k);
        pParser->GetParamOutputs(k);
    }
}

// Sound formulas broken by a few random edits (pieces of the vocabulary put in,
// stretches cut out, random bytes), with random parameter lists: no parse may
// crash or leak, and every query must stay safe afterwards.
TEST(Parser, RandomInputNeverBreaksTheParser) {
    const char* const formulas[] = {
        "A:MA(C,N);B:A+M,COLORRED;DRAWTEXT(C>A,L,'x');",
        "X:=IF(C>REF(C,1),V,0-V);S:SUM(X,N),LINETHICK2;S>0,STICK;",
        "STICKLINE(C>O,L,H,0.5,0),COLORYELLOW;K:SMA(C,N,1)*-2/-3;",
        "DIF:EMA(C,N)-EMA(C,M);DEA:EMA(DIF,9);(DIF-DEA)*2,COLORSTICK;",
        "A:DATE+CROSS(C,MA(C,5))\n+1;DRAWICON(A,L,1),NODRAW;",
    };
    const char* const pieces[] = {
        ":",
        ":=",
        ";",
        "\n",
        "(",
        ")",
        ",",
        "+",
        "-",
        "*",
        "/",
        ">",
        "&&",
        "||",
        "!",
        "'",
        "{",
        "}",
        " ",
        "c",
        "1",
        "0.5",
        "ma(",
        "if(",
        "date",
        "n",
        "and",
        "m",
        "a",
        "dif",
        "color1",
        "colorred",
        "nodraw",
        "drawtext(",
        "\"",
        ".",
        "%",
        "\xb5\xc4",
        "linethick",
        "reverse(",
        "stickline(c,",
    };
    const char* const paramNames[] = {"n", "m", "close", "", "N", "ma", "x1", "\xb5\xc4", "a b"};
    std::mt19937 random(20240611);
    auto Pick = [&random](size_t nCount) { return static_cast<size_t>(random() % nCount); };
    int nParsed = 0;
    int nCompileFailures = 0;
    for (int nRun = 0; nRun < 3000; ++nRun) {
        std::string strText = formulas[Pick(sizeof(formulas) / sizeof(formulas[0]))];
        const int nEdits = static_cast<int>(Pick(4));
        for (int i = 0; i < nEdits; ++i) {
            const size_t nAt = Pick(strText.size() + 1);
            switch (Pick(3)) {
                case 0:
                    strText.insert(nAt, pieces[Pick(sizeof(pieces) / sizeof(pieces[0]))]);
                    break;
                case 1:
                    strText.erase(nAt, Pick(6));
                    break;
                default:
                    strText.insert(nAt, 1, static_cast<char>(Pick(256)));
                    break;
            }
        }
        ParamList params;
        if (Pick(8) != 0) params = {{"n", 5}, {"m", 10}};
        for (size_t i = Pick(3); i > 0; --i) {
            params.emplace_back(paramNames[Pick(sizeof(paramNames) / sizeof(paramNames[0]))],
                                static_cast<float>(static_cast<int>(Pick(2000)) - 1000) / 7);
        }
        CParserHandle parser;
        if (parser.Parse(strText, params)) ++nParsed;
        if (parser.Error().code == kErrorCompile) ++nCompileFailures;
        QueryEverything(parser.Get());
        parser->SetParamValue(0, 1.5f);
        parser->SetOutputLineThick(0, 4);
        parser->SetOutputColor(0, 0x12345678);
        QueryEverything(parser.Get());
    }
    // Both ends of the pipeline were reached (parameter names that are no names
    // make scripts that the compiler refuses).
    EXPECT_GT(nParsed, 100);
    EXPECT_GT(nCompileFailures, 10);
}

}  // namespace
