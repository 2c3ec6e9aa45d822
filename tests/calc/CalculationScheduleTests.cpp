// Which bars a Calculate request evaluates: the window, its margins, incremental
// growth, resets and the stop flag. Evaluations are counted through the data source:
// each drawing statement reads one field per bar it computes.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "calc/CalcFixtures.h"
#include "index/functions/ValueConventions.h"

namespace {

using Window = std::pair<int, int>;

TEST(CalculationSchedule, RequestInsideTheWindowDoesNoWork) {
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 200);
    rig.Bind();
    ASSERT_TRUE(rig.calculator.Calculate(20, 119, false));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 100);
    EXPECT_EQ(rig.Window(), Window(20, 119));

    rig.source.ResetReads();
    EXPECT_TRUE(rig.calculator.Calculate(30, 40, false));
    EXPECT_TRUE(rig.calculator.Calculate(119, 20, false));  // reversed: ordered first
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 0);

    // force evaluates the range again; the window then ends at its end.
    EXPECT_TRUE(rig.calculator.Calculate(30, 40, true));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 11);
    EXPECT_EQ(rig.Window(), Window(20, 40));

    // A whole-series request starts from scratch, even inside the window; the test
    // looks at the ends as given, so reversed it is an ordinary request.
    rig.source.ResetReads();
    ASSERT_TRUE(rig.calculator.Calculate(0, 199, false));
    ASSERT_TRUE(rig.calculator.Calculate(0, 199, false));
    ASSERT_TRUE(rig.calculator.Calculate(199, 0, false));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 400);
}

TEST(CalculationSchedule, ExtendingPastTheEndEvaluatesOnlyTheNewTail) {
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 200);
    rig.Bind();
    ASSERT_TRUE(rig.calculator.Calculate(0, 99, false));
    rig.source.ResetReads();
    ASSERT_TRUE(rig.calculator.Calculate(50, 149, false));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 50);
    EXPECT_EQ(rig.Window(), Window(0, 149));

    // A range beyond the bars is clamped to the last bar.
    rig.source.ResetReads();
    ASSERT_TRUE(rig.calculator.Calculate(140, 5000, false));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 50);
    EXPECT_EQ(rig.Window(), Window(0, 199));
}

TEST(CalculationSchedule, WindowMargins) {
    // clang-format off
    const struct {
        bool bLongHistory; bool bFutureData; int nBefore; int nAfter;
        int nFrom; int nTo; Window expected;
    } arrCases[] = {
        {false, false, 10,  0,   1000, 1099, {990, 1099}},
        {false, false, 800, 0,   1000, 1099, {500, 1099}},   // capped at 500
        {false, false, -5,  0,   1000, 1099, {1000, 1099}},  // a boundary after the bar: none
        {true,  false, 10,  0,   1000, 1099, {500, 1099}},   // long history: at least 500
        {true,  false, 10,  0,   300,  399,  {0, 399}},      // ... but not before bar 0
        {true,  false, 700, 0,   1000, 1099, {300, 1099}},   // long history is not capped
        {false, false, 0,   10,  1000, 1099, {1000, 1099}},  // no future data: no margin after
        {false, true,  0,   10,  1000, 1099, {1000, 1109}},
        {false, true,  0,   800, 1000, 1099, {1000, 1599}},  // capped at 500
        {false, true,  0,   800, 1000, 1800, {1000, 1999}},  // ... and at the last bar
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message()
                     << "long " << row.bLongHistory << " future " << row.bFutureData << " margins "
                     << row.nBefore << "/" << row.nAfter << " from " << row.nFrom);
        CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 2000);
        rig.parser.m_bLongHistory = row.bLongHistory;
        rig.parser.m_bFutureData = row.bFutureData;
        rig.source.m_nMarginBefore = row.nBefore;
        rig.source.m_nMarginAfter = row.nAfter;
        rig.Bind();
        ASSERT_TRUE(rig.calculator.Calculate(row.nFrom, row.nTo, false));
        EXPECT_EQ(rig.Window(), row.expected);
        // The margins widen the window, not the evaluated range.
        EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), std::min(row.nTo, 1999) - row.nFrom + 1);
    }
}

