#include "GrowingBarSource.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// Bar data field ids of the formula language.
constexpr int kFieldHigh = 1;
constexpr int kFieldOpen = 2;
constexpr int kFieldLow = 3;
constexpr int kFieldClose = 4;
constexpr int kFieldVolume = 6;

constexpr int64_t kSecondsPerDay = 86400;

}  // namespace

CGrowingBarSource::CGrowingBarSource(std::vector<ClientBar> bars, int nAvailable)
    : m_vecBars(std::move(bars)),
      m_nAvailable(std::clamp(nAvailable, 0, static_cast<int>(m_vecBars.size()))) {}

void CGrowingBarSource::AppendBar() {
    if (m_nAvailable < static_cast<int>(m_vecBars.size())) ++m_nAvailable;
}

// The whole series is known in size from the start; the calculator clamps every
// range to the bars available now.
void CGrowingBarSource::GetBarCount(int* count) {
    *count = static_cast<int>(m_vecBars.size());
}

bool CGrowingBarSource::GetAvailableBarCount(int* count) {
    *count = m_nAvailable;
    return true;
}

bool CGrowingBarSource::GetFieldValue(int fieldId, int bar, double* value) {
    if (bar < 0 || bar >= m_nAvailable) return false;
    const ClientBar& b = GetBar(bar);
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
        default:
            return false;
    }
}

bool CGrowingBarSource::GetConstantFieldValue(int, double*) {
    return false;
}

// Offer the whole history as warm-up margin; the calculator caps it.
void CGrowingBarSource::GetWindowBoundary(int, int direction, int* boundary) {
    *boundary = direction == 0 ? 0 : std::max(0, m_nAvailable - 1);
}

// Daily bars: kind 3, length 1.
void CGrowingBarSource::GetBarPeriod(int* periodKind, int* periodLength) {
    *periodKind = 3;
    *periodLength = 1;
}

bool CGrowingBarSource::GetBarTime(int bar, int64_t* time) {
    if (bar < 0 || bar >= static_cast<int>(m_vecBars.size())) return false;
    *time = GetBar(bar).time;
    return true;
}

void CGrowingBarSource::FindBarByTime(int64_t time, int* bar) {
    auto it = std::upper_bound(m_vecBars.begin(), m_vecBars.end(), time,
                               [](int64_t t, const ClientBar& b) { return t < b.time; });
    *bar = static_cast<int>(it - m_vecBars.begin()) - 1;
}

bool CGrowingBarSource::GetDateTime(int64_t date, int64_t* time) {
    std::tm tmDate{};
    tmDate.tm_year = static_cast<int>(date / 10000) - 1900;
    tmDate.tm_mon = static_cast<int>(date / 100 % 100) - 1;
    tmDate.tm_mday = static_cast<int>(date % 100);
    tmDate.tm_isdst = -1;
    std::time_t t = std::mktime(&tmDate);
    if (t == static_cast<std::time_t>(-1)) return false;
    *time = static_cast<int64_t>(t);
    return true;
}

std::vector<ClientBar> MakeDailyBars(int nCount) {
    std::vector<ClientBar> bars;
    const int64_t firstDay = 1704067200;  // 2024-01-01 00:00 UTC
    double close = 100.0;
    for (int i = 0; i < nCount; ++i) {
        double open = close;
        close = open + 2.0 * std::sin(i * 0.35) + 0.15;
        double high = std::max(open, close) + 0.8;
        double low = std::min(open, close) - 0.8;
        bars.push_back({firstDay + i * kSecondsPerDay, open, high, low, close, 1000.0 + 10.0 * i});
    }
    return bars;
}
