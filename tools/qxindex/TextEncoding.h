// The library speaks GBK (its own error texts, and whatever the client's formulas
// contain); a terminal speaks UTF-8.
#pragma once

#include <string>

namespace qxindex {

// Converts GBK bytes to UTF-8. Bytes that are not valid GBK are kept as "\xNN" escapes,
// so nothing is lost silently.
std::string GbkToUtf8(const std::string& gbk);

// Converts UTF-8 to GBK for formula text typed on a UTF-8 terminal; text that is
// not valid UTF-8 (it may already be GBK) is returned unchanged.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace qxindex
