// Reads the items of a text record back as plain labels, so a tool test can
// compare its labels with a table.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "QXDrawInfo.h"

struct CDrawnLabel {
    double price;
    float position;
    std::string strText;
};

inline void ExpectSameLabels(const QXDrawInfo::TextDrawInfo& text,
                             const std::vector<CDrawnLabel>& vecExpected,
                             const std::string& strWhat, double tolerance = 1e-4) {
    ASSERT_EQ(text.items.size(), vecExpected.size()) << strWhat;
    for (std::size_t i = 0; i < vecExpected.size(); ++i) {
        const QXDrawInfo::TextItem& item = text.items[i];
        EXPECT_EQ(item.text, vecExpected[i].strText) << strWhat << ", label " << i;
        EXPECT_NEAR(item.position.value, vecExpected[i].price, tolerance) << strWhat << ", " << i;
        EXPECT_NEAR(item.position.position, vecExpected[i].position, tolerance)
            << strWhat << ", " << i;
        EXPECT_EQ(item.flags, 0) << strWhat << ", " << i;
    }
}

// The label record of the level and Gann tools: line colour, size 12, style
// 17, the client's default font, mode 0.
inline void ExpectLabelRecordStyle(const QXDrawInfo::TextDrawInfo& text,
                                   const QXDrawInfo::QXColor& lineColor) {
    EXPECT_FLOAT_EQ(text.fontSize, 12.0f);
    EXPECT_EQ(text.style, 17);
    EXPECT_EQ(text.mode, 0);
    EXPECT_EQ(text.fontName, "");
    EXPECT_EQ(text.textColor.value, lineColor.value);
    EXPECT_EQ(text.textColor.byValue, lineColor.byValue);
}
