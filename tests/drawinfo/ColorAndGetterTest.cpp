#include <gtest/gtest.h>

#include <cstdint>

#include "QXDrawInfo.h"

using namespace QXDrawInfo;

namespace {

void ExpectColor(const QXColor& actual, const QXColor& expected) {
    EXPECT_EQ(actual.colorId, expected.colorId);
    EXPECT_EQ(actual.value, expected.value);
    EXPECT_EQ(actual.byValue, expected.byValue);
}

TEST(ColorHelpers, PackAndUnpack) {
    struct Case {
        int r, g, b, a;
        uint32_t rgb;   // MakeRGBVal(r, g, b): always opaque
        uint32_t rgba;  // MakeRGBAVal(r, g, b, a)
    };
    const Case cases[] = {
        {255, 0, 0, 0, 0xFF0000FFu, 0x000000FFu},
        {1, 2, 3, 0x80, 0xFF030201u, 0x80030201u},
        {0x80, 0x80, 0xFF, 0xFF, 0xFFFF8080u, 0xFFFF8080u},
        // Only the low byte of each argument counts; nothing spills into a neighbour.
        {0x1FF, -1, 0x100, -2, 0xFF00FFFFu, 0xFE00FFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.rgba);
        EXPECT_EQ(MakeRGBVal(c.r, c.g, c.b), static_cast<int>(c.rgb));
        const int v = MakeRGBAVal(c.r, c.g, c.b, c.a);
        EXPECT_EQ(v, static_cast<int>(c.rgba));
        // Alpha sits in the sign bit; every channel must come back as 0..255.
        EXPECT_EQ(GetRVal(v), c.r & 0xFF);
        EXPECT_EQ(GetGVal(v), c.g & 0xFF);
        EXPECT_EQ(GetBVal(v), c.b & 0xFF);
        EXPECT_EQ(GetAVal(v), c.a & 0xFF);
    }
    ExpectColor(GetColorByARGB(0x80, 1, 2, 3), {0, static_cast<int>(0x80030201u), true});
    ExpectColor(GetDefaultColor(), {0, static_cast<int>(0xFFFF8080u), true});
    ExpectColor(GetColorByID(COLOR_ID_TEXT), {4, 0, false});
    ExpectColor(GetColorByValue(7), {0, 7, true});
    ExpectColor(GetEmptyColor(), {0, 0, false});
}

// The head shared by curves, rectangles and ellipses.
struct Head {
    float width;
    LINE_STYLE lineStyle;
    FILL_STYLE fillStyle;
    QXColor lineColor;
    QXColor fillColor;
};

template <typename Record>
Head HeadOf(const Record& r) {
    EXPECT_TRUE(r.items.empty());
    return {r.lineWidth, r.lineStyle, r.fillStyle, r.lineColor, r.fillColor};
}

TEST(RecordGetters, ColourGoesToTheLineOrTheFill) {
    const QXColor c = GetColorByValue(MakeRGBVal(10, 20, 30));
    const QXColor none = GetEmptyColor();
    const LINE_STYLE dash = LINE_STYLE_DASH;
    const FILL_STYLE solid = FILL_STYLE_SOLID;
    const FILL_STYLE nofill = FILL_STYLE_NONE;
    struct Case {
        const char* name;
        Head actual;
        Head expected;
    };
    const Case cases[] = {
        {"Curve", HeadOf(GetCurve(c, 2.5f, dash)), {2.5f, dash, nofill, c, none}},
        {"CurveFrame", HeadOf(GetCurveFrame(c, 3.0f, dash)), {3.0f, dash, nofill, c, none}},
        {"CurveFill", HeadOf(GetCurveFill(c, solid)), {1.0f, LINE_STYLE_NONE, solid, none, c}},
        {"RectangleFill",
         HeadOf(GetRectangleFill(c, solid, RECTANGLE_TYPE_BAR)),
         {0.0f, LINE_STYLE_NONE, solid, none, c}},
        {"RectangleFrame",
         HeadOf(GetRectangleFrame(c, 4.0f, dash, RECTANGLE_TYPE_BAR)),
         {4.0f, dash, nofill, c, none}},
        {"ElipseFill", HeadOf(GetElipseFill(c, solid)), {0.0f, LINE_STYLE_NONE, solid, none, c}},
        {"ElipseFrame", HeadOf(GetElipseFrame(c, 1.5f, dash)), {1.5f, dash, nofill, c, none}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(k.actual.width, k.expected.width);
        EXPECT_EQ(k.actual.lineStyle, k.expected.lineStyle);
        EXPECT_EQ(k.actual.fillStyle, k.expected.fillStyle);
        ExpectColor(k.actual.lineColor, k.expected.lineColor);
        ExpectColor(k.actual.fillColor, k.expected.fillColor);
    }
}

TEST(RecordGetters, ShortTextFormUsesZeroValueColours) {
    const TextDrawInfo text = GetText(GetColorByID(COLOR_ID_TEXT), 12.0f, 3, "SimSun", 7);
    EXPECT_EQ(text.style, 3);
    EXPECT_EQ(text.mode, 7);
    // By value, black; not the empty colour.
    ExpectColor(text.secondColor, {0, 0, true});
    ExpectColor(text.fillColor, {0, 0, true});
    EXPECT_EQ(text.extra, 0);
}

}  // namespace
