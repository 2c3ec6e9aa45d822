// Arrow tools: a shaft with a head at its end. The arrow is placed by its two
// ends; the rise and drop arrows by one point, with a short vertical shaft
// pointing up from it or down onto it.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/QXGraphShapeBase.h"

class QXGraphArrow : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Head at the upper end of a shaft that starts at the point.
class QXGraphRiseArrow : public QXGraphArrow {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};

// Head at the point, at the end of a shaft coming down from above it.
class QXGraphDropArrow : public QXGraphArrow {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};
