// Bar counting and signal filters: bars since or until a condition, runs of true
// values, and the filter that lets a signal through only after the bars it blocks.
// A value is true when it is valid and not zero. The running quantity of each
// counter is its own result at the previous bar, used whenever that bar is p - 1;
// otherwise the counter scans, so the answer does not depend on the order in which
// bars are asked.
//
// Elements: function, state slot, X (and N where there is one).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "index/functions/BarExtent.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

// The previous bar's result as the counters use it: present (possibly INVALID_VALUE,
// meaning "not yet") only when it belongs to bar p - 1.
bool HasPreviousResult(const CRunningState& state) {
    return state.HasPrevious() && IsComputed(state.Previous());
}

// BARSLAST(X): bars since X was last true, 0 on a true bar; before the first true
// bar there is no answer.
int BarsLast(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = INVALID_VALUE;
    CRunningState state;
    if (!frame.Enter(3) || !frame.EvaluateArg(2, 0, dX) || !state.Load(frame, 1)) {
        return frame.Status();
    }
    double dResult = INVALID_VALUE;
    if (IsTrue(dX)) {
        dResult = 0.0;
    } else if (HasPreviousResult(state)) {
        dResult = IsInvalid(state.Previous()) ? INVALID_VALUE : state.Previous() + 1;
    } else {
        for (int k = 1; k <= frame.Bar(); ++k) {
            double dValue = INVALID_VALUE;
            if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
            if (IsTrue(dValue)) {
                dResult = k;
                break;
            }
        }
    }
    state.Store(dResult);
    return frame.Return(dResult);
}

// The first bar from nFirst to p on which X is valid (bTrue: true); -1 for none.
bool FindFirstBar(CFunctionFrame& frame, int nFirst, bool bTrue, int& nFound) {
    nFound = -1;
    for (int nBar = std::max(nFirst, 0); nBar <= frame.Bar(); ++nBar) {
        double dValue = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(2, nBar, dValue)) return false;
        if (bTrue ? IsTrue(dValue) : !IsInvalid(dValue)) {
            nFound = nBar;
            return true;
        }
    }
    return true;
}

// BARSCOUNT (TRUE_ONLY false): bars since the first valid value of X, 0 at that bar.
// BARSSINCE (TRUE_ONLY true): bars since X was first true, 0 at that bar.
// Both count on from the previous bar; while nothing has been found yet, only x can
// start the count.
template <bool TRUE_ONLY>
int CallBarsSinceFirst(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = INVALID_VALUE;
    CRunningState state;
    if (!frame.Enter(3) || !frame.EvaluateArg(2, 0, dX) || !state.Load(frame, 1)) {
        return frame.Status();
    }
    const bool bStarts = TRUE_ONLY ? IsTrue(dX) : !IsInvalid(dX);
    double dResult = INVALID_VALUE;
    if (HasPreviousResult(state)) {
        if (!IsInvalid(state.Previous())) {
            dResult = state.Previous() + 1;
        } else if (bStarts) {
            dResult = 0.0;
        }
    } else {
        int nFound = -1;
        if (!FindFirstBar(frame, 0, TRUE_ONLY, nFound)) return frame.Status();
        if (nFound >= 0) dResult = frame.Bar() - nFound;
    }
    state.Store(dResult);
    return frame.Return(dResult);
}

// BARSSINCEN(X, N): bars since X was first true within the last n' bars. The first
// true bar of p - 1's window is still the first of p's while it stays inside; when
// p - 1's window held none, only x can be one.
int BarsSinceWithin(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSamePeriod(3, nWindow, bSame)) return frame.Status();
    const double dPrevious = state.Previous();
    double dResult = INVALID_VALUE;
    if (bSame && HasPreviousResult(state) && IsInvalid(dPrevious)) {
        if (IsTrue(dX)) dResult = 0.0;
    } else if (bSame && HasPreviousResult(state) && dPrevious + 1 <= nWindow - 1) {
        dResult = dPrevious + 1;
    } else {
        int nFound = -1;
        if (!FindFirstBar(frame, frame.Bar() - nWindow + 1, true, nFound)) return frame.Status();
        if (nFound >= 0) dResult = frame.Bar() - nFound;
    }
    state.Store(dResult);
    return frame.Return(dResult);
}

// BARSLASTCOUNT(X): the length of the run of true values ending at p; 0 when x is
// not true.
int BarsLastCount(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = INVALID_VALUE;
    CRunningState state;
    if (!frame.Enter(3) || !frame.EvaluateArg(2, 0, dX) || !state.Load(frame, 1)) {
        return frame.Status();
    }
    double dRun = 0.0;
    if (!IsTrue(dX)) {
        dRun = 0.0;
    } else if (HasPreviousResult(state) && !IsInvalid(state.Previous())) {
        dRun = state.Previous() + 1;
    } else {
        dRun = 1.0;
        for (int k = 1; k <= frame.Bar(); ++k) {
            double dValue = INVALID_VALUE;
            if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
            if (!IsTrue(dValue)) break;
            ++dRun;
        }
    }
    state.Store(dRun);
    return frame.Return(dRun);
}

