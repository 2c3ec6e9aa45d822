// Bars for the reliability tests: any number of them, computed rather than
// stored, so a million-bar source costs no memory of its own. Close at bar i is
// 100 + i % 50, high and low one above and below, open the previous close.
#pragma once

#include <cstdint>

#include "IIndexDataSource.h"

class CSteadyBars : public IIndexDataSource {
public:
    explicit CSteadyBars(int nBars) : m_nBars(nBars) {}

    static double CloseAt(int nBar) { return 100.0 + nBar % 50; }

    void GetBarCount(int* count) override { *count = m_nBars; }
    bool GetAvailableBarCount(int* count) override {
        *count = m_nBars;
        return true;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        if (bar < 0 || bar >= m_nBars) return false;
        switch (fieldId) {
            case 1:
                *value = CloseAt(bar) + 1.0;
                return true;
            case 2:
                *value = bar > 0 ? CloseAt(bar - 1) : CloseAt(0);
                return true;
            case 3:
                *value = CloseAt(bar) - 1.0;
                return true;
            case 4:
            case 15:
                *value = CloseAt(bar);
                return true;
            case 5:
            case 6:
                *value = 1000.0 + bar % 7;
                return true;
            default:
                return false;
        }
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        *boundary = direction == 0 ? bar - 100 : bar;
    }
    void GetBarPeriod(int* periodKind, int* periodLength) override {
        *periodKind = 5;
        *periodLength = 1;
    }
    bool GetBarTime(int bar, int64_t* time) override {
        *time = 1600000000LL + 86400LL * bar;
        return true;
    }
    void FindBarByTime(int64_t time, int* bar) override {
        *bar = static_cast<int>((time - 1600000000LL) / 86400LL);
    }
    bool GetDateTime(int64_t, int64_t*) override { return false; }

private:
    int m_nBars;
};
