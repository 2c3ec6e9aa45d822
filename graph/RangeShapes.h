// Measuring ranges: a shaded span between two anchors with an arrowed middle
// line across what is measured, labelled with the measure: bars and time for
// the date range, price move and percentage for the price range, both for the
// combined one. The anchors are measured on whole bars.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/QXGraphShapeBase.h"

class QXGraphRangeDate : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

class QXGraphRangePrice : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

class QXGraphRangeDateAndPrice : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};
