#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormulaDump.h"
#include "index/compiler/DataFieldIds.h"
#include "index/compiler/FunctionTable.h"

namespace {

// Names as the front end hands them over (lower case). The compiler numbers series
// from the 4 variables, so the first state slot of an ordinary statement is 5.
ScriptSource StandardLists(const std::string& strScript = "") {
    ScriptSource source;
    source.strScript = strScript;
    source.vecOutputNames = {"out", "ma5"};
    source.vecFieldNames = {"close", "open", "high", "low"};
    source.vecVariableNames = {"a", "b", "c", "x"};
    source.vecParamNames = {"n", "m"};
    source.vecParamValues = {5.0f, 10.0f};
    return source;
}

struct CompileRun {
    int nStatus = -1;
    int nLine = -1;
    int nPos = -1;
    std::unique_ptr<CCalculateInfo> pInfo = std::make_unique<CCalculateInfo>();
    std::string Dump() const { return DumpCalculateInfo(*pInfo); }
};

CompileRun CompileScript(const ScriptSource& source) {
    CompileRun run;
    CScriptCompiler compiler;
    run.nStatus = compiler.Compile(&source, run.pInfo.get());
    run.nLine = compiler.m_nLine;
    run.nPos = compiler.m_nPos;
    return run;
}

CompileRun CompileScript(const std::string& strScript) {
    return CompileScript(StandardLists(strScript));
}

std::string Repeat(const std::string& strPiece, int nCount, const std::string& strSeparator) {
    std::string strText;
    for (int i = 0; i < nCount; ++i) strText += (i > 0 ? strSeparator : "") + strPiece;
    return strText;
}

TEST(ScriptCompiler, CompilesToExpectedTrees) {
    const struct {
        const char* pszScript;
        const char* pszDump;
    } arrCases[] = {
        {"OUT=1+2*3;", "Ref output 0 = Add(Number 1, Mul(Number 2, Number 3))\n"},
        // "^" binds like "+" and "-", left to right.
        {"X=2*3^2;", "Ref var 3 = Caret(Mul(Number 2, Number 3), Number 2)\n"},
        {"X=1+2^2;", "Ref var 3 = Caret(Add(Number 1, Number 2), Number 2)\n"},
        {"X=8-2-1;", "Ref var 3 = Sub(Sub(Number 8, Number 2), Number 1)\n"},
        {"X=A>1&B<2|C;",
         "Ref var 3 = Or(And(Greater(Ref var 0, Number 1), Less(Ref var 1, Number 2)), "
         "Ref var 2)\n"},
        {"X=A>=1|A<=2&A<>3=4;",
         "Ref var 3 = Or(GreaterEqual(Ref var 0, Number 1), And(LessEqual(Ref var 0, Number 2), "
         "Equal(NotEqual(Ref var 0, Number 3), Number 4)))\n"},
        {"X=8/(2-1)*3;", "Ref var 3 = Mul(Div(Number 8, Sub(Number 2, Number 1)), Number 3)\n"},
        // A "-" in operand position starts a negative literal.
        {"X=1--2;", "Ref var 3 = Sub(Number 1, Number -2)\n"},
        {" X = 1.5 ;\r\n", "Ref var 3 = Number 1.5\n"},
        {"X=(((-0.25)));", "Ref var 3 = Number -0.25\n"},
        {"X=clrred+N*M;", "Ref var 3 = Add(Number 0x020000FF, Mul(Param 0, Param 1))\n"},
        {"X=CLOSE[1]+CLOSE(N,2+M);",
         "Ref var 3 = Add(Ref field 0[Number 1], Ref field 0(Param 0, Add(Number 2, Param 1)))\n"},
        {"X[0]=REF(CLOSE,1);", "Ref var 3 = REF#126(Ref field 0, Number 1)\n"},
        {"X=CURRBARSCOUNT;", "Ref var 3 = CURRBARSCOUNT#162()\n"},
        // Statements without a target: a call, an output, a leading "(" or digit.
        {"MA(CLOSE,5);", "MA#140(State 5, Ref field 0, Number 5)\n"},
        {"OUT;\r\n(1);\r\n1+2;", "Ref output 0\nNumber 1\nAdd(Number 1, Number 2)\n"},
        {"X=1;\r\nX;", "Ref var 3 = Number 1\nRef var 3\n"},
        // The hidden result series goes in as argument 1, numbered after the variables;
        // for a StatefulCall it pushes the slot pair to position 2.
        {"X=EMA(CLOSE,12);", "Ref var 3 = EMA#144(Ref var 4, Ref field 0, Number 12)\n"},
        {"X=SAR(10,2,20);",
         "Ref var 3 = SAR#213(Ref var 4, State 5, Number 10, Number 2, Number 20)\n"},
        // Written with its series already, EMA needs no auto variable.
        {"X=EMA(X,12,3);", "Ref var 3 = EMA#144(Ref var 3, Number 12, Number 3)\n"},
        {"", ""},
        {"  \r\n", ""},
    };
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszScript);
        const CompileRun run = CompileScript(row.pszScript);
        ASSERT_EQ(run.nStatus, COMPILE_OK);
        EXPECT_EQ(run.Dump(), row.pszDump);
    }
}

