// Records of the pattern tools against the fake converter's linear mapping.
// A picture is read back in draw order as one line per item ("solid (10,0)
// (20,2)", "text A (10,0)"), so a test states the whole picture, its order,
// styles and texts, as a short table.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "DrawnLabels.h"
#include "ShapeTesting.h"
#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/LineShapes.h"
#include "graph/PatternShapes.h"

namespace {

using Lines = std::vector<std::string>;
using Builder = QXDrawInfo::GraphDrawInfoBuilder;

std::string Describe(const QXDrawInfo::QXPoint& point) {
    std::ostringstream stream;
    stream << " (" << point.value << "," << point.position << ")";
    return stream.str();
}

// The one picture a shape draws, item by item in draw order.
Lines DrawPicture(IQXGraphShapeBase& shape) {
    const std::vector<QXDrawInfo::GraphDrawInfo>& vecInfos = shape.GetGraphDrawInfo();
    if (vecInfos.size() != 1) return {"pictures: " + std::to_string(vecInfos.size())};
    const QXDrawInfo::GraphDrawInfo& info = vecInfos[0];
    Lines vecLines;
    for (int64_t key : info.drawOrder) {
        const int64_t handle = key / Builder::kItemSpan;
        const std::size_t nItem = static_cast<std::size_t>(key % Builder::kItemSpan);
        const std::size_t nRecord = Builder::GetHandleIndex(handle);
        std::string strLine = "other";
        if (handle / Builder::kKindSpan * Builder::kKindSpan == Builder::kTextBase) {
            const QXDrawInfo::TextItem& item = info.texts.at(nRecord).items.at(nItem);
            strLine = "text " + item.text + Describe(item.position);
        } else if (handle / Builder::kKindSpan * Builder::kKindSpan == Builder::kCurveBase) {
            const QXDrawInfo::CurveDrawInfo& curve = info.curves.at(nRecord);
            const QXDrawInfo::CurveSegment& segment = curve.items.at(nItem);
            strLine = curve.fillStyle == FILL_STYLE_SOLID ? "fill"
                      : curve.lineStyle == 1              ? "solid"
                      : curve.lineStyle == 2              ? "dashed"
                                             : "style" + std::to_string(curve.lineStyle);
            for (const QXDrawInfo::QXPoint& point : segment.points.GetPoint()) {
                strLine += Describe(point);
            }
            if (segment.extendStart || segment.extendEnd) strLine += " extended";
        }
        vecLines.push_back(strLine);
    }
    return vecLines;
}

// Complete shapes take their anchors at once; a shape being placed gets all
// but the last anchor by clicks and has the mouse on the last.
Lines DrawPattern(QX_GRAPH_TYPE eType, const std::vector<QXGraphPoint>& vecAnchors,
                  bool bComplete = true) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(eType, &coord);
    if (bComplete) {
        shape->SetPoints(vecAnchors);
        return DrawPicture(*shape);
    }
    for (std::size_t i = 0; i < vecAnchors.size(); ++i) {
        const float x = coord.ToPixelX(vecAnchors[i].position);
        const float y = coord.ToPixelY(vecAnchors[i].price);
        if (i + 1 < vecAnchors.size()) {
            shape->OnMouseDown(x, y);
        } else {
            shape->OnMouseMove(x, y);
        }
    }
    return DrawPicture(*shape);
}

const std::vector<QXGraphPoint> kXabcd{MakeAnchor(10, 0), MakeAnchor(20, 2), MakeAnchor(14, 4),
                                       MakeAnchor(18, 6), MakeAnchor(12, 8)};
// Neckline at 15; the outer legs cross it at positions 1 and 11.
const std::vector<QXGraphPoint> kHeadShoulders{
    MakeAnchor(10, 0), MakeAnchor(20, 2),  MakeAnchor(15, 4), MakeAnchor(25, 6),
    MakeAnchor(15, 8), MakeAnchor(20, 10), MakeAnchor(10, 12)};

