// Bar prices kept beside the calculation for the drawing styles that colour a bar
// by its movement (candles, volume columns, stop-and-reverse circles). Those styles
// compare prices of bars that the formula itself may never read, so they are
// fetched as the calculation covers bars rather than at drawing time, when the
// data source may be busy elsewhere.
#pragma once

#include <cstdint>
#include <vector>

#include "index/calc/FloatBits.h"

class IIndexDataSource;

// The cached fields, in the order of the arrays.
enum PriceKind : int {
    PRICE_CLOSE = 0,
    PRICE_OPEN,
    PRICE_HIGH,
    PRICE_LOW,
    PRICE_PRECLOSE,
    PRICE_KIND_COUNT
};

class CPriceCache {
public:
    // Every price starts empty.
    explicit CPriceCache(int nBarCount);
    CPriceCache(const CPriceCache&) = delete;
    CPriceCache& operator=(const CPriceCache&) = delete;

    int GetBarCount() const { return m_nBarCount; }

    // The data field id the source serves a price kind under (-1 for none).
    static int FieldIdOf(int nKind);

    // Asks the source for every kind at bars nFirst..nLast (either order). Nothing
    // is filled when an end is negative; bars at or beyond the bar count are skipped.
    // A refused value, or a NaN (the two reserved patterns among them), leaves the
    // price empty.
    void Fill(IIndexDataSource* pSource, int nFirst, int nLast);

    // The cached price; false for a kind or bar outside the cache or an empty price.
    bool GetPrice(int nKind, int nBar, double* pValue) const {
        if (nKind < 0 || nKind >= PRICE_KIND_COUNT || nBar < 0 || nBar >= m_nBarCount) {
            return false;
        }
        const float fValue = m_vecPrices[nKind][static_cast<size_t>(nBar)];
        if (FloatBits(fValue) == EMPTY_PRICE_BITS) return false;
        if (pValue != nullptr) *pValue = fValue;
        return true;
    }

private:
    // An empty price: all bits set, a NaN no conversion of a real price produces.
    static constexpr uint32_t EMPTY_PRICE_BITS = 0xFFFFFFFFu;

    int m_nBarCount;
    std::vector<float> m_vecPrices[PRICE_KIND_COUNT];
};
