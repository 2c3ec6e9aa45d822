// The value lines of a calculated formula as the arrays a result is made of.
#include <limits>
#include <memory>

#include "python/src/Bindings.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxscript {

// One bar without prices is enough for the calculator to tell its value lines.
std::vector<qxindex::ValueColumn> ValueColumnsWithoutBars(qxindex::ParsedFormula& formula) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    BarColumns columns;
    columns.open = columns.high = columns.low = columns.close = columns.volume = &nan;
    ArrayBarSource source(columns, 1, 1);
    qxindex::CalculatedFormula calculated(formula, source);
    if (!calculated.CalculateAll()) return {};
    return calculated.ValueColumns();
}

std::vector<std::string> ColumnNames(const std::vector<qxindex::ValueColumn>& columns) {
    std::vector<std::string> names;
    for (const qxindex::ValueColumn& column : columns) {
        names.push_back(qxindex::GbkToUtf8(column.name));
    }
    return names;
}

py::array_t<double> ValueArray(size_t lines, size_t bars) {
    return py::array_t<double>(
        std::vector<py::ssize_t>{static_cast<py::ssize_t>(lines), static_cast<py::ssize_t>(bars)});
}

void FillValues(IIndexCalculator* pCalculator, const std::vector<qxindex::ValueColumn>& columns,
                int first, int last, double* out) {
    if (last < first) return;
    const size_t count = static_cast<size_t>(last - first + 1);
    std::unique_ptr<bool[]> valid(new bool[count]);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (size_t c = 0; c < columns.size(); ++c) {
        double* row = out + c * count;
        if (!pCalculator->GetValues(columns[c].statement, first, last, row, valid.get())) {
            std::fill(row, row + count, nan);
            continue;
        }
        for (size_t i = 0; i < count; ++i) {
            if (!valid[i]) row[i] = nan;
        }
    }
}

}  // namespace qxscript
