// What each reference operand of a compiled formula stands for, worked out once per
// calculation: which data field it reads or which series it names, and the series'
// buffer once it exists. Evaluation reads every reference at every bar; with the
// plan that is an index into a table instead of a walk through the reference node,
// the field-id table and the series store.
//
// The plan answers exactly what a walk would: a reference the walk would refuse is
// planned as refused. It belongs to one compiled formula and one series store and
// must be rebuilt when either changes (the calculator rebuilds it at every pass).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CAssignmentIndex;
class CCalculateInfo;
class CSeriesStore;
struct Statement;

class CReferencePlan {
public:
    enum Target : uint8_t {
        TARGET_REFUSED,      // malformed: evaluation fails with EVAL_ERROR
        TARGET_BAR_FIELD,    // a per-bar data field, read from the data source
        TARGET_OTHER_FIELD,  // a bar-independent or unknown field: left to the full path
        TARGET_SERIES,       // an output or variable kept in the store
    };

    struct Entry {
        Target nTarget = TARGET_REFUSED;
        int nFieldId = 0;
        int nKind = 0;
        int nNumber = 0;
        double* pSeries = nullptr;  // the series' buffer, once the store has handed it out
        // The first assignment to the series (null: none), when the assignment index
        // covers it; otherwise the statements are searched.
        bool bAssignmentKnown = false;
        const Statement* pAssignment = nullptr;
    };

    // Plans both reference lists of the formula for the store, taking the assignments
    // from the index built for the same formula. An allocation failure leaves the
    // plan empty, and an empty plan covers nothing.
    void Build(const CCalculateInfo& info, CSeriesStore* pStore,
               const CAssignmentIndex& assignments);
    void Clear();

    const CCalculateInfo* Info() const { return m_pInfo; }
    const CSeriesStore* Store() const { return m_pStore; }

    // The entry of reference nIndex of the list bDrawMode selects; null outside it.
    Entry* Find(bool bDrawMode, int64_t nIndex) {
        std::vector<Entry>& vecEntries = bDrawMode ? m_vecDraw : m_vecOrdinary;
        if (nIndex < 0 || static_cast<uint64_t>(nIndex) >= vecEntries.size()) return nullptr;
        return &vecEntries[static_cast<size_t>(nIndex)];
    }

    // The buffer of a series entry, taken from the store (created there when missing)
    // the first time and remembered. Null when the store cannot give one.
    double* SeriesOf(Entry& entry);

private:
    const CCalculateInfo* m_pInfo = nullptr;
    CSeriesStore* m_pStore = nullptr;
    std::vector<Entry> m_vecOrdinary;
    std::vector<Entry> m_vecDraw;
};
