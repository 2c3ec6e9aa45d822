#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "functions/FormulaBench.h"

using namespace testnodes;

namespace {

constexpr double X = INVALID_VALUE;  // short for the tables

// clang-format off
enum : uint32_t {
    DATETODAY = 90, DAYTODATE = 91, TIMETOSEC = 92, SECTOTIME = 93, PERIOD = 94, DATE = 95,
    TIME = 96, TIME2 = 97, YEAR = 98, MONTH = 99, WEEKOFYEAR = 100, WEEKDAY = 101, DAY = 102,
    HOUR = 103, MINUTE = 104,
};
// clang-format on

// POSIX zone strings, which need no time zone database: eight hours east of UTC, where
// day numbers start at a local midnight; UTC; and west of UTC with summer time.
const char* const ZONE_EAST = "CST-8";
const char* const ZONE_UTC = "UTC0";
const char* const ZONE_WEST = "EST5EDT,M3.2.0,M11.1.0";

// Each test runs in a zone of its own choosing and leaves the process's zone as it was.
class DateTimeFunctions : public ::testing::Test {
protected:
    void SetUp() override {
        const char* pszOld = std::getenv("TZ");
        m_bHadZone = pszOld != nullptr;
        if (m_bHadZone) m_strOldZone = pszOld;
        UseZone(ZONE_EAST);
    }
    void TearDown() override {
        if (m_bHadZone) setenv("TZ", m_strOldZone.c_str(), 1);
        if (!m_bHadZone) unsetenv("TZ");
        tzset();
    }
    static void UseZone(const char* pszZone) {
        setenv("TZ", pszZone, 1);
        tzset();
    }

    // The function at bar 0 of one bar with time nTime, an argument given as a field.
    static double Call(uint32_t nId, std::vector<double> vecArgs, int64_t nTime = 0) {
        CFormulaBench bench(1);
        bench.m_source.m_vecTimes = {nTime};
        std::vector<Operand> vecOperands;
        for (const double dArg : vecArgs) vecOperands.push_back(bench.Series({dArg}));
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(nId, vecOperands)), 0, dValue), EVAL_OK);
        return dValue;
    }

private:
    bool m_bHadZone = false;
    std::string m_strOldZone;
};

TEST_F(DateTimeFunctions, BarCalendarFieldsFollowTheLocalZone) {
    const uint32_t arrIds[] = {DATE,       TIME,    TIME2, YEAR, MONTH,
                               WEEKOFYEAR, WEEKDAY, DAY,   HOUR, MINUTE};
    // 1705282245 is 2024-01-15 01:30:45 UTC, a Monday; 1720094400 2024-07-04 12:00 UTC.
    // Week 1 opens on the first Sunday after 1 January, which is in week 0 even on a
    // Sunday (2023).
    // clang-format off
    const struct { const char* pszZone; int64_t nTime; std::vector<double> vecExpected; } arrCases[] = {
        //                          DATE     TIME  TIME2   YEAR MON WEEK WDAY DAY HOUR MIN
        {ZONE_EAST, 1705282245, {1240115, 930,  93045,  2024, 1, 2,  1, 15, 9,  30}},
        {ZONE_UTC,  1705282245, {1240115, 130,  13045,  2024, 1, 2,  1, 15, 1,  30}},
        {ZONE_WEST, 1705282245, {1240114, 2030, 203045, 2024, 1, 2,  0, 14, 20, 30}},
        {ZONE_WEST, 1720094400, {1240704, 800,  80000,  2024, 7, 26, 4, 4,  8,  0}},  // EDT
        {ZONE_UTC,  1641081599, {1220101, 2359, 235959, 2022, 1, 0,  6, 1,  23, 59}},
        {ZONE_UTC,  1641081600, {1220102, 0,    0,      2022, 1, 1,  0, 2,  0,  0}},
        {ZONE_UTC,  1672531200, {1230101, 0,    0,      2023, 1, 0,  0, 1,  0,  0}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        UseZone(row.pszZone);
        for (size_t i = 0; i < std::size(arrIds); ++i) {
            EXPECT_EQ(Call(arrIds[i], {}, row.nTime), row.vecExpected[i])
                << row.pszZone << " " << row.nTime << " id " << arrIds[i];
        }
    }
    // A bar the data source has no time for cannot be calculated at all.
    CFormulaBench bench(2);
    bench.m_source.m_vecTimes = {1705282245};
    double dValue = 0.0;
    EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(DATE, {})), 1, dValue), EVAL_ERROR);
}

