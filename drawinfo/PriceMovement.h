// How a bar moved, for the drawing styles that colour a bar by it (candles, volume
// columns, stop-and-reverse circles). The prices come from the calculator's price
// cache, since the formula itself may never read them.
#pragma once

#include "QXDrawInfo.h"

class CPriceCache;

enum class EBarMovement { Rising, Falling, Unchanged };

// The host colours of the three movements; what they look like is the host's.
constexpr int HOST_COLOUR_RISING = 7;
constexpr int HOST_COLOUR_FALLING = 8;
constexpr int HOST_COLOUR_UNCHANGED = 9;

QXDrawInfo::QXColor MovementColour(EBarMovement movement);

// Whether a bar's close lies above the closes before it, looking back past equal
// closes. Asked for bars in increasing order it remembers its last answer, so a long
// flat stretch (a suspended share) is walked once rather than once per bar. A missing
// close ends the look back, as does bar 0: both count as rising.
class CCloseTrend {
public:
    explicit CCloseTrend(const CPriceCache* pCache) : m_pCache(pCache) {}
    bool IsRising(int nBar);

private:
    const CPriceCache* m_pCache;
    int m_nKnownBar = -1;
    bool m_bKnownRising = true;
};

// Volume columns: close above open rises, below falls; a bar that closes where it
// opened takes the trend of its close. Without prices a bar counts as rising.
EBarMovement VolumeMovement(const CPriceCache* pCache, int nBar, CCloseTrend& trend);

// Real-time volume columns: the close against the previous close (the bar's own
// PRECLOSE field, else the close of the bar before), so a session's volume shows how
// the price stands against yesterday. Unknown prices count as unchanged.
EBarMovement RealTimeVolumeMovement(const CPriceCache* pCache, int nBar);

// Stop-and-reverse circles: a stop at or below the bar's low protects a long position
// (rising), one at or above its high a short one (falling); a stop inside the bar, on
// the bar of a reversal, or without prices is unchanged.
EBarMovement StopMovement(const CPriceCache* pCache, int nBar, double dStop);

// Candles walked in increasing bar order over one range. A bar whose open equals its
// close is settled by its close against the previous bar's close; when that is equal
// too (or unknown), it repeats the direction last settled this way in the pass, or,
// at the first bar of the range, the direction of the latest earlier bar that moved.
class CCandleDirection {
public:
    CCandleDirection(const CPriceCache* pCache, int nFirst) : m_pCache(pCache), m_nFirst(nFirst) {}
    bool IsRising(int nBar, double dOpen, double dClose);

private:
    bool LatestMoveBefore(int nBar) const;

    const CPriceCache* m_pCache;
    int m_nFirst;
    bool m_bLastEvenRising = true;
};
