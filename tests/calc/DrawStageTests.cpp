// What the calculator provides to the draw stage: the dispatch routes, the argument
// layouts, the price cache, colours and constant arguments.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "calc/CalcFixtures.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/calc/DrawStageDispatch.h"
#include "index/calc/FloatBits.h"
#include "index/calc/PriceCache.h"
#include "index/compiler/FunctionTable.h"

namespace {

// The routes and the layouts must agree: a producer without evaluated series would
// only ever see uncomputed values, and a series that is drawn or tested as a
// condition must be among those evaluated and published.
TEST(DrawStage, RoutesAndLayoutsAgree) {
    for (int64_t nId = 0; nId < 600; ++nId) {
        SCOPED_TRACE(::testing::Message() << "id " << nId);
        const DrawStageRoute* pRoute = FindDrawStageRoute(nId);
        const DrawArgumentLayout& layout = FindDrawArgumentLayout(nId);
        EXPECT_EQ(pRoute != nullptr, layout.nMainCount > 0);
        if (pRoute == nullptr) continue;
        EXPECT_TRUE(pRoute->pfnProducer != nullptr);
        EXPECT_GE(nId, DrawFunctionId::CurveLine);
        EXPECT_LE(nId, DrawFunctionId::FillRegion);
        const std::set<int> setEvaluated(layout.arrEvaluated,
                                         layout.arrEvaluated + layout.nEvaluatedCount);
        EXPECT_EQ(setEvaluated.size(), static_cast<size_t>(layout.nEvaluatedCount));
        for (int k = 0; k < layout.nMainCount; ++k) {
            EXPECT_EQ(setEvaluated.count(layout.arrMain[k]), 1u);
            if (layout.arrCondition[k] != 0) {
                EXPECT_EQ(setEvaluated.count(layout.arrCondition[k]), 1u);
            }
        }
        // Every evaluated position is a written argument the function requires.
        for (const int nPosition : setEvaluated) {
            EXPECT_GE(nPosition, 1);
            EXPECT_LE(nPosition, FunctionArgCount(nId));
        }
    }
    // Statements drawn in the colour of output 0 and with every bar.
    EXPECT_FALSE(FindDrawStageRoute(DrawFunctionId::KLine)->bPassStatementIndex);
    EXPECT_FALSE(FindDrawStageRoute(DrawFunctionId::Band)->bPassStatementIndex);
    EXPECT_FALSE(FindDrawStageRoute(DrawFunctionId::Text)->bPassStep);
}

TEST(DrawStage, PriceCacheFill) {
    CCountingSource source(10);
    source.SetField(FIELD_CLOSE, {1, 2, REFUSED, 4, 5, 6, 7, 8, 9, 10});
    source.SetField(FIELD_HIGH, std::vector<double>(10, 1e300));  // beyond float: infinity
    CPriceCache cache(8);
    cache.Fill(&source, 3, 1);   // ends in either order
    cache.Fill(&source, 6, 20);  // beyond the cache: skipped
    cache.Fill(&source, -1, 5);  // a negative end: nothing
    // clang-format off
    const struct { int nKind; int nBar; bool bFound; double dValue; } arrCases[] = {
        {PRICE_CLOSE, 1, true,  2},
        {PRICE_CLOSE, 2, false, 0},  // refused
        {PRICE_CLOSE, 3, true,  4},
        {PRICE_CLOSE, 4, false, 0},  // never filled
        {PRICE_CLOSE, 7, true,  8},
        {PRICE_CLOSE, 8, false, 0},  // beyond the cache
        {PRICE_OPEN,  1, false, 0},  // the source has no OPEN
        {PRICE_HIGH,  1, true,  HUGE_VAL},
        {PRICE_KIND_COUNT, 1, false, 0},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "kind " << row.nKind << " bar " << row.nBar);
        double dValue = 0.0;
        EXPECT_EQ(cache.GetPrice(row.nKind, row.nBar, &dValue), row.bFound);
        EXPECT_EQ(dValue, row.dValue);
    }
    EXPECT_EQ(source.AllReads(), 5 * (3 + 2));
}

