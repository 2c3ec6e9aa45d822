#include "python/src/ArrayBarSource.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace qxscript {
namespace {

// The period is the median spacing, and the median of the newest spacings is as
// good a guess as that of all of them, without sorting a million gaps.
constexpr int kPeriodSampleBars = 1001;

constexpr int64_t kNanoseconds = 1000000000;

// Whole seconds, rounded down also before 1970.
int64_t Seconds(int64_t nanoseconds) {
    const int64_t seconds = nanoseconds / kNanoseconds;
    return nanoseconds % kNanoseconds < 0 ? seconds - 1 : seconds;
}

// The wall-clock seconds of an instant in the local zone.
int64_t WallClock(int64_t instant) {
    const std::time_t t = static_cast<std::time_t>(instant);
    std::tm fields{};
    localtime_r(&t, &fields);
    return static_cast<int64_t>(timegm(&fields));
}

bool Read(const double* column, int bar, double* value) {
    if (column == nullptr) return false;
    const double v = column[bar];
    if (std::isnan(v)) return false;
    *value = v;
    return true;
}

}  // namespace

int64_t LocalInstant(int64_t wallClockNanoseconds) {
    const std::time_t t = static_cast<std::time_t>(Seconds(wallClockNanoseconds));
    std::tm fields{};
    gmtime_r(&t, &fields);
    fields.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&fields));
}

ArrayBarSource::ArrayBarSource(const BarColumns& columns, int capacity, int available) {
    Rebind(columns, capacity, available);
}

void ArrayBarSource::Rebind(const BarColumns& columns, int capacity, int available) {
    m_columns = columns;
    m_nCapacity = capacity;
    m_nAvailable = available;
    InferPeriod();
}

void ArrayBarSource::SetAvailable(int available) {
    m_nAvailable = available;
    // The first bars of live data tell the period better with every bar.
    if (available <= kPeriodSampleBars) InferPeriod();
}

void ArrayBarSource::InferPeriod() {
    m_period = qxindex::BarPeriod();
    if (m_columns.times == nullptr) return;
    const int first = std::max(0, m_nAvailable - kPeriodSampleBars);
    std::vector<int64_t> seconds;
    for (int bar = first; bar < m_nAvailable; ++bar)
        seconds.push_back(Seconds(m_columns.times[bar]));
    m_period = qxindex::InferBarPeriod(seconds);
}

void ArrayBarSource::GetBarCount(int* count) {
    if (count != nullptr) *count = m_nCapacity;
}

bool ArrayBarSource::GetAvailableBarCount(int* count) {
    if (count == nullptr) return false;
    *count = m_nAvailable;
    return true;
}

bool ArrayBarSource::GetFieldValue(int fieldId, int bar, double* value) {
    if (value == nullptr || bar < 0 || bar >= m_nAvailable) return false;
    switch (fieldId) {
        case qxindex::kFieldHigh:
            return Read(m_columns.high, bar, value);
        case qxindex::kFieldOpen:
            return Read(m_columns.open, bar, value);
        case qxindex::kFieldLow:
            return Read(m_columns.low, bar, value);
        case qxindex::kFieldClose:
            return Read(m_columns.close, bar, value);
        case qxindex::kFieldVolume:
            return Read(m_columns.volume, bar, value);
        case qxindex::kFieldAmount:
            return Read(m_columns.amount, bar, value);
        case qxindex::kFieldPreviousClose:
            return bar > 0 && Read(m_columns.close, bar - 1, value);
        default:
            return false;
    }
}

bool ArrayBarSource::GetConstantFieldValue(int, double*) {
    return false;
}

void ArrayBarSource::GetWindowBoundary(int, int direction, int* boundary) {
    if (boundary == nullptr) return;
    *boundary = direction == 0 ? 0 : std::max(0, m_nAvailable - 1);
}

void ArrayBarSource::GetBarPeriod(int* periodKind, int* periodLength) {
    if (periodKind != nullptr) *periodKind = m_period.kind;
    if (periodLength != nullptr) *periodLength = m_period.length;
}

bool ArrayBarSource::GetBarTime(int bar, int64_t* time) {
    if (time == nullptr || m_columns.times == nullptr || bar < 0 || bar >= m_nAvailable) {
        return false;
    }
    *time = LocalInstant(m_columns.times[bar]);
    return true;
}

void ArrayBarSource::FindBarByTime(int64_t time, int* bar) {
    if (bar == nullptr) return;
    if (m_columns.times == nullptr) {
        *bar = -1;
        return;
    }
    const int64_t* end = m_columns.times + m_nAvailable;
    // The last bar that has begun by the end of that second.
    const int64_t limit = (WallClock(time) + 1) * kNanoseconds - 1;
    *bar = static_cast<int>(std::upper_bound(m_columns.times, end, limit) - m_columns.times) - 1;
}

bool ArrayBarSource::GetDateTime(int64_t date, int64_t* time) {
    return qxindex::LocalDateTime(date, time);
}

}  // namespace qxscript
