// The yardstick: each benchmarked formula written as the tight loop a plain
// technical-analysis library would run over arrays of prices, recomputing the whole
// series every time. Every loop writes all of its output lines, as the formula does.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace qxbench {

using Line = std::vector<double>;

// x has values from bar first on (an inner average's output starts later).
inline void LoopMa(const Line& x, int n, Line& out, size_t first = 0) {
    double sum = 0.0;
    std::fill(out.begin(), out.begin() + std::min(first, out.size()), NAN);
    for (size_t i = first; i < x.size(); ++i) {
        sum += x[i];
        if (i >= first + n) sum -= x[i - n];
        out[i] = i + 1 >= first + n ? sum / n : NAN;
    }
}

inline void LoopEma(const Line& x, int n, Line& out) {
    const double alpha = 2.0 / (n + 1);
    double value = x.empty() ? 0.0 : x[0];
    for (size_t i = 0; i < x.size(); ++i) {
        value = i == 0 ? x[0] : value + alpha * (x[i] - value);
        out[i] = value;
    }
}

inline void LoopSum(const Line& x, int n, Line& out) {
    double sum = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        sum += x[i];
        if (i >= static_cast<size_t>(n)) sum -= x[i - n];
        out[i] = sum;
    }
}

// COUNT(CLOSE>OPEN,N).
inline void LoopCountUp(const Line& close, const Line& open, int n, Line& out) {
    int count = 0;
    for (size_t i = 0; i < close.size(); ++i) {
        count += close[i] > open[i];
        if (i >= static_cast<size_t>(n)) count -= close[i - n] > open[i - n];
        out[i] = count;
    }
}

// Sample standard deviation over n bars from running sums.
inline void LoopStd(const Line& x, int n, Line& out) {
    double sum = 0.0, sumSq = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        sum += x[i];
        sumSq += x[i] * x[i];
        if (i >= static_cast<size_t>(n)) {
            sum -= x[i - n];
            sumSq -= x[i - n] * x[i - n];
        }
        const double var = (sumSq - sum * sum / n) / (n - 1);
        out[i] = i + 1 >= static_cast<size_t>(n) ? std::sqrt(std::max(var, 0.0)) : NAN;
    }
}

// Highest (bHigh) or lowest value of the last n bars with a monotonic queue of bar
// indexes; scratch is the queue's storage.
inline void LoopExtreme(const Line& x, int n, bool bHigh, std::vector<size_t>& scratch, Line& out) {
    scratch.resize(x.size());
    size_t head = 0, tail = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        while (tail > head &&
               (bHigh ? x[scratch[tail - 1]] <= x[i] : x[scratch[tail - 1]] >= x[i])) {
            --tail;
        }
        scratch[tail++] = i;
        if (scratch[head] + n <= i) ++head;
        out[i] = x[scratch[head]];
    }
}

// MACD(12,26,9): DIF, DEA and the histogram.
inline void LoopMacd(const Line& close, Line& dif, Line& dea, Line& macd) {
    double fast = close.empty() ? 0.0 : close[0], slow = fast, signal = 0.0;
    for (size_t i = 0; i < close.size(); ++i) {
        fast = (11.0 * fast + 2.0 * close[i]) / 13.0;
        slow = (25.0 * slow + 2.0 * close[i]) / 27.0;
        dif[i] = fast - slow;
        signal = i == 0 ? dif[i] : (8.0 * signal + 2.0 * dif[i]) / 10.0;
        dea[i] = signal;
        macd[i] = (dif[i] - signal) * 2.0;
    }
}

// KDJ(9,3,3): the nine-bar range scanned directly, as such libraries do for short
// windows, then two smoothings.
inline void LoopKdj(const Line& high, const Line& low, const Line& close, Line& k, Line& d,
                    Line& j) {
    constexpr size_t n = 9;
    double kValue = 0.0, dValue = 0.0;
    for (size_t i = 0; i < close.size(); ++i) {
        const size_t first = i + 1 >= n ? i + 1 - n : 0;
        double hh = high[first], ll = low[first];
        for (size_t t = first + 1; t <= i; ++t) {
            hh = std::max(hh, high[t]);
            ll = std::min(ll, low[t]);
        }
        const double range = hh - ll;
        const double rsv = range != 0.0 ? (close[i] - ll) / range * 100.0 : 0.0;
        kValue = i == 0 ? rsv : (2.0 * kValue + rsv) / 3.0;
        dValue = i == 0 ? kValue : (2.0 * dValue + kValue) / 3.0;
        k[i] = kValue;
        d[i] = dValue;
        j[i] = 3.0 * kValue - 2.0 * dValue;
    }
}

}  // namespace qxbench
