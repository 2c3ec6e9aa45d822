// Drawing-tool interface. A shape keeps its anchors in chart data coordinates
// (price, bar position, time) and reaches pixels only through the client's
// converter, so it follows the chart when the client scrolls or zooms. The slot
// order of the operations is the client's binary interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "QXDrawInfo.h"
#include "QXExport.h"

class IQXGraphCoordinate;

// One anchor point. The leading price and position are laid out like
// QXDrawInfo::QXPoint (value, position), which is how a shape turns an anchor
// into a record point.
struct QX_API QXGraphPoint {
    double price = 0.0;
    float position = 0.0f;  // bar index, fractions allowed
    int32_t time = 0;       // seconds, as the converter reports them
};

// Client and library must agree on one set of vector members: the library
// instantiates them once with default visibility and everyone else uses those.
extern template class QX_VECTOR_API std::vector<QXGraphPoint>;

class QX_API QXGraphPointVec {
public:
    QXGraphPointVec();
    QXGraphPointVec(const QXGraphPointVec& other);
    QXGraphPointVec& operator=(const QXGraphPointVec& other);
    ~QXGraphPointVec();

    // Replaces the contents; on exhausted memory the old contents stay.
    void SetPoint(const std::vector<QXGraphPoint>& points);
    const std::vector<QXGraphPoint>& GetPoint() const;

private:
    std::vector<QXGraphPoint> m_vecPoints;
};

// Tool kinds. The value is what the client stores and passes to the factory;
// values outside this list create a plain segment.
enum QX_GRAPH_TYPE : int {
    QX_GRAPH_LINE_SEGMENT = 1,
    QX_GRAPH_LINE_SEGMENT_HORIZONTAL = 2,
    QX_GRAPH_LINE_SEGMENT_VERTICAL = 3,
    QX_GRAPH_LINE_RAY = 4,
    QX_GRAPH_LINE_STRAIGHT = 5,
    QX_GRAPH_LINE_PARALLEL = 6,
    QX_GRAPH_LINE_PERIOD = 7,
    QX_GRAPH_LINE_AISLE = 8,
    QX_GRAPH_LINE_STRAIGHT_HORIZONTAL = 9,
    QX_GRAPH_SHAPE_TRIANGLE = 20,
    QX_GRAPH_SHAPE_RETANGLE = 21,
    QX_GRAPH_SHAPE_PARALLELOGRAM = 22,
    QX_GRAPH_SHAPE_CIRCLE = 23,
    QX_GRAPH_SHAPE_ELIPSE = 24,
    QX_GRAPH_SHAPE_PARABOLA = 25,
    QX_GRAPH_PATTERN_3 = 40,
    QX_GRAPH_PATTERN_5 = 41,
    QX_GRAPH_PATTERN_8 = 42,
    QX_GRAPH_PATTERN_HEAD_SHOULDER = 43,
    QX_GRAPH_PATTERN_MW = 44,
    QX_GRAPH_PATTERN_ABCD = 45,
    QX_GRAPH_PATTERN_XABCD = 46,
    QX_GRAPH_PATTERN_TRIANGLE = 47,
    QX_GRAPH_COMPLEX_SPEED_RESISTANCE = 60,
    QX_GRAPH_COMPLEX_GANN_BOX = 61,
    QX_GRAPH_COMPLEX_GANN_FAN = 62,
    QX_GRAPH_COMPLEX_FIB_CHANNEL = 63,
    QX_GRAPH_COMPLEX_DIGESTION_POINT = 64,
    QX_GRAPH_COMPLEX_FIB_TIME_ZONE = 65,
    QX_GRAPH_COMPLEX_GOLDEN_SECTION = 66,
    QX_GRAPH_RANGE_DATE = 80,
    QX_GRAPH_RANGE_PRICE = 81,
    QX_GRAPH_RANGE_DATE_AND_PRICE = 82,
    QX_GRAPH_ARROW = 100,
    QX_GRAPH_RISE_ARROW = 101,
    QX_GRAPH_DROP_ARROW = 102,
    QX_GRAPH_MARKER_TEXT = 1000,
    QX_GRAPH_MARKER_PRICE = 1010,
};

