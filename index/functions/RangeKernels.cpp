#include "index/functions/RangeKernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/RunningArithmetic.h"
#include "index/functions/SlidingExtreme.h"
#include "index/functions/ValueConventions.h"

namespace {

// The window kernels' state slot: previous bar and value, last bar and value, as
// CRunningState keeps them for one running quantity.
struct WindowState {
    double dPreviousBar, dPrevious, dLastBar, dLast;

    void Load(const double* pEntries) {
        dPreviousBar = pEntries[0];
        dPrevious = pEntries[1];
        dLastBar = pEntries[2];
        dLast = pEntries[3];
    }
    void Save(double* pEntries) const {
        pEntries[0] = dPreviousBar;
        pEntries[1] = dPrevious;
        pEntries[2] = dLastBar;
        pEntries[3] = dLast;
    }
    // The shortcut of the bar-by-bar form: the last bar stored is the one just before
    // b and holds a value. Loading for b then makes it the previous bar.
    bool MovesOn(int nBar) const {
        return HasValue(dLastBar) && dLastBar == static_cast<double>(nBar - 1) && HasValue(dLast);
    }
    void MoveOn() {
        dPreviousBar = dLastBar;
        dPrevious = dLast;
    }
    // What loading the state for b does in any case: the last bar becomes the
    // previous one when it is b - 1, and is forgotten when it is b itself.
    void LoadFor(int nBar) {
        if (HasValue(dLastBar) && dLastBar == static_cast<double>(nBar - 1)) {
            MoveOn();
        } else if (HasValue(dLastBar) && dLastBar == static_cast<double>(nBar)) {
            dLastBar = UNCOMPUTED_VALUE;
        }
    }
    void Store(int nBar, double dValue) {
        dLastBar = static_cast<double>(nBar);
        dLast = dValue;
    }
};

// One bar computed by the bar-by-bar function, as the evaluator would reach it.
void ComputeBarByBar(const RangeKernelCall& call, int nBar, int nIndex) {
    EvalContext& context = *call.pContext;
    const int nSavedBar = context.nBar;
    context.nBar = nBar;
    double dValue = INVALID_VALUE;
    const int nStatus =
        EvaluateOperand(&context, OperandType::Node,
                        MakeNodeOperand(const_cast<ExprNode*>(call.pNode)).value, &dValue, 0);
    context.nBar = nSavedBar;
    call.pOut[nIndex] = dValue;
    call.pDone[nIndex] = nStatus == EVAL_OK ? 1 : 0;
}

// Dense calls spend nearly every bar in the window sliding on by one bar; these
// loops do only that, with the state in registers, from a bar whose state moves on
// until a bar where it does not, and return the first bar they did not compute. Any
// other bar goes through the general walk.
struct DenseRun {
    const double* pX;
    double* pOut;
    uint8_t* pDone;
    int nFirst, nLast, nXFirst, n;

