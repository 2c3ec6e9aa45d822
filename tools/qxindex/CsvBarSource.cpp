#include "tools/qxindex/CsvBarSource.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <sstream>

#include "tools/qxindex/BarCalendar.h"

namespace qxindex {
namespace {

[[noreturn]] void Fail(const std::string& name, int line, int column, const std::string& what) {
    std::ostringstream message;
    message << name << ": line " << line << ", column " << column << ": " << what;
    throw CsvError{message.str()};
}

// The trimmed cells of a row, into `cells` (whose strings are reused: a file's
// rows all have the same shape, so reading them allocates nothing after the first).
void SplitRow(const std::string& row, std::vector<std::string>* cells) {
    size_t count = 0;
    size_t start = 0;
    while (true) {
        size_t end = row.find(',', start);
        if (end == std::string::npos) end = row.size();
        size_t b = start;
        size_t e = end;
        while (b < e && (row[b] == ' ' || row[b] == '\t' || row[b] == '\r')) ++b;
        while (e > b && (row[e - 1] == ' ' || row[e - 1] == '\t' || row[e - 1] == '\r')) --e;
        if (count == cells->size()) cells->emplace_back();
        (*cells)[count].assign(row, b, e - b);
        ++count;
        if (end == row.size()) break;
        start = end + 1;
    }
    cells->resize(count);
}

// The value of `count` decimal digits at text[at], or -1.
int Digits(const std::string& text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// A decimal number, with an optional sign; from_chars reads it in the C locale
// whatever the process's locale is, and several times faster than strtod.
bool ParseNumber(const std::string& text, double* value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    if (first == last || *first == '+') return false;
    double v = 0.0;
    std::from_chars_result result = std::from_chars(first, last, v);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// mktime of the fields. mktime looks at the zone file again on every call, under
// the C library's zone lock, so files read on several threads would wait on each
// other row by row; the UTC offset of this thread's previous answer, checked with
// localtime_r (which does not look again), almost always gives the answer first.
std::time_t LocalTime(std::tm* fields) {
    thread_local bool s_bKnown = false;
    thread_local int64_t s_nOffset = 0;
    const int64_t wall =
        DaysFromCivil(fields->tm_year + 1900, fields->tm_mon + 1, fields->tm_mday) * 86400 +
        fields->tm_hour * 3600 + fields->tm_min * 60 + fields->tm_sec;
    if (s_bKnown) {
        std::time_t guess = static_cast<std::time_t>(wall - s_nOffset);
        std::tm check{};
        if (localtime_r(&guess, &check) != nullptr && check.tm_year == fields->tm_year &&
            check.tm_mon == fields->tm_mon && check.tm_mday == fields->tm_mday &&
            check.tm_hour == fields->tm_hour && check.tm_min == fields->tm_min &&
            check.tm_sec == fields->tm_sec) {
            *fields = check;
            return guess;
        }
    }
    std::time_t t = std::mktime(fields);
    if (t != static_cast<std::time_t>(-1)) {
        s_bKnown = true;
        s_nOffset = wall - static_cast<int64_t>(t);
    }
    return t;
}

}  // namespace

bool ParseBarDate(const std::string& text, int64_t* time, bool* hasClock) {
    const size_t n = text.size();
    if (n != 10 && n != 16 && n != 19) return false;
    if (text[4] != '-' || text[7] != '-') return false;
    if (n > 10 && (text[10] != ' ' || text[13] != ':')) return false;
    if (n == 19 && text[16] != ':') return false;
    const int year = Digits(text, 0, 4);
    const int month = Digits(text, 5, 2);
    const int day = Digits(text, 8, 2);
    const int hour = n > 10 ? Digits(text, 11, 2) : 0;
    const int minute = n > 10 ? Digits(text, 14, 2) : 0;
    const int second = n == 19 ? Digits(text, 17, 2) : 0;
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 60) {
        return false;
    }
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    std::time_t t = LocalTime(&fields);
    if (t == static_cast<std::time_t>(-1)) return false;
    // mktime normalises 31 April into 1 May; a date that moved was not a real date.
    if (fields.tm_mday != day || fields.tm_mon != month - 1) return false;
    *time = static_cast<int64_t>(t);
    *hasClock = n > 10;
    return true;
}

CsvBarSource CsvBarSource::FromFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw CsvError{"cannot open bar file '" + path + "'"};
    return FromStream(in, path);
}

CsvBarSource CsvBarSource::FromStream(std::istream& in, const std::string& name) {
    static const char* const kColumns[] = {"date", "open", "high", "low", "close", "volume"};
    std::string row;
    if (!std::getline(in, row)) Fail(name, 1, 1, "empty file, expected a header");
    std::vector<std::string> header;
    SplitRow(row, &header);
    bool hasAmount = header.size() == 7 && header[6] == "amount";
    if (header.size() != 6 && !hasAmount) {
        Fail(name, 1, 1, "expected the header date,open,high,low,close,volume[,amount]");
    }
    for (int c = 0; c < 6; ++c) {
        if (header[c] != kColumns[c]) {
            Fail(name, 1, c + 1,
                 "expected column '" + std::string(kColumns[c]) + "', found '" + header[c] + "'");
        }
    }
    std::vector<Bar> bars;
    std::vector<std::string> cells;
    bool intraday = false;
    int lineNumber = 1;
    while (std::getline(in, row)) {
        ++lineNumber;
        SplitRow(row, &cells);
        if (cells.size() == 1 && cells[0].empty()) continue;  // blank line
        if (cells.size() != header.size()) {
            Fail(name, lineNumber, static_cast<int>(std::min(cells.size(), header.size())) + 1,
                 "expected " + std::to_string(header.size()) + " columns, found " +
                     std::to_string(cells.size()));
        }
        Bar bar;
        bool hasClock = false;
        if (!ParseBarDate(cells[0], &bar.time, &hasClock)) {
            Fail(name, lineNumber, 1, "'" + cells[0] + "' is not a date (YYYY-MM-DD[ HH:MM[:SS]])");
        }
        intraday = intraday || hasClock;
        double* targets[] = {&bar.open, &bar.high, &bar.low, &bar.close, &bar.volume, &bar.amount};
        for (size_t c = 1; c < cells.size(); ++c) {
            if (!ParseNumber(cells[c], targets[c - 1])) {
                Fail(name, lineNumber, static_cast<int>(c) + 1,
                     "'" + cells[c] + "' is not a number (" + header[c] + ")");
            }
        }
        if (!bars.empty() && bar.time <= bars.back().time) {
            Fail(name, lineNumber, 1,
                 "dates out of order: '" + cells[0] + "' is not after the previous bar");
        }
        bars.push_back(bar);
    }
    if (in.bad()) Fail(name, lineNumber, 1, "read error");
    CsvBarSource source(std::move(bars), hasAmount);
    source.m_bIntraday = intraday;
    return source;
}

CsvBarSource::CsvBarSource(std::vector<Bar> bars, bool hasAmount)
    : m_vecBars(std::move(bars)), m_bHasAmount(hasAmount) {
    InferPeriod();
}

CsvBarSource::CsvBarSource(CsvBarSource&& other) noexcept
    : m_vecBars(std::move(other.m_vecBars)),
      m_bHasAmount(other.m_bHasAmount),
      m_bIntraday(other.m_bIntraday),
      m_nPeriodKind(other.m_nPeriodKind),
      m_nPeriodLength(other.m_nPeriodLength),
      m_nLastBarRead(other.m_nLastBarRead.load()) {}

double CsvBarSource::ReadProgress() const {
    if (m_vecBars.empty()) return 1.0;
    return static_cast<double>(m_nLastBarRead.load() + 1) / static_cast<double>(m_vecBars.size());
}

void CsvBarSource::InferPeriod() {
    std::vector<int64_t> times;
    times.reserve(m_vecBars.size());
    for (const Bar& bar : m_vecBars) times.push_back(bar.time);
    const BarPeriod period = InferBarPeriod(times);
    m_nPeriodKind = period.kind;
    m_nPeriodLength = period.length;
}

std::string CsvBarSource::DateText(int bar) const {
    if (bar < 0 || bar >= static_cast<int>(m_vecBars.size())) return std::string();
    std::time_t t = static_cast<std::time_t>(m_vecBars[bar].time);
    std::tm fields{};
    localtime_r(&t, &fields);
    char text[32];
    std::strftime(text, sizeof(text), m_bIntraday ? "%Y-%m-%d %H:%M" : "%Y-%m-%d", &fields);
    return text;
}

void CsvBarSource::GetBarCount(int* count) {
    if (count != nullptr) *count = static_cast<int>(m_vecBars.size());
}

bool CsvBarSource::GetAvailableBarCount(int* count) {
    if (count == nullptr) return false;
    *count = static_cast<int>(m_vecBars.size());
    return true;
}

bool CsvBarSource::GetFieldValue(int fieldId, int bar, double* value) {
    if (value == nullptr || bar < 0 || bar >= static_cast<int>(m_vecBars.size())) return false;
    m_nLastBarRead.store(bar, std::memory_order_relaxed);
    const Bar& b = m_vecBars[bar];
    switch (fieldId) {
        case kFieldHigh:
            *value = b.high;
            return true;
        case kFieldOpen:
            *value = b.open;
            return true;
        case kFieldLow:
            *value = b.low;
            return true;
        case kFieldClose:
            *value = b.close;
            return true;
        case kFieldVolume:
            *value = b.volume;
            return true;
        case kFieldAmount:
            if (!m_bHasAmount) return false;
            *value = b.amount;
            return true;
        case kFieldPreviousClose:
            if (bar == 0) return false;
            *value = m_vecBars[bar - 1].close;
            return true;
        default:
            return false;
    }
}

bool CsvBarSource::GetConstantFieldValue(int, double*) {
    return false;
}

void CsvBarSource::GetWindowBoundary(int, int direction, int* boundary) {
    if (boundary == nullptr) return;
    *boundary = direction == 0 ? 0 : std::max(0, static_cast<int>(m_vecBars.size()) - 1);
}

void CsvBarSource::GetBarPeriod(int* periodKind, int* periodLength) {
    if (periodKind != nullptr) *periodKind = m_nPeriodKind;
    if (periodLength != nullptr) *periodLength = m_nPeriodLength;
}

bool CsvBarSource::GetBarTime(int bar, int64_t* time) {
    if (time == nullptr || bar < 0 || bar >= static_cast<int>(m_vecBars.size())) return false;
    *time = m_vecBars[bar].time;
    return true;
}

void CsvBarSource::FindBarByTime(int64_t time, int* bar) {
    if (bar == nullptr) return;
    auto after = std::upper_bound(m_vecBars.begin(), m_vecBars.end(), time,
                                  [](int64_t t, const Bar& b) { return t < b.time; });
    *bar = static_cast<int>(after - m_vecBars.begin()) - 1;
}

bool CsvBarSource::GetDateTime(int64_t date, int64_t* time) {
    return LocalDateTime(date, time);
}

}  // namespace qxindex
