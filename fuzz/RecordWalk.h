// Reads every drawing record the way a painter would, so that a record left
// half-built shows up under the sanitizers. Returns the number of items read.
#pragma once

#include <cstddef>
#include <vector>

#include "QXDrawInfo.h"
#include "fuzz/FuzzCheck.h"

// bTextsFilled: the producer promised that no text item is empty (the formula
// draw stage does; a tool may draw an empty label).
inline size_t WalkRecords(const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos,
                          bool bTextsFilled) {
    size_t nItems = 0;
    for (const QXDrawInfo::GraphDrawInfo& info : vecInfos) {
        nItems += info.drawOrder.size();
        for (const auto& curve : info.curves) {
            for (const auto& segment : curve.items) nItems += segment.points.GetPoint().size();
        }
        for (const auto& rectangle : info.rectangles) nItems += rectangle.items.size();
        for (const auto& ellipse : info.ellipses) {
            for (const auto& points : ellipse.items) nItems += points.GetPoint().size();
        }
        for (const auto& cross : info.crosses) nItems += cross.items.size();
        for (const auto& text : info.texts) {
            for (const auto& item : text.items) {
                if (bTextsFilled) QX_FUZZ_CHECK(!item.text.empty());
                nItems += item.text.size();
            }
        }
        for (const auto& icon : info.icons) nItems += icon.items.size();
    }
    return nItems;
}
