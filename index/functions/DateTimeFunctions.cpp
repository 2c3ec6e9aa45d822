// Date and time: the calendar fields of the bar being computed, conversions between
// date numbers, day numbers, times and seconds, and the code of the bar period.
//
// Date numbers are (year - 1900) × 10000 + month × 100 + day, so 15 January 2024 is
// 1240115. Bar times arrive as seconds since 1970-01-01 00:00 UTC and are broken
// down in the machine's local time zone (the re-entrant C conversions, so that
// calculators on different threads do not share a result buffer); every result
// here therefore depends on that zone.

#include <cstdint>
#include <ctime>
#include <iterator>

#include "IIndexDataSource.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

// Day numbers count days from this time: 19 December 1990, 00:00 at UTC+8. Only in
// a zone eight hours east of UTC is it a local midnight, so only there does
// DAYTODATE(DATETODAY(D)) give D back; elsewhere DATETODAY rounds the local midnight
// down to a base-aligned instant of the day before, and DAYTODATE names that day.
// Kept as it is because formulas and their stored results use these day numbers.
constexpr int64_t DAY_NUMBER_BASE = 661536000;
constexpr int64_t SECONDS_PER_DAY = 86400;

bool ToLocalTime(int64_t nSeconds, std::tm& fields) {
    const std::time_t nTime = static_cast<std::time_t>(nSeconds);
    return localtime_r(&nTime, &fields) != nullptr;
}

double DateNumberOf(const std::tm& fields) {
    return fields.tm_year * 10000.0 + (fields.tm_mon + 1) * 100.0 + fields.tm_mday;
}

// The calendar fields of the bar being computed. A missing data source, a bar
// without a time or a time the C library cannot break down is an error, not a data
// condition: the formula cannot be calculated in this setting at all.
template <double (*FIELD)(const std::tm&)>
int BarCalendarField(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    IIndexDataSource* pSource = frame.Context().pDataSource;
    int64_t nTime = 0;
    std::tm fields{};
    if (pSource == nullptr || !pSource->GetBarTime(frame.Bar(), &nTime) ||
        !ToLocalTime(nTime, fields)) {
        frame.Reject();
        return frame.Status();
    }
    return frame.Return(FIELD(fields));
}

double TimeOfDay(const std::tm& fields) {
    return fields.tm_hour * 100.0 + fields.tm_min;
}
double TimeWithSeconds(const std::tm& fields) {
    return fields.tm_hour * 10000.0 + fields.tm_min * 100.0 + fields.tm_sec;
}
double FullYear(const std::tm& fields) {
    return fields.tm_year + 1900.0;
}
double MonthOfYear(const std::tm& fields) {
    return fields.tm_mon + 1.0;
}
// Weeks start on Sunday; the days before the year's first Sunday are week 0.
double WeekOfYear(const std::tm& fields) {
    return static_cast<double>((fields.tm_yday - fields.tm_wday + 6) / 7);
}
double DayOfWeek(const std::tm& fields) {
    return fields.tm_wday;
}
double DayOfMonth(const std::tm& fields) {
    return fields.tm_mday;
}
double HourOfDay(const std::tm& fields) {
    return fields.tm_hour;
}
double MinuteOfHour(const std::tm& fields) {
    return fields.tm_min;
}

// DATETODAY(D): the local midnight of date number D, counted in whole days from the
// base. Fields out of range roll over as the C library normalises them (month 13 is
// January of the next year), which keeps the function total.
int DateToDay(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nDate = 0;
    if (!frame.Enter(2) || !frame.ReadCount(1, nDate)) return frame.Status();
    if (nDate <= 0) return frame.ReturnInvalid();
    std::tm fields{};
    fields.tm_year = nDate / 10000;
    fields.tm_mon = (nDate / 100) % 100 - 1;
    fields.tm_mday = nDate % 100;
    fields.tm_isdst = -1;  // let the zone's rules decide
    // mktime answers -1 when it cannot represent the date, which lies before the base too.
    const int64_t nSeconds = static_cast<int64_t>(std::mktime(&fields));
    if (nSeconds < DAY_NUMBER_BASE) return frame.ReturnInvalid();
    return frame.Return(static_cast<double>((nSeconds - DAY_NUMBER_BASE) / SECONDS_PER_DAY));
}

