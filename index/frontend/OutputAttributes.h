// Drawing attributes of one output line (style, colour, width, hidden) and the
// tables behind them: what a style keyword means, how each style is drawn and
// named in the script, and the values of the named colours.
#pragma once

#include <cstdint>
#include <vector>

class CFormulaSymbols;

constexpr int kDefaultLineWidth = 1;
constexpr int kMinLineWidth = 1;
constexpr int kMaxLineWidth = 9;
// Packed 0xAABBGGRR; all bits set means that the formula gave no colour.
constexpr uint32_t kNoColour = 0xFFFFFFFFu;

struct COutputAttributes {
    int32_t m_nStyle = 0;  // style keyword id - 9009; 0 is a plain line
    int32_t m_nWidth = kDefaultLineWidth;
    uint32_t m_uColour = kNoColour;
    bool m_bColourGiven = false;
    bool m_bHidden = false;
};

// How the script draws an output line of a given style.
enum class EOutputShape { Curve, Column, Circular };

struct COutputStyleInfo {
    int m_nStyle;
    int m_nDrawType;  // what the client is told the line looks like
    EOutputShape m_eShape;
    const char* m_pszClass;  // first argument of .column / .circular; null for a curve
    const char* m_pszPloy;   // style name closing a drawing-function call
};

// The row of a style code; codes without a row of their own get the plain line's.
const COutputStyleInfo& GetOutputStyleInfo(int nStyle);

// Value of a named colour id (9100..9199); ids without a colour give kNoColour.
uint32_t GetNamedColourValue(int nId);

// Value of a literal colour word from its six characters after "color": RRGGBB
// as hexadecimal pairs, opaque.
uint32_t GetLiteralColourValue(const char* pszSixChars);

inline int ClampLineWidth(int nWidth) {
    return nWidth < kMinLineWidth ? kMinLineWidth
                                  : (nWidth > kMaxLineWidth ? kMaxLineWidth : nWidth);
}

// Strips the attribute keywords from an output statement and stores them:
// every attribute gets a comma in front unless it is the first token or already
// has one, then each comma-attribute pair is applied and removed. The offsets
// stay parallel to the tokens. The attributes start from their defaults.
void ApplyOutputAttributes(std::vector<int>& vecTokens, std::vector<int>& vecOffsets,
                           const CFormulaSymbols& symbols, COutputAttributes* pAttributes);
