// Shapes made through the factory, given a converter and their anchors, and
// released when the test is done with them.
#pragma once

#include <memory>
#include <vector>

#include "QXGraphInterface.h"

struct CShapeDeleter {
    void operator()(IQXGraphShapeBase* pShape) const {
        QXGraphInterface::ReleaseGraphShape(pShape);
    }
};
using ShapePtr = std::unique_ptr<IQXGraphShapeBase, CShapeDeleter>;

inline QXGraphPoint MakeAnchor(double price, float position) {
    QXGraphPoint point;
    point.price = price;
    point.position = position;
    return point;
}

inline ShapePtr CreatePlacedShape(QX_GRAPH_TYPE eType, IQXGraphCoordinate* pCoord,
                                  const std::vector<QXGraphPoint>& vecAnchors) {
    ShapePtr shape(QXGraphInterface::CreateGraphShape(eType));
    if (!shape) return shape;
    shape->SetCoordinate(pCoord);
    shape->SetPoints(vecAnchors);
    return shape;
}
