// Gann tools: speed-resistance rays, the Gann box, the Gann fan and the
// digestion point. Each takes two anchors and derives its other lines from
// them; the box, the fan and the digestion point construct in pixels so that
// their angles look right on screen whatever the price scale.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/QXGraphShapeBase.h"

// The ray through both anchors and the rays from the first anchor to one
// third and two thirds of the price move.
class QXGraphComplexSpeedResistance : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// The box spanned by the anchors with its diagonals and quarter lines from two
// opposite corners.
class QXGraphComplexGannBox : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Nine labelled rays from the first anchor: the 1/1 ray through the second
// anchor and four steeper and four flatter ones.
class QXGraphComplexGannFan : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// A point placed in pixels from the two anchors and two fixed screen angles,
// joined to both anchors.
class QXGraphComplexDigestionPoint : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};
