// The arithmetic of the running rules that both evaluation paths apply: the window
// moving on by one bar, and the blends of the recursive averages.
//
// An addition of two NaNs gives one of them, and which one depends on the order in
// which the compiler put the operands, which it may choose differently wherever the
// expression is inlined; both paths must give the same bits, so the additions here
// keep their operands in the written order. (A product with a constant factor, or of
// a value with itself, has only one NaN to give.)
#pragma once

#include <cmath>
#include <limits>

// An addition whose NaN, when both operands are one, is always the left operand's,
// as the processor gives it when the compiler keeps the operands in this order.
inline double OrderedAdd(double dLeft, double dRight) {
#if defined(__x86_64__) && defined(__SSE2__)
    __asm__("addsd %1, %0" : "+x"(dLeft) : "x"(dRight));
    return dLeft;
#else
    volatile double dPinned = dLeft;
    return dPinned + dRight;
#endif
}

// A product, likewise.
inline double OrderedMultiply(double dLeft, double dRight) {
#if defined(__x86_64__) && defined(__SSE2__)
    __asm__("mulsd %1, %0" : "+x"(dLeft) : "x"(dRight));
    return dLeft;
#else
    volatile double dPinned = dLeft;
    return dPinned * dRight;
#endif
}

// dSum - dLeaving + dEntering (MA).
inline double SlideWindowSum(double dSum, double dLeaving, double dEntering) {
    return OrderedAdd(dSum - dLeaving, dEntering);
}
// dSum + dEntering - dLeaving (SUM).
inline double AddToWindowSum(double dSum, double dEntering, double dLeaving) {
    return OrderedAdd(dSum, dEntering) - dLeaving;
}
// ((n - 1) * dPrevious + 2 * dX) / (n + 1) (EMA, EXPMA).
inline double BlendExponential(int n, double dPrevious, double dX) {
    return OrderedAdd((n - 1.0) * dPrevious, 2.0 * dX) / (n + 1.0);
}
// ((dN - dShare) * dPrevious + dShare * dX) / dN (SMA).
inline double BlendShare(double dN, double dShare, double dPrevious, double dX) {
    return OrderedAdd((dN - dShare) * dPrevious, dShare * dX) / dN;
}
// dSquares + dNew² - dOld² (the running squares of STD and its kin).
inline double SlideSquares(double dSquares, double dNew, double dOld) {
    return OrderedAdd(dSquares, dNew * dNew) - dOld * dOld;
}

// Sums of the window about a shift c taken from its values: S = Σ(x - c) and
// Q = Σ(x - c)². Plain sums of values and squares would lose the variance of
// prices to cancellation: around 100 with a deviation of 0.01, Q - S²/n cancels
// eight of Q's sixteen digits. About a shift among the values little cancels, and
// a constant series, equal to its shift, sums to exactly 0.
struct WindowMoments {
    double dSum = 0.0;
    double dSquares = 0.0;
    int n = 0;

    // Σ(x - mean)² = Q - S²/n. A remainder within the rounding of the sums (a few
    // units in the last place of Q per bar summed) is no deviation but the residue
    // of values that left the window; it is 0, so that a window that turned
    // constant has a deviation of exactly 0, and never a negative one.
    double DeviationSquares() const {
        const double dRemainder = dSquares - dSum * dSum / n;
        const double dNoise = 4.0 * (n + 1) * std::numeric_limits<double>::epsilon() * dSquares;
        return dRemainder > dNoise ? dRemainder : 0.0;
    }
};

// The sample (n - 1) or population (n) standard deviation.
inline double DeviationOf(const WindowMoments& moments, int nDivisor) {
    return std::sqrt(moments.DeviationSquares() / nDivisor);
}
