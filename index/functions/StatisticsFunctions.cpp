// Statistics over the window of the last n bars p - n + 1 .. p: dispersion (STD,
// STDP, VAR, VARP, AVEDEV, DEVSQ), linear regression (SLOPE, FORCAST), two series
// (COVAR, RELATE) and volatility (VOLAT).
//
// The window must be complete (p + 1 >= n) and hold no invalid value; otherwise the
// result is INVALID_VALUE. When it is incomplete X is still evaluated at p, so the
// variables X depends on are computed in the same order as for a complete window.
//
// STD, STDP, VAR, VARP, DEVSQ, VOLAT, COVAR and RELATE keep running sums. AVEDEV
// needs every deviation from the new mean, so it sums its window afresh at every bar
// and its state slot stays unused.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <new>
#include <vector>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/RunningArithmetic.h"
#include "index/functions/ValueConventions.h"

namespace {

// Element positions: a call with a state slot carries it in element 1.
constexpr int STATE_ELEMENT = 1;
constexpr int STATEFUL_X = 2;
constexpr int STATEFUL_N = 3;
constexpr int PAIR_Y = 3;
constexpr int PAIR_N = 4;
constexpr int PLAIN_X = 1;
constexpr int PLAIN_N = 2;

// Reads the period and checks that the window is complete and at least nMinimum
// bars long. False when the body must stop; the result is then written.
bool OpenWindow(CFunctionFrame& frame, int nXElement, int nPeriodElement, int nMinimum, int& n) {
    if (!frame.ReadPeriod(nPeriodElement, n)) return false;
    if (frame.Bar() + 1 >= n && n >= nMinimum) return true;
    double dX = INVALID_VALUE;
    if (frame.EvaluateArg(nXElement, 0, dX)) frame.ReturnInvalid();
    return false;
}

// The n values of the window, oldest first. False when the body must stop: an
// invalid value (result INVALID_VALUE), an evaluation error or exhausted memory.
bool ReadWindow(CFunctionFrame& frame, int nElement, int n, std::vector<double>& vecValues) {
    try {
        vecValues.assign(static_cast<size_t>(n), 0.0);
    } catch (const std::bad_alloc&) {
        return frame.Reject();
    }
    for (int k = 0; k < n; ++k) {
        if (!frame.ReadArg(nElement, vecValues[static_cast<size_t>(n - 1 - k)], k)) return false;
    }
    return true;
}

// Summed about the newest value, so that the mean of a constant window is that
// constant exactly and its deviations are exactly 0.
double MeanOf(const std::vector<double>& vecValues) {
    const double dShift = vecValues.back();
    double dSum = 0.0;
    for (const double dValue : vecValues) dSum += dValue - dShift;
    return dShift + dSum / static_cast<double>(vecValues.size());
}

// Running moments in the state slot: (S, Q, shift, bars since the last fresh sum).
//
// The window is summed afresh, with its newest value as the new shift, at the first
// bar, after any break of the running state, and once n bars have been added since
// the last fresh sum. The last rule bounds both the rounding that the O(1) updates
// accumulate and the distance that prices can wander from the shift, so results
// keep to about 1e-13 of a fresh two-pass sum however many bars are computed (a
// plain running sum of prices drifts past 1e-9 within a million bars). It costs
// one more read of X per bar on average.
//
// False when the body must stop (result INVALID_VALUE or an error); an invalid
// value leaves the state as it was.
bool ReadMoments(CFunctionFrame& frame, int n, WindowMoments& moments) {
    CRunningState state;
    if (!state.Load(frame, STATE_ELEMENT, 4)) return false;
    bool bSame = false;
    if (!frame.TestSamePeriod(STATEFUL_N, n, bSame)) return false;
    moments.n = n;
    if (state.CanContinue(bSame) && state.Previous(3) + 1 < n) {
        double dNew = 0.0;
        double dOld = 0.0;
        if (!frame.ReadArg(STATEFUL_X, dNew) || !frame.ReadArg(STATEFUL_X, dOld, n)) return false;
        const double dShift = state.Previous(2);
        dNew -= dShift;
        dOld -= dShift;
        moments.dSum = AddToWindowSum(state.Previous(0), dNew, dOld);
        moments.dSquares = SlideSquares(state.Previous(1), dNew, dOld);
        state.Store({moments.dSum, moments.dSquares, dShift, state.Previous(3) + 1});
        return true;
    }
    std::vector<double> vecValues;
    if (!ReadWindow(frame, STATEFUL_X, n, vecValues)) return false;
    const double dShift = vecValues.back();
    for (const double dValue : vecValues) {
        moments.dSum = OrderedAdd(moments.dSum, dValue - dShift);
        moments.dSquares = OrderedAdd(moments.dSquares, (dValue - dShift) * (dValue - dShift));
    }
    state.Store({moments.dSum, moments.dSquares, dShift, 0.0});
    return true;
}

template <int MINIMUM_BARS>
bool OpenMoments(CFunctionFrame& frame, WindowMoments& moments) {
    int n = 0;
    return frame.Enter(4) && OpenWindow(frame, STATEFUL_X, STATEFUL_N, MINIMUM_BARS, n) &&
           ReadMoments(frame, n, moments);
}

int Std(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<2>(frame, moments)) return frame.Status();
    return frame.Return(DeviationOf(moments, moments.n - 1));
}

