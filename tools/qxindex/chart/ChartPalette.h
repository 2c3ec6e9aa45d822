// The tool's colours: the meaning it gives to the colour ids that records name,
// and the conversion of packed 0xAABBGGRR values into SVG paint.
//
//   id  colour   use
//   0   #303030  default (foreground, the empty colour of markers)
//   1   #1E6FD9  drawing tools' line default
//   2   #E8850C  accent orange
//   3   #8C56C9  accent purple
//   4   #4A6078  drawing tools' text and fill default (fills at 30% opacity)
//   5   #A0A0A0  light grey
//   6   #404040  measuring labels
//   7   #E03C31  rising bars (red)
//   8   #17A34A  falling bars (green)
//   9   #2F6FB5  third column colour (blue)
//   any other id paints as id 0.
//
// Packed values carry their alpha literally: 0xFF is opaque, 0 invisible.
#pragma once

#include <cstdint>
#include <string>

#include "QXDrawInfo.h"

namespace qxindex {

constexpr int kRisingColorId = 7;
constexpr int kFallingColorId = 8;

struct SvgPaint {
    std::string color = "none";  // "#RRGGBB" or "none"
    double opacity = 1.0;        // 0..1

    bool IsNone() const { return color == "none" || opacity <= 0.0; }
};

enum class PaintUse { kLine, kFill, kText };

// The paint of a record colour used for a line, a fill or a text.
SvgPaint ResolveColor(const QXDrawInfo::QXColor& color, PaintUse use);

// The paint of a colour id of the table above.
SvgPaint PaletteColor(int colorId, PaintUse use);

// "#RRGGBB" of a packed colour, ignoring its alpha.
std::string HexColor(uint32_t packed);

}  // namespace qxindex
