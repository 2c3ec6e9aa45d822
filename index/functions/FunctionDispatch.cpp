#include "index/functions/FunctionDispatch.h"

#include <iterator>
#include <vector>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

using FamilyRows = DispatchRows (*)();

// The table takes the families in this order; a position is only meaningful within
// one build of the library.
constexpr FamilyRows s_arrFamilies[] = {
    ArithmeticFunctionRows,
    ConstantFunctionRows,
    LogicFunctionRows,
    MovingAverageFunctionRows,
    StatisticsFunctionRows,
    DateTimeFunctionRows,
    ZigZagFunctionRows,
    ReferenceFunctionRows,
    WindowFunctionRows,
    RankFunctionRows,
    BarCountFunctionRows,
    BarStatusFunctionRows,
};

// The table knows its size, so it needs no closing row: positions from the count
// up are empty and refused like any unknown position.
struct DispatchTable {
    DispatchEntry arrEntries[DISPATCH_TABLE_SIZE];
    int nCount;
    int arrPositions[DISPATCH_ID_LIMIT];  // function id -> position, -1 for none
};

// Rows beyond the table's size, or a second row for an id, are left out; the table
// checks report them.
void AssembleTable(DispatchTable& table) {
    table.nCount = 0;
    for (DispatchEntry& entry : table.arrEntries) entry = DispatchEntry{nullptr, 0};
    for (int& nPosition : table.arrPositions) nPosition = -1;
    for (const FamilyRows pfnFamily : s_arrFamilies) {
        const DispatchRows rows = pfnFamily();
        for (size_t i = 0; i < rows.nCount && rows.pRows != nullptr; ++i) {
            const DispatchEntry& row = rows.pRows[i];
            if (table.nCount >= DISPATCH_TABLE_SIZE || row.pfnImpl == nullptr) continue;
            if (row.nId < DISPATCH_ID_LIMIT && table.arrPositions[row.nId] >= 0) continue;
            if (row.nId < DISPATCH_ID_LIMIT) table.arrPositions[row.nId] = table.nCount;
            table.arrEntries[table.nCount++] = row;
        }
    }
}

// Built once, on first use, whichever thread gets there first; immutable afterwards,
// so readers need no lock. Every function call comes through here, so the one-time
// check is a static's guard (a single load once built), not std::call_once.
const DispatchTable& GetTable() {
    static const DispatchTable& s_table = []() -> const DispatchTable& {
        static DispatchTable s_assembled;
        AssembleTable(s_assembled);
        return s_assembled;
    }();
    return s_table;
}

}  // namespace

int CallFunction(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    if (pNode == nullptr || pOut == nullptr || pContext == nullptr || pContext->pStore == nullptr) {
        return EVAL_ERROR;
    }
    const int64_t nPos = static_cast<int64_t>(pContext->nBar) - nBarOffset;
    if (nPos < 0 || nPos >= pContext->pStore->GetBarCount()) {
        *pOut = INVALID_VALUE;
        return EVAL_OK;
    }
    if (pNode->nKind != NodeKind::Call && pNode->nKind != NodeKind::StatefulCall) {
        return EVAL_ERROR;
    }
    if (pNode->nArgs < 1 || pNode->pTypes == nullptr || pNode->pValues == nullptr) {
        return EVAL_ERROR;
    }

    const DispatchTable& table = GetTable();
    int64_t nPosition = -1;
    if (pNode->pTypes[0] == OperandType::FunctionId) {
        const int64_t nId = pNode->pValues[0];
        if (nId < 0 || nId >= DISPATCH_ID_LIMIT) return EVAL_ERROR;
        nPosition = table.arrPositions[nId];
    } else if (pNode->pTypes[0] == OPERAND_TYPE_TABLE_POSITION) {
        nPosition = pNode->pValues[0];
    } else {
        return EVAL_ERROR;
    }
    if (nPosition < 0 || nPosition >= table.nCount) return EVAL_ERROR;
    const FunctionImpl pfnImpl = table.arrEntries[nPosition].pfnImpl;
    if (pfnImpl == nullptr) return EVAL_ERROR;

    *pOut = INVALID_VALUE;
    return pfnImpl(pNode, pOut, pContext, nBarOffset);
}

void StoreOwnResult(int64_t nVariable, int nBarOffset, EvalContext* pContext, double dValue) {
    if (pContext == nullptr || pContext->pInfo == nullptr || pContext->pStore == nullptr) return;
    const std::vector<ExprNode*>& vecRefNodes =
        pContext->bDrawMode ? pContext->pInfo->m_vecDrawRefNodes : pContext->pInfo->m_vecRefNodes;
    if (nVariable < 0 || static_cast<uint64_t>(nVariable) >= vecRefNodes.size()) return;
    const ExprNode* pRef = vecRefNodes[static_cast<size_t>(nVariable)];
    if (pRef == nullptr || pRef->nArgs < 1 || pRef->pTypes == nullptr || pRef->pValues == nullptr) {
        return;
    }
    // Only outputs and variables have series of their own; fields are never stored.
    const uint32_t nKind = pRef->pTypes[0];
    const int64_t nNumber = pRef->pValues[0];
    if (nKind != RefListKind::Output && nKind != RefListKind::Variable) return;
    if (nNumber < 0 || nNumber > MAX_SERIES_NUMBER) return;
    const int64_t nPos = static_cast<int64_t>(pContext->nBar) - nBarOffset;
    if (nPos < 0 || nPos >= pContext->pStore->GetBarCount()) return;
    double* pSeries =
        pContext->pStore->GetSeries(static_cast<int>(nKind), static_cast<int>(nNumber), 0);
    if (pSeries == nullptr) return;
    pSeries[nPos] = dValue;
}

int GetDispatchEntryCount() {
    return GetTable().nCount;
}

const DispatchEntry* GetDispatchEntry(int nPosition) {
    const DispatchTable& table = GetTable();
    if (nPosition < 0 || nPosition >= table.nCount) return nullptr;
    return &table.arrEntries[nPosition];
}

int FindDispatchPosition(int64_t nId) {
    if (nId < 0 || nId >= DISPATCH_ID_LIMIT) return -1;
    return GetTable().arrPositions[nId];
}