int StdP(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<1>(frame, moments)) return frame.Status();
    return frame.Return(DeviationOf(moments, moments.n));
}

int Var(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<2>(frame, moments)) return frame.Status();
    return frame.Return(moments.DeviationSquares() / (moments.n - 1));
}

int VarP(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<1>(frame, moments)) return frame.Status();
    return frame.Return(moments.DeviationSquares() / moments.n);
}

// Bars of each period kind in a year, per unit of nPeriodLength, counting 250
// trading days of 4 trading hours. Kinds as PERIOD reads them: 0 seconds,
// 1 minutes, 2 hours, 3 days, 4 weeks, 5 months, 6 quarters, 7 years.
// clang-format off
constexpr double s_arrBarsPerYear[] = {
    250.0 * 4 * 3600,  // seconds
    250.0 * 4 * 60,    // minutes
    250.0 * 4,         // hours
    250.0,             // days
    52.0,              // weeks
    12.0,              // months
    4.0,               // quarters
    1.0,               // years
};
// clang-format on

// VOLAT(X, N): the sample standard deviation of X over the window (as STD),
// annualised by the square root of the bars in a year:
//   STD(X, N) × sqrt(s_arrBarsPerYear[nPeriodKind] / max(nPeriodLength, 1)).
// A period kind outside the table has no year to scale to: INVALID_VALUE.
int Volat(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<2>(frame, moments)) return frame.Status();
    const int nKind = frame.Context().nPeriodKind;
    if (nKind < 0 || nKind >= static_cast<int>(std::size(s_arrBarsPerYear))) {
        return frame.ReturnInvalid();
    }
    const double dLength = std::max(frame.Context().nPeriodLength, 1);
    const double dFactor = std::sqrt(s_arrBarsPerYear[nKind] / dLength);
    return frame.Return(DeviationOf(moments, moments.n - 1) * dFactor);
}

// AVEDEV: the mean absolute deviation from the window's mean, summed afresh.
int AverageDeviation(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    std::vector<double> vecValues;
    if (!frame.Enter(4) || !OpenWindow(frame, STATEFUL_X, STATEFUL_N, 1, n) ||
        !ReadWindow(frame, STATEFUL_X, n, vecValues)) {
        return frame.Status();
    }
    const double dMean = MeanOf(vecValues);
    double dTotal = 0.0;
    for (const double dValue : vecValues) dTotal += std::fabs(dValue - dMean);
    return frame.Return(dTotal / n);
}

// DEVSQ: the squared deviations from the window's mean, from the running moments.
int DeviationSquares(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    WindowMoments moments;
    if (!OpenMoments<1>(frame, moments)) return frame.Status();
    return frame.Return(moments.DeviationSquares());
}

// The least-squares line through (t, X) with t = 0 for the oldest bar of the window
// up to n - 1 for the newest. Computed about the means of t and X, which gives the
// same line as the normal equations without their cancellation. A single bar
// (n = 1, where the normal equations divide by zero) is read as a flat line through
// it: slope 0, value X.
struct RegressionLine {
    double dSlope = 0.0;
    double dNewest = 0.0;  // the line's value at the newest bar
};

bool FitLine(CFunctionFrame& frame, RegressionLine& line) {
    int n = 0;
    std::vector<double> vecValues;
    if (!frame.Enter(3) || !OpenWindow(frame, PLAIN_X, PLAIN_N, 1, n) ||
        !ReadWindow(frame, PLAIN_X, n, vecValues)) {
        return false;
    }
    const double dMeanY = MeanOf(vecValues);
    const double dMeanT = (n - 1) / 2.0;
    double dProducts = 0.0;
    double dSquares = 0.0;
    for (int t = 0; t < n; ++t) {
        dProducts += (t - dMeanT) * (vecValues[static_cast<size_t>(t)] - dMeanY);
        dSquares += (t - dMeanT) * (t - dMeanT);
    }
    line.dSlope = dSquares > 0 ? dProducts / dSquares : 0.0;
    line.dNewest = dMeanY + line.dSlope * dMeanT;
    return true;
}

int Slope(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    RegressionLine line;
    if (!FitLine(frame, line)) return frame.Status();
    return frame.Return(line.dSlope);
}

int Forcast(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    RegressionLine line;
    if (!FitLine(frame, line)) return frame.Status();
    return frame.Return(line.dNewest);
}

// Σ dx·dy, Σ dx² and Σ dy² of X and Y about their window means.
struct PairSums {
    double dProducts = 0.0;
    double dSquaresX = 0.0;
    double dSquaresY = 0.0;
    int n = 0;
};

