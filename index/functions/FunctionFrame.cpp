#include "index/functions/FunctionFrame.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "IIndexDataSource.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Offsets past the 32-bit range can only point outside the data; saturating keeps
// them there instead of wrapping into it.
int ClampOffset(int64_t nOffset) {
    constexpr int64_t nMin = std::numeric_limits<int>::min();
    constexpr int64_t nMax = std::numeric_limits<int>::max();
    return static_cast<int>(std::min(std::max(nOffset, nMin), nMax));
}

bool IsStoredBar(double dStored, int64_t nBar) {
    return HasValue(dStored) && dStored == static_cast<double>(nBar);
}

}  // namespace

CFunctionFrame::CFunctionFrame(const ExprNode* pNode, double* pOut, EvalContext* pContext,
                               int nBarOffset)
    : m_pNode(pNode),
      m_pOut(pOut),
      m_pContext(pContext),
      m_nBarOffset(nBarOffset),
      m_nBar(0),
      m_nStatus(EVAL_ERROR),
      m_nOwnElement(-1),
      m_pOwnSeries(nullptr) {}

bool CFunctionFrame::Enter(int nElements) {
    return Check(nElements, false);
}

bool CFunctionFrame::EnterAtLeast(int nElements) {
    return Check(nElements, true);
}

bool CFunctionFrame::Check(int nElements, bool bAtLeast) {
    m_nStatus = EVAL_ERROR;
    if (m_pNode == nullptr || m_pOut == nullptr || m_pContext == nullptr ||
        m_pContext->pStore == nullptr) {
        return false;
    }
    const int64_t nPos = static_cast<int64_t>(m_pContext->nBar) - m_nBarOffset;
    if (nPos < 0 || nPos >= m_pContext->pStore->GetBarCount()) {
        *m_pOut = INVALID_VALUE;
        m_nStatus = EVAL_OK;
        return false;
    }
    m_nBar = static_cast<int>(nPos);
    if (m_pNode->nArgs > 0 && (m_pNode->pTypes == nullptr || m_pNode->pValues == nullptr)) {
        return false;
    }
    const int64_t nCount = m_pNode->nArgs;
    if (bAtLeast ? nCount < nElements : nCount != nElements) return false;
    m_nStatus = EVAL_OK;
    return true;
}

int CFunctionFrame::ElementCount() const {
    return m_pNode == nullptr ? 0 : static_cast<int>(m_pNode->nArgs);
}

CSeriesStore& CFunctionFrame::Store() const {
    return *m_pContext->pStore;
}

int CFunctionFrame::ClampWindow(int nCount) const {
    return std::min(nCount, m_nBar + 1);
}

uint32_t CFunctionFrame::ElementType(int nElement) const {
    if (nElement < 0 || nElement >= ElementCount()) return OperandType::Empty;
    return m_pNode->pTypes[nElement];
}

int64_t CFunctionFrame::ElementValue(int nElement) const {
    if (nElement < 0 || nElement >= ElementCount()) return 0;
    return m_pNode->pValues[nElement];
}

bool CFunctionFrame::EvaluateArg(int nElement, int64_t nBack, double& dValue) {
    // Element 0 is the function itself.
    if (nElement < 1 || nElement >= ElementCount()) return Reject();
    dValue = INVALID_VALUE;
    const int nStatus =
        EvaluateOperand(m_pContext, m_pNode->pTypes[nElement], m_pNode->pValues[nElement], &dValue,
                        ClampOffset(static_cast<int64_t>(m_nBarOffset) + nBack));
    if (nStatus != EVAL_OK) {
        m_nStatus = nStatus;
        return false;
    }
    return true;
}

bool CFunctionFrame::EvaluateArgAtBar(int nElement, int64_t nAtBar, double& dValue) {
    return EvaluateArg(nElement, static_cast<int64_t>(m_nBar) - nAtBar, dValue);
}

bool CFunctionFrame::ReadArg(int nElement, double& dValue, int64_t nBack) {
    if (!EvaluateArg(nElement, nBack, dValue)) return false;
    if (!IsInvalid(dValue)) return true;
    *m_pOut = INVALID_VALUE;
    return false;
}

bool CFunctionFrame::ReadCount(int nElement, int& nCount, int64_t nBack) {
    double dValue = 0.0;
    if (!ReadArg(nElement, dValue, nBack)) return false;
    nCount = ToCount(dValue);
    return true;
}

bool CFunctionFrame::ReadPeriod(int nElement, int& nCount) {
    if (!ReadCount(nElement, nCount)) return false;
    if (nCount >= 1) return true;
    *m_pOut = INVALID_VALUE;
    return false;
}

