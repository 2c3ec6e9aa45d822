#include <gtest/gtest.h>

#include "functions/FormulaBench.h"
#include "index/functions/AssignmentIndex.h"
#include "index/functions/OperandEvaluator.h"

using namespace testnodes;

namespace {

TEST(AssignmentIndex, FindsTheFirstAssignmentOfEveryTarget) {
    CFormulaBench bench(3);
    bench.Keep(Num(1));  // a bare statement names no target
    bench.Assign(RefListKind::Variable, 0, Num(1));
    bench.Assign(RefListKind::Output, 2, Num(2));
    bench.Assign(RefListKind::Variable, 0, Num(3));  // never executed
    CAssignmentIndex index;
    index.Build(bench.m_info);
    const std::vector<Statement*>& vecStatements = bench.m_info.m_vecStatements;

    // clang-format off
    const struct { int nKind; int nNumber; bool bCovered; const Statement* pExpected; } arrCases[] = {
        {SERIES_KIND_VARIABLE, 0,  true,  vecStatements[1]},
        {SERIES_KIND_OUTPUT,   2,  true,  vecStatements[2]},
        {SERIES_KIND_OUTPUT,   0,  true,  nullptr},          // below an indexed number
        {SERIES_KIND_OUTPUT,   99, true,  nullptr},          // beyond every indexed number
        {SERIES_KIND_STATE,    0,  true,  nullptr},
        {SERIES_KIND_COUNT,    0,  false, nullptr},          // left to the search
        {SERIES_KIND_OUTPUT,   -1, false, nullptr},
    };
    // clang-format on
    for (const auto& c : arrCases) {
        const Statement* pFound = nullptr;
        ASSERT_EQ(index.Find(c.nKind, c.nNumber, pFound), c.bCovered)
            << c.nKind << "/" << c.nNumber;
        if (c.bCovered) {
            EXPECT_EQ(pFound, c.pExpected) << c.nKind << "/" << c.nNumber;
        }
    }
}

TEST(AssignmentIndex, HugeTargetNumbersLeaveEverythingToTheSearch) {
    CFormulaBench bench(1);
    bench.Assign(RefListKind::Variable, 0, Num(1));
    bench.Assign(RefListKind::Variable, MAX_SERIES_NUMBER, Num(2));
    CAssignmentIndex index;
    index.Build(bench.m_info);
    const Statement* pFound = nullptr;
    EXPECT_FALSE(index.Find(SERIES_KIND_VARIABLE, 0, pFound));
    EXPECT_FALSE(index.Find(SERIES_KIND_VARIABLE, MAX_SERIES_NUMBER, pFound));
}

// The evaluator answers the same with and without the index, including a huge
// target number and a stopped calculation.
TEST(AssignmentIndex, EvaluationIsTheSameWithAndWithoutTheIndex) {
    for (const int nHugeNumber : {0, MAX_SERIES_NUMBER}) {
        std::vector<double> vecResults[2];
        int arrStopped[2] = {};
        for (int nUseIndex = 0; nUseIndex < 2; ++nUseIndex) {
            CFormulaBench bench(4);
            bench.Assign(RefListKind::Variable, 1, bench.Series({1, FAKE_REFUSED, 3, 4}));
            bench.Assign(RefListKind::Variable, 0,
                         bench.Op(NodeKind::Mul, bench.Variable(1), Num(10)));
            bench.Assign(RefListKind::Variable, 0, Num(5));
            if (nHugeNumber != 0) bench.Assign(RefListKind::Output, nHugeNumber, Num(6));
            CAssignmentIndex index;
            index.Build(bench.m_info);
            if (nUseIndex == 1) bench.m_context.pAssignments = &index;
            vecResults[nUseIndex] = bench.EvaluateBars(bench.Variable(0));
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(bench.Output(3), 0, dValue), EVAL_OK);  // never assigned
            vecResults[nUseIndex].push_back(dValue);
            bench.m_store.Invalidate(0, 3);
            bench.m_bStop = true;
            arrStopped[nUseIndex] = ComputeSeriesAt(&bench.m_context, SERIES_KIND_VARIABLE, 0);
        }
        ASSERT_EQ(vecResults[0].size(), vecResults[1].size());
        for (size_t i = 0; i < vecResults[0].size(); ++i) {
            EXPECT_TRUE(SameValue(vecResults[0][i], vecResults[1][i])) << nHugeNumber << "/" << i;
        }
        EXPECT_EQ(vecResults[1][0], 10);
        EXPECT_EQ(arrStopped[0], EVAL_ERROR);
        EXPECT_EQ(arrStopped[1], EVAL_ERROR);
    }
}

}  // namespace
