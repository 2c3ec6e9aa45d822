#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "functions/FormulaBench.h"
#include "index/compiler/CompiledFormulaDump.h"
#include "index/compiler/FunctionTable.h"
#include "index/functions/FunctionDispatch.h"

using namespace testnodes;

namespace {

constexpr uint32_t REVERSE_ID = 125;
constexpr uint32_t SQRT_ID = 12;

bool IsCallable(const FunctionDescriptor& descriptor) {
    return (descriptor.nFlags & FF_DRAW) == 0 && descriptor.nId != REVERSE_ID;
}

TEST(DispatchTable, RowsAreConsistent) {
    const int nCount = GetDispatchEntryCount();
    ASSERT_LE(nCount, DISPATCH_TABLE_SIZE);
    EXPECT_EQ(GetDispatchEntry(-1), nullptr);
    EXPECT_EQ(GetDispatchEntry(nCount), nullptr);
    std::set<uint32_t> setIds;
    for (int nPosition = 0; nPosition < nCount; ++nPosition) {
        const DispatchEntry* pEntry = GetDispatchEntry(nPosition);
        ASSERT_NE(pEntry, nullptr);
        SCOPED_TRACE(pEntry->nId);
        EXPECT_NE(pEntry->pfnImpl, nullptr);
        EXPECT_TRUE(setIds.insert(pEntry->nId).second) << "id twice";
        const FunctionDescriptor* pDescriptor =
            GetFunctionDescriptor(FindFunctionById(pEntry->nId));
        ASSERT_NE(pDescriptor, nullptr) << "no such function";
        EXPECT_TRUE(IsCallable(*pDescriptor));
        EXPECT_EQ(FindDispatchPosition(pEntry->nId), nPosition);
    }
}

// Fails, listing the ids still missing, until every family has its rows in the table.
TEST(DispatchTable, CoversEveryCallableFunction) {
    std::string strMissing;
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        const FunctionDescriptor* pDescriptor = GetFunctionDescriptor(i);
        if (IsCallable(*pDescriptor) && FindDispatchPosition(pDescriptor->nId) < 0) {
            strMissing += " " + std::string(pDescriptor->szName);
        }
    }
    EXPECT_EQ(strMissing, "");
    EXPECT_EQ(GetDispatchEntryCount(), DISPATCH_TABLE_SIZE);
}

TEST(CallFunction, RefusesMalformedCalls) {
    CFormulaBench bench(2);
    const Operand x = bench.Constant(4.0);
    const Operand arrBad[] = {
        bench.Call(REVERSE_ID, {x}),
        bench.Call(599, {x}),
        bench.Call(600, {x}),
        Child(NodeKind::Call, {Fid(-1), x}),
        Child(NodeKind::Call, {Fid(0x100000000 + SQRT_ID), x}),
        Child(NodeKind::Call, {Typed(OPERAND_TYPE_TABLE_POSITION, DISPATCH_TABLE_SIZE), x}),
        Child(NodeKind::Call, {Typed(OPERAND_TYPE_TABLE_POSITION, -1), x}),
        Child(NodeKind::Call, {Num(12), x}),
        Child(NodeKind::Call, {}),
        Child(NodeKind::Add, {Fid(SQRT_ID), x}),  // an operator node is no call
    };
    for (const Operand& call : arrBad) {
        bench.Keep(call);
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(call, 1, dValue), EVAL_ERROR) << DumpOperand(call);
    }

    const ExprNode* pSqrt = ReadNodePointer(bench.Keep(bench.Call(SQRT_ID, {x})).value);
    double dValue = 0.0;
    EXPECT_EQ(CallFunction(nullptr, &dValue, &bench.m_context, 0), EVAL_ERROR);
    EXPECT_EQ(CallFunction(pSqrt, nullptr, &bench.m_context, 0), EVAL_ERROR);
    EXPECT_EQ(CallFunction(pSqrt, &dValue, nullptr, 0), EVAL_ERROR);
    bench.m_context.pStore = nullptr;
    EXPECT_EQ(CallFunction(pSqrt, &dValue, &bench.m_context, 0), EVAL_ERROR);
}

TEST(CallFunction, BarOutsideTheStoreSkipsTheFunction) {
    CFormulaBench bench(3);
    const ExprNode* pSqrt =
        ReadNodePointer(bench.Keep(bench.Call(SQRT_ID, {bench.Constant(16)})).value);
    bench.m_context.nBar = 2;
    // clang-format off
    const struct { int nOffset; double dExpected; } arrCases[] = {
        {0, 4}, {2, 4}, {3, INVALID_VALUE}, {-1, INVALID_VALUE},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        bench.m_source.ResetCalls();
        double dValue = 0.0;
        ASSERT_EQ(CallFunction(pSqrt, &dValue, &bench.m_context, row.nOffset), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
        EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD),
                  IsInvalid(row.dExpected) ? 0 : 1);
    }
    // Even a call that would be refused: the bar is checked first.
    const ExprNode* pReverse = ReadNodePointer(bench.Keep(bench.Call(REVERSE_ID, {Num(1)})).value);
    double dValue = 0.0;
    EXPECT_EQ(CallFunction(pReverse, &dValue, &bench.m_context, 5), EVAL_OK);
    EXPECT_TRUE(SameValue(INVALID_VALUE, dValue));
}

TEST(CallFunction, ReachesFunctionsByTablePosition) {
    CFormulaBench bench(1);
    const int nPosition = FindDispatchPosition(SQRT_ID);
    ASSERT_GE(nPosition, 0);
    const Operand call = bench.Keep(
        Child(NodeKind::Call, {Typed(OPERAND_TYPE_TABLE_POSITION, nPosition), bench.Constant(9)}));
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(call, 0, dValue), EVAL_OK);
    EXPECT_EQ(dValue, 3);
}

TEST(ConstantFunctions, AnswerOneWithoutLookingAtTheirArguments) {
    const uint32_t arrIds[] = {131, 136, 190, 191, 193, 210, 217, 218, 219, 220, 221, 224};
    for (const uint32_t nId : arrIds) {
        SCOPED_TRACE(nId);
        CFormulaBench bench(3);
        std::vector<Operand> vecArgs;
        for (int i = 0; i < FunctionArgCount(nId); ++i)
            vecArgs.push_back(bench.Constant(FAKE_REFUSED));
        const Operand call = bench.Keep(bench.Call(nId, vecArgs));
        for (const double dValue : bench.EvaluateBars(call)) EXPECT_EQ(dValue, 1.0);
        EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_FIELD), 0);
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(call, 2, dValue, 3), EVAL_OK);
        EXPECT_TRUE(SameValue(INVALID_VALUE, dValue));
    }
}

}  // namespace
