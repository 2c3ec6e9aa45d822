// Where in the formula editor a parse error belongs. The library counts its error
// position in the normalised text, which has a '0' inserted before every sign that
// lacks an operand, and its column differs on the first line; the editor wants the
// line and the character of the text the person typed.
#pragma once

#include <string>

namespace qxindex {

struct EditorPlace {
    int nLine = 0;    // 0-based
    int nColumn = 0;  // 0-based, in UTF-16 code units as a browser counts them
};

// The place of normalised-text position `nPosition` in `utf8Text`, the formula as
// typed. Positions beyond the text land at its end.
EditorPlace PlaceInEditor(const std::string& utf8Text, int nPosition);

}  // namespace qxindex
