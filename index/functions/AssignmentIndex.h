// Which assignment defines each output and variable of a compiled formula, looked
// up once per calculation rather than searched for at every bar that computes one.
#pragma once

#include <vector>

#include "index/functions/SeriesStore.h"

class CCalculateInfo;
struct Statement;

class CAssignmentIndex {
public:
    // Indexes the first assignment to every target, as a search of the statements
    // in order would find it. Leaves the index unusable (every lookup answers "not
    // covered") when a target number is too large to index or memory runs out.
    void Build(const CCalculateInfo& info);
    void Clear();

    // True when the index covers (nKind, nNumber); pStatement is then its first
    // assignment, or null when there is none. False means: search the statements.
    bool Find(int nKind, int nNumber, const Statement*& pStatement) const {
        if (!m_bUsable || nKind < 0 || nKind >= SERIES_KIND_COUNT || nNumber < 0) return false;
        const std::vector<const Statement*>& vecKind = m_vecByNumber[nKind];
        const size_t nIndex = static_cast<size_t>(nNumber);
        pStatement = nIndex < vecKind.size() ? vecKind[nIndex] : nullptr;
        return true;
    }

private:
    // Real formulas number their series in the tens; a corrupt compiled form could
    // name numbers up to MAX_SERIES_NUMBER, which is left to the search instead of
    // a table of a million pointers.
    static constexpr long long MAX_INDEXED_NUMBER = 65535;

    std::vector<const Statement*> m_vecByNumber[SERIES_KIND_COUNT];
    bool m_bUsable = false;
};
