#include "index/frontend/OutputAttributes.h"

#include <string>

#include "index/frontend/FormulaSymbols.h"
#include "index/frontend/TokenIds.h"

namespace {

// Style keyword ids start right after this, so that volstick (9010) is style 1.
constexpr int kStyleIdBase = 9009;
constexpr int kLineThickIdBase = 9300;

// clang-format off
constexpr COutputStyleInfo kPlainLine = {0, 0, EOutputShape::Curve, nullptr, "ployNomal"};

constexpr COutputStyleInfo kStyleRows[] = {
    {1,  1,  EOutputShape::Column,   "cltVolStick",   "ployVOLStick"},
    {2,  3,  EOutputShape::Column,   "cltStick",      "ployStick"},
    {3,  4,  EOutputShape::Circular, "citCircle",     "ployCircledot"},
    {4,  5,  EOutputShape::Column,   "cltLineStick",  "ployLinestick"},
    {5,  6,  EOutputShape::Circular, "citCross",      "ployCrossdot"},
    {6,  7,  EOutputShape::Column,   "cltColorStick", "ployColorstick"},
    {10, 8,  EOutputShape::Circular, "citDotLine",    "ployDotline"},
    {13, 9,  EOutputShape::Circular, "citPoint",      "ployPointdot"},
    {14, 10, EOutputShape::Circular, "citSar",        "ploySar"},
    {15, 2,  EOutputShape::Column,   "cltRTVolStick", "ployRTVOLStick"},
};

// Indexed by id - 9100, in the order of the colour keywords.
constexpr uint32_t kNamedColours[] = {
    0xFF3D3DFF,  // colorred
    0xFF4DB927,  // colorgreen
    0xFFF59331,  // colorblue
    0xFF00AAE8,  // coloryellow
    0xFF0064FF,  // colororange
    0xFFFF00FF,  // colorpurple
    0xFF000000,  // colorblack
    0xFFFFFFFF,  // colorwhite
    0xFF9038F3,  // colormagenta
    0xFFA3CF0A,  // colorcyan
    0xFF165EB8,  // colorbrown
    0xFFC7C0B9,  // colorligray
    0xFF80766D,  // colorgray
    0xFFFDA752,  // colorliblue
    0xFF90D974,  // colorligreen
    0xFFBED974,  // colorlicyan
    0xFF9B9BF1,  // colorlired
    0xFFC59BC1,  // colorlimagenta
};
// clang-format on

static_assert(sizeof(kNamedColours) / sizeof(kNamedColours[0]) == 18, "18 named colours");

bool IsAttribute(int nId) {
    return nId >= kTokenAttributeFirst && nId <= kTokenAttributeLast;
}

// A digit counts its value and any other character c counts c - 0x57, which is
// right for 'a'..'f' and arbitrary for the rest (the word is not checked).
unsigned HexDigitValue(unsigned char c) {
    return (c >= '0' && c <= '9') ? c - '0' : static_cast<unsigned>(c) - 0x57u;
}

// A pair of arbitrary characters can add up to more than a byte or wrap below
// zero; the channel keeps its low byte so that it cannot spill into the next.
uint32_t HexPairValue(const char* pszPair) {
    const unsigned nValue = HexDigitValue(static_cast<unsigned char>(pszPair[0])) * 16u +
                            HexDigitValue(static_cast<unsigned char>(pszPair[1]));
    return nValue & 0xFFu;
}

void ApplyAttribute(int nId, const CFormulaSymbols& symbols, COutputAttributes* pAttributes) {
    if (nId <= kTokenLineStyleLast) {
        if (nId == kTokenNoDraw) {
            pAttributes->m_bHidden = true;
        } else {
            pAttributes->m_bHidden = false;
            pAttributes->m_nStyle = nId - kStyleIdBase;
        }
    } else if (nId <= kTokenColourLast) {
        pAttributes->m_bColourGiven = true;
        if (nId <= kTokenNamedColourLast) {
            pAttributes->m_uColour = GetNamedColourValue(nId);
        } else {
            const std::string& strWord = symbols.GetLiteralColour(nId);
            pAttributes->m_uColour =
                strWord.size() == 6 ? GetLiteralColourValue(strWord.c_str()) : kNoColour;
        }
    } else {
        // Only 9301..9309 have keywords; the rest of the block is kept in range anyway.
        pAttributes->m_nWidth = ClampLineWidth(nId - kLineThickIdBase);
    }
}

}  // namespace

const COutputStyleInfo& GetOutputStyleInfo(int nStyle) {
    for (const COutputStyleInfo& row : kStyleRows) {
        if (row.m_nStyle == nStyle) return row;
    }
    return kPlainLine;
}

uint32_t GetNamedColourValue(int nId) {
    const int nIndex = nId - kTokenNamedColourFirst;
    if (nIndex < 0 || nIndex >= static_cast<int>(sizeof(kNamedColours) / sizeof(kNamedColours[0])))
        return kNoColour;
    return kNamedColours[nIndex];
}

uint32_t GetLiteralColourValue(const char* pszSixChars) {
    const uint32_t uRed = HexPairValue(pszSixChars);
    const uint32_t uGreen = HexPairValue(pszSixChars + 2);
    const uint32_t uBlue = HexPairValue(pszSixChars + 4);
    return 0xFF000000u | uBlue << 16 | uGreen << 8 | uRed;
}

void ApplyOutputAttributes(std::vector<int>& vecTokens, std::vector<int>& vecOffsets,
                           const CFormulaSymbols& symbols, COutputAttributes* pAttributes) {
    *pAttributes = COutputAttributes();
    vecOffsets.resize(vecTokens.size(), 0);
    for (size_t i = 1; i < vecTokens.size(); ++i) {
        if (IsAttribute(vecTokens[i]) && vecTokens[i - 1] != kTokenComma) {
            const int nOffset = vecOffsets[i];
            vecTokens.insert(vecTokens.begin() + i, kTokenComma);
            vecOffsets.insert(vecOffsets.begin() + i, nOffset);
            ++i;
        }
    }
    size_t i = 0;
    while (i + 1 < vecTokens.size()) {
        if (vecTokens[i] == kTokenComma && IsAttribute(vecTokens[i + 1])) {
            ApplyAttribute(vecTokens[i + 1], symbols, pAttributes);
            vecTokens.erase(vecTokens.begin() + i, vecTokens.begin() + i + 2);
            vecOffsets.erase(vecOffsets.begin() + i, vecOffsets.begin() + i + 2);
        } else {
            ++i;
        }
    }
}
