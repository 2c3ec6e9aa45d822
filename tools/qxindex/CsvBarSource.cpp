#include "tools/qxindex/CsvBarSource.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

std::vector<std::string> SplitRow(const std::string& row) {
    std::vector<std::string> cells;
    std::string cell;
    for (char c : row) {
        if (c == ',') {
            cells.push_back(cell);
            cell.clear();
        } else if (c != '\r') {
            cell += c;
        }
    }
    cells.push_back(cell);
    for (std::string& s : cells) {
        size_t b = s.find_first_not_of(" \t");
        size_t e = s.find_last_not_of(" \t");
        s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
    }
    return cells;
}

// Local wall-clock time of "YYYY-MM-DD[ HH:MM[:SS]]"; false when malformed.
bool ParseDate(const std::string& text, int64_t* time, bool* hasClock) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char rest = 0;
    int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &month, &day, &hour,
                        &minute, &second, &rest);
    bool ok = (n == 3 && text.size() == 10) || n == 5 || n == 6;
    if (!ok || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60 || hour < 0 || minute < 0 || second < 0) {
        return false;
    }
    if (n == 5 && text.size() != 16) return false;
    if (n == 6 && text.size() != 19) return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1)) return false;
    // mktime normalises 31 April into 1 May; a date that moved was not a real date.
    if (fields.tm_mday != day || fields.tm_mon != month - 1) return false;
    *time = static_cast<int64_t>(t);
    *hasClock = n > 3;
    return true;
}

bool ParseNumber(const std::string& text, double* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text.c_str(), &end);
    if (end == nullptr || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

}  // namespace

CsvBarSource CsvBarSource::FromFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw CsvError{"cannot open bar file '" + path + "'"};
    return FromStream(in, path);
}

CsvBarSource CsvBarSource::FromStream(std::istream& in, const std::string& name) {
    static const char* const kColumns[] = {"date", "open", "high", "low", "close", "volume"};
    std::string row;
    if (!std::getline(in, row)) Fail(name, 1, 1, "empty file, expected a header");
    std::vector<std::string> header = SplitRow(row);
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
    bool intraday = false;
    int lineNumber = 1;
    while (std::getline(in, row)) {
        ++lineNumber;
        if (SplitRow(row) == std::vector<std::string>{""}) continue;  // blank line
        std::vector<std::string> cells = SplitRow(row);
        if (cells.size() != header.size()) {
            Fail(name, lineNumber, static_cast<int>(std::min(cells.size(), header.size())) + 1,
                 "expected " + std::to_string(header.size()) + " columns, found " +
                     std::to_string(cells.size()));
        }
        Bar bar;
        bool hasClock = false;
        if (!ParseDate(cells[0], &bar.time, &hasClock)) {
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
