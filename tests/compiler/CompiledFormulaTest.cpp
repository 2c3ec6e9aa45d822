#include <gtest/gtest.h>

#include <string>

#include "compiler/NodeBuilder.h"
#include "index/compiler/CompiledFormula.h"
#include "index/compiler/CompiledFormulaDump.h"
#include "index/compiler/OperandList.h"

using namespace testnodes;

namespace {

uint32_t LowWord(int64_t value) {
    return static_cast<uint32_t>(value);
}
uint32_t HighWord(int64_t value) {
    return static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32);
}

TEST(NumberOperand, BitPatterns) {
    const struct {
        float fValue;
        uint32_t nLow;
        uint32_t nHigh;
    } arrFloats[] = {
        {1.0f, 0x3F800000, 0},           {1.5f, 0x3FC00000, 0},           {0.0f, 0, 0},
        {-1.0f, 0xBF800000, 0xFFFFFFFF}, {-0.0f, 0x80000000, 0xFFFFFFFF},
    };
    for (const auto& row : arrFloats) {
        const Operand operand = MakeNumberOperand(row.fValue);
        EXPECT_EQ(operand.type, OperandType::Number);
        EXPECT_EQ(LowWord(operand.value), row.nLow) << row.fValue;
        EXPECT_EQ(HighWord(operand.value), row.nHigh) << row.fValue;
        EXPECT_EQ(ReadNumberFloat(operand.value), row.fValue);
    }
    // Named constants keep their code; they are not converted to float.
    const Operand red = MakeConstantOperand(0x020000FF);
    EXPECT_EQ(red.type, OperandType::Number);
    EXPECT_EQ(red.value, 0x020000FF);
    EXPECT_EQ(ReadNumberCode(red.value), 0x020000FFu);
    const Operand high = MakeConstantOperand(0xFF0000FF);
    EXPECT_EQ(HighWord(high.value), 0xFFFFFFFFu);
    EXPECT_EQ(ReadNumberCode(high.value), 0xFF0000FFu);
}

TEST(ExprNodeStorage, AllocationAndArguments) {
    ExprNode* pNode = AllocateNode(NodeKind::Call, 3);
    ASSERT_NE(pNode, nullptr);
    EXPECT_EQ(pNode->nKind, NodeKind::Call);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(pNode->pTypes[i], OperandType::Empty);
        EXPECT_EQ(pNode->pValues[i], 0);
    }
    EXPECT_EQ(GetNodeArgument(pNode, 3).type, OperandType::Empty);
    SetNodeArgument(pNode, 3, Num(1.0f));  // ignored, not a write past the end
    SetNodeArgument(pNode, 0, Fid(144));
    SetNodeArgument(pNode, 1, Ref(0));
    SetNodeArgument(pNode, 2, Num(12.0f));

    // The auto variable goes in at 1 and everything after it moves up by one.
    ASSERT_TRUE(InsertNodeArgument(pNode, 1, Ref(7)));
    ASSERT_EQ(pNode->nArgs, 4u);
    EXPECT_EQ(DumpNode(pNode), "EMA#144(Ref #7, Ref #0, Number 12)");
    ASSERT_TRUE(InsertNodeArgument(pNode, 4, Num(2.0f)));
    EXPECT_EQ(DumpNode(pNode), "EMA#144(Ref #7, Ref #0, Number 12, Number 2)");
    EXPECT_FALSE(InsertNodeArgument(pNode, 6, Num(3.0f)));
    EXPECT_FALSE(InsertNodeArgument(nullptr, 0, Num(3.0f)));
    EXPECT_EQ(pNode->nArgs, 5u);
    ReleaseNode(pNode);

    EXPECT_EQ(AllocateNode(NodeKind::Call, MAX_NODE_ARGUMENTS + 1), nullptr);
    ReleaseNode(nullptr);
    ReleaseStatement(nullptr);
}

