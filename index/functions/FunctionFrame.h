// The frame every built-in runs in, so that a function body is only its own rule:
//
//   int FunctionSqrt(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nOffset) {
//       CFunctionFrame frame(pNode, pOut, pContext, nOffset);
//       double dX;
//       if (!frame.Enter(2) || !frame.ReadArg(1, dX)) return frame.Status();
//       return frame.Return(dX > 0 ? std::sqrt(dX) : 0.0);
//   }
//
// Enter (or EnterAtLeast) comes first: every other step relies on its checks.
// Every step returns false when the body must stop; the frame has then already
// written the result (INVALID_VALUE) or recorded the error, and Status() is what
// the body returns.
//
// Elements are numbered as in the call node: element 0 is the function, then, for
// the functions that have one, the state slot or the hidden result series, then the
// written arguments. "nBack" counts bars before the bar p being computed; a
// negative nBack reaches later bars.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <vector>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

class CFunctionFrame {
public:
    CFunctionFrame(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset);
    CFunctionFrame(const CFunctionFrame&) = delete;
    CFunctionFrame& operator=(const CFunctionFrame&) = delete;

    // Checks node, result, context and store, the bar, and the element count (exactly
    // or at least nElements). A bar outside the store gives INVALID_VALUE, status 0.
    bool Enter(int nElements) { return Check(nElements, false); }
    bool EnterAtLeast(int nElements) { return Check(nElements, true); }

    int Status() const { return m_nStatus; }

    // The bar p being computed, and what it was reached with.
    int Bar() const { return m_nBar; }
    int BarOffset() const { return m_nBarOffset; }
    int ElementCount() const { return m_pNode == nullptr ? 0 : static_cast<int>(m_pNode->nArgs); }
    EvalContext& Context() const { return *m_pContext; }
    CSeriesStore& Store() const { return *m_pContext->pStore; }

    // A window of nCount bars clamped to the bars that exist up to p: min(n, p + 1).
    int ClampWindow(int nCount) const { return std::min(nCount, m_nBar + 1); }

    // The element as the compiled form holds it; out of range reads Empty, 0.
    uint32_t ElementType(int nElement) const;
    int64_t ElementValue(int nElement) const;

    // Element nElement nBack bars before p, whatever it is (INVALID_VALUE included).
    // False only for an evaluation error, which becomes the status.
    bool EvaluateArg(int nElement, int64_t nBack, double& dValue);
    // The same at an absolute bar.
    bool EvaluateArgAtBar(int nElement, int64_t nAtBar, double& dValue);

    // A valid argument: an invalid one makes the result INVALID_VALUE and stops.
    bool ReadArg(int nElement, double& dValue, int64_t nBack = 0);
    // A valid argument as a count (ToCount).
    bool ReadCount(int nElement, int& nCount, int64_t nBack = 0);
    // A count at p that must be at least 1: a period or a window length.
    bool ReadPeriod(int nElement, int& nCount);

    // Whether running state kept for p - 1 was made with the same window: the
    // period argument one bar earlier must be valid and nWindow (the window at p)
    // must equal min(ToCount(period at p - 1), p), the window p - 1 had.
    bool TestSamePeriod(int nElement, int nWindow, bool& bSame);
    // The same, and true as well while a window clamped to the bars that exist grows
    // from the first bar: p's window is then p - 1's and x, and nothing leaves it, so
    // the running state moves on instead of the window being summed at each of its
    // first n bars. Callers read the bar leaving the window with EvaluateLeaving.
    bool TestSameOrGrowingWindow(int nElement, int nWindow, bool& bSame);
    // Element nElement at the bar that leaves a window of nWindow bars ending at p:
    // INVALID_VALUE when that bar lies before the data, where a constant would
    // otherwise read as a value leaving.
    bool EvaluateLeaving(int nElement, int nWindow, double& dValue) {
        if (static_cast<int64_t>(m_nBar) - nWindow < 0) {
            dValue = INVALID_VALUE;
            return true;
        }
        return EvaluateArg(nElement, nWindow, dValue);
    }

    // A data field (ids 1..500) at an absolute bar, read from the data source;
    // INVALID_VALUE when refused or outside the bars. False without a data source.
    bool ReadBarField(int nFieldId, int64_t nAtBar, double& dValue);

