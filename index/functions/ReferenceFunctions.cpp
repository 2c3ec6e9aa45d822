// References and whole-series functions: the value of an argument at another bar
// (earlier, later or dated), and the functions that compute every bar of the data at
// once and then answer each bar from that picture (CONST, BACKSET, ALIGNRIGHT).
//
// Whole-series state is a series buffer of the state slot: one double per bar and
// two spare ones past the last bar. The last spare double records that the buffer
// was filled (and from which bar), because the calculator sets whole series back to
// UNCOMPUTED_VALUE over the range it recalculates; a bar found uncomputed therefore
// means the picture is stale and is drawn again.

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "IIndexDataSource.h"
#include "index/functions/BarExtent.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Reads a whole-series state buffer at p: INVALID_VALUE for bars the picture does
// not cover.
double PictureAt(const double* pSeries, int nBar) {
    return IsComputed(pSeries[nBar]) ? pSeries[nBar] : INVALID_VALUE;
}

// Whether the calculator has set part of a filled picture back to uncomputed. Only
// the bar asked and the last bar are looked at, to keep a bar O(1): the calculator
// invalidates the range it recalculates, which holds the bars it then asks for, and
// new data arrives at the end.
bool IsWiped(const double* pSeries, int nBar, int nFirst, int nLast) {
    const bool bBarWiped = nBar >= nFirst && nBar <= nLast && !IsComputed(pSeries[nBar]);
    return bBarWiped || !IsComputed(pSeries[nLast]);
}

// The spare double past the last bar that marks a filled picture.
double& FillMark(CFunctionFrame& frame, double* pSeries) {
    return pSeries[frame.Store().GetBarCount() + 1];
}

// REF(X, N): X n bars back, clamped to one bar before the data. When that value is
// invalid the bar one later is tried, so a reference past the first bar yields bar 0.
// The second try is made only for n >= 1: for REF(X, 0) it would be the next bar,
// and REF is not among the functions that look ahead, so the calculator would not
// recompute it when that bar arrives.
int Ref(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(3) || !frame.ReadCount(2, n)) return frame.Status();
    if (n < 0) return frame.ReturnInvalid();
    const int64_t nBack = std::min<int64_t>(n, static_cast<int64_t>(frame.Bar()) + 1);
    const int64_t nAtBar = frame.Bar() - nBack;
    double dValue = INVALID_VALUE;
    if (!EvaluateInStore(frame, 1, nAtBar, dValue)) return frame.Status();
    if (IsInvalid(dValue) && nBack >= 1 && !EvaluateInStore(frame, 1, nAtBar + 1, dValue)) {
        return frame.Status();
    }
    return frame.Return(dValue);
}

// REFV(X, N): X exactly n bars back, invalid before the data.
int RefExact(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(3) || !frame.ReadCount(2, n)) return frame.Status();
    if (n < 0) return frame.ReturnInvalid();
    double dValue = INVALID_VALUE;
    if (!EvaluateInStore(frame, 1, static_cast<int64_t>(frame.Bar()) - n, dValue)) {
        return frame.Status();
    }
    return frame.Return(dValue);
}

// REFX(X, N): X n bars later, invalid past the bars of the store.
int RefAhead(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(3) || !frame.ReadCount(2, n)) return frame.Status();
    if (n < 0) return frame.ReturnInvalid();
    double dValue = INVALID_VALUE;
    if (!EvaluateInStore(frame, 1, static_cast<int64_t>(frame.Bar()) + n, dValue)) {
        return frame.Status();
    }
    return frame.Return(dValue);
}

// REFXV(X, N): X n bars later, clamped to the last bar of the data; an invalid value
// there falls back to X at p. Never looks back: when p itself lies past the total bar
// count the clamp stops at p.
int RefAheadClamped(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(3) || !frame.ReadCount(2, n)) return frame.Status();
    if (n < 0) return frame.ReturnInvalid();
    const int64_t nLastBar = static_cast<int64_t>(frame.Context().nAvailable) - 1;
    const int64_t nAtBar =
        std::max<int64_t>(frame.Bar(), std::min(static_cast<int64_t>(frame.Bar()) + n, nLastBar));
    double dValue = INVALID_VALUE;
    if (!EvaluateInStore(frame, 1, nAtBar, dValue)) return frame.Status();
    if (IsInvalid(dValue) && !frame.EvaluateArg(1, 0, dValue)) return frame.Status();
    return frame.Return(dValue);
}