TEST(ScriptCompiler, RejectsMalformedScripts) {
    const char* const arrScripts[] = {
        // Numbers.
        "X=1.;", "X=.5;", "X=1.2.3;", "X=5MA;", "X=1.5A;", "X=--1;", "X=-;", "X=1", "X=1e3;",
        "X=99999999999999999999999999999999999999999;",
        // Strings: an odd run of percent signs before the closing quote; no closing quote.
        "X=\"50%\";", "X=\"%%%\";", "X=\"AB;", "X=\"AB\\\";",
        // Statements.
        "CLOSE>OPEN;", "N=1;", "N;", ";", "X=1;;", "X=1;\t", "X=1; \r\n", "!X;", "\"A\";", "X=;",
        "X=();", "X=1 2;", "X=(1;", "X=1);", "X=A=>1;", "1+2", "X[1]=2;", "X[N]=2;",
        // References: outputs and variables take no arguments outside drawing
        // statements; field arguments must be numbers, parameters and operators on them.
        "X(1)=2;", "OUT(1)=2;", "X=OUT(N,M);", "X=A(1);", "X=CLOSE(\"A\");", "X=CLOSE(OPEN);",
        "X=CLOSE(MA(OPEN,2));", "X=CLOSE();", "X=A[.CURVELINE(A)];",
        // Calls.
        "X=MA(CLOSE);", "X=MA;", "X=EMA(CLOSE);", "X=EMA(CLOSE,5,7);", "X=FOO;", "X=MA(CLOSE,);",
        "X=MA(CLOSE,5)", "X=MA(CLOSE,5;",
        // Drawing calls: first operand only, never nested, no hidden result series.
        "X=1+.CURVELINE(A,1);", ".CURVELINE(A,.CURVELINE(A,1));", ".CURVELINE(EMA(CLOSE,5));",
        ".CURVELINE(SAR(10,2,20));", ".CIRCULAR(A,1);", ".CURVELINE(OUT);", ".CURVELINE(OUT(N));",
        ".CURVELINE(A[X]);", ".CURVELINE(A,1)", ".CURVELINE(1+);"};
    for (const char* pszScript : arrScripts) {
        SCOPED_TRACE(pszScript);
        const CompileRun run = CompileScript(pszScript);
        EXPECT_EQ(run.nStatus, COMPILE_ERROR);
        // Only whole statements are kept.
        for (const Statement* pStatement : run.pInfo->m_vecStatements) {
            EXPECT_NE(pStatement->typeB, OperandType::Empty);
        }
    }
}

