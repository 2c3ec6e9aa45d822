// Every function of the descriptor table computes: each non-drawing function is
// compiled into a formula with valid arguments and evaluated at every bar. Only
// REVERSE, which the front end writes as a subtraction, has no implementation.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "functions/FormulaBench.h"
#include "index/compiler/FunctionTable.h"

namespace {

constexpr int kBars = 40;

// "NAME(CLOSE,2,2,...)" with as many written arguments as the function takes.
std::string CallText(const FunctionDescriptor& entry) {
    int written = static_cast<int>(entry.nArgs & FUNCTION_ARGS_MASK);
    if (FunctionHasAutoVariable(entry.nId)) --written;
    std::string text = entry.szName;
    if (written <= 0) return text;
    text += "(CLOSE";
    for (int i = 1; i < written; ++i) text += ",2";
    return text + ")";
}

TEST(EveryFunction, ComputesThroughACompiledFormula) {
    int tested = 0;
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        const FunctionDescriptor& entry = *GetFunctionDescriptor(i);
        if ((entry.nFlags & FF_DRAW) != 0 || entry.nId == 125) continue;
        CFormulaBench bench(kBars);
        std::vector<double> closes;
        for (int bar = 0; bar < kBars; ++bar) {
            closes.push_back(100.0 + 5.0 * std::sin(bar * 0.7) + bar * 0.1);
            bench.m_source.m_vecTimes.push_back(1705276800 + int64_t{86400} * bar);
        }
        bench.m_source.m_mapFields[4] = closes;
        const std::string script = "A=" + CallText(entry) + ";\r\n";
        ASSERT_EQ(bench.Compile(script, {"A"}, {"CLOSE"}), COMPILE_OK) << script;
        ASSERT_EQ(bench.m_info.m_vecStatements.size(), 1u) << script;
        const Statement* statement = bench.m_info.m_vecStatements[0];
        Operand expr{statement->valueB, statement->typeB};
        for (int bar = 0; bar < kBars; ++bar) {
            double value = 0;
            ASSERT_EQ(bench.Evaluate(expr, bar, value), EVAL_OK) << script << " at bar " << bar;
        }
        ++tested;
    }
    EXPECT_EQ(tested, 136);  // 156 entries less 19 drawing functions and REVERSE
}

TEST(EveryFunction, ReverseHasNoImplementation) {
    CFormulaBench bench(kBars);
    bench.m_source.m_mapFields[4] = std::vector<double>(kBars, 1.0);
    ASSERT_EQ(bench.Compile("A=REVERSE(CLOSE);\r\n", {"A"}, {"CLOSE"}), COMPILE_OK);
    const Statement* statement = bench.m_info.m_vecStatements[0];
    double value = 0;
    EXPECT_EQ(bench.Evaluate(Operand{statement->valueB, statement->typeB}, 5, value), EVAL_ERROR);
}

}  // namespace
