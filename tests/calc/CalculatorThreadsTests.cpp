// One calculating thread and several readers, as a charting client runs them: the
// calculation lock is always taken before the display lock, so nothing deadlocks,
// and ThreadSanitizer (the "threads" run) sees neither a race nor an inverted
// lock order.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "calc/CalcFixtures.h"

namespace {

TEST(CalculatorThreads, ReadersPublishersAndCalculationShareTheLocks) {
    constexpr int kBars = 400;
    CalculatorRig rig(CloseCurveScript(), {"a"}, {}, kBars);
    rig.Bind();
    CIndexCalculator& calculator = rig.calculator;
    std::atomic<bool> bDone{false};

    std::thread calculating([&] {
        for (int i = 0; i < 40; ++i) {
            calculator.Calculate(0, kBars - 1, false);
            calculator.UpdateDisplayData();
            calculator.Calculate(i, i + 100, true);
            calculator.UpdateDisplayData();
        }
        bDone = true;
    });
    std::thread reading([&] {
        std::vector<double> vecValues(kBars);
        std::unique_ptr<bool[]> pValid(new bool[kBars]);
        while (!bDone) {
            calculator.GetValues(0, 0, kBars - 1, vecValues.data(), pValid.get());
            double dMin = 0.0, dMax = 0.0, dArg = 0.0;
            calculator.GetValueRange(0, kBars - 1, nullptr, &dMin, &dMax);
            calculator.GetDrawArgValue(0, 0, 10, &dArg);
            std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
            calculator.GetDrawInfo(0, kBars - 1, 0, nullptr, &vecInfos);
            calculator.ReleaseDrawInfo(&vecInfos);
        }
    });
    std::thread releasing([&] {
        while (!bDone) {
            calculator.ReleaseDisplayData();
            int nFirst = 0, nLast = 0;
            calculator.GetCalculatedRange(&nFirst, &nLast);
            std::this_thread::yield();
        }
    });
    calculating.join();
    reading.join();
    releasing.join();

    // Whatever the interleaving, a last whole calculation publishes the right values.
    ASSERT_TRUE(calculator.Calculate(0, kBars - 1, false));
    ASSERT_TRUE(calculator.UpdateDisplayData());
    double dValue = 0.0;
    ASSERT_TRUE(calculator.GetValue(0, 123, &dValue));
    EXPECT_EQ(dValue, 2.0 * (100.0 + 123));
}

}  // namespace
