// Logic and conditions: crossings, runs of rising or falling bars, existence and
// persistence of a condition over a window, negation, the two-way choices and
// VALUEWHEN. Conditions answer 1.0 or 0.0.
//
// The crossing and run functions compare plainly, without VALUE_EPSILON: a cross
// is a change of order, however small. Truth of a condition (EXIST, EVERY, NOT,
// IF) is IsTrue: valid and not zero within VALUE_EPSILON.
//
// The run functions (UPNDAY, DOWNNDAY, NDAY, EVERY) keep the length of the run
// ending at the bar in their state slot. A run does not depend on the period, so
// it continues from the bar before even when N changes; only EXIST, whose count
// covers a window of N bars, needs the same period as the bar before.

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

constexpr int ELEMENT_STATE = 1;  // state slot, or VALUEWHEN's hidden result series

double AsCondition(bool bValue) {
    return bValue ? 1.0 : 0.0;
}

// Evaluates elements nA and nB, nBack bars before p. bValid turns false when
// either has no value. False only for an evaluation error.
bool EvaluatePair(CFunctionFrame& frame, int nA, int nB, int64_t nBack, double& dA, double& dB,
                  bool& bValid) {
    if (!frame.EvaluateArg(nA, nBack, dA) || !frame.EvaluateArg(nB, nBack, dB)) return false;
    bValid = !IsInvalid(dA) && !IsInvalid(dB);
    return true;
}

// CROSS(A, B): A moves from below B to above it at p. A that touched B at the bar
// before counts when it came from below the bar before that; no further bars are
// looked at.
int Cross(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.Enter(3)) return frame.Status();
    for (int64_t nBack = 0; nBack <= 2; ++nBack) {
        double dA = 0.0;
        double dB = 0.0;
        bool bValid = false;
        if (!EvaluatePair(frame, 1, 2, nBack, dA, dB, bValid)) return frame.Status();
        if (!bValid) return frame.ReturnInvalid();
        if (nBack == 0) {
            if (dA <= dB) return frame.Return(0.0);
        } else {
            if (dA > dB) return frame.Return(0.0);
            if (dA < dB) return frame.Return(1.0);
        }
    }
    return frame.Return(0.0);  // level with B for two bars before p
}

// LONGCROSS(A, B, N): A crosses above B at p after staying below it for the N bars
// before. Bars where either has no value do not break the stay.
int LongCross(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n)) return frame.Status();
    double dA = 0.0;
    double dB = 0.0;
    bool bValid = false;
    for (int64_t nBack = frame.ClampWindow(n); nBack >= 1; --nBack) {
        if (!EvaluatePair(frame, 1, 2, nBack, dA, dB, bValid)) return frame.Status();
        if (bValid && dA >= dB) return frame.Return(0.0);
    }
    if (!EvaluatePair(frame, 1, 2, 0, dA, dB, bValid)) return frame.Status();
    if (!bValid) return frame.ReturnInvalid();
    return frame.Return(AsCondition(dA > dB));
}

// The step of a run of UPNDAY or DOWNNDAY: from the older value to the newer one.
template <bool RISING>
bool Moves(double dOlder, double dNewer) {
    return RISING ? dOlder < dNewer : dOlder > dNewer;
}

// UPNDAY(X, N) and DOWNNDAY(X, N): X has risen (fallen) at each of the last N
// bars. A rise needs the bar before, so the window is min(n, p): every rise since
// the first bar of the data is enough.
template <bool RISING>
int RunOfMoves(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX1 = 0.0;
    double dX0 = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.ReadArg(2, dX1, 1) ||
        !frame.ReadArg(2, dX0)) {
        return frame.Status();
    }
    CRunningState state;
    if (!state.Load(frame, ELEMENT_STATE)) return frame.Status();
    if (!Moves<RISING>(dX1, dX0)) {
        state.Store(0.0);
        return frame.Return(0.0);
    }
    double dRun = 1.0;
    if (state.CanContinue()) {
        dRun = state.Previous() + 1.0;
    } else {
        // Counted back to the first bar that did not move, or to the first bar of
        // the data, which has nothing before it to move from.
        double dNewer = dX1;
        for (int64_t nBack = 2; nBack <= frame.Bar(); ++nBack) {
            double dOlder = 0.0;
            if (!frame.ReadArg(2, dOlder, nBack)) return frame.Status();
            if (!Moves<RISING>(dOlder, dNewer)) break;
            dRun += 1.0;
            dNewer = dOlder;
        }
    }
    state.Store(dRun);
    return frame.Return(AsCondition(dRun >= std::min(n, frame.Bar())));
}

