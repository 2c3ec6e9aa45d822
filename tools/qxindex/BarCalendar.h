// What every in-memory bar source of ours answers the same way: the field ids the
// library asks for, the bar period told from the spacing of the bar times, and
// calendar dates in local time.
#pragma once

#include <cstdint>
#include <vector>

namespace qxindex {

// Field ids of the bar data the library asks for.
constexpr int kFieldHigh = 1;
constexpr int kFieldOpen = 2;
constexpr int kFieldLow = 3;
constexpr int kFieldClose = 4;
constexpr int kFieldAmount = 5;
constexpr int kFieldVolume = 6;
constexpr int kFieldPreviousClose = 15;

struct BarPeriod {
    int kind = 3;  // the library's PERIOD coding: 3 is days
    int length = 1;
};

// The period of bars at these times (seconds, oldest first): the median spacing,
// so that a few gaps (weekends, holidays) do not change it. Fewer than two bars
// are daily.
BarPeriod InferBarPeriod(const std::vector<int64_t>& times);

// Seconds since 1970-01-01 UTC of local midnight on year*10000 + month*100 + day.
bool LocalDateTime(int64_t date, int64_t* time);

}  // namespace qxindex
