#include "tools/qxindex/FormulaPicture.h"

#include "tools/qxindex/TextEncoding.h"

namespace qxindex {

FormulaPicture PictureOfFormula(const ParsedFormula& formula, IIndexCalculator* pCalculator,
                                int nFrom, int nTo) {
    FormulaPicture picture;
    if (pCalculator == nullptr || nFrom > nTo) return picture;
    double dMin = 0.0, dMax = 0.0;
    if (pCalculator->GetValueRange(nFrom, nTo, nullptr, &dMin, &dMax)) {
        picture.bHasRange = true;
        picture.dMin = dMin;
        picture.dMax = dMax;
    }
    std::vector<QXDrawInfo::GraphDrawInfo> vecRecords;
    if (pCalculator->GetDrawInfo(nFrom, nTo, 0, nullptr, &vecRecords)) {
        picture.vecRecords = vecRecords;
    }
    pCalculator->ReleaseDrawInfo(&vecRecords);
    for (const OutputLine& line : formula.Outputs()) {
        if (line.name.empty() || line.hidden) continue;
        LegendEntry entry;
        entry.name = Utf8ToGbk(line.name);  // the legend speaks the library's code page
        entry.color = line.hasColour ? QXDrawInfo::GetColorByValue(static_cast<int>(line.colour))
                                     : QXDrawInfo::GetDefaultColor();
        picture.vecLegend.push_back(entry);
    }
    return picture;
}

}  // namespace qxindex