TEST(CalculationSchedule, GrowingTheWindowBackwardsTakesTheMargin) {
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, 2000);
    rig.source.m_nMarginBefore = 10;
    rig.Bind();
    ASSERT_TRUE(rig.calculator.Calculate(1000, 1099, false));
    rig.source.ResetReads();
    // Scrolling back: the requested range itself is widened by the margin, and the
    // window becomes the new range (bars after it are given up).
    ASSERT_TRUE(rig.calculator.Calculate(900, 1050, false));
    EXPECT_EQ(rig.Window(), Window(890, 1050));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 161);
}

TEST(CalculationSchedule, VolatileSeriesAreRecomputedOverTheRebuiltWindow) {
    // v calls CURRBARSCOUNT, so its value at a bar may change as bars are added; w
    // does not. Each reads its own field once per computed bar.
    CalculatorRig rig(
        "v=close+currbarscount;\r\nw=open*1;\r\n"
        ".curveline(v," QX_TEST_COLOUR ",1);\r\n.curveline(w," QX_TEST_COLOUR ",1);\r\n",
        {"v", "w"}, {}, 300);
    ASSERT_TRUE(rig.parser.m_bParsed);
    ASSERT_TRUE(rig.parser.m_bVolatile);
    rig.source.m_nMarginBefore = 30;
    rig.Bind();

    ASSERT_TRUE(rig.calculator.Calculate(100, 149, false));
    EXPECT_EQ(rig.Window(), Window(70, 149));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 80);  // the whole window
    EXPECT_EQ(rig.source.Reads(FIELD_OPEN), 50);   // the requested bars

    // Inside the old window, yet the window is rebuilt around the request and v
    // computed over all of it again; w only where it was invalidated.
    rig.source.ResetReads();
    ASSERT_TRUE(rig.calculator.Calculate(120, 129, false));
    EXPECT_EQ(rig.Window(), Window(90, 129));
    EXPECT_EQ(rig.source.Reads(FIELD_CLOSE), 40);
    EXPECT_EQ(rig.source.Reads(FIELD_OPEN), 10);
}

// Calculating all bars at once must give exactly what growing the calculation piece
// by piece gives, with publications in between.
TEST(CalculationSchedule, IncrementalCalculationEqualsOneGo) {
    const char* pszScript =
        "x=close-open;\r\n"
        "a=max(x,0)*2+low/3;\r\n"
        "b=a-x*(high-low)/(open+1);\r\n"
        ".curveline(a," QX_TEST_COLOUR
        ",1);\r\n"
        ".curveline(b," QX_TEST_COLOUR ",1);\r\n";
    constexpr int BARS = 120;
    auto build = [&](CalculatorRig& rig) {
        std::srand(7);
        for (const int nField : {FIELD_CLOSE, FIELD_OPEN, FIELD_HIGH, FIELD_LOW}) {
            std::vector<double> vecValues;
            for (int i = 0; i < BARS; ++i) {
                const bool bHole = std::rand() % 13 == 0;
                vecValues.push_back(bHole ? REFUSED : (std::rand() % 10000) / 100.0);
            }
            rig.source.SetField(nField, vecValues);
        }
        rig.source.m_nMarginBefore = 5;
        rig.Bind();
    };
    CalculatorRig whole(pszScript, {"a", "b"}, {"x"}, BARS);
    CalculatorRig pieces(pszScript, {"a", "b"}, {"x"}, BARS);
    ASSERT_TRUE(whole.parser.m_bParsed);
    build(whole);
    build(pieces);

    ASSERT_TRUE(whole.calculator.Calculate(0, BARS - 1, false));
    ASSERT_TRUE(whole.calculator.UpdateDisplayData());

    const Window arrSteps[] = {{30, 39}, {35, 60}, {20, 29}, {0, 12}, {10, 80}, {119, 81}};
    int nStep = 0;
    for (const Window& step : arrSteps) {
        ASSERT_TRUE(pieces.calculator.Calculate(step.first, step.second, false));
        if (++nStep % 2 == 0) {
            ASSERT_TRUE(pieces.calculator.UpdateDisplayData());
        }
    }
    ASSERT_TRUE(pieces.calculator.UpdateDisplayData());

    for (int nLine = 0; nLine < 2; ++nLine) {
        double arrWhole[BARS];
        double arrPieces[BARS];
        bool arrWholeValid[BARS];
        bool arrPiecesValid[BARS];
        ASSERT_TRUE(whole.calculator.GetValues(nLine, 0, BARS - 1, arrWhole, arrWholeValid));
        ASSERT_TRUE(pieces.calculator.GetValues(nLine, 0, BARS - 1, arrPieces, arrPiecesValid));
        int nValid = 0;
        for (int i = 0; i < BARS; ++i) {
            EXPECT_EQ(ValueBits(arrWhole[i]), ValueBits(arrPieces[i]))
                << "line " << nLine << " bar " << i;
            EXPECT_EQ(arrWholeValid[i], arrPiecesValid[i]);
            nValid += arrWholeValid[i];
        }
        EXPECT_GT(nValid, BARS / 2);
        EXPECT_LT(nValid, BARS);  // the holes show
    }
}

