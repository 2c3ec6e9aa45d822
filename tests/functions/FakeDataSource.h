// A bar data source for tests: bars given as vectors, fields that can be refused,
// and a counter per operation, so a test can assert how much was read.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "IIndexDataSource.h"
#include "index/functions/ValueConventions.h"

// In a field's vector: the source refuses the value at that bar.
constexpr double FAKE_REFUSED = INVALID_VALUE;

class CFakeDataSource : public IIndexDataSource {
public:
    // Operation numbers, in the order of the interface.
    enum Operation {
        OP_BAR_COUNT,
        OP_AVAILABLE,
        OP_FIELD,
        OP_CONSTANT_FIELD,
        OP_WINDOW_BOUNDARY,
        OP_PERIOD,
        OP_BAR_TIME,
        OP_FIND_BAR,
        OP_DATE_TIME,
        OPERATION_COUNT
    };

    explicit CFakeDataSource(int nBars = 0) : m_nBarCount(nBars), m_nAvailable(nBars) {}

    int Calls(Operation nOperation) const { return m_arrCalls[nOperation]; }
    void ResetCalls() { m_arrCalls.fill(0); }

    void GetBarCount(int* count) override {
        Count(OP_BAR_COUNT);
        *count = m_nBarCount;
    }
    bool GetAvailableBarCount(int* count) override {
        Count(OP_AVAILABLE);
        if (m_bAvailable) *count = m_nAvailable;
        return m_bAvailable;
    }
    // Bars past a field's vector, FAKE_REFUSED entries and unknown fields are refused.
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        Count(OP_FIELD);
        const auto it = m_mapFields.find(fieldId);
        if (it == m_mapFields.end() || bar < 0 || bar >= static_cast<int>(it->second.size())) {
            return false;
        }
        if (IsInvalid(it->second[static_cast<size_t>(bar)])) return false;
        *value = it->second[static_cast<size_t>(bar)];
        return true;
    }
    bool GetConstantFieldValue(int fieldId, double* value) override {
        Count(OP_CONSTANT_FIELD);
        return Find(m_mapConstants, fieldId, value);
    }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        Count(OP_WINDOW_BOUNDARY);
        *boundary = direction == 0 ? bar - m_nMarginBefore : bar + m_nMarginAfter;
    }
    // Leaves the caller's preset alone unless a period was set.
    void GetBarPeriod(int* periodKind, int* periodLength) override {
        Count(OP_PERIOD);
        if (m_nPeriodKind < 0) return;
        *periodKind = m_nPeriodKind;
        *periodLength = m_nPeriodLength;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        Count(OP_BAR_TIME);
        if (bar < 0 || bar >= static_cast<int>(m_vecTimes.size())) return false;
        *time = m_vecTimes[static_cast<size_t>(bar)];
        return true;
    }
    // The last bar at or before the time; -1 before the first.
    void FindBarByTime(int64_t time, int* bar) override {
        Count(OP_FIND_BAR);
        const auto it = std::upper_bound(m_vecTimes.begin(), m_vecTimes.end(), time);
        *bar = static_cast<int>(it - m_vecTimes.begin()) - 1;
    }
    bool GetDateTime(int64_t date, int64_t* time) override {
        Count(OP_DATE_TIME);
        return Find(m_mapDateTimes, date, time);
    }

    int m_nBarCount;
    int m_nAvailable;
    bool m_bAvailable = true;
    int m_nMarginBefore = 0;
    int m_nMarginAfter = 0;
    int m_nPeriodKind = -1;  // -1: not set
    int m_nPeriodLength = 0;
    std::map<int, std::vector<double>> m_mapFields;  // per-bar fields
    std::map<int, double> m_mapConstants;            // bar-independent fields
    std::vector<int64_t> m_vecTimes;                 // bar times, ascending
    std::map<int64_t, int64_t> m_mapDateTimes;       // yyyymmdd -> time

private:
    void Count(Operation nOperation) { ++m_arrCalls[nOperation]; }
    template <typename KEY, typename VALUE>
    static bool Find(const std::map<KEY, VALUE>& map, KEY key, VALUE* pValue) {
        const auto it = map.find(key);
        if (it == map.end()) return false;
        *pValue = it->second;
        return true;
    }

    std::array<int, OPERATION_COUNT> m_arrCalls{};
};
