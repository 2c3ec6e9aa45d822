// The bars a function may look at beyond the one it computes: the end of the data,
// and arguments read at absolute bars.
#pragma once

#include <algorithm>
#include <cstdint>

#include "index/functions/FunctionFrame.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

// The last bar of the data that the store can hold. The total bar count (data source
// operation 1) may run ahead of the bars the store was made for; bars past the store
// can be neither evaluated nor kept, so whole-series work stops at the store's end.
// Below 0 when there is no such bar.
inline int LastDataBar(const CFunctionFrame& frame) {
    return std::min(frame.Context().nAvailable, frame.Store().GetBarCount()) - 1;
}

// Element nElement at an absolute bar. Outside the store the value is INVALID_VALUE
// whatever the argument is: a number literal would otherwise have a value at a bar
// that does not exist. False only for an evaluation error.
inline bool EvaluateInStore(CFunctionFrame& frame, int nElement, int64_t nAtBar, double& dValue) {
    if (nAtBar < 0 || nAtBar >= frame.Store().GetBarCount()) {
        dValue = INVALID_VALUE;
        return true;
    }
    return frame.EvaluateArgAtBar(nElement, nAtBar, dValue);
}
