// Windows of bars ending at the bar p being computed: extremes and where they lie,
// ranks, sums, products and counts. A window of N bars is clamped to the bars that
// exist up to p (n' = min(n, p + 1)). The functions with a state slot keep their
// running quantity there (CRunningState) and scan the whole window whenever that
// state is not the one of bar p - 1 with the same window; both ways give the same
// answer, so a bar's value does not depend on the order in which bars are asked.
//
// Elements: function, state slot (where the function has one), X, N.

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/RunningArithmetic.h"
#include "index/functions/SlidingExtreme.h"
#include "index/functions/ValueConventions.h"

namespace {

// Directions of an extreme. Beats: strictly beyond by more than VALUE_EPSILON, so
// values within epsilon of each other tie. No value beats a NaN or is beaten by one,
// so a NaN never becomes an extreme.
struct CHighest {
    static constexpr bool LOWEST = false;
    static constexpr double START = -DBL_MAX;
    static bool Beats(double dA, double dB) { return IsGreater(dA, dB); }
};
struct CLowest {
    static constexpr bool LOWEST = true;
    static constexpr double START = DBL_MAX;
    static bool Beats(double dA, double dB) { return IsGreater(dB, dA); }
};

// The bar of the extreme among the n' bars ending at p. Counting from p backwards, a
// value replaces the extreme only when it beats it, so ties keep the more recent bar.
// -1 when the window holds no valid value. With pCandidates, the values it passes
// also start the candidates afresh.
template <class ORDER>
bool ScanExtreme(CFunctionFrame& frame, int nWindow, int& nExtremeBar, double& dExtreme,
                 CSlidingExtreme* pCandidates) {
    nExtremeBar = -1;
    dExtreme = ORDER::START;
    std::vector<double> vecOlder;
    if (pCandidates != nullptr) {
        try {
            vecOlder.reserve(static_cast<size_t>(nWindow));
        } catch (...) {
            pCandidates = nullptr;
        }
    }
    for (int k = 0; k < nWindow; ++k) {
        double dValue = INVALID_VALUE;
        if (!frame.EvaluateArg(2, k, dValue)) return false;
        if (!IsInvalid(dValue) && ORDER::Beats(dValue, dExtreme)) {
            dExtreme = dValue;
            nExtremeBar = frame.Bar() - k;
        }
        if (pCandidates != nullptr && k > 0) vecOlder.push_back(dValue);
    }
    if (pCandidates != nullptr) pCandidates->Rebuild(frame.Bar(), vecOlder);
    return true;
}

// HHV, LLV (the extreme of the window) and HHVBARS, LLVBARS (bars back to it). The
// running quantity is the bar of the extreme. It survives the step to p when x ties
// or beats it (x then takes over, being more recent) or when it is not the bar
// leaving the window; otherwise the window is scanned, or rather its extreme is taken
// from the sliding candidates wherever they give the scan's answer, which keeps the
// cost of a bar independent of the window's length.
template <class ORDER, bool BARS>
int CallExtreme(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    if (n == 1) return IsInvalid(dX) ? frame.ReturnInvalid() : frame.Return(BARS ? 0.0 : dX);
    const int p = frame.Bar();
    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSamePeriod(3, nWindow, bSame)) return frame.Status();

    CSlidingExtreme candidates(frame.GetStateWorkspace(1), pNode, ORDER::LOWEST);
    const bool bCandidatesReady = candidates.Advance(p, nWindow);

    int nExtremeBar = -1;
    double dExtreme = INVALID_VALUE;
    const double dStoredBar = state.Previous();
    if (state.CanContinue(bSame) && dStoredBar >= p - nWindow && dStoredBar < p) {
        const int m = static_cast<int>(dStoredBar);
        double dY = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(2, m, dY)) return frame.Status();
        if (!std::isnan(dY)) {
            if (!std::isnan(dX) && !ORDER::Beats(dY, dX)) {
                nExtremeBar = p;
                dExtreme = dX;
            } else if (m != p - nWindow) {
                nExtremeBar = m;
                dExtreme = dY;
            }
        }
    }
    if (nExtremeBar < 0 && !(bCandidatesReady && candidates.Answer(p, dX, nExtremeBar, dExtreme)) &&
        !ScanExtreme<ORDER>(frame, nWindow, nExtremeBar, dExtreme,
                            bCandidatesReady ? nullptr : &candidates)) {
        return frame.Status();
    }
    candidates.SetPending(p, dX);
    state.Store(nExtremeBar < 0 ? INVALID_VALUE : static_cast<double>(nExtremeBar));
    if (nExtremeBar < 0) return frame.ReturnInvalid();
    return frame.Return(BARS ? static_cast<double>(p - nExtremeBar) : dExtreme);
}

