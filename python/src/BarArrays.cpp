// The bar columns as the library's data source reads them: checked once here, so
// that reading a bar is a plain array access.
#include <limits>

#include "index/calc/CIndexCalculator.h"
#include "python/src/Bindings.h"

namespace qxscript {
namespace {

template <typename T>
py::array_t<T> Exact(const py::handle& value, const char* name) {
    // No conversion here: the Python side has made every column contiguous of the
    // right type, and a silent copy would hide a mistake there.
    if (!py::isinstance<py::array_t<T, py::array::c_style>>(value)) {
        throw py::type_error(std::string("column '") + name + "' must be a contiguous " +
                             (std::is_same<T, double>::value ? "float64" : "int64") + " array");
    }
    auto array = py::reinterpret_borrow<py::array_t<T, py::array::c_style>>(value);
    if (array.ndim() != 1) {
        throw py::value_error(std::string("column '") + name + "' must be one-dimensional");
    }
    return array;
}

// One pass over the times, so that a frame's index costs no temporary arrays.
void CheckTimes(const int64_t* times, int count) {
    for (int bar = 0; bar < count; ++bar) {
        const char* why = nullptr;
        if (times[bar] == std::numeric_limits<int64_t>::min()) {
            why = "has no time (NaT)";
        } else if (bar > 0 && times[bar] == times[bar - 1]) {
            why = "has the same time as the bar before";
        } else if (bar > 0 && times[bar] < times[bar - 1]) {
            why = "is earlier than the bar before (sort the bars by time)";
        }
        if (why != nullptr) throw py::value_error("bar " + std::to_string(bar) + " " + why);
    }
}

}  // namespace

BarArrays::BarArrays(const py::dict& columns) {
    m_columns.open = Take(columns, "open", true);
    m_columns.high = Take(columns, "high", true);
    m_columns.low = Take(columns, "low", true);
    m_columns.close = Take(columns, "close", true);
    m_columns.volume = Take(columns, "volume", true);
    m_columns.amount = Take(columns, "amount", false);
    if (columns.contains("time") && !columns["time"].is_none()) {
        py::array_t<int64_t> times = Exact<int64_t>(columns["time"], "time");
        if (times.shape(0) != m_nCount)
            throw py::value_error("the times and the bars differ in length");
        CheckTimes(times.data(), m_nCount);
        m_columns.times = times.data();
        m_vecKept.push_back(times);
    }
}

const double* BarArrays::Take(const py::dict& columns, const char* name, bool required) {
    if (!columns.contains(name) || columns[name].is_none()) {
        if (required) throw py::value_error(std::string("the bars have no column '") + name + "'");
        return nullptr;
    }
    py::array_t<double> array = Exact<double>(columns[name], name);
    const py::ssize_t count = array.shape(0);
    if (count > MAX_BAR_COUNT) {
        throw py::value_error("more bars than the library calculates (" +
                              std::to_string(MAX_BAR_COUNT) + ")");
    }
    if (m_nCount >= 0 && count != m_nCount) {
        throw py::value_error(std::string("column '") + name +
                              "' differs in length from the others");
    }
    m_nCount = static_cast<int>(count);
    m_vecKept.push_back(array);
    return array.data();
}

}  // namespace qxscript
