// Zig-zag and turning points: the turning points of a series where it reverses by
// more than a threshold, the zig-zag line through them (ZIG, ZIGA), its peaks and
// troughs (PEAK, TROUGH) and the bars since them (PEAKBARS, TROUGHBARS); and the
// parabolic stop (SAR, SARTURN), which shares only the table position.
//
// The zig-zag functions see the whole calculation range at once: the first request
// of any bar computes every bar of the range into the call's whole-series state,
// and later requests read it. The calculator discards that state before every
// calculation (these calls are flagged volatile), so it never outlives its range.

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>
#include <vector>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

constexpr int FIELD_HIGH = 1;
constexpr int FIELD_OPEN = 2;
constexpr int FIELD_LOW = 3;
constexpr int FIELD_CLOSE = 4;

// ZIG(K, N), PEAK(K, N, M), ...: a state slot, then the arguments.
constexpr int ZIG_STATE = 1;
constexpr int ZIG_K = 2;
constexpr int ZIG_N = 3;
constexpr int ZIG_M = 4;

// A literal K picks a price field: 0 OPEN, 1 HIGH, 2 LOW, 3 CLOSE.
constexpr int s_arrPriceFields[] = {FIELD_OPEN, FIELD_HIGH, FIELD_LOW, FIELD_CLOSE};

// The bars computed at once, absolute indexes, and the analysed values of the first
// unbroken run of valid values (nFirstValid > nLastValid: none).
struct AnalysedRange {
    int nFirst = 0;
    int nLast = -1;
    std::vector<double> vecValues;  // one per bar of the range
    int nFirstValid = 0;
    int nLastValid = -1;

    double At(int nBar) const { return vecValues[static_cast<size_t>(nBar - nFirst)]; }
};

// Reads what K selects over the range. False only for an evaluation error.
bool ReadAnalysedSeries(CFunctionFrame& frame, AnalysedRange& range) {
    int nField = 0;
    const uint32_t nType = frame.ElementType(ZIG_K);
    if (nType == OperandType::Number || nType == OperandType::Parameter) {
        double dK = INVALID_VALUE;
        if (!frame.EvaluateArg(ZIG_K, 0, dK)) return false;
        // Any other value selects nothing: the range stays without values.
        if (IsInvalid(dK) || !(dK > -1 && dK < 4)) return true;
        nField = s_arrPriceFields[static_cast<int>(dK)];
    }
    bool bStarted = false;
    for (int nBar = range.nFirst; nBar <= range.nLast; ++nBar) {
        double dValue = INVALID_VALUE;
        const bool bRead = nField != 0 ? frame.ReadBarField(nField, nBar, dValue)
                                       : frame.EvaluateArgAtBar(ZIG_K, nBar, dValue);
        if (!bRead) return false;
        if (IsInvalid(dValue)) {
            if (bStarted) break;  // only the first unbroken run is analysed
            continue;
        }
        if (!bStarted) range.nFirstValid = nBar;
        bStarted = true;
        range.nLastValid = nBar;
        range.vecValues[static_cast<size_t>(nBar - range.nFirst)] = dValue;
    }
    return true;
}

// Whether element nElement has one value at every bar of the range (within
// VALUE_EPSILON); bSame false for an invalid value. False only for an error.
bool ReadRangeConstant(CFunctionFrame& frame, int nElement, const AnalysedRange& range,
                       double& dValue, bool& bSame) {
    bSame = false;
    if (!frame.EvaluateArgAtBar(nElement, range.nFirst, dValue)) return false;
    if (IsInvalid(dValue)) return true;
    for (int nBar = range.nFirst + 1; nBar <= range.nLast; ++nBar) {
        double dOther = INVALID_VALUE;
        if (!frame.EvaluateArgAtBar(nElement, nBar, dOther)) return false;
        if (IsInvalid(dOther) || !IsEqual(dOther, dValue)) return true;
    }
    bSame = true;
    return true;
}

// The reversal a value must exceed, relative to an anchor: N percent (ZIG and the
// peak and trough functions) or N price units (ZIGA).
struct Threshold {
    bool bPercent;
    double dN;

