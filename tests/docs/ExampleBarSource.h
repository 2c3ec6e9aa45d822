// The example bars of the formula reference as a client's data source: daily bars
// at midnight UTC (the test runs in the UTC time zone), the whole history as the
// window margin, as the host tool answers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

#include "IIndexDataSource.h"
#include "docs/DocExamples.h"

class CExampleBarSource : public IIndexDataSource {
public:
    explicit CExampleBarSource(std::vector<CExampleBar> vecBars) : m_vecBars(std::move(vecBars)) {
        for (const CExampleBar& bar : m_vecBars) {
            m_vecTimes.push_back(MidnightUtc(bar.m_nYear, bar.m_nMonth, bar.m_nDay));
        }
    }

    void GetBarCount(int* count) override { *count = static_cast<int>(m_vecBars.size()); }
    bool GetAvailableBarCount(int* count) override {
        *count = static_cast<int>(m_vecBars.size());
        return true;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (bar < 0 || bar >= static_cast<int>(m_vecBars.size())) return false;
        const CExampleBar& b = m_vecBars[static_cast<size_t>(bar)];
        switch (fieldId) {
            case 1:
                *value = b.m_dHigh;
                return true;
            case 2:
                *value = b.m_dOpen;
                return true;
            case 3:
                *value = b.m_dLow;
                return true;
            case 4:
                *value = b.m_dClose;
                return true;
            case 6:
                *value = b.m_dVolume;
                return true;
            case 15:
                if (bar == 0) return false;
                *value = m_vecBars[static_cast<size_t>(bar) - 1].m_dClose;
                return true;
            default:
                return false;
        }
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        *boundary = direction == 0 ? 0 : std::max(bar, static_cast<int>(m_vecBars.size()) - 1);
    }
    void GetBarPeriod(int* periodKind, int* periodLength) override {
        *periodKind = 3;  // days
        *periodLength = 1;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        if (bar < 0 || bar >= static_cast<int>(m_vecTimes.size())) return false;
        *time = m_vecTimes[static_cast<size_t>(bar)];
        return true;
    }
    // The last bar at or before the time; -1 before the first.
    void FindBarByTime(int64_t time, int* bar) override {
        const auto it = std::upper_bound(m_vecTimes.begin(), m_vecTimes.end(), time);
        *bar = static_cast<int>(it - m_vecTimes.begin()) - 1;
    }
    bool GetDateTime(int64_t date, int64_t* time) override {
        if (date <= 0) return false;
        *time = MidnightUtc(static_cast<int>(date / 10000), static_cast<int>(date / 100 % 100),
                            static_cast<int>(date % 100));
        return true;
    }

private:
    static int64_t MidnightUtc(int nYear, int nMonth, int nDay) {
        std::tm fields{};
        fields.tm_year = nYear - 1900;
        fields.tm_mon = nMonth - 1;
        fields.tm_mday = nDay;
        return static_cast<int64_t>(timegm(&fields));
    }

    std::vector<CExampleBar> m_vecBars;
    std::vector<int64_t> m_vecTimes;
};
