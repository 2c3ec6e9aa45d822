// Text made safe for an XML document.
#pragma once

#include <string>

namespace qxindex {

// Escapes &, <, >, " and ' and keeps the result well-formed whatever the input:
// bytes that do not form valid UTF-8 become "\xNN" escapes, and control
// characters that XML 1.0 forbids (all below 0x20 except tab, line feed and
// carriage return) become spaces.
std::string EscapeXml(const std::string& utf8);

// The number of characters of valid UTF-8 text (invalid bytes count one each).
size_t CountCharacters(const std::string& utf8);

// Width of a text in pixels at `fontSize`, estimated without fonts: wide
// characters (CJK and beyond) take a full em, everything else 0.6 em.
double EstimateTextWidth(const std::string& utf8, double fontSize);

}  // namespace qxindex
