#include "drawinfo/PriceMovement.h"

#include "index/calc/PriceCache.h"
#include "index/functions/ValueConventions.h"

using namespace QXDrawInfo;

QXColor MovementColour(EBarMovement movement) {
    switch (movement) {
        case EBarMovement::Rising:
            return GetColorByID(static_cast<COLOR_TYPE>(HOST_COLOUR_RISING));
        case EBarMovement::Falling:
            return GetColorByID(static_cast<COLOR_TYPE>(HOST_COLOUR_FALLING));
        case EBarMovement::Unchanged:
            break;
    }
    return GetColorByID(static_cast<COLOR_TYPE>(HOST_COLOUR_UNCHANGED));
}

bool CCloseTrend::IsRising(int nBar) {
    bool bRising = true;
    double dLater = 0.0;
    if (m_pCache != nullptr && m_pCache->GetPrice(PRICE_CLOSE, nBar, &dLater)) {
        for (int nEarlier = nBar - 1; nEarlier >= 0; --nEarlier) {
            double dEarlier = 0.0;
            if (!m_pCache->GetPrice(PRICE_CLOSE, nEarlier, &dEarlier)) break;
            if (!IsEqual(dLater, dEarlier)) {
                bRising = dLater > dEarlier;
                break;
            }
            // Equal all the way to the bar answered last: its answer holds here too.
            if (nEarlier == m_nKnownBar) {
                bRising = m_bKnownRising;
                break;
            }
            dLater = dEarlier;
        }
    }
    m_nKnownBar = nBar;
    m_bKnownRising = bRising;
    return bRising;
}

EBarMovement VolumeMovement(const CPriceCache* pCache, int nBar, CCloseTrend& trend) {
    double dClose = 0.0;
    double dOpen = 0.0;
    if (pCache == nullptr || !pCache->GetPrice(PRICE_CLOSE, nBar, &dClose) ||
        !pCache->GetPrice(PRICE_OPEN, nBar, &dOpen)) {
        return EBarMovement::Rising;
    }
    if (!IsEqual(dClose, dOpen))
        return dClose > dOpen ? EBarMovement::Rising : EBarMovement::Falling;
    return trend.IsRising(nBar) ? EBarMovement::Rising : EBarMovement::Falling;
}

EBarMovement RealTimeVolumeMovement(const CPriceCache* pCache, int nBar) {
    double dClose = 0.0;
    double dPrevious = 0.0;
    if (pCache == nullptr || !pCache->GetPrice(PRICE_CLOSE, nBar, &dClose)) {
        return EBarMovement::Unchanged;
    }
    if (!pCache->GetPrice(PRICE_PRECLOSE, nBar, &dPrevious) &&
        !pCache->GetPrice(PRICE_CLOSE, nBar - 1, &dPrevious)) {
        return EBarMovement::Unchanged;
    }
    if (IsEqual(dClose, dPrevious)) return EBarMovement::Unchanged;
    return dClose > dPrevious ? EBarMovement::Rising : EBarMovement::Falling;
}

EBarMovement StopMovement(const CPriceCache* pCache, int nBar, double dStop) {
    double dHigh = 0.0;
    double dLow = 0.0;
    if (pCache == nullptr || !pCache->GetPrice(PRICE_HIGH, nBar, &dHigh) ||
        !pCache->GetPrice(PRICE_LOW, nBar, &dLow)) {
        return EBarMovement::Unchanged;
    }
    if (!IsGreater(dStop, dLow)) return EBarMovement::Rising;
    if (!IsGreater(dHigh, dStop)) return EBarMovement::Falling;
    return EBarMovement::Unchanged;
}

bool CCandleDirection::IsRising(int nBar, double dOpen, double dClose) {
    if (!IsEqual(dOpen, dClose)) return dClose > dOpen;
    if (m_pCache == nullptr) return true;
    double dPrevious = 0.0;
    if (m_pCache->GetPrice(PRICE_CLOSE, nBar - 1, &dPrevious) && !IsEqual(dClose, dPrevious)) {
        m_bLastEvenRising = dClose > dPrevious;
    } else if (nBar - 1 < m_nFirst) {
        m_bLastEvenRising = LatestMoveBefore(nBar);
    }
    return m_bLastEvenRising;
}

bool CCandleDirection::LatestMoveBefore(int nBar) const {
    for (int nEarlier = nBar - 1; nEarlier >= 0; --nEarlier) {
        double dClose = 0.0;
        double dOpen = 0.0;
        if (!m_pCache->GetPrice(PRICE_CLOSE, nEarlier, &dClose) ||
            !m_pCache->GetPrice(PRICE_OPEN, nEarlier, &dOpen) || IsEqual(dClose, dOpen)) {
            continue;
        }
        return dClose > dOpen;
    }
    return true;
}