TEST(ScriptCompiler, ReportsWhereCompilationStopped) {
    const struct {
        const char* pszScript;
        int nLine;
        int nPos;
    } arrCases[] = {
        {"X=1;\r\nA=2;\r\nB=MA(CLOSE);\r\n", 2, 24},  // checker, after the ";" was read
        {"X=1;\r\nA=FOO+1;", 1, 11},                  // unknown name, just after it
        {"X=1;\r\n\r\n  A=1.;", 2, 14},               // the number token "1."
        {"X=1;\t", 0, 5},                             // nothing after the blank
        {"X=\"AB", 0, 5},                             // literal never closed
    };
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszScript);
        const CompileRun run = CompileScript(row.pszScript);
        EXPECT_EQ(run.nStatus, COMPILE_ERROR);
        EXPECT_EQ(run.nLine, row.nLine);
        EXPECT_EQ(run.nPos, row.nPos);
    }
}

TEST(ScriptCompiler, NumberLiteralsHoldFloatBits) {
    const CompileRun run = CompileScript("X=1.5;\r\nX=1;");
    ASSERT_EQ(run.nStatus, COMPILE_OK);
    ASSERT_EQ(run.pInfo->m_vecStatements.size(), 2u);
    EXPECT_EQ(run.pInfo->m_vecStatements[0]->typeB, OperandType::Number);
    EXPECT_EQ(run.pInfo->m_vecStatements[0]->valueB, 0x3FC00000);
    EXPECT_EQ(run.pInfo->m_vecStatements[1]->valueB, 0x3F800000);
}

TEST(ScriptCompiler, StringLiterals) {
    const struct {
        const char* pszLiteral;
        const char* pszExpected;
    } arrCases[] = {
        {"\"ab\" \"cd\"", "ABCD"},  // adjacent literals, upper-cased with the script
        {"\"ab\" \r\n \"cd\"", "ABCD"}, {"\"50%%\"", "50%%"}, {"\"5%0\"", "5%0"},
        {"\"A\\\"B\"", "A\"B"},         {"\"A\\\\\"", "A\\"}, {"\"a\\nb\\tc\\rd\"", "A\nB\tC\rD"},
        {"\"\\\\n\"", "\\N"},  // a backslash pair, then a plain letter
        {"\"\xb4\xed\"", "\xb4\xed"},   {"\"\"", ""},
    };
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszLiteral);
        const CompileRun run = CompileScript(std::string("X=") + row.pszLiteral + ";");
        ASSERT_EQ(run.nStatus, COMPILE_OK);
        ASSERT_EQ(run.pInfo->m_vecStrings.size(), 1u);
        EXPECT_EQ(run.pInfo->m_vecStrings[0], row.pszExpected);
        EXPECT_EQ(run.Dump(), "Ref var 3 = String 0 \"" + std::string(row.pszExpected) + "\"\n");
    }
}

