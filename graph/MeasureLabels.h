// Texts of the measuring tools: a bar count with the time it spans, a price
// difference with its percentage, and prices with a fixed number of decimals.
#pragma once

#include <cstdint>
#include <string>

namespace MeasureLabels {

// `value` in fixed notation, e.g. FormatFixed(12.3456, 3) is "12.346".
std::string FormatFixed(double value, int nDecimals);

// Whole days, hours and minutes, each only when not zero, without separators:
// 90061 seconds read "1d1h1m". Seconds are not shown, so under a minute the
// text is empty ("-" alone when negative).
std::string FormatDuration(int64_t nSeconds);

// "5bars, 1d1h1m".
std::string FormatBarSpan(int nBars, int64_t nSeconds);

// The move from `from` to `to` in units of `unit`, then its percentage of
// `from`: "2.500(12.50%)". With bTrailingBlank a blank follows, to separate a
// bar span written after it.
std::string FormatPriceSpan(double from, double to, double unit, bool bTrailingBlank);

}  // namespace MeasureLabels
