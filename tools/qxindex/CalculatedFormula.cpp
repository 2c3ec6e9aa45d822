#include "tools/qxindex/CalculatedFormula.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <memory>
#include <thread>

#include "IndexObjCreator.h"

namespace qxindex {

CalculatedFormula::CalculatedFormula(ParsedFormula& formula, IIndexDataSource& bars)
    : m_formula(formula), m_bars(bars), m_pCalculator(IndexObjCreator::CreateIndexCalculatorObj()) {
    if (m_pCalculator == nullptr) return;
    m_pCalculator->SetIndexParser(m_formula.Parser());
    m_pCalculator->SetDataSource(&m_bars);
}

CalculatedFormula::CalculatedFormula(ParsedFormula& formula, CsvBarSource& bars)
    : CalculatedFormula(formula, static_cast<IIndexDataSource&>(bars)) {
    m_pCsvBars = &bars;
}

CalculatedFormula::~CalculatedFormula() {
    IndexObjCreator::ReleaseIndexCalculatorObj(&m_pCalculator);
}

bool CalculatedFormula::CalculateAll(void (*onProgress)(double, void*), void* user) {
    if (m_pCalculator == nullptr) return false;
    int count = 0;
    m_bars.GetBarCount(&count);
    const int last = count - 1;
    if (last < 0) return false;
    if (onProgress == nullptr) {
        return m_pCalculator->Calculate(0, last, false) && m_pCalculator->UpdateDisplayData();
    }
    // The calculation is one call; the bar source sees how far it has read, which
    // is all a client can know of its progress.
    std::atomic<bool> done{false};
    bool ok = false;
    std::thread worker([&]() {
        ok = m_pCalculator->Calculate(0, last, false);
        done = true;
    });
    while (!done) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!done) onProgress(m_pCsvBars != nullptr ? m_pCsvBars->ReadProgress() : 0.0, user);
    }
    worker.join();
    onProgress(1.0, user);
    return ok && m_pCalculator->UpdateDisplayData();
}

std::vector<ValueColumn> CalculatedFormula::ValueColumns() const {
    std::vector<ValueColumn> columns;
    int count = 0;
    IIndexParser* parser = m_formula.Parser();
    if (parser == nullptr || !parser->GetDrawStatementCount(&count)) return columns;
    double probe = 0.0;
    for (int k = 0; k < count; ++k) {
        // Only curve, circle and column statements have a value series: the others
        // are refused by GetValues whatever the bar.
        bool valid = false;
        if (!m_pCalculator->GetValues(k, 0, 0, &probe, &valid)) continue;
        char name[256] = {};
        ValueColumn column;
        column.statement = k;
        if (parser->GetOutputName(k, name, sizeof(name)) && name[0] != '\0') {
            column.name = name;
        } else {
            column.name = "_" + std::to_string(k);
        }
        columns.push_back(column);
    }
    return columns;
}

bool CalculatedFormula::Values(int statement, int from, int to, std::vector<double>* values,
                               std::vector<bool>* valid) const {
    if (from > to) return false;
    const size_t n = static_cast<size_t>(to - from + 1);
    values->assign(n, 0.0);
    std::unique_ptr<bool[]> flags(new bool[n]);
    if (!m_pCalculator->GetValues(statement, from, to, values->data(), flags.get())) return false;
    valid->assign(flags.get(), flags.get() + n);
    return true;
}

std::string ShortestText(double value) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof(text), value);
    return std::string(text, result.ptr);
}

}  // namespace qxindex
