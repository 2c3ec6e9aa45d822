#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "compiler/NodeBuilder.h"
#include "index/compiler/FunctionTable.h"

using namespace testnodes;

namespace {

bool IsDrawId(uint32_t nId) {
    return nId == 240 || nId == 241 || (nId >= 500 && nId <= 516);
}

TEST(FunctionTable, EntriesAreConsistent) {
    ASSERT_EQ(GetFunctionDescriptor(-1), nullptr);
    ASSERT_EQ(GetFunctionDescriptor(FUNCTION_COUNT), nullptr);
    std::set<uint32_t> setIds;
    std::set<std::string> setNames;
    std::set<std::string> setCheckerB;
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        const FunctionDescriptor* pEntry = GetFunctionDescriptor(i);
        ASSERT_NE(pEntry, nullptr);
        const std::string strName = pEntry->szName;
        SCOPED_TRACE(strName);
        EXPECT_TRUE(setIds.insert(pEntry->nId).second);
        EXPECT_TRUE(setNames.insert(strName).second);
        EXPECT_FALSE(strName.empty());
        EXPECT_EQ(strName.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos);
        ASSERT_NE(pEntry->pfnCheck, nullptr);
        if (pEntry->pfnCheck == CheckArgumentsB) setCheckerB.insert(strName);
        // Drawing functions, and only they, take a minimum number of arguments.
        const bool bDraw = (pEntry->nFlags & FF_DRAW) != 0;
        EXPECT_EQ(bDraw, IsDrawId(pEntry->nId));
        EXPECT_EQ(bDraw, (pEntry->nArgs & FUNCTION_ARGS_AT_LEAST) != 0);
        EXPECT_EQ(FindFunctionByName(strName), i);
        EXPECT_EQ(FindFunctionById(pEntry->nId), i);
    }
    EXPECT_EQ(setCheckerB, (std::set<std::string>{"EMA", "SMA", "DMA"}));
}

// The functions that keep their own result series are exactly those that get a
// hidden auto variable; the function library relies on that.
TEST(FunctionTable, AutoVariableFunctionsMatchOwnResultFunctions) {
    std::set<std::string> setAuto;
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        const FunctionDescriptor* pEntry = GetFunctionDescriptor(i);
        if (FunctionHasAutoVariable(pEntry->nId)) setAuto.insert(pEntry->szName);
    }
    EXPECT_EQ(setAuto, (std::set<std::string>{"EMA", "SMA", "DMA", "TMA", "MEMA", "EXPMA",
                                              "EXPMEMA", "AMA", "VALUEWHEN", "SAR", "SARTURN"}));
}

TEST(FunctionTable, FindByName) {
    const struct {
        std::string strName;
        int nIndex;
    } arrCases[] = {
        {"MA", 30},
        {"ma", 30},
        {"MAX", 73},
        {".CURVELINE", 138},
        {".curveline", 138},
        {"CURVELINE", -1},
        {"M", -1},
        {"MAXX", -1},
        {"", -1},
        {std::string("MA\0X", 4), -1},
        {"MA ", -1},
        {"CALCSTOCKINDEXXXXXXXXXX", -1},
    };
    for (const auto& row : arrCases) {
        EXPECT_EQ(FindFunctionByName(row.strName), row.nIndex) << row.strName;
    }
}

TEST(FunctionTable, FindByIdAndArgCount) {
    const struct {
        int64_t nId;
        int nIndex;
        int nArgCount;
    } arrCases[] = {
        {140, 30, 2},  {0, 73, 2},    {144, 31, 3},  {500, 138, 1},
        {516, 154, 4}, {514, 152, 6}, {499, 155, 3}, {160, 50, 0},
        {-1, -1, 0},   {600, -1, 0},  {999, -1, 0},  {(int64_t(1) << 32) + 140, -1, 0},
    };
    for (const auto& row : arrCases) {
        EXPECT_EQ(FindFunctionById(row.nId), row.nIndex) << row.nId;
        EXPECT_EQ(FunctionArgCount(row.nId), row.nArgCount) << row.nId;
    }
}

