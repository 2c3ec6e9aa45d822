// Whole scripts, byte for byte, and the lists that go with them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParserTestSupport.h"
#include "index/frontend/FormulaError.h"
#include "index/frontend/ScriptWriter.h"

namespace {

const char* const kNomal = "RGB(254,254,254)";

std::string Curve(const std::string& strName, int nWidth = 1) {
    return ".curveline(" + strName + "," + kNomal + "," + std::to_string(nWidth) + ");\r\n";
}

struct CScriptCase {
    const char* pszFormula;
    ParamList params;
    std::string strScript;
};

TEST(ScriptWriter, WholeScripts) {
    const CScriptCase cases[] = {
        {"MA5:MA(CLOSE,5),COLORRED;", {}, "ma5=ma(close,5);\r\n" + Curve("ma5")},
        {"A:MA(CLOSE,N),VOLSTICK;",
         {{"n", 5}},
         "a=ma(close,n);\r\n.column(cltVolStick,0,a(n),RGB(254,254,254));\r\n"},
        {"X:=C>O AND C>REF(C,1);", {}, "x=close>open&close>ref(close,1);\r\n"},
        {"DRAWTEXT(C>O,L,'UP');",
         {},
         ".tempdrawparam0=close>open;\r\n.tempdrawparam1=low;\r\n.tempdrawparam2=\"up\";\r\n"
         "drawtext(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,RGB(254,254,254),1,"
         "ployNomal,0);\r\n"},
        {"DRAWNUMBER(C>O,H,C),LINETHICK2;",
         {},
         ".tempdrawparam0=close>open;\r\n.tempdrawparam1=high;\r\n.tempdrawparam2=close;\r\n"
         "drawnumber(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,RGB(254,254,254),2,"
         "ployNomal,1);\r\n"},
        {"STICKLINE(C>O,L,H,0.5,0),COLORYELLOW,COLORSTICK;",
         {},
         ".tempdrawparam0=close>open;\r\n.tempdrawparam1=low;\r\n.tempdrawparam2=high;\r\n"
         ".tempdrawparam3=0.5;\r\n.tempdrawparam4=0;\r\n"
         "stick(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,"
         ".tempdrawparam4,RGB(254,254,254),1,ployColorstick);\r\n"},
        // The counter runs on through the formula; nested calls stay in their argument.
        {"DRAWBAND(MA(C,5),RGB(1,2,3),C,RGB(4,5,6));A:C;DRAWICON(CROSS(C,MA(C,N)),L*0.9,1);",
         {{"N", 3}},
         ".tempdrawparam0=ma(close,5);\r\n.tempdrawparam1=rgb(1,2,3);\r\n"
         ".tempdrawparam2=close;\r\n.tempdrawparam3=rgb(4,5,6);\r\n"
         "band(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,"
         "RGB(254,254,254),1,ployNomal);\r\na=close;\r\n" +
             Curve("a(n)") +
             ".tempdrawparam4=cross(close,ma(close,n));\r\n.tempdrawparam5=low*0.9;\r\n"
             ".tempdrawparam6=1;\r\n"
             "drawicon(.tempdrawparam4,.tempdrawparam5,.tempdrawparam6,RGB(254,254,254),1,"
             "ployNomal);\r\n"},
        {"CLOSE;O,LINETHICK9;",
         {},
         ".tempresindex0=close;\r\n" + Curve(".tempresindex0") + ".tempresindex1=open;\r\n" +
             Curve(".tempresindex1", 9)},
        {"A:C+N;B:A*M;",
         {{"n", 1}, {"m", 2}},
         "a=close+n;\r\n" + Curve("a(n,m)") + "b=a*m;\r\n" + Curve("b(n,m)")},
        // Aliases and merged signs get their one spelling.
        {"A:IFF(C!=O OR C><O,REVERSE(C),RANGE(C,L,H));",
         {},
         "a=if(close<>open|close<>open,0-(close),between(close,low,high));\r\n" + Curve("a")},
        {"A:-C+(-1)*C*-2/-V;", {}, "a=0-close+(0-1)*close*-2/-vol;\r\n" + Curve("a")},
        {"A:C--1;B:C-+1;", {}, "a=close+1;\r\n" + Curve("a") + "b=close-1;\r\n" + Curve("b")},
        {"A:DATE+DATE()+BARSTATUS;", {}, "a=date+date()+barstatus;\r\n" + Curve("a")},
        {"A:C>=O && C<=O || C=O;", {}, "a=close>=open&close<=open|close=open;\r\n" + Curve("a")},
        // Circles carry the width, columns do not, styles without a shape are curves.
        {"A:C,CROSSDOT,LINETHICK3;B:C,RTVOLSTICK,LINETHICK3;D:C,NOFRAME,LINETHICK2;",
         {},
         "a=close;\r\n.circular(citCross,a,RGB(254,254,254),3);\r\nb=close;\r\n"
         ".column(cltRTVolStick,0,b,RGB(254,254,254));\r\nd=close;\r\n" +
             Curve("d", 2)},
    };
    for (const CScriptCase& row : cases) {
        SCOPED_TRACE(row.pszFormula);
        bool bOk = false;
        auto pTranslator = Translate(row.pszFormula, row.params, &bOk);
        ASSERT_TRUE(bOk) << pTranslator->GetError().m_nCode;
        EXPECT_EQ(pTranslator->GetScriptSource().strScript, row.strScript);
    }
}

TEST(ScriptWriter, ListsForTheCompiler) {
    bool bOk = false;
    auto pTranslator = Translate("X:=H-L;A:C+X*N;DRAWTEXT(A>V,L,'x');O+CAPITAL;",
                                 {{"N", 1.23456f}, {"close", 2}, {"M", -4}}, &bOk);
    ASSERT_TRUE(bOk);
    const ScriptSource& source = pTranslator->GetScriptSource();
    EXPECT_EQ(source.vecOutputNames, (std::vector<std::string>{"a", ".....", ".tempresindex2"}));
    EXPECT_EQ(source.vecFieldNames,
              (std::vector<std::string>{"high", "low", "close", "vol", "open", "capital"}));
    EXPECT_EQ(
        source.vecVariableNames,
        (std::vector<std::string>{"x", ".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2"}));
    EXPECT_EQ(source.vecParamNames, (std::vector<std::string>{"n", "m"}));
    // The values go through their "%.3f" texts.
    EXPECT_EQ(source.vecParamValues, (std::vector<float>{1.235f, -4.0f}));
}

struct CRefusedCase {
    const char* pszFormula;
    std::string strText;
    int nPosition;
    int nLine;
    int nColumn;
};

// Tokens that the script cannot spell fail the translation with code 8, placed
// where the token stands.
TEST(ScriptWriter, TokensWithoutSpellingAreRefused) {
    const std::string strSyntax = kTextSyntaxError;
    const CRefusedCase cases[] = {
        {"A:C AND -1;", strSyntax, 8, 0, 8},  // an implicit zero that no operand absorbed
        {"A:C\n+1;", strSyntax, 4, 1, 1},
        {"X:=C COLORRED;", strSyntax, 5, 0, 5},  // attributes of an assignment stay put
        {"A:C;\nB:DRAWTEXT(C>O,L,'UP');", std::string("drawtext") + kTextNotSupported, 7, 1, 3},
        {"X:=DRAWICON(C,L,1);", std::string("drawicon") + kTextNotSupported, 3, 0, 3},
        {"DRAWTEXT(DRAWBAND(C,O,L,H),L,'UP');", std::string("band") + kTextNotSupported, 9, 0, 9},
        {"DRAWTEXT(C>O,L,'UP')+1;", strSyntax, 20, 0, 20},
    };
    for (const CRefusedCase& row : cases) {
        SCOPED_TRACE(row.pszFormula);
        bool bOk = true;
        auto pTranslator = Translate(row.pszFormula, {}, &bOk);
        EXPECT_FALSE(bOk);
        const CFormulaError& error = pTranslator->GetError();
        EXPECT_EQ(error.m_nCode, kErrorScriptWrite);
        EXPECT_EQ(error.m_strText, row.strText);
        EXPECT_EQ(error.m_nPosition, row.nPosition);
        EXPECT_EQ(error.m_nLine, row.nLine);
        EXPECT_EQ(error.m_nColumn, row.nColumn);
        EXPECT_TRUE(pTranslator->GetScriptSource().strScript.empty());
    }
}

}  // namespace
