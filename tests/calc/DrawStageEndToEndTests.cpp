// From formula text to drawing records: the front end parses, the calculator
// computes and publishes, and the draw stage turns every statement into a picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calc/CalcFixtures.h"
#include "drawinfo/RecordDump.h"
#include "index/calc/CIndexCalculator.h"
#include "index/frontend/CIndexParser.h"

using Lines = std::vector<std::string>;

namespace {

// Six bars; C>O holds at bars 1 and 3 only (bar 2 closes where it opened).
std::vector<std::vector<std::string>> DrawFormula(const std::string& strFormula) {
    CCountingSource source(6);
    source.SetField(FIELD_CLOSE, {10, 12, 11, 13, 13, 12});
    source.SetField(FIELD_OPEN, {11, 11, 11, 12, 14, 12});
    source.SetField(FIELD_HIGH, {12, 13, 12, 14, 15, 13});
    source.SetField(FIELD_LOW, {9, 10, 10, 11, 12, 11});
    CIndexParser parser;
    std::vector<std::vector<std::string>> vecPictures;
    if (!parser.Parse(strFormula, {}, {})) {
        ParseErrorInfo error{};
        parser.GetError(&error);
        ADD_FAILURE() << strFormula << ": error " << error.code << " at " << error.position;
        return vecPictures;
    }
    CIndexCalculator calculator;
    EXPECT_TRUE(calculator.SetIndexParser(&parser));
    EXPECT_TRUE(calculator.SetDataSource(&source));
    EXPECT_TRUE(calculator.Calculate(0, 5, false));
    EXPECT_TRUE(calculator.UpdateDisplayData());
    std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
    EXPECT_TRUE(calculator.GetDrawInfo(0, 5, 0, nullptr, &vecInfos));
    for (const QXDrawInfo::GraphDrawInfo& info : vecInfos) vecPictures.push_back(RecordLines(info));
    calculator.ReleaseDrawInfo(&vecInfos);
    return vecPictures;
}

TEST(DrawStageEndToEnd, CurveTextAndSticks) {
    const auto vecPictures = DrawFormula(
        "A:(C+O)/2,COLORRED,LINETHICK2; DRAWTEXT(C>O,L,'UP'); STICKLINE(C>O,O,C,0.8,0);");
    ASSERT_EQ(vecPictures.size(), 3u);
    EXPECT_EQ(vecPictures[0],
              Lines{"curve #FF3D3DFF w2 s1 | 0:10.5 1:11.5 2:11 3:12.5 4:13.5 5:12"});
    // Lines without a colour of their own take the default colour.
    EXPECT_EQ(vecPictures[1], Lines{"text #FFFF8080 size10 style18 | 1:10 UP | 3:11 UP"});
    EXPECT_EQ(vecPictures[2], (Lines{"rect fill #FFFF8080 t0 | 0.6:12 1.4:11 | 2.6:13 3.4:12",
                                     "rect #FFFF8080 w1 s2 t0", "rect #FFFF8080 w1 s1 t0"}));
}

TEST(DrawStageEndToEnd, ColumnsAndCandles) {
    const auto vecPictures = DrawFormula("D:C-O,COLORSTICK; DRAWKLINE(H,O,L,C); N:C>O,NODRAW;");
    ASSERT_EQ(vecPictures.size(), 2u);  // the hidden line is not drawn
    EXPECT_EQ(vecPictures[0][0], "curve c7 w1 s1 | 1:1 1:0 | 3:1 3:0");
    EXPECT_EQ(vecPictures[0][1], "curve c8 w1 s1 | 0:0 0:-1 | 4:0 4:-1");
    // Bar 2 opens at its close, below bar 1's close: falling. Bar 5 the same.
    EXPECT_EQ(vecPictures[1],
              (Lines{"curve c8 w1 s1 | 0:12 0:11 | 0:10 0:9 | 2:12 2:11 | 2:11 2:10 | "
                     "4:15 4:14 | 4:13 4:12 | 5:13 5:12 | 5:12 5:11",
                     "curve c7 w1 s1 | 1:13 1:12 | 1:11 1:10 | 3:14 3:13 | 3:12 3:11",
                     "rect fill c8 t1 | -0.35:11 0.35:10 | 1.65:11 2.35:11 | 3.65:14 4.35:13 | "
                     "4.65:12 5.35:12",
                     "rect c7 w1 s1 t1 | 0.65:12 1.35:11 | 2.65:13 3.35:12"}));
}

// Volume columns read bar prices the formula never names, from the price cache.
TEST(DrawStageEndToEnd, VolumeColumnsColouredByPriceMovement) {
    // clang-format off
    const struct { const char* pszFormula; Lines vecColumns; } arrCases[] = {
        // Bars 2 and 5 open at their close, below the close before.
        {"X:C,VOLSTICK;",
         {"rect fill c7 t1 | 0.78:12 1.22:0 | 2.78:13 3.22:0",
          "rect fill c8 t1 | -0.22:10 0.22:0 | 1.78:11 2.22:0 | 3.78:13 4.22:0 | 4.78:12 5.22:0",
          "rect fill c9 t1"}},
        // Against the previous close; bar 0 has none, bar 4 closes where bar 3 did.
        {"X:C,RTVOLSTICK;",
         {"rect fill c7 t1 | 0.78:12 1.22:0 | 2.78:13 3.22:0",
          "rect fill c8 t1 | 1.78:11 2.22:0 | 4.78:12 5.22:0",
          "rect fill c9 t1 | -0.22:10 0.22:0 | 3.78:13 4.22:0"}},
    };
    // clang-format on
    for (const auto& row : arrCases) {
        SCOPED_TRACE(row.pszFormula);
        const auto vecPictures = DrawFormula(row.pszFormula);
        ASSERT_EQ(vecPictures.size(), 1u);
        ASSERT_EQ(vecPictures[0].size(), 8u);
        EXPECT_EQ(Lines(vecPictures[0].begin() + 5, vecPictures[0].end()), row.vecColumns);
    }
}

}  // namespace
