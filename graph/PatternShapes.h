// Chart-pattern tools: wave counts, the double top and bottom, the harmonic
// ABCD and XABCD patterns with their leg ratios, head and shoulders, and the
// converging triangle. The user places the turning points in order; every tool
// draws one picture from them.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "graph/LineShapes.h"
#include "graph/QXGraphShapeBase.h"

// The wave patterns differ from the segment only in their kind and in how many
// turning points they take: they draw the same polyline and snap the same way.
class QXGraphPattern3 : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};

class QXGraphPattern5 : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};

class QXGraphPattern8 : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};

// Double top or double bottom.
class QXGraphPatternMW : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
};

// Points A, B, C, D with the ratios of the legs BC against AB and CD against BC.
class QXGraphPatternABCD : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Points X, A, B, C, D: the leg ratios, the retracement of D against XA, and the
// shaded triangles XAB and BCD.
class QXGraphPatternXABCD : public QXGraphLineSegment {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Start, left shoulder, left neckline point, head, right neckline point, right
// shoulder, end. The shoulders are shaded up to where the outer legs cross the
// neckline.
class QXGraphPatternHeadShoulder : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Upper boundary A-C and lower boundary B-D, closed towards their apex.
class QXGraphPatternTriangle : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};
