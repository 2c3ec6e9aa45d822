// A parsed formula bound to bars through a calculator, as a client drives it:
// SetIndexParser, SetDataSource, Calculate, UpdateDisplayData, then the readers.
#pragma once

#include <string>
#include <vector>

#include "IIndexCalculator.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxindex {

// A drawing statement that has a value series (a curve, circle or column line).
struct ValueColumn {
    int statement = 0;
    std::string name;  // the output's name, or "_k" when it has none
};

class CalculatedFormula {
public:
    // Any bar source will do; CSV bars also report how far a calculation has read.
    CalculatedFormula(ParsedFormula& formula, IIndexDataSource& bars);
    CalculatedFormula(ParsedFormula& formula, CsvBarSource& bars);
    ~CalculatedFormula();
    CalculatedFormula(const CalculatedFormula&) = delete;
    CalculatedFormula& operator=(const CalculatedFormula&) = delete;

    // One whole-series calculation, then publishing. While it runs, `onProgress`
    // (if given) is called from this thread about ten times a second with the share
    // done, 0..1 (always 0 for bars that are not CSV bars). False when the library
    // refuses.
    bool CalculateAll(void (*onProgress)(double share, void* user) = nullptr, void* user = nullptr);

    IIndexCalculator* Calculator() const { return m_pCalculator; }
    std::vector<ValueColumn> ValueColumns() const;
    // The values of one statement over from..to; invalid bars as NaN-free flags.
    bool Values(int statement, int from, int to, std::vector<double>* values,
                std::vector<bool>* valid) const;

private:
    ParsedFormula& m_formula;
    IIndexDataSource& m_bars;
    const CsvBarSource* m_pCsvBars = nullptr;
    IIndexCalculator* m_pCalculator;
};

// The shortest decimal text that reads back to the same double.
std::string ShortestText(double value);

}  // namespace qxindex
