// The parser's query interface on parsed, unparsed and failed parsers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ParserTestSupport.h"
#include "index/compiler/CompiledFormula.h"
#include "index/frontend/FormulaSymbols.h"

namespace {

TEST(ParserQueries, CompiledFormAndFlags) {
    CParserHandle parser;
    ASSERT_TRUE(parser.Parse("A:MA(C,5);B:REF(V,1)+CAPITAL;DRAWTEXT(C>O,L,'x');"));
    CCalculateInfo* pInfo = nullptr;
    ASSERT_TRUE(parser->GetCalculateInfo(&pInfo));
    ASSERT_NE(pInfo, nullptr);
    int nCount = -1;
    ASSERT_TRUE(parser->GetDrawStatementCount(&nCount));
    EXPECT_EQ(nCount, 3);
    EXPECT_EQ(nCount, static_cast<int>(pInfo->m_vecDrawStatements.size()));
    bool bFlag = true;
    ASSERT_TRUE(parser->GetFutureData(&bFlag));
    EXPECT_FALSE(bFlag);
    CParserHandle future;
    ASSERT_TRUE(future.Parse("A:REFX(C,1);"));
    ASSERT_TRUE(future->GetFutureData(&bFlag));
    EXPECT_TRUE(bFlag);
    ASSERT_TRUE(future->GetVolatile(&bFlag));
    EXPECT_TRUE(bFlag);
    // Field ids of the compiler's numbering: CLOSE 4, VOL 6, CAPITAL 501, LOW 3, OPEN 2.
    for (int nField : {2, 3, 4, 6, 501}) EXPECT_TRUE(parser->UsesField(nField, 99)) << nField;
    for (int nField : {1, 5, 7, 16, -1}) EXPECT_FALSE(parser->UsesField(nField, 0)) << nField;
}

TEST(ParserQueries, NamesAndHiddenLines) {
    CParserHandle parser;
    ASSERT_TRUE(parser.Parse("LongName:C,NODRAW;O;DRAWICON(C>O,L,1);X:=1;"));
    char szName[16];
    ASSERT_TRUE(parser->GetOutputName(0, szName, sizeof(szName)));
    EXPECT_STREQ(szName, "longname");
    char szShort[5];
    std::memset(szShort, 'x', sizeof(szShort));
    ASSERT_TRUE(parser->GetOutputName(0, szShort, sizeof(szShort)));
    EXPECT_STREQ(szShort, "long");
    char szOne[1] = {'x'};
    ASSERT_TRUE(parser->GetOutputName(0, szOne, 1));
    EXPECT_EQ(szOne[0], '\0');
    EXPECT_FALSE(parser->GetOutputName(0, szName, 0));
    EXPECT_FALSE(parser->GetOutputName(0, nullptr, 16));
    for (int k : {1, 2}) {
        std::memset(szName, 'x', sizeof(szName));
        ASSERT_TRUE(parser->GetOutputName(k, szName, sizeof(szName)));
        EXPECT_EQ(std::string(szName, sizeof(szName)), std::string(sizeof(szName), '\0'));
    }
    EXPECT_FALSE(parser->GetOutputName(3, szName, sizeof(szName)));
    EXPECT_FALSE(parser->GetOutputName(-1, szName, sizeof(szName)));

    bool bHidden = false;
    ASSERT_TRUE(parser->IsOutputHidden(0, &bHidden));
    EXPECT_TRUE(bHidden);
    ASSERT_TRUE(parser->IsOutputHidden(1, &bHidden));
    EXPECT_FALSE(bHidden);
    EXPECT_FALSE(parser->IsOutputHidden(3, &bHidden));
}

TEST(ParserQueries, ColoursAndWidths) {
    CParserHandle parser;
    ASSERT_TRUE(parser.Parse("A:C,COLORRED,LINETHICK3;B:O;"));
    unsigned uColour = 0;
    ASSERT_TRUE(parser->GetOutputColor(0, &uColour));
    EXPECT_EQ(uColour, 0xFF3D3DFFu);
    uColour = 7;
    EXPECT_FALSE(parser->GetOutputColor(1, &uColour));  // no colour given yet
    EXPECT_EQ(uColour, 7u);
    ASSERT_TRUE(parser->SetOutputColor(1, 0x00112233));
    ASSERT_TRUE(parser->GetOutputColor(1, &uColour));
    EXPECT_EQ(uColour, 0x00112233u);
    EXPECT_FALSE(parser->SetOutputColor(2, 1));
    EXPECT_FALSE(parser->GetOutputColor(0, nullptr));

    int nWidth = 0;
    ASSERT_TRUE(parser->GetOutputLineThick(0, &nWidth));
    EXPECT_EQ(nWidth, 3);
    ASSERT_TRUE(parser->GetOutputLineThick(1, &nWidth));
    EXPECT_EQ(nWidth, 1);
    const int widths[][2] = {{0, 1}, {12, 9}, {-3, 1}, {5, 5}, {9, 9}, {1, 1}};
    for (const auto& row : widths) {
        ASSERT_TRUE(parser->SetOutputLineThick(1, row[0]));
        ASSERT_TRUE(parser->GetOutputLineThick(1, &nWidth));
        EXPECT_EQ(nWidth, row[1]) << row[0];
    }
    EXPECT_FALSE(parser->SetOutputLineThick(-1, 3));
    EXPECT_FALSE(parser->SetOutputLineThick(2, 3));
}

TEST(ParserQueries, DrawTypes) {
    const struct {
        const char* pszFormula;
        int nDrawType;
        bool bDrawFunction;
    } rows[] = {
        {"A:C;", 0, false},
        {"A:C,VOLSTICK;", 1, false},
        {"A:C,RTVOLSTICK;", 2, false},
        {"A:C,STICK;", 3, false},
        {"A:C,CIRCLEDOT;", 4, false},
        {"A:C,LINESTICK;", 5, false},
        {"A:C,CROSSDOT;", 6, false},
        {"A:C,COLORSTICK;", 7, false},
        {"A:C,DOTLINE;", 8, false},
        {"A:C,POINTDOT;", 9, false},
        {"A:C,SARLINE;", 10, false},
        {"A:C,NOFRAME;", 0, false},
        {"DRAWKLINE(H,O,L,C);", 11, true},
        {"PLOYLINE(C>O,C);", 13, true},
        {"DRAWBAND(C,RGB(255,0,0),O,RGB(0,0,255));", 14, true},
        {"STICKLINE(C>O,L,H,1,0);", 15, true},
        {"DRAWICON(C>O,L,1);", 16, true},
        {"DRAWTEXT(C>O,L,'x');", 17, true},
        {"DRAWNUMBER(C>O,L,C);", 19, true},
        {"DRAWLINE(C>O,H,C<O,L,1);", 23, true},
        {"FILLRGN(C>O,H,L);", 24, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszFormula);
        CParserHandle parser;
        ASSERT_TRUE(parser.Parse(row.pszFormula)) << parser.Error().code;
        int nDrawType = -1;
        ASSERT_TRUE(parser->GetOutputDrawType(0, &nDrawType));
        EXPECT_EQ(nDrawType, row.nDrawType);
        bool bDrawFunction = !row.bDrawFunction;
        ASSERT_TRUE(parser->IsDrawFunctionOutput(0, &bDrawFunction));
        EXPECT_EQ(bDrawFunction, row.bDrawFunction);
        EXPECT_FALSE(parser->GetOutputDrawType(1, &nDrawType));
        EXPECT_FALSE(parser->IsDrawFunctionOutput(1, &bDrawFunction));
    }
}

TEST(ParserQueries, Parameters) {
    CParserHandle parser;
    ASSERT_TRUE(parser.Parse("A:MA(C,N);B:A+M;C1:C;D:B*2;DRAWTEXT(C>M,L,'x');",
                             {{"N", 5}, {"m", 10}, {"unused", 2.5f}}));
    int nCount = 0;
    ASSERT_TRUE(parser->GetParamCount(&nCount));
    EXPECT_EQ(nCount, 3);
    char szName[8];
    ASSERT_TRUE(parser->GetParamName(0, szName, sizeof(szName)));
    EXPECT_STREQ(szName, "n");
    char szTwo[3];
    ASSERT_TRUE(parser->GetParamName(2, szTwo, sizeof(szTwo)));
    EXPECT_STREQ(szTwo, "un");
    EXPECT_FALSE(parser->GetParamName(3, szName, sizeof(szName)));
    EXPECT_FALSE(parser->GetParamName(0, szName, 0));
    float fValue = 0;
    ASSERT_TRUE(parser->GetParamValue(2, &fValue));
    EXPECT_EQ(fValue, 2.5f);
    EXPECT_FALSE(parser->GetParamValue(-1, &fValue));

    // B uses m directly and n through A; D uses both through B.
    const std::vector<std::vector<int>> indexes = {{0}, {1, 0}, {}, {1, 0}, {1}};
    const std::vector<std::vector<float>> values = {{5}, {10, 5}, {}, {10, 5}, {10}};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(*parser->GetOutputParamIndexes(k), indexes[k]) << k;
        EXPECT_EQ(*parser->GetOutputParamValues(k), values[k]) << k;
    }
    EXPECT_TRUE(parser->GetOutputParamIndexes(5)->empty());
    EXPECT_TRUE(parser->GetOutputParamValues(-1)->empty());
    EXPECT_EQ(*parser->GetParamOutputs(0), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(*parser->GetParamOutputs(1), (std::vector<int>{1, 3, 4}));
    EXPECT_TRUE(parser->GetParamOutputs(2)->empty());
    EXPECT_TRUE(parser->GetParamOutputs(3)->empty());

    // A new value reaches the value text, the list answers and the compiled form.
    ASSERT_TRUE(parser->SetParamValue(0, 7));
    ASSERT_TRUE(parser->GetParamValue(0, &fValue));
    EXPECT_EQ(fValue, 7.0f);
    const FormulaTranslator* pTranslator =
        static_cast<const CIndexParser*>(parser.Get())->GetTranslator();
    EXPECT_EQ(pTranslator->GetSymbols().GetParam(0)->m_strValueText, "7.000");
    EXPECT_EQ(*parser->GetOutputParamValues(1), (std::vector<float>{10, 7}));
    CCalculateInfo* pInfo = nullptr;
    ASSERT_TRUE(parser->GetCalculateInfo(&pInfo));
    EXPECT_EQ(pInfo->m_vecParamValues[0], 7.0f);
    for (size_t i = 0; i < pInfo->m_vecDrawParamNames.size(); ++i) {
        if (pInfo->m_vecDrawParamNames[i] == "N") {
            EXPECT_EQ(pInfo->m_vecDrawParamValues[i], 7.0f);
        }
    }
    EXPECT_FALSE(parser->SetParamValue(3, 1));
}

// After a failed translation only the parameter-to-output list answers, and
// only for the statements accepted before the error.
TEST(ParserQueries, ListsAfterFailedTranslation) {
    CParserHandle parser;
    EXPECT_FALSE(parser.Parse("A:C+N;B:N*2;X:FOO;", {{"n", 1}}));
    EXPECT_EQ(*parser->GetParamOutputs(0), (std::vector<int>{0, 1}));
    EXPECT_TRUE(parser->GetParamOutputs(1)->empty());
    EXPECT_TRUE(parser->GetOutputParamIndexes(0)->empty());
    EXPECT_TRUE(parser->GetOutputParamValues(0)->empty());
    int nCount = 0;
    EXPECT_FALSE(parser->GetParamCount(&nCount));
    EXPECT_FALSE(parser->SetParamValue(0, 2));
}

}  // namespace