    explicit DenseRun(const RangeKernelCall& call)
        : pX(call.pX),
          pOut(call.pOut),
          pDone(call.pDone),
          nFirst(call.nFirst),
          nLast(call.nLast),
          nXFirst(call.nXFirst),
          n(call.n) {}
};

// MA from a bar at least n - 1 into the data whose state moves on. The loop keeps
// only the sum in registers; the bars of the state and the "evaluated" bytes follow
// from how many bars it went through, and are written once at the end.
int SlideAverage(const DenseRun& run, WindowState& state, int nBar) {
    const int nCount = run.nLast - nBar + 1;
    if (nCount < 1) return nBar;
    const double* pEntering = run.pX + (nBar - run.nXFirst);
    const double* pLeaving = pEntering - run.n;
    double* pOut = run.pOut + (nBar - run.nFirst);
    const double dN = run.n;
    double dLast = state.dLast;
    double dPrevious = dLast;
    bool bStored = true;  // the last bar gone through stored its sum
    int k = 0;
    while (k < nCount) {
        const double dX = pEntering[k];
        const double dLeaving = pLeaving[k];
        dPrevious = dLast;
        if (IsInvalid(dX) || IsInvalid(dLeaving)) {
            pOut[k++] = INVALID_VALUE;
            bStored = false;
            break;
        }
        dLast = SlideWindowSum(dLast, dLeaving, dX);
        pOut[k++] = dLast / dN;
        if (!HasValue(dLast)) break;
    }
    std::memset(run.pDone + (nBar - run.nFirst), 1, static_cast<size_t>(k));
    // Bar b's state is (previous: b - 1, last: b), and the state that came in had
    // its last bar at nBar - 1; a bar that stored nothing leaves the last bar as it
    // was and makes it the previous one too.
    const int nLastThrough = nBar + k - 1;
    state.dPreviousBar = static_cast<double>(nLastThrough - 1);
    state.dPrevious = dPrevious;
    state.dLastBar = static_cast<double>(bStored ? nLastThrough : nLastThrough - 1);
    state.dLast = dLast;  // unchanged by a bar that stored nothing
    return nBar + k;
}

// SUM from a bar with a valid x whose state moves on with a finite sum. Over the
// first n bars of the data the window is clamped to the bars that exist; from bar n
// on a bar always leaves it, and the loop keeps only the sum in registers, as
// SlideAverage does. An invalid x leaves the state as it was.
int SlideSum(const DenseRun& run, WindowState& state, int nBar) {
    const int n = run.n;
    for (; nBar <= run.nLast && nBar < n; ++nBar) {
        const double dX = run.pX[nBar - run.nXFirst];
        run.pDone[nBar - run.nFirst] = 1;
        if (IsInvalid(dX)) {
            run.pOut[nBar - run.nFirst] = INVALID_VALUE;
            return nBar + 1;
        }
        state.MoveOn();
        const double dSum = AddToWindowSum(state.dLast, dX, 0.0);
        state.Store(nBar, dSum);
        run.pOut[nBar - run.nFirst] = dSum;
        if (!std::isfinite(dSum)) return nBar + 1;
    }
    const int nCount = run.nLast - nBar + 1;
    if (nCount < 1) return nBar;
    const double* pEntering = run.pX + (nBar - run.nXFirst);
    const double* pLeaving = pEntering - n;
    double* pOut = run.pOut + (nBar - run.nFirst);
    double dLast = state.dLast;
    double dPrevious = dLast;
    int nStored = 0;  // bars that stored their sum
    int k = 0;
    while (k < nCount) {
        const double dX = pEntering[k];
        if (IsInvalid(dX)) {
            pOut[k++] = INVALID_VALUE;
            break;
        }
        const double dLeaving = pLeaving[k];
        dPrevious = dLast;
        dLast = AddToWindowSum(dLast, dX, IsInvalid(dLeaving) ? 0.0 : dLeaving);
        pOut[k++] = dLast;
        ++nStored;
        if (!std::isfinite(dLast)) break;
    }
    std::memset(run.pDone + (nBar - run.nFirst), 1, static_cast<size_t>(k));
    if (nStored > 0) {
        const int nLastStored = nBar + nStored - 1;
        state = {static_cast<double>(nLastStored - 1), dPrevious, static_cast<double>(nLastStored),
                 dLast};
    }
    return nBar + k;
}

// COUNT from a bar whose state moves on; a count always moves on.
int SlideCount(const DenseRun& run, WindowState& state, int nBar) {
    const double* pX = run.pX;
    double* pOut = run.pOut;
    uint8_t* pDone = run.pDone;
    const int nXFirst = run.nXFirst;
    const int nFirst = run.nFirst;
    const int nLast = run.nLast;
    const int n = run.n;
    WindowState s = state;
    for (; nBar <= nLast; ++nBar) {
        const double dX = pX[nBar - nXFirst];
        s.MoveOn();
        const int nWindow = std::min(n, nBar + 1);
        const double dLeaving = nBar - nWindow < 0 ? INVALID_VALUE : pX[nBar - nWindow - nXFirst];
        const double dCount = s.dLast + (IsTrue(dX) ? 1 : 0) - (IsTrue(dLeaving) ? 1 : 0);
        s.Store(nBar, dCount);
        pOut[nBar - nFirst] = dCount;
        pDone[nBar - nFirst] = 1;
        if (!HasValue(dCount)) {
            ++nBar;
            break;
        }
    }
    state = s;
    return nBar;
}

// The walk the window kernels share: BODY gives the result of a bar from the state
// and X, or false where the bar-by-bar function must decide. In a dense call every
// bar is computed and every value of X is at hand, so nothing needs checking.
template <bool DENSE, class BODY, class SLIDE>
void WalkWindow(const RangeKernelCall& call, BODY& body, SLIDE& slide) {
    const DenseRun run(call);
    WindowState state;
    state.Load(call.pEntries);
    for (int nBar = call.nFirst; nBar <= call.nLast;) {
        const int i = nBar - call.nFirst;
        const int nX = nBar - call.nXFirst;
        if (DENSE) {
            const int nNext = slide(run, state, nBar);
            if (nNext > nBar) {
                nBar = nNext;
                continue;
            }
        } else {
            if (!call.pActive[i]) {
                ++nBar;
                continue;
            }
            if (!call.pXDone[nX]) {
                call.pDone[i] = 0;
                ++nBar;
                continue;
            }
        }
        call.pDone[i] = 1;
        if (!body(state, nBar, i, nX)) {
            state.Save(call.pEntries);
            ComputeBarByBar(call, nBar, i);
            state.Load(call.pEntries);
        }
        ++nBar;
    }
    state.Save(call.pEntries);
}

// SLIDE(run, state, bar) takes over a dense call at a bar where it can and returns
// the first bar it left; returning the bar itself declines it.
template <class BODY, class SLIDE>
void RunWindow(const RangeKernelCall& call, BODY body, SLIDE slide) {
    if (call.bDense) {
        WalkWindow<true>(call, body, slide);
    } else {
        WalkWindow<false>(call, body, slide);
    }
}

template <class BODY>
void RunWindow(const RangeKernelCall& call, BODY body) {
    auto none = [](const DenseRun&, WindowState&, int nBar) { return nBar; };
    RunWindow(call, body, none);
}

void SimpleAverage(const RangeKernelCall& call) {
    const int n = call.n;
    RunWindow(
        call,
        [&](WindowState& state, int nBar, int i, int nX) {
            const double dX = call.pX[nX];
            if (n == 1) {
                call.pOut[i] = dX;
                return true;
            }
            if (nBar + 1 < n) {
                call.pOut[i] = INVALID_VALUE;
                return true;
            }
            if (!state.MovesOn(nBar)) return false;
            state.MoveOn();
            if (!call.bDense && !call.pXDone[nX - n]) {
                call.pDone[i] = 0;
                return true;
            }
            const double dLeaving = call.pX[nX - n];
            if (IsInvalid(dX) || IsInvalid(dLeaving)) {
                call.pOut[i] = INVALID_VALUE;
                return true;
            }
            const double dSum = SlideWindowSum(state.dPrevious, dLeaving, dX);
            state.Store(nBar, dSum);
            call.pOut[i] = dSum / n;
            return true;
        },
        [n](const DenseRun& run, WindowState& state, int nBar) {
            return n > 1 && nBar + 1 >= n && state.MovesOn(nBar) ? SlideAverage(run, state, nBar)
                                                                 : nBar;
        });
}

// The bar leaving a window clamped to the bars that exist: none before the data.
// False when reading it failed.
bool ReadLeaving(const RangeKernelCall& call, int nBar, int nX, int nWindow, double& dLeaving) {
    dLeaving = INVALID_VALUE;
    if (nBar - nWindow < 0) return true;
    if (!call.bDense && !call.pXDone[nX - nWindow]) return false;
    dLeaving = call.pX[nX - nWindow];
    return true;
}

void WindowSum(const RangeKernelCall& call) {
    const int n = call.n;
    RunWindow(
        call,
        [&](WindowState& state, int nBar, int i, int nX) {
            const double dX = call.pX[nX];
            if (IsInvalid(dX) || n == 1) {
                call.pOut[i] = dX;
                return true;
            }
            if (!state.MovesOn(nBar) || !std::isfinite(state.dLast)) return false;
            state.MoveOn();
            double dLeaving = INVALID_VALUE;
            if (!ReadLeaving(call, nBar, nX, std::min(n, nBar + 1), dLeaving)) {
                call.pDone[i] = 0;
                return true;
            }
            const double dSum =
                AddToWindowSum(state.dPrevious, dX, IsInvalid(dLeaving) ? 0.0 : dLeaving);
            state.Store(nBar, dSum);
            call.pOut[i] = dSum;
            return true;
        },
        [n](const DenseRun& run, WindowState& state, int nBar) {
            return n > 1 && state.MovesOn(nBar) && std::isfinite(state.dLast)
                       ? SlideSum(run, state, nBar)
                       : nBar;
        });
}

void WindowCount(const RangeKernelCall& call) {
    const int n = call.n;
    RunWindow(
        call,
        [&](WindowState& state, int nBar, int i, int nX) {
            const double dX = call.pX[nX];
            if (n == 1) {
                call.pOut[i] = IsTrue(dX) ? 1.0 : 0.0;
                return true;
            }
            if (!state.MovesOn(nBar)) return false;
            state.MoveOn();
            double dLeaving = INVALID_VALUE;
            if (!ReadLeaving(call, nBar, nX, std::min(n, nBar + 1), dLeaving)) {
                call.pDone[i] = 0;
                return true;
            }
            const double dCount =
                state.dPrevious + (IsTrue(dX) ? 1 : 0) - (IsTrue(dLeaving) ? 1 : 0);
            state.Store(nBar, dCount);
            call.pOut[i] = dCount;
            return true;
        },
        [n](const DenseRun& run, WindowState& state, int nBar) {
            return n > 1 && state.MovesOn(nBar) ? SlideCount(run, state, nBar) : nBar;
        });
}

// HHV, LLV and their BARS forms. The running state is the bar of the extreme; it
// moves on when x ties or beats the extreme, or when the extreme is not the bar
// leaving the window. Everywhere else (the first n bars, a NaN at the stored bar, the
// extreme leaving) the bar-by-bar function asks its sliding candidates or scans.
// The candidates see every bar either way: the kernel moves them on as that
// function does.
//
// One bar of an extreme kernel; false where the bar-by-bar function must decide.
template <bool LOWEST, bool BARS>
bool ExtremeBar(const RangeKernelCall& call, CSlidingExtreme& candidates, WindowState& state,
                int nBar, int i, int nX) {
    const int n = call.n;
    const double dX = call.pX[nX];
    if (n == 1) {
        call.pOut[i] = IsInvalid(dX) ? INVALID_VALUE : (BARS ? 0.0 : dX);
        return true;
    }
    const int nWindow = std::min(n, nBar + 1);
    int nExtremeBar = -1;
    double dExtreme = INVALID_VALUE;
    // The state as loading it for this bar leaves it: the last bar when it is the
    // one before, else the previous one (a bar computed again finds it there).
    const bool bLastBefore = state.MovesOn(nBar);
    const double dKeptBar = bLastBefore ? state.dLastBar : state.dPreviousBar;
    const double dStoredBar = bLastBefore ? state.dLast : state.dPrevious;
    const bool bContinues = nBar >= n && HasValue(dKeptBar) &&
                            dKeptBar == static_cast<double>(nBar - 1) && HasValue(dStoredBar);
    if (bContinues && dStoredBar >= nBar - n && dStoredBar < nBar) {
        const int m = static_cast<int>(dStoredBar);
        const int nY = m - call.nXFirst;
        if (!call.pXDone[nY]) return false;
        const double dY = call.pX[nY];
        if (!std::isnan(dY)) {
            const bool bBeaten = LOWEST ? IsGreater(dX, dY) : IsGreater(dY, dX);
            if (!std::isnan(dX) && !bBeaten) {
                nExtremeBar = nBar;
                dExtreme = dX;
            } else if (m != nBar - n) {
                nExtremeBar = m;
                dExtreme = dY;
            }
        }
    }
    // Moving the candidates on twice for one bar changes nothing, so a bar that
    // only a scan can settle still goes to the bar-by-bar function from here.
    const bool bReady = candidates.Advance(nBar, nWindow);
    if (nExtremeBar < 0 && !(bReady && candidates.Answer(nBar, dX, nExtremeBar, dExtreme))) {
        return false;
    }
    state.LoadFor(nBar);
    candidates.SetPending(nBar, dX);
    state.Store(nBar, nExtremeBar < 0 ? INVALID_VALUE : static_cast<double>(nExtremeBar));
    call.pOut[i] = nExtremeBar < 0 ? INVALID_VALUE
                                   : (BARS ? static_cast<double>(nBar - nExtremeBar) : dExtreme);
    return true;
}

template <bool LOWEST, bool BARS>
void Extreme(const RangeKernelCall& call) {
    // One object for the whole call, so that the candidates' header is read once; it
    // is written back before a bar goes to the bar-by-bar function, which then works
    // on the workspace itself, and read again by the next step.
    CSlidingExtreme candidates(call.pWorkspace, call.pNode, LOWEST);
    RunWindow(call, [&](WindowState& state, int nBar, int i, int nX) {
        if (!ExtremeBar<LOWEST, BARS>(call, candidates, state, nBar, i, nX)) {
            candidates.Save();
            return false;
        }
        return true;
    });
}

// The result of a window of moments.
template <bool DEVIATION, bool SAMPLE>
double MomentsResult(const WindowMoments& moments) {
    const int nDivisor = SAMPLE ? moments.n - 1 : moments.n;
    return DEVIATION ? DeviationOf(moments, nDivisor) : moments.DeviationSquares() / nDivisor;
}

// The fresh sums of the bar-by-bar function: the whole window, oldest first, about
// its newest value, which restarts the count of bars moved on. False, with nothing
// changed, where a value of the window could not be evaluated.
template <bool DEVIATION, bool SAMPLE>
bool SumMomentsAfresh(const RangeKernelCall& call, int nBar, int i, int nX) {
    const int n = call.n;
    for (int k = 0; k < n; ++k) {
        if (!call.pXDone[nX - k]) return false;
    }
    double* pEntries = call.pEntries;
    double* pLast = pEntries + 5;
    if (HasValue(pLast[0]) && pLast[0] == static_cast<double>(nBar - 1)) {
        std::copy(pLast, pLast + 5, pEntries);
    } else if (HasValue(pLast[0]) && pLast[0] == static_cast<double>(nBar)) {
        pLast[0] = UNCOMPUTED_VALUE;
    }
    for (int k = 0; k < n; ++k) {
        if (IsInvalid(call.pX[nX - k])) {
            call.pOut[i] = INVALID_VALUE;
            return true;
        }
    }
    const double dShift = call.pX[nX];
    WindowMoments moments;
    moments.n = n;
    for (int nAt = nX - n + 1; nAt <= nX; ++nAt) {
        const double dDeviation = call.pX[nAt] - dShift;
        moments.dSum = OrderedAdd(moments.dSum, dDeviation);
        moments.dSquares = OrderedAdd(moments.dSquares, dDeviation * dDeviation);
    }
    pLast[0] = static_cast<double>(nBar);
    pLast[1] = moments.dSum;
    pLast[2] = moments.dSquares;
    pLast[3] = dShift;
    pLast[4] = 0.0;
    call.pOut[i] = MomentsResult<DEVIATION, SAMPLE>(moments);
    return true;
}

// A dense call of the moments from a bar whose sums move on: the entries in
// registers, moved on bar after bar until a bar where they do not (the count of bars
// moved on reaches n, an invalid value, sums that lost their value). Returns the
// first bar it did not compute.
template <bool DEVIATION, bool SAMPLE>
int SlideMoments(const RangeKernelCall& call, int nBar) {
    double* pEntries = call.pEntries;
    const double* pX = call.pX;
    double* pOut = call.pOut;
    uint8_t* pDone = call.pDone;
    const int nXFirst = call.nXFirst;
    const int nFirst = call.nFirst;
    const int nLast = call.nLast;
    const int n = call.n;
    // The previous entry, then the last: bar, S, Q, shift, count.
    double arrPrevious[5];
    std::copy(pEntries, pEntries + 5, arrPrevious);
    double dLastBar = pEntries[5], dSum = pEntries[6], dSquares = pEntries[7];
    const double dShift = pEntries[8];
    double dCount = pEntries[9];
    if (nBar < n || !HasValue(dLastBar) || dLastBar != static_cast<double>(nBar - 1) ||
        !HasValue(dSum) || !HasValue(dSquares) || !HasValue(dShift) || !HasValue(dCount)) {
        return nBar;
    }
    for (; nBar <= nLast && dCount + 1 < n; ++nBar) {
        arrPrevious[0] = dLastBar;
        arrPrevious[1] = dSum;
        arrPrevious[2] = dSquares;
        arrPrevious[3] = dShift;
        arrPrevious[4] = dCount;
        const double dX = pX[nBar - nXFirst];
        const double dOldValue = pX[nBar - n - nXFirst];
        pDone[nBar - nFirst] = 1;
        if (IsInvalid(dX) || IsInvalid(dOldValue)) {
            pOut[nBar++ - nFirst] = INVALID_VALUE;
            break;
        }
        const double dNew = dX - dShift;
        const double dOld = dOldValue - dShift;
        WindowMoments moments;
        moments.n = n;
        moments.dSum = AddToWindowSum(dSum, dNew, dOld);
        moments.dSquares = SlideSquares(dSquares, dNew, dOld);
        dLastBar = nBar;
        dSum = moments.dSum;
        dSquares = moments.dSquares;
        dCount = dCount + 1;
        pOut[nBar - nFirst] = MomentsResult<DEVIATION, SAMPLE>(moments);
        if (!HasValue(dSum) || !HasValue(dSquares)) {
            ++nBar;
            break;
        }
    }
    std::copy(arrPrevious, arrPrevious + 5, pEntries);
    pEntries[5] = dLastBar;
    pEntries[6] = dSum;
    pEntries[7] = dSquares;
    pEntries[8] = dShift;
    pEntries[9] = dCount;
    return nBar;
}

// STD, STDP, VAR, VARP: running sums about a shift (S, Q, shift, bars since the last
// fresh sum), moved on by one bar until n bars have been added; the fresh sums are
// the bar-by-bar function's.
template <int MINIMUM, bool DEVIATION, bool SAMPLE>
void Moments(const RangeKernelCall& call) {
    const int n = call.n;
    double* pEntries = call.pEntries;
    for (int nBar = call.nFirst; nBar <= call.nLast; ++nBar) {
        if (call.bDense && n >= MINIMUM) {
            const int nNext = SlideMoments<DEVIATION, SAMPLE>(call, nBar);
            if (nNext > nBar) {
                nBar = nNext - 1;
                continue;
            }
        }
        const int i = nBar - call.nFirst;
        if (!call.pActive[i]) continue;
        const int nX = nBar - call.nXFirst;
        call.pDone[i] = call.pXDone[nX];
        if (!call.pDone[i]) continue;
        const double dX = call.pX[nX];
        if (nBar + 1 < n || n < MINIMUM) {
            call.pOut[i] = INVALID_VALUE;
            continue;
        }
        // The previous entry, then the last: bar, S, Q, shift, count.
        double* pLast = pEntries + 5;
        const bool bMovesOn = nBar >= n && HasValue(pLast[0]) &&
                              pLast[0] == static_cast<double>(nBar - 1) && HasValue(pLast[1]) &&
                              HasValue(pLast[2]) && HasValue(pLast[3]) && HasValue(pLast[4]) &&
                              pLast[4] + 1 < n && call.pXDone[nX - n];
        if (!bMovesOn) {
            // Afresh where the bar-by-bar function sums afresh too; a bar whose state
            // moves on from its previous entry (a bar computed again) goes to it.
            const double* pKept =
                HasValue(pLast[0]) && pLast[0] == static_cast<double>(nBar - 1) ? pLast : pEntries;
            const bool bContinues = nBar >= n && HasValue(pKept[0]) &&
                                    pKept[0] == static_cast<double>(nBar - 1) &&
                                    HasValue(pKept[1]) && HasValue(pKept[2]) &&
                                    HasValue(pKept[3]) && HasValue(pKept[4]) && pKept[4] + 1 < n;
            if (bContinues || !SumMomentsAfresh<DEVIATION, SAMPLE>(call, nBar, i, nX)) {
                ComputeBarByBar(call, nBar, i);
            }
            continue;
        }
        std::copy(pLast, pLast + 5, pEntries);
        const double dOldValue = call.pX[nX - n];
        if (IsInvalid(dX) || IsInvalid(dOldValue)) {
            call.pOut[i] = INVALID_VALUE;
            continue;
        }
        const double dShift = pEntries[3];
        const double dNew = dX - dShift;
        const double dOld = dOldValue - dShift;
        WindowMoments moments;
        moments.n = n;
        moments.dSum = AddToWindowSum(pEntries[1], dNew, dOld);
        moments.dSquares = SlideSquares(pEntries[2], dNew, dOld);
        pLast[0] = static_cast<double>(nBar);
        pLast[1] = moments.dSum;
        pLast[2] = moments.dSquares;
        pLast[3] = dShift;
        pLast[4] = pEntries[4] + 1;
        call.pOut[i] = MomentsResult<DEVIATION, SAMPLE>(moments);
    }
}

// A dense call of a blending average. The result stored at the bar before is, in
// nearly every bar, the one this loop has just computed: it is carried in a register
// rather than read back from the store, so that the recursion waits on the
// arithmetic alone and not on a store and a load of each result. The value is the
// same either way; where the loop did not store the bar before (an invalid X that
// EXPMA leaves unstored), it reads the store as the bar-by-bar form does.
template <class RULE>
void BlendDense(const RangeKernelCall& call, bool bStoreInvalid, RULE rule) {
    const int nCalcFirst = call.pContext->nCalcFirst;
    const int nFirst = call.nFirst;
    const int nCount = call.nLast - call.nFirst + 1;
    const double* pX = call.pX + (call.nFirst - call.nXFirst);
    double* pOwn = call.pOwn;
    double* pOut = call.pOut;
    std::fill(call.pDone, call.pDone + nCount, 1);
    bool bCarried = false;
    double dCarried = 0.0;
    for (int i = 0; i < nCount; ++i) {
        const int nBar = nFirst + i;
        const double dX = pX[i];
        double dResult = dX;
        if (IsInvalid(dX)) {
            bCarried = bStoreInvalid;
            if (bStoreInvalid) pOwn[nBar] = INVALID_VALUE;
            dCarried = INVALID_VALUE;
        } else {
            if (nBar > nCalcFirst) {
                double dPrevious = bCarried ? dCarried : pOwn[nBar - 1];
                if (!HasValue(dPrevious)) dPrevious = dX;
                dResult = rule(dPrevious, dX);
            }
            pOwn[nBar] = dResult;
            bCarried = true;
            dCarried = dResult;
        }
        pOut[i] = dResult;
    }
}

// The blending averages: RULE(previous result, x), restarting from x at the first
// bar of the pass and wherever the result at the bar before was never stored.
template <class RULE>
void Blend(const RangeKernelCall& call, bool bStoreInvalid, RULE rule) {
    if (call.bDense) {
        BlendDense(call, bStoreInvalid, rule);
        return;
    }
    const int nCalcFirst = call.pContext->nCalcFirst;
    double* pOwn = call.pOwn;
    for (int nBar = call.nFirst; nBar <= call.nLast; ++nBar) {
        const int i = nBar - call.nFirst;
        const int nX = nBar - call.nXFirst;
        if (!call.pActive[i]) continue;
        if (!call.pXDone[nX]) {
            call.pDone[i] = 0;
            continue;
        }
        call.pDone[i] = 1;
        const double dX = call.pX[nX];
        double dResult = dX;
        if (IsInvalid(dX)) {
            if (bStoreInvalid) pOwn[nBar] = INVALID_VALUE;
        } else if (nBar <= nCalcFirst) {
            pOwn[nBar] = dX;
        } else {
            double dPrevious = pOwn[nBar - 1];
            if (!HasValue(dPrevious)) dPrevious = dX;
            dResult = rule(dPrevious, dX);
            pOwn[nBar] = dResult;
        }
        call.pOut[i] = dResult;
    }
}

}  // namespace

