// What the binding units of the module share: the formula from Python's side, the
// bar columns from NumPy arrays, and the registration of each unit's functions.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "python/src/ArrayBarSource.h"
#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxscript {

namespace py = pybind11;

// A formula the library refused; Python sees it as qxscript.FormulaError.
struct FormulaFailure {
    qxindex::FormulaError error;
};

// The formula text with its parameters: the defaults of a "{params: ...}" header,
// then `params`, a list of (name, value) pairs, over them.
qxindex::FormulaInput FormulaInputOf(const std::string& text, const py::list& params);

// Parses with the GIL released (every parse of the process waits for one lock);
// throws FormulaFailure when the library refuses.
void ParseOrThrow(qxindex::ParsedFormula& formula, const qxindex::FormulaInput& input);

// Columns handed over by the Python side: float64 arrays of one length under the
// names open, high, low, close, volume and optionally amount, and optionally int64
// wall-clock nanoseconds under "time", increasing. The arrays are kept alive as long as this is.
class BarArrays {
public:
    explicit BarArrays(const py::dict& columns);

    const BarColumns& Columns() const { return m_columns; }
    int Count() const { return m_nCount; }

private:
    const double* Take(const py::dict& columns, const char* name, bool required);

    std::vector<py::array> m_vecKept;
    BarColumns m_columns;
    int m_nCount = -1;
};

// The names (UTF-8) of the formula's value lines, one per column of a result.
std::vector<std::string> ColumnNames(const std::vector<qxindex::ValueColumn>& columns);

// The formula's value lines, which show only once it has been calculated: one bar
// without prices tells them when there are no bars.
std::vector<qxindex::ValueColumn> ValueColumnsWithoutBars(qxindex::ParsedFormula& formula);

// An uninitialised (lines, bars) array for FillValues.
py::array_t<double> ValueArray(size_t lines, size_t bars);

// Values of the lines over bars first..last as a (lines, bars) float64 array, NaN
// where the library has no value. Call with the GIL released.
void FillValues(IIndexCalculator* pCalculator, const std::vector<qxindex::ValueColumn>& columns,
                int first, int last, double* out);

void RegisterFormula(py::module_& module);
void RegisterCalc(py::module_& module);
void RegisterLive(py::module_& module);
void RegisterDraw(py::module_& module);

}  // namespace qxscript
