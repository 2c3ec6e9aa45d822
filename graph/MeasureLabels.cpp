#include "graph/MeasureLabels.h"

#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>

namespace MeasureLabels {

namespace {

constexpr uint64_t kSecondsPerDay = 86400;
constexpr uint64_t kSecondsPerHour = 3600;
constexpr uint64_t kSecondsPerMinute = 60;

// A zero price unit or a zero starting price is the client's data, not a fault:
// it shows as inf or nan in the label, as IEEE division gives it.
static_assert(std::numeric_limits<double>::is_iec559, "division by zero must give inf or nan");

// The client may have installed a global locale with digit grouping or a
// decimal comma; measures keep the plain form whatever the process locale.
void UseClassicLocale(std::ostringstream& stream) {
    stream.imbue(std::locale::classic());
}

}  // namespace

std::string FormatFixed(double value, int nDecimals) {
    std::ostringstream stream;
    UseClassicLocale(stream);
    stream << std::fixed << std::setprecision(nDecimals) << value;
    return stream.str();
}

std::string FormatDuration(int64_t nSeconds) {
    std::ostringstream stream;
    UseClassicLocale(stream);
    // The magnitude in unsigned arithmetic: the most negative value has none
    // as a signed number.
    uint64_t nMagnitude = static_cast<uint64_t>(nSeconds);
    if (nSeconds < 0) {
        stream << '-';
        nMagnitude = 0 - nMagnitude;
    }
    const uint64_t nDays = nMagnitude / kSecondsPerDay;
    const uint64_t nHours = nMagnitude % kSecondsPerDay / kSecondsPerHour;
    const uint64_t nMinutes = nMagnitude % kSecondsPerDay % kSecondsPerHour / kSecondsPerMinute;
    if (nDays > 0) stream << nDays << 'd';
    if (nHours > 0) stream << nHours << 'h';
    if (nMinutes > 0) stream << nMinutes << 'm';
    return stream.str();
}

std::string FormatBarSpan(int nBars, int64_t nSeconds) {
    std::ostringstream stream;
    UseClassicLocale(stream);
    stream << nBars << "bars, " << FormatDuration(nSeconds);
    return stream.str();
}

std::string FormatPriceSpan(double from, double to, double unit, bool bTrailingBlank) {
    const double move = to - from;
    std::ostringstream stream;
    UseClassicLocale(stream);
    stream << FormatFixed(move / unit, 3) << '(' << FormatFixed(move / from * 100.0, 2)
           << (bTrailingBlank ? "%) " : "%)");
    return stream.str();
}

}  // namespace MeasureLabels
