// Calculated doubles narrowed to the single-precision values that style codes and
// cached prices are kept in. A style code travels through the calculation as the
// float whose bit pattern is the code, so the bits are what callers compare.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// The nearest float. A finite double beyond the float range becomes an infinity, as
// the hardware conversion gives; written out because the language leaves that case
// undefined.
inline float NarrowToFloat(double dValue) {
    if (std::isfinite(dValue) && std::fabs(dValue) > FLT_MAX) {
        return dValue > 0 ? std::numeric_limits<float>::infinity()
                          : -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(dValue);
}

inline uint32_t FloatBits(float fValue) {
    uint32_t nBits;
    std::memcpy(&nBits, &fValue, sizeof(nBits));
    return nBits;
}

inline float FloatFromBits(uint32_t nBits) {
    float fValue;
    std::memcpy(&fValue, &nBits, sizeof(fValue));
    return fValue;
}
