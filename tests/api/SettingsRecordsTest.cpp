#include <gtest/gtest.h>

#include "QXGraphSettings.h"

namespace {

std::vector<stSingleLineDrawParams> TwoLevels() {
    std::vector<stSingleLineDrawParams> levels(2);
    levels[0].nLevel = 0;
    levels[0].value.fRatio = 0.382f;
    levels[1].nLevel = 1;
    levels[1].value.nBars = 13;
    return levels;
}

TEST(SettingsRecords, Defaults) {
    stGoldenSectionSettings golden;
    EXPECT_TRUE(golden.GetDispLayRatio());
    EXPECT_TRUE(golden.GetDisplayPrice());
    EXPECT_EQ(golden.GetExtendDirection(), 1);
    EXPECT_TRUE(golden.GetLineParams().empty());

    stFibTimeZoneSettings zone;
    EXPECT_EQ(zone.GetExtendDirection(), LINE_EXTEND_BOTH);
    EXPECT_TRUE(zone.GetLineParams().empty());

    stSingleLineDrawParams level;
    EXPECT_EQ(level.lineColor.colorId, 1);
    EXPECT_EQ(level.lineColor.value, 1);
    EXPECT_FALSE(level.lineColor.byValue);
}

TEST(SettingsRecords, CopiesAreDeepAndIndependent) {
    stGoldenSectionSettings golden;
    golden.SetLineParams(TwoLevels());
    golden.SetExtendDirection(LINE_EXTEND_RIGHT);
    golden.SetDisplayRatio(false);

    stGoldenSectionSettings copy(golden);
    golden.SetLineParams({});
    golden.SetDisplayPrice(false);
    ASSERT_EQ(copy.GetLineParams().size(), 2u);
    EXPECT_FLOAT_EQ(copy.GetLineParams()[0].value.fRatio, 0.382f);
    EXPECT_EQ(copy.GetExtendDirection(), LINE_EXTEND_RIGHT);
    EXPECT_FALSE(copy.GetDispLayRatio());
    EXPECT_TRUE(copy.GetDisplayPrice());

    stFibTimeZoneSettings zone;
    zone.SetLineParams(TwoLevels());
    stFibTimeZoneSettings assigned;
    assigned = zone;
    zone.SetExtendDirection(LINE_EXTEND_UP);
    ASSERT_EQ(assigned.GetLineParams().size(), 2u);
    EXPECT_EQ(assigned.GetLineParams()[1].value.nBars, 13);
    EXPECT_EQ(assigned.GetExtendDirection(), LINE_EXTEND_BOTH);
}

}  // namespace
