#include "index/calc/PriceCache.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "IIndexDataSource.h"
#include "index/functions/ValueConventions.h"

namespace {

// Data field ids of the kinds, in PriceKind order: CLOSE, OPEN, HIGH, LOW, PRECLOSE.
constexpr int s_arrFieldIds[PRICE_KIND_COUNT] = {4, 2, 1, 3, 15};

}  // namespace

CPriceCache::CPriceCache(int nBarCount) : m_nBarCount(std::max(nBarCount, 0)) {
    const float fEmpty = FloatFromBits(EMPTY_PRICE_BITS);
    for (std::vector<float>& vecPrices : m_vecPrices) {
        vecPrices.assign(static_cast<size_t>(m_nBarCount), fEmpty);
    }
}

int CPriceCache::FieldIdOf(int nKind) {
    return nKind >= 0 && nKind < PRICE_KIND_COUNT ? s_arrFieldIds[nKind] : -1;
}

void CPriceCache::Fill(IIndexDataSource* pSource, int nFirst, int nLast) {
    if (pSource == nullptr || nFirst < 0 || nLast < 0) return;
    if (nFirst > nLast) std::swap(nFirst, nLast);
    nLast = std::min(nLast, m_nBarCount - 1);
    const float fEmpty = FloatFromBits(EMPTY_PRICE_BITS);
    for (int nKind = 0; nKind < PRICE_KIND_COUNT; ++nKind) {
        std::vector<float>& vecPrices = m_vecPrices[nKind];
        for (int nBar = nFirst; nBar <= nLast; ++nBar) {
            double dValue = INVALID_VALUE;
            const bool bAnswered = pSource->GetFieldValue(s_arrFieldIds[nKind], nBar, &dValue);
            vecPrices[static_cast<size_t>(nBar)] =
                bAnswered && !std::isnan(dValue) ? NarrowToFloat(dValue) : fEmpty;
        }
    }
}
