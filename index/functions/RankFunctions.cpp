// Ranges and ranked extremes: how far back the value of the bar p stays on top (or at
// the bottom), and the t-th highest or lowest value of a window that may start some
// bars before p. Comparisons here are plain, without VALUE_EPSILON.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <new>
#include <vector>

#include "index/functions/BarExtent.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

// Which earlier value ends a range: one at least as high as x (TOPRANGE) or at least
// as low (LOWRANGE).
struct CTopRange {
    static bool Reaches(double dValue, double dX) { return dX <= dValue; }
};
struct CLowRange {
    static bool Reaches(double dValue, double dX) { return dX >= dValue; }
};

// TOPRANGE, LOWRANGE: the number of bars before p, going back, until a valid value
// reaches x; invalid values are passed over, and p when no earlier bar reaches x.
// The running quantity is the distance k of the stopping bar (p + 1 when none). When
// x goes beyond X(1), every bar that bar p - 1 passed over lies below X(1) and so
// below x as well: the scan resumes at p - 1's stopping bar instead of at 1.
// Elements: function, state slot, X.
template <class RANGE>
int CallRange(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = INVALID_VALUE;
    if (!frame.Enter(3) || !frame.ReadArg(2, dX)) return frame.Status();
    CRunningState state;
    if (!state.Load(frame, 1)) return frame.Status();
    const int p = frame.Bar();
    int64_t k = 1;
    if (state.CanContinue() && state.Previous() >= 1 && state.Previous() <= p) {
        double dPrevious = INVALID_VALUE;
        if (!frame.EvaluateArg(2, 1, dPrevious)) return frame.Status();
        if (!std::isnan(dPrevious) && !RANGE::Reaches(dPrevious, dX)) {
            k = static_cast<int64_t>(state.Previous()) + 1;
        }
    }
    for (; k <= p; ++k) {
        double dValue = INVALID_VALUE;
        if (!frame.EvaluateArg(2, k, dValue)) return frame.Status();
        if (!IsInvalid(dValue) && RANGE::Reaches(dValue, dX)) break;
    }
    state.Store(static_cast<double>(k));
    return frame.Return(static_cast<double>(k - 1));
}

// A valid value of the window with its offset j from the window's first bar.
struct CRankedValue {
    double dValue;
    int nOffset;
};

// Rank orders: highest (lowest) first. Equal values rank by offset, the more recent
// bar first, as the extremes of HHV and LLV do; equality is exact here, because an
// epsilon tie is not transitive and a sort needs an order that is.
struct CHighestFirst {
    bool operator()(const CRankedValue& a, const CRankedValue& b) const {
        return a.dValue > b.dValue || (a.dValue == b.dValue && a.nOffset < b.nOffset);
    }
};
struct CLowestFirst {
    bool operator()(const CRankedValue& a, const CRankedValue& b) const {
        return a.dValue < b.dValue || (a.dValue == b.dValue && a.nOffset < b.nOffset);
    }
};

// FINDHIGH, FINDLOW (the value) and FINDHIGHBARS, FINDLOWBARS (bars back to it): the
// t-th highest (lowest) valid value of the m bars X(n) .. X(n + m - 1). n, m and t
// are clamped to p + 1; fewer than t valid values leave no answer. A NaN that is not
// INVALID_VALUE (a failed C library call) cannot be ranked and is left out as well.
// Elements: function, X, N, M, T.
template <class ORDER, bool BARS>
int CallFind(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    int m = 0;
    int t = 0;
    if (!frame.Enter(5) || !frame.ReadCount(2, n) || !frame.ReadCount(3, m) ||
        !frame.ReadCount(4, t)) {
        return frame.Status();
    }
    if (n < 0 || m < 1 || t < 1) return frame.ReturnInvalid();
    const int nLimit = frame.Bar() + 1;
    n = std::min(n, nLimit);
    m = std::min(m, nLimit);
    t = std::min(t, nLimit);
    try {
        std::vector<CRankedValue> vecValues;
        vecValues.reserve(static_cast<size_t>(m));
        for (int j = 0; j < m; ++j) {
            double dValue = INVALID_VALUE;
            if (!EvaluateInStore(frame, 1, static_cast<int64_t>(frame.Bar()) - n - j, dValue)) {
                return frame.Status();
            }
            if (!std::isnan(dValue)) vecValues.push_back({dValue, j});
        }
        if (vecValues.size() < static_cast<size_t>(t)) return frame.ReturnInvalid();
        const auto itPick = vecValues.begin() + (t - 1);
        std::nth_element(vecValues.begin(), itPick, vecValues.end(), ORDER());
        return frame.Return(BARS ? static_cast<double>(n + itPick->nOffset) : itPick->dValue);
    } catch (const std::bad_alloc&) {
        frame.Reject();
        return frame.Status();
    }
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {CallRange<CTopRange>,              152},  // TOPRANGE
    {CallRange<CLowRange>,              153},  // LOWRANGE
    {CallFind<CHighestFirst, false>,    154},  // FINDHIGH
    {CallFind<CHighestFirst, true>,     155},  // FINDHIGHBARS
    {CallFind<CLowestFirst, false>,     156},  // FINDLOW
    {CallFind<CLowestFirst, true>,      157},  // FINDLOWBARS
};
// clang-format on

}  // namespace

DispatchRows RankFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