bool IsLeapYear(int nYear) {
    return (nYear % 4 == 0 && nYear % 100 != 0) || nYear % 400 == 0;
}

// The dates REFDATE accepts: real calendar days of the years the hosts' calendars
// cover.
bool IsCalendarDate(int nYear, int nMonth, int nDay) {
    static constexpr int s_arrMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (nYear < 1990 || nYear > 2034 || nMonth < 1 || nMonth > 12 || nDay < 1) return false;
    const int nLength = s_arrMonthDays[nMonth - 1] + (nMonth == 2 && IsLeapYear(nYear) ? 1 : 0);
    return nDay <= nLength;
}

// REFDATE(X, D): X at the bar of a date written as (year - 1900) * 10000 + month * 100
// + day, the form the date functions give. The host turns the date into a time and
// the time into a bar; a date it does not know, or a bar outside the data, has no value.
int RefDate(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nDate = 0;
    if (!frame.Enter(3) || !frame.ReadCount(2, nDate)) return frame.Status();
    if (nDate <= 0) return frame.ReturnInvalid();
    const int nYear = nDate / 10000 + 1900;
    const int nMonth = nDate / 100 % 100;
    const int nDay = nDate % 100;
    if (!IsCalendarDate(nYear, nMonth, nDay)) return frame.ReturnInvalid();
    IIndexDataSource* pSource = frame.Context().pDataSource;
    if (pSource == nullptr) {
        frame.Reject();
        return frame.Status();
    }
    int64_t nTime = 0;
    const int64_t nCalendarDate = static_cast<int64_t>(nYear) * 10000 + nMonth * 100 + nDay;
    if (!pSource->GetDateTime(nCalendarDate, &nTime)) return frame.ReturnInvalid();
    int nFoundBar = -1;  // a host that finds nothing may leave it untouched
    pSource->FindBarByTime(nTime, &nFoundBar);
    double dValue = INVALID_VALUE;
    if (!EvaluateInStore(frame, 1, nFoundBar, dValue)) return frame.Status();
    return frame.Return(dValue);
}

// CONST(X): X at the last bar of the data, at every bar. X is evaluated at every bar
// from the start of the calculation up to there, in order, so that running state
// inside X reaches the last bar the way a normal pass would. Computed once per
// calculation (the calculator drops the state of volatile calls between passes).
int Constant(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(3)) return frame.Status();
    double* pState = frame.GetStateBuffer(1, 1);
    if (pState == nullptr) return frame.Status();
    if (!IsComputed(*pState)) {
        const int nLast = LastDataBar(frame);
        const int nFirst = std::min(std::max(frame.Context().nCalcFirst, 0), nLast);
        double dValue = INVALID_VALUE;
        for (int nBar = nFirst; nBar <= nLast; ++nBar) {
            if (!frame.EvaluateArgAtBar(2, nBar, dValue)) return frame.Status();
        }
        // An argument that is never computed (a name never assigned) has no value
        // either; keeping UNCOMPUTED_VALUE would make every bar search again.
        *pState = IsComputed(dValue) ? dValue : INVALID_VALUE;
    }
    return frame.Return(*pState);
}