TEST(PatternShapes, KindsAreCreatedWithTheirClassesAndPlacedWithThatManyClicks) {
    ExpectKind<QXGraphLineSegment>(QX_GRAPH_PATTERN_3, 4);
    ExpectKind<QXGraphLineSegment>(QX_GRAPH_PATTERN_5, 6);
    ExpectKind<QXGraphLineSegment>(QX_GRAPH_PATTERN_8, 9);
    ExpectKind<QXGraphPatternHeadShoulder>(QX_GRAPH_PATTERN_HEAD_SHOULDER, 7);
    ExpectKind<QXGraphLineSegment>(QX_GRAPH_PATTERN_MW, 5);
    ExpectKind<QXGraphPatternABCD>(QX_GRAPH_PATTERN_ABCD, 4);
    ExpectKind<QXGraphPatternXABCD>(QX_GRAPH_PATTERN_XABCD, 5);
    ExpectKind<QXGraphPatternTriangle>(QX_GRAPH_PATTERN_TRIANGLE, 4);
    for (int nKind = QX_GRAPH_PATTERN_3; nKind <= QX_GRAPH_PATTERN_TRIANGLE; ++nKind) {
        CFakeCoordinate coord;
        ShapePtr shape = CreateShape(static_cast<QX_GRAPH_TYPE>(nKind), &coord);
        const int nPoints = static_cast<QXGraphShapeBase*>(shape.get())->GetNeedPointCount();
        for (int i = 1; i <= nPoints; ++i) {
            EXPECT_EQ(shape->OnMouseDown(110.0f + 20.0f * i, 400.0f), i == nPoints) << nKind;
        }
    }
}

TEST(PatternShapes, DrawnPicturesFollowTheTurningPoints) {
    std::vector<QXGraphPoint> vecParallelLeg = kHeadShoulders;  // first leg climbs like the
    vecParallelLeg[0] = MakeAnchor(-5, 0);                      // neckline: no left shoulder
    vecParallelLeg[1] = MakeAnchor(5, 2);
    vecParallelLeg[4] = MakeAnchor(35, 8);
    struct {
        QX_GRAPH_TYPE eType;
        std::vector<QXGraphPoint> vecAnchors;
        bool bComplete;
        Lines vecExpected;
    } const kCases[] = {
        {QX_GRAPH_PATTERN_MW,
         {MakeAnchor(10, 0), MakeAnchor(20, 1), MakeAnchor(15, 2), MakeAnchor(20, 3),
          MakeAnchor(10, 4)},
         true,
         {"solid (10,0) (20,1) (15,2) (20,3) (10,4)"}},
        {QX_GRAPH_PATTERN_ABCD,
         {MakeAnchor(10, 0), MakeAnchor(20, 2), MakeAnchor(14, 4), MakeAnchor(26, 6)},
         true,
         {"solid (10,0) (20,2) (14,4) (26,6)", "text A (10,0)", "text B (20,2)", "text C (14,4)",
          "dashed (10,0) (14,4)", "text 0.6 (12,2)", "text D (26,6)", "dashed (20,2) (26,6)",
          "text 2 (23,4)"}},
        {QX_GRAPH_PATTERN_ABCD,
         {MakeAnchor(10, 0), MakeAnchor(20, 2)},
         false,
         {"solid (10,0) (20,2)", "text A (10,0)", "text B (20,2)"}},
        {QX_GRAPH_PATTERN_XABCD,
         kXabcd,
         true,
         {"solid (10,0) (20,2) (14,4) (18,6) (12,8)", "text X (10,0)", "text A (20,2)",
          "text B (14,4)", "dashed (10,0) (14,4)", "fill (10,0) (20,2) (14,4)", "text 0.6 (12,2)",
          "text C (18,6)", "dashed (20,2) (18,6)", "text 0.666667 (19,4)", "text D (12,8)",
          "dashed (14,4) (12,8)", "fill (14,4) (18,6) (12,8)", "text 1.5 (13,6)",
          "text 0.8 (11,4)"}},
        {QX_GRAPH_PATTERN_XABCD,
         {kXabcd[0], kXabcd[1], kXabcd[2]},
         false,
         {"solid (10,0) (20,2) (14,4)", "text X (10,0)", "text A (20,2)", "text B (14,4)",
          "dashed (10,0) (14,4)", "fill (10,0) (20,2) (14,4)", "text 0.6 (12,2)"}},
        {QX_GRAPH_PATTERN_HEAD_SHOULDER,
         kHeadShoulders,
         true,
         {"dashed (15,4) (15,8)", "fill (15,4) (25,6) (15,8)", "fill (15,1) (20,2) (15,4)",
          "fill (15,11) (15,8) (20,10)",
          "solid (10,0) (20,2) (15,4) (25,6) (15,8) (20,10) (10,12)"}},
        {QX_GRAPH_PATTERN_HEAD_SHOULDER,
         vecParallelLeg,
         true,
         {"dashed (15,4) (35,8)", "fill (15,4) (25,6) (35,8)", "fill (32.5,7.5) (35,8) (20,10)",
          "solid (-5,0) (5,2) (15,4) (25,6) (35,8) (20,10) (10,12)"}},
        // The head is shaded before the neckline shows.
        {QX_GRAPH_PATTERN_HEAD_SHOULDER,
         {kHeadShoulders.begin(), kHeadShoulders.begin() + 5},
         false,
         {"fill (15,4) (25,6) (15,8)", "fill (15,1) (20,2) (15,4)",
          "solid (10,0) (20,2) (15,4) (25,6) (15,8)"}},
        {QX_GRAPH_PATTERN_TRIANGLE,
         {MakeAnchor(20, 0), MakeAnchor(10, 2), MakeAnchor(22, 4)},
         false,
         {"text A (20,0)", "text B (10,2)", "text C (22,4)", "solid (20,0) (10,2) (22,4)"}},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(DrawPattern(c.eType, c.vecAnchors, c.bComplete), c.vecExpected) << c.eType;
    }
}