// BARSNEXT(X): bars until X is next true, looking at later bars up to the end of the
// data. The state keeps the bar a scan started from and the true bar it found (or
// INVALID_VALUE for none up to the end): every bar between the two has its answer
// without a new scan, in whatever order bars are asked and however often. A count
// without its bar would go wrong as soon as a bar is asked twice.
int BarsNext(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(3)) return frame.Status();
    double* pState = frame.GetStateBuffer(1, 2);
    if (pState == nullptr) return frame.Status();
    double& dScanBar = pState[0];
    double& dTrueBar = pState[1];
    const int p = frame.Bar();
    if (HasValue(dScanBar) && dScanBar <= p && IsComputed(dTrueBar)) {
        if (IsInvalid(dTrueBar)) return frame.ReturnInvalid();
        if (dTrueBar >= p) return frame.Return(dTrueBar - p);
    }
    const int nLast = LastDataBar(frame);
    double dFound = INVALID_VALUE;
    for (int nBar = p; nBar <= nLast; ++nBar) {
        double dValue = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(2, nBar, dValue)) return frame.Status();
        if (IsTrue(dValue)) {
            dFound = nBar;
            break;
        }
    }
    dScanBar = p;
    dTrueBar = dFound;
    return IsInvalid(dFound) ? frame.ReturnInvalid() : frame.Return(dFound - p);
}

// One bar of FILTER: the last accepted signal blocks the n bars after it; otherwise a
// signal (ToCount of x not 0) is accepted. An invalid x (or any NaN) is no signal.
// dSignalBar is the bar of the blocking signal, INVALID_VALUE when none blocks.
double StepFilter(double& dSignalBar, int nBar, int n, double dX) {
    if (HasValue(dSignalBar) && nBar - dSignalBar <= n) return 0.0;
    if (!std::isnan(dX) && ToCount(dX) != 0) {
        dSignalBar = nBar;
        return 1.0;
    }
    dSignalBar = INVALID_VALUE;
    return 0.0;
}

// FILTER state, laid out as the running state is: previous bar and signal bar, last
// bar and signal bar.
struct CFilterState {
    double* pBuffer;
    double& PreviousBar() { return pBuffer[0]; }
    double& PreviousSignal() { return pBuffer[1]; }
    double& LastBar() { return pBuffer[2]; }
    double& LastSignal() { return pBuffer[3]; }
};

// Runs the filter over bars nFirst .. nEnd - 1, from dSignalBar as it stood before
// nFirst. A bar where N has no usable count blocks nothing afterwards.
bool ReplayFilter(CFunctionFrame& frame, int nFirst, int nEnd, double& dSignalBar) {
    for (int nBar = nFirst; nBar < nEnd; ++nBar) {
        double dN = INVALID_VALUE;
        double dX = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(3, nBar, dN) || !frame.EvaluateArgAtBar(2, nBar, dX)) {
            return false;
        }
        const int n = IsInvalid(dN) ? 0 : ToCount(dN);
        if (n <= 0) {
            dSignalBar = INVALID_VALUE;
        } else {
            StepFilter(dSignalBar, nBar, n, dX);
        }
    }
    return true;
}

// FILTER(X, N): 1 where X gives a signal that the previous accepted signal does not
// block, 0 elsewhere; n = 0 passes X through, a negative n has no answer. The filter
// runs from the first bar of the data: when the state does not hold bar p - 1 it is
// replayed from the latest bar it holds before p, or from bar 0. A bar's answer thus
// does not depend on where the calculation starts or in which order bars are asked.
int Filter(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dN = INVALID_VALUE;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.EvaluateArg(3, 0, dN) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    double* pBuffer = frame.GetBarEntries(1, 2);
    if (pBuffer == nullptr) return frame.Status();
    CFilterState state{pBuffer};
    const int p = frame.Bar();
    auto isBar = [](double dStored, int64_t nBar) { return HasValue(dStored) && dStored == nBar; };
    if (isBar(state.LastBar(), p - 1)) {
        state.PreviousBar() = state.LastBar();
        state.PreviousSignal() = state.LastSignal();
    }
    double dSignalBar = INVALID_VALUE;
    if (isBar(state.PreviousBar(), p - 1) && IsComputed(state.PreviousSignal())) {
        dSignalBar = state.PreviousSignal();
    } else if (p > 0) {
        int nFrom = 0;
        const double dLastBar = state.LastBar();
        if (HasValue(dLastBar) && dLastBar >= 0 && dLastBar < p - 1 &&
            IsComputed(state.LastSignal())) {
            nFrom = static_cast<int>(dLastBar) + 1;
            dSignalBar = state.LastSignal();
        }
        if (!ReplayFilter(frame, nFrom, p, dSignalBar)) return frame.Status();
        state.PreviousBar() = p - 1;
        state.PreviousSignal() = dSignalBar;
    }

    const int n = IsInvalid(dN) ? -1 : ToCount(dN);
    double dResult = INVALID_VALUE;
    if (n == 0) {
        dResult = dX;
    } else if (n > 0) {
        dResult = StepFilter(dSignalBar, p, n, dX);
    }
    state.LastBar() = p;
    state.LastSignal() = n > 0 ? dSignalBar : INVALID_VALUE;
    return frame.Return(dResult);
}

// FILTERX(X, N): N is evaluated, no value is given.
int FilterAhead(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dN = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.EvaluateArg(3, 0, dN)) return frame.Status();
    return frame.ReturnInvalid();
}

// TFILTER and TTFILTER have no value; only their shape is checked.
template <int ELEMENTS>
int CallNoValue(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(ELEMENTS)) return frame.Status();
    return frame.ReturnInvalid();
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {CallBarsSinceFirst<false>, 112},  // BARSCOUNT
    {BarsLast,                  113},  // BARSLAST
    {BarsNext,                  114},  // BARSNEXT
    {BarsSinceWithin,           115},  // BARSSINCEN
    {CallBarsSinceFirst<true>,  116},  // BARSSINCE
    {BarsLastCount,             118},  // BARSLASTCOUNT
    {Filter,                    134},  // FILTER
    {FilterAhead,               135},  // FILTERX
    {CallNoValue<5>,            137},  // TFILTER
    {CallNoValue<7>,            138},  // TTFILTER
};
// clang-format on

}  // namespace

DispatchRows BarCountFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
