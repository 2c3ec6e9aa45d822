// Deterministic bars for benchmarks: a random walk with consistent OHLCV, the same
// for every run and every program (fixed seed).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "IIndexDataSource.h"

namespace qxbench {

struct Bars {
    std::vector<double> open, high, low, close, volume;
    size_t Size() const { return close.size(); }
};

inline Bars MakeRandomWalk(size_t count, uint32_t seed = 20261206) {
    Bars bars;
    bars.open.resize(count);
    bars.high.resize(count);
    bars.low.resize(count);
    bars.close.resize(count);
    bars.volume.resize(count);
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> step(0.0, 0.01);
    std::uniform_real_distribution<double> spread(0.0, 0.005);
    std::uniform_real_distribution<double> volume(1e5, 1e6);
    double price = 100.0;
    for (size_t i = 0; i < count; ++i) {
        double open = price;
        double close = std::max(1.0, open * (1.0 + step(rng)));
        bars.open[i] = open;
        bars.close[i] = close;
        bars.high[i] = std::max(open, close) * (1.0 + spread(rng));
        bars.low[i] = std::min(open, close) * (1.0 - spread(rng));
        bars.volume[i] = std::floor(volume(rng));
        price = close;
    }
    return bars;
}

// The bars as a client's data source. `available` bars are visible; the series has
// room for all of them, so a benchmark can let bars "arrive" one at a time.
class RandomWalkSource : public IIndexDataSource {
public:
    explicit RandomWalkSource(const Bars& bars) : m_bars(bars), m_available(bars.Size()) {}

    void SetAvailable(size_t available) { m_available = std::min(available, m_bars.Size()); }
    // A forming bar: its close changes with every tick until the bar is complete.
    void SetFormingClose(size_t bar, double close) {
        m_formingBar = bar;
        m_formingClose = close;
    }
    size_t Available() const { return m_available; }

    void GetBarCount(int* count) override { *count = static_cast<int>(m_bars.Size()); }
    bool GetAvailableBarCount(int* count) override {
        *count = static_cast<int>(m_available);
        return true;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (bar < 0 || static_cast<size_t>(bar) >= m_available) return false;
        switch (fieldId) {
            case 1:
                *value = m_bars.high[bar];
                return true;
            case 2:
                *value = m_bars.open[bar];
                return true;
            case 3:
                *value = m_bars.low[bar];
                return true;
            case 4:
                *value =
                    static_cast<size_t>(bar) == m_formingBar ? m_formingClose : m_bars.close[bar];
                return true;
            case 6:
                *value = m_bars.volume[bar];
                return true;
            default:
                return false;
        }
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int, int direction, int* boundary) override {
        *boundary = direction == 0 ? 0 : static_cast<int>(m_bars.Size()) - 1;
    }
    void GetBarPeriod(int* kind, int* length) override {
        *kind = 3;
        *length = 1;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        *time = 1262304000 + static_cast<int64_t>(bar) * 86400;
        return true;
    }
    void FindBarByTime(int64_t time, int* bar) override {
        *bar = static_cast<int>((time - 1262304000) / 86400);
    }
    bool GetDateTime(int64_t, int64_t*) override { return false; }

private:
    const Bars& m_bars;
    size_t m_available;
    size_t m_formingBar = static_cast<size_t>(-1);
    double m_formingClose = 0.0;
};

}  // namespace qxbench