// Operand lists keep a few entries in place and move to the heap beyond them; nodes
// hold their arguments in their own block until an insertion moves them out; a wide
// node has more children pending release than fit on the stack. Every length across
// those limits keeps order and depth, and the sanitizer build reports any leak or
// double release.
TEST(ExprNodeStorage, ListsAndNodesAcrossTheirInlineLimits) {
    for (int nCount : {1, 5, 6, 7, 12, 13, 17, 40}) {
        SCOPED_TRACE(nCount);
        COperandList list;
        std::string strExpected = "MA#140(";
        list.Push(Fid(140), 0);
        for (int i = 0; i < nCount; ++i) {
            if (i % 2 == 0) {
                list.Push(Child(NodeKind::Add, {Num(static_cast<float>(i)), Num(1.0f)}), 1);
                strExpected += "Add(Number " + std::to_string(i) + ", Number 1), ";
            } else {
                list.Push(Num(static_cast<float>(i)), 0);
                strExpected += "Number " + std::to_string(i) + ", ";
            }
        }
        // One more, popped again: the list hands its tree back and forgets it.
        list.Push(Child(NodeKind::Mul, {Num(2.0f), Num(3.0f)}), 7);
        int nDepth = 0;
        const Operand popped = list.Pop(nDepth);
        EXPECT_EQ(nDepth, 7);
        ReleaseOperandTree(popped);
        ASSERT_EQ(list.Size(), static_cast<size_t>(nCount) + 1);
        EXPECT_EQ(list.MaxDepth(), 1);
        EXPECT_EQ(list.At(0).type, OperandType::FunctionId);

        ExprNode* pNode = list.MoveIntoNode(NodeKind::Call);
        ASSERT_NE(pNode, nullptr);
        EXPECT_EQ(list.Size(), 0u);
        ASSERT_TRUE(InsertNodeArgument(pNode, 1, Ref(9)));
        ASSERT_TRUE(InsertNodeArgument(pNode, pNode->nArgs, Num(5.0f)));
        strExpected.insert(std::string("MA#140(").size(), "Ref #9, ");
        EXPECT_EQ(DumpNode(pNode), strExpected + "Number 5)");
        ReleaseNode(pNode);
    }
}

// A formula with trees under statements, trees under reference nodes (subscripts,
// field call arguments) and Reference operands that only index the lists; the
// sanitizer build reports any leak or double release.
TEST(CalculateInfoOwnership, DestroysEverythingOnce) {
    auto* pInfo = new CCalculateInfo;
    pInfo->m_vecRefNodes.push_back(BuildRef(RefListKind::Field, 0));
    pInfo->m_vecRefNodes.push_back(BuildRef(RefListKind::Output, 0));
    pInfo->m_vecRefNodes.push_back(
        Build(NodeKind::Reference,
              {Typed(RefListKind::Field, 1), Child(NodeKind::Add, {Num(1.0f), Num(2.0f)}),
               Child(NodeKind::Mul, {Num(3.0f), Num(4.0f)})}));
    pInfo->m_vecRefNodes.push_back(BuildRef(RefListKind::Variable, 1));  // auto variable
    pInfo->m_vecDrawRefNodes.push_back(BuildRef(RefListKind::Output, 0));

    Statement* pAssign = AllocateStatement();
    pAssign->typeA = OperandType::Reference;
    pAssign->valueA = 1;
    const Operand ma = Child(NodeKind::StatefulCall, {Fid(140), State(1), Ref(0), Num(5.0f)});
    const Operand ema = Child(NodeKind::Call, {Fid(144), Ref(3), Ref(2), Num(12.0f)});
    const Operand sum = Child(NodeKind::Add, {ma, Child(NodeKind::Sub, {ema, Ref(0)})});
    pAssign->typeB = sum.type;
    pAssign->valueB = sum.value;
    pInfo->m_vecStatements.push_back(pAssign);
    EXPECT_EQ(DumpStatement(pAssign),
              "Ref #1 = Add(MA#140(State 1, Ref #0, Number 5), "
              "Sub(EMA#144(Ref #3, Ref #2, Number 12), Ref #0))");
    EXPECT_EQ(DumpStatement(pAssign, pInfo),
              "Ref output 0 = Add(MA#140(State 1, Ref field 0, Number 5), "
              "Sub(EMA#144(Ref var 1, Ref field 1[Add(Number 1, Number 2)](Mul(Number 3, "
              "Number 4)), Number 12), Ref field 0))");

    Statement* pDraw = AllocateStatement();
    pDraw->nRole = STATEMENT_ROLE_DRAW;
    pDraw->typeA = OperandType::Number;
    pDraw->valueA = 0;
    const Operand curve = Child(NodeKind::Call, {Fid(500), Ref(0), MakeConstantOperand(0x020000FF),
                                                 Typed(OperandType::String, 0)});
    pDraw->typeB = curve.type;
    pDraw->valueB = curve.value;
    pInfo->m_vecDrawStatements.push_back(pDraw);
    pInfo->m_vecStrings.push_back("TEXT");
    EXPECT_EQ(DumpStatement(pDraw, pInfo),
              "Draw 0: .CURVELINE#500(Ref output 0, Number 0x020000FF, String 0 \"TEXT\")");
    EXPECT_EQ(DumpCalculateInfo(*pInfo),
              DumpStatement(pAssign, pInfo) + "\n" + DumpStatement(pDraw, pInfo) + "\n");

    pInfo->m_setVolatileSlots.insert(PackStateSlots(1, NO_SECOND_STATE_SLOT));
    delete pInfo;
}

