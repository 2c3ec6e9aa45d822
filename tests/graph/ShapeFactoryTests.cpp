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

#include "FakeCoordinate.h"

namespace {

// Every kind, placed through the interface with the clicks it needs, as a client
// places it, ends complete and draws. Click i lands at bar 2 + 3i on a narrowing
// zigzag of prices, so no two anchors coincide and converging tools converge. The
// markers complete with their first click.
TEST(ShapeFactory, EveryKindPlacedWithItsClicksDraws) {
    CFakeCoordinate coordinate;
    for (std::size_t i = 0; i < GetShapeKindCount(); ++i) {
        const CShapeKind& kind = GetShapeKindAt(i);
        IQXGraphShapeBase* pShape = QXGraphInterface::CreateGraphShape(kind.m_eType);
        ASSERT_NE(pShape, nullptr);
        pShape->SetCoordinate(&coordinate);
        pShape->SetLabelText("note");  // the text marker draws only with a text
        const bool bMarker =
            kind.m_eType == QX_GRAPH_MARKER_TEXT || kind.m_eType == QX_GRAPH_MARKER_PRICE;
        const int nClicks = bMarker ? 1 : kind.m_nPointCount;
        bool bComplete = false;
        for (int nClick = 0; nClick < nClicks; ++nClick) {
            const float fPosition = 2.0f + 3.0f * static_cast<float>(nClick);
            const double dSwing = (nClick % 2 == 0 ? -1.0 : 1.0) * (10.0 - nClick);
            EXPECT_FALSE(bComplete) << kind.m_eType << " complete before its last click";
            bComplete = pShape->OnMouseDown(coordinate.ToPixelX(fPosition),
                                            coordinate.ToPixelY(20.0 + dSwing));
        }
        EXPECT_TRUE(bComplete) << kind.m_eType;

        std::size_t nItems = 0;
        for (const QXDrawInfo::GraphDrawInfo& info : pShape->GetGraphDrawInfo()) {
            nItems += info.drawOrder.size();
        }
        EXPECT_GT(nItems, 0u) << "kind " << kind.m_eType << " drew nothing";
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
}

}  // namespace
