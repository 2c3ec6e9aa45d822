#include "tools/qxindex/chart/ChartPalette.h"

#include <cstdio>

namespace qxindex {
namespace {

struct PaletteEntry {
    int id;
    const char* color;
    double fillOpacity;
};

// Id 4 fills the drawing tools' shapes (rectangles, ranges, channels); at full
// strength it would hide the bars under them.
constexpr PaletteEntry kPalette[] = {
    {0, "#303030", 1.0},  //
    {1, "#1E6FD9", 1.0},  //
    {2, "#E8850C", 1.0},  //
    {3, "#8C56C9", 1.0},  //
    {4, "#4A6078", 0.3},  //
    {5, "#A0A0A0", 1.0},  //
    {6, "#404040", 1.0},  //
    {7, "#E03C31", 1.0},  //
    {8, "#17A34A", 1.0},  //
    {9, "#2F6FB5", 1.0},  //
};

static_assert(sizeof(kPalette) / sizeof(kPalette[0]) == 10, "ids 0..9, in order");

}  // namespace

std::string HexColor(uint32_t packed) {
    char text[8];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", packed & 0xFFu, (packed >> 8) & 0xFFu,
                  (packed >> 16) & 0xFFu);
    return text;
}

SvgPaint PaletteColor(int colorId, PaintUse use) {
    const PaletteEntry& entry =
        colorId >= 0 && colorId < static_cast<int>(sizeof(kPalette) / sizeof(kPalette[0]))
            ? kPalette[colorId]
            : kPalette[0];
    return SvgPaint{entry.color, use == PaintUse::kFill ? entry.fillOpacity : 1.0};
}

SvgPaint ResolveColor(const QXDrawInfo::QXColor& color, PaintUse use) {
    if (!color.byValue) return PaletteColor(color.colorId, use);
    uint32_t packed = static_cast<uint32_t>(color.value);
    uint32_t alpha = packed >> 24;
    if (alpha == 0) return SvgPaint{};
    return SvgPaint{HexColor(packed), static_cast<double>(alpha) / 255.0};
}

}  // namespace qxindex