    // The per-call state buffer of the state slot in element nElement (the first
    // slot, or with bSecond the second): nLength doubles, or a whole series (one
    // double per bar, and two spare) for a length of 0. Starts as UNCOMPUTED_VALUE.
    // Null, with the status set, for a malformed slot or exhausted memory.
    double* GetStateBuffer(int nElement, int nLength, bool bSecond = false);
    // The (first) slot's state as two entries of nEntryLength doubles, each beginning
    // with its bar (CSeriesStore::GetBarEntries); null, with the status set, as above.
    double* GetBarEntries(int nElement, int nEntryLength);
    // The workspace of the (first) state slot in element nElement (CSeriesStore::
    // GetWorkspace); null, with the status untouched, when there is none.
    std::vector<double>* GetStateWorkspace(int nElement);

    // The function's own result nBack bars before p, read from its hidden result
    // series (element nElement, a Reference). Bars never stored read as
    // UNCOMPUTED_VALUE, bars before the data as INVALID_VALUE; callers treat both
    // as the absence of a previous result. False, with the status set, for a
    // malformed element.
    bool ReadOwnResult(int nElement, int64_t nBack, double& dValue);

    // Writes the result; Return stops the body with status 0.
    int Return(double dValue) {
        *m_pOut = dValue;
        m_nStatus = EVAL_OK;
        return EVAL_OK;
    }
    int ReturnInvalid() { return Return(INVALID_VALUE); }
    // Writes the result and stores it into the hidden result series at p as well.
    int ReturnOwn(int nElement, double dValue);

    // Marks the call malformed (status EVAL_ERROR) and returns false.
    bool Reject() {
        m_nStatus = EVAL_ERROR;
        return false;
    }

private:
    // Offsets past the 32-bit range can only point outside the data; saturating keeps
    // them there instead of wrapping into it.
    static int ClampOffset(int64_t nOffset) {
        constexpr int64_t nMin = std::numeric_limits<int>::min();
        constexpr int64_t nMax = std::numeric_limits<int>::max();
        return static_cast<int>(std::min(std::max(nOffset, nMin), nMax));
    }

    bool Check(int nElements, bool bAtLeast);
    // The state slot number in element nElement; -1, rejected, for a malformed one.
    int StateSlot(int nElement, bool bSecond);
    bool EvaluateArgFully(int nElement, int nBarOffset, double& dValue);
    bool ResolveOwnSeries(int nElement, double*& pSeries) {
        if (m_pOwnSeries != nullptr && nElement == m_nOwnElement) {
            pSeries = m_pOwnSeries;
            return true;
        }
        return ResolveOwnSeriesFully(nElement, pSeries);
    }
    bool ResolveOwnSeriesFully(int nElement, double*& pSeries);

    const ExprNode* m_pNode;
    double* m_pOut;
    EvalContext* m_pContext;
    int m_nBarOffset;
    int m_nBar;
    int m_nStatus;
    // The hidden result series once resolved: a recursive function reads and writes
    // it several times per bar, and the store keeps its address throughout.
    int m_nOwnElement;
    double* m_pOwnSeries;
};

// The steps every body takes at every bar are defined here, so that they are
// compiled into the bodies.

inline CFunctionFrame::CFunctionFrame(const ExprNode* pNode, double* pOut, EvalContext* pContext,
                                      int nBarOffset)
    : m_pNode(pNode),
      m_pOut(pOut),
      m_pContext(pContext),
      m_nBarOffset(nBarOffset),
      m_nBar(0),
      m_nStatus(EVAL_ERROR),
      m_nOwnElement(-1),
      m_pOwnSeries(nullptr) {}