TEST_F(DateTimeFunctions, ConversionsWorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; double dArgument; double dExpected; } arrCases[] = {
        {TIMETOSEC, 93000, 34200},  {TIMETOSEC, 96000, X},     {TIMETOSEC, 93060, X},
        {TIMETOSEC, 240000, X},     {TIMETOSEC, 235959, 86399}, {TIMETOSEC, 0, 0},
        {TIMETOSEC, 129.9999999, 90}, {TIMETOSEC, -1, X},      {TIMETOSEC, X, X},
        {SECTOTIME, 34200, 93000},  {SECTOTIME, 0, X},         {SECTOTIME, 86400, X},
        {SECTOTIME, 86399, 235959}, {SECTOTIME, 3599.9999999, 10000}, {SECTOTIME, -60, X},
        // Day 0 is 19 December 1990, the base time being its midnight at UTC+8.
        {DATETODAY, 901219, 0},     {DATETODAY, 901220, 1},    {DATETODAY, 901218, X},
        {DATETODAY, 1240115, 12080}, {DATETODAY, 1240230, 12126},  // rolls over to 1 March
        {DATETODAY, 0, X},          {DATETODAY, X, X},
        {DAYTODATE, 1, 901220},     {DAYTODATE, 12080, 1240115}, {DAYTODATE, 0, X},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        EXPECT_TRUE(SameValue(row.dExpected, Call(row.nId, {row.dArgument})))
            << "id " << row.nId << " of " << row.dArgument;
    }
}

// Day numbers lead back to their dates only where the base time is a local midnight;
// elsewhere DATETODAY rounds down into the day before, which DAYTODATE then names.
TEST_F(DateTimeFunctions, DayNumbersRoundTrip) {
    for (int nDay = 1; nDay < 40000; nDay += 7) {
        std::tm fields{};
        fields.tm_year = 90;
        fields.tm_mon = 11;
        fields.tm_mday = 19 + nDay;
        fields.tm_hour = 12;
        std::mktime(&fields);
        const double dDate = fields.tm_year * 10000.0 + (fields.tm_mon + 1) * 100 + fields.tm_mday;
        ASSERT_EQ(Call(DATETODAY, {dDate}), nDay) << dDate;
        ASSERT_EQ(Call(DAYTODATE, {static_cast<double>(nDay)}), dDate) << nDay;
    }
    // clang-format off
    const struct { const char* pszZone; double dDate; double dRoundTrip; } arrCases[] = {
        {ZONE_UTC, 1240301, 1240229}, {ZONE_WEST, 1240704, 1240703}, {"JST-9", 1240115, 1240114},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        UseZone(row.pszZone);
        EXPECT_EQ(Call(DAYTODATE, {Call(DATETODAY, {row.dDate})}), row.dRoundTrip) << row.pszZone;
    }
}

TEST_F(DateTimeFunctions, PeriodCodes) {
    // clang-format off
    const struct { int nKind; int nLength; double dCode; } arrCases[] = {
        {0, 5, 12}, {0, 1, 13}, {1, 1, 0}, {1, 5, 1}, {1, 15, 2}, {1, 30, 3}, {1, 60, 4},
        {1, 3, 8}, {2, 1, 4}, {2, 2, 8}, {3, 1, 5}, {3, 3, 9}, {4, 2, 6}, {5, 1, 7},
        {6, 1, 10}, {7, 1, 11}, {8, 1, X}, {-1, 1, X},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        CFormulaBench bench(1);
        bench.m_context.nPeriodKind = row.nKind;
        bench.m_context.nPeriodLength = row.nLength;
        double dValue = 0.0;
        ASSERT_EQ(bench.Evaluate(bench.Keep(bench.Call(PERIOD, {})), 0, dValue), EVAL_OK);
        EXPECT_TRUE(SameValue(row.dCode, dValue)) << row.nKind << "/" << row.nLength;
    }
}

}  // namespace