// NDAY(X, Y, N): X has been above Y at each of the last N bars. Unlike a rise, the
// condition holds at a single bar, so the window is the usual min(n, p + 1) and
// "all bars so far" is reachable from the first bar of the data.
int RunAbove(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    if (!frame.Enter(5) || !frame.ReadPeriod(4, n)) return frame.Status();
    double dX = 0.0;
    double dY = 0.0;
    bool bValid = false;
    if (!EvaluatePair(frame, 2, 3, 0, dX, dY, bValid)) return frame.Status();
    if (!bValid) return frame.ReturnInvalid();
    CRunningState state;
    if (!state.Load(frame, ELEMENT_STATE)) return frame.Status();
    if (!(dX > dY)) {
        state.Store(0.0);
        return frame.Return(0.0);
    }
    double dRun = 1.0;
    if (state.CanContinue()) {
        dRun = state.Previous() + 1.0;
    } else {
        for (int64_t nBack = 1; nBack <= frame.Bar(); ++nBack) {
            if (!EvaluatePair(frame, 2, 3, nBack, dX, dY, bValid)) return frame.Status();
            if (!bValid) return frame.ReturnInvalid();
            if (!(dX > dY)) break;
            dRun += 1.0;
        }
    }
    state.Store(dRun);
    return frame.Return(AsCondition(dRun >= frame.ClampWindow(n)));
}

// EXIST(X, N): X was true at least once in the last N bars. Running state: the
// number of true bars in the window.
int Exist(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    if (n == 1) return frame.Return(AsCondition(IsTrue(dX)));

    const int nWindow = frame.ClampWindow(n);
    CRunningState state;
    bool bSame = false;
    if (!state.Load(frame, ELEMENT_STATE) || !frame.TestSameOrGrowingWindow(3, nWindow, bSame)) {
        return frame.Status();
    }
    double dCount = IsTrue(dX) ? 1.0 : 0.0;
    if (state.CanContinue(bSame)) {
        double dLeaving = 0.0;
        if (!frame.EvaluateLeaving(2, nWindow, dLeaving)) return frame.Status();
        dCount += state.Previous() - (IsTrue(dLeaving) ? 1.0 : 0.0);
    } else {
        for (int nBack = 1; nBack < nWindow; ++nBack) {
            double dValue = 0.0;
            if (!frame.EvaluateArg(2, nBack, dValue)) return frame.Status();
            if (IsTrue(dValue)) dCount += 1.0;
        }
    }
    state.Store(dCount);
    return frame.Return(AsCondition(dCount > 0.5));
}

// EVERY(X, N): X was true at each of the last N bars (clamped to the bars that
// exist), and is exactly 1 at p. Running state: the number of consecutive true
// bars ending at p. A bar without a value ends the run: nothing says the condition
// held there.
int Every(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int n = 0;
    double dX = 0.0;
    if (!frame.Enter(4) || !frame.ReadPeriod(3, n) || !frame.EvaluateArg(2, 0, dX)) {
        return frame.Status();
    }
    CRunningState state;
    if (!state.Load(frame, ELEMENT_STATE)) return frame.Status();
    if (!IsTrue(dX)) {
        state.Store(0.0);
        return frame.Return(0.0);
    }
    double dRun = 1.0;
    if (state.CanContinue()) {
        dRun = state.Previous() + 1.0;
    } else {
        for (int64_t nBack = 1; nBack <= frame.Bar(); ++nBack) {
            double dValue = 0.0;
            if (!frame.EvaluateArg(2, nBack, dValue)) return frame.Status();
            if (!IsTrue(dValue)) break;
            dRun += 1.0;
        }
    }
    state.Store(dRun);
    return frame.Return(AsCondition(IsEqual(dX, 1.0) && dRun >= frame.ClampWindow(n)));
}

