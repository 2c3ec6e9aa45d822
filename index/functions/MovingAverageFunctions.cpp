// Moving averages. The window averages (MA, WMA, XMA) keep a running sum in their
// state slot so that the next bar costs O(1); the recursive averages (EMA, EXPMA,
// SMA, DMA, AMA, TMA, MEMA, EXPMEMA) blend the value at the bar with their own
// result at the bar before, which they keep in their hidden result series.
//
// Element 1 is the state slot or the hidden result series; X is element 2 and the
// parameters follow it.
//
// A recursive average starts afresh at the first bar of the pass (nCalcFirst): the
// result there is X itself (MEMA and EXPMEMA wait for n bars and start from their
// simple average). Where the result at the bar before was never stored (a bar that
// was skipped, or one whose inputs had no value), the blending averages restart
// from X, while MEMA and EXPMEMA give no value (EXPMEMA seeds again after a gap in X).

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/RunningArithmetic.h"
#include "index/functions/ValueConventions.h"

namespace {

constexpr int ELEMENT_STATE = 1;  // state slot or hidden result series
constexpr int ELEMENT_X = 2;
constexpr int ELEMENT_PARAM1 = 3;
constexpr int ELEMENT_PARAM2 = 4;

// Sums X over the bars nFirstBack .. nFirstBack + nCount - 1 before p. bComplete
// turns false at the first bar without a value, and the sum is then meaningless.
// False only for an evaluation error.
//
// Before the first bar only a constant has a value (every series reads as none
// there), so the part of a window that lies before the data is settled by one
// evaluation: no value ends the sum at once, a constant counts once per bar. A
// window as long as a period can be written is then no slower than the data is long.
bool SumBack(CFunctionFrame& frame, int64_t nFirstBack, int64_t nCount, double& dSum,
             bool& bComplete) {
    dSum = 0.0;
    bComplete = true;
    const int64_t nBeforeData = nFirstBack + nCount - 1 - frame.Bar();
    int64_t nInData = nCount;
    double dBefore = 0.0;
    if (nBeforeData > 0) {
        if (!frame.EvaluateArgAtBar(ELEMENT_X, -1, dBefore)) return false;
        if (IsInvalid(dBefore)) {
            bComplete = false;
            return true;
        }
        nInData = nCount - nBeforeData;
    }
    for (int64_t k = nFirstBack; k < nFirstBack + nInData; ++k) {
        double dValue = 0.0;
        if (!frame.EvaluateArg(ELEMENT_X, k, dValue)) return false;
        if (IsInvalid(dValue)) {
            bComplete = false;
            return true;
        }
        dSum += dValue;
    }
    if (nBeforeData > 0) dSum += dBefore * static_cast<double>(nBeforeData);
    return true;
}

// MA(X, N): the plain average of the last N bars. Running state: the window sum.
int SimpleAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(ELEMENT_PARAM1, n) ||
        !frame.EvaluateArg(ELEMENT_X, 0, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(dX);
    if (frame.Bar() + 1 < n) return frame.ReturnInvalid();

    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, ELEMENT_STATE) || !frame.TestSamePeriod(ELEMENT_PARAM1, n, bSame)) {
        return frame.Status();
    }
    double dSum = 0.0;
    if (state.CanContinue(bSame)) {
        double dLeaving = 0.0;
        if (!frame.EvaluateArg(ELEMENT_X, n, dLeaving)) return frame.Status();
        if (IsInvalid(dX) || IsInvalid(dLeaving)) return frame.ReturnInvalid();
        dSum = SlideWindowSum(state.Previous(), dLeaving, dX);
    } else {
        bool bComplete = false;
        if (!SumBack(frame, 1, n - 1, dSum, bComplete)) return frame.Status();
        if (IsInvalid(dX) || !bComplete) return frame.ReturnInvalid();
        dSum = dX + dSum;
    }
    state.Store(dSum);
    return frame.Return(dSum / n);
}

