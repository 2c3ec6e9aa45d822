// Making tools for tests: anchors, shapes released on scope exit, and the kind
// facts (class, anchor count) that a family's tests check for every kind.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "FakeCoordinate.h"
#include "QXGraphInterface.h"
#include "graph/QXGraphShapeBase.h"

inline QXGraphPoint MakeAnchor(double price, float position, int time = 0) {
    QXGraphPoint point;
    point.price = price;
    point.position = position;
    point.time = time;
    return point;
}

struct CShapeDeleter {
    void operator()(IQXGraphShapeBase* pShape) const {
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
};
using ShapePtr = std::unique_ptr<IQXGraphShapeBase, CShapeDeleter>;

inline ShapePtr CreateShape(QX_GRAPH_TYPE eType, CFakeCoordinate* pCoord) {
    ShapePtr shape(QXGraphInterface::CreateGraphShape(eType));
    if (shape) shape->SetCoordinate(pCoord);
    return shape;
}

// A kind made through the factory reports itself and its anchor count, and
// is an instance of the class it should derive from.
template <typename TParent>
void ExpectKind(QX_GRAPH_TYPE eType, int nNeedPoints) {
    const std::string strWhat = "kind " + std::to_string(eType);
    ShapePtr shape(QXGraphInterface::CreateGraphShape(eType));
    ASSERT_TRUE(shape) << strWhat;
    EXPECT_EQ(shape->GetGraphType(), eType) << strWhat;
    const QXGraphShapeBase* pBase = dynamic_cast<const QXGraphShapeBase*>(shape.get());
    ASSERT_NE(pBase, nullptr) << strWhat;
    EXPECT_EQ(pBase->GetNeedPointCount(), nNeedPoints) << strWhat;
    EXPECT_NE(dynamic_cast<const TParent*>(shape.get()), nullptr) << strWhat;
}
