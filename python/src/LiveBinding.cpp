// Calculator: a formula kept calculated as live bars arrive.
#include <array>
#include <memory>
#include <mutex>

#include "python/src/Bindings.h"
#include "python/src/LiveFormula.h"

namespace qxscript {
namespace {

// The parsed formula outlives the calculator that refers to it. The library works
// with the GIL released, so a lock keeps Python threads that share a session from
// feeding it bars at the same time.
class LiveSession {
public:
    LiveSession(const std::string& text, const py::list& params)
        : m_pFormula(std::make_unique<qxindex::ParsedFormula>()) {
        ParseOrThrow(*m_pFormula, FormulaInputOf(text, params));
        m_pLive = std::make_unique<LiveFormula>(*m_pFormula);
    }

    void Append(const LiveBar& bar) { Run(bar, &LiveFormula::Append); }
    void UpdateLast(const LiveBar& bar) {
        if (Count() == 0) throw py::value_error("update_last() before the first bar");
        Run(bar, &LiveFormula::UpdateLast);
    }

    std::vector<std::string> Names() const {
        return Locked([this]() {
            if (m_pLive->Count() == 0) return ColumnNames(ValueColumnsWithoutBars(*m_pFormula));
            return ColumnNames(m_pLive->Columns());
        });
    }
    int Count() const {
        return Locked([this]() { return m_pLive->Count(); });
    }

    py::array_t<double> Values(int first, int last) const {
        const auto columns = Locked([this]() { return m_pLive->Columns(); });
        if (first < 0 || last >= Count()) throw py::index_error("no such bars");
        py::array_t<double> values =
            ValueArray(columns.size(), last >= first ? static_cast<size_t>(last - first + 1) : 0);
        double* out = values.mutable_data();
        Locked([&]() { FillValues(m_pLive->Calculator(), columns, first, last, out); });
        return values;
    }

private:
    // Runs `work` under the session's lock with the GIL released: a thread never
    // waits for the lock while it holds the GIL, nor for the GIL under the lock.
    template <typename Work>
    auto Locked(Work work) const -> decltype(work()) {
        py::gil_scoped_release released;
        std::lock_guard<std::mutex> lock(m_mutex);
        return work();
    }

    void Run(const LiveBar& bar, bool (LiveFormula::*step)(const LiveBar&)) {
        const bool ok = Locked([&]() { return ((*m_pLive).*step)(bar); });
        if (!ok) throw std::runtime_error("the library could not calculate the newest bar");
    }

    std::unique_ptr<qxindex::ParsedFormula> m_pFormula;
    std::unique_ptr<LiveFormula> m_pLive;
    mutable std::mutex m_mutex;
};

// prices: open, high, low, close, volume, amount (NaN for none).
LiveBar BarOf(const std::array<double, 6>& prices, const py::object& time) {
    LiveBar bar{prices[0], prices[1], prices[2],       prices[3],
                prices[4], prices[5], !time.is_none(), 0};
    if (bar.hasTime) bar.time = time.cast<int64_t>();
    return bar;
}

}  // namespace

void RegisterLive(py::module_& module) {
    py::class_<LiveSession>(module, "LiveFormula")
        .def(py::init<const std::string&, const py::list&>(), py::arg("formula"), py::arg("params"))
        .def(
            "append",
            [](LiveSession& self, const std::array<double, 6>& prices, const py::object& time) {
                self.Append(BarOf(prices, time));
            },
            py::arg("prices"), py::arg("time"))
        .def(
            "update_last",
            [](LiveSession& self, const std::array<double, 6>& prices, const py::object& time) {
                self.UpdateLast(BarOf(prices, time));
            },
            py::arg("prices"), py::arg("time"))
        .def("names", &LiveSession::Names)
        .def("count", &LiveSession::Count)
        .def("values", &LiveSession::Values, py::arg("first"), py::arg("last"));
}

}  // namespace qxscript
