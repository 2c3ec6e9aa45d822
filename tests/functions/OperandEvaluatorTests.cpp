#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "functions/FormulaBench.h"
#include "index/functions/AssignmentIndex.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/ReferencePlan.h"

using namespace testnodes;

namespace {

constexpr auto FIELD_READS = CFakeDataSource::OP_FIELD;

TEST(OperandEvaluator, Operators) {
    // clang-format off
    const struct { uint32_t nKind; double dLeft; double dRight; double dExpected; } arrCases[] = {
        {NodeKind::Add,          1,             2,             3},
        {NodeKind::Sub,          1,             2,             -1},
        {NodeKind::Mul,          3,             4,             12},
        {NodeKind::Div,          6,             3,             2},
        {NodeKind::Div,          1,             0,             0},
        {NodeKind::Div,          1,             1e-7,          0},  // zero within epsilon
        {NodeKind::And,          0,             5,             0},
        {NodeKind::And,          5e-8,          5,             0},
        {NodeKind::And,          2,             -1,            1},
        {NodeKind::Or,           5e-8,          -5e-8,         0},
        {NodeKind::Or,           0,             -3,            1},
        {NodeKind::Greater,      1 + 1e-7,      1,             0},
        {NodeKind::Greater,      1 + 2e-7,      1,             1},
        {NodeKind::Less,         1,             1 + 1e-7,      0},
        {NodeKind::Less,         1,             1 + 2e-7,      1},
        {NodeKind::Equal,        3,             3.00000005,    1},
        {NodeKind::Equal,        3,             3.0000002,     0},
        {NodeKind::GreaterEqual, 3,             3.00000005,    1},
        {NodeKind::GreaterEqual, 2,             3,             0},
        {NodeKind::LessEqual,    3.00000005,    3,             1},
        {NodeKind::LessEqual,    4,             3,             0},
        {NodeKind::NotEqual,     3,             3.00000005,    0},
        {NodeKind::NotEqual,     1,             2,             1},
        {NodeKind::Caret,        2,             3,             8},
        {NodeKind::Add,          INVALID_VALUE, 1,             INVALID_VALUE},
        {NodeKind::Mul,          0,             INVALID_VALUE, INVALID_VALUE},
        {NodeKind::Div,          INVALID_VALUE, 0,             INVALID_VALUE},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "kind " << row.nKind << " (" << row.dLeft << ", " << row.dRight << ")");
        CFormulaBench bench(1);
        const Operand expr =
            bench.Keep(bench.Op(row.nKind, bench.Series({row.dLeft}), bench.Series({row.dRight})));
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(expr, 0, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
    }
}

// Whole statements as the compiler builds them, evaluated at bar 1 where CLOSE is
// refused, or at bar 2.
TEST(OperandEvaluator, CompiledFormulas) {
    // clang-format off
    const struct { const char* pszScript; int nBar; double dExpected; int nReads; } arrCases[] = {
        {"A=1/0;",                        2, 0,             0},
        {"A=0&CLOSE;",                    2, 0,             1},
        {"A=3=3.00000005;",               2, 1,             0},
        {"A=2*3^2;",                      2, 36,            0},  // "^" binds like "+"
        {"A=SQRT(-4)+MOD(7.5,2);",        2, 0,             0},
        {"A=ASIN(1.0000001);",            2, INVALID_VALUE, 0},
        {"A=B*2;\r\nB=CLOSE+OPEN;",      2, 12,            2},  // B computed on demand
        {"A=1;\r\nA=CLOSE;",             2, 1,             0},  // the first assignment only
        {"A=CLOSE+B;\r\nB=OPEN;",        1, INVALID_VALUE, 1},  // B is not even computed
        {"A=CLOSE+B;\r\nB=OPEN;",        2, 6,             2},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszScript);
        CFormulaBench bench(3);
        ASSERT_EQ(bench.Compile(row.pszScript, {"A", "B"}, {"CLOSE", "OPEN"}), COMPILE_OK);
        bench.m_source.m_mapFields[4] = {1, FAKE_REFUSED, 4};
        bench.m_source.m_mapFields[2] = {2, 2, 2};
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(bench.Output(0), row.nBar, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dExpected, dValue));
        EXPECT_EQ(bench.m_source.Calls(FIELD_READS), row.nReads);
    }
}