TEST(PatternShapes, LegRatioIsWrittenAsADefaultStreamWritesIt) {
    struct {
        double a, b, c;  // ratio of the leg B-C against A-B
        const char* pszText;
    } const kCases[] = {
        {10, 20, 13.82, "0.618"}, {10, 20, 7.3, "1.27"},           {10, 40, 30, "0.333333"},
        {20, 10, 30, "2"},        {1, 2, -1234565, "1.23457e+06"}, {10, 10, 5, "inf"},
        {10, 10, 10, "nan"},
    };
    for (const auto& c : kCases) {
        const Lines vecLines =
            DrawPattern(QX_GRAPH_PATTERN_ABCD,
                        {MakeAnchor(c.a, 0), MakeAnchor(c.b, 2), MakeAnchor(c.c, 4)}, false);
        ASSERT_EQ(vecLines.size(), 6u) << c.pszText;
        EXPECT_EQ(vecLines[5],
                  "text " + std::string(c.pszText) + Describe({(c.a + c.c) * 0.5, 2.0f}));
    }
}

TEST(PatternShapes, TriangleClosesTowardsItsApexFromTheFarthestPoint) {
    struct {
        const char* pszName;
        std::vector<QXGraphPoint> vecAnchors;
        std::string strOutline;  // empty: nothing is drawn at all
    } const kCases[] = {
        {"apex right, leftmost point on the upper line",
         {MakeAnchor(20, 0), MakeAnchor(10, 2), MakeAnchor(18, 4), MakeAnchor(12, 6)},
         " (14.5,11) (20,0) (9,0) (14.5,11)"},
        {"apex right, leftmost point on the lower line",
         {MakeAnchor(20, 2), MakeAnchor(10, 0), MakeAnchor(18, 6), MakeAnchor(12, 4)},
         " (15.5,11) (10,0) (21,0) (15.5,11)"},
        {"apex left",
         {MakeAnchor(20, 12), MakeAnchor(10, 10), MakeAnchor(18, 8), MakeAnchor(12, 6)},
         " (14.5,1) (20,12) (9,12) (14.5,1)"},
        {"tie for the rightmost point goes to A",
         {MakeAnchor(20, 12), MakeAnchor(10, 12), MakeAnchor(18, 8), MakeAnchor(12, 8)},
         " (15,2) (20,12) (10,12) (15,2)"},
        {"tie for the leftmost point goes to A",
         {MakeAnchor(20, 0), MakeAnchor(10, 0), MakeAnchor(18, 4), MakeAnchor(12, 4)},
         " (15,10) (20,0) (10,0) (15,10)"},
        {"vertical upper line: apex level with A",
         {MakeAnchor(20, 5), MakeAnchor(8, 0), MakeAnchor(10, 5), MakeAnchor(12, 10)},
         " (10,5) (20,5) (10,5) (10,5)"},
        {"parallel sides",
         {MakeAnchor(20, 0), MakeAnchor(10, 1), MakeAnchor(22, 4), MakeAnchor(12, 5)},
         ""},
        {"vertical lower line never meets the vertical through A",
         {MakeAnchor(20, 0), MakeAnchor(10, 6), MakeAnchor(16, 8), MakeAnchor(12, 6)},
         ""},
    };
    for (const auto& c : kCases) {
        Lines vecExpected{"pictures: 0"};
        if (!c.strOutline.empty()) {
            vecExpected.clear();
            std::string strPolyline = "solid";
            for (std::size_t i = 0; i < 4; ++i) {
                const std::string strPoint =
                    Describe({c.vecAnchors[i].price, c.vecAnchors[i].position});
                vecExpected.push_back(std::string("text ") + "ABCD"[i] + strPoint);
                strPolyline += strPoint;
            }
            vecExpected.insert(vecExpected.end(),
                               {strPolyline, "solid" + c.strOutline, "fill" + c.strOutline});
        }
        EXPECT_EQ(DrawPattern(QX_GRAPH_PATTERN_TRIANGLE, c.vecAnchors), vecExpected) << c.pszName;
    }
}

