// What a chart panel shows of a calculated formula: the drawing records of the
// visible bars, their value range for the panel's scale, and the legend.
#pragma once

#include <vector>

#include "IIndexCalculator.h"
#include "tools/qxindex/ParsedFormula.h"
#include "tools/qxindex/chart/ChartSpec.h"

namespace qxindex {

struct FormulaPicture {
    std::vector<QXDrawInfo::GraphDrawInfo> vecRecords;
    std::vector<LegendEntry> vecLegend;
    bool bHasRange = false;
    double dMin = 0.0;
    double dMax = 0.0;
};

// The records of bars from..to of a calculator that has calculated and published
// them. The legend names the formula's visible, named outputs.
FormulaPicture PictureOfFormula(const ParsedFormula& formula, IIndexCalculator* pCalculator,
                                int nFrom, int nTo);

}  // namespace qxindex