TEST(ScriptCompiler, DrawingStatements) {
    const struct {
        const char* pszScript;
        const char* pszDump;
        std::vector<std::string> vecDrawParams;
    } arrCases[] = {
        {".CURVELINE(A,1);", "Draw 0: .CURVELINE#500(Ref var 0, Number 1)\n", {}},
        // Each parameter enters the drawing list once, in order of first use.
        {".CURVELINE(M,N,M);", "Draw 0: .CURVELINE#500(Param 0, Param 1, Param 0)\n", {"M", "N"}},
        {".CURVELINE(OUT(N,M));",
         "Draw 0: .CURVELINE#500(Ref output 0(Param 0, Param 1))\n",
         {"N", "M"}},
        // The statement around a drawing call is dropped.
        {"X=.CURVELINE(A,1);", "Draw 0: .CURVELINE#500(Ref var 0, Number 1)\n", {}},
        // The slot count restarts at 0 inside a drawing statement and resumes after it.
        {"X=MA(CLOSE,5);\r\n.CURVELINE(MA(CLOSE,N),HHV(A,3),1);\r\nA=MA(OPEN,3);",
         "Ref var 3 = MA#140(State 5, Ref field 0, Number 5)\n"
         "Ref var 0 = MA#140(State 6, Ref field 1, Number 3)\n"
         "Draw 2: .CURVELINE#500(MA#140(State 1, Ref field 0, Param 0), "
         "HHV#119(State 2, Ref var 0, Number 3), Number 1)\n",
         {"N"}},
    };
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszScript);
        const CompileRun run = CompileScript(row.pszScript);
        ASSERT_EQ(run.nStatus, COMPILE_OK);
        EXPECT_EQ(run.Dump(), row.pszDump);
        EXPECT_EQ(run.pInfo->m_vecDrawParamNames, row.vecDrawParams);
        ASSERT_EQ(run.pInfo->m_vecDrawParamValues.size(), row.vecDrawParams.size());
        for (size_t i = 0; i < row.vecDrawParams.size(); ++i) {
            EXPECT_EQ(run.pInfo->m_vecDrawParamValues[i],
                      row.vecDrawParams[i] == "N" ? 5.0f : 10.0f);
        }
    }
    // The target of the dropped statement stays in the reference list.
    EXPECT_EQ(CompileScript("X=.CURVELINE(A,1);").pInfo->m_vecRefNodes.size(), 1u);
    EXPECT_EQ(CompileScript("X=MA(CLOSE,5);\r\n.CURVELINE(MA(CLOSE,N),1);").pInfo->m_nSeriesSlots,
              5);
}

TEST(ScriptCompiler, ArgumentLimit) {
    // 100 arguments in all, the function id (and the name and subscript of a
    // reference) included. Only the "at least" drawing functions accept 99.
    const std::string strDraw99 = ".CURVELINE(" + Repeat("1", 99, ",") + ");";
    const std::string strDraw100 = ".CURVELINE(" + Repeat("1", 100, ",") + ");";
    EXPECT_EQ(CompileScript(strDraw99).nStatus, COMPILE_OK);
    EXPECT_EQ(CompileScript(strDraw100).nStatus, COMPILE_ERROR);
    // MAX takes two: 99 pass the limit and fail the checker once the ";" is read,
    // 100 are refused at the closing ")".
    const std::string strMax99 = "X=MAX(" + Repeat("1", 99, ",") + ");";
    const std::string strMax100 = "X=MAX(" + Repeat("1", 100, ",") + ");";
    const CompileRun run99 = CompileScript(strMax99);
    const CompileRun run100 = CompileScript(strMax100);
    EXPECT_EQ(run99.nStatus, COMPILE_ERROR);
    EXPECT_EQ(run99.nPos, static_cast<int>(strMax99.size()));
    EXPECT_EQ(run100.nStatus, COMPILE_ERROR);
    EXPECT_EQ(run100.nPos, static_cast<int>(strMax100.size()) - 1);
    EXPECT_EQ(CompileScript("X=CLOSE(" + Repeat("1", 98, ",") + ");").nStatus, COMPILE_OK);
    EXPECT_EQ(CompileScript("X=CLOSE(" + Repeat("1", 99, ",") + ");").nStatus, COMPILE_ERROR);
}

TEST(ScriptCompiler, VolatileSeries) {
    // A statement is volatile when it calls a volatile function or names a series
    // already known to be volatile; a later definition does not reach back.
    const CompileRun run = CompileScript(
        "OUT=X;\r\nX=CURRBARSCOUNT+1;\r\nOUT=X*2;\r\nA=BACKSET(CLOSE>OPEN,2);\r\nB=1;");
    ASSERT_EQ(run.nStatus, COMPILE_OK);
    const CCalculateInfo& info = *run.pInfo;
    EXPECT_EQ(info.m_setVolatileVariables, (std::set<int64_t>{0, 3}));
    EXPECT_EQ(info.m_setVolatileOutputs, (std::set<int64_t>{0}));
    EXPECT_EQ(info.m_setVolatileSlots,
              (std::set<uint32_t>{PackStateSlots(5, NO_SECOND_STATE_SLOT)}));
    EXPECT_TRUE(info.m_bVolatile);
    EXPECT_TRUE(info.m_bFutureData);
    EXPECT_FALSE(info.m_bLongHistory);
    EXPECT_TRUE(CompileScript("X=EMA(CLOSE,3);").pInfo->m_bLongHistory);
    EXPECT_TRUE(CompileScript("OUT=X;").pInfo->m_setVolatileOutputs.empty());
}