bool KernelReadsBack(RangeKernel kernel) {
    return KernelUsesStateSlot(kernel);
}

bool KernelUsesStateSlot(RangeKernel kernel) {
    switch (kernel) {
        case RangeKernel::None:
        case RangeKernel::Exponential:
        case RangeKernel::ExponentialLoose:
        case RangeKernel::Share:
            return false;
        default:
            return true;
    }
}

int KernelEntryLength(RangeKernel kernel) {
    switch (kernel) {
        case RangeKernel::SampleDeviation:
        case RangeKernel::PopulationDeviation:
        case RangeKernel::SampleVariance:
        case RangeKernel::PopulationVariance:
            return 5;
        default:
            return 2;
    }
}

RangeKernel FindRangeKernel(int64_t nFunctionId) {
    switch (nFunctionId) {
        case 140:
            return RangeKernel::SimpleAverage;  // MA
        case 141:
            return RangeKernel::Share;  // SMA
        case 144:
            return RangeKernel::Exponential;  // EMA
        case 145:
            return RangeKernel::ExponentialLoose;  // EXPMA
        case 132:
            return RangeKernel::WindowSum;  // SUM
        case 117:
            return RangeKernel::WindowCount;  // COUNT
        case 119:
            return RangeKernel::Highest;  // HHV
        case 120:
            return RangeKernel::HighestBars;  // HHVBARS
        case 122:
            return RangeKernel::Lowest;  // LLV
        case 123:
            return RangeKernel::LowestBars;  // LLVBARS
        case 184:
            return RangeKernel::SampleDeviation;  // STD
        case 182:
            return RangeKernel::PopulationDeviation;  // STDP
        case 183:
            return RangeKernel::SampleVariance;  // VAR
        case 185:
            return RangeKernel::PopulationVariance;  // VARP
        default:
            return RangeKernel::None;
    }
}