TEST(OperandEvaluator, LeafOperandsAndMalformedOperands) {
    CFormulaBench bench(3);
    bench.m_info.m_vecParamValues = {3.5f, 4.0f};
    bench.m_info.m_vecDrawParamValues = {9.0f};
    const Operand one = Num(1.0f);
    const Operand series = bench.Series({1, 2, 3});
    const double ERROR = UNCOMPUTED_VALUE;  // marks the rows that must fail
    // clang-format off
    const struct { Operand operand; int nOffset; bool bDrawMode; double dExpected; } arrCases[] = {
        {Typed(OperandType::Empty, 0),                          0,  false, 0.0},
        {Num(1.5f),                                             99, false, 1.5},  // any bar
        {Typed(OperandType::String, 0),                         0,  false, 0.0},
        {Typed(OperandType::Parameter, 1),                      0,  false, 4.0},
        {Typed(OperandType::Parameter, 0),                      0,  true,  9.0},
        {Typed(OperandType::Parameter, 1),                      0,  true,  ERROR},
        {series,                                                2,  false, 1},
        {series,                                                3,  false, INVALID_VALUE},
        {series,                                                INT32_MIN, false, INVALID_VALUE},
        {bench.Keep(bench.Op(NodeKind::Add, one, series)),      3,  false, INVALID_VALUE},
        {bench.Keep(Child(NodeKind::Unary, {one})),             0,  false, ERROR},
        {bench.Keep(Child(NodeKind::Add, {one, one, one})),     0,  false, ERROR},
        {bench.Keep(Child(NodeKind::Reference, {Typed(RefListKind::Output, 0)})), 0, false, ERROR},
        {bench.Keep(Child(17, {one, one})),                     0,  false, ERROR},
        {bench.Keep(Child(NodeKind::Sub, {one, Ref(99)})),      0,  false, ERROR},
        {MakeNodeOperand(nullptr),                              0,  false, ERROR},
        {Typed(RefListKind::Output, 0),                         0,  false, ERROR},
        {Ref(-1),                                               0,  false, ERROR},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "type " << row.operand.type << " offset " << row.nOffset);
        bench.m_context.bDrawMode = row.bDrawMode;
        double dValue = 0.0;
        const int nStatus = bench.Evaluate(row.operand, 2, dValue, row.nOffset);
        EXPECT_EQ(nStatus, IsComputed(row.dExpected) ? EVAL_OK : EVAL_ERROR);
        if (nStatus == EVAL_OK) {
            EXPECT_TRUE(SameValue(row.dExpected, dValue));
        }
    }
}

TEST(OperandEvaluator, DataFields) {
    CFormulaBench bench(3);
    bench.m_context.dDefault = 7.0;
    bench.m_source.m_mapConstants = {{501, 2.5}, {502, INVALID_VALUE}};
    const double INVALID = INVALID_VALUE;
    // clang-format off
    const struct { Operand operand; double arrExpected[3]; } arrCases[] = {
        {bench.Field(501),  {2.5, 2.5, 2.5}},
        {bench.Field(502),  {INVALID, INVALID, INVALID}},  // answered, but with no value
        {bench.Field(503),  {INVALID, INVALID, INVALID}},  // refused
        {bench.Series({FAKE_REFUSED, UNCOMPUTED_VALUE, 4.0}), {INVALID, INVALID, 4.0}},
        {bench.Field(-1),   {7, 7, 7}},
        {bench.Field(1001), {7, 7, 7}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        for (int nBar = 0; nBar < 3; ++nBar) {
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(row.operand, nBar, dValue), EVAL_OK);
            EXPECT_TRUE(SameValue(row.arrExpected[nBar], dValue)) << nBar;
        }
    }
    // Only a usable constant is kept; the others are asked again at every read.
    EXPECT_EQ(bench.m_source.Calls(CFakeDataSource::OP_CONSTANT_FIELD), 1 + 3 + 3);

    bench.m_info.m_vecRefNodes.push_back(BuildRef(RefListKind::Field, 42));  // beyond the table
    double dValue = 0.0;
    const int64_t nLast = static_cast<int64_t>(bench.m_info.m_vecRefNodes.size()) - 1;
    EXPECT_EQ(bench.Evaluate(Ref(nLast), 0, dValue), EVAL_ERROR);
    bench.m_context.pDataSource = nullptr;
    EXPECT_EQ(bench.Evaluate(arrCases[3].operand, 2, dValue), EVAL_ERROR);
}

