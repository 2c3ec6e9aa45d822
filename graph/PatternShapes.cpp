#include "graph/PatternShapes.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "graph/GraphGeometry.h"
#include "graph/LabelFormat.h"
#include "graph/ToolPicture.h"

using QXDrawInfo::QXPoint;

namespace {

// One picture of a pattern. The four styles are fixed per pattern: solid lines
// for the pattern itself, dashed ones for the legs that the ratios measure,
// shaded areas and labels. A style's record is added on its first use, so the
// picture holds no record without items and its records appear in the order in
// which the pattern first needs them.
class CPatternPicture {
public:
    CPatternPicture(QXDrawInfo::QXColor clrLine, QXDrawInfo::QXColor clrFill, int nLineWidth)
        : m_clrLine(clrLine), m_clrFill(clrFill), m_fLineWidth(static_cast<float>(nLineWidth)) {}

    void AddSolidLine(const std::vector<QXPoint>& vecPoints) {
        if (m_hSolid < 0) {
            m_hSolid =
                m_picture.AddStyle(QXDrawInfo::GetCurve(m_clrLine, m_fLineWidth, LINE_STYLE_SOLID));
        }
        m_picture.AddLine(m_hSolid, vecPoints, false, false);
    }
    void AddDashedLine(const std::vector<QXPoint>& vecPoints) {
        if (m_hDashed < 0) {
            m_hDashed =
                m_picture.AddStyle(QXDrawInfo::GetCurve(m_clrLine, m_fLineWidth, LINE_STYLE_DASH));
        }
        m_picture.AddLine(m_hDashed, vecPoints, false, false);
    }
    void AddFill(const std::vector<QXPoint>& vecPoints) {
        if (m_hFill < 0) {
            m_hFill = m_picture.AddStyle(QXDrawInfo::GetCurveFill(m_clrFill, FILL_STYLE_SOLID));
        }
        m_picture.AddLine(m_hFill, vecPoints, false, false);
    }
    void AddLabel(const QXPoint& point, const std::string& strText) {
        if (m_hLabel < 0) m_hLabel = m_picture.AddLabelStyle(m_clrLine);
        m_picture.AddLabel(m_hLabel, point, strText);
    }

    void AppendTo(std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) { m_picture.AppendTo(vecOut); }

private:
    CToolPicture m_picture;
    QXDrawInfo::QXColor m_clrLine;
    QXDrawInfo::QXColor m_clrFill;
    float m_fLineWidth;
    int64_t m_hSolid = -1;
    int64_t m_hDashed = -1;
    int64_t m_hFill = -1;
    int64_t m_hLabel = -1;
};

QXPoint Midpoint(const QXPoint& u, const QXPoint& w) {
    return GraphGeometry::MakeDrawPoint((u.value + w.value) * 0.5,
                                        (u.position + w.position) * 0.5f);
}

// The leg V-W measured against the leg U-V, written midway between U and W.
// A flat U-V leg gives "inf" and three equal prices "nan": the ratio has no
// finite value then, and the label says so rather than vanishing.
void AddLegRatio(CPatternPicture& picture, const QXPoint& u, const QXPoint& v, const QXPoint& w) {
    const double ratio = std::fabs((v.value - w.value) / (u.value - v.value));
    picture.AddLabel(Midpoint(u, w), LabelFormat::FormatNumber(ratio));
}

// Among the four triangle points, the one farthest from the apex on P0's side:
// the rightmost when P0 lies right of the apex, the leftmost when it lies left,
// P0 itself when it is level with it. Ties go to the earlier point.
std::size_t FindTriangleStart(const std::vector<QXPoint>& vecPoints, float apexPosition) {
    const float firstPosition = vecPoints[0].position;
    std::size_t nStart = 0;
    if (firstPosition > apexPosition) {
        // The search starts from position 0, the left edge of the chart: no drawn
        // point lies left of it. Should none exceed it, P0 serves.
        float best = 0.0f;
        for (std::size_t i = 0; i < vecPoints.size(); ++i) {
            if (vecPoints[i].position > best) {
                best = vecPoints[i].position;
                nStart = i;
            }
        }
    } else if (firstPosition < apexPosition) {
        for (std::size_t i = 1; i < vecPoints.size(); ++i) {
            if (vecPoints[i].position < vecPoints[nStart].position) nStart = i;
        }
    }
    return nStart;
}

}  // namespace

