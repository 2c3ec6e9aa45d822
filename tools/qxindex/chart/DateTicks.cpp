#include "tools/qxindex/chart/DateTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <limits>

#include "tools/qxindex/chart/ValueTicks.h"

namespace qxindex {
namespace {

// Local calendar fields of one bar; valid is false when the time does not convert.
struct Calendar {
    bool valid = false;
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
};

enum class LabelForm { kYear, kMonth, kDay, kClock };

// One calendar level: the period a bar falls into, and how its ticks read.
struct Level {
    int64_t (*period)(const Calendar&);
    LabelForm form;
};

int64_t DayNumber(const Calendar& c) {
    return (static_cast<int64_t>(c.year) * 12 + c.month) * 31 + c.day;
}

int64_t ByHour(const Calendar& c) {
    return DayNumber(c) * 24 + c.hour;
}
int64_t ByFourHours(const Calendar& c) {
    return DayNumber(c) * 24 + c.hour / 4;
}
int64_t ByDay(const Calendar& c) {
    return DayNumber(c);
}
int64_t ByMonth(const Calendar& c) {
    return static_cast<int64_t>(c.year) * 12 + c.month - 1;
}
int64_t ByQuarter(const Calendar& c) {
    return ByMonth(c) / 3;
}
int64_t ByHalfYear(const Calendar& c) {
    return ByMonth(c) / 6;
}
int64_t ByYear(const Calendar& c) {
    return c.year;
}
int64_t ByTwoYears(const Calendar& c) {
    return c.year / 2;
}
int64_t ByFiveYears(const Calendar& c) {
    return c.year / 5;
}
int64_t ByDecade(const Calendar& c) {
    return c.year / 10;
}

// Finest first.
constexpr Level kLevels[] = {
    {ByHour, LabelForm::kClock},  {ByFourHours, LabelForm::kClock}, {ByDay, LabelForm::kDay},
    {ByMonth, LabelForm::kMonth}, {ByQuarter, LabelForm::kMonth},   {ByHalfYear, LabelForm::kMonth},
    {ByYear, LabelForm::kYear},   {ByTwoYears, LabelForm::kYear},   {ByFiveYears, LabelForm::kYear},
    {ByDecade, LabelForm::kYear},
};

// Room for one label of `chars` characters at the axis font, plus a gap.
double LabelSpacing(size_t chars) {
    return static_cast<double>(chars) * 6.6 + 18.0;
}

Calendar ToCalendar(int64_t time) {
    Calendar c;
    std::time_t t = static_cast<std::time_t>(time);
    std::tm fields{};
    if (localtime_r(&t, &fields) == nullptr) return c;
    c.valid = true;
    c.year = fields.tm_year + 1900;
    c.month = fields.tm_mon + 1;
    c.day = fields.tm_mday;
    c.hour = fields.tm_hour;
    c.minute = fields.tm_min;
    return c;
}

std::string Label(const Calendar& c, LabelForm form) {
    char text[48];
    switch (form) {
        case LabelForm::kYear:
            std::snprintf(text, sizeof(text), "%d", c.year);
            break;
        case LabelForm::kMonth:
            std::snprintf(text, sizeof(text), "%d-%02d", c.year, c.month);
            break;
        case LabelForm::kDay:
            std::snprintf(text, sizeof(text), "%d-%02d-%02d", c.year, c.month, c.day);
            break;
        case LabelForm::kClock:
            std::snprintf(text, sizeof(text), "%02d-%02d %02d:%02d", c.month, c.day, c.hour,
                          c.minute);
            break;
    }
    return text;
}

std::vector<DateTick> CalendarTicks(const std::vector<Calendar>& calendars, int64_t firstBar,
                                    const Level& level) {
    std::vector<DateTick> ticks;
    for (size_t i = 1; i < calendars.size(); ++i) {
        const Calendar& previous = calendars[i - 1];
        const Calendar& current = calendars[i];
        if (!previous.valid || !current.valid) continue;
        if (level.period(previous) == level.period(current)) continue;
        ticks.push_back(DateTick{firstBar + static_cast<int64_t>(i), Label(current, level.form)});
    }
    return ticks;
}

std::vector<DateTick> BarNumberTicks(const std::vector<Bar>& bars, int64_t from, int64_t to,
                                     double axisWidth) {
    std::vector<DateTick> ticks;
    int maxTicks = static_cast<int>(axisWidth / LabelSpacing(10));
    ValueTicks steps =
        MakeValueTicks(static_cast<double>(from), static_cast<double>(to), std::max(maxTicks, 1));
    steps.step = std::max(steps.step, 1.0);
    int64_t bar = static_cast<int64_t>(std::ceil(static_cast<double>(from) / steps.step)) *
                  static_cast<int64_t>(steps.step);
    for (; bar <= to && ticks.size() <= static_cast<size_t>(maxTicks);
         bar += static_cast<int64_t>(steps.step)) {
        std::string label;
        if (bar >= 0 && bar < static_cast<int64_t>(bars.size())) {
            Calendar c = ToCalendar(bars[static_cast<size_t>(bar)].time);
            if (c.valid) label = Label(c, LabelForm::kDay);
        }
        if (label.empty()) label = "#" + std::to_string(bar);
        ticks.push_back(DateTick{bar, label});
    }
    return ticks;
}

}  // namespace

std::vector<DateTick> MakeDateTicks(const std::vector<Bar>& bars, int64_t from, int64_t to,
                                    double axisWidth) {
    if (to < from) std::swap(from, to);
    if (!(axisWidth > 0.0)) return {};
    int64_t count = static_cast<int64_t>(bars.size());
    int64_t first = std::max<int64_t>(from, 0);
    int64_t last = std::min(to, count - 1);
    if (first <= last) {
        // The bar before the first visible one decides whether that one starts a
        // period.
        int64_t before = std::max<int64_t>(first - 1, 0);
        std::vector<Calendar> calendars;
        calendars.reserve(static_cast<size_t>(last - before + 1));
        if (before == first) calendars.push_back(Calendar{});  // nothing before bar 0
        for (int64_t i = before; i <= last; ++i) {
            calendars.push_back(ToCalendar(bars[static_cast<size_t>(i)].time));
        }
        double pixelsPerBar = axisWidth / (static_cast<double>(to) - static_cast<double>(from) + 1);
        size_t transitions = 0;
        for (size_t i = 1; i < calendars.size(); ++i) {
            if (calendars[i - 1].valid && calendars[i].valid) ++transitions;
        }
        std::vector<std::vector<DateTick>> byLevel;
        for (const Level& level : kLevels) {
            byLevel.push_back(CalendarTicks(calendars, first - 1, level));
        }
        for (size_t i = 0; i < byLevel.size(); ++i) {
            const std::vector<DateTick>& ticks = byLevel[i];
            if (ticks.empty()) continue;
            // A level that marks every bar says nothing the next level does not when
            // that one marks every bar too: daily bars are labelled by day, not by
            // the hour in which each one starts.
            if (ticks.size() == transitions && i + 1 < byLevel.size() &&
                byLevel[i + 1].size() == transitions) {
                continue;
            }
            // The closest pair of ticks decides whether the labels fit.
            size_t longest = 0;
            int64_t closest = ticks.size() > 1 ? std::numeric_limits<int64_t>::max() : 0;
            for (size_t k = 0; k < ticks.size(); ++k) {
                longest = std::max(longest, ticks[k].label.size());
                if (k > 0) closest = std::min(closest, ticks[k].bar - ticks[k - 1].bar);
            }
            if (ticks.size() == 1 ||
                static_cast<double>(closest) * pixelsPerBar >= LabelSpacing(longest)) {
                return ticks;
            }
        }
    }
    return BarNumberTicks(bars, from, to, axisWidth);
}

}  // namespace qxindex