// LAST(X, A, B): X was never zero from A bars back to B bars back. Bars without a
// value do not count as zero.
int Last(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    int nOldest = 0;
    int nNewest = 0;
    if (!frame.Enter(4) || !frame.ReadCount(2, nOldest) || !frame.ReadCount(3, nNewest)) {
        return frame.Status();
    }
    if (nOldest < 1 || nNewest < 1) return frame.ReturnInvalid();
    nOldest = frame.ClampWindow(nOldest);
    nNewest = frame.ClampWindow(nNewest);
    if (nNewest > nOldest) return frame.ReturnInvalid();
    for (int nBack = nNewest; nBack <= nOldest; ++nBack) {
        double dValue = 0.0;
        if (!frame.EvaluateArg(1, nBack, dValue)) return frame.Status();
        if (!IsInvalid(dValue) && IsZero(dValue)) return frame.Return(0.0);
    }
    return frame.Return(1.0);
}

// NOT(X): 1 where X is zero.
int Not(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = 0.0;
    if (!frame.Enter(2) || !frame.ReadArg(1, dX)) return frame.Status();
    return frame.Return(AsCondition(IsZero(dX)));
}

// IF(C, A, B) picks A where C is true, IFN(C, A, B) picks B. Both branches are
// evaluated at every bar, whichever is picked: series that only one branch names
// are then computed at every bar, and the running state of functions inside a
// branch never misses a bar. The pick is evaluated once more for the result.
template <bool PICK_FIRST_WHEN_TRUE>
int Choose(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dCondition = 0.0;
    double dFirst = 0.0;
    double dSecond = 0.0;
    if (!frame.Enter(4) || !frame.EvaluateArg(1, 0, dCondition) ||
        !frame.EvaluateArg(2, 0, dFirst) || !frame.EvaluateArg(3, 0, dSecond)) {
        return frame.Status();
    }
    if (IsInvalid(dCondition)) return frame.ReturnInvalid();
    const bool bFirst = IsZero(dCondition) != PICK_FIRST_WHEN_TRUE;
    double dResult = 0.0;
    if (!frame.EvaluateArg(bFirst ? 2 : 3, 0, dResult)) return frame.Status();
    return frame.Return(dResult);
}

// VALUEWHEN(C, X): the value of X at the last bar of the pass where C was true.
int ValueWhen(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dCondition = 0.0;
    double dX = 0.0;
    double dPrev = 0.0;
    // Reading the result at the bar before first also checks the hidden series, so
    // a malformed call fails whatever C holds.
    if (!frame.Enter(4) || !frame.ReadOwnResult(ELEMENT_STATE, 1, dPrev) ||
        !frame.EvaluateArg(2, 0, dCondition) || !frame.EvaluateArg(3, 0, dX)) {
        return frame.Status();
    }
    if (IsInvalid(dCondition)) return frame.ReturnInvalid();
    if (IsTrue(dCondition)) return frame.ReturnOwn(ELEMENT_STATE, dX);
    if (frame.Bar() <= frame.Context().nCalcFirst || !IsComputed(dPrev)) {
        return frame.ReturnOwn(ELEMENT_STATE, INVALID_VALUE);
    }
    return frame.ReturnOwn(ELEMENT_STATE, dPrev);
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {Cross,                40},  // CROSS
    {LongCross,            41},  // LONGCROSS
    {RunOfMoves<true>,     42},  // UPNDAY
    {RunOfMoves<false>,    43},  // DOWNNDAY
    {RunAbove,             44},  // NDAY
    {Exist,                45},  // EXIST
    {Every,                46},  // EVERY
    {Last,                 47},  // LAST
    {Not,                  48},  // NOT
    {Choose<true>,         70},  // IF
    {Choose<false>,        71},  // IFN
    {ValueWhen,            72},  // VALUEWHEN
};
// clang-format on

}  // namespace

DispatchRows LogicFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
