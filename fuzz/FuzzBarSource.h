// A bar data source made from fuzzer bytes. Prices follow a random walk with
// holes: some values are the library's invalid marker, NaN, infinite or huge,
// and some are refused outright. Margins, bar period and calendar answers are
// arbitrary too, and the source may refuse the available-bar count, report
// fewer or more bars than it has, and grow between calls as live data does.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "IIndexDataSource.h"
#include "fuzz/FuzzInput.h"
#include "index/functions/ValueConventions.h"

class CFuzzBarSource : public IIndexDataSource {
public:
    static constexpr int kFieldCount = 17;  // ids 0..16; 0 and unknown ids are refused

    CFuzzBarSource(CFuzzInput& input, int nBars) : m_input(input) {
        m_nMarginBefore = input.ReadInt(-3, 600);
        m_nMarginAfter = input.ReadInt(-3, 600);
        m_nPeriodKind = input.ReadInt(-2, 9);
        m_nPeriodLength = input.ReadInt(-1, 240);
        m_nHoleRate = input.ReadInt(0, 15);
        m_nAvailableMode = input.ReadInt(0, 7);
        m_dConstant = input.ReadBool() ? 1.0e8 : INVALID_VALUE;
        for (auto& vecField : m_arrFields) vecField.reserve(static_cast<size_t>(nBars));
        Grow(nBars);
    }

    int BarCount() const { return static_cast<int>(m_vecTimes.size()); }

    // Appends bars, as a live feed does while the client looks at the chart.
    void Grow(int nBars) {
        for (int i = 0; i < nBars; ++i) {
            m_dLast += (static_cast<int>(m_input.ReadByte()) - 128) * 0.01;
            const int nBar = BarCount();
            for (int nField = 1; nField < kFieldCount; ++nField) {
                m_arrFields[nField].push_back(MakeValue(nField));
            }
            // Daily bars with an occasional gap; times are seconds since 1970.
            m_vecTimes.push_back(1600000000LL + 86400LL * nBar +
                                 (m_input.ReadByte() & 3) * 86400LL);
        }
    }

    void GetBarCount(int* count) override { *count = BarCount(); }
    bool GetAvailableBarCount(int* count) override {
        switch (m_nAvailableMode) {
            case 0:
                return false;
            case 1:
                *count = BarCount() / 2;
                return true;
            case 2:
                *count = BarCount() + 7;  // more than there are: the library must clamp
                return true;
            default:
                *count = BarCount();
                return true;
        }
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (fieldId <= 0 || fieldId >= kFieldCount || bar < 0 || bar >= BarCount()) return false;
        const double dValue = m_arrFields[fieldId][static_cast<size_t>(bar)];
        if (IsRefused(dValue)) return false;
        *value = dValue;
        return true;
    }
    bool GetConstantFieldValue(int fieldId, double* value) override {
        if (fieldId != 501) return false;
        *value = m_dConstant;
        return true;
    }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        *boundary = direction == 0 ? bar - m_nMarginBefore : bar + m_nMarginAfter;
    }
    void GetBarPeriod(int* periodKind, int* periodLength) override {
        if (m_nPeriodKind < 0) return;
        *periodKind = m_nPeriodKind;
        *periodLength = m_nPeriodLength;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        if (bar < 0 || bar >= BarCount()) return false;
        *time = m_vecTimes[static_cast<size_t>(bar)];
        return true;
    }
    void FindBarByTime(int64_t time, int* bar) override {
        int nBar = -1;
        for (int i = 0; i < BarCount() && m_vecTimes[static_cast<size_t>(i)] <= time; ++i) nBar = i;
        *bar = nBar;
    }
    bool GetDateTime(int64_t date, int64_t* time) override {
        if (date <= 0 || date > 99991231) return false;
        *time = (date % 100000) * 3600;
        return true;
    }

private:
    // A value the source refuses rather than hands over.
    static bool IsRefused(double dValue) { return ValueBits(dValue) == 0x7FF4000000000001ull; }

    double MakeValue(int nField) {
        if (m_nHoleRate > 0 && m_input.ReadInt(0, 31) < m_nHoleRate) {
            switch (m_input.ReadInt(0, 5)) {
                case 0:
                    return INVALID_VALUE;
                case 1:
                    return UNCOMPUTED_VALUE;
                case 2:
                    return std::numeric_limits<double>::quiet_NaN();
                case 3:
                    return m_input.ReadBool() ? HUGE_VAL : -HUGE_VAL;
                case 4:
                    return m_input.ReadBool() ? 1.0e300 : -1.0e-300;
                default:
                    return __builtin_bit_cast(double, 0x7FF4000000000001ull);
            }
        }
        switch (nField) {
            case 1:
                return m_dLast + 0.5;  // high
            case 3:
                return m_dLast - 0.5;  // low
            case 6:
            case 5:
                return 1000.0 + m_input.ReadByte() * 50.0;  // volume, amount
            default:
                return m_dLast;
        }
    }

    CFuzzInput& m_input;
    std::vector<double> m_arrFields[kFieldCount];
    std::vector<int64_t> m_vecTimes;
    double m_dLast = 10.0;
    int m_nMarginBefore = 0;
    int m_nMarginAfter = 0;
    int m_nPeriodKind = 4;
    int m_nPeriodLength = 1;
    int m_nHoleRate = 0;
    int m_nAvailableMode = 3;
    double m_dConstant = 0.0;
};
