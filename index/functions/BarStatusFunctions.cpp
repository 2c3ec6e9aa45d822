// Prices and bar status: limit prices, where the bar p stands in the data, and the
// true range read straight from the bar fields. The total bar count is the one the
// data source reports as available (nAvailable), which may run ahead of the bars
// computed so far.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

// Data field ids of the bar fields TR reads.
constexpr int FIELD_HIGH = 1;
constexpr int FIELD_LOW = 3;
constexpr int FIELD_CLOSE = 4;

// ZTPRICE(X, R), DTPRICE(X, R): the price R (a fraction) above or below X, not
// rounded to any tick. Elements: function, X, R.
template <int SIGN>
int CallLimitPrice(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = 0.0;
    double dRate = 0.0;
    if (!frame.Enter(3) || !frame.ReadArg(1, dX) || !frame.ReadArg(2, dRate)) {
        return frame.Status();
    }
    return frame.Return((1.0 + SIGN * dRate) * dX);
}

// DRAWNULL: no value, at every bar.
int NoValue(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    return frame.ReturnInvalid();
}

int TotalBars(const CFunctionFrame& frame) {
    return frame.Context().nAvailable;
}

// BARSTATUS: 1 at the first bar, 2 at the last bar of the data, 0 between. A series
// of one bar reports it as the first.
int BarStatus(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    if (frame.Bar() == 0) return frame.Return(1.0);
    return frame.Return(frame.Bar() == TotalBars(frame) - 1 ? 2.0 : 0.0);
}

// CURRBARSCOUNT: bars from p to the end of the data, 1 at the last bar.
int BarsToEnd(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    return frame.Return(static_cast<double>(TotalBars(frame)) - frame.Bar());
}

// TOTALBARSCOUNT: the total bar count.
int BarsTotal(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    return frame.Return(TotalBars(frame));
}

// ISLASTBAR: 1 at the last bar of the data, else 0.
int IsLastBar(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    return frame.Return(frame.Bar() == TotalBars(frame) - 1 ? 1.0 : 0.0);
}

// TR: the true range, the largest of HIGH - LOW and the distances of HIGH and LOW
// from the previous close; without a previous close (the first bar, or a close the
// source refuses) just HIGH - LOW.
int TrueRange(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(1)) return frame.Status();
    const int p = frame.Bar();
    double dHigh = INVALID_VALUE;
    double dLow = INVALID_VALUE;
    double dClose = INVALID_VALUE;
    if (!frame.ReadBarField(FIELD_HIGH, p, dHigh) || !frame.ReadBarField(FIELD_LOW, p, dLow) ||
        !frame.ReadBarField(FIELD_CLOSE, static_cast<int64_t>(p) - 1, dClose)) {
        return frame.Status();
    }
    if (IsInvalid(dHigh) || IsInvalid(dLow)) return frame.ReturnInvalid();
    double dRange = std::fabs(dHigh - dLow);
    if (!IsInvalid(dClose)) {
        dRange = std::max({dRange, std::fabs(dHigh - dClose), std::fabs(dLow - dClose)});
    }
    return frame.Return(dRange);
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {CallLimitPrice<1>,  158},  // ZTPRICE
    {CallLimitPrice<-1>, 159},  // DTPRICE
    {NoValue,            160},  // DRAWNULL
    {BarStatus,          161},  // BARSTATUS
    {BarsToEnd,          162},  // CURRBARSCOUNT
    {BarsTotal,          163},  // TOTALBARSCOUNT
    {IsLastBar,          164},  // ISLASTBAR
    {TrueRange,          165},  // TR
};
// clang-format on

}  // namespace

DispatchRows BarStatusFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
