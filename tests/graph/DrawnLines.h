// Reads the point lists of a curve record back as plain lines, so a tool test can
// compare what was drawn with a table of expected lines.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "QXDrawInfo.h"

struct CDrawnPoint {
    double price;
    float position;
};

struct CDrawnLine {
    std::vector<CDrawnPoint> vecPoints;
    bool bExtendStart;
    bool bExtendEnd;
};

inline std::vector<CDrawnLine> ReadCurveLines(const QXDrawInfo::CurveDrawInfo& curve) {
    std::vector<CDrawnLine> vecLines;
    for (const QXDrawInfo::CurveSegment& segment : curve.items) {
        CDrawnLine line{{}, segment.extendStart, segment.extendEnd};
        for (const QXDrawInfo::QXPoint& point : segment.points.GetPoint()) {
            line.vecPoints.push_back({point.value, point.position});
        }
        vecLines.push_back(line);
    }
    return vecLines;
}

inline void ExpectSameLines(const std::vector<CDrawnLine>& vecActual,
                            const std::vector<CDrawnLine>& vecExpected, const std::string& strWhat,
                            double tolerance = 1e-4) {
    ASSERT_EQ(vecActual.size(), vecExpected.size()) << strWhat;
    for (std::size_t i = 0; i < vecExpected.size(); ++i) {
        const CDrawnLine& actual = vecActual[i];
        const CDrawnLine& expected = vecExpected[i];
        EXPECT_EQ(actual.bExtendStart, expected.bExtendStart) << strWhat << ", line " << i;
        EXPECT_EQ(actual.bExtendEnd, expected.bExtendEnd) << strWhat << ", line " << i;
        ASSERT_EQ(actual.vecPoints.size(), expected.vecPoints.size()) << strWhat << ", line " << i;
        for (std::size_t k = 0; k < expected.vecPoints.size(); ++k) {
            EXPECT_NEAR(actual.vecPoints[k].price, expected.vecPoints[k].price, tolerance)
                << strWhat << ", line " << i << ", point " << k;
            EXPECT_NEAR(actual.vecPoints[k].position, expected.vecPoints[k].position, tolerance)
                << strWhat << ", line " << i << ", point " << k;
        }
    }
}
