#include "index/functions/ReferencePlan.h"

#include "index/compiler/CompiledFormula.h"
#include "index/functions/AssignmentIndex.h"
#include "index/functions/SeriesStore.h"

namespace {

constexpr int FIRST_BAR_FIELD_ID = 1;
constexpr int LAST_BAR_FIELD_ID = 500;

// The same checks, in the same order, as the operand evaluator's walk.
CReferencePlan::Entry PlanReference(const CCalculateInfo& info, const ExprNode* pRef,
                                    const CAssignmentIndex& assignments) {
    CReferencePlan::Entry entry;
    if (pRef == nullptr || pRef->nArgs < 1 || pRef->pTypes == nullptr || pRef->pValues == nullptr) {
        return entry;
    }
    const uint32_t nKind = pRef->pTypes[0];
    const int64_t nNumber = pRef->pValues[0];
    if (nKind == RefListKind::Field) {
        if (nNumber < 0 || static_cast<uint64_t>(nNumber) >= info.m_vecFieldIds.size()) {
            return entry;
        }
        entry.nFieldId = info.m_vecFieldIds[static_cast<size_t>(nNumber)];
        entry.nTarget = entry.nFieldId >= FIRST_BAR_FIELD_ID && entry.nFieldId <= LAST_BAR_FIELD_ID
                            ? CReferencePlan::TARGET_BAR_FIELD
                            : CReferencePlan::TARGET_OTHER_FIELD;
        return entry;
    }
    if (nKind >= static_cast<uint32_t>(SERIES_KIND_COUNT) || nNumber < 0 ||
        nNumber > MAX_SERIES_NUMBER) {
        return entry;
    }
    entry.nTarget = CReferencePlan::TARGET_SERIES;
    entry.nKind = static_cast<int>(nKind);
    entry.nNumber = static_cast<int>(nNumber);
    entry.bAssignmentKnown = assignments.Find(entry.nKind, entry.nNumber, entry.pAssignment);
    return entry;
}

}  // namespace

void CReferencePlan::Clear() {
    m_pInfo = nullptr;
    m_pStore = nullptr;
    m_vecOrdinary.clear();
    m_vecDraw.clear();
}

void CReferencePlan::Build(const CCalculateInfo& info, CSeriesStore* pStore,
                           const CAssignmentIndex& assignments) {
    Clear();
    try {
        m_vecOrdinary.reserve(info.m_vecRefNodes.size());
        for (const ExprNode* pRef : info.m_vecRefNodes) {
            m_vecOrdinary.push_back(PlanReference(info, pRef, assignments));
        }
        m_vecDraw.reserve(info.m_vecDrawRefNodes.size());
        for (const ExprNode* pRef : info.m_vecDrawRefNodes) {
            m_vecDraw.push_back(PlanReference(info, pRef, assignments));
        }
    } catch (...) {
        Clear();
        return;
    }
    m_pInfo = &info;
    m_pStore = pStore;
}

double* CReferencePlan::SeriesOf(Entry& entry) {
    if (entry.pSeries == nullptr && m_pStore != nullptr) {
        entry.pSeries = m_pStore->GetSeries(entry.nKind, entry.nNumber, 0);
    }
    return entry.pSeries;
}
