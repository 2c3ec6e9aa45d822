// Formula text is case-insensitive. Only ASCII letters change case: bytes of
// 0x80 and above belong to double-byte characters and must stay as they are,
// whatever locale the host process has set.
#pragma once

#include <string>

inline char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline void LowerAsciiInPlace(std::string& strText) {
    for (char& c : strText) c = ToLowerAscii(c);
}

inline std::string ToLowerAscii(std::string strText) {
    LowerAsciiInPlace(strText);
    return strText;
}
