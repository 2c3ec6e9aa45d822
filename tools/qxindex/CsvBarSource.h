// Bars read from a CSV file, served to the library as a client's bar data source.
//
// Format: a header "date,open,high,low,close,volume" with an optional ",amount"
// column, then one bar per row, oldest first. Dates are "YYYY-MM-DD" or
// "YYYY-MM-DD HH:MM[:SS]" and are read as local wall-clock time, so the library's
// local-time calendar gives the same dates back. Any malformed row is an error that
// names its line and column: nothing is skipped silently.
#pragma once

#include <atomic>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "IIndexDataSource.h"

namespace qxindex {

struct Bar {
    int64_t time = 0;  // seconds since 1970-01-01 UTC
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double close = 0.0;
    double volume = 0.0;
    double amount = 0.0;
};

struct CsvError {
    std::string message;  // "line L, column C: ..."
};

// The local wall-clock time of "YYYY-MM-DD[ HH:MM[:SS]]", and whether the text
// has a clock time; false when malformed or not a real date.
bool ParseBarDate(const std::string& text, int64_t* time, bool* hasClock);

class CsvBarSource : public IIndexDataSource {
public:
    // Throws CsvError for malformed input.
    static CsvBarSource FromFile(const std::string& path);
    static CsvBarSource FromStream(std::istream& in, const std::string& name);
    explicit CsvBarSource(std::vector<Bar> bars, bool hasAmount = false);
    CsvBarSource(CsvBarSource&& other) noexcept;

    const std::vector<Bar>& Bars() const { return m_vecBars; }
    // How far the library has read into the bars, 0..1 (the bar of the latest field
    // read); a calculation sweeps the bars once per drawing statement.
    double ReadProgress() const;

    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM" (when the bars are intraday) of a bar.
    std::string DateText(int bar) const;

    void GetBarCount(int* count) override;
    bool GetAvailableBarCount(int* count) override;
    bool GetFieldValue(int fieldId, int bar, double* value) override;
    bool GetConstantFieldValue(int fieldId, double* value) override;
    // Window margins: direction 0 answers the first bar and direction 1 the last, so
    // the calculator may warm up over as much history as it wants (it caps the
    // margin itself).
    void GetWindowBoundary(int bar, int direction, int* boundary) override;
    void GetBarPeriod(int* periodKind, int* periodLength) override;
    bool GetBarTime(int bar, int64_t* time) override;
    // The last bar at or before `time`, or -1 before the first bar.
    void FindBarByTime(int64_t time, int* bar) override;
    bool GetDateTime(int64_t date, int64_t* time) override;

private:
    void InferPeriod();

    std::vector<Bar> m_vecBars;
    bool m_bHasAmount;
    bool m_bIntraday = false;
    int m_nPeriodKind = 3;  // days
    int m_nPeriodLength = 1;
    std::atomic<int> m_nLastBarRead{0};
};

}  // namespace qxindex
