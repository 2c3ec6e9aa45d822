#include "python/src/LiveFormula.h"

namespace qxscript {
namespace {

constexpr size_t kFirstCapacity = 256;

}  // namespace

LiveFormula::LiveFormula(qxindex::ParsedFormula& formula)
    : m_formula(formula), m_source(BarColumns(), 0, 0) {}

void LiveFormula::Store(int bar, const LiveBar& values) {
    const size_t i = static_cast<size_t>(bar);
    m_vecOpen[i] = values.open;
    m_vecHigh[i] = values.high;
    m_vecLow[i] = values.low;
    m_vecClose[i] = values.close;
    m_vecVolume[i] = values.volume;
    m_vecAmount[i] = values.amount;
    m_vecTimes[i] = values.time;
}

bool LiveFormula::Grow() {
    const size_t capacity = m_vecClose.empty() ? kFirstCapacity : 2 * m_vecClose.size();
    for (std::vector<double>* column :
         {&m_vecOpen, &m_vecHigh, &m_vecLow, &m_vecClose, &m_vecVolume, &m_vecAmount}) {
        column->resize(capacity);
    }
    m_vecTimes.resize(capacity);
    BarColumns columns;
    columns.open = m_vecOpen.data();
    columns.high = m_vecHigh.data();
    columns.low = m_vecLow.data();
    columns.close = m_vecClose.data();
    columns.volume = m_vecVolume.data();
    columns.amount = m_vecAmount.data();
    columns.times = m_bHasTimes ? m_vecTimes.data() : nullptr;
    m_source.Rebind(columns, static_cast<int>(capacity), m_nCount);
    if (!m_pCalculated) {
        m_pCalculated = std::make_unique<qxindex::CalculatedFormula>(m_formula, m_source);
        return m_pCalculated->Calculator() != nullptr;
    }
    // A new store for the new length: the history is calculated again from scratch.
    return m_pCalculated->Calculator()->SetDataSource(&m_source);
}

bool LiveFormula::Append(const LiveBar& bar) {
    if (m_nCount == 0) m_bHasTimes = bar.hasTime;
    if (static_cast<size_t>(m_nCount) == m_vecClose.size() && !Grow()) return false;
    Store(m_nCount, bar);
    ++m_nCount;
    m_source.SetAvailable(m_nCount);
    return CalculateNewest(false);
}

bool LiveFormula::UpdateLast(const LiveBar& bar) {
    if (m_nCount == 0) return false;
    Store(m_nCount - 1, bar);
    return CalculateNewest(true);
}

bool LiveFormula::CalculateNewest(bool force) {
    IIndexCalculator* pCalculator = m_pCalculated->Calculator();
    const int last = m_nCount - 1;
    int first = -1, windowLast = -1;
    pCalculator->GetCalculatedRange(&first, &windowLast);
    // After the store was made anew nothing is calculated: the whole history is.
    // So it is for formulas whose values depend on later bars (a zig-zag): asked for
    // the newest bar alone, the library would recompute them over its margin only.
    bool volatileValues = false;
    m_formula.Parser()->GetVolatile(&volatileValues);
    const int from = first < 0 || volatileValues ? 0 : last;
    if (!pCalculator->Calculate(from, last, force) || !pCalculator->UpdateDisplayData()) {
        return false;
    }
    if (m_vecColumns.empty()) m_vecColumns = m_pCalculated->ValueColumns();
    return true;
}

}  // namespace qxscript
