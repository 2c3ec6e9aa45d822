// Bars held as columns (one array per field, as NumPy and pandas keep them) served
// to the library as a client's bar data source, read in place without a copy.
//
// Times are wall-clock nanoseconds: the date and time a bar shows, counted as if
// it were UTC, as pandas keeps the times of an index without a zone. The library wants real
// instants, which it turns back into the local calendar, so a bar's time is converted only when a
// formula asks for it; most formulas never do, and a million conversions would cost more than the
// calculation.
//
// A NaN price is a bar without that price: the library gets no value there, as
// for a field the source does not have.
#pragma once

#include <cstdint>
#include <vector>

#include "IIndexDataSource.h"
#include "tools/qxindex/BarCalendar.h"

namespace qxscript {

struct BarColumns {
    const double* open = nullptr;
    const double* high = nullptr;
    const double* low = nullptr;
    const double* close = nullptr;
    const double* volume = nullptr;
    const double* amount = nullptr;  // may be absent
    const int64_t* times = nullptr;  // wall-clock nanoseconds, increasing; may be absent
};

class ArrayBarSource : public IIndexDataSource {
public:
    // `capacity` is the series length the calculator builds its store for, of
    // which the first `available` bars exist; live data grows into the rest.
    ArrayBarSource(const BarColumns& columns, int capacity, int available);

    // Points at other arrays (after they grew); the calculator must be given the
    // source again, since its store was made for the old capacity.
    void Rebind(const BarColumns& columns, int capacity, int available);
    void SetAvailable(int available);
    int Available() const { return m_nAvailable; }

    void GetBarCount(int* count) override;
    bool GetAvailableBarCount(int* count) override;
    bool GetFieldValue(int fieldId, int bar, double* value) override;
    bool GetConstantFieldValue(int fieldId, double* value) override;
    // The whole history before a bar, and up to the newest bar after it: the
    // calculator caps its margins itself.
    void GetWindowBoundary(int bar, int direction, int* boundary) override;
    void GetBarPeriod(int* periodKind, int* periodLength) override;
    bool GetBarTime(int bar, int64_t* time) override;
    void FindBarByTime(int64_t time, int* bar) override;
    bool GetDateTime(int64_t date, int64_t* time) override;

private:
    void InferPeriod();

    BarColumns m_columns;
    int m_nCapacity = 0;
    int m_nAvailable = 0;
    qxindex::BarPeriod m_period;
};

// The instant (seconds) of a wall-clock time (nanoseconds) in the local zone.
int64_t LocalInstant(int64_t wallClockNanoseconds);

}  // namespace qxscript
