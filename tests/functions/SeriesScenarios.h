// Random series with holes, and the orders in which the calculator may ask for
// bars, for comparing a function bar by bar with a slow reference of it.
#pragma once

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "index/functions/ValueConventions.h"

using Series = std::vector<double>;

// Values drawn from [dLow, dHigh), INVALID_VALUE at about nHolePercent of the bars;
// with bWhole, whole numbers from dLow to dHigh, so that ties and zeros are common.
inline Series RandomSeries(std::mt19937& random, int nBars, int nHolePercent, double dLow,
                           double dHigh, bool bWhole = false) {
    std::uniform_real_distribution<double> value(dLow, bWhole ? dHigh + 1 : dHigh);
    std::uniform_int_distribution<int> percent(0, 99);
    Series vecValues;
    for (int i = 0; i < nBars; ++i) {
        const double dValue = value(random);
        const bool bHole = percent(random) < nHolePercent;
        vecValues.push_back(bHole ? INVALID_VALUE : bWhole ? std::floor(dValue) : dValue);
    }
    return vecValues;
}

enum class BarOrder {
    Ascending,  // one pass, as a fresh calculation
    Repeated,   // each bar twice, as when the newest bar is recalculated
    Shuffled,   // any order, as values asked for on demand inside other functions
};
constexpr BarOrder ALL_BAR_ORDERS[] = {BarOrder::Ascending, BarOrder::Repeated, BarOrder::Shuffled};

inline std::vector<int> BarsInOrder(int nBars, BarOrder nOrder, std::mt19937& random) {
    std::vector<int> vecBars;
    for (int i = 0; i < nBars; ++i) {
        vecBars.push_back(i);
        if (nOrder == BarOrder::Repeated) vecBars.push_back(i);
    }
    if (nOrder == BarOrder::Shuffled) std::shuffle(vecBars.begin(), vecBars.end(), random);
    return vecBars;
}
