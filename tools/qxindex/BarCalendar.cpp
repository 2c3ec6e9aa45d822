#include "tools/qxindex/BarCalendar.h"

#include <algorithm>
#include <ctime>

namespace qxindex {
namespace {

// Bar period kinds of the library's PERIOD codes.
constexpr int kPeriodSeconds = 0;
constexpr int kPeriodMinutes = 1;
constexpr int kPeriodDays = 3;
constexpr int kPeriodWeeks = 4;
constexpr int kPeriodMonths = 5;
constexpr int kPeriodQuarters = 6;
constexpr int kPeriodYears = 7;

}  // namespace

BarPeriod InferBarPeriod(const std::vector<int64_t>& times) {
    BarPeriod period;
    if (times.size() < 2) return period;
    std::vector<int64_t> gaps;
    gaps.reserve(times.size() - 1);
    for (size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    const int64_t gap = gaps[gaps.size() / 2];
    const int64_t day = 86400;
    period.length = 1;
    if (gap < 60) {
        period.kind = kPeriodSeconds;
        period.length = static_cast<int>(gap);
    } else if (gap < 20 * 3600) {
        period.kind = kPeriodMinutes;
        period.length = static_cast<int>(gap / 60);
    } else if (gap < 4 * day) {
        period.kind = kPeriodDays;
        period.length = static_cast<int>((gap + day / 2) / day);
    } else if (gap < 20 * day) {
        period.kind = kPeriodWeeks;
    } else if (gap < 60 * day) {
        period.kind = kPeriodMonths;
    } else if (gap < 200 * day) {
        period.kind = kPeriodQuarters;
    } else {
        period.kind = kPeriodYears;
    }
    return period;
}

bool LocalDateTime(int64_t date, int64_t* time) {
    if (time == nullptr || date <= 0) return false;
    std::tm fields{};
    fields.tm_year = static_cast<int>(date / 10000) - 1900;
    fields.tm_mon = static_cast<int>(date / 100 % 100) - 1;
    fields.tm_mday = static_cast<int>(date % 100);
    fields.tm_isdst = -1;
    std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1)) return false;
    *time = static_cast<int64_t>(t);
    return true;
}

}  // namespace qxindex