TEST(FunctionTable, FlagQueries) {
    const int nMA = FindFunctionByName("MA");
    const int nEMA = FindFunctionByName("EMA");
    const int nSAR = FindFunctionByName("SAR");
    const int nBackset = FindFunctionByName("BACKSET");
    const int nBarStatus = FindFunctionByName("BARSTATUS");

    EXPECT_TRUE(FunctionIsVolatile(nBackset));
    EXPECT_TRUE(FunctionIsVolatile(nBarStatus));
    EXPECT_FALSE(FunctionIsVolatile(nMA));
    EXPECT_FALSE(FunctionIsVolatile(-1));
    EXPECT_FALSE(FunctionIsVolatile(FUNCTION_COUNT));

    EXPECT_TRUE(FunctionHasState(nMA));
    EXPECT_TRUE(FunctionHasState(nSAR));
    EXPECT_FALSE(FunctionHasState(nEMA));
    EXPECT_FALSE(FunctionHasState(nBarStatus));
    EXPECT_FALSE(FunctionHasState(FUNCTION_COUNT));

    EXPECT_EQ(StateSlotCount(nMA), 1);
    EXPECT_EQ(StateSlotCount(nSAR), 1);
    EXPECT_EQ(StateSlotCount(nEMA), 0);
    EXPECT_EQ(StateSlotCount(-3), 0);

    EXPECT_TRUE(FunctionHasAutoVariable(144));
    EXPECT_TRUE(FunctionHasAutoVariable(213));
    EXPECT_FALSE(FunctionHasAutoVariable(140));
    // The drawing functions' "at least" bit equals FF_AUTO_VARIABLE but sits in
    // the count, not in the flags.
    EXPECT_FALSE(FunctionHasAutoVariable(500));
    EXPECT_FALSE(FunctionHasAutoVariable(-144));
}

// Reference list of a statement: a field, an output, a variable and a hole.
class CheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_vecRefs = {BuildRef(RefListKind::Field, 0), BuildRef(RefListKind::Output, 0),
                     BuildRef(RefListKind::Variable, 2), nullptr};
    }
    void TearDown() override {
        for (ExprNode* pNode : m_vecRefs) ReleaseNode(pNode);
    }
    std::vector<ExprNode*> m_vecRefs;
};

constexpr int OK = COMPILE_OK;
constexpr int ERR = COMPILE_ERROR;