void RunRangeKernel(const RangeKernelCall& call) {
    const int n = call.n;
    switch (call.kernel) {
        case RangeKernel::SimpleAverage:
            return SimpleAverage(call);
        case RangeKernel::WindowSum:
            return WindowSum(call);
        case RangeKernel::WindowCount:
            return WindowCount(call);
        case RangeKernel::Highest:
            return Extreme<false, false>(call);
        case RangeKernel::HighestBars:
            return Extreme<false, true>(call);
        case RangeKernel::Lowest:
            return Extreme<true, false>(call);
        case RangeKernel::LowestBars:
            return Extreme<true, true>(call);
        case RangeKernel::SampleDeviation:
            return Moments<2, true, true>(call);
        case RangeKernel::PopulationDeviation:
            return Moments<1, true, false>(call);
        case RangeKernel::SampleVariance:
            return Moments<2, false, true>(call);
        case RangeKernel::PopulationVariance:
            return Moments<1, false, false>(call);
        case RangeKernel::Exponential:
        case RangeKernel::ExponentialLoose:
            return Blend(call, call.kernel == RangeKernel::Exponential,
                         [n](double dPrev, double dX) { return BlendExponential(n, dPrev, dX); });
        case RangeKernel::Share: {
            const double dN = n;
            const double dShare = call.dShare;
            return Blend(call, true, [dN, dShare](double dPrev, double dX) {
                return BlendShare(dN, dShare, dPrev, dX);
            });
        }
        case RangeKernel::None:
            return;
    }
}
