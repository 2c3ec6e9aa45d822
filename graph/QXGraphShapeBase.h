// Common implementation of every drawing tool: styles, anchors, the mouse
// protocol, hit testing and the record cache. A tool family supplies only its
// kind, its anchor count, its Draw and its choice of AdjustPoints rule, which it
// picks from the protected helpers below.
#pragma once

#include <string>
#include <vector>

#include "IQXGraphCoordinate.h"
#include "IQXGraphShapeBase.h"
#include "QXDrawInfo.h"

class QXGraphShapeBase : public IQXGraphShapeBase {
public:
    QXGraphShapeBase();
    QXGraphShapeBase(const QXGraphShapeBase&) = delete;
    QXGraphShapeBase& operator=(const QXGraphShapeBase&) = delete;

    void SetLineWidth(int nWidth) override;
    void SetLineStyle(int nStyle) override;
    void SetLineColor(QXDrawInfo::QXColor color) override;
    void SetFillColor(QXDrawInfo::QXColor color) override;
    void SetTextColor(QXDrawInfo::QXColor color) override;
    void SetLabelText(const std::string& strText) override;
    void SetLabelFontSize(int nSize) override;
    void SetLabelMode(int nMode) override;
    void SetLabelTextColor(QXDrawInfo::QXColor color) override;
    void SetLabelWidth(int nWidth) override;
    void SetLabelFontName(const std::string& strName) override;
    void SetLabelSecondColor(QXDrawInfo::QXColor color) override;
    void SetHostFlagA(bool bFlag) override;
    void SetAngleSnap(bool bSnap) override;
    void SetHostFlagB(bool bFlag) override;
    bool SetPoints(const std::vector<QXGraphPoint>& vecPoints) override;
    void SetCoordinate(IQXGraphCoordinate* pCoordinate) override;
    bool SetSettings(const void* pSettings) override;
    bool GetSettings(void* pSettings) const override;
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetLineWidth() const override;
    int GetLineStyle() const override;
    LINE_STYLE GetDrawLineStyle() const override;
    QXDrawInfo::QXColor GetLineColor() const override;
    QXDrawInfo::QXColor GetFillColor() const override;
    QXDrawInfo::QXColor GetTextColor() const override;
    const std::string& GetLabelText() const override;
    int GetLabelFontSize() const override;
    int GetLabelMode() const override;
    QXDrawInfo::QXColor GetLabelTextColor() const override;
    int GetLabelWidth() const override;
    const std::string& GetLabelFontName() const override;
    QXDrawInfo::QXColor GetLabelSecondColor() const override;
    bool GetHostFlagA() const override;
    bool GetAngleSnap() const override;
    bool GetHostFlagB() const override;
    bool GetPoints(std::vector<QXGraphPoint>& vecOut) const override;
    bool GetDrawPoints(std::vector<QXDrawInfo::QXPoint>& vecOut) const override;
    int GetSelectedPoint() const override;
    bool HitTestPoint(float x, float y, int* pIndex) const override;
    const std::vector<QXDrawInfo::GraphDrawInfo>& GetGraphDrawInfo() override;
    bool OnMouseDown(float x, float y) override;
    void OnMouseMove(float x, float y) override;
    bool OnMouseDrag(float fromX, float fromY, float toX, float toY) override;

    // The virtual operations below follow the interface's in the client's table.
    virtual ~QXGraphShapeBase();
    virtual int GetNeedPointCount() const = 0;
    // Appends the shape's records for these draw points to m_vecDrawInfos.
    virtual void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) = 0;
    // Runs after every change of the anchors or of the tracking point. The base
    // version is the rule of the tools that keep their points as placed.
    virtual void AdjustPoints();

protected:
    bool HasAllPoints() const;
    // AdjustPoints behind a guard: a family's rule may allocate, and nothing may
    // escape to the client.
    void RunAdjustPoints();

    // Mouse position to anchor: the converter's snapping first, else the plain
    // conversion. On failure *pPoint is left as it was.
    bool ConvertMousePoint(float x, float y, unsigned nIndex, QXGraphPoint* pPoint) const;
    // Position, price and time from a pixel, without snapping.
    bool ConvertPixelToAnchor(float x, float y, QXGraphPoint* pPoint) const;
    bool ConvertAnchorToPixel(const QXGraphPoint& point, float* pX, float* pY) const;

    // The point an AdjustPoints rule moves: the anchor being dragged, else the
    // tracking point.
    QXGraphPoint& GetMovingPoint();

    // AdjustPoints rules that the families choose from.
    void AdjustAngleSnap();
    void AdjustSamePrice();
    void AdjustSamePosition();
    void AdjustWholeBars();
    void AdjustEllipseAxes();

    // Curve record in the user's colour, width and style.
    QXDrawInfo::CurveDrawInfo MakeMainCurve() const;
    // Curve record in the user's colour and width with a fixed record style.
    QXDrawInfo::CurveDrawInfo MakeCurve(LINE_STYLE eStyle) const;

    QXGraphPoint m_ptTracking;  // loose end of a shape being placed
    std::vector<QXGraphPoint> m_vecPoints;
    std::vector<QXDrawInfo::GraphDrawInfo> m_vecDrawInfos;
    IQXGraphCoordinate* m_pCoordinate;
    int m_nLineWidth;
    int m_nLineStyle;  // the client's numbering; see GetDrawLineStyle
    QXDrawInfo::QXColor m_clrLine;
    QXDrawInfo::QXColor m_clrFill;
    QXDrawInfo::QXColor m_clrText;
    bool m_bDirty;      // records are rebuilt on the next request
    bool m_bHostFlagA;  // kept for the client only
    bool m_bAngleSnap;
    bool m_bHostFlagB;  // kept for the client only
    int m_nSelectedPoint;

private:
    bool MoveWholeShape(float dx, float dy);
};
