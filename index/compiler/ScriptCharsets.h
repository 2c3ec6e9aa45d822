// The fixed character sets of the internal script that the front end writes and
// the expression compiler reads. Constant-initialised, so they are ready before any
// other start-up code could ask for them.
#pragma once

#include <string_view>

inline constexpr std::string_view kScriptDigits = "0123456789";
inline constexpr std::string_view kScriptBlanks = " \r\n\t";
inline constexpr std::string_view kScriptLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr std::string_view kScriptArithmeticOperators = "+-*/^";
inline constexpr std::string_view kScriptComparisonOperators = "><=";
inline constexpr std::string_view kScriptStatementSeparator = ";";
inline constexpr std::string_view kScriptExtraNameChars = "_.";
inline constexpr std::string_view kScriptLogicalOperators = "&|";

constexpr bool IsInScriptCharset(std::string_view set, char c) {
    return set.find(c) != std::string_view::npos;
}

// The scanner asks for a character's classes at every character of the script; one
// table read answers what a search through the sets above would.
enum ScriptCharClass : unsigned char {
    SCRIPT_CHAR_BLANK = 1,
    SCRIPT_CHAR_DIGIT = 2,
    SCRIPT_CHAR_NAME = 4,  // first character of a name: letters, extras, bytes from 0x80
    SCRIPT_CHAR_OPERATOR = 8,
};

struct ScriptCharClassTable {
    unsigned char arrClasses[256] = {};

    constexpr ScriptCharClassTable() {
        for (int n = 0; n < 256; ++n) {
            const char c = static_cast<char>(n);
            unsigned char nClasses = 0;
            if (IsInScriptCharset(kScriptBlanks, c)) nClasses |= SCRIPT_CHAR_BLANK;
            if (IsInScriptCharset(kScriptDigits, c)) nClasses |= SCRIPT_CHAR_DIGIT;
            if (n >= 0x80 || IsInScriptCharset(kScriptLetters, c) ||
                IsInScriptCharset(kScriptExtraNameChars, c)) {
                nClasses |= SCRIPT_CHAR_NAME;
            }
            if (IsInScriptCharset(kScriptArithmeticOperators, c) ||
                IsInScriptCharset(kScriptComparisonOperators, c) ||
                IsInScriptCharset(kScriptLogicalOperators, c)) {
                nClasses |= SCRIPT_CHAR_OPERATOR;
            }
            arrClasses[n] = nClasses;
        }
    }
};

inline constexpr ScriptCharClassTable kScriptCharClasses;

constexpr bool HasScriptCharClass(char c, unsigned char nClass) {
    return (kScriptCharClasses.arrClasses[static_cast<unsigned char>(c)] & nClass) != 0;
}

static_assert(HasScriptCharClass('\t', SCRIPT_CHAR_BLANK) &&
                  HasScriptCharClass('7', SCRIPT_CHAR_DIGIT) &&
                  HasScriptCharClass('_', SCRIPT_CHAR_NAME) &&
                  HasScriptCharClass(static_cast<char>(0xB0), SCRIPT_CHAR_NAME) &&
                  !HasScriptCharClass('7', SCRIPT_CHAR_NAME) &&
                  HasScriptCharClass('|', SCRIPT_CHAR_OPERATOR) &&
                  !HasScriptCharClass(';', SCRIPT_CHAR_OPERATOR) && !HasScriptCharClass('\0', 0xFF),
              "the table agrees with the sets");
