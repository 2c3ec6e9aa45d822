// Closed figures: triangle, rectangle, parallelogram, circle and ellipse, and
// the parabola tool, which outlines the rectangle of its first two points.
// Outlines are one closed polyline in the user's style; circle and ellipse are
// ellipse records that the client fits through their points.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/LineShapes.h"
#include "graph/QXGraphShapeBase.h"

class QXGraphShapeTriangle : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Two opposite corners.
class QXGraphShapeRetangle : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Three corners; the fourth is built so that its sides are parallel on screen.
class QXGraphShapeParallelogram : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// The ends of a horizontal diameter; the horizontal segment's rule keeps them
// at one price.
class QXGraphShapeCircle : public QXGraphLineSegmentHorizontal {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// The ends of the horizontal axis, then a point on the vertical through its
// centre that sets the other axis.
class QXGraphShapeElipse : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

// Keeps a third point for the client but draws only the rectangle of the first
// two.
class QXGraphShapeParabola : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};
