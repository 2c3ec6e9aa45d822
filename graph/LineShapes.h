// Line tools: segments, rays, infinite lines, parallel channels and period
// lines. Each draws one curve record in the user's style; the lists it adds
// differ only in their points and in which ends run on to the chart's edge.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/QXGraphShapeBase.h"

// Polyline through all draw points. The wave patterns reuse it.
class QXGraphLineSegment : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

class QXGraphLineSegmentHorizontal : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    void AdjustPoints() override;
};

class QXGraphLineSegmentVertical : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    void AdjustPoints() override;
};

// Runs on beyond its second point.
class QXGraphLineRay : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

// Runs on beyond both points.
class QXGraphLineStraight : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

// One anchor: a horizontal line across the whole chart.
class QXGraphLineStraightHorizontal : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

// Base line through the first two points and its parallel through the third.
class QXGraphLineParallel : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Equally spaced vertical lines, the spacing set by the two anchors.
class QXGraphLinePeriod : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;
};

// The parallel channel plus a third line on the far side of the second, at
// the same distance.
class QXGraphLineAisle : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};