// BACKSET picture: wherever X is true (and N valid), the k = max(ToCount(N), 1) bars
// ending there are 1, the other bars from nFirst to nLast are 0. Bars before nFirst
// are 1 where a span reaches them and uncovered otherwise.
//
// X and N are evaluated in increasing bar order (running state inside them stays
// cheap) and each bar's span length parked in the picture itself; the walk downwards
// then only needs the lowest bar that any span from above reaches, because spans
// are contiguous: a bar is covered exactly when that reach is at or below it.
bool FillBackSet(CFunctionFrame& frame, double* pSeries, int nFirst, int nLast) {
    for (int nBar = nFirst; nBar <= nLast; ++nBar) {
        double dX = INVALID_VALUE;
        double dN = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(2, nBar, dX)) return false;
        if (!frame.EvaluateArgAtBar(3, nBar, dN)) return false;
        const bool bSignal = IsTrue(dX) && !IsInvalid(dN);
        pSeries[nBar] = bSignal ? std::max(ToCount(dN), 1) : 0;
    }
    int64_t nReach = static_cast<int64_t>(nLast) + 1;
    for (int nBar = nLast; nBar >= nFirst; --nBar) {
        const int64_t nSpan = static_cast<int64_t>(pSeries[nBar]);
        if (nSpan > 0) nReach = std::min(nReach, nBar - nSpan + 1);
        pSeries[nBar] = nReach <= nBar ? 1.0 : 0.0;
    }
    std::fill(pSeries, pSeries + nFirst, UNCOMPUTED_VALUE);
    for (int64_t nBar = std::max<int64_t>(nReach, 0); nBar < nFirst; ++nBar) pSeries[nBar] = 1.0;
    return true;
}

// BACKSET(X, N): marks the N bars up to each signal of X, looking back from later
// bars; the whole picture is drawn the first time any bar asks. A bar before the
// start of the calculation that no span reaches has no value.
int BackSet(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(4)) return frame.Status();
    double* pSeries = frame.GetStateBuffer(1, 0);
    if (pSeries == nullptr) return frame.Status();
    const int nLast = LastDataBar(frame);
    const int p = frame.Bar();
    if (nLast < 0) return frame.ReturnInvalid();
    const int nFirst = std::min(std::max(frame.Context().nCalcFirst, 0), nLast);
    // A picture drawn for another start of the calculation is stale too: its bars
    // before the old start were never set to 0.
    double& dMark = FillMark(frame, pSeries);
    const bool bStale = !HasValue(dMark) || dMark != nFirst || IsWiped(pSeries, p, nFirst, nLast);
    if (bStale) {
        dMark = UNCOMPUTED_VALUE;
        if (!FillBackSet(frame, pSeries, nFirst, nLast)) return frame.Status();
        dMark = nFirst;
    }
    return frame.Return(PictureAt(pSeries, p));
}

// ALIGNRIGHT(X): the valid values of X in their order, packed against the last bar
// of the data; the bars left of them have no value. X is evaluated over the whole
// data in increasing order, then the valid values are moved right in place (the
// write position never falls below the read position).
int AlignRight(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(3)) return frame.Status();
    double* pSeries = frame.GetStateBuffer(1, 0);
    if (pSeries == nullptr) return frame.Status();
    const int nLast = LastDataBar(frame);
    const int p = frame.Bar();
    if (p > nLast) return frame.ReturnInvalid();
    double& dMark = FillMark(frame, pSeries);
    if (!HasValue(dMark) || IsWiped(pSeries, p, 0, nLast)) {
        dMark = UNCOMPUTED_VALUE;
        for (int nBar = 0; nBar <= nLast; ++nBar) {
            if (!frame.EvaluateArgAtBar(2, nBar, pSeries[nBar])) return frame.Status();
        }
        int nWrite = nLast;
        for (int nRead = nLast; nRead >= 0; --nRead) {
            if (HasValue(pSeries[nRead])) pSeries[nWrite--] = pSeries[nRead];
        }
        std::fill(pSeries, pSeries + nWrite + 1, INVALID_VALUE);
        dMark = 1.0;
    }
    return frame.Return(PictureAt(pSeries, p));
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {Ref,             126},  // REF
    {RefExact,        127},  // REFV
    {RefAhead,        128},  // REFX
    {RefAheadClamped, 129},  // REFXV
    {RefDate,         130},  // REFDATE
    {Constant,        151},  // CONST
    {BackSet,         110},  // BACKSET
    {AlignRight,      111},  // ALIGNRIGHT
};
// clang-format on

}  // namespace

DispatchRows ReferenceFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
