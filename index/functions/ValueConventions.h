// The value conventions every calculation shares: the two reserved bit patterns,
// the comparison epsilon and the conversion of a double into a whole count.
//
// Both reserved patterns are NaNs, so they are told apart by their bits only; a
// floating-point comparison would call every NaN unequal, including these.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// No value exists at this bar: high word 0xFFFFFFFE, low word 0xFFFFFFFF.
constexpr uint64_t INVALID_VALUE_BITS = 0xFFFFFFFEFFFFFFFFull;
// A series slot nothing has computed yet: all bits set. Every new buffer holds it.
constexpr uint64_t UNCOMPUTED_VALUE_BITS = 0xFFFFFFFFFFFFFFFFull;

constexpr double INVALID_VALUE = __builtin_bit_cast(double, INVALID_VALUE_BITS);
constexpr double UNCOMPUTED_VALUE = __builtin_bit_cast(double, UNCOMPUTED_VALUE_BITS);

// The single-precision 1e-7 widened (1.0000000116860974e-7), not the double 1e-7:
// results must match those of formulas whose thresholds were tuned against it.
constexpr double VALUE_EPSILON = static_cast<double>(1e-7f);

inline uint64_t ValueBits(double dValue) {
    uint64_t nBits;
    std::memcpy(&nBits, &dValue, sizeof(nBits));
    return nBits;
}

inline bool IsInvalid(double dValue) {
    return ValueBits(dValue) == INVALID_VALUE_BITS;
}

// A slot counts as computed unless both words are all ones; a computed slot may
// hold INVALID_VALUE.
inline bool IsComputed(double dValue) {
    const uint64_t nBits = ValueBits(dValue);
    return (static_cast<uint32_t>(nBits) & static_cast<uint32_t>(nBits >> 32)) != 0xFFFFFFFFu;
}

// Whether a value read back from a buffer the library wrote (a previous result, a
// running sum) is usable: neither reserved pattern.
inline bool HasValue(double dValue) {
    return IsComputed(dValue) && !IsInvalid(dValue);
}

inline bool IsZero(double dValue) {
    return std::fabs(dValue) <= VALUE_EPSILON;
}

inline bool IsGreater(double dLeft, double dRight) {
    return dLeft - dRight > VALUE_EPSILON;
}

inline bool IsEqual(double dLeft, double dRight) {
    return std::fabs(dLeft - dRight) <= VALUE_EPSILON;
}

// A valid value that is not zero: what conditions count as true.
inline bool IsTrue(double dValue) {
    return !IsInvalid(dValue) && !IsZero(dValue);
}

// A whole count from a double: nudged away from zero by VALUE_EPSILON, then
// truncated toward zero, so 2.9999999 counts as 3 and -1.5 as -1.
// Values beyond the 32-bit range saturate instead of wrapping, so a huge period
// stays huge. A NaN (an INVALID_VALUE the caller did not check, or the NaN of a
// failed C library call) gives the most negative count, which every "at least"
// test of a count rejects.
inline int ToCount(double dValue) {
    if (std::isnan(dValue)) return std::numeric_limits<int32_t>::min();
    const double dNudged = dValue >= 0 ? dValue + VALUE_EPSILON : dValue - VALUE_EPSILON;
    if (dNudged >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (dNudged <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int>(dNudged);
}

// Rounds half away from zero, with the same nudge: 2.5 gives 3, -2.5 gives -3.
inline double RoundHalfAway(double dValue) {
    const double dWhole = std::trunc(std::fabs(dValue) + 0.5 + VALUE_EPSILON);
    return dValue < 0 ? -dWhole : dWhole;
}