// DAYTODATE(N): the local date at N whole days after the base time.
int DayToDate(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nDay = 0;
    if (!frame.Enter(2) || !frame.ReadCount(1, nDay)) return frame.Status();
    if (nDay <= 0) return frame.ReturnInvalid();
    std::tm fields{};
    if (!ToLocalTime(nDay * SECONDS_PER_DAY + DAY_NUMBER_BASE, fields)) {
        frame.Reject();
        return frame.Status();
    }
    return frame.Return(DateNumberOf(fields));
}

// TIMETOSEC(T): seconds since midnight of the time hhmmss. A negative time is no
// time of day and is refused like an hour of 24 or a minute of 60.
int TimeToSeconds(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nTime = 0;
    if (!frame.Enter(2) || !frame.ReadCount(1, nTime)) return frame.Status();
    const int nHours = nTime / 10000;
    const int nMinutes = nTime / 100 % 100;
    const int nSeconds = nTime % 100;
    if (nTime < 0 || nHours >= 24 || nMinutes >= 60 || nSeconds >= 60) {
        return frame.ReturnInvalid();
    }
    return frame.Return((nHours * 60.0 + nMinutes) * 60.0 + nSeconds);
}

// SECTOTIME(S): the time hhmmss of S seconds after midnight, for S from 1 to 86399.
int SecondsToTime(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nSeconds = 0;
    if (!frame.Enter(2) || !frame.ReadCount(1, nSeconds)) return frame.Status();
    if (nSeconds <= 0 || nSeconds / 3600 >= 24) return frame.ReturnInvalid();
    return frame.Return(nSeconds / 3600 * 10000.0 + nSeconds / 60 % 60 * 100.0 + nSeconds % 60);
}

// The period codes of the formula language by the data source's (kind, length).
// Kinds: 0 seconds, 1 minutes, 2 hours, 3 days, 4 weeks, 5 months, 6 quarters,
// 7 years; the first row of a kind that matches wins, ANY_LENGTH matching every
// length. The language has no code of its own for hours, so an hour bar is named
// as the 60-minute bar it equals and longer hour bars as multi-minute bars. Kinds
// outside 0..7 have no code: PERIOD is INVALID_VALUE for them.
constexpr int ANY_LENGTH = -1;

struct PeriodCode {
    int nKind;
    int nLength;
    int nCode;
};

// clang-format off
constexpr PeriodCode s_arrPeriodCodes[] = {
    {0, 5,          12},  // 5 seconds
    {0, ANY_LENGTH, 13},  // multi-second
    {1, 1,           0},  // 1 minute
    {1, 5,           1},  // 5 minutes
    {1, 15,          2},  // 15 minutes
    {1, 30,          3},  // 30 minutes
    {1, 60,          4},  // 60 minutes
    {1, ANY_LENGTH,  8},  // multi-minute
    {2, 1,           4},  // 1 hour: the 60-minute code
    {2, ANY_LENGTH,  8},  // multi-hour: multi-minute
    {3, 1,           5},  // day
    {3, ANY_LENGTH,  9},  // multi-day
    {4, ANY_LENGTH,  6},  // week
    {5, ANY_LENGTH,  7},  // month
    {6, ANY_LENGTH, 10},  // quarter
    {7, ANY_LENGTH, 11},  // year
};
// clang-format on

int Period(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    const int nKind = frame.Context().nPeriodKind;
    const int nLength = frame.Context().nPeriodLength;
    for (const PeriodCode& row : s_arrPeriodCodes) {
        if (row.nKind == nKind && (row.nLength == ANY_LENGTH || row.nLength == nLength)) {
            return frame.Return(row.nCode);
        }
    }
    return frame.ReturnInvalid();
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {DateToDay,                         90},   // DATETODAY
    {DayToDate,                         91},   // DAYTODATE
    {TimeToSeconds,                     92},   // TIMETOSEC
    {SecondsToTime,                     93},   // SECTOTIME
    {Period,                            94},   // PERIOD
    {BarCalendarField<DateNumberOf>,    95},   // DATE
    {BarCalendarField<TimeOfDay>,       96},   // TIME
    {BarCalendarField<TimeWithSeconds>, 97},   // TIME2
    {BarCalendarField<FullYear>,        98},   // YEAR
    {BarCalendarField<MonthOfYear>,     99},   // MONTH
    {BarCalendarField<WeekOfYear>,      100},  // WEEKOFYEAR
    {BarCalendarField<DayOfWeek>,       101},  // WEEKDAY
    {BarCalendarField<DayOfMonth>,      102},  // DAY
    {BarCalendarField<HourOfDay>,       103},  // HOUR
    {BarCalendarField<MinuteOfHour>,    104},  // MINUTE
};
// clang-format on

}  // namespace

DispatchRows DateTimeFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