// Shapes are made by QXGraphInterface::CreateGraphShape and destroyed only by
// QXGraphInterface::ReleaseGraphShape, hence no public destructor here.
class IQXGraphShapeBase {
public:
    virtual void SetLineWidth(int nWidth) = 0;
    virtual void SetLineStyle(int nStyle) = 0;
    virtual void SetLineColor(QXDrawInfo::QXColor color) = 0;
    virtual void SetFillColor(QXDrawInfo::QXColor color) = 0;
    virtual void SetTextColor(QXDrawInfo::QXColor color) = 0;
    // Text attributes: only the marker tools keep them.
    virtual void SetLabelText(const std::string& strText) = 0;
    virtual void SetLabelFontSize(int nSize) = 0;
    virtual void SetLabelMode(int nMode) = 0;
    virtual void SetLabelTextColor(QXDrawInfo::QXColor color) = 0;
    virtual void SetLabelWidth(int nWidth) = 0;
    virtual void SetLabelFontName(const std::string& strName) = 0;
    virtual void SetLabelSecondColor(QXDrawInfo::QXColor color) = 0;
    virtual void SetHostFlagA(bool bFlag) = 0;
    virtual void SetAngleSnap(bool bSnap) = 0;
    virtual void SetHostFlagB(bool bFlag) = 0;
    virtual bool SetPoints(const std::vector<QXGraphPoint>& vecPoints) = 0;
    // Not owned: the client keeps the converter alive while the shape exists.
    virtual void SetCoordinate(IQXGraphCoordinate* pCoordinate) = 0;
    // Settings records of the level tools; false for shapes without settings.
    virtual bool SetSettings(const void* pSettings) = 0;
    virtual bool GetSettings(void* pSettings) const = 0;
    virtual QX_GRAPH_TYPE GetGraphType() const = 0;
    virtual int GetLineWidth() const = 0;
    virtual int GetLineStyle() const = 0;
    virtual LINE_STYLE GetDrawLineStyle() const = 0;
    virtual QXDrawInfo::QXColor GetLineColor() const = 0;
    virtual QXDrawInfo::QXColor GetFillColor() const = 0;
    virtual QXDrawInfo::QXColor GetTextColor() const = 0;
    virtual const std::string& GetLabelText() const = 0;
    virtual int GetLabelFontSize() const = 0;
    virtual int GetLabelMode() const = 0;
    virtual QXDrawInfo::QXColor GetLabelTextColor() const = 0;
    virtual int GetLabelWidth() const = 0;
    virtual const std::string& GetLabelFontName() const = 0;
    virtual QXDrawInfo::QXColor GetLabelSecondColor() const = 0;
    virtual bool GetHostFlagA() const = 0;
    virtual bool GetAngleSnap() const = 0;
    virtual bool GetHostFlagB() const = 0;
    virtual bool GetPoints(std::vector<QXGraphPoint>& vecOut) const = 0;
    // The anchors, plus the point under the mouse while the shape is being placed.
    virtual bool GetDrawPoints(std::vector<QXDrawInfo::QXPoint>& vecOut) const = 0;
    virtual int GetSelectedPoint() const = 0;
    virtual bool HitTestPoint(float x, float y, int* pIndex) const = 0;
    // Valid until the next call; rebuilt only after a change.
    virtual const std::vector<QXDrawInfo::GraphDrawInfo>& GetGraphDrawInfo() = 0;
    // True once the shape has all its anchors.
    virtual bool OnMouseDown(float x, float y) = 0;
    virtual void OnMouseMove(float x, float y) = 0;
    virtual bool OnMouseDrag(float fromX, float fromY, float toX, float toY) = 0;

protected:
    ~IQXGraphShapeBase() = default;
};
