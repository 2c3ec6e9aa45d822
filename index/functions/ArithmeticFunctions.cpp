// Arithmetic and mathematics: point-wise functions of their arguments at the bar
// being computed, without state. Every argument is read at the bar; an invalid one
// makes the result INVALID_VALUE. Whatever the C library returns for arguments
// outside its domain (an infinity, a NaN) is the result, except where a rule below
// says otherwise.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"
#include "index/functions/ValueConventions.h"

namespace {

// Frames for one, two and three arguments; the rules below are plain functions.
template <double (*RULE)(double)>
int CallUnary(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dX = 0.0;
    if (!frame.Enter(2) || !frame.ReadArg(1, dX)) return frame.Status();
    return frame.Return(RULE(dX));
}

template <double (*RULE)(double, double)>
int CallBinary(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dA = 0.0;
    double dB = 0.0;
    if (!frame.Enter(3) || !frame.ReadArg(1, dA) || !frame.ReadArg(2, dB)) return frame.Status();
    return frame.Return(RULE(dA, dB));
}

template <double (*RULE)(double, double, double)>
int CallTernary(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    double dA = 0.0;
    double dB = 0.0;
    double dC = 0.0;
    if (!frame.Enter(4) || !frame.ReadArg(1, dA) || !frame.ReadArg(2, dB) ||
        !frame.ReadArg(3, dC)) {
        return frame.Status();
    }
    return frame.Return(RULE(dA, dB, dC));
}

// Plain comparisons, no epsilon; on equality the first argument.
double MaxOf(double dA, double dB) {
    return dB > dA ? dB : dA;
}
double MinOf(double dA, double dB) {
    return dB < dA ? dB : dA;
}

// Remainder of the operands rounded half away from zero, with the dividend's sign:
// MOD(7.5, 2) is 8 mod 2, MOD(-7, 3) is -1. A divisor rounding to 0 has no remainder.
double Remainder(double dA, double dB) {
    const int nA = ToCount(RoundHalfAway(dA));
    const int nB = ToCount(RoundHalfAway(dB));
    if (nB == 0) return INVALID_VALUE;
    // The one quotient that overflows 32 bits; its remainder is 0 anyway.
    if (nB == -1) return 0.0;
    return static_cast<double>(nA % nB);
}

// Plain comparison: 1.0000001 is outside the domain, no epsilon widens it.
double ArcCos(double dX) {
    return std::fabs(dX) <= 1.0 ? std::acos(dX) : INVALID_VALUE;
}
double ArcSin(double dX) {
    return std::fabs(dX) <= 1.0 ? std::asin(dX) : INVALID_VALUE;
}
double ArcTan(double dX) {
    return std::atan(dX);
}
double Cosine(double dX) {
    return std::cos(dX);
}
double Sine(double dX) {
    return std::sin(dX);
}
double Tangent(double dX) {
    return std::tan(dX);
}
double Exponential(double dX) {
    return std::exp(dX);
}
double NaturalLog(double dX) {
    return std::log(dX);
}
double CommonLog(double dX) {
    return std::log10(dX);
}
double SquareRoot(double dX) {
    return dX > 0 ? std::sqrt(dX) : 0.0;
}
double Absolute(double dX) {
    return std::fabs(dX);
}
double Power(double dA, double dB) {
    return std::pow(dA, dB);
}
double Ceiling(double dX) {
    return std::ceil(dX);
}
double Floor(double dX) {
    return std::floor(dX);
}

// Truncation after the nudge of ToCount, so 2.99999995 is 3. Done in double rather
// than through a 32-bit integer: the same inside that range, and still right for
// prices, volumes and amounts beyond it.
double IntegerPart(double dX) {
    return std::trunc(dX >= 0 ? dX + VALUE_EPSILON : dX - VALUE_EPSILON);
}

// Keeps the sign: -1.25 gives -0.25.
double FractionPart(double dX) {
    return dX - IntegerPart(dX);
}

// Strictly between, in the order given: with B above C nothing is between.
double IsBetween(double dA, double dB, double dC) {
    return dB < dA && dA < dC ? 1.0 : 0.0;
}

double Round(double dX) {
    return RoundHalfAway(dX);
}

// X rounded to N decimals. The 1e-7 here is the double constant, not VALUE_EPSILON:
// it only lifts products such as 100.99999999999999 over the whole number below.
double RoundTo(double dX, double dDecimals) {
    const int nDecimals = ToCount(dDecimals);
    if (nDecimals < 0) return INVALID_VALUE;
    double dScale = 1.0;
    // Past 10^308 the scale is infinite and stays so; no need to count on.
    for (int i = 0; i < nDecimals && std::isfinite(dScale); ++i) dScale *= 10.0;
    const double dSign = dX < 0 ? -1.0 : 1.0;
    const double dMagnitude = std::fabs(dX) + 5.0 / (10.0 * dScale);
    return dSign * std::floor(dMagnitude * dScale + 1e-7) / dScale;
}

double Sign(double dX) {
    if (IsZero(dX)) return 0.0;
    return dX > 0 ? 1.0 : -1.0;
}

// A whole number 0..N from the C library's generator. The library never seeds it:
// the host owns the generator's sequence.
double RandomUpTo(double dN) {
    if (!(dN >= 1.0)) return INVALID_VALUE;
    const int64_t nRange = static_cast<int64_t>(ToCount(RoundHalfAway(dN))) + 1;
    return static_cast<double>(std::rand() % nRange);
}

// An opaque colour packed as 0xFFBBGGRR, given as a number the way the drawing
// functions receive colours: the packed word read as a signed 32-bit integer, then
// as a single-precision float.
double PackRgb(double dRed, double dGreen, double dBlue) {
    const int arrChannels[] = {ToCount(dRed), ToCount(dGreen), ToCount(dBlue)};
    uint32_t nColour = 0xFF000000u;
    for (int i = 0; i < 3; ++i) {
        if (arrChannels[i] < 0) return INVALID_VALUE;
        const uint32_t nChannel =
            arrChannels[i] > 254 ? 255u : static_cast<uint32_t>(arrChannels[i]);
        nColour |= nChannel << (8 * i);
    }
    return static_cast<double>(static_cast<float>(static_cast<int32_t>(nColour)));
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {CallBinary<MaxOf>,         0},  // MAX
    {CallBinary<MinOf>,         1},  // MIN
    {CallBinary<Remainder>,     2},  // MOD
    {CallUnary<ArcCos>,         3},  // ACOS
    {CallUnary<ArcSin>,         4},  // ASIN
    {CallUnary<ArcTan>,         5},  // ATAN
    {CallUnary<Cosine>,         6},  // COS
    {CallUnary<Sine>,           7},  // SIN
    {CallUnary<Tangent>,        8},  // TAN
    {CallUnary<Exponential>,    9},  // EXP
    {CallUnary<NaturalLog>,    10},  // LN
    {CallUnary<CommonLog>,     11},  // LOG
    {CallUnary<SquareRoot>,    12},  // SQRT
    {CallUnary<Absolute>,      13},  // ABS
    {CallBinary<Power>,        14},  // POW
    {CallUnary<Ceiling>,       15},  // CEILING
    {CallUnary<Floor>,         16},  // FLOOR
    {CallUnary<IntegerPart>,   17},  // INTPART
    {CallTernary<IsBetween>,   18},  // BETWEEN
    {CallUnary<FractionPart>,  19},  // FRACPART
    {CallUnary<Round>,         20},  // ROUND
    {CallBinary<RoundTo>,      21},  // ROUND2
    {CallUnary<Sign>,          22},  // SIGN
    {CallUnary<RandomUpTo>,    23},  // RAND
    {CallTernary<PackRgb>,    499},  // RGB
};
// clang-format on

}  // namespace

DispatchRows ArithmeticFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