TEST(ScriptCompiler, ScriptsAsTheFrontEndWritesThem) {
    ScriptSource ma5;
    ma5.strScript = "ma5=ma(close,5);\r\n.curveline(ma5,RGB(254,254,254),1);\r\n";
    ma5.vecOutputNames = {"ma5"};
    ma5.vecFieldNames = {"close"};
    ScriptSource column;
    column.strScript = "a=ma(close,n);\r\n.column(cltVolStick,0,a(n),RGB(254,254,254));\r\n";
    column.vecOutputNames = {"a"};
    column.vecFieldNames = {"close"};
    column.vecParamNames = {"n"};
    column.vecParamValues = {5.0f};
    ScriptSource text;
    text.strScript =
        "x=close>open&close>ref(close,1);\r\n.tempdrawparam0=close>open;\r\n"
        ".tempdrawparam1=low;\r\n.tempdrawparam2=\"up\";\r\n"
        "drawtext(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,RGB(254,254,254),1,"
        "ployNomal,0);\r\n";
    text.vecOutputNames = {"....."};
    text.vecFieldNames = {"close", "open", "low"};
    text.vecVariableNames = {"x", ".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2"};

    const std::string strRgb = "RGB#499(Number 254, Number 254, Number 254)";
    const struct {
        const ScriptSource* pSource;
        std::string strDump;
    } arrCases[] = {
        {&ma5,
         "Ref output 0 = MA#140(State 1, Ref field 0, Number 5)\n"
         "Draw 0: .CURVELINE#500(Ref output 0, " +
             strRgb + ", Number 1)\n"},
        {&column,
         "Ref output 0 = MA#140(State 1, Ref field 0, Param 0)\n"
         "Draw 0: .COLUMN#502(Number 0x01000000, Number 0, Ref output 0(Param 0), " +
             strRgb + ")\n"},
        {&text,
         "Ref var 0 = And(Greater(Ref field 0, Ref field 1), "
         "Greater(Ref field 0, REF#126(Ref field 0, Number 1)))\n"
         "Ref var 1 = Greater(Ref field 0, Ref field 1)\n"
         "Ref var 2 = Ref field 2\n"
         "Ref var 3 = String 0 \"UP\"\n"
         "Draw 0: DRAWTEXT#509(Ref var 1, Ref var 2, Ref var 3, " +
             strRgb + ", Number 1, Number 0x01000008, Number 0)\n"},
    };
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pSource->strScript);
        const CompileRun run = CompileScript(*row.pSource);
        ASSERT_EQ(run.nStatus, COMPILE_OK);
        EXPECT_EQ(run.Dump(), row.strDump);
    }
    EXPECT_EQ(CompileScript(column).pInfo->m_vecParamValues, std::vector<float>{5.0f});
}

TEST(ScriptCompiler, FieldIds) {
    // Field ids in the order of the front end's list; CAPITAL opens the range of
    // bar-independent values, and names are matched whatever their case.
    ScriptSource source = StandardLists("X=1;");
    source.vecFieldNames = {"vol", "capital", "Iv", "preclose", "foo"};
    EXPECT_EQ(CompileScript(source).pInfo->m_vecFieldIds, (std::vector<int>{6, 501, 16, 15, -1}));
    EXPECT_EQ(FindDataFieldId("HIGH"), 1);
    EXPECT_EQ(FindDataFieldId("high"), DATA_FIELD_UNKNOWN);
}