// Running pair sums in the state slot, about a shift per series as the moments are:
// (Sx, Qxx, Sy, Qyy, P = Σ(x - cx)(y - cy), cx, cy, bars since the last fresh sum),
// re-summed afresh on the moments' rule.
bool ReadPairSums(CFunctionFrame& frame, int n, WindowMoments& momentsX, WindowMoments& momentsY,
                  double& dProducts) {
    CRunningState state;
    if (!state.Load(frame, STATE_ELEMENT, 8)) return false;
    bool bSame = false;
    if (!frame.TestSamePeriod(PAIR_N, n, bSame)) return false;
    momentsX.n = momentsY.n = n;
    if (state.CanContinue(bSame) && state.Previous(7) + 1 < n) {
        double dNewX = 0.0, dNewY = 0.0, dOldX = 0.0, dOldY = 0.0;
        if (!frame.ReadArg(STATEFUL_X, dNewX) || !frame.ReadArg(PAIR_Y, dNewY) ||
            !frame.ReadArg(STATEFUL_X, dOldX, n) || !frame.ReadArg(PAIR_Y, dOldY, n)) {
            return false;
        }
        const double dShiftX = state.Previous(5);
        const double dShiftY = state.Previous(6);
        dNewX -= dShiftX;
        dOldX -= dShiftX;
        dNewY -= dShiftY;
        dOldY -= dShiftY;
        momentsX.dSum = state.Previous(0) + dNewX - dOldX;
        momentsX.dSquares = state.Previous(1) + dNewX * dNewX - dOldX * dOldX;
        momentsY.dSum = state.Previous(2) + dNewY - dOldY;
        momentsY.dSquares = state.Previous(3) + dNewY * dNewY - dOldY * dOldY;
        dProducts = state.Previous(4) + dNewX * dNewY - dOldX * dOldY;
        state.Store({momentsX.dSum, momentsX.dSquares, momentsY.dSum, momentsY.dSquares, dProducts,
                     dShiftX, dShiftY, state.Previous(7) + 1});
        return true;
    }
    std::vector<double> vecX;
    std::vector<double> vecY;
    if (!ReadWindow(frame, STATEFUL_X, n, vecX) || !ReadWindow(frame, PAIR_Y, n, vecY)) {
        return false;
    }
    const double dShiftX = vecX.back();
    const double dShiftY = vecY.back();
    dProducts = 0.0;
    for (size_t i = 0; i < vecX.size(); ++i) {
        const double dX = vecX[i] - dShiftX;
        const double dY = vecY[i] - dShiftY;
        momentsX.dSum += dX;
        momentsX.dSquares += dX * dX;
        momentsY.dSum += dY;
        momentsY.dSquares += dY * dY;
        dProducts += dX * dY;
    }
    state.Store({momentsX.dSum, momentsX.dSquares, momentsY.dSum, momentsY.dSquares, dProducts,
                 dShiftX, dShiftY, 0.0});
    return true;
}

// The deviations about the means. A series without deviation (after the moments'
// rounding rule) has none in common with the other either, so a window that turned
// constant covaries by exactly 0.
bool SumPair(CFunctionFrame& frame, int nMinimum, PairSums& sums) {
    WindowMoments momentsX;
    WindowMoments momentsY;
    double dProducts = 0.0;
    if (!frame.Enter(5) || !OpenWindow(frame, STATEFUL_X, PAIR_N, nMinimum, sums.n) ||
        !ReadPairSums(frame, sums.n, momentsX, momentsY, dProducts)) {
        return false;
    }
    sums.dSquaresX = momentsX.DeviationSquares();
    sums.dSquaresY = momentsY.DeviationSquares();
    sums.dProducts = sums.dSquaresX > 0 && sums.dSquaresY > 0
                         ? dProducts - momentsX.dSum * momentsY.dSum / sums.n
                         : 0.0;
    return true;
}

// Like STD and VAR, the sample covariance needs two bars: n = 1 is INVALID_VALUE.
int Covar(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    PairSums sums;
    if (!SumPair(frame, 2, sums)) return frame.Status();
    return frame.Return(sums.dProducts / (sums.n - 1));
}

// A series without any deviation in the window (a constant, or n = 1) correlates
// with nothing: 0, as a division by zero gives in formulas. Rounding may push a
// perfect correlation a hair beyond ±1; it is held to the range.
int Relate(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    PairSums sums;
    if (!SumPair(frame, 1, sums)) return frame.Status();
    const double dDenominator = std::sqrt(sums.dSquaresX) * std::sqrt(sums.dSquaresY);
    if (!(dDenominator > 0)) return frame.Return(0.0);
    return frame.Return(std::min(1.0, std::max(-1.0, sums.dProducts / dDenominator)));
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {AverageDeviation,  180},  // AVEDEV
    {DeviationSquares,  181},  // DEVSQ
    {StdP,              182},  // STDP
    {Var,               183},  // VAR
    {Std,               184},  // STD
    {VarP,              185},  // VARP
    {Forcast,           186},  // FORCAST
    {Slope,             187},  // SLOPE
    {Covar,             188},  // COVAR
    {Relate,            189},  // RELATE
    {Volat,             192},  // VOLAT
};
// clang-format on

}  // namespace

DispatchRows StatisticsFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