    bool ExceedsUp(double dValue, double dAnchor) const {
        const double dLevel = bPercent ? dAnchor * (1 + dN / 100) : dAnchor + dN;
        return dValue - dLevel > VALUE_EPSILON;
    }
    bool ExceedsDown(double dValue, double dAnchor) const {
        const double dLevel = bPercent ? dAnchor * (1 - dN / 100) : dAnchor - dN;
        return dLevel - dValue > VALUE_EPSILON;
    }
    bool Exceeds(double dValue, double dAnchor, bool bUp) const {
        return bUp ? ExceedsUp(dValue, dAnchor) : ExceedsDown(dValue, dAnchor);
    }
};

struct TurningPoint {
    int nBar;
    double dValue;
};

// The turning points of the analysed run, first and last valid bar included.
// bFirstRising tells the direction of the first move. False when the series never
// moves beyond the threshold from its first value. With a negative threshold a
// value may exceed both levels; the upward one is tested first.
bool FindTurningPoints(const AnalysedRange& range, const Threshold& threshold,
                       std::vector<TurningPoint>& vecPoints, bool& bFirstRising) {
    const int nFirst = range.nFirstValid;
    const int nLast = range.nLastValid;
    if (nFirst > nLast) return false;
    int nDirection = 0;
    for (int j = nFirst + 1; j <= nLast && nDirection == 0; ++j) {
        if (threshold.ExceedsUp(range.At(j), range.At(nFirst))) {
            nDirection = 1;
        } else if (threshold.ExceedsDown(range.At(j), range.At(nFirst))) {
            nDirection = -1;
        }
    }
    if (nDirection == 0) return false;
    bFirstRising = nDirection > 0;
    vecPoints.push_back({nFirst, range.At(nFirst)});

    int nAnchor = nFirst;
    for (;;) {
        const bool bUp = nDirection > 0;
        int nCandidate = -1;
        for (int j = nAnchor + 1; j <= nLast && nCandidate < 0; ++j) {
            if (threshold.Exceeds(range.At(j), range.At(nAnchor), bUp)) nCandidate = j;
        }
        if (nCandidate < 0) break;
        // The candidate moves on to a more extreme bar until a reversal from it
        // comes first, or nothing more extreme follows.
        for (int j = nCandidate + 1; j <= nLast; ++j) {
            const double dDiff = range.At(j) - range.At(nCandidate);
            if (bUp ? dDiff > VALUE_EPSILON : -dDiff > VALUE_EPSILON) {
                nCandidate = j;
            } else if (threshold.Exceeds(range.At(j), range.At(nCandidate), !bUp)) {
                break;
            }
        }
        vecPoints.push_back({nCandidate, range.At(nCandidate)});
        nDirection = -nDirection;
        nAnchor = nCandidate;
    }
    if (vecPoints.back().nBar < nLast) vecPoints.push_back({nLast, range.At(nLast)});
    return true;
}

// The zig-zag: each turning point keeps its value, the bars between two of them lie
// on the straight line joining them.
void FillZigZag(const std::vector<TurningPoint>& vecPoints, const AnalysedRange& range,
                std::vector<double>& vecResult) {
    for (size_t i = 0; i < vecPoints.size(); ++i) {
        const TurningPoint& from = vecPoints[i];
        vecResult[static_cast<size_t>(from.nBar - range.nFirst)] = from.dValue;
        if (i + 1 == vecPoints.size()) break;
        const TurningPoint& to = vecPoints[i + 1];
        const double dStep = (to.dValue - from.dValue) / (to.nBar - from.nBar);
        for (int j = 1; from.nBar + j < to.nBar; ++j) {
            vecResult[static_cast<size_t>(from.nBar + j - range.nFirst)] = from.dValue + j * dStep;
        }
    }
}

enum class Extremes { PEAK_VALUE, PEAK_BARS, TROUGH_VALUE, TROUGH_BARS };

