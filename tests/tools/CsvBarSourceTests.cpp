// The host tool's CSV bars: what it accepts, and that every malformed input is
// reported with its line and column instead of being skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "tools/qxindex/CsvBarSource.h"

namespace {

using qxindex::CsvBarSource;
using qxindex::CsvError;

// Dates are local wall-clock time; the tests pin the zone.
class CsvBarSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        m_hadZone = tz != nullptr;
        if (m_hadZone) m_oldZone = tz;
        setenv("TZ", "CST-8", 1);
        tzset();
    }
    void TearDown() override {
        if (m_hadZone) {
            setenv("TZ", m_oldZone.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    static CsvBarSource Read(const std::string& text) {
        std::istringstream in(text);
        return CsvBarSource::FromStream(in, "bars.csv");
    }
    static std::string ErrorOf(const std::string& text) {
        try {
            Read(text);
        } catch (const CsvError& e) {
            return e.message;
        }
        return "no error";
    }

private:
    bool m_hadZone = false;
    std::string m_oldZone;
};

const char* const kHeader = "date,open,high,low,close,volume\n";

TEST_F(CsvBarSourceTest, ServesFieldsTimesAndPreviousClose) {
    CsvBarSource bars = Read(std::string(kHeader) +
                             "2024-01-15,10,12,9,11,1000\n"
                             "2024-01-16,11,13,10,12.5,2000\n");
    int count = 0;
    bars.GetBarCount(&count);
    EXPECT_EQ(count, 2);
    double v = 0;
    ASSERT_TRUE(bars.GetFieldValue(1, 1, &v));  // high
    EXPECT_EQ(v, 13);
    ASSERT_TRUE(bars.GetFieldValue(4, 1, &v));  // close
    EXPECT_EQ(v, 12.5);
    ASSERT_TRUE(bars.GetFieldValue(15, 1, &v));  // previous close
    EXPECT_EQ(v, 11);
    EXPECT_FALSE(bars.GetFieldValue(15, 0, &v));
    EXPECT_FALSE(bars.GetFieldValue(5, 0, &v));  // no amount column
    EXPECT_FALSE(bars.GetFieldValue(4, 2, &v));
    EXPECT_FALSE(bars.GetFieldValue(4, -1, &v));

    int64_t t = 0;
    ASSERT_TRUE(bars.GetBarTime(0, &t));
    std::time_t local = static_cast<std::time_t>(t);
    std::tm fields{};
    localtime_r(&local, &fields);
    EXPECT_EQ(fields.tm_year + 1900, 2024);
    EXPECT_EQ(fields.tm_mday, 15);
    EXPECT_EQ(fields.tm_hour, 0);
    EXPECT_EQ(bars.DateText(1), "2024-01-16");

    int bar = -5;
    bars.FindBarByTime(t + 3600, &bar);
    EXPECT_EQ(bar, 0);
    bars.FindBarByTime(t - 1, &bar);
    EXPECT_EQ(bar, -1);
    int64_t dateTime = 0;
    ASSERT_TRUE(bars.GetDateTime(20240116, &dateTime));
    bars.FindBarByTime(dateTime, &bar);
    EXPECT_EQ(bar, 1);
}

TEST_F(CsvBarSourceTest, InfersThePeriodFromTheMedianSpacing) {
    struct Case {
        const char* rows;
        int kind;
        int length;
    } cases[] = {
        {"2024-01-15,1,1,1,1,1\n2024-01-16,1,1,1,1,1\n2024-01-19,1,1,1,1,1\n2024-01-20,1,1,1,1,1\n",
         3, 1},
        {"2024-01-15 09:30,1,1,1,1,1\n2024-01-15 09:35,1,1,1,1,1\n2024-01-15 09:40,1,1,1,1,1\n", 1,
         5},
        {"2024-01-01,1,1,1,1,1\n2024-01-08,1,1,1,1,1\n2024-01-15,1,1,1,1,1\n", 4, 1},
        {"2024-01-01,1,1,1,1,1\n2024-02-01,1,1,1,1,1\n2024-03-01,1,1,1,1,1\n", 5, 1},
    };
    for (const Case& c : cases) {
        CsvBarSource bars = Read(std::string(kHeader) + c.rows);
        int kind = 0, length = 0;
        bars.GetBarPeriod(&kind, &length);
        EXPECT_EQ(kind, c.kind) << c.rows;
        EXPECT_EQ(length, c.length) << c.rows;
    }
}

TEST_F(CsvBarSourceTest, ReportsEveryMalformedInputWithItsPlace) {
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", "line 1, column 1: empty file"},
        {"date,open,high,low,close\n", "line 1, column 1: expected the header"},
        {"date,open,high,low,price,volume\n", "line 1, column 5: expected column 'close'"},
        {std::string(kHeader) + "2024-01-15,1,1,1,1\n", "line 2, column 6: expected 6 columns"},
        {std::string(kHeader) + "2024-13-15,1,1,1,1,1\n",
         "line 2, column 1: '2024-13-15' is not a date"},
        {std::string(kHeader) + "2024-02-30,1,1,1,1,1\n",
         "line 2, column 1: '2024-02-30' is not a date"},
        {std::string(kHeader) + "2024-01-15,1,x,1,1,1\n",
         "line 2, column 3: 'x' is not a number (high)"},
        {std::string(kHeader) + "2024-01-15,1,1e999,1,1,1\n",
         "line 2, column 3: '1e999' is not a number (high)"},
        {std::string(kHeader) + "2024-01-15,1,1,++1,1,1\n",
         "line 2, column 4: '++1' is not a number (low)"},
        {std::string(kHeader) + "2024-1-15,1,1,1,1,1\n",
         "line 2, column 1: '2024-1-15' is not a date"},
        {std::string(kHeader) + "2024-01-15 9:30,1,1,1,1,1\n",
         "line 2, column 1: '2024-01-15 9:30' is not a date"},
        {std::string(kHeader) + "2024-01-15,1,1,1,,1\n",
         "line 2, column 5: '' is not a number (close)"},
        {std::string(kHeader) + "2024-01-15,1,1,1,1,1\n2024-01-15,1,1,1,1,1\n",
         "line 3, column 1: dates out of order"},
        {std::string(kHeader) + "2024-01-15,1,1,1,1,1\n2024-01-14,1,1,1,1,1\n",
         "line 3, column 1: dates out of order"},
    };
    for (const Case& c : cases) {
        std::string message = ErrorOf(c.text);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        EXPECT_EQ(message.rfind("bars.csv: ", 0), 0u) << message;
    }
}

TEST_F(CsvBarSourceTest, AcceptsAmountColumnBlankLinesAndCarriageReturns) {
    CsvBarSource bars = Read(
        "date,open,high,low,close,volume,amount\r\n2024-01-15,1,2,0.5,1.5,10,15\r\n\r\n"
        "2024-01-16, 1 ,+2,.5,1.5e0,10,16\r\n");
    double v = 0;
    ASSERT_TRUE(bars.GetFieldValue(5, 1, &v));
    EXPECT_EQ(v, 16);
    ASSERT_TRUE(bars.GetFieldValue(1, 1, &v));
    EXPECT_EQ(v, 2);
    ASSERT_TRUE(bars.GetFieldValue(3, 1, &v));
    EXPECT_EQ(v, 0.5);
    EXPECT_EQ(bars.Bars().size(), 2u);
}

}  // namespace
