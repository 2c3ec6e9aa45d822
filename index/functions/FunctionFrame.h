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

#include <cstdint>
#include <initializer_list>

#include "index/functions/EvalContext.h"
#include "index/functions/ValueConventions.h"

struct ExprNode;
class CSeriesStore;

class CFunctionFrame {
public:
    CFunctionFrame(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset);
    CFunctionFrame(const CFunctionFrame&) = delete;
    CFunctionFrame& operator=(const CFunctionFrame&) = delete;

    // Checks node, result, context and store, the bar, and the element count (exactly
    // or at least nElements). A bar outside the store gives INVALID_VALUE, status 0.
    bool Enter(int nElements);
    bool EnterAtLeast(int nElements);

    int Status() const { return m_nStatus; }

    // The bar p being computed, and what it was reached with.
    int Bar() const { return m_nBar; }
    int BarOffset() const { return m_nBarOffset; }
    int ElementCount() const;
    EvalContext& Context() const { return *m_pContext; }
    CSeriesStore& Store() const;

    // A window of nCount bars clamped to the bars that exist up to p: min(n, p + 1).
    int ClampWindow(int nCount) const;

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

    // A data field (ids 1..500) at an absolute bar, read from the data source;
    // INVALID_VALUE when refused or outside the bars. False without a data source.
    bool ReadBarField(int nFieldId, int64_t nAtBar, double& dValue);

    // The per-call state buffer of the state slot in element nElement (the first
    // slot, or with bSecond the second): nLength doubles, or a whole series (one
    // double per bar, and two spare) for a length of 0. Starts as UNCOMPUTED_VALUE.
    // Null, with the status set, for a malformed slot or exhausted memory.
    double* GetStateBuffer(int nElement, int nLength, bool bSecond = false);

    // The function's own result nBack bars before p, read from its hidden result
    // series (element nElement, a Reference). Bars never stored read as
    // UNCOMPUTED_VALUE, bars before the data as INVALID_VALUE; callers treat both
    // as the absence of a previous result. False, with the status set, for a
    // malformed element.
    bool ReadOwnResult(int nElement, int64_t nBack, double& dValue);

    // Writes the result; Return stops the body with status 0.
    int Return(double dValue);
    int ReturnInvalid() { return Return(INVALID_VALUE); }
    // Writes the result and stores it into the hidden result series at p as well.
    int ReturnOwn(int nElement, double dValue);

    // Marks the call malformed (status EVAL_ERROR) and returns false.
    bool Reject();

private:
    bool Check(int nElements, bool bAtLeast);
    bool ResolveOwnSeries(int nElement, double*& pSeries);

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
    static constexpr int MAX_VALUES = 4;
    static constexpr int BufferLength(int nValues) { return 2 * (nValues + 1); }

    // Binds the state of the slot in element nElement, holding nValues running
    // quantities (1 to MAX_VALUES), to the frame's bar. False with the frame's status set.
    bool Load(CFunctionFrame& frame, int nElement, int nValues = 1);

    // The previous bar is p - 1.
    bool HasPrevious() const;
    // A previous value as stored (it may be INVALID_VALUE or UNCOMPUTED_VALUE).
    double Previous(int nIndex = 0) const;
    // The shortcut rule: the previous bar is p - 1, every previous value holds a
    // value, and the window is unchanged (bSamePeriod; true for functions without one).
    bool CanContinue(bool bSamePeriod = true) const;

    // Records the values computed for p (missing ones as UNCOMPUTED_VALUE).
    void Store(std::initializer_list<double> values);
    void Store(double dValue) { Store({dValue}); }

private:
    double* m_pBuffer = nullptr;
    int m_nValues = 0;
    int m_nBar = 0;
};
