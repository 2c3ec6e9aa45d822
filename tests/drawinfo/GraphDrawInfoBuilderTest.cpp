#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "drawinfo/GraphDrawInfoBuilder.h"

using namespace QXDrawInfo;
using Builder = GraphDrawInfoBuilder;

namespace {

QXPoint Pt(double value, float position) {
    return QXPoint{value, position};
}

QXPointVec Points(size_t count) {
    QXPointVec vec;
    vec.SetPoint(std::vector<QXPoint>(count, Pt(1.0, 2.0f)));
    return vec;
}

// The caps themselves: the builder refuses a kind's records once MakeHandle collapses
// onto a handle it has issued, and a record's items once CanTakeItem says no.
TEST(GraphDrawInfoBuilder, HandleArithmeticAndCaps) {
    const size_t huge = std::numeric_limits<size_t>::max();
    EXPECT_EQ(Builder::MakeHandle(Builder::kRectangleBase, 1), 20000001);
    EXPECT_EQ(Builder::MakeHandle(Builder::kIconBase, 9999998), 69999998);
    EXPECT_EQ(Builder::MakeHandle(Builder::kCurveBase, 9999999), 19999998);
    EXPECT_EQ(Builder::MakeHandle(Builder::kTextBase, huge), 59999998);
    EXPECT_EQ(Builder::GetHandleIndex(59999998), 9999998u);

    EXPECT_EQ(Builder::MakeDrawOrderKey(69999998, 99999998), 6999999899999998);
    EXPECT_LT(Builder::MakeDrawOrderKey(10000000, 99999998),
              Builder::MakeDrawOrderKey(10000001, 0));

    EXPECT_TRUE(Builder::CanTakeItem(99999998));
    EXPECT_FALSE(Builder::CanTakeItem(99999999));
    EXPECT_FALSE(Builder::CanTakeItem(huge));
}

TEST(GraphDrawInfoBuilder, EachKindCountsItsOwnHandles) {
    GraphDrawInfo info;
    info.icons.resize(2);  // records that were there before the builder came
    Builder builder(&info);
    const QXColor c = GetColorByID(COLOR_ID_LINE);
    EXPECT_EQ(builder.AddCurve(GetCurve(c, 1.0f, LINE_STYLE_SOLID)), 10000000);
    EXPECT_EQ(builder.AddRectangle(RectangleDrawInfo()), 20000000);
    EXPECT_EQ(builder.AddElipse(ElipseDrawInfo()), 30000000);
    EXPECT_EQ(builder.AddCross(CrossDrawInfo()), 40000000);
    EXPECT_EQ(builder.AddText(TextDrawInfo()), 50000000);
    EXPECT_EQ(builder.AddIcon(VOZIconDrawInfo()), 60000002);
    EXPECT_EQ(builder.AddCurve(GetCurve(c, 2.0f, LINE_STYLE_DASH)), 10000001);
    ASSERT_EQ(info.curves.size(), 2u);
    EXPECT_EQ(info.curves[1].lineWidth, 2.0f);
    EXPECT_TRUE(info.drawOrder.empty());  // records alone are not drawn
    // Handles this builder did not issue take no items.
    EXPECT_FALSE(builder.AddIconPoint(60000000, Pt(1, 1), 0));
    EXPECT_TRUE(builder.AddIconPoint(60000002, Pt(1, 1), 0));
}

TEST(GraphDrawInfoBuilder, RefusesATakenHandleAndAMissingTarget) {
    GraphDrawInfo info;
    Builder builder(&info);
    const int64_t handle = builder.AddCurve(CurveDrawInfo());
    // With the record gone its index is free again but its handle is still taken: the
    // path that ends a kind at the index cap.
    info.curves.clear();
    EXPECT_EQ(builder.AddCurve(CurveDrawInfo()), -1);
    EXPECT_TRUE(info.curves.empty());
    EXPECT_FALSE(builder.AddCurveSegment(handle, Points(2), false, false));

    Builder detached(nullptr);
    EXPECT_EQ(detached.AddRectangle(RectangleDrawInfo()), -1);
    EXPECT_EQ(detached.AddIcon(VOZIconDrawInfo()), -1);
}

TEST(GraphDrawInfoBuilder, RefusedItemsChangeNothing) {
    GraphDrawInfo info;
    Builder builder(&info);
    const int64_t curve = builder.AddCurve(CurveDrawInfo());
    const int64_t rect = builder.AddRectangle(RectangleDrawInfo());
    const int64_t ellipse = builder.AddElipse(ElipseDrawInfo());
    const int64_t cross = builder.AddCross(CrossDrawInfo());
    const int64_t text = builder.AddText(TextDrawInfo());
    const int64_t icon = builder.AddIcon(VOZIconDrawInfo());

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::pair<const char*, bool> attempts[] = {
        {"empty segment", builder.AddCurveSegment(curve, Points(0), false, false)},
        {"ellipse with 1 point", builder.AddElipsePoints(ellipse, Points(1))},
        {"ellipse with 4 points", builder.AddElipsePoints(ellipse, Points(4))},
        {"cross size 0", builder.AddCrossPoint(cross, Pt(1, 1), 0.0f)},
        {"cross size NaN", builder.AddCrossPoint(cross, Pt(1, 1), nan)},
        {"empty text", builder.AddTextItem(text, Pt(1, 1), "", 0, Pt(0, 0))},
        {"negative handle", builder.AddIconPoint(-1, Pt(1, 1), 0)},
        {"unknown handle", builder.AddIconPoint(icon + 1, Pt(1, 1), 0)},
        {"handle of another kind", builder.AddCurveSegment(rect, Points(2), false, false)},
        {"circle on a curve", builder.AddCircle(curve, Pt(1, 1), 1.0f)},
    };
    for (const auto& [name, accepted] : attempts) EXPECT_FALSE(accepted) << name;
    EXPECT_TRUE(info.drawOrder.empty());
    EXPECT_TRUE(info.curves[0].items.empty());
    EXPECT_TRUE(info.ellipses[0].items.empty());
    EXPECT_TRUE(info.crosses[0].items.empty());
    EXPECT_TRUE(info.texts[0].items.empty());
    EXPECT_TRUE(info.icons[0].items.empty());
}

TEST(GraphDrawInfoBuilder, CircleIsItsHorizontalDiameter) {
    GraphDrawInfo info;
    Builder builder(&info);
    ASSERT_TRUE(builder.AddCircle(builder.AddElipse(ElipseDrawInfo()), Pt(5.0, 10.0f), 2.5f));
    const std::vector<QXPoint>& diameter = info.ellipses[0].items[0].GetPoint();
    ASSERT_EQ(diameter.size(), 2u);
    EXPECT_EQ(diameter[0].value, 5.0);
    EXPECT_EQ(diameter[0].position, 7.5f);  // the radius is counted in bars
    EXPECT_EQ(diameter[1].value, 5.0);
    EXPECT_EQ(diameter[1].position, 12.5f);
}

// Walking drawOrder gives back the items in production order, across record kinds.
TEST(GraphDrawInfoBuilder, DrawOrderFollowsProductionAcrossKinds) {
    GraphDrawInfo info;
    Builder builder(&info);
    const int64_t curveA = builder.AddCurve(CurveDrawInfo());
    const int64_t text = builder.AddText(TextDrawInfo());
    const int64_t curveB = builder.AddCurve(CurveDrawInfo());
    const int64_t icon = builder.AddIcon(VOZIconDrawInfo());

    ASSERT_TRUE(builder.AddCurveSegment(curveB, Points(2), false, false));
    ASSERT_TRUE(builder.AddTextItem(text, Pt(1, 1), "a", 0, Pt(0, 0)));
    ASSERT_TRUE(builder.AddCurveSegment(curveA, Points(2), true, true));
    ASSERT_TRUE(builder.AddIconPoint(icon, Pt(1, 1), 0));
    ASSERT_TRUE(builder.AddCurveSegment(curveB, Points(2), false, true));
    ASSERT_TRUE(builder.AddTextItem(text, Pt(1, 1), "b", 0, Pt(0, 0)));

    const std::vector<int64_t> expected = {
        10000001LL * 100000000 + 0, 50000000LL * 100000000 + 0,
        1000000000000000,  // first item of the first curve
        60000000LL * 100000000 + 0, 10000001LL * 100000000 + 1, 50000000LL * 100000000 + 1,
    };
    EXPECT_EQ(info.drawOrder, expected);
    EXPECT_TRUE(info.curves[1].items[1].extendEnd);
    EXPECT_EQ(info.texts[0].items[1].text, "b");
}

}  // namespace