// Bars arriving one at a time, some of them forming (their close changes and they are
// calculated again with force before the next bar comes), must end with the same
// values as one calculation over the final bars: window functions carry running
// state and sliding candidates from bar to bar, and a recomputed bar must replace
// what it left there, not add to it, and a forming bar that ends without a value
// must leave nothing for the next bar to continue from. The same holds for calls
// nested in windows, whose values are kept.
TEST(CalculationSchedule, ArrivingAndFormingBarsEqualOneGo) {
    // clang-format off
    const std::vector<std::string> vecLines = {
        "hhv(close,40)",        "llv(low,7)+hhvbars(high,60)", "ma(close,30)+sum(close,50)",
        "ema(close,12)",        "ma(sum(close,5),8)",          "std(ema(low,4)-1,9)",
        "count(close>open,9)",  "exist(close>20,6)",           "every(close>2,3)",
        "wma(close,6)",         "xma(close,7)",                "covar(close,open,10)",
        "relate(high,low,12)",  "mular(close/20+1,4)",         "barssincen(close>15,10)",
        "devsq(close,5)",       "sma(close,5,2)",              "expmema(close,6)",
        "filter(close>12,3)",   "barslastcount(close>10)",     "sar(5,2,20)",
        "cross(close,ma(close,5))", "longcross(close,open,3)", "upnday(close,3)",
        "hod(close,5)",         "avedev(close,5)",             "forcast(close,6)",
    };
    // clang-format on
    std::string strScript;
    std::vector<std::string> vecNames;
    for (size_t i = 0; i < vecLines.size(); ++i) {
        vecNames.push_back("v" + std::to_string(i));
        strScript += vecNames.back() + "=" + vecLines[i] + ";\r\n";
    }
    for (const std::string& strName : vecNames) {
        strScript += ".curveline(" + strName + "," QX_TEST_COLOUR ",1);\r\n";
    }
    const int nLines = static_cast<int>(vecLines.size());
    constexpr int BARS = 300;
    constexpr int HISTORY = 150;
    std::srand(11);
    std::vector<std::vector<double>> vecPrices;
    for (int nField = 0; nField < 4; ++nField) {
        std::vector<double> vecValues;
        // Few distinct prices, so that extremes tie often.
        for (int i = 0; i < BARS; ++i)
            vecValues.push_back(std::rand() % 9 == 0 ? REFUSED : std::rand() % 25);
        vecPrices.push_back(vecValues);
    }
    const int arrFields[] = {FIELD_CLOSE, FIELD_OPEN, FIELD_HIGH, FIELD_LOW};
    CalculatorRig whole(strScript, vecNames, {}, BARS);
    CalculatorRig arriving(strScript, vecNames, {}, BARS);
    ASSERT_TRUE(whole.parser.m_bParsed);
    for (int i = 0; i < 4; ++i) {
        whole.source.SetField(arrFields[i], vecPrices[static_cast<size_t>(i)]);
        arriving.source.SetField(arrFields[i], vecPrices[static_cast<size_t>(i)]);
    }
    whole.Bind();
    arriving.Bind();
    ASSERT_TRUE(whole.calculator.Calculate(0, BARS - 1, false));

    arriving.source.m_nAvailable = HISTORY;
    ASSERT_TRUE(arriving.calculator.Calculate(0, HISTORY - 1, false));
    for (int nBar = HISTORY; nBar < BARS; ++nBar) {
        arriving.source.m_nAvailable = nBar + 1;
        if (nBar % 3 == 0) {
            // The bar forms: first a close far above and below everything, then its own.
            std::vector<double> vecClose = vecPrices[0];
            for (const double dForming : {100.0, -100.0}) {
                vecClose[static_cast<size_t>(nBar)] = dForming;
                arriving.source.SetField(FIELD_CLOSE, vecClose);
                ASSERT_TRUE(arriving.calculator.Calculate(nBar, nBar, nBar % 2 == 0));
            }
            arriving.source.SetField(FIELD_CLOSE, vecPrices[0]);
            ASSERT_TRUE(arriving.calculator.Calculate(nBar, nBar, true));
        } else {
            ASSERT_TRUE(arriving.calculator.Calculate(nBar, nBar, false));
        }
    }
    ASSERT_TRUE(whole.calculator.UpdateDisplayData());
    ASSERT_TRUE(arriving.calculator.UpdateDisplayData());
    for (int nLine = 0; nLine < nLines; ++nLine) {
        double arrWhole[BARS];
        double arrArriving[BARS];
        bool arrWholeValid[BARS];
        bool arrArrivingValid[BARS];
        ASSERT_TRUE(whole.calculator.GetValues(nLine, 0, BARS - 1, arrWhole, arrWholeValid));
        ASSERT_TRUE(
            arriving.calculator.GetValues(nLine, 0, BARS - 1, arrArriving, arrArrivingValid));
        for (int i = 0; i < BARS; ++i) {
            ASSERT_EQ(arrWholeValid[i], arrArrivingValid[i])
                << vecLines[static_cast<size_t>(nLine)] << " bar " << i;
            if (arrWholeValid[i]) {
                ASSERT_NEAR(arrWhole[i], arrArriving[i], 1e-9)
                    << vecLines[static_cast<size_t>(nLine)] << " bar " << i;
            }
        }
    }
}

