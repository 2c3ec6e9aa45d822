#include <gtest/gtest.h>

#include "tools/qxindex/FormulaSource.h"

namespace {

using qxindex::FormulaParam;
using qxindex::UsageError;

TEST(FormulaSource, ParamsHeaderAndOverrides) {
    std::vector<FormulaParam> params =
        qxindex::ReadParamsHeader("  {params: SHORT=12, long = 26,MID=9.5}\nDIF:C;");
    ASSERT_EQ(params.size(), 3u);
    EXPECT_EQ(params[1].name, "long");
    EXPECT_EQ(params[2].value, 9.5f);

    qxindex::ApplyParamOverrides(params, {"short=5", "N=3"});
    EXPECT_EQ(params[0].name, "SHORT");
    EXPECT_EQ(params[0].value, 5.0f);
    ASSERT_EQ(params.size(), 4u);
    EXPECT_EQ(params[3].name, "N");

    EXPECT_TRUE(qxindex::ReadParamsHeader("{ a plain comment }\nA:C;").empty());
    EXPECT_TRUE(qxindex::ReadParamsHeader("A:C; {params: N=1}").empty());
}

TEST(FormulaSource, MalformedParametersAreUsageErrors) {
    for (const char* text :
         {"{params: N}", "{params: =5}", "{params: N=five}", "{params: N=1e999}"}) {
        EXPECT_THROW(qxindex::ReadParamsHeader(text), UsageError) << text;
    }
    std::vector<FormulaParam> params;
    EXPECT_THROW(qxindex::ApplyParamOverrides(params, {"N:5"}), UsageError);
}

TEST(FormulaSource, MissingFileIsAUsageError) {
    EXPECT_THROW(qxindex::ReadFormulaText("/nonexistent/formula.txt", false, ""), UsageError);
    EXPECT_EQ(qxindex::ReadFormulaText("", true, "A:C;"), "A:C;");
}

}  // namespace