TEST_F(CheckerTest, CallNodes) {
    using NK = NodeKind::Value;
    const Operand x = Ref(0);
    const Operand n = Num(5.0f);
    const struct {
        const char* pszCase;
        uint32_t nKind;
        std::vector<Operand> args;
        int nExpected;
    } arrCases[] = {
        {"MA exact", NK::StatefulCall, {Fid(140), State(1), x, n}, OK},
        {"MA one short", NK::StatefulCall, {Fid(140), State(1), x}, ERR},
        {"MA one over", NK::StatefulCall, {Fid(140), State(1), x, n, n}, ERR},
        {"MAX exact", NK::Call, {Fid(0), x, n}, OK},
        {"MAX one short", NK::Call, {Fid(0), x}, ERR},
        {"DRAWTEXT minimum", NK::Call, {Fid(509), x, n, n}, OK},
        {"DRAWTEXT above minimum", NK::Call, {Fid(509), x, n, n, n, n}, OK},
        {"DRAWTEXT below minimum", NK::Call, {Fid(509), x, n}, ERR},
        {".CURVELINE one", NK::Call, {Fid(500), x}, OK},
        {".CURVELINE none", NK::Call, {Fid(500)}, ERR},
        {"DRAWNULL none", NK::Call, {Fid(160)}, OK},
        {"EMA before auto variable", NK::Call, {Fid(144), x, n}, ERR},
        {"EMA with variable", NK::Call, {Fid(144), Ref(2), x, n}, OK},
        {"EMA with output", NK::Call, {Fid(144), Ref(1), x, n}, OK},
        {"EMA with number", NK::Call, {Fid(144), n, x, n}, ERR},
        {"EMA with field", NK::Call, {Fid(144), Ref(0), x, n}, ERR},
        {"EMA with hole", NK::Call, {Fid(144), Ref(3), x, n}, ERR},
        {"EMA ref past list", NK::Call, {Fid(144), Ref(4), x, n}, ERR},
        {"EMA negative ref", NK::Call, {Fid(144), Ref(-1), x, n}, ERR},
        {"TMA with number", NK::Call, {Fid(142), n, x, n, n}, OK},
        {"SAR with auto variable", NK::StatefulCall, {Fid(213), Ref(2), State(1), n, n, n}, OK},
        {"SAR before auto variable", NK::StatefulCall, {Fid(213), State(1), n, n, n}, ERR},
        {"operator node", NK::Add, {Fid(0), x, n}, ERR},
        {"reference node", NK::Reference, {Fid(0), x, n}, ERR},
        {"no function id", NK::Call, {Num(0.0f), x, n}, ERR},
        {"unknown id", NK::Call, {Fid(9999), x, n}, ERR},
        {"no arguments", NK::Call, {}, ERR},
        {"stateful without slots", NK::StatefulCall, {Fid(140)}, ERR},
    };
    for (const auto& row : arrCases) {
        ExprNode* pNode = Build(row.nKind, row.args);
        ASSERT_NE(pNode, nullptr);
        EXPECT_EQ(CheckArguments(pNode, m_vecRefs), row.nExpected) << row.pszCase;
        ReleaseNode(pNode);
    }
    EXPECT_EQ(CheckArguments(nullptr, m_vecRefs), ERR);
}

TEST_F(CheckerTest, CheckerBIsStricterThanA) {
    ExprNode* pNode = Build(NodeKind::Call, {Fid(144), Num(1.0f), Ref(0), Num(12.0f)});
    EXPECT_EQ(CheckArgumentsA(pNode, m_vecRefs), OK);
    EXPECT_EQ(CheckArgumentsB(pNode, m_vecRefs), ERR);
    SetNodeArgument(pNode, 1, Ref(2));
    EXPECT_EQ(CheckArgumentsB(pNode, m_vecRefs), OK);
    EXPECT_EQ(CheckArgumentsB(pNode, {}), ERR);
    ReleaseNode(pNode);
}

// What the compiler does for EMA(CLOSE,12): the written call fails, the inserted
// auto variable makes it pass.
TEST_F(CheckerTest, InsertedAutoVariablePasses) {
    ExprNode* pNode = Build(NodeKind::Call, {Fid(144), Ref(0), Num(12.0f)});
    ASSERT_EQ(CheckArguments(pNode, m_vecRefs), ERR);
    ASSERT_EQ(pNode->nArgs, static_cast<uint32_t>(FunctionArgCount(144)));
    ASSERT_TRUE(InsertNodeArgument(pNode, 1, Ref(2)));
    EXPECT_EQ(CheckArguments(pNode, m_vecRefs), OK);
    ReleaseNode(pNode);
}

TEST_F(CheckerTest, ArgumentLimitStillFailsChecker) {
    ExprNode* pNode = AllocateNode(NodeKind::Call, 100);
    ASSERT_NE(pNode, nullptr);
    SetNodeArgument(pNode, 0, Fid(0));
    for (uint32_t i = 1; i < 100; ++i) SetNodeArgument(pNode, i, Num(1.0f));
    EXPECT_EQ(CheckArguments(pNode, m_vecRefs), ERR);
    ReleaseNode(pNode);
}

}  // namespace
