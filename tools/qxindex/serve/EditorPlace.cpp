#include "tools/qxindex/serve/EditorPlace.h"

#include <algorithm>

#include "index/frontend/FormulaLexer.h"
#include "index/frontend/FormulaSymbols.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxindex {
namespace {

// The offset in the loaded text (same length as the typed text) of a position in
// the normalised text: walk both, skipping the zeros that only the latter has.
size_t LoadedOffset(const std::string& strLoaded, const std::string& strNormalised,
                    size_t nPosition) {
    size_t i = 0;
    size_t n = 0;
    while (n < nPosition && n < strNormalised.size() && i < strLoaded.size()) {
        if (strNormalised[n] == strLoaded[i]) ++i;
        ++n;
    }
    return i;
}

// Code units of a browser string for the bytes [from, to) of the library's text:
// GBK characters are all in the basic plane, one unit each; text that could not be
// put into GBK stayed UTF-8, where a four-byte character takes two.
int CountUnits(const std::string& strText, size_t nFrom, size_t nTo, bool bGbk) {
    int nUnits = 0;
    for (size_t i = nFrom; i < nTo; ++i) {
        unsigned char c = static_cast<unsigned char>(strText[i]);
        if (bGbk) {
            if (c >= 0x81 && c <= 0xFE && i + 1 < nTo) ++i;
            ++nUnits;
        } else if ((c & 0xC0) != 0x80) {
            nUnits += c >= 0xF0 ? 2 : 1;
        }
    }
    return nUnits;
}

}  // namespace

EditorPlace PlaceInEditor(const std::string& utf8Text, int nPosition) {
    const std::string strText = Utf8ToGbk(utf8Text);
    bool bGbk = strText != utf8Text || std::all_of(utf8Text.begin(), utf8Text.end(), [](char c) {
                    return static_cast<unsigned char>(c) < 0x80;
                });
    CFormulaSymbols symbols;
    CFormulaLexer lexer(&symbols);
    lexer.Load(strText);
    const std::string strLoaded = lexer.GetText();
    lexer.InsertUnarySigns();
    size_t nOffset = static_cast<size_t>(std::max(nPosition, 0));
    if (strLoaded.size() == strText.size()) {
        nOffset = LoadedOffset(strLoaded, lexer.GetText(), nOffset);
    }
    nOffset = std::min(nOffset, strText.size());
    EditorPlace place;
    size_t nLineStart = 0;
    for (size_t i = 0; i < nOffset; ++i) {
        if (strText[i] == '\n') {
            ++place.nLine;
            nLineStart = i + 1;
        }
    }
    place.nColumn = CountUnits(strText, nLineStart, nOffset, bGbk);
    return place;
}

}  // namespace qxindex
