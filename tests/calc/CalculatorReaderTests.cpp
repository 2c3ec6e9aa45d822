// What the readers see: publishing, value series, value ranges, drawing-argument
// values, drawing records, and every operation called out of order.
#include <gtest/gtest.h>

#include <cfloat>
#include <set>
#include <vector>

#include "calc/CalcFixtures.h"
#include "index/functions/ValueConventions.h"

namespace {

// The values of line over from..to, with invalid bars as INVALID_VALUE; empty when
// GetValues fails.
std::vector<double> ReadLine(CIndexCalculator& calculator, int nLine, int nFrom, int nTo) {
    std::vector<double> vecValues(static_cast<size_t>(nTo - nFrom + 1));
    std::vector<char> vecValid(vecValues.size());
    if (!calculator.GetValues(nLine, nFrom, nTo, vecValues.data(),
                              reinterpret_cast<bool*>(vecValid.data()))) {
        return {};
    }
    for (size_t i = 0; i < vecValues.size(); ++i) {
        if (!vecValid[i]) vecValues[i] = INVALID_VALUE;
    }
    return vecValues;
}

int CountValid(const std::vector<double>& vecValues) {
    int nValid = 0;
    for (const double dValue : vecValues) nValid += !IsInvalid(dValue);
    return nValid;
}

TEST(CalculatorReaders, PublishingCopiesDirtyRangesOnly) {
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 100);
    rig.Bind();
    ASSERT_TRUE(rig.calculator.Calculate(0, 49, false));
    // Before the first publication readers see the working store.
    EXPECT_EQ(ReadLine(rig.calculator, 0, 0, 0), std::vector<double>{200.0});
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());

    // New prices, recalculated over bars 0..9 only: the rest of the published series
    // keeps the old values.
    std::vector<double> vecClose(100, 1000.0);
    rig.source.SetField(FIELD_CLOSE, vecClose);
    ASSERT_TRUE(rig.calculator.Calculate(0, 9, true));
    EXPECT_EQ(ReadLine(rig.calculator, 0, 9, 10), (std::vector<double>{218.0, 220.0}));
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    EXPECT_EQ(ReadLine(rig.calculator, 0, 9, 10), (std::vector<double>{2000.0, 220.0}));

    // Released display data: nothing to read until the next publication, which holds
    // only what was calculated since the last one.
    ASSERT_TRUE(rig.calculator.ReleaseDisplayData());
    EXPECT_TRUE(ReadLine(rig.calculator, 0, 0, 0).empty());
    ASSERT_TRUE(rig.calculator.Calculate(5, 19, false));
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    const std::vector<double> vecRead = ReadLine(rig.calculator, 0, 0, 19);
    EXPECT_EQ(CountValid(vecRead), 10);
    EXPECT_EQ(vecRead[10], 2000.0);
}

TEST(CalculatorReaders, PublishingAfterTheBarCountChangedCopiesWholeSeries) {
    // a is volatile, so it is computed over the whole window (30..59), more than the
    // requested (and dirty) bars 50..59.
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 100);
    rig.parser.MarkVolatileOutput(0);
    rig.source.m_nMarginBefore = 20;
    rig.Bind();
    ASSERT_TRUE(rig.calculator.Calculate(50, 59, false));
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    EXPECT_EQ(CountValid(ReadLine(rig.calculator, 0, 30, 59)), 10);

    CCountingSource longer(120);
    longer.FillPrices(120);
    longer.m_nMarginBefore = 20;
    ASSERT_TRUE(rig.calculator.SetDataSource(&longer));
    ASSERT_TRUE(rig.calculator.Calculate(50, 59, false));
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    EXPECT_EQ(CountValid(ReadLine(rig.calculator, 0, 30, 59)), 30);
    EXPECT_EQ(CountValid(ReadLine(rig.calculator, 0, 0, 119)), 30);
}

// Two curves and a DRAWTEXT whose condition is CLOSE > OPEN and whose price is HIGH.
const char* CurvesAndTextScript() {
    return "a=close;\r\nb=open;\r\n"
           ".curveline(a," QX_TEST_COLOUR
           ",1);\r\n"
           ".curveline(b," QX_TEST_COLOUR
           ",1);\r\n"
           ".tempdrawparam0=close>open;\r\n.tempdrawparam1=high;\r\n.tempdrawparam2=\"x\";\r\n"
           "drawtext(.tempdrawparam0,.tempdrawparam1,.tempdrawparam2," QX_TEST_COLOUR
           ",1,ployNomal,0);\r\n";
}