// Peaks and troughs alternate along the list, so a point's kind follows from the
// first move: when the series first rose, the first point is a trough (even when a
// negative threshold let the second point equal it), the second a peak, and so on.
// Each bar of the analysed run takes the peak (trough) lying m back among those at
// or before it; bars before the m-th one, and every bar outside the analysed run,
// are INVALID_VALUE.
void FillExtremes(Extremes nWhat, int m, bool bFirstRising,
                  const std::vector<TurningPoint>& vecPoints, const AnalysedRange& range,
                  std::vector<double>& vecResult) {
    const bool bPeaks = nWhat == Extremes::PEAK_VALUE || nWhat == Extremes::PEAK_BARS;
    const bool bBars = nWhat == Extremes::PEAK_BARS || nWhat == Extremes::TROUGH_BARS;
    std::vector<TurningPoint> vecChosen;
    for (size_t i = 0; i < vecPoints.size(); ++i) {
        const bool bPeak = (i % 2 == 1) == bFirstRising;
        if (bPeak == bPeaks) vecChosen.push_back(vecPoints[i]);
    }
    if (static_cast<int64_t>(vecChosen.size()) < m) return;
    size_t nSeen = 0;  // chosen points at or before the bar
    for (int nBar = range.nFirstValid; nBar <= range.nLastValid; ++nBar) {
        while (nSeen < vecChosen.size() && vecChosen[nSeen].nBar <= nBar) ++nSeen;
        if (static_cast<int64_t>(nSeen) < m) continue;
        const TurningPoint& point = vecChosen[nSeen - static_cast<size_t>(m)];
        vecResult[static_cast<size_t>(nBar - range.nFirst)] =
            bBars ? nBar - point.nBar : point.dValue;
    }
}

// One whole-series computation: fills vecResult (preset to INVALID_VALUE, one value
// per bar of the range). False only for an evaluation error.
using SeriesRule = bool (*)(CFunctionFrame& frame, AnalysedRange& range,
                            std::vector<double>& vecResult);

template <bool PERCENT>
bool ComputeZigZag(CFunctionFrame& frame, AnalysedRange& range, std::vector<double>& vecResult) {
    double dN = 0.0;
    bool bSame = false;
    if (!ReadAnalysedSeries(frame, range) || !ReadRangeConstant(frame, ZIG_N, range, dN, bSame)) {
        return false;
    }
    std::vector<TurningPoint> vecPoints;
    bool bFirstRising = false;
    if (bSame && FindTurningPoints(range, Threshold{PERCENT, dN}, vecPoints, bFirstRising)) {
        FillZigZag(vecPoints, range, vecResult);
    }
    return true;
}

template <Extremes WHAT>
bool ComputeExtremes(CFunctionFrame& frame, AnalysedRange& range, std::vector<double>& vecResult) {
    double dN = 0.0;
    double dM = 0.0;
    bool bSameN = false;
    bool bSameM = false;
    if (!ReadAnalysedSeries(frame, range) || !ReadRangeConstant(frame, ZIG_N, range, dN, bSameN) ||
        !ReadRangeConstant(frame, ZIG_M, range, dM, bSameM)) {
        return false;
    }
    // m counts back from the latest peak, which is the first: 0 or less names none.
    const int m = ToCount(dM);
    std::vector<TurningPoint> vecPoints;
    bool bFirstRising = false;
    if (bSameN && bSameM && m >= 1 &&
        FindTurningPoints(range, Threshold{true, dN}, vecPoints, bFirstRising)) {
        FillExtremes(WHAT, m, bFirstRising, vecPoints, range, vecResult);
    }
    return true;
}

// The range is the calculation window. A bar outside it (a reference to a bar before
// the window, for one) has no zig-zag: it is INVALID_VALUE, kept in the state so
// that asking again costs nothing. Widening the range to take it in instead would
// move the first turning point and change bars already handed out.
template <int ELEMENTS, SeriesRule RULE>
int WholeSeries(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(ELEMENTS)) return frame.Status();
    double* pState = frame.GetStateBuffer(ZIG_STATE, 0);
    if (pState == nullptr) return frame.Status();
    const int p = frame.Bar();
    if (IsComputed(pState[p])) return frame.Return(pState[p]);

    AnalysedRange range;
    range.nFirst = std::max(frame.Context().nCalcFirst, 0);
    range.nLast = std::min(frame.Context().nCalcLast, frame.Store().GetBarCount() - 1);
    if (p < range.nFirst || p > range.nLast) {
        pState[p] = INVALID_VALUE;
        return frame.ReturnInvalid();
    }
    std::vector<double> vecResult;
    try {
        const size_t nBars = static_cast<size_t>(range.nLast - range.nFirst + 1);
        range.vecValues.assign(nBars, INVALID_VALUE);
        vecResult.assign(nBars, INVALID_VALUE);
        if (!RULE(frame, range, vecResult)) return frame.Status();
    } catch (const std::bad_alloc&) {
        frame.Reject();
        return frame.Status();
    }
    std::copy(vecResult.begin(), vecResult.end(), pState + range.nFirst);
    return frame.Return(pState[p]);
}

