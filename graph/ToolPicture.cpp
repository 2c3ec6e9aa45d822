#include "graph/ToolPicture.h"

#include <utility>

#include "graph/GraphGeometry.h"
#include "graph/LabelFormat.h"

using QXDrawInfo::QXPoint;

CToolPicture::CToolPicture() : m_info(), m_builder(&m_info) {}

int64_t CToolPicture::AddStyle(const QXDrawInfo::CurveDrawInfo& curve) {
    return m_builder.AddCurve(curve);
}

int64_t CToolPicture::AddLabelStyle(const QXDrawInfo::QXColor& color) {
    return m_builder.AddText(LabelFormat::MakeLabelRecord(color));
}

void CToolPicture::AddLine(int64_t hStyle, const std::vector<QXPoint>& vecPoints, bool bExtendStart,
                           bool bExtendEnd) {
    m_builder.AddCurveSegment(hStyle, GraphGeometry::MakePointVec(vecPoints), bExtendStart,
                              bExtendEnd);
}

void CToolPicture::AddLine(int64_t hStyle, std::initializer_list<QXPoint> points, bool bExtendStart,
                           bool bExtendEnd) {
    m_builder.AddCurveSegment(hStyle, GraphGeometry::MakePointVec(points), bExtendStart,
                              bExtendEnd);
}

void CToolPicture::AddLabel(int64_t hLabels, const QXPoint& at, const std::string& strText) {
    LabelFormat::AddLabel(m_builder, hLabels, at, strText);
}

void CToolPicture::AppendTo(std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    vecOut.push_back(std::move(m_info));
}