TEST(OperandEvaluator, SeriesAreComputedOncePerBarFromTheFirstAssignment) {
    CFormulaBench bench(3);
    bench.Assign(RefListKind::Variable, 0,
                 bench.Op(NodeKind::Mul, bench.Series({1, 2, 3}), Num(10)));
    bench.Assign(RefListKind::Variable, 1, bench.Series({FAKE_REFUSED, FAKE_REFUSED, 1}));
    bench.Assign(RefListKind::Variable, 0, bench.Series({5, 5, 5}));  // never executed
    double dValue = 0.0;
    for (int nRound = 0; nRound < 2; ++nRound) {
        ASSERT_EQ(bench.Evaluate(bench.Variable(0), 2, dValue, 1), EVAL_OK);
        EXPECT_EQ(dValue, 20);
        EXPECT_EQ(bench.m_context.nBar, 2);  // put back after computing bar 1
        ASSERT_EQ(bench.Evaluate(bench.Variable(1), 1, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(INVALID_VALUE, dValue));
    }
    // One read per (variable, bar): an invalid result is a result, not a gap.
    EXPECT_EQ(bench.m_source.Calls(FIELD_READS), 2);
    const double* pSeries = bench.m_store.FindSeries(SERIES_KIND_VARIABLE, 0);
    ASSERT_NE(pSeries, nullptr);
    EXPECT_FALSE(IsComputed(pSeries[0]));
    EXPECT_FALSE(IsComputed(pSeries[2]));

    // Never assigned: nothing is stored and the reference reads the marker.
    ASSERT_EQ(bench.Evaluate(bench.Output(0), 0, dValue), EVAL_OK);
    EXPECT_TRUE(SameValue(UNCOMPUTED_VALUE, dValue));
}

TEST(OperandEvaluator, AssignmentsReadTheOrdinaryLists) {
    CFormulaBench bench(1);
    bench.m_info.m_vecParamValues = {4.0f};
    bench.m_info.m_vecDrawParamValues = {9.0f};
    bench.Assign(RefListKind::Output, 0,
                 bench.Op(NodeKind::Add, Typed(OperandType::Parameter, 0), bench.Series({1})));
    bench.m_info.m_vecDrawRefNodes.push_back(BuildRef(RefListKind::Output, 0));
    bench.m_context.bDrawMode = true;
    double dValue = 0.0;
    ASSERT_EQ(bench.Evaluate(Ref(0), 0, dValue), EVAL_OK);
    EXPECT_EQ(dValue, 5);
    EXPECT_TRUE(bench.m_context.bDrawMode);
}

TEST(OperandEvaluator, FailsWithoutAFittingStoreOrWhenStopped) {
    CFormulaBench bench(3);
    bench.Assign(RefListKind::Variable, 0, bench.Series({1, 2, 3}));
    CSeriesStore smallStore(2);
    bench.m_context.pStore = &smallStore;
    double dValue = 0.0;
    EXPECT_EQ(bench.Evaluate(bench.Variable(0), 1, dValue), EVAL_ERROR);
    bench.m_context.pStore = &bench.m_store;

    bench.m_bStop = true;
    EXPECT_EQ(bench.Evaluate(Num(1), 0, dValue), EVAL_ERROR);
    EXPECT_EQ(bench.Evaluate(bench.Variable(0), 0, dValue), EVAL_ERROR);
    EXPECT_EQ(ComputeSeriesAt(&bench.m_context, SERIES_KIND_VARIABLE, 0), EVAL_ERROR);
    EXPECT_EQ(bench.m_source.Calls(FIELD_READS), 0);
    bench.m_bStop = false;
    EXPECT_EQ(bench.Evaluate(bench.Variable(0), 1, dValue), EVAL_OK);
    EXPECT_EQ(dValue, 2);
}

// A compiled form that defines a variable through itself cannot come from the
// front end, but it must fail the bar instead of exhausting the stack.
TEST(OperandEvaluator, SelfReferenceFailsInsteadOfRecursingForever) {
    CFormulaBench bench(2);
    bench.Assign(RefListKind::Variable, 0, bench.Op(NodeKind::Add, Num(1), bench.Variable(0)));
    double dValue = 0.0;
    EXPECT_EQ(bench.Evaluate(bench.Variable(0), 1, dValue), EVAL_ERROR);
    EXPECT_FALSE(IsComputed(bench.m_store.FindSeries(SERIES_KIND_VARIABLE, 0)[1]));
    EXPECT_EQ(bench.Evaluate(Num(2), 1, dValue), EVAL_OK);  // the depth count recovered
}

// A calculation evaluates with its reference plan, its assignment index and its
// thread's depth counter at hand; every operand, well-formed or not, must give the
// same status, the same value and the same data source reads as without them.
TEST(OperandEvaluator, ThePlannedPathAnswersAsTheWalk) {
    constexpr int BARS = 6;
    const auto build = [](CFormulaBench& bench) {
        bench.m_source.m_mapConstants = {{501, 2.5}};
        const Operand prices = bench.Series({4, FAKE_REFUSED, 6, 3, 9, 1});
        bench.Assign(RefListKind::Variable, 0, bench.Op(NodeKind::Mul, prices, Num(10)));
        bench.Assign(RefListKind::Variable, 1,
                     bench.Op(NodeKind::Add, Num(1), bench.Variable(1)));  // refers to itself
        bench.m_info.m_vecRefNodes.push_back(BuildRef(RefListKind::Field, 42));
        const Operand beyondFieldTable =
            Ref(static_cast<int64_t>(bench.m_info.m_vecRefNodes.size()) - 1);
        bench.m_info.m_vecRefNodes.push_back(BuildRef(20, 0));
        const Operand badKind = Ref(static_cast<int64_t>(bench.m_info.m_vecRefNodes.size()) - 1);
        bench.m_info.m_vecRefNodes.push_back(nullptr);
        const Operand nullRef = Ref(static_cast<int64_t>(bench.m_info.m_vecRefNodes.size()) - 1);
        return std::vector<Operand>{
            prices,
            bench.Field(501),
            bench.Field(-1),
            beyondFieldTable,
            badKind,
            nullRef,
            bench.Variable(0),
            bench.Variable(1),
            bench.Output(3),
            Ref(-1),
            Ref(999),
            bench.Keep(bench.Op(NodeKind::Sub, bench.Variable(0), prices)),
            bench.Keep(bench.CallWithState(119, {bench.Variable(0), Num(3)})),
            bench.Keep(bench.CallWithOwnResult(144, {prices, Num(4)})),
        };
    };
    for (const bool bStopped : {false, true}) {
        CFormulaBench walk(BARS);
        CFormulaBench planned(BARS);
        const std::vector<Operand> vecWalk = build(walk);
        const std::vector<Operand> vecPlanned = build(planned);
        CAssignmentIndex assignments;
        assignments.Build(planned.m_info);
        CReferencePlan plan;
        plan.Build(planned.m_info, &planned.m_store, assignments);
        planned.m_context.pAssignments = &assignments;
        planned.m_context.pPlan = &plan;
        planned.m_context.pDepth = EvaluationDepthCounter();
        walk.m_bStop = planned.m_bStop = bStopped;
        for (size_t i = 0; i < vecWalk.size(); ++i) {
            for (int nBar = 0; nBar < BARS; ++nBar) {
                for (const int nOffset : {0, 1, -1, 7}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "operand " << i << " bar " << nBar << " offset " << nOffset
                                 << " stopped " << bStopped);
                    double dWalk = 0.0;
                    double dPlanned = 0.0;
                    const int nWalk = walk.Evaluate(vecWalk[i], nBar, dWalk, nOffset);
                    ASSERT_EQ(planned.Evaluate(vecPlanned[i], nBar, dPlanned, nOffset), nWalk);
                    if (nWalk == EVAL_OK) {
                        ASSERT_EQ(ValueBits(dWalk), ValueBits(dPlanned));
                    }
                }
            }
        }
        EXPECT_EQ(walk.m_source.Calls(FIELD_READS), planned.m_source.Calls(FIELD_READS));
    }
}

}  // namespace