// SAR(N, STEP, MAX) and SARTURN: the hidden result series (the stop), the state
// slot (the acceleration factor per bar, signed by the trend), then the arguments.
constexpr int SAR_STOP = 1;
constexpr int SAR_STATE = 2;
constexpr int SAR_N = 3;
constexpr int SAR_STEP = 4;
constexpr int SAR_MAX = 5;

struct PriceExtremes {
    double dHigh = -HUGE_VAL;
    double dLow = HUGE_VAL;

    void Add(double dBarHigh, double dBarLow) {
        dHigh = std::max(dHigh, dBarHigh);
        dLow = std::min(dLow, dBarLow);
    }
};

// Highest HIGH and lowest LOW of the bars nFrom..nTo; bValid false when a field is
// missing there. False only for an error.
bool ReadExtremes(CFunctionFrame& frame, int nFrom, int nTo, PriceExtremes& extremes,
                  bool& bValid) {
    bValid = false;
    for (int nBar = nFrom; nBar <= nTo; ++nBar) {
        double dHigh = INVALID_VALUE;
        double dLow = INVALID_VALUE;
        if (!frame.ReadBarField(FIELD_HIGH, nBar, dHigh) ||
            !frame.ReadBarField(FIELD_LOW, nBar, dLow)) {
            return false;
        }
        if (IsInvalid(dHigh) || IsInvalid(dLow)) return true;
        extremes.Add(dHigh, dLow);
    }
    bValid = true;
    return true;
}

// What one bar of the parabolic stop gives: the stop, the signed factor for the
// state, and the turn signal of SARTURN.
struct StopStep {
    double dStop = INVALID_VALUE;
    double dFactor = INVALID_VALUE;
    double dSignal = INVALID_VALUE;
};

// The first bar of a run: the trend is the sign of Σ(CLOSE - OPEN) over the last n
// bars, the stop the far side of their range.
bool StartStop(CFunctionFrame& frame, int n, double dStep, StopStep& step) {
    const int p = frame.Bar();
    double dBody = 0.0;
    for (int nBar = p - n + 1; nBar <= p; ++nBar) {
        double dOpen = INVALID_VALUE;
        double dClose = INVALID_VALUE;
        if (!frame.ReadBarField(FIELD_OPEN, nBar, dOpen) ||
            !frame.ReadBarField(FIELD_CLOSE, nBar, dClose)) {
            return false;
        }
        if (IsInvalid(dOpen) || IsInvalid(dClose)) return true;
        dBody += dClose - dOpen;
    }
    PriceExtremes window;
    bool bValid = false;
    if (!ReadExtremes(frame, p - n + 1, p, window, bValid)) return false;
    if (!bValid) return true;
    const bool bRising = dBody >= 0;
    step.dStop = bRising ? window.dLow : window.dHigh;
    step.dFactor = bRising ? dStep : -dStep;
    step.dSignal = bRising ? 1 : -1;
    return true;
}

