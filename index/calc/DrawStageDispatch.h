// The route from a drawing statement to the producer that turns it into records.
// Some producers draw with the colour of their own output line and thin the bars by
// the caller's step; others always take output 0, or draw every bar.
#pragma once

#include <cstdint>

#include "index/calc/DrawStageContext.h"

struct DrawStageRoute {
    int64_t nId;                    // drawing function id
    DrawStageProducer pfnProducer;  // never null
    bool bPassStatementIndex;       // false: the producer is given statement 0
    bool bPassStep;                 // false: the producer is given step 0
};

// The route of a drawing function id; null for ids that yield no records (RECTREL,
// the fixed-position texts, bitmaps, backgrounds, BUY and SELL).
const DrawStageRoute* FindDrawStageRoute(int64_t nId);
