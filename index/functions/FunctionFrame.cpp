#include "index/functions/FunctionFrame.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "IIndexDataSource.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/ReferencePlan.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

bool CFunctionFrame::EvaluateArgFully(int nElement, int nBarOffset, double& dValue) {
    dValue = INVALID_VALUE;
    const uint32_t nType = m_pNode->pTypes[nElement];
    const int64_t value = m_pNode->pValues[nElement];
    // An expression argument read at another bar than p is kept from then on, at
    // every bar it is evaluated at, so that reading it again (the bar leaving a
    // window, a seed summed back, an outer window over an inner one) costs a load.
    double* pKept = nullptr;
    const int64_t nPos = static_cast<int64_t>(m_pContext->nBar) - nBarOffset;
    if (nType == OperandType::Node && nPos >= 0 && nPos < Store().GetBarCount()) {
        pKept = nBarOffset == m_nBarOffset ? Store().FindNodeSeries(value)
                                           : Store().GetNodeSeries(value);
        if (pKept != nullptr && IsComputed(pKept[nPos])) {
            dValue = pKept[nPos];
            return true;
        }
    }
    const int nStatus = EvaluateOperand(m_pContext, nType, value, &dValue, nBarOffset);
    if (nStatus != EVAL_OK) {
        m_nStatus = nStatus;
        return false;
    }
    if (pKept != nullptr) pKept[nPos] = dValue;
    return true;
}

bool CFunctionFrame::EvaluateArgAtBar(int nElement, int64_t nAtBar, double& dValue) {
    return EvaluateArg(nElement, static_cast<int64_t>(m_nBar) - nAtBar, dValue);
}

bool CFunctionFrame::ReadBarField(int nFieldId, int64_t nAtBar, double& dValue) {
    dValue = INVALID_VALUE;
    if (m_pContext->pDataSource == nullptr) return Reject();
    if (nAtBar < 0 || nAtBar >= m_pContext->nBarCount) return true;
    double dRead = INVALID_VALUE;
    if (m_pContext->pDataSource->GetFieldValue(nFieldId, static_cast<int>(nAtBar), &dRead) &&
        IsComputed(dRead)) {
        dValue = dRead;
    }
    return true;
}

bool CFunctionFrame::ResolveOwnSeriesFully(int nElement, double*& pSeries) {
    pSeries = nullptr;
    if (ElementType(nElement) != OperandType::Reference || m_pContext->pInfo == nullptr) {
        return Reject();
    }
    // The calculation's plan knows the series already; anything it cannot answer is
    // left to the walk below, which then decides as before.
    CReferencePlan* pPlan = m_pContext->pPlan;
    if (pPlan != nullptr && pPlan->Info() == m_pContext->pInfo &&
        pPlan->Store() == m_pContext->pStore) {
        CReferencePlan::Entry* pEntry = pPlan->Find(m_pContext->bDrawMode, ElementValue(nElement));
        if (pEntry != nullptr && pEntry->nTarget == CReferencePlan::TARGET_SERIES &&
            (pEntry->nKind == SERIES_KIND_OUTPUT || pEntry->nKind == SERIES_KIND_VARIABLE)) {
            pSeries = pPlan->SeriesOf(*pEntry);
            if (pSeries != nullptr) {
                m_nOwnElement = nElement;
                m_pOwnSeries = pSeries;
                return true;
            }
        }
    }
    const std::vector<ExprNode*>& vecRefNodes = m_pContext->bDrawMode
                                                    ? m_pContext->pInfo->m_vecDrawRefNodes
                                                    : m_pContext->pInfo->m_vecRefNodes;
    const int64_t nIndex = ElementValue(nElement);
    if (nIndex < 0 || static_cast<uint64_t>(nIndex) >= vecRefNodes.size()) return Reject();
    const ExprNode* pRef = vecRefNodes[static_cast<size_t>(nIndex)];
    if (pRef == nullptr || pRef->nArgs < 1 || pRef->pTypes == nullptr || pRef->pValues == nullptr) {
        return Reject();
    }
    const uint32_t nKind = pRef->pTypes[0];
    const int64_t nNumber = pRef->pValues[0];
    if (nKind != RefListKind::Output && nKind != RefListKind::Variable) return Reject();
    if (nNumber < 0 || nNumber > MAX_SERIES_NUMBER) return Reject();
    pSeries = m_pContext->pStore->GetSeries(static_cast<int>(nKind), static_cast<int>(nNumber), 0);
    if (pSeries == nullptr) return Reject();
    m_nOwnElement = nElement;
    m_pOwnSeries = pSeries;
    return true;
}
