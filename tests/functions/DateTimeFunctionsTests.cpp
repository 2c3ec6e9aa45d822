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

enum : uint32_t {
    DATETODAY = 90, DAYTODATE = 91, TIMETOSEC = 92, SECTOTIME = 93, PERIOD = 94,
    DATE = 95, TIME = 96, TIME2 = 97, YEAR = 98, MONTH = 99, WEEKOFYEAR = 100,
    WEEKDAY = 101, DAY = 102, HOUR = 103, MINUTE = 104,
};

// POSIX zone strings, which need no time zone database: east of UTC where the day
// numbers were made, west of UTC with summer time, and UTC itself.
const char* const ZONE_EAST = "CST-8";
const char* const ZONE_WEST = "EST5EDT,M3.2.0,M11.1.0";
const char* const ZONE_UTC = "UTC0";

// Sets the process's time zone for one test and puts the previous one back.
class CScopedTimeZone {
public:
    explicit CScopedTimeZone(const char* pszZone) {
        const char* pszOld = std::getenv("TZ");
        m_bHadZone = pszOld != nullptr;
        if (m_bHadZone) m_strOldZone = pszOld;
        Use(pszZone);
    }
    ~CScopedTimeZone() {
        if (m_bHadZone) {
            setenv("TZ", m_strOldZone.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    void Use(const char* pszZone) {
        setenv("TZ", pszZone, 1);
        tzset();
    }

private:
    bool m_bHadZone = false;
    std::string m_strOldZone;
};

class DateTimeFunctions : public ::testing::Test {
protected:
    CScopedTimeZone m_zone{ZONE_EAST};
};

// A function of one argument at bar 0, the argument given as a data field.
double CallWithArgument(uint32_t nId, double dArgument, int& nStatus) {
    CFormulaBench bench(1);
    double dValue = 0.0;
    nStatus = bench.Evaluate(bench.Keep(bench.Call(nId, {bench.Series({dArgument})})), 0, dValue);
    return dValue;
}

double CallWithArgument(uint32_t nId, double dArgument) {
    int nStatus = EVAL_ERROR;
    const double dValue = CallWithArgument(nId, dArgument, nStatus);
    EXPECT_EQ(nStatus, EVAL_OK);
    return dValue;
}

// 2024-01-15 01:30:45 UTC, a Monday; and 2024-07-04 12:00:00 UTC, a Thursday in
// summer time.
constexpr int64_t WINTER_INSTANT = 1705282245;
constexpr int64_t SUMMER_INSTANT = 1720094400;

TEST_F(DateTimeFunctions, BarCalendarFieldsFollowTheLocalZone) {
    const uint32_t arrIds[] = {DATE, TIME, TIME2, YEAR, MONTH, WEEKOFYEAR, WEEKDAY, DAY, HOUR, MINUTE};
    // clang-format off
    const struct { const char* pszZone; int64_t nTime; std::vector<double> vecExpected; } arrCases[] = {
        // DATE     TIME  TIME2   YEAR  MONTH WEEK DAY-OF-WEEK DAY HOUR MINUTE
        {ZONE_EAST, WINTER_INSTANT, {1240115, 930,  93045,  2024, 1, 2,  1, 15, 9,  30}},
        {ZONE_UTC,  WINTER_INSTANT, {1240115, 130,  13045,  2024, 1, 2,  1, 15, 1,  30}},
        {ZONE_WEST, WINTER_INSTANT, {1240114, 2030, 203045, 2024, 1, 2,  0, 14, 20, 30}},
        {ZONE_EAST, SUMMER_INSTANT, {1240704, 2000, 200000, 2024, 7, 26, 4, 4,  20, 0}},
        {ZONE_WEST, SUMMER_INSTANT, {1240704, 800,  80000,  2024, 7, 26, 4, 4,  8,  0}},
        // 1 January 2023 was a Sunday: week 1 starts on the first day.
        {ZONE_UTC,  1672531200,     {1230101, 0,    0,      2023, 1, 1,  0, 1,  0,  0}},
        // 1 January 2022 was a Saturday: it lies in week 0.
        {ZONE_UTC,  1641081599,     {1220101, 2359, 235959, 2022, 1, 0,  6, 1,  23, 59}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        m_zone.Use(row.pszZone);
        for (size_t i = 0; i < std::size(arrIds); ++i) {
            SCOPED_TRACE(::testing::Message() << row.pszZone << " " << row.nTime << " id " << arrIds[i]);
            CFormulaBench bench(3);
            bench.m_source.m_vecTimes = {0, row.nTime, row.nTime + 86400 * 365};
            double dValue = 0.0;
            ASSERT_EQ(bench.Evaluate(bench.Keep(bench.Call(arrIds[i], {})), 1, dValue), EVAL_OK);
            EXPECT_EQ(dValue, row.vecExpected[i]);
        }
    }
}

// Without a bar time the calendar cannot be read: that is an error of the setting,
// not a property of the data.
TEST_F(DateTimeFunctions, MissingBarTimeIsAnError) {
    for (const uint32_t nId : {DATE, TIME, TIME2, YEAR, MONTH, WEEKOFYEAR, WEEKDAY, DAY, HOUR, MINUTE}) {
        CFormulaBench bench(2);
        bench.m_source.m_vecTimes = {WINTER_INSTANT};
        const Operand call = bench.Keep(bench.Call(nId, {}));
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(call, 0, dValue), EVAL_OK) << nId;
        EXPECT_EQ(bench.Evaluate(call, 1, dValue), EVAL_ERROR) << nId;  // refused
        bench.m_context.pDataSource = nullptr;
        EXPECT_EQ(bench.Evaluate(call, 0, dValue), EVAL_ERROR) << nId;
        EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(nId, {bench.Constant(1)})), 0, dValue),
                  EVAL_ERROR)
            << nId;
    }
}

