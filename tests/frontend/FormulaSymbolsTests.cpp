#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/frontend/FormulaError.h"
#include "index/frontend/FormulaSymbols.h"

namespace {

TEST(FormulaSymbols, LookupOrderAndParameterLoading) {
    CFormulaSymbols symbols;
    int nId = 0;
    ASSERT_EQ(symbols.AddVariable("x", &nId), 0);
    EXPECT_EQ(nId, kTokenVariableBase);
    ASSERT_EQ(symbols.AddOutput("y", &nId), 0);
    EXPECT_EQ(nId, kTokenOutputBase);

    // Keywords and earlier parameters are skipped; names are lower-cased.
    for (const char* pszName : {"N", "CLOSE", "n", "ma", "M"}) {
        EXPECT_EQ(symbols.AddParameter(pszName, 2.5f), 0);
    }
    ASSERT_EQ(symbols.ParamCount(), 2);
    const CFormulaParam* pParam = symbols.GetParam(1);
    EXPECT_EQ(pParam->m_strName, "m");
    EXPECT_EQ(pParam->m_strValueText, "2.500");
    EXPECT_EQ(pParam->m_nTokenId, kTokenLiteralBase + 1);
    EXPECT_EQ(symbols.GetLiteral(pParam->m_nTokenId)->m_strText, "m");
    EXPECT_EQ(symbols.FindParamIndex(pParam->m_nTokenId), 1);

    struct {
        const char* pszName;
        int nId;
    } const rows[] = {
        {"close", 9504},          {"x", kTokenVariableBase},    {"y", kTokenOutputBase},
        {"n", kTokenLiteralBase}, {"m", kTokenLiteralBase + 1}, {"z", -1},
    };
    for (const auto& row : rows) {
        int nFound = -1;
        symbols.LookupName(row.pszName, &nFound);
        EXPECT_EQ(nFound, row.nId) << row.pszName;
    }

    EXPECT_TRUE(symbols.SetParamValue(0, 7.0f));
    EXPECT_EQ(symbols.GetParam(0)->m_strValueText, "7.000");
    EXPECT_DOUBLE_EQ(symbols.GetLiteral(kTokenLiteralBase)->m_dValue, 7.0);
    EXPECT_FALSE(symbols.SetParamValue(2, 1.0f));
}

// B uses m directly and n through A: both count for B, and both parameters
// list the outputs that use them.
TEST(FormulaSymbols, ParameterUseFollowsReferences) {
    CFormulaSymbols symbols;
    symbols.AddParameter("n", 5.0f);
    symbols.AddParameter("m", 10.0f);
    int nA = 0, nB = 0, nX = 0;
    symbols.AddOutput("a", &nA);
    symbols.RecordParamUse(nA, {nA, kTokenDefine, 8140, kTokenLiteralBase}, {0});
    symbols.AddVariable("x", &nX);
    symbols.RecordParamUse(nX, {nX, kTokenAssign, kTokenLiteralBase + 1}, {1});
    symbols.AddOutput("b", &nB);
    symbols.RecordParamUse(nB, {nB, kTokenDefine, nX, kTokenPlus, nA}, {});

    EXPECT_EQ(symbols.GetParamUse(nA), std::vector<int>{0});
    EXPECT_EQ(symbols.GetParamUse(nB), (std::vector<int>{1, 0}));
    EXPECT_EQ(symbols.GetParamOutputs(0), (std::vector<int>{nA, nB}));
    EXPECT_EQ(symbols.GetParamOutputs(1), std::vector<int>{nB});  // x is no output
    EXPECT_TRUE(symbols.GetParamOutputs(2).empty());
}

TEST(FormulaSymbols, TemporariesBeyondTheVariableBlock) {
    CFormulaSymbols symbols;
    int nId = 0;
    for (int k = 0; k < kMaxVariables; ++k) symbols.AddVariable("v" + std::to_string(k), &nId);
    EXPECT_EQ(symbols.AddVariable("extra", &nId), kErrorTooManyVariables);
    EXPECT_EQ(symbols.AddVariableUnlimited(".tempdrawparam0", &nId), 0);
    EXPECT_EQ(nId, kTokenOutputBase);
    EXPECT_FALSE(symbols.IsVariableId(nId));
    EXPECT_EQ(symbols.GetVariableName(nId), "");
    EXPECT_EQ(symbols.GetVariableNames().back(), ".tempdrawparam0");
}

}  // namespace
