// Output-line attributes: what the keywords after an expression leave on the
// output slot, and what they take out of the statement.
#include <gtest/gtest.h>

#include <string>

#include "ParserTestSupport.h"
#include "index/frontend/OutputAttributes.h"

namespace {

struct CAttributeCase {
    const char* pszFormula;
    int nSlot;
    int nStyle;
    int nWidth;
    uint32_t uColour;
    bool bColourGiven;
    bool bHidden;
};

TEST(OutputAttributes, KeywordsSetTheSlot) {
    const CAttributeCase cases[] = {
        {"A:CLOSE,COLORRED,LINETHICK3;", 0, 0, 3, 0xFF3D3DFF, true, false},
        {"A:CLOSE COLORRED;", 0, 0, 1, 0xFF3D3DFF, true, false},
        {"A:CLOSE,STICK,VOLSTICK;", 0, 1, 1, kNoColour, false, false},
        {"A:CLOSE,NODRAW;", 0, 0, 1, kNoColour, false, true},
        {"A:CLOSE,COLORFF0000;", 0, 0, 1, 0xFF0000FF, true, false},
        {"A:CLOSE;", 0, 0, 1, kNoColour, false, false},
        // A later style replaces an earlier one and clears the hidden bit; nodraw
        // keeps the style.
        {"A:C,NODRAW,CROSSDOT;", 0, 5, 1, kNoColour, false, false},
        {"A:C,RTVOLSTICK,NODRAW;", 0, 15, 1, kNoColour, false, true},
        {"A:C,LINETHICK2 LINETHICK9,COLORWHITE COLORLIMAGENTA;", 0, 0, 9, 0xFFC59BC1, true, false},
        {"A:C,COLOR00ff80;", 0, 0, 1, 0xFF80FF00, true, false},
        {"A:C,COLORABCDEF;", 0, 0, 1, 0xFFEFCDAB, true, false},
        // Non-hex characters count from 'a' - 10 and stay inside their own channel.
        {"A:C,COLORzz0000;", 0, 0, 1, 0xFF000000 | ((('z' - 0x57) * 17) & 0xFF), true, false},
        // Attributes in the middle of an expression are taken out all the same.
        {"A:C,COLORBLUE+O;", 0, 0, 1, 0xFFF59331, true, false},
        // Every kind of output slot takes attributes.
        {"CLOSE,DOTLINE,COLORGREEN;", 0, 10, 1, 0xFF4DB927, true, false},
        {"X:=1;DRAWICON(C>O,L,1),POINTDOT,LINETHICK4;", 0, 13, 4, kNoColour, false, false},
        {"A:C;B:O,SARLINE,COLORGRAY;", 1, 14, 1, 0xFF80766D, true, false},
        {"A:C,COLORBROWN;B:O;", 1, 0, 1, kNoColour, false, false},
    };
    for (const CAttributeCase& row : cases) {
        SCOPED_TRACE(row.pszFormula);
        bool bOk = false;
        auto pTranslator = Translate(row.pszFormula, {}, &bOk);
        ASSERT_TRUE(bOk) << pTranslator->GetError().m_nCode;
        const COutputAttributes* pAttributes = pTranslator->GetAttributes(row.nSlot);
        ASSERT_NE(pAttributes, nullptr);
        EXPECT_EQ(pAttributes->m_nStyle, row.nStyle);
        EXPECT_EQ(pAttributes->m_nWidth, row.nWidth);
        EXPECT_EQ(pAttributes->m_uColour, row.uColour);
        EXPECT_EQ(pAttributes->m_bColourGiven, row.bColourGiven);
        EXPECT_EQ(pAttributes->m_bHidden, row.bHidden);
    }
}

// What the attribute walk leaves for the checks: misplaced attributes are errors
// of the expression, not silently dropped.
TEST(OutputAttributes, LeftoversFailTheStatement) {
    const struct {
        const char* pszFormula;
        int nCode;
    } rows[] = {
        {"A:COLORRED;", 22},     // nothing left to draw
        {"A:C,,COLORRED;", 10},  // the first comma stays outside any call
        {"COLORRED;", 22},       // a bare expression of nothing but a colour
        {"A:C,COLORRED,;", 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszFormula);
        bool bOk = true;
        auto pTranslator = Translate(row.pszFormula, {}, &bOk);
        EXPECT_FALSE(bOk);
        EXPECT_EQ(pTranslator->GetError().m_nCode, row.nCode);
    }
}

}  // namespace