TEST(PatternShapes, RecordsTakeFixedStylesAndTheUserColours) {
    CFakeCoordinate coord;
    ShapePtr shape = CreateShape(QX_GRAPH_PATTERN_XABCD, &coord);
    shape->SetPoints(kXabcd);
    shape->SetLineWidth(3);
    shape->SetLineStyle(4);  // only the wave patterns draw in the user's style
    shape->SetLineColor(QXDrawInfo::GetColorByValue(0x112233));
    shape->SetFillColor(QXDrawInfo::GetColorByValue(0x445566));
    shape->SetTextColor(QXDrawInfo::GetColorByValue(0x778899));
    const QXDrawInfo::GraphDrawInfo& info = shape->GetGraphDrawInfo().at(0);

    // One record per style, in the order the pattern first needs them.
    ASSERT_EQ(info.curves.size(), 3u);
    ASSERT_EQ(info.texts.size(), 1u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(info.curves[i].lineStyle, static_cast<LINE_STYLE>(i + 1));
        EXPECT_FLOAT_EQ(info.curves[i].lineWidth, 3.0f);
        EXPECT_EQ(info.curves[i].lineColor.value, 0x112233);
    }
    EXPECT_EQ(info.curves[2].fillStyle, FILL_STYLE_SOLID);
    EXPECT_FLOAT_EQ(info.curves[2].lineWidth, 1.0f);
    EXPECT_EQ(info.curves[2].fillColor.value, 0x445566);
    // Labels are written in the line colour, not the text colour.
    ExpectLabelRecordStyle(info.texts[0], shape->GetLineColor());

    ShapePtr wave = CreateShape(QX_GRAPH_PATTERN_8, &coord);
    wave->SetPoints(std::vector<QXGraphPoint>(9, MakeAnchor(10, 1)));
    wave->SetLineStyle(2);
    EXPECT_EQ(DrawPicture(*wave),
              Lines{"style3 (10,1) (10,1) (10,1) (10,1) (10,1) (10,1) (10,1) (10,1) (10,1)"});
}

}  // namespace