// WMA(X, N): weights n for the newest bar down to 1 for the oldest. Running state:
// the plain sum and the weighted sum of the window; moving the window by one bar
// adds n times the new value and takes away one copy of every value it held.
int WeightedAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(ELEMENT_PARAM1, n) ||
        !frame.EvaluateArg(ELEMENT_X, 0, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(dX);
    if (frame.Bar() + 1 < n) return frame.ReturnInvalid();

    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, ELEMENT_STATE, 2) || !frame.TestSamePeriod(ELEMENT_PARAM1, n, bSame)) {
        return frame.Status();
    }
    double dSum = 0.0;
    double dWeighted = 0.0;
    if (state.CanContinue(bSame)) {
        double dLeaving = 0.0;
        if (!frame.EvaluateArg(ELEMENT_X, n, dLeaving)) return frame.Status();
        if (IsInvalid(dX) || IsInvalid(dLeaving)) return frame.ReturnInvalid();
        dSum = state.Previous(0) + dX - dLeaving;
        dWeighted = n * dX + state.Previous(1) - state.Previous(0);
    } else {
        if (IsInvalid(dX)) return frame.ReturnInvalid();
        for (int k = 0; k < n; ++k) {
            double dValue = dX;
            if (k > 0 && !frame.EvaluateArg(ELEMENT_X, k, dValue)) return frame.Status();
            if (IsInvalid(dValue)) return frame.ReturnInvalid();
            dSum += dValue;
            dWeighted += (n - k) * dValue;
        }
    }
    state.Store({dSum, dWeighted});
    // In double: n (n + 1) overflows 32 bits long before n does.
    return frame.Return(dWeighted / (n * (n + 1.0) / 2.0));
}

// XMA(X, N): the average of a window centred on p, n/2 bars back and (n - 1)/2
// bars ahead, cut off at both ends of the data.
//
// The running state holds the window sum together with the bar p it belongs to and
// the last bar of that window, rather than a bare sum: the sum then continues only
// from the bar just before, and only over the bars actually added, so computing
// bars out of order, twice, or after the host reported more bars gives the same
// values as computing them in order. A bar without a value inside the data leaves
// the average without a value, as in a full sum; only bars outside the data are
// left out of the window.
int CenteredAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(4) || !frame.ReadPeriod(ELEMENT_PARAM1, n)) return frame.Status();
    if (n == 1) {
        double dX = 0.0;
        if (!frame.EvaluateArg(ELEMENT_X, 0, dX)) return frame.Status();
        return frame.Return(dX);
    }

    const int64_t nBar = frame.Bar();
    // The bar being computed exists, whatever total the host reports.
    const int64_t nLastData = std::max<int64_t>(frame.Context().nAvailable - 1, nBar);
    const int64_t nFirst = std::max<int64_t>(nBar - n / 2, 0);
    const int64_t nLast = std::min<int64_t>(nBar + (n - 1) / 2, nLastData);

    // The window is cut to the data by the bounds above, not by its length: p - 1's
    // sum moves on to p whenever N was the same there, the first bars included.
    CRunningState state;
    double dEarlierPeriod = INVALID_VALUE;
    if (!state.Load(frame, ELEMENT_STATE, 2) ||
        !frame.EvaluateArg(ELEMENT_PARAM1, 1, dEarlierPeriod)) {
        return frame.Status();
    }
    const bool bSame = !IsInvalid(dEarlierPeriod) && ToCount(dEarlierPeriod) == n;
    int64_t nAddFrom = nFirst;
    double dSum = 0.0;
    if (state.CanContinue(bSame) && state.Previous(1) <= static_cast<double>(nLast)) {
        dSum = state.Previous(0);
        nAddFrom = static_cast<int64_t>(state.Previous(1)) + 1;
        const int64_t nLeaving = nBar - n / 2 - 1;
        if (nLeaving >= 0) {
            double dLeaving = 0.0;
            if (!frame.EvaluateArgAtBar(ELEMENT_X, nLeaving, dLeaving)) return frame.Status();
            if (IsInvalid(dLeaving)) return frame.ReturnInvalid();
            dSum -= dLeaving;
        }
    }
    for (int64_t nAt = nAddFrom; nAt <= nLast; ++nAt) {
        double dValue = 0.0;
        if (!frame.EvaluateArgAtBar(ELEMENT_X, nAt, dValue)) return frame.Status();
        if (IsInvalid(dValue)) return frame.ReturnInvalid();
        dSum += dValue;
    }
    state.Store({dSum, static_cast<double>(nLast)});
    return frame.Return(dSum / static_cast<double>(nLast - nFirst + 1));
}

// Enters a recursive average and makes sure its hidden result series exists, so
// that a malformed call fails the same way whichever early exit the rule takes.
bool EnterRecursive(CFunctionFrame& frame, int nElements) {
    double dIgnored = 0.0;
    return frame.Enter(nElements) && frame.ReadOwnResult(ELEMENT_STATE, 1, dIgnored);
}

