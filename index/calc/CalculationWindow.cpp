#include "index/calc/CalculationWindow.h"

#include <algorithm>
#include <cstdint>

#include "IIndexDataSource.h"

int MarginBefore(IIndexDataSource& source, int nBar, bool bLongHistory) {
    // A source that leaves the boundary unset asks for no margin.
    int nBoundary = nBar;
    source.GetWindowBoundary(nBar, 0, &nBoundary);
    // In 64 bits: a source may answer any int, and the distance must not overflow.
    int64_t nMargin = std::max<int64_t>(static_cast<int64_t>(nBar) - nBoundary, 0);
    if (bLongHistory)
        return static_cast<int>(std::clamp<int64_t>(nMargin, MAX_WINDOW_MARGIN, INT32_MAX));
    return static_cast<int>(std::min<int64_t>(nMargin, MAX_WINDOW_MARGIN));
}

int MarginAfter(IIndexDataSource& source, int nBar, bool bFutureData) {
    if (!bFutureData) return 0;
    int nBoundary = nBar;
    source.GetWindowBoundary(nBar, 1, &nBoundary);
    const int64_t nMargin = static_cast<int64_t>(nBoundary) - nBar;
    return static_cast<int>(std::clamp<int64_t>(nMargin, 0, MAX_WINDOW_MARGIN));
}