// HOD, LOD: the rank of x in its window, 1 for the highest (lowest), counting the
// bars that beat it. A rank needs every value of the window.
// Elements: function, X, N.
template <class ORDER>
int CallRank(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(3) || !frame.ReadPeriod(2, n)) return frame.Status();
    if (n == 1) return frame.Return(1.0);
    double dX = INVALID_VALUE;
    if (!frame.ReadArg(1, dX)) return frame.Status();
    const int nWindow = frame.ClampWindow(n);
    int nRank = 1;
    for (int k = 1; k < nWindow; ++k) {
        double dValue = INVALID_VALUE;
        if (!frame.ReadArg(1, dValue, k)) return frame.Status();
        if (ORDER::Beats(dValue, dX)) ++nRank;
    }
    return frame.Return(nRank);
}

// SUM(X, N): the sum of the valid values of the window; the invalid ones count as 0.
// x itself must be valid, on the running path and on the full one alike: a result
// that depended on whether the state was at hand would depend on the order in which
// bars are computed. A sum that became infinite or NaN cannot have a term taken back
// out, so the running path needs a finite previous sum.
int Sum(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.ReadArg(2, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(dX);
    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSameOrGrowingWindow(3, nWindow, bSame))
        return frame.Status();
    double dSum = 0.0;
    if (state.CanContinue(bSame) && std::isfinite(state.Previous())) {
        double dLeaving = INVALID_VALUE;
        if (!frame.EvaluateLeaving(2, nWindow, dLeaving)) return frame.Status();
        dSum = AddToWindowSum(state.Previous(), dX, IsInvalid(dLeaving) ? 0.0 : dLeaving);
    } else {
        for (int k = 0; k < nWindow; ++k) {
            double dValue = INVALID_VALUE;
            if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
            if (!IsInvalid(dValue)) dSum += dValue;
        }
    }
    state.Store(dSum);
    return frame.Return(dSum);
}

// MULAR(X, N): the product of the valid values of the window; a zero value (within
// VALUE_EPSILON) makes it 0. As with SUM, x must be valid on both paths. A zero or
// non-finite previous product cannot have a factor divided back out, so those are
// recomputed from the window; a zero x gives 0 on the running path as on the full one.
int Product(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.ReadArg(2, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(dX);
    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSameOrGrowingWindow(3, nWindow, bSame))
        return frame.Status();
    const double dPrevious = state.Previous();
    double dProduct = 1.0;
    if (state.CanContinue(bSame) && std::isfinite(dPrevious) && !IsZero(dPrevious)) {
        double dLeaving = INVALID_VALUE;
        if (!frame.EvaluateLeaving(2, nWindow, dLeaving)) return frame.Status();
        dProduct = IsZero(dX) ? 0.0 : dPrevious * dX;
        if (!IsInvalid(dLeaving) && !IsZero(dLeaving)) dProduct /= dLeaving;
    } else {
        for (int k = 0; k < nWindow; ++k) {
            double dValue = INVALID_VALUE;
            if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
            if (IsInvalid(dValue)) continue;
            if (IsZero(dValue)) {
                dProduct = 0.0;
                break;
            }
            dProduct *= dValue;
        }
    }
    state.Store(dProduct);
    return frame.Return(dProduct);
}

// COUNT(X, N): the number of bars of the window on which X is true; an invalid value
// is not true.
int Count(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = INVALID_VALUE;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(IsTrue(dX) ? 1.0 : 0.0);
    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, 1) || !frame.TestSameOrGrowingWindow(3, nWindow, bSame))
        return frame.Status();
    double dCount = 0.0;
    if (state.CanContinue(bSame)) {
        double dLeaving = INVALID_VALUE;
        if (!frame.EvaluateLeaving(2, nWindow, dLeaving)) return frame.Status();
        dCount = state.Previous() + (IsTrue(dX) ? 1 : 0) - (IsTrue(dLeaving) ? 1 : 0);
    } else {
        for (int k = 0; k < nWindow; ++k) {
            double dValue = INVALID_VALUE;
            if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
            if (IsTrue(dValue)) ++dCount;
        }
    }
    state.Store(dCount);
    return frame.Return(dCount);
}

// SUMBARS(X, A): how many bars, counted back from p, it takes for X to add up to A.
// The comparison is plain: a total equal to A is reached. An invalid value on the
// way, or running out of bars first, leaves no answer.
// Elements: function, X, A.
int SumBars(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dTarget = 0.0;
    if (!frame.Enter(3) || !frame.ReadArg(2, dTarget)) return frame.Status();
    double dTotal = 0.0;
    for (int k = 0; k <= frame.Bar(); ++k) {
        double dValue = INVALID_VALUE;
        if (!frame.ReadArg(1, dValue, k)) return frame.Status();
        dTotal += dValue;
        if (dTotal >= dTarget) return frame.Return(k + 1);
    }
    return frame.ReturnInvalid();
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {CallExtreme<CHighest, false>, 119},  // HHV
    {CallExtreme<CHighest, true>,  120},  // HHVBARS
    {CallRank<CHighest>,           121},  // HOD
    {CallExtreme<CLowest, false>,  122},  // LLV
    {CallExtreme<CLowest, true>,   123},  // LLVBARS
    {CallRank<CLowest>,            124},  // LOD
    {Count,                        117},  // COUNT
    {Sum,                          132},  // SUM
    {Product,                      133},  // MULAR
    {SumBars,                      139},  // SUMBARS
};
// clang-format on

}  // namespace

DispatchRows WindowFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
