#include <gtest/gtest.h>

#include <string>

#include "CParserHelper.h"
#include "index/frontend/KeywordTables.h"

namespace {

class KeywordTablesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(BuildKeywordTables()); }
    const CKeywordTables& Tables() const { return GetKeywordTables(); }
    int IdOf(const std::string& strText) const {
        int nId = -1;
        return Tables().FindKeywordId(strText, &nId) ? nId : -1;
    }
};

TEST_F(KeywordTablesTest, AliasesShareIdsAndFirstSpellingWins) {
    struct {
        const char* pszText;
        int nId;
        const char* pszSpelling;
    } const rows[] = {
        {"if", 8070, "if"},
        {"iff", 8070, "if"},
        {"between", 8019, "between"},
        {"range", 8019, "between"},
        {"reverse", 8125, "0-"},
        {"and", 3001, "&"},
        {"&&", 3001, "&"},
        {"or", 2001, "|"},
        {"||", 2001, "|"},
        {"!=", 4009, "<>"},
        {"><", 4009, "<>"},
        {"<>", 4009, "<>"},
        {":", 1001, "="},
        {":=", 1002, "="},
        {"*-", 6003, "*-"},
        {"o", 9501, "open"},
        {"c", 9504, "close"},
        {"v", 9505, "vol"},
        {"capital", 9550, "capital"},
        {"volstick", 9010, ""},
        {"colorred", 9100, ""},
        {"linethick9", 9309, ""},
        {"drawtext", 8506, ""},
        {"rgb", 8499, "rgb"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszText);
        EXPECT_EQ(IdOf(row.pszText), row.nId);
        EXPECT_EQ(Tables().GetTokenSpelling(row.nId), row.pszSpelling);
    }
    EXPECT_EQ(Tables().GetTokenSpelling(kTokenStatementEnd), "\r\n");
    EXPECT_EQ(Tables().GetFieldSpelling(9501), "open");
    EXPECT_EQ(IdOf("CLOSE"), -1);  // the tables hold lower case only
    EXPECT_EQ(IdOf("nosuch"), -1);
    EXPECT_EQ(IdOf("!"), -1);
}

TEST_F(KeywordTablesTest, AritiesAndDrawingFunctions) {
    struct {
        const char* pszText;
        int nArity;
        bool bDraw;
        const char* pszDrawName;
    } const rows[] = {
        {"ma", 2, false, ""},
        {"period", 0, false, ""},
        {"findhigh", 4, false, ""},
        {"iff", 3, false, ""},
        {"range", 3, false, ""},
        {"not", 1, false, ""},
        {"drawkline", 4, true, "drawkline"},
        {"ployline", 2, true, "ployline"},
        {"drawband", 4, true, "band"},
        {"stickline", 5, true, "stick"},
        {"drawnumber", 3, true, "drawnumber"},
        {"fillrgn", 3, true, "fillrgn"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszText);
        const int nId = IdOf(row.pszText);
        int nArity = -1;
        EXPECT_TRUE(Tables().FindFunctionArity(nId, &nArity));
        EXPECT_EQ(nArity, row.nArity);
        EXPECT_EQ(Tables().IsDrawFunction(nId), row.bDraw);
        EXPECT_EQ(Tables().GetDrawSpelling(nId), row.pszDrawName);
    }
    EXPECT_FALSE(Tables().FindFunctionArity(IdOf("close"), nullptr));
    EXPECT_EQ(Tables().GetDrawFunctionSet().size(), 9u);
}

// One pass over the whole vocabulary: every keyword sits in a documented range,
// and every function is callable (it has an arity) and writable (a spelling).
TEST_F(KeywordTablesTest, VocabularyIsConsistent) {
    int nFunctionTexts = 0;
    for (const auto& entry : Tables().GetKeywordIds()) {
        SCOPED_TRACE(entry.first);
        const int nId = entry.second;
        const bool bKnownRange = (nId >= kTokenDefine && nId <= kTokenDivideNegative) ||
                                 (nId >= kTokenFunctionFirst && nId <= kTokenDrawFunctionLast) ||
                                 nId == kTokenOpenParen || nId == kTokenCloseParen ||
                                 nId == kTokenComma ||
                                 (nId >= kTokenAttributeFirst && nId <= kTokenDataFieldLast);
        EXPECT_TRUE(bKnownRange);
        EXPECT_NE(nId, 9016);
        EXPECT_NE(nId, 9017);
        if (nId >= kTokenFunctionFirst && nId <= kTokenFunctionLast) {
            ++nFunctionTexts;
            EXPECT_TRUE(Tables().FindFunctionArity(nId, nullptr));
            EXPECT_FALSE(Tables().GetTokenSpelling(nId).empty());
        }
        if (nId >= kTokenDrawFunctionFirst && nId <= kTokenDrawFunctionLast) {
            EXPECT_TRUE(Tables().IsDrawFunction(nId));
            EXPECT_FALSE(Tables().GetDrawSpelling(nId).empty());
        }
        if (nId >= kTokenDataFieldFirst) {
            EXPECT_FALSE(Tables().GetFieldSpelling(nId).empty());
        }
        EXPECT_STRNE(FindKeywordText(nId), nullptr);
    }
    EXPECT_EQ(nFunctionTexts, 124);
}

