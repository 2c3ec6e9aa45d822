// Texts of the tools' labels and the text record they are attached to. The
// level, pattern and range tools all print numbers the same way, so a label
// reads alike whichever tool drew it.
#pragma once

#include <cstdint>
#include <string>

#include "QXDrawInfo.h"
#include "drawinfo/GraphDrawInfoBuilder.h"

namespace LabelFormat {

// A number as a freshly made output string stream writes it: 6 significant
// digits in the shortest form ("61.8", "16.18", "1e+07").
std::string FormatNumber(double value);

// The label record of the level and pattern tools: the tool's line colour,
// font size 12, style 17, the client's default font, mode 0.
QXDrawInfo::TextDrawInfo MakeLabelRecord(const QXDrawInfo::QXColor& color);

// Attaches a label at a data point, with no flags and no offset. An empty
// text is refused by the builder and simply not shown.
bool AddLabel(QXDrawInfo::GraphDrawInfoBuilder& builder, int64_t hText,
              const QXDrawInfo::QXPoint& at, const std::string& strText);

}  // namespace LabelFormat