QX_GRAPH_TYPE QXGraphPattern3::GetGraphType() const {
    return QX_GRAPH_PATTERN_3;
}
int QXGraphPattern3::GetNeedPointCount() const {
    return 4;
}

QX_GRAPH_TYPE QXGraphPattern5::GetGraphType() const {
    return QX_GRAPH_PATTERN_5;
}
int QXGraphPattern5::GetNeedPointCount() const {
    return 6;
}

QX_GRAPH_TYPE QXGraphPattern8::GetGraphType() const {
    return QX_GRAPH_PATTERN_8;
}
int QXGraphPattern8::GetNeedPointCount() const {
    return 9;
}

QX_GRAPH_TYPE QXGraphPatternMW::GetGraphType() const {
    return QX_GRAPH_PATTERN_MW;
}
int QXGraphPatternMW::GetNeedPointCount() const {
    return 5;
}

QX_GRAPH_TYPE QXGraphPatternABCD::GetGraphType() const {
    return QX_GRAPH_PATTERN_ABCD;
}
int QXGraphPatternABCD::GetNeedPointCount() const {
    return 4;
}
void QXGraphPatternABCD::Draw(std::vector<QXPoint> vecPoints) {
    const std::size_t n = vecPoints.size();
    CPatternPicture picture(m_clrLine, m_clrFill, m_nLineWidth);
    picture.AddSolidLine(vecPoints);
    if (n >= 1) picture.AddLabel(vecPoints[0], "A");
    if (n >= 2) picture.AddLabel(vecPoints[1], "B");
    if (n >= 3) {
        picture.AddLabel(vecPoints[2], "C");
        picture.AddDashedLine({vecPoints[0], vecPoints[2]});
        AddLegRatio(picture, vecPoints[0], vecPoints[1], vecPoints[2]);
    }
    if (n >= 4) {
        picture.AddLabel(vecPoints[3], "D");
        picture.AddDashedLine({vecPoints[1], vecPoints[3]});
        AddLegRatio(picture, vecPoints[1], vecPoints[2], vecPoints[3]);
    }
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphPatternXABCD::GetGraphType() const {
    return QX_GRAPH_PATTERN_XABCD;
}
int QXGraphPatternXABCD::GetNeedPointCount() const {
    return 5;
}
void QXGraphPatternXABCD::Draw(std::vector<QXPoint> vecPoints) {
    const std::size_t n = vecPoints.size();
    CPatternPicture picture(m_clrLine, m_clrFill, m_nLineWidth);
    picture.AddSolidLine(vecPoints);
    if (n >= 2) picture.AddLabel(vecPoints[0], "X");
    if (n >= 3) {
        picture.AddLabel(vecPoints[1], "A");
        picture.AddLabel(vecPoints[2], "B");
        picture.AddDashedLine({vecPoints[0], vecPoints[2]});
        picture.AddFill({vecPoints[0], vecPoints[1], vecPoints[2]});
        AddLegRatio(picture, vecPoints[0], vecPoints[1], vecPoints[2]);
    }
    if (n >= 4) {
        picture.AddLabel(vecPoints[3], "C");
        picture.AddDashedLine({vecPoints[1], vecPoints[3]});
        AddLegRatio(picture, vecPoints[1], vecPoints[2], vecPoints[3]);
    }
    if (n >= 5) {
        const QXPoint& x = vecPoints[0];
        const QXPoint& a = vecPoints[1];
        const QXPoint& d = vecPoints[4];
        picture.AddLabel(d, "D");
        picture.AddDashedLine({vecPoints[2], d});
        picture.AddFill({vecPoints[2], vecPoints[3], d});
        AddLegRatio(picture, vecPoints[2], vecPoints[3], d);
        // How far D retraces the whole XA leg; only the number is shown, no line.
        picture.AddLabel(Midpoint(x, d), LabelFormat::FormatNumber(
                                             std::fabs((a.value - d.value) / (a.value - x.value))));
    }
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphPatternHeadShoulder::GetGraphType() const {
    return QX_GRAPH_PATTERN_HEAD_SHOULDER;
}
int QXGraphPatternHeadShoulder::GetNeedPointCount() const {
    return 7;
}
void QXGraphPatternHeadShoulder::Draw(std::vector<QXPoint> vecPoints) {
    const std::size_t n = vecPoints.size();
    CPatternPicture picture(m_clrLine, m_clrFill, m_nLineWidth);
    // The neckline shows once the right shoulder is there; the head is shaded
    // as soon as its right neckline point is.
    if (n >= 6) picture.AddDashedLine({vecPoints[2], vecPoints[4]});
    if (n >= 5) {
        picture.AddFill({vecPoints[2], vecPoints[3], vecPoints[4]});
        // A leg parallel to the neckline never meets it: that shoulder stays bare.
        QXPoint leftCross;
        if (GraphGeometry::IntersectLines(vecPoints[0], vecPoints[1], vecPoints[2], vecPoints[4],
                                          &leftCross)) {
            picture.AddFill({leftCross, vecPoints[1], vecPoints[2]});
        }
    }
    if (n >= 7) {
        QXPoint rightCross;
        if (GraphGeometry::IntersectLines(vecPoints[2], vecPoints[4], vecPoints[5], vecPoints[6],
                                          &rightCross)) {
            picture.AddFill({rightCross, vecPoints[4], vecPoints[5]});
        }
    }
    picture.AddSolidLine(vecPoints);
    picture.AppendTo(m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphPatternTriangle::GetGraphType() const {
    return QX_GRAPH_PATTERN_TRIANGLE;
}
int QXGraphPatternTriangle::GetNeedPointCount() const {
    return 4;
}
void QXGraphPatternTriangle::Draw(std::vector<QXPoint> vecPoints) {
    static const char* const kLetters[] = {"A", "B", "C", "D"};
    const std::size_t n = vecPoints.size();
    CPatternPicture picture(m_clrLine, m_clrFill, m_nLineWidth);
    for (std::size_t i = 0; i < n && i < 4; ++i) picture.AddLabel(vecPoints[i], kLetters[i]);
    picture.AddSolidLine(vecPoints);
    if (n < 4) {
        picture.AppendTo(m_vecDrawInfos);
        return;
    }

    // Boundaries that never meet make no triangle, and then nothing is drawn at
    // all: half a pattern would suggest a shape the points do not have.
    QXPoint apex;
    if (!GraphGeometry::IntersectLines(vecPoints[0], vecPoints[2], vecPoints[1], vecPoints[3],
                                       &apex)) {
        return;
    }
    const std::size_t nStart = FindTriangleStart(vecPoints, apex.position);
    const QXPoint& start = vecPoints[nStart];
    // The points alternate between the boundaries: A and C on the upper one, B
    // and D on the lower. The outline closes along the vertical through the
    // start point, down or up to the other boundary.
    const bool bStartOnUpper = nStart % 2 == 0;
    const QXPoint& otherFrom = bStartOnUpper ? vecPoints[1] : vecPoints[0];
    const QXPoint& otherTo = bStartOnUpper ? vecPoints[3] : vecPoints[2];
    QXPoint closing;
    if (!GraphGeometry::IntersectLines(otherFrom, otherTo, start,
                                       GraphGeometry::MakeDrawPoint(0.0, start.position),
                                       &closing)) {
        return;
    }
    const std::vector<QXPoint> vecOutline{apex, start, closing, apex};
    picture.AddSolidLine(vecOutline);
    picture.AddFill(vecOutline);
    picture.AppendTo(m_vecDrawInfos);
}
