#include "index/functions/RunningArithmetic.h"

__attribute__((noinline)) double SlideWindowSum(double dSum, double dLeaving, double dEntering) {
    return dSum - dLeaving + dEntering;
}

__attribute__((noinline)) double AddToWindowSum(double dSum, double dEntering, double dLeaving) {
    return dSum + dEntering - dLeaving;
}

__attribute__((noinline)) double BlendExponential(int n, double dPrevious, double dX) {
    return ((n - 1.0) * dPrevious + 2.0 * dX) / (n + 1.0);
}

__attribute__((noinline)) double BlendShare(double dN, double dShare, double dPrevious, double dX) {
    return ((dN - dShare) * dPrevious + dShare * dX) / dN;
}

__attribute__((noinline)) double SlideSquares(double dSquares, double dNew, double dOld) {
    return dSquares + dNew * dNew - dOld * dOld;
}