class CurvesAndText : public ::testing::Test {
protected:
    CurvesAndText()
        : rig(CurvesAndTextScript(), {"a", "b", "....."},
              {".tempdrawparam0", ".tempdrawparam1", ".tempdrawparam2"}, 6) {
        rig.source.SetField(FIELD_CLOSE, {10, 11, 12, 13, 14, 15});
        rig.source.SetField(FIELD_OPEN, {20, 10, 20, 10, 20, 10});
        rig.source.SetField(FIELD_HIGH, {100, 50, 200, 60, 300, 70});  // drawn at 1, 3, 5
    }
    void SetUp() override {
        ASSERT_TRUE(rig.parser.m_bParsed);
        rig.Bind();
        ASSERT_TRUE(rig.calculator.Calculate(0, 5, false));
        ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    }

    CalculatorRig rig;
};

TEST_F(CurvesAndText, ValueRangeCountsDrawnValuesOnly) {
    // clang-format off
    const struct {
        std::set<int> setExcluded; std::set<int> setHidden; int nFrom; int nTo;
        bool bFound; double dMin; double dMax;
    } arrCases[] = {
        {{},        {},  0, 5, true,  10,  70},   // HIGH 200 and 300 are not drawn
        {{2},       {},  0, 5, true,  10,  20},
        {{0, 1},    {},  0, 5, true,  50,  70},
        {{0},       {1}, 0, 5, true,  50,  70},   // hidden by the parser
        {{0, 1},    {},  4, 4, false, DBL_MAX, -DBL_MAX},  // the text's condition is 0
        {{0, 1, 2}, {},  0, 5, false, DBL_MAX, -DBL_MAX},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "bars " << row.nFrom << ".." << row.nTo
                                          << ", excluded " << row.setExcluded.size());
        rig.parser.m_setHidden = row.setHidden;
        double dMin = 0.0;
        double dMax = 0.0;
        EXPECT_EQ(rig.calculator.GetValueRange(row.nFrom, row.nTo, &row.setExcluded, &dMin, &dMax),
                  row.bFound);
        EXPECT_EQ(dMin, row.dMin);
        EXPECT_EQ(dMax, row.dMax);
    }
}

TEST_F(CurvesAndText, ValueRangeOfInvalidValues) {
    double dMin = 1.0;
    double dMax = 2.0;
    EXPECT_FALSE(rig.calculator.GetValueRange(0, 6, nullptr, &dMin, &dMax));  // past the bars
    EXPECT_EQ(dMin, 1.0);  // untouched by a refusal

    // Every value invalid: false, with min and max left at their start values.
    rig.source.SetField(FIELD_CLOSE, {REFUSED, REFUSED, REFUSED});
    ASSERT_TRUE(rig.calculator.Calculate(0, 5, false));  // whole series: recalculated
    ASSERT_TRUE(rig.calculator.UpdateDisplayData());
    const std::set<int> setExcluded = {1, 2};
    EXPECT_FALSE(rig.calculator.GetValueRange(0, 2, &setExcluded, &dMin, &dMax));
    EXPECT_EQ(dMin, DBL_MAX);
    EXPECT_EQ(dMax, -DBL_MAX);
}

TEST_F(CurvesAndText, ValuesOfOutputLinesOnly) {
    EXPECT_EQ(ReadLine(rig.calculator, 1, 0, 2), (std::vector<double>{20, 10, 20}));
    EXPECT_TRUE(ReadLine(rig.calculator, 2, 0, 2).empty());  // DRAWTEXT has no series
    EXPECT_TRUE(ReadLine(rig.calculator, 3, 0, 2).empty());
    EXPECT_TRUE(ReadLine(rig.calculator, 0, 0, 6).empty());
    EXPECT_TRUE(ReadLine(rig.calculator, 0, 2, 1).empty());

    double dValue = 0.0;
    EXPECT_TRUE(rig.calculator.GetValue(0, 5, &dValue));
    EXPECT_EQ(dValue, 15.0);
    dValue = 0.0;
    EXPECT_FALSE(rig.calculator.GetValue(0, 6, &dValue));  // beyond the bars: a failure
    EXPECT_EQ(dValue, 0.0);
    EXPECT_FALSE(rig.calculator.GetValue(0, -1, &dValue));
    EXPECT_FALSE(rig.calculator.GetValue(0, 0, nullptr));
}