// A later bar. The extreme is that of the n bars ending at p; a new extreme is a
// HIGH (LOW) beyond the extreme of the n bars before p. Only bar p is compared with
// the stop, earlier bars having been compared when they were computed. On a turn
// the stop restarts at the far side of the same n bars ending at p.
bool MoveStop(CFunctionFrame& frame, int n, double dStep, double dMax, double dPrevStop,
              double dPrevFactor, StopStep& step) {
    const int p = frame.Bar();
    PriceExtremes before;  // bars p - n .. p - 1
    PriceExtremes window;  // bars p - n + 1 .. p
    double dHigh = INVALID_VALUE;
    double dLow = INVALID_VALUE;
    for (int nBar = p - n; nBar <= p; ++nBar) {
        if (!frame.ReadBarField(FIELD_HIGH, nBar, dHigh) ||
            !frame.ReadBarField(FIELD_LOW, nBar, dLow)) {
            return false;
        }
        if (IsInvalid(dHigh) || IsInvalid(dLow)) return true;
        if (nBar < p) before.Add(dHigh, dLow);
        if (nBar > p - n) window.Add(dHigh, dLow);
    }
    // dHigh and dLow now hold bar p.
    const bool bRising = dPrevFactor > 0;
    double dFactor = std::fabs(dPrevFactor);
    const double dExtreme = bRising ? window.dHigh : window.dLow;
    const double dStop = dPrevStop + dFactor * (dExtreme - dPrevStop);
    const bool bNewExtreme =
        bRising ? IsGreater(dHigh, before.dHigh) : IsGreater(before.dLow, dLow);
    if (bNewExtreme) dFactor = std::min(dFactor + dStep, dMax);

    const bool bTurns = bRising ? IsGreater(dStop, dLow) : IsGreater(dHigh, dStop);
    if (!bTurns) {
        step.dStop = dStop;
        step.dFactor = bRising ? dFactor : -dFactor;
        step.dSignal = 0;
        return true;
    }
    step.dStop = bRising ? window.dHigh : window.dLow;
    step.dFactor = bRising ? -dStep : dStep;
    step.dSignal = bRising ? -1 : 1;
    return true;
}

// The factor carries the trend in its sign, so a step of 0 or below, which could not
// carry it, is refused along with the limits the arguments must keep.
template <bool TURN_SIGNAL>
int ParabolicStop(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dPrevStop = INVALID_VALUE;
    if (!frame.Enter(6) || !frame.ReadOwnResult(SAR_STOP, 1, dPrevStop)) return frame.Status();
    double* pFactors = frame.GetStateBuffer(SAR_STATE, 0);
    if (pFactors == nullptr) return frame.Status();
    const int p = frame.Bar();

    StopStep step;
    double dN = INVALID_VALUE;
    double dStep = INVALID_VALUE;
    double dMax = INVALID_VALUE;
    if (!frame.EvaluateArg(SAR_N, 0, dN) || !frame.EvaluateArg(SAR_STEP, 0, dStep) ||
        !frame.EvaluateArg(SAR_MAX, 0, dMax)) {
        return frame.Status();
    }
    dStep /= 100;
    dMax /= 100;
    const int n = IsInvalid(dN) ? 0 : ToCount(dN);
    const bool bUsable = !IsInvalid(dStep) && !IsInvalid(dMax) && dStep > 0 && dStep < 1 &&
                         dMax < 1 && dMax >= dStep && n >= 1 && p >= n - 1;
    if (bUsable) {
        const double dPrevFactor = p > 0 ? pFactors[p - 1] : INVALID_VALUE;
        const bool bContinues = p > n - 1 && HasValue(dPrevFactor) && HasValue(dPrevStop);
        const bool bRead = bContinues
                               ? MoveStop(frame, n, dStep, dMax, dPrevStop, dPrevFactor, step)
                               : StartStop(frame, n, dStep, step);
        if (!bRead) return frame.Status();
    }
    pFactors[p] = step.dFactor;
    StoreOwnResult(frame.ElementValue(SAR_STOP), frame.BarOffset(), &frame.Context(), step.dStop);
    return frame.Return(TURN_SIGNAL ? step.dSignal : step.dStop);
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {WholeSeries<5, ComputeExtremes<Extremes::PEAK_VALUE>>,   211},  // PEAK
    {WholeSeries<5, ComputeExtremes<Extremes::PEAK_BARS>>,    212},  // PEAKBARS
    {ParabolicStop<false>,                                    213},  // SAR
    {ParabolicStop<true>,                                     214},  // SARTURN
    {WholeSeries<5, ComputeExtremes<Extremes::TROUGH_VALUE>>, 215},  // TROUGH
    {WholeSeries<5, ComputeExtremes<Extremes::TROUGH_BARS>>,  216},  // TROUGHBARS
    {WholeSeries<4, ComputeZigZag<true>>,                     222},  // ZIG
    {WholeSeries<4, ComputeZigZag<false>>,                    223},  // ZIGA
};
// clang-format on

}  // namespace

DispatchRows ZigZagFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