// The common tail of the blending averages, once their parameters are read: reads
// X and the own result at p - 1 and stores RULE(prev, x) at p. bStoreInvalid says
// whether an X without a value is stored as INVALID_VALUE or left unstored.
template <typename RULE>
int BlendWithPrevious(CFunctionFrame& frame, bool bStoreInvalid, RULE rule) {
    double dX = 0.0;
    if (!frame.EvaluateArg(ELEMENT_X, 0, dX)) return frame.Status();
    if (IsInvalid(dX)) {
        return bStoreInvalid ? frame.ReturnOwn(ELEMENT_STATE, INVALID_VALUE)
                             : frame.ReturnInvalid();
    }
    if (frame.Bar() <= frame.Context().nCalcFirst) return frame.ReturnOwn(ELEMENT_STATE, dX);
    double dPrev = 0.0;
    if (!frame.ReadOwnResult(ELEMENT_STATE, 1, dPrev)) return frame.Status();
    if (!HasValue(dPrev)) dPrev = dX;
    return frame.ReturnOwn(ELEMENT_STATE, rule(dPrev, dX));
}

double LimitToUnit(double dValue) {
    return dValue < 0.0 ? 0.0 : (dValue > 1.0 ? 1.0 : dValue);
}

// EMA(X, N) and EXPMA(X, N): weight 2 / (n + 1) for the new value. They differ only
// in whether a bar without X is stored.
template <bool STORE_INVALID>
int ExponentialAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!EnterRecursive(frame, 4) || !frame.ReadPeriod(ELEMENT_PARAM1, n)) return frame.Status();
    return BlendWithPrevious(frame, STORE_INVALID, [n](double dPrev, double dX) {
        return BlendExponential(n, dPrev, dX);
    });
}

// SMA(X, N, M): weight m / n for the new value, m at most n. M is read before N.
int ShareAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dM = 0.0;
    int n = 0;
    if (!EnterRecursive(frame, 5) || !frame.ReadArg(ELEMENT_PARAM2, dM) ||
        !frame.ReadPeriod(ELEMENT_PARAM1, n)) {
        return frame.Status();
    }
    const double dN = n;
    const double dShare = std::min(dM, dN);
    return BlendWithPrevious(frame, true, [dN, dShare](double dPrev, double dX) {
        return BlendShare(dN, dShare, dPrev, dX);
    });
}

// DMA(X, A): weight a for the new value. Nothing stops a negative weight; weights
// from just below 1 up count as 1, so the average follows X exactly.
int DynamicAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dA = 0.0;
    if (!EnterRecursive(frame, 4) || !frame.ReadArg(ELEMENT_PARAM1, dA)) return frame.Status();
    const double dWeight = dA > 0.999999 ? 1.0 : dA;
    return BlendWithPrevious(frame, true, [dWeight](double dPrev, double dX) {
        return (1.0 - dWeight) * dPrev + dWeight * dX;
    });
}

// AMA(X, A): moves the fraction a (0..1) of the way from the previous result to X.
int AdaptiveAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dA = 0.0;
    if (!EnterRecursive(frame, 4) || !frame.ReadArg(ELEMENT_PARAM1, dA)) return frame.Status();
    const double dWeight = LimitToUnit(dA);
    return BlendWithPrevious(frame, false, [dWeight](double dPrev, double dX) {
        return dPrev + dWeight * (dX - dPrev);
    });
}

// TMA(X, A, B): a times the previous result plus b times X, each weight in 0..1;
// the weights need not add up to 1.
int TwoWeightAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dA = 0.0;
    double dB = 0.0;
    if (!EnterRecursive(frame, 5) || !frame.ReadArg(ELEMENT_PARAM1, dA) ||
        !frame.ReadArg(ELEMENT_PARAM2, dB)) {
        return frame.Status();
    }
    const double dPrevWeight = LimitToUnit(dA);
    const double dNewWeight = LimitToUnit(dB);
    return BlendWithPrevious(frame, false, [dPrevWeight, dNewWeight](double dPrev, double dX) {
        return dPrevWeight * dPrev + dNewWeight * dX;
    });
}