TEST_F(CurvesAndText, DrawArgumentValues) {
    // clang-format off
    const struct { int nLine; int nArg; int nBar; bool bValid; double dValue; } arrCases[] = {
        {2,  0, 4, true,  0},    // the condition
        {2,  1, 4, true,  300},  // the price, whether drawn or not
        {2,  2, 0, true,  0},    // the text: its string index
        {2,  3, 0, false, INVALID_VALUE},  // colour: past the function's arguments
        {0,  0, 3, true,  13},
        {0,  1, 3, false, INVALID_VALUE},
        {0,  0, 6, false, INVALID_VALUE},  // beyond the bars
        {3,  0, 0, false, INVALID_VALUE},  // no such statement
        {-1, 0, 0, false, INVALID_VALUE},
        {0, -1, 0, false, INVALID_VALUE},
        {0,  0, -1, false, INVALID_VALUE},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "line " << row.nLine << " arg " << row.nArg << " bar " << row.nBar);
        double dValue = 1.5;
        EXPECT_EQ(rig.calculator.GetDrawArgValue(row.nLine, row.nArg, row.nBar, &dValue),
                  row.bValid);
        EXPECT_EQ(ValueBits(dValue), ValueBits(row.dValue));
    }
}

TEST_F(CurvesAndText, DrawInfoSucceedsWithinTheBars) {
    std::vector<QXDrawInfo::GraphDrawInfo> vecInfos(3);
    EXPECT_TRUE(rig.calculator.GetDrawInfo(0, 5, 0, nullptr, &vecInfos));
    // Cleared first, then one picture per drawing statement.
    ASSERT_EQ(vecInfos.size(), 3u);
    EXPECT_EQ(vecInfos[0].curves.size(), 1u);
    EXPECT_TRUE(rig.calculator.GetDrawInfo(3, 500, 1, nullptr, &vecInfos));
    EXPECT_TRUE(rig.calculator.GetDrawInfo(9, 2, 1, nullptr, &vecInfos));  // from clamped to to
    EXPECT_FALSE(rig.calculator.GetDrawInfo(-1, 3, 0, nullptr, &vecInfos));
    EXPECT_FALSE(rig.calculator.GetDrawInfo(0, -1, 0, nullptr, &vecInfos));
    EXPECT_FALSE(rig.calculator.GetDrawInfo(0, 3, 0, nullptr, nullptr));
}

// Whatever the order of calls, operations answer false (or succeed harmlessly)
// instead of crashing.
TEST(CalculatorReaders, OperationsInAnyOrder) {
    CIndexCalculator calculator;
    std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
    double dValue = 0.0;
    double dMax = 0.0;
    bool bValid = false;
    auto expectNothing = [&](const char* pszState) {
        SCOPED_TRACE(pszState);
        EXPECT_FALSE(calculator.Calculate(0, 10, false));
        EXPECT_FALSE(calculator.UpdateDisplayData());
        EXPECT_FALSE(calculator.GetValues(0, 0, 0, &dValue, &bValid));
        EXPECT_FALSE(calculator.GetValueRange(0, 0, nullptr, &dValue, &dMax));
        EXPECT_FALSE(calculator.GetDrawArgValue(0, 0, 0, &dValue));
        EXPECT_FALSE(calculator.GetDrawInfo(0, 0, 0, nullptr, &vecInfos));
        int nFirst = 0;
        int nLast = 0;
        EXPECT_TRUE(calculator.GetCalculatedRange(&nFirst, &nLast));
        EXPECT_EQ(std::make_pair(nFirst, nLast), std::make_pair(-1, -1));
        EXPECT_TRUE(calculator.ReleaseDisplayData());
    };
    expectNothing("unbound");

    CCountingSource source(10);
    source.FillPrices(10);
    ASSERT_TRUE(calculator.SetDataSource(&source));
    expectNothing("no parser");

    CScriptParser failed("a=;\r\n", {"a"}, {});
    ASSERT_FALSE(failed.m_bParsed);
    failed.m_bParsed = false;
    ASSERT_TRUE(calculator.SetIndexParser(&failed));
    expectNothing("a parser that failed");

    CScriptParser parser(CloseCurveScript(), {"a"}, {});
    ASSERT_TRUE(calculator.SetIndexParser(&parser));
    CCountingSource empty(0);
    ASSERT_TRUE(calculator.SetDataSource(&empty));
    expectNothing("no bars");

    CCountingSource unavailable(10);
    unavailable.m_bAvailable = false;
    ASSERT_TRUE(calculator.SetDataSource(&unavailable));
    expectNothing("available bar count refused");

    // A source that refuses every field still calculates: every value is invalid.
    CCountingSource refusing(10);
    ASSERT_TRUE(calculator.SetDataSource(&refusing));
    ASSERT_TRUE(calculator.Calculate(0, 9, false));
    ASSERT_TRUE(calculator.UpdateDisplayData());
    EXPECT_FALSE(calculator.GetValue(0, 3, &dValue));
    EXPECT_TRUE(IsInvalid(dValue));
    EXPECT_FALSE(calculator.GetValueRange(0, 9, nullptr, &dValue, &dMax));
    EXPECT_TRUE(calculator.GetDrawInfo(0, 9, 0, nullptr, &vecInfos));
}

}  // namespace