// Which statements make the calculator keep bar prices: observable through
// GetDrawInfo, which refuses to draw them before the prices were fetched.
TEST(DrawStage, PriceCacheNeed) {
    const std::string strPrices =
        ".tempdrawparam0=high;\r\n.tempdrawparam1=open;\r\n"
        ".tempdrawparam2=low;\r\n.tempdrawparam3=close;\r\n";
    // clang-format off
    const struct { std::string strDraw; bool bNeed; } arrCases[] = {
        {".curveline(a," QX_TEST_COLOUR ",1);",             false},
        {".circular(citSar,a," QX_TEST_COLOUR ",1);",       true},
        {".circular(citCircle,a," QX_TEST_COLOUR ",1);",    false},
        {".column(cltVolStick,0,a," QX_TEST_COLOUR ");",    true},
        {".column(cltRTVolStick,0,a," QX_TEST_COLOUR ");",  true},
        {".column(cltStick,0,a," QX_TEST_COLOUR ");",       false},
        {"drawkline(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2,.tempdrawparam3,"
         QX_TEST_COLOUR ",1,ployNomal);",                   true},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.strDraw);
        CalculatorRig rig(
            "a=close;\r\n" + strPrices + row.strDraw + "\r\n", {"a"},
            {".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2", ".tempdrawparam3"}, 10);
        ASSERT_TRUE(rig.parser.m_bParsed);
        rig.Bind();
        std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
        EXPECT_EQ(rig.calculator.GetDrawInfo(0, 9, 0, nullptr, &vecInfos), !row.bNeed);
        ASSERT_TRUE(rig.calculator.Calculate(2, 6, false));
        EXPECT_TRUE(rig.calculator.GetDrawInfo(0, 9, 0, nullptr, &vecInfos));
        const CPriceCache* pCache = rig.calculator.GetPriceCache();
        ASSERT_EQ(pCache != nullptr, row.bNeed);
        if (pCache == nullptr) continue;
        double dClose = 0.0;
        EXPECT_TRUE(pCache->GetPrice(PRICE_CLOSE, 6, &dClose));
        EXPECT_EQ(dClose, 106.0);
        EXPECT_FALSE(pCache->GetPrice(PRICE_CLOSE, 7, &dClose));
    }
}

TEST(DrawStage, ColoursAndConstantArguments) {
    CScriptParser parser(
        "a=close;\r\nb=open;\r\n"
        ".circular(citSar,a(n)," QX_TEST_COLOUR
        ",n);\r\n"
        ".curveline(b(n)," QX_TEST_COLOUR ",1);\r\n",
        {"a", "b"}, {}, {"n"}, {7.0f});
    ASSERT_TRUE(parser.m_bParsed);
    parser.m_mapColours[1] = 0xFF0000FFu;
    CIndexCalculator calculator;
    ASSERT_TRUE(calculator.SetIndexParser(&parser));

    const QXDrawInfo::QXColor defaultColour = calculator.LineColour(0);
    EXPECT_EQ(static_cast<uint32_t>(defaultColour.value), 0xFFFF8080u);
    EXPECT_TRUE(defaultColour.byValue);
    const QXDrawInfo::QXColor given = calculator.LineColour(1);
    EXPECT_EQ(static_cast<uint32_t>(given.value), 0xFF0000FFu);
    EXPECT_TRUE(given.byValue);

    const ExprNode* pCircle = GetDrawCallNode(parser.m_info, 0);
    ASSERT_NE(pCircle, nullptr);
    constexpr uint32_t FALLBACK = 0x01000001u;
    // clang-format off
    const struct { int nPosition; uint32_t nExpected; } arrCases[] = {
        {1,  0x01000004u},                // CITSAR: the code itself, not a converted number
        {4,  FloatBits(7.0f)},            // a parameter of the drawing statement
        {2,  FALLBACK},                   // a series needs bar data
        {3,  FALLBACK},                   // RGB(...) is a function call
        {5,  FALLBACK},                   // past the arguments
        {-1, FALLBACK},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "position " << row.nPosition);
        EXPECT_EQ(calculator.EvaluateConstantArg(pCircle, row.nPosition, FALLBACK), row.nExpected);
    }
    EXPECT_EQ(calculator.EvaluateConstantArg(nullptr, 1, FALLBACK), FALLBACK);
}

}  // namespace
