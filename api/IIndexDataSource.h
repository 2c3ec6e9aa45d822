// The client's bar series. The library only calls it; the operation order is the
// client's binary interface.
#pragma once

#include <cstdint>

class IIndexDataSource {
public:
    // Number of bars in the series; fewer than 1 means nothing to calculate.
    virtual void GetBarCount(int* count) = 0;
    // Number of bars available now; false aborts a calculation.
    virtual bool GetAvailableBarCount(int* count) = 0;
    // Per-bar field (ids 1..500); false means no value at this bar.
    virtual bool GetFieldValue(int fieldId, int bar, double* value) = 0;
    // Bar-independent field (ids 501..1000); false means no value.
    virtual bool GetConstantFieldValue(int fieldId, double* value) = 0;
    // A bar index whose distance to `bar` is the window margin before it
    // (direction 0: bar - boundary) or after it (direction 1: boundary - bar).
    virtual void GetWindowBoundary(int bar, int direction, int* boundary) = 0;
    // The bar period; callers preset 3 and 1, which stand when left unset.
    virtual void GetBarPeriod(int* periodKind, int* periodLength) = 0;
    // Time of a bar in seconds since 1970-01-01 UTC.
    virtual bool GetBarTime(int bar, int64_t* time) = 0;
    // Index of the bar at a time.
    virtual void FindBarByTime(int64_t time, int* bar) = 0;
    // Time of a calendar date given as year*10000 + month*100 + day.
    virtual bool GetDateTime(int64_t date, int64_t* time) = 0;
};
