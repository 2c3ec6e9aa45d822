#include "graph/LabelFormat.h"

#include <locale>
#include <sstream>

namespace LabelFormat {

namespace {

constexpr float kLabelFontSize = 12.0f;
constexpr int kLabelStyle = 17;
constexpr int kLabelMode = 0;

}  // namespace

std::string FormatNumber(double value) {
    std::ostringstream stream;
    // The client may have installed a global locale with digit grouping or a
    // decimal comma; labels keep the plain form whatever the process locale.
    stream.imbue(std::locale::classic());
    stream << value;
    return stream.str();
}

QXDrawInfo::TextDrawInfo MakeLabelRecord(const QXDrawInfo::QXColor& color) {
    return QXDrawInfo::GetText(color, kLabelFontSize, kLabelStyle, std::string(), kLabelMode);
}

bool AddLabel(QXDrawInfo::GraphDrawInfoBuilder& builder, int64_t hText,
              const QXDrawInfo::QXPoint& at, const std::string& strText) {
    return builder.AddTextItem(hText, at, strText, 0, QXDrawInfo::QXPoint());
}

}  // namespace LabelFormat