// MEMA(X, N): weight 1 / n for the new value, seeded n - 1 bars into the pass with
// the simple average of the first n bars; nothing before the seed.
int SeededAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!EnterRecursive(frame, 4) || !frame.ReadPeriod(ELEMENT_PARAM1, n) ||
        !frame.ReadArg(ELEMENT_X, dX)) {
        return frame.Status();
    }
    const int64_t nSeedBar = static_cast<int64_t>(frame.Context().nCalcFirst) + n - 1;
    if (frame.Bar() < nSeedBar) return frame.ReturnInvalid();
    if (frame.Bar() == nSeedBar) {
        double dSum = 0.0;
        bool bComplete = false;
        if (!SumBack(frame, 1, n - 1, dSum, bComplete)) return frame.Status();
        if (!bComplete) return frame.ReturnInvalid();
        return frame.ReturnOwn(ELEMENT_STATE, (dX + dSum) / n);
    }
    double dPrev = 0.0;
    if (!frame.ReadOwnResult(ELEMENT_STATE, 1, dPrev)) return frame.Status();
    if (!HasValue(dPrev)) return frame.ReturnOwn(ELEMENT_STATE, INVALID_VALUE);
    return frame.ReturnOwn(ELEMENT_STATE, ((n - 1.0) * dPrev + dX) / n);
}

// EXPMEMA(X, N): EMA seeded with the simple average of n bars instead of X. The
// seed is taken again wherever the bar just before the window has no value, so the
// average restarts after a gap in X.
int SeededExponentialAverage(const ExprNode* pNode, double* pOut, EvalContext* pContext,
                             int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!EnterRecursive(frame, 4) || !frame.ReadPeriod(ELEMENT_PARAM1, n) ||
        !frame.ReadArg(ELEMENT_X, dX)) {
        return frame.Status();
    }
    const int nCalcFirst = frame.Context().nCalcFirst;
    if (frame.Bar() < nCalcFirst) return frame.ReturnOwn(ELEMENT_STATE, INVALID_VALUE);
    double dOldest = 0.0;
    double dBeforeWindow = 0.0;
    if (!frame.ReadArg(ELEMENT_X, dOldest, n - 1) ||
        !frame.EvaluateArg(ELEMENT_X, n, dBeforeWindow)) {
        return frame.Status();
    }
    const bool bWarmingUp = frame.Bar() <= static_cast<int64_t>(nCalcFirst) + n - 1;
    if (bWarmingUp && frame.Bar() > nCalcFirst && !IsInvalid(dBeforeWindow)) {
        // Every warm-up bar is the simple average of its window: move the window on
        // from the bar before, as MA does, instead of summing n bars at each of n bars.
        double dPrev = 0.0;
        if (!frame.ReadOwnResult(ELEMENT_STATE, 1, dPrev)) return frame.Status();
        if (HasValue(dPrev)) {
            return frame.ReturnOwn(ELEMENT_STATE, (dPrev * n - dBeforeWindow + dX) / n);
        }
    }
    if (IsInvalid(dBeforeWindow) || bWarmingUp) {
        double dSum = 0.0;
        bool bComplete = false;
        if (!SumBack(frame, 1, n - 1, dSum, bComplete)) return frame.Status();
        if (!bComplete) return frame.ReturnInvalid();
        return frame.ReturnOwn(ELEMENT_STATE, (dX + dSum) / n);
    }
    double dPrev = 0.0;
    if (!frame.ReadOwnResult(ELEMENT_STATE, 1, dPrev)) return frame.Status();
    if (!HasValue(dPrev)) return frame.ReturnOwn(ELEMENT_STATE, INVALID_VALUE);
    return frame.ReturnOwn(ELEMENT_STATE, ((n - 1.0) * dPrev + 2.0 * dX) / (n + 1.0));
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {SimpleAverage,                140},  // MA
    {ShareAverage,                 141},  // SMA
    {TwoWeightAverage,             142},  // TMA
    {SeededAverage,                143},  // MEMA
    {ExponentialAverage<true>,     144},  // EMA
    {ExponentialAverage<false>,    145},  // EXPMA
    {SeededExponentialAverage,     146},  // EXPMEMA
    {WeightedAverage,              147},  // WMA
    {DynamicAverage,               148},  // DMA
    {AdaptiveAverage,              149},  // AMA
    {CenteredAverage,              150},  // XMA
};
// clang-format on

}  // namespace

DispatchRows MovingAverageFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