TEST_F(DateTimeFunctions, ConversionsWorkedExamples) {
    // clang-format off
    const struct { uint32_t nId; double dArgument; double dExpected; } arrCases[] = {
        {TIMETOSEC, 93000,       34200},
        {TIMETOSEC, 96000,       X},  // 60 minutes
        {TIMETOSEC, 93060,       X},  // 60 seconds
        {TIMETOSEC, 240000,      X},
        {TIMETOSEC, 235959,      86399},
        {TIMETOSEC, 0,           0},
        {TIMETOSEC, 59.9999999,  60},
        {TIMETOSEC, -1,          X},
        {TIMETOSEC, 1e12,        X},
        {TIMETOSEC, X,           X},
        {SECTOTIME, 34200,       93000},
        {SECTOTIME, 0,           X},
        {SECTOTIME, 86400,       X},
        {SECTOTIME, 86399,       235959},
        {SECTOTIME, 1,           1},
        {SECTOTIME, 3599.9999999, 10000},
        {SECTOTIME, -60,         X},
        {SECTOTIME, X,           X},
        // 20 December 1990 at UTC+8 is the first day.
        {DATETODAY, 901220,      0},
        {DATETODAY, 901221,      1},
        {DATETODAY, 901219,      X},  // before the base
        {DATETODAY, 1240115,     12079},
        {DATETODAY, 1240230,     12125},  // 30 February rolls over to 1 March
        {DATETODAY, 1240301,     12125},
        {DATETODAY, 0,           X},
        {DATETODAY, -1240115,    X},
        {DATETODAY, X,           X},
        {DAYTODATE, 1,           901221},
        {DAYTODATE, 12079,       1240115},
        {DAYTODATE, 0,           X},
        {DAYTODATE, -5,          X},
        {DAYTODATE, X,           X},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(::testing::Message() << "id " << row.nId << " of " << row.dArgument);
        EXPECT_TRUE(SameValue(row.dExpected, CallWithArgument(row.nId, row.dArgument)));
    }
}

// Every day from the base to 2100, and back: the day numbers are dense, increase by
// one a day, and lead back to their dates where the base is a local midnight.
TEST_F(DateTimeFunctions, DayNumbersRoundTripAtUtcPlusEight) {
    std::tm day{};
    day.tm_year = 90;
    day.tm_mon = 11;
    day.tm_mday = 21;
    day.tm_hour = 12;
    for (int nDay = 1; nDay < 40000; nDay += 7) {
        std::tm fields = day;
        fields.tm_mday += nDay - 1;
        std::mktime(&fields);
        const double dDate = fields.tm_year * 10000.0 + (fields.tm_mon + 1) * 100 + fields.tm_mday;
        ASSERT_EQ(CallWithArgument(DATETODAY, dDate), nDay) << dDate;
        ASSERT_EQ(CallWithArgument(DAYTODATE, nDay), dDate) << nDay;
    }
}

// Elsewhere the base is no local midnight, so the round trip lands a day early: the
// behaviour formulas saved with these day numbers rely on.
TEST_F(DateTimeFunctions, DayNumbersRoundTripADayEarlyElsewhere) {
    // clang-format off
    const struct { const char* pszZone; double dDate; double dRoundTrip; } arrCases[] = {
        {ZONE_EAST, 1240115, 1240115},
        {ZONE_EAST, 1240301, 1240301},
        {ZONE_UTC,  1240115, 1240114},
        {ZONE_UTC,  1240301, 1240229},
        {ZONE_WEST, 1240115, 1240114},
        {ZONE_WEST, 1240704, 1240703},
        {"JST-9",   1240115, 1240114},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        m_zone.Use(row.pszZone);
        SCOPED_TRACE(::testing::Message() << row.pszZone << " " << row.dDate);
        const double dDay = CallWithArgument(DATETODAY, row.dDate);
        EXPECT_EQ(CallWithArgument(DAYTODATE, dDay), row.dRoundTrip);
    }
}

TEST_F(DateTimeFunctions, PeriodCodes) {
    // clang-format off
    const struct { int nKind; int nLength; double dCode; } arrCases[] = {
        {0, 5, 12}, {0, 1, 13}, {0, 30, 13},
        {1, 1, 0}, {1, 5, 1}, {1, 15, 2}, {1, 30, 3}, {1, 60, 4}, {1, 3, 8}, {1, 120, 8},
        {2, 1, 4}, {2, 2, 8},
        {3, 1, 5}, {3, 3, 9},
        {4, 1, 6}, {4, 2, 6}, {5, 1, 7}, {6, 1, 10}, {7, 1, 11},
        {8, 1, X}, {-1, 1, X}, {100, 5, X},
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

TEST_F(DateTimeFunctions, WrongElementCountIsAnError) {
    for (const uint32_t nId : {DATETODAY, DAYTODATE, TIMETOSEC, SECTOTIME}) {
        CFormulaBench bench(1);
        double dValue = 0.0;
        EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(nId, {})), 0, dValue), EVAL_ERROR) << nId;
        EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(nId, {bench.Constant(1), bench.Constant(1)})),
                                 0, dValue),
                  EVAL_ERROR)
            << nId;
    }
    CFormulaBench bench(1);
    double dValue = 0.0;
    EXPECT_EQ(bench.Evaluate(bench.Keep(bench.Call(PERIOD, {bench.Constant(1)})), 0, dValue),
              EVAL_ERROR);
}

}  // namespace
