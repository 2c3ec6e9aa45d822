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