bool CFunctionFrame::TestSamePeriod(int nElement, int nWindow, bool& bSame) {
    bSame = false;
    double dEarlier = INVALID_VALUE;
    if (!EvaluateArg(nElement, 1, dEarlier)) return false;
    if (!IsInvalid(dEarlier)) bSame = nWindow == std::min(ToCount(dEarlier), m_nBar);
    return true;
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

double* CFunctionFrame::GetStateBuffer(int nElement, int nLength, bool bSecond) {
    if (ElementType(nElement) != OperandType::StateSlots) {
        Reject();
        return nullptr;
    }
    const uint32_t nSlots = static_cast<uint32_t>(ElementValue(nElement));
    const uint32_t nSlot = bSecond ? (nSlots >> 16) & 0xFFFF : nSlots & 0xFFFF;
    if (nSlot == NO_SECOND_STATE_SLOT) {
        Reject();
        return nullptr;
    }
    double* pBuffer =
        m_pContext->pStore->GetSeries(SERIES_KIND_STATE, static_cast<int>(nSlot), nLength);
    if (pBuffer == nullptr) Reject();
    return pBuffer;
}

bool CFunctionFrame::ResolveOwnSeries(int nElement, double*& pSeries) {
    if (m_pOwnSeries != nullptr && nElement == m_nOwnElement) {
        pSeries = m_pOwnSeries;
        return true;
    }
    pSeries = nullptr;
    if (ElementType(nElement) != OperandType::Reference || m_pContext->pInfo == nullptr) {
        return Reject();
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

bool CFunctionFrame::ReadOwnResult(int nElement, int64_t nBack, double& dValue) {
    double* pSeries = nullptr;
    if (!ResolveOwnSeries(nElement, pSeries)) return false;
    const int64_t nAtBar = static_cast<int64_t>(m_nBar) - nBack;
    if (nAtBar < 0) {
        dValue = INVALID_VALUE;
    } else if (nAtBar >= m_pContext->pStore->GetBarCount()) {
        dValue = UNCOMPUTED_VALUE;
    } else {
        dValue = pSeries[nAtBar];
    }
    return true;
}

int CFunctionFrame::Return(double dValue) {
    *m_pOut = dValue;
    m_nStatus = EVAL_OK;
    return EVAL_OK;
}

int CFunctionFrame::ReturnOwn(int nElement, double dValue) {
    double* pSeries = nullptr;
    if (!ResolveOwnSeries(nElement, pSeries)) return Status();
    const int64_t nPos = static_cast<int64_t>(m_pContext->nBar) - m_nBarOffset;
    if (nPos >= 0 && nPos < m_pContext->pStore->GetBarCount()) pSeries[nPos] = dValue;
    return Return(dValue);
}

bool CFunctionFrame::Reject() {
    m_nStatus = EVAL_ERROR;
    return false;
}

bool CRunningState::Load(CFunctionFrame& frame, int nElement, int nValues) {
    if (nValues < 1 || nValues > MAX_VALUES) return frame.Reject();
    m_pBuffer = frame.GetStateBuffer(nElement, BufferLength(nValues));
    if (m_pBuffer == nullptr) return false;
    m_nValues = nValues;
    m_nBar = frame.Bar();
    double* pPrevious = m_pBuffer;
    const double* pLast = m_pBuffer + nValues + 1;
    if (IsStoredBar(pLast[0], static_cast<int64_t>(m_nBar) - 1)) {
        std::copy(pLast, pLast + nValues + 1, pPrevious);
    }
    return true;
}

bool CRunningState::HasPrevious() const {
    return m_pBuffer != nullptr && IsStoredBar(m_pBuffer[0], static_cast<int64_t>(m_nBar) - 1);
}

double CRunningState::Previous(int nIndex) const {
    if (m_pBuffer == nullptr || nIndex < 0 || nIndex >= m_nValues) return UNCOMPUTED_VALUE;
    return m_pBuffer[1 + nIndex];
}

bool CRunningState::CanContinue(bool bSamePeriod) const {
    if (!bSamePeriod || !HasPrevious()) return false;
    for (int i = 0; i < m_nValues; ++i) {
        if (!HasValue(m_pBuffer[1 + i])) return false;
    }
    return true;
}

void CRunningState::Store(std::initializer_list<double> values) {
    if (m_pBuffer == nullptr) return;
    double* pLast = m_pBuffer + m_nValues + 1;
    pLast[0] = static_cast<double>(m_nBar);
    int i = 0;
    for (const double dValue : values) {
        if (i == m_nValues) break;
        pLast[1 + i++] = dValue;
    }
    for (; i < m_nValues; ++i) pLast[1 + i] = UNCOMPUTED_VALUE;
}