inline bool CFunctionFrame::Check(int nElements, bool bAtLeast) {
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

inline bool CFunctionFrame::EvaluateArg(int nElement, int64_t nBack, double& dValue) {
    // Element 0 is the function itself.
    if (nElement < 1 || nElement >= ElementCount()) return Reject();
    const int nOffset = ClampOffset(static_cast<int64_t>(m_nBarOffset) + nBack);
    if (EvaluateLeafQuickly(*m_pContext, m_pNode->pTypes[nElement], m_pNode->pValues[nElement],
                            nOffset, dValue)) {
        return true;
    }
    return EvaluateArgFully(nElement, nOffset, dValue);
}

inline bool CFunctionFrame::ReadArg(int nElement, double& dValue, int64_t nBack) {
    if (!EvaluateArg(nElement, nBack, dValue)) return false;
    if (!IsInvalid(dValue)) return true;
    *m_pOut = INVALID_VALUE;
    return false;
}

inline bool CFunctionFrame::ReadCount(int nElement, int& nCount, int64_t nBack) {
    double dValue = 0.0;
    if (!ReadArg(nElement, dValue, nBack)) return false;
    nCount = ToCount(dValue);
    return true;
}

inline bool CFunctionFrame::ReadPeriod(int nElement, int& nCount) {
    if (!ReadCount(nElement, nCount)) return false;
    if (nCount >= 1) return true;
    *m_pOut = INVALID_VALUE;
    return false;
}

inline bool CFunctionFrame::TestSamePeriod(int nElement, int nWindow, bool& bSame) {
    bSame = false;
    double dEarlier = INVALID_VALUE;
    if (!EvaluateArg(nElement, 1, dEarlier)) return false;
    if (!IsInvalid(dEarlier)) bSame = nWindow == std::min(ToCount(dEarlier), m_nBar);
    return true;
}

inline bool CFunctionFrame::TestSameOrGrowingWindow(int nElement, int nWindow, bool& bSame) {
    bSame = false;
    double dEarlier = INVALID_VALUE;
    if (!EvaluateArg(nElement, 1, dEarlier)) return false;
    if (IsInvalid(dEarlier)) return true;
    // p - 1's window spanned min(N', p) bars; p's grows from it when both reach bar 0.
    const int nEarlier = ToCount(dEarlier);
    bSame = nWindow == std::min(nEarlier, m_nBar) || (nWindow == m_nBar + 1 && nEarlier >= m_nBar);
    return true;
}

inline int CFunctionFrame::StateSlot(int nElement, bool bSecond) {
    if (ElementType(nElement) != OperandType::StateSlots) {
        Reject();
        return -1;
    }
    const uint32_t nSlots = static_cast<uint32_t>(ElementValue(nElement));
    const uint32_t nSlot = bSecond ? (nSlots >> 16) & 0xFFFF : nSlots & 0xFFFF;
    if (nSlot == NO_SECOND_STATE_SLOT) {
        Reject();
        return -1;
    }
    return static_cast<int>(nSlot);
}

inline double* CFunctionFrame::GetStateBuffer(int nElement, int nLength, bool bSecond) {
    const int nSlot = StateSlot(nElement, bSecond);
    if (nSlot < 0) return nullptr;
    double* pBuffer = m_pContext->pStore->GetSeries(SERIES_KIND_STATE, nSlot, nLength);
    if (pBuffer == nullptr) Reject();
    return pBuffer;
}

inline double* CFunctionFrame::GetBarEntries(int nElement, int nEntryLength) {
    const int nSlot = StateSlot(nElement, false);
    if (nSlot < 0) return nullptr;
    double* pBuffer = m_pContext->pStore->GetBarEntries(nSlot, nEntryLength);
    if (pBuffer == nullptr) Reject();
    return pBuffer;
}

inline bool CFunctionFrame::ReadOwnResult(int nElement, int64_t nBack, double& dValue) {
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

inline int CFunctionFrame::ReturnOwn(int nElement, double dValue) {
    double* pSeries = nullptr;
    if (!ResolveOwnSeries(nElement, pSeries)) return Status();
    const int64_t nPos = static_cast<int64_t>(m_pContext->nBar) - m_nBarOffset;
    if (nPos >= 0 && nPos < m_pContext->pStore->GetBarCount()) pSeries[nPos] = dValue;
    return Return(dValue);
}

inline std::vector<double>* CFunctionFrame::GetStateWorkspace(int nElement) {
    if (ElementType(nElement) != OperandType::StateSlots) return nullptr;
    const uint32_t nSlot = static_cast<uint32_t>(ElementValue(nElement)) & 0xFFFF;
    if (nSlot == NO_SECOND_STATE_SLOT) return nullptr;
    return m_pContext->pStore->GetWorkspace(static_cast<int>(nSlot));
}

inline uint32_t CFunctionFrame::ElementType(int nElement) const {
    if (nElement < 0 || nElement >= ElementCount()) return OperandType::Empty;
    return m_pNode->pTypes[nElement];
}

inline int64_t CFunctionFrame::ElementValue(int nElement) const {
    if (nElement < 0 || nElement >= ElementCount()) return 0;
    return m_pNode->pValues[nElement];
}

// Running state of a window function, kept in its state slot so that the next bar
// costs O(1):
//   previous bar, previous values..., last bar, last values...
// Bars are kept as doubles. Load moves "last" into "previous" when last is the bar
// just before p, so computing p again later still finds p - 1 as the previous bar;
// Store records the values computed for p as "last". A body that decides not to
// change the state (an invalid value) simply does not call Store.
//
//   CRunningState state;
//   if (!state.Load(frame, 1, 1)) return frame.Status();
//   bool bSame = false;
//   if (!frame.TestSamePeriod(3, n, bSame)) return frame.Status();
//   if (state.CanContinue(bSame)) sum = state.Previous() + x - xOld; else sum = ...;
//   state.Store(sum);
class CRunningState {
public:
    static constexpr int MAX_VALUES = 8;
    static constexpr int BufferLength(int nValues) { return 2 * (nValues + 1); }

    // Binds the state of the slot in element nElement, holding nValues running
    // quantities (1 to MAX_VALUES), to the frame's bar. False with the frame's status set.
    bool Load(CFunctionFrame& frame, int nElement, int nValues = 1) {
        if (nValues < 1 || nValues > MAX_VALUES) return frame.Reject();
        m_pBuffer = frame.GetBarEntries(nElement, nValues + 1);
        if (m_pBuffer == nullptr) return false;
        m_nValues = nValues;
        m_nBar = frame.Bar();
        double* pPrevious = m_pBuffer;
        double* pLast = m_pBuffer + nValues + 1;
        if (IsStoredBar(pLast[0], static_cast<int64_t>(m_nBar) - 1)) {
            std::copy(pLast, pLast + nValues + 1, pPrevious);
        } else if (IsStoredBar(pLast[0], m_nBar)) {
            // p is computed again (a forming bar): what it stored before no longer
            // holds, and must not carry on to p + 1 if this time nothing is stored.
            pLast[0] = UNCOMPUTED_VALUE;
        }
        return true;
    }

    // The previous bar is p - 1.
    bool HasPrevious() const {
        return m_pBuffer != nullptr && IsStoredBar(m_pBuffer[0], static_cast<int64_t>(m_nBar) - 1);
    }
    // A previous value as stored (it may be INVALID_VALUE or UNCOMPUTED_VALUE).
    double Previous(int nIndex = 0) const {
        if (m_pBuffer == nullptr || nIndex < 0 || nIndex >= m_nValues) return UNCOMPUTED_VALUE;
        return m_pBuffer[1 + nIndex];
    }
    // The shortcut rule: the previous bar is p - 1, every previous value holds a
    // value, and the window is unchanged (bSamePeriod; true for functions without one).
    bool CanContinue(bool bSamePeriod = true) const {
        if (!bSamePeriod || !HasPrevious()) return false;
        for (int i = 0; i < m_nValues; ++i) {
            if (!HasValue(m_pBuffer[1 + i])) return false;
        }
        return true;
    }

    // Records the values computed for p (missing ones as UNCOMPUTED_VALUE).
    void Store(std::initializer_list<double> values) {
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
    // The same for one value, which most window functions keep: no list to walk.
    void Store(double dValue) {
        if (m_pBuffer == nullptr) return;
        double* pLast = m_pBuffer + m_nValues + 1;
        pLast[0] = static_cast<double>(m_nBar);
        pLast[1] = dValue;
        for (int i = 1; i < m_nValues; ++i) pLast[1 + i] = UNCOMPUTED_VALUE;
    }

private:
    static bool IsStoredBar(double dStored, int64_t nBar) {
        return HasValue(dStored) && dStored == static_cast<double>(nBar);
    }

    double* m_pBuffer = nullptr;
    int m_nValues = 0;
    int m_nBar = 0;
};