TEST(ScriptCompiler, RefusesBadInput) {
    CCalculateInfo info;
    ScriptSource source = StandardLists("X=1;");
    CScriptCompiler compiler;
    EXPECT_EQ(compiler.Compile(nullptr, &info), COMPILE_ERROR);
    EXPECT_EQ(compiler.Compile(&source, nullptr), COMPILE_ERROR);
    source.vecParamValues.pop_back();  // a parameter without a value
    EXPECT_EQ(compiler.Compile(&source, &info), COMPILE_ERROR);
}

TEST(ScriptCompiler, StateSlotsFitSixteenBits) {
    // Slots are numbered after the variables and packed into 16 bits, 0xFFFF meaning
    // "none": the last usable slot is 0xFFFE.
    ScriptSource source = StandardLists("MA(CLOSE,5);");
    source.vecVariableNames.resize(0xFFFD);
    const CompileRun run = CompileScript(source);
    ASSERT_EQ(run.nStatus, COMPILE_OK);
    EXPECT_EQ(run.Dump(), "MA#140(State 65534, Ref field 0, Number 5)\n");
    source.vecVariableNames.resize(0xFFFE);
    EXPECT_EQ(CompileScript(source).nStatus, COMPILE_ERROR);
}

TEST(ScriptCompiler, DepthLimit) {
    // A chain of n terms is n - 1 levels deep.
    EXPECT_EQ(CompileScript("X=" + Repeat("1", MAX_EXPRESSION_DEPTH + 1, "+") + ";").nStatus,
              COMPILE_OK);
    EXPECT_EQ(CompileScript("X=" + Repeat("1", MAX_EXPRESSION_DEPTH + 2, "+") + ";").nStatus,
              COMPILE_ERROR);
    EXPECT_EQ(CompileScript("X=" + Repeat("A", 100000, "-") + ";").nStatus, COMPILE_ERROR);
    // Parentheses and calls nest the compiler itself; the statement's own
    // expression is the first level.
    const auto Nested = [](const std::string& strOpen, int nCount) {
        return "X=" + Repeat(strOpen, nCount, "") + "1" + std::string(nCount, ')') + ";";
    };
    EXPECT_EQ(CompileScript(Nested("(", MAX_EXPRESSION_DEPTH - 1)).nStatus, COMPILE_OK);
    EXPECT_EQ(CompileScript(Nested("(", MAX_EXPRESSION_DEPTH)).nStatus, COMPILE_ERROR);
    EXPECT_EQ(CompileScript(Nested("ABS(", MAX_EXPRESSION_DEPTH - 1)).nStatus, COMPILE_OK);
    EXPECT_EQ(CompileScript(Nested("(", 100000)).nStatus, COMPILE_ERROR);
    EXPECT_EQ(CompileScript(Nested("ABS(", 100000)).nStatus, COMPILE_ERROR);
    EXPECT_EQ(CompileScript(Nested("CLOSE(1+", 100000)).nStatus, COMPILE_ERROR);
}

// Every index a compiled formula holds points into its list (walks the trees).
bool OperandIsConsistent(const CCalculateInfo& info, bool bDraw, uint32_t nType, int64_t value) {
    const size_t nRefs = (bDraw ? info.m_vecDrawRefNodes : info.m_vecRefNodes).size();
    const size_t nParams = (bDraw ? info.m_vecDrawParamValues : info.m_vecParamValues).size();
    switch (nType) {
        case OperandType::Reference:
            return value >= 0 && static_cast<size_t>(value) < nRefs;
        case OperandType::Parameter:
            return value >= 0 && static_cast<size_t>(value) < nParams;
        case OperandType::String:
            return value >= 0 && static_cast<size_t>(value) < info.m_vecStrings.size();
        case OperandType::FunctionId:
            return FindFunctionById(value) >= 0;
        case OperandType::Node: {
            const ExprNode* pNode = ReadNodePointer(value);
            for (uint32_t i = 0; pNode != nullptr && i < pNode->nArgs; ++i) {
                if (!OperandIsConsistent(info, bDraw, pNode->pTypes[i], pNode->pValues[i])) {
                    return false;
                }
            }
            return pNode != nullptr;
        }
        default:
            return true;
    }
}

