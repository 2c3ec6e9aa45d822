#include "index/functions/AssignmentIndex.h"

#include "index/compiler/CompiledFormula.h"

void CAssignmentIndex::Clear() {
    for (std::vector<const Statement*>& vecKind : m_vecByNumber) vecKind.clear();
    m_bUsable = false;
}

void CAssignmentIndex::Build(const CCalculateInfo& info) {
    Clear();
    try {
        for (const Statement* pStatement : info.m_vecStatements) {
            // The same filter as the search: anything it would skip is skipped here.
            if (pStatement == nullptr || pStatement->typeA != OperandType::Reference) continue;
            const int64_t nTarget = pStatement->valueA;
            if (nTarget < 0 || static_cast<uint64_t>(nTarget) >= info.m_vecRefNodes.size()) {
                continue;
            }
            const ExprNode* pRef = info.m_vecRefNodes[static_cast<size_t>(nTarget)];
            if (pRef == nullptr || pRef->nArgs < 1 || pRef->pTypes == nullptr ||
                pRef->pValues == nullptr) {
                continue;
            }
            const uint32_t nKind = pRef->pTypes[0];
            const int64_t nNumber = pRef->pValues[0];
            // Kinds outside the store's range are never asked for through the index.
            if (nKind >= static_cast<uint32_t>(SERIES_KIND_COUNT)) continue;
            if (nNumber < 0 || nNumber > MAX_INDEXED_NUMBER) {
                Clear();
                return;
            }
            std::vector<const Statement*>& vecKind = m_vecByNumber[nKind];
            const size_t nIndex = static_cast<size_t>(nNumber);
            if (vecKind.size() <= nIndex) vecKind.resize(nIndex + 1, nullptr);
            // Later assignments to the same name never run.
            if (vecKind[nIndex] == nullptr) vecKind[nIndex] = pStatement;
        }
    } catch (...) {
        Clear();
        return;
    }
    m_bUsable = true;
}
