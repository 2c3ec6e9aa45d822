// Markers: a text attached to a point of the chart. The price marker shows the
// price of its point and keeps it up to date; the text marker shows the
// client's text in a box whose width the user drags. Both are complete after a
// single click: the click places the point and the marker adds its label point
// beside it.
#pragma once

#include <string>
#include <vector>

#include "QXDrawInfo.h"
#include "graph/QXGraphShapeBase.h"

// Anchors: the price point, then the label point.
class QXGraphMarkerPrice : public QXGraphShapeBase {
public:
    QXGraphMarkerPrice();

    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;

    void SetLabelText(const std::string& strText) override;
    void SetLabelFontSize(int nSize) override;
    void SetLabelMode(int nMode) override;
    void SetLabelTextColor(QXDrawInfo::QXColor color) override;
    void SetLabelFontName(const std::string& strName) override;
    void SetLabelSecondColor(QXDrawInfo::QXColor color) override;
    const std::string& GetLabelText() const override;
    int GetLabelFontSize() const override;
    int GetLabelMode() const override;
    QXDrawInfo::QXColor GetLabelTextColor() const override;
    const std::string& GetLabelFontName() const override;
    QXDrawInfo::QXColor GetLabelSecondColor() const override;

    bool OnMouseDrag(float fromX, float fromY, float toX, float toY) override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;

protected:
    // Pixels per bar as the converter gives it; 1 when it cannot say.
    float ReadBarWidth() const;
    // With exactly one anchor, adds the label point a few pixels to its right
    // and 30 pixels below it, or above it when that would come too close to
    // the bottom of the chart.
    void AddLabelPoint(float barWidth);

    std::string m_strLabelFontName;
    std::string m_strText;
    int m_nLabelFontSize;
    int m_nLabelMode;
    QXDrawInfo::QXColor m_clrLabelText;
    QXDrawInfo::QXColor m_clrLabelSecond;
};

// Anchors: the point, the label point (the box's left end) and the box's right
// end, which follows the label point at the box width.
class QXGraphMarkerText : public QXGraphMarkerPrice {
public:
    QXGraphMarkerText();

    QX_GRAPH_TYPE GetGraphType() const override;
    void SetLabelWidth(int nWidth) override;
    int GetLabelWidth() const override;

    bool OnMouseDrag(float fromX, float fromY, float toX, float toY) override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;

private:
    int m_nLabelWidth;  // box width in pixels
};
