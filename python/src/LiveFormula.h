// A formula kept calculated over bars that arrive one at a time, the way a chart
// client drives the library: each new bar is calculated alone on top of the
// calculated window, and a bar that is still forming is calculated again with
// `force`.
//
// The calculator's store is made for the series length its source reports, so
// the bars live in arrays with room to grow; when they are full they double, and
// the calculator is given the source anew and calculates the history once more.
// That keeps a new bar at a constant cost on average.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "python/src/ArrayBarSource.h"
#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxscript {

struct LiveBar {
    double open = 0.0;
    double high = 0.0;
    double low = 0.0;
    double close = 0.0;
    double volume = 0.0;
    double amount = 0.0;  // NaN when the bars have none
    bool hasTime = false;
    int64_t time = 0;  // wall-clock nanoseconds
};

class LiveFormula {
public:
    // The formula must be parsed; the object keeps a reference to it.
    explicit LiveFormula(qxindex::ParsedFormula& formula);

    // False when the library refuses to calculate.
    bool Append(const LiveBar& bar);
    bool UpdateLast(const LiveBar& bar);

    int Count() const { return m_nCount; }
    const std::vector<qxindex::ValueColumn>& Columns() const { return m_vecColumns; }
    IIndexCalculator* Calculator() const { return m_pCalculated->Calculator(); }

private:
    void Store(int bar, const LiveBar& values);
    bool Grow();
    bool CalculateNewest(bool force);

    qxindex::ParsedFormula& m_formula;
    std::vector<double> m_vecOpen, m_vecHigh, m_vecLow, m_vecClose, m_vecVolume, m_vecAmount;
    std::vector<int64_t> m_vecTimes;
    bool m_bHasTimes = false;
    int m_nCount = 0;
    ArrayBarSource m_source;
    std::unique_ptr<qxindex::CalculatedFormula> m_pCalculated;
    std::vector<qxindex::ValueColumn> m_vecColumns;
};

}  // namespace qxscript
