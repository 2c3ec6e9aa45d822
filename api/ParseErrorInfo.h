// The parser's error record as the client reads it.
#pragma once

#include <cstdint>

struct ParseErrorInfo {
    int32_t code;      // 0 when there is no error
    int32_t line;      // line feeds before the failing statement (0-based)
    int32_t position;  // offset in the normalised formula text
    int32_t column;    // position counted from the line feed that ends the previous line
    char text[256];    // GBK text, NUL-terminated, at most 255 bytes
};
