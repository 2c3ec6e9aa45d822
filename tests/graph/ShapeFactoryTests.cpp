// The kind table and the factory's fallbacks.
#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <set>

#include "QXGraphInterface.h"
#include "graph/QXGraphShapeBase.h"
#include "graph/ShapeFactory.h"

namespace {

TEST(ShapeFactory, EveryRowCreatesAShapeOfItsKindAndPointCount) {
    std::set<int> setKinds;
    for (std::size_t i = 0; i < GetShapeKindCount(); ++i) {
        const CShapeKind& kind = GetShapeKindAt(i);
        EXPECT_TRUE(setKinds.insert(kind.m_eType).second) << "kind listed twice: " << kind.m_eType;
        EXPECT_EQ(FindShapeKind(kind.m_eType), &kind);

        IQXGraphShapeBase* pShape = QXGraphInterface::CreateGraphShape(kind.m_eType);
        ASSERT_NE(pShape, nullptr) << kind.m_eType;
        EXPECT_EQ(pShape->GetGraphType(), kind.m_eType);
        EXPECT_EQ(static_cast<QXGraphShapeBase*>(pShape)->GetNeedPointCount(), kind.m_nPointCount)
            << kind.m_eType;
        std::vector<QXGraphPoint> vecPoints{QXGraphPoint()};
        EXPECT_TRUE(pShape->GetPoints(vecPoints));
        EXPECT_TRUE(vecPoints.empty());
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
    // The line tools are all there.
    for (int nKind = QX_GRAPH_LINE_SEGMENT; nKind <= QX_GRAPH_LINE_STRAIGHT_HORIZONTAL; ++nKind) {
        EXPECT_NE(FindShapeKind(nKind), nullptr) << nKind;
    }
}

TEST(ShapeFactory, KindsOutsideTheTableGiveASegment) {
    for (int nKind : {0, 10, -5, 19, 999, 1011, INT_MAX, INT_MIN}) {
        IQXGraphShapeBase* pShape =
            QXGraphInterface::CreateGraphShape(static_cast<QX_GRAPH_TYPE>(nKind));
        ASSERT_NE(pShape, nullptr) << nKind;
        EXPECT_EQ(pShape->GetGraphType(), QX_GRAPH_LINE_SEGMENT) << nKind;
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
}

TEST(ShapeFactory, ReleaseIgnoresNull) {
    QXGraphInterface::ReleaseGraphShape(nullptr);
}

}  // namespace
