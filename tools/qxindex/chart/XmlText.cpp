#include "tools/qxindex/chart/XmlText.h"

#include <cstdint>
#include <cstdio>

namespace qxindex {
namespace {

// Length of the valid UTF-8 sequence at text[i] and its code point, or 0 when the
// byte does not start one (overlong forms, surrogates and values beyond U+10FFFF
// are invalid).
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t* codePoint) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    size_t length = 0;
    uint32_t value = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    // U+FFFE and U+FFFF are not XML characters either.
    if (value == 0xFFFE || value == 0xFFFF) return 0;
    *codePoint = value;
    return length;
}

}  // namespace

std::string EscapeXml(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size() + 8);
    size_t i = 0;
    while (i < utf8.size()) {
        uint32_t codePoint = 0;
        size_t length = DecodeUtf8(utf8, i, &codePoint);
        if (length == 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", static_cast<unsigned char>(utf8[i]));
            out += escaped;
            ++i;
            continue;
        }
        switch (codePoint) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                if (codePoint < 0x20 && codePoint != '\t' && codePoint != '\n' &&
                    codePoint != '\r') {
                    out += ' ';
                } else {
                    out.append(utf8, i, length);
                }
        }
        i += length;
    }
    return out;
}

size_t CountCharacters(const std::string& utf8) {
    size_t count = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        uint32_t codePoint = 0;
        size_t length = DecodeUtf8(utf8, i, &codePoint);
        i += length == 0 ? 1 : length;
        ++count;
    }
    return count;
}

double EstimateTextWidth(const std::string& utf8, double fontSize) {
    double ems = 0.0;
    size_t i = 0;
    while (i < utf8.size()) {
        uint32_t codePoint = 0;
        size_t length = DecodeUtf8(utf8, i, &codePoint);
        i += length == 0 ? 1 : length;
        ems += codePoint >= 0x1100 ? 1.0 : 0.6;
    }
    return ems * fontSize;
}

}  // namespace qxindex