void ExpectConsistent(const CompileRun& run, const std::string& strScript) {
    const CCalculateInfo& info = *run.pInfo;
    EXPECT_EQ(info.m_vecDrawParamNames.size(), info.m_vecDrawParamValues.size()) << strScript;
    if (run.nStatus != COMPILE_OK) return;
    for (const Statement* pStatement : info.m_vecStatements) {
        EXPECT_TRUE(OperandIsConsistent(info, false, pStatement->typeB, pStatement->valueB))
            << strScript;
    }
    for (const Statement* pStatement : info.m_vecDrawStatements) {
        EXPECT_TRUE(OperandIsConsistent(info, true, pStatement->typeB, pStatement->valueB))
            << strScript;
    }
}

// Random token soups and broken versions of real scripts: never a crash, never a
// leak (the sanitizer build checks), and whatever compiles is consistent.
TEST(ScriptCompiler, SurvivesArbitraryInput) {
    const char* const arrTokens[] = {
        "X",       "A",      "OUT",        "OUT(N,M)", "CLOSE", "N",      "MA",
        "EMA",     "SAR",    ".CURVELINE", "DRAWTEXT", "RGB",   "CLRRED", "CURRBARSCOUNT",
        "BACKSET", "(",      ")",          "[",        "]",     ",",      ";",
        "=",       "+",      "-",          "*",        "/",     "^",      ">=",
        "<>",      "&",      "|",          "1",        "2.5",   "-3",     "1.",
        "\"",      "\"S%\"", "\"T\\\"\"",  "\\",       "%",     " ",      "\r\n",
        "\t",      "!",      "\xb4"};
    std::mt19937 random(20240601);
    std::uniform_int_distribution<size_t> pickToken(0, std::size(arrTokens) - 1);
    std::uniform_int_distribution<int> pickLength(0, 40);
    std::uniform_int_distribution<int> pickByte(0, 255);
    for (int nRound = 0; nRound < 20000; ++nRound) {
        std::string strScript;
        const int nLength = pickLength(random);
        for (int i = 0; i < nLength; ++i) {
            if (pickByte(random) < 8) {
                strScript += static_cast<char>(pickByte(random));
            } else {
                strScript += arrTokens[pickToken(random)];
            }
        }
        const CompileRun run = CompileScript(strScript);
        ASSERT_TRUE(run.nStatus == COMPILE_OK || run.nStatus == COMPILE_ERROR) << strScript;
        ExpectConsistent(run, strScript);
    }

    const std::string strValid =
        "X=MA(CLOSE,N)+EMA(OPEN,M)*2;\r\nOUT=IF(X>REF(X,1),SAR(10,2,20),CLOSE[1]);\r\n"
        "A=\"5%%\" \"\\\"Q\";\r\n.CURVELINE(OUT(N,M),RGB(254,254,254),1);\r\n"
        "DRAWTEXT(X>1,CLOSE,A,RGB(1,2,3),1,PLOYNOMAL,0);\r\n";
    ASSERT_EQ(CompileScript(strValid).nStatus, COMPILE_OK);
    for (size_t i = 0; i <= strValid.size(); ++i) {
        std::string strCut = strValid.substr(0, i);
        ExpectConsistent(CompileScript(strCut), strCut);
        std::string strHoled = strValid;
        strHoled.erase(i, 1);
        ExpectConsistent(CompileScript(strHoled), strHoled);
    }
}

}  // namespace