TEST_F(KeywordTablesTest, CharacterClasses) {
    struct {
        unsigned char cByte;
        int nClass;
    } const rows[] = {
        {'{', 1}, {'}', 1},  {' ', 2},  {'\n', 2}, {'\r', 2}, {'\t', 2}, {'0', 3},
        {'9', 3}, {'.', 3},  {'a', 4},  {'z', 4},  {'_', 4},  {'#', 4},  {'$', 4},
        {'@', 4}, {'+', 5},  {',', 5},  {'(', 5},  {'!', 5},  {':', 5},  {'&', 5},
        {'|', 5}, {'"', 6},  {'\'', 7}, {'A', 4},  {';', 4},  {'?', 4},  {'^', 4},
        {'[', 4}, {0x00, 4}, {0x7F, 4}, {0x80, 4}, {0xB5, 4}, {0xFF, 4},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Tables().GetCharClass(row.cByte), row.nClass) << int(row.cByte);
    }
}

TEST_F(KeywordTablesTest, BuildingAgainChangesNothing) {
    const CKeywordTables before = Tables();
    EXPECT_TRUE(BuildKeywordTables());
    CKeywordTables refilled;
    refilled.Fill();
    refilled.Fill();
    for (const CKeywordTables* pOther :
         {&Tables(), &static_cast<const CKeywordTables&>(refilled)}) {
        EXPECT_EQ(pOther->GetKeywordIds(), before.GetKeywordIds());
        EXPECT_EQ(pOther->GetTokenSpellings(), before.GetTokenSpellings());
        EXPECT_EQ(pOther->GetFieldSpellings(), before.GetFieldSpellings());
        EXPECT_EQ(pOther->GetDrawSpellings(), before.GetDrawSpellings());
        EXPECT_EQ(pOther->GetFunctionArities(), before.GetFunctionArities());
        EXPECT_EQ(pOther->GetDrawFunctionSet(), before.GetDrawFunctionSet());
        EXPECT_EQ(pOther->GetCharClasses(), before.GetCharClasses());
    }
}

TEST_F(KeywordTablesTest, ParserHelperClassifiesWords) {
    struct {
        const char* pszWord;
        bool bFunc;
        bool bParamIndex;
        bool bConst;
    } const rows[] = {
        {"CLOSE", true, true, false},
        {"c", true, true, false},
        {"Ma", true, false, false},
        {"DRAWTEXT", true, false, false},
        {"nosuch", false, false, false},
        {"", false, false, false},
        {"and", false, false, false},
        {"colorred", false, false, true},
        {"ColorRed", false, false, true},
        {"linethick3", false, false, true},
        {"VOLSTICK", false, false, true},
        {"NODRAW", false, false, true},
        {"LINETHICK0", false, false, false},
        {"LINETHICK9", false, false, true},
        {"LINETHICKA", false, false, false},
        {"COLORFF8000", false, false, true},
        {"COLOR%?!! z", false, false, true},
        {"colorff8000", false, false, false},
        {"COLORFF80000", false, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWord);
        EXPECT_EQ(CParserHelper::IsFunc(row.pszWord), row.bFunc);
        EXPECT_EQ(CParserHelper::IsParamIndex(row.pszWord), row.bParamIndex);
        EXPECT_EQ(CParserHelper::IsConst(row.pszWord), row.bConst);
    }
}

// The look-ups every token goes through answer from indexes built beside the maps;
// for every id and every text they must say what the maps say.
TEST_F(KeywordTablesTest, IndexesAgreeWithTheMaps) {
    for (const auto& entry : Tables().GetKeywordIds()) {
        SCOPED_TRACE(entry.first);
        EXPECT_EQ(IdOf(entry.first), entry.second);
    }
    for (const char* pszNoKeyword : {"", "closex", "clos", "ma ", "&", "|", "!", "\xb0\xa1"}) {
        EXPECT_EQ(IdOf(pszNoKeyword), -1) << pszNoKeyword;
    }
    const auto& mapSpellings = Tables().GetTokenSpellings();
    const auto& mapArities = Tables().GetFunctionArities();
    for (int nId = -2; nId < kTokenStringBase + 10; ++nId) {
        SCOPED_TRACE(nId);
        const auto itSpelling = mapSpellings.find(nId);
        EXPECT_EQ(Tables().GetTokenSpelling(nId),
                  itSpelling == mapSpellings.end() ? std::string() : itSpelling->second);
        const auto itArity = mapArities.find(nId);
        int nArity = -1;
        EXPECT_EQ(Tables().FindFunctionArity(nId, &nArity), itArity != mapArities.end());
        if (itArity != mapArities.end()) {
            EXPECT_EQ(nArity, itArity->second);
        }
    }
}

}  // namespace
