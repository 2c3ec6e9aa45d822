// Geometry shared by the tools.
#include <gtest/gtest.h>

#include "FakeCoordinate.h"
#include "graph/GraphGeometry.h"

using GraphGeometry::MakeDrawPoint;
using QXDrawInfo::QXPoint;

namespace {

TEST(GraphGeometry, IntersectLinesCoversVerticalParallelAndCrossingLines) {
    struct {
        const char* pszName;
        QXPoint u, v, w, z;
        bool bMeets;
        double price;
        float position;
    } const kCases[] = {
        {"crossing", MakeDrawPoint(0, 0), MakeDrawPoint(10, 10), MakeDrawPoint(10, 0),
         MakeDrawPoint(0, 10), true, 5.0, 5.0f},
        {"first vertical", MakeDrawPoint(0, 2), MakeDrawPoint(5, 2), MakeDrawPoint(0, 0),
         MakeDrawPoint(10, 10), true, 2.0, 2.0f},
        {"second vertical", MakeDrawPoint(0, 0), MakeDrawPoint(10, 10), MakeDrawPoint(3, 4),
         MakeDrawPoint(7, 4), true, 4.0, 4.0f},
        {"both vertical", MakeDrawPoint(0, 2), MakeDrawPoint(5, 2), MakeDrawPoint(0, 3),
         MakeDrawPoint(5, 3), false, 0.0, 0.0f},
        {"parallel", MakeDrawPoint(0, 0), MakeDrawPoint(10, 10), MakeDrawPoint(5, 0),
         MakeDrawPoint(15, 10), false, 0.0, 0.0f},
        {"same line", MakeDrawPoint(0, 0), MakeDrawPoint(10, 10), MakeDrawPoint(2, 2),
         MakeDrawPoint(4, 4), false, 0.0, 0.0f},
    };
    for (const auto& c : kCases) {
        QXPoint out = MakeDrawPoint(-1.0, -1.0f);
        EXPECT_EQ(GraphGeometry::IntersectLines(c.u, c.v, c.w, c.z, &out), c.bMeets) << c.pszName;
        if (!c.bMeets) continue;
        EXPECT_NEAR(out.value, c.price, 1e-5) << c.pszName;
        EXPECT_NEAR(out.position, c.position, 1e-5) << c.pszName;
    }
    EXPECT_FALSE(
        GraphGeometry::IntersectLines(kCases[0].u, kCases[0].v, kCases[0].w, kCases[0].z, nullptr));
}

TEST(GraphGeometry, OffsetPriceByPixelsMovesUpForNegativeOffsets) {
    CFakeCoordinate coord;  // 10 pixels per price unit
    EXPECT_NEAR(GraphGeometry::OffsetPriceByPixels(&coord, 10.0, -7.0f), 10.7, 1e-4);
    EXPECT_NEAR(GraphGeometry::OffsetPriceByPixels(&coord, 10.0, 20.0f), 8.0, 1e-4);
    EXPECT_EQ(GraphGeometry::OffsetPriceByPixels(nullptr, 10.0, 20.0f), 0.0);
}

}  // namespace