// A source that holds the calculating thread at one field read until released.
class CGateSource : public CCountingSource {
public:
    CGateSource(int nBars, int nGateRead) : CCountingSource(nBars), m_nGateRead(nGateRead) {}

    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (++m_nReads == m_nGateRead) {
            std::unique_lock<std::mutex> lock(m_mtx);
            m_bReached = true;
            m_cv.notify_all();
            m_cv.wait(lock, [this] { return m_bReleased; });
        }
        return CCountingSource::GetFieldValue(fieldId, bar, value);
    }
    // bReached: wait for the gate; else open it.
    void Signal(bool bReached) {
        std::unique_lock<std::mutex> lock(m_mtx);
        if (bReached) return m_cv.wait(lock, [this] { return m_bReached; });
        m_bReleased = true;
        m_cv.notify_all();
    }

private:
    const int m_nGateRead;
    int m_nReads = 0;  // only the calculating thread reads fields
    std::mutex m_mtx;
    std::condition_variable m_cv;
    bool m_bReached = false;
    bool m_bReleased = false;
};

TEST(CalculationSchedule, StopFromAnotherThreadFailsAndResets) {
    CScriptParser parser(CloseCurveScript(), {"a"}, {});
    CGateSource source(1000, 300);
    source.FillPrices(1000);
    CIndexCalculator calculator;
    calculator.SetIndexParser(&parser);
    calculator.SetDataSource(&source);
    ASSERT_TRUE(calculator.Calculate(0, 99, false));  // something to lose
    ASSERT_TRUE(calculator.UpdateDisplayData());

    std::atomic<bool> bResult{true};
    std::thread calculating([&] { bResult = calculator.Calculate(0, 999, false); });
    source.Signal(true);
    EXPECT_TRUE(calculator.StopCalculate());  // takes no lock: returns at once
    // A reader waits for the calculation to give up its lock, then finds nothing.
    std::atomic<bool> bRead{true};
    std::thread reading([&] {
        double dValue = 0.0;
        bRead = calculator.GetValue(0, 50, &dValue);
    });
    source.Signal(false);
    calculating.join();
    reading.join();

    EXPECT_FALSE(bResult);
    EXPECT_FALSE(bRead);
    int nFirst = 0;
    int nLast = 0;
    calculator.GetCalculatedRange(&nFirst, &nLast);
    EXPECT_EQ(Window(nFirst, nLast), Window(-1, -1));
    EXPECT_LT(source.Reads(FIELD_CLOSE), 400);  // stopped soon after the gate

    // The flag is cleared by the next calculation.
    EXPECT_TRUE(calculator.Calculate(0, 999, false));
}

}  // namespace
