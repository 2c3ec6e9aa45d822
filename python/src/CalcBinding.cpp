// calc(): one whole-series calculation over the bar arrays, read in place, with
// the GIL released while the library works.
#include <chrono>

#include "python/src/Bindings.h"

namespace qxscript {

namespace {

py::tuple Calc(const std::string& text, const py::list& params, const py::dict& bars, int first,
               int last) {
    qxindex::FormulaInput input = FormulaInputOf(text, params);
    qxindex::ParsedFormula formula;
    ParseOrThrow(formula, input);
    BarArrays arrays(bars);
    const int count = arrays.Count();
    if (count == 0) {
        std::vector<qxindex::ValueColumn> columns = ValueColumnsWithoutBars(formula);
        return py::make_tuple(ColumnNames(columns), ValueArray(columns.size(), 0), 0.0, 0.0);
    }
    if (first < 0 || last >= count || first > last + 1) {
        throw py::index_error("bars " + std::to_string(first) + ".." + std::to_string(last) +
                              " are not within 0.." + std::to_string(count - 1));
    }
    ArrayBarSource source(arrays.Columns(), count, count);
    qxindex::CalculatedFormula calculated(formula, source);
    bool ok = false;
    // The library's own share of the call, for the benchmark that holds the module
    // to adding little to it.
    std::chrono::duration<double> library{}, reading{};
    {
        py::gil_scoped_release released;
        const auto start = std::chrono::steady_clock::now();
        ok = calculated.CalculateAll();
        library = std::chrono::steady_clock::now() - start;
    }
    if (!ok)
        throw std::runtime_error("the library could not calculate the formula over these bars");
    std::vector<qxindex::ValueColumn> columns = calculated.ValueColumns();
    py::array_t<double> values = ValueArray(columns.size(), static_cast<size_t>(last - first + 1));
    double* out = values.mutable_data();
    {
        py::gil_scoped_release released;
        const auto start = std::chrono::steady_clock::now();
        FillValues(calculated.Calculator(), columns, first, last, out);
        reading = std::chrono::steady_clock::now() - start;
    }
    return py::make_tuple(ColumnNames(columns), values, library.count(), reading.count());
}

}  // namespace

void RegisterCalc(py::module_& module) {
    module.def(
        "calc", &Calc, py::arg("formula"), py::arg("params"), py::arg("bars"), py::arg("first"),
        py::arg("last"),
        "Calculates a formula over bar columns; returns (names, values[lines, bars], seconds\n"
        "the library took)");
}

}  // namespace qxscript
