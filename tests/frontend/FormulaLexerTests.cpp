#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "index/frontend/FormulaLexer.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/TokenDescription.h"

namespace {

using ParamList = std::vector<std::pair<std::string, float>>;

// One formula read the way the parser reads it, without the parser's own checks.
struct CLexRun {
    CFormulaSymbols m_symbols;
    CFormulaLexer m_lexer{&m_symbols};
    bool m_bOk = false;

    // The accepted tokens as readable text, e.g. "a : close *- 1 <end>".
    std::string Dump() const {
        std::string strDump;
        for (int nId : m_lexer.GetAcceptedTokens()) {
            if (!strDump.empty()) strDump += ' ';
            strDump += DescribeToken(nId, m_symbols);
        }
        return strDump;
    }
};

std::unique_ptr<CLexRun> Lex(const std::string& strText, const ParamList& params = {}) {
    auto pRun = std::make_unique<CLexRun>();
    pRun->m_lexer.Load(strText);
    for (const auto& param : params) pRun->m_symbols.AddParameter(param.first, param.second);
    pRun->m_bOk = pRun->m_lexer.ReadAllStatements();
    return pRun;
}

std::string Repeat(const std::string& strPiece, int nTimes) {
    std::string strText;
    strText.reserve(strPiece.size() * nTimes);
    for (int i = 0; i < nTimes; ++i) strText += strPiece;
    return strText;
}

struct CAcceptedCase {
    const char* pszFormula;
    const char* pszNormalised;  // null: not checked
    const char* pszTokens;
};

TEST(FormulaLexer, AcceptedFormulas) {
    const CAcceptedCase cases[] = {
        {"A:C>O&& (C>1);", nullptr, "a : close > open and ( close > 1 ) <end>"},
        {"A:-C;", "a:0-c;", "a : 0 - close <end>"},
        {"A:C*-1;", nullptr, "a : close *- 1 <end>"},
        {"A:C/-1;", nullptr, "a : close /- 1 <end>"},
        {"A:C--1;", "a:c--1;", "a : close + 1 <end>"},
        {"A:C+-1;", nullptr, "a : close - 1 <end>"},
        {"A:C*+1;", nullptr, "a : close * 1 <end>"},
        {"A:C-+1;", nullptr, "a : close - 1 <end>"},
        {"A:(-1);", "a:(0-1);", "a : ( 0 - 1 ) <end>"},
        {"A:C AND -1;", "a:c and -1;", "a : close and <zero> - 1 <end>"},
        {"A:C\n+1;", "a:c\n+1;", "a : close <end> <zero> + 1 <end>"},
        {"A:'x\"y';", nullptr, "a : 'xy' <end>"},
        {"A:'Up Down';", nullptr, "a : 'up down' <end>"},
        {"A:1.5.2;", nullptr, "a : 1.5.2 <end>"},
        {"A:5MA;", nullptr, "a : 5 ma <end>"},
        {"A:C<>O OR C><O || C!=O;", nullptr,
         "a : close != open or close != open or close != open <end>"},
        {"A:C>=O AND C<=O;", nullptr, "a : close >= open and close <= open <end>"},
        {"A:C,COLORFF8000 LINETHICK2;", nullptr, "a : close , colorff8000 linethick2 <end>"},
        {"A:C;B:A+C;", nullptr, "a : close <end> b : a + close <end>"},
        {"X:=C;Y:X;", nullptr, "x := close <end> y : x <end>"},
        {"DRAWTEXT(C>O,L,'UP');", nullptr, "drawtext ( close > open , low , 'up' ) <end>"},
        {"A:C{x\ny}+O;", "a:c  \n  +o;", "a : close <end> <zero> + open <end>"},
        {"\t\xb5\xc4:C;", " \xb5\xc4:c;", "\xb5\xc4 : close <end>"},
        {"", "", ""},
        {" ;;\n\t\r\n", nullptr, ""},
    };
    for (const CAcceptedCase& row : cases) {
        SCOPED_TRACE(row.pszFormula);
        auto pRun = Lex(row.pszFormula);
        EXPECT_TRUE(pRun->m_bOk) << pRun->m_lexer.GetError().m_nCode;
        if (row.pszNormalised) {
            EXPECT_EQ(pRun->m_lexer.GetText(), row.pszNormalised);
        }
        EXPECT_EQ(pRun->Dump(), row.pszTokens);
    }
}

struct CErrorCase {
    const char* pszFormula;
    int nCode;
    int nPosition;
    int nLine;
    int nColumn;
};

TEST(FormulaLexer, FirstErrorAndWhereItIs) {
    const CErrorCase cases[] = {
        {"A:C>O&&(C>1);", 15, 5, 0, 5},
        {"A:C&O;", 15, 3, 0, 3},
        {"A:C&(O);", 15, 3, 0, 3},
        {"A:C|||O;", 15, 3, 0, 3},
        {"{ a comment", 10, 0, 0, 0},
        {"{", 10, 0, 0, 0},
        {"A:C}", 10, 3, 0, 3},
        {"A:'a{b';", 10, 4, 0, 4},
        {"A:FOO;", 11, 2, 0, 2},
        {"A:C\xb5\xc4;", 11, 2, 0, 2},
        {"A:C;\nB:O;\nX:Q;", 11, 12, 2, 3},
        {"{c1\nc2}A:C;\nB:Q;", 11, 14, 2, 3},
        {"A:C;\r\nB:C==O;", 12, 9, 1, 4},
        {"A:C==O;", 12, 3, 0, 3},
        {"A:C=>O;", 12, 3, 0, 3},
        {"A:C<<O;", 12, 3, 0, 3},
        {"A:C!<O;", 12, 3, 0, 3},
        {"A:C>;", 13, 3, 0, 3},
        {"A:!C;", 13, 2, 0, 2},
        {"A:", 13, 1, 0, 1},
        {":=C;", 14, 0, 0, 0},
        {"1:C;", 14, 1, 0, 1},
        {"A:C:O;", 24, 3, 0, 3},
        {"MA:=1;", 24, 2, 0, 2},
        {"A:C;A:O;", 24, 4, 0, 4},
        {"A:=1;\nA:=2;", 24, 6, 1, 1},
        {"CLOSE:1;", 24, 5, 0, 5},
        {"abcdefghijabcdefghijabcdefghijabc:C;", 17, 0, 0, 0},
        {"A:'abc;", 21, 2, 0, 2},
        {"A:'abc", 21, 2, 0, 2},
        {"A:=A+1;", 28, 3, 0, 3},
        {"A:1+1234567890123456789012345678;", 16, 4, 0, 4},
    };
    for (const CErrorCase& row : cases) {
        SCOPED_TRACE(row.pszFormula);
        auto pRun = Lex(row.pszFormula);
        const CFormulaError& error = pRun->m_lexer.GetError();
        EXPECT_FALSE(pRun->m_bOk);
        EXPECT_EQ(error.m_nCode, row.nCode);
        EXPECT_EQ(error.m_nPosition, row.nPosition);
        EXPECT_EQ(error.m_nLine, row.nLine);
        EXPECT_EQ(error.m_nColumn, row.nColumn);
        EXPECT_EQ(error.m_strText.empty(), row.nCode != 28);
    }
    EXPECT_EQ(Lex("A:=A+1;")->m_lexer.GetError().m_strText, kTextSelfReference);
}

TEST(FormulaLexer, LiteralsKeepTextAndValue) {
    auto pRun = Lex("A:1.5.2+7+" + std::string(27, '9') + ";");
    ASSERT_TRUE(pRun->m_bOk);
    ASSERT_EQ(pRun->m_symbols.LiteralCount(), 3);
    EXPECT_EQ(pRun->m_symbols.GetLiteral(kTokenLiteralBase)->m_strText, "1.5.2");
    EXPECT_DOUBLE_EQ(pRun->m_symbols.GetLiteral(kTokenLiteralBase)->m_dValue, 1.5);
    EXPECT_DOUBLE_EQ(pRun->m_symbols.GetLiteral(kTokenLiteralBase + 1)->m_dValue, 7.0);
}

TEST(FormulaLexer, StoreLimits) {
    const std::string strLiterals = "A:" + Repeat("1+", 2999) + "1;";
    EXPECT_TRUE(Lex(strLiterals)->m_bOk);
    auto pOver = Lex("A:" + Repeat("1+", 3000) + "1;");
    EXPECT_EQ(pOver->m_lexer.GetError().m_nCode, 16);
    EXPECT_EQ(pOver->m_lexer.GetError().m_nPosition, 2 + 2 * 3000);
    // A parameter takes a literal slot too.
    EXPECT_EQ(Lex(strLiterals, {{"n", 1.0f}})->m_lexer.GetError().m_nCode, 16);

    std::string strOutputs;
    std::string strVariables;
    for (int k = 0; k < 1000; ++k) {
        strOutputs += "o" + std::to_string(k) + ":1;";
        strVariables += "v" + std::to_string(k) + ":=1;";
    }
    EXPECT_TRUE(Lex(strOutputs)->m_bOk);
    EXPECT_TRUE(Lex(strVariables)->m_bOk);
    auto pOutputs = Lex(strOutputs + "extra:1;");
    EXPECT_EQ(pOutputs->m_lexer.GetError().m_nCode, 19);
    EXPECT_EQ(pOutputs->m_lexer.GetError().m_nPosition, static_cast<int>(strOutputs.size()));
    EXPECT_EQ(Lex(strVariables + "extra:=1;")->m_lexer.GetError().m_nCode, 18);

    // Literal colours: equal words share a slot, a 101st different one is refused.
    std::string strColours;
    for (int k = 0; k < 100; ++k) {
        char szWord[16];
        std::snprintf(szWord, sizeof(szWord), "color%06x", k);
        strColours += std::string("a") + std::to_string(k) + ":c," + szWord + "," + szWord + ";";
    }
    auto pColours = Lex(strColours);
    EXPECT_TRUE(pColours->m_bOk);
    EXPECT_EQ(pColours->m_symbols.LiteralColourCount(), 100);
    EXPECT_EQ(Lex(strColours + "b:c,colorffffff;")->m_lexer.GetError().m_nCode, 11);
}

TEST(FormulaLexer, ParametersAreNamesWithSlots) {
    auto pRun = Lex("A:MA(C,N)+N*M;", {{"N", 5.0f}, {"close", 1.0f}, {"m", 10.0f}, {"n", 3.0f}});
    ASSERT_TRUE(pRun->m_bOk);
    EXPECT_EQ(pRun->Dump(), "a : ma ( close , n ) + n * m <end>");
    ASSERT_EQ(pRun->m_symbols.ParamCount(), 2);
    EXPECT_EQ(pRun->m_symbols.GetParam(0)->m_strValueText, "5.000");
    EXPECT_EQ(pRun->m_symbols.GetParam(1)->m_strName, "m");

    EXPECT_EQ(Lex("N:C;", {{"n", 5.0f}})->m_lexer.GetError().m_nCode, 24);
}

// The parser's side of the flow: it sees statement k, may reject it at a token,
// and then no further statement is read.
TEST(FormulaLexer, StatementByStatement) {
    CFormulaSymbols symbols;
    CFormulaLexer lexer(&symbols);
    lexer.Load("A:N;\n B:MA(C)+N;\nC:O;");
    symbols.AddParameter("n", 2.0f);
    CFormulaStatement statement;

    ASSERT_TRUE(lexer.NextStatement(&statement));
    EXPECT_EQ(statement.m_nDefinedId, kTokenOutputBase);
    lexer.AcceptStatement(statement);

    // The line feed after ';' is a blank statement of its own and is passed over.
    ASSERT_TRUE(lexer.NextStatement(&statement));
    EXPECT_EQ(statement.m_nStart, 5);
    EXPECT_EQ(statement.m_nLine, 1);
    EXPECT_EQ(statement.m_strDefinedName, "b");
    EXPECT_EQ(statement.m_vecParams, std::vector<int>{0});
    EXPECT_EQ(statement.m_vecOffsets, (std::vector<int>{1, 2, 3, 5, 6, 7, 8, 9}));

    lexer.ReportError(statement, 22, statement.m_vecOffsets[2]);  // at "ma"
    lexer.ReportError(statement, 23, 0);                          // a later error is ignored
    EXPECT_EQ(lexer.GetError().m_nCode, 22);
    EXPECT_EQ(lexer.GetError().m_nPosition, 8);
    EXPECT_EQ(lexer.GetError().m_nColumn, 4);
    EXPECT_FALSE(lexer.NextStatement(&statement));
    EXPECT_EQ(lexer.GetAcceptedTokens(), (std::vector<int>{kTokenOutputBase, kTokenDefine,
                                                           kTokenLiteralBase, kTokenStatementEnd}));
    EXPECT_EQ(lexer.GetAcceptedPositions(), (std::vector<int>{0, 1, 2, 3}));
}

// Large formulas are read whole, without a limit of their own; each text here is
// about 2 MB (a lexer that rescans its text would take minutes on them).
TEST(FormulaLexer, LargeFormulasAreReadWhole) {
    const int nPieces = 2 * 1024 * 1024 / 4;
    const std::string texts[] = {
        "a:c" + Repeat("+c-o", nPieces) + ";",
        Repeat("c;\n", nPieces),
        "a:" + Repeat("-", 4 * nPieces) + "c;",
        Repeat("{x}", nPieces) + "a:c;",
        Repeat("  \t ", nPieces) + "a:'" + Repeat("xyzw", nPieces) + "';",
    };
    for (const std::string& strText : texts) {
        auto pRun = Lex(strText);
        EXPECT_TRUE(pRun->m_bOk) << pRun->m_lexer.GetError().m_nCode;
    }
}

// Arbitrary bytes never crash the lexer, and what it reports stays inside the text.
TEST(FormulaLexer, ArbitraryBytesStayInBounds) {
    const std::string strAlphabet = "ac1.:=;\n\r\t {}'\"+-*/<>!&|(),_xz\xb5\xff\x80";
    unsigned nSeed = 12345;
    for (int nRound = 0; nRound < 3000; ++nRound) {
        std::string strText;
        const int nLength = nRound % 40;
        for (int i = 0; i < nLength; ++i) {
            nSeed = nSeed * 1103515245u + 12345u;
            strText.push_back(strAlphabet[(nSeed >> 16) % strAlphabet.size()]);
        }
        SCOPED_TRACE(strText);
        auto pRun = Lex(strText, {{"x", 1.0f}});
        const int nSize = static_cast<int>(pRun->m_lexer.GetText().size());
        const CFormulaError& error = pRun->m_lexer.GetError();
        EXPECT_EQ(pRun->m_bOk, error.m_nCode == 0);
        EXPECT_GE(error.m_nPosition, 0);
        EXPECT_LE(error.m_nPosition, nSize);
        EXPECT_LE(error.m_nColumn, error.m_nPosition);
        for (int nPosition : pRun->m_lexer.GetAcceptedPositions()) {
            EXPECT_GE(nPosition, 0);
            EXPECT_LE(nPosition, nSize);
        }
    }
}

}  // namespace