// Long operator chains compile into trees as deep as the chain is long.
TEST(CalculateInfoOwnership, DeepChainReleasesWithoutRecursion) {
    Operand chain = Num(1.0f);
    for (int i = 0; i < 300000; ++i) chain = Child(NodeKind::Add, {chain, Num(1.0f)});
    const std::string strDump = DumpOperand(chain);
    EXPECT_EQ(strDump.rfind("Add(Add(", 0), 0u);
    EXPECT_NE(strDump.find("..."), std::string::npos);
    ReleaseNode(ReadNodePointer(chain.value));
}

TEST(CompiledFormulaDump, Forms) {
    const struct {
        Operand operand;
        const char* pszExpected;
    } arrCases[] = {
        {Child(NodeKind::Add, {Num(1.0f), Child(NodeKind::Mul, {Num(2.0f), Num(3.0f)})}),
         "Add(Number 1, Mul(Number 2, Number 3))"},
        {Child(NodeKind::GreaterEqual, {Num(-1.5f), Num(0.1f)}),
         "GreaterEqual(Number -1.5, Number 0.1)"},
        {Child(NodeKind::StatefulCall,
               {Fid(213), Ref(4), Typed(OperandType::StateSlots, PackStateSlots(3, 4)), Num(2.0f)}),
         "SAR#213(Ref #4, State 3/4, Number 2)"},
        {Child(NodeKind::Call, {Fid(777), Typed(OperandType::Parameter, 2)}), "#777(Param 2)"},
        {Child(NodeKind::Reference, {Typed(RefListKind::Variable, 3), Num(0.0f)}),
         "Reference(var 3, Number 0)"},
        {Child(99, {Typed(42, 7)}), "Kind99(Type42 7)"},
        {MakeConstantOperand(0x01000003), "Number 0x01000003"},
        {Typed(OperandType::Empty, 0), "Empty"},
        {MakeNodeOperand(nullptr), "null"},
    };
    for (const auto& row : arrCases) {
        EXPECT_EQ(DumpOperand(row.operand), row.pszExpected);
        if (row.operand.type == OperandType::Node) ReleaseNode(ReadNodePointer(row.operand.value));
    }

    CCalculateInfo info;
    EXPECT_EQ(DumpOperand(Ref(0), &info), "Ref #0 missing");
    EXPECT_EQ(DumpOperand(Ref(0), &info, true), "Ref #0 missing");
    info.m_vecDrawRefNodes.push_back(BuildRef(RefListKind::Output, 2));
    EXPECT_EQ(DumpOperand(Ref(0), &info, true), "Ref output 2");
    EXPECT_EQ(DumpOperand(Typed(OperandType::String, 5), &info), "String 5");

    Statement bare{};
    bare.typeB = OperandType::Number;
    bare.valueB = MakeNumberOperand(1.0f).value;
    EXPECT_EQ(DumpStatement(&bare), "Number 1");
}

}  // namespace
