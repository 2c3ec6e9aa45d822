#include "graph/RangeShapes.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "drawinfo/GraphDrawInfoBuilder.h"
#include "graph/ArrowHead.h"
#include "graph/GraphGeometry.h"
#include "graph/MeasureLabels.h"

using GraphGeometry::MakeDrawPoint;
using GraphGeometry::MakePointVec;
using QXDrawInfo::QXPoint;

namespace {

enum ERangeMeasure { kMeasureDate, kMeasurePrice, kMeasureDateAndPrice };

// The label record of the ranges: colour id 6 for the text, the shape's text
// colour for the other two. The style tells the client whether the measured
// end lies above the start on screen (34) or not (10).
constexpr COLOR_TYPE kRangeLabelColorId = static_cast<COLOR_TYPE>(6);
constexpr float kRangeLabelFontSize = 12.0f;
constexpr int kRangeLabelStyleBelow = 10;
constexpr int kRangeLabelStyleAbove = 34;
constexpr int kRangeLabelFlags = 0;

float RoundToWholeBar(float position) {
    return std::floor(position + 0.5f);
}

int PositionToTime(IQXGraphCoordinate* pCoordinate, float position) {
    int nTime = 0;
    if (pCoordinate != nullptr) pCoordinate->PositionToTime(position, &nTime);
    return nTime;
}

std::string MakeBarSpanText(IQXGraphCoordinate* pCoordinate, const QXPoint& p0, const QXPoint& p1) {
    const int nBars = GraphGeometry::TruncateToInt(static_cast<double>(p1.position) - p0.position);
    // Times are 32-bit; their difference is not.
    const int64_t nSeconds = static_cast<int64_t>(PositionToTime(pCoordinate, p1.position)) -
                             PositionToTime(pCoordinate, p0.position);
    return MeasureLabels::FormatBarSpan(nBars, nSeconds);
}

std::string MakePriceSpanText(IQXGraphCoordinate* pCoordinate, const QXPoint& p0, const QXPoint& p1,
                              bool bBarSpanFollows) {
    double unit = 1.0;
    if (pCoordinate != nullptr) pCoordinate->GetPriceUnit(&unit);
    return MeasureLabels::FormatPriceSpan(p0.value, p1.value, unit, bBarSpanFollows);
}

std::string MakeRangeLabel(IQXGraphCoordinate* pCoordinate, const QXPoint& p0, const QXPoint& p1,
                           ERangeMeasure eMeasure) {
    switch (eMeasure) {
        case kMeasureDate:
            return MakeBarSpanText(pCoordinate, p0, p1);
        case kMeasurePrice:
            return MakePriceSpanText(pCoordinate, p0, p1, false);
        case kMeasureDateAndPrice:
            return MakePriceSpanText(pCoordinate, p0, p1, true) +
                   MakeBarSpanText(pCoordinate, p0, p1);
    }
    return std::string();
}

// One picture: fill, edges, arrowed middle lines, label, in that order.
void DrawRange(const QXGraphShapeBase& shape, IQXGraphCoordinate* pCoordinate,
               std::vector<QXPoint> vecPoints, ERangeMeasure eMeasure,
               std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    if (vecPoints.size() < 2) return;
    for (QXPoint& point : vecPoints) point.position = RoundToWholeBar(point.position);
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    const QXPoint corner01 = MakeDrawPoint(p1.value, p0.position);
    const QXPoint corner10 = MakeDrawPoint(p0.value, p1.position);
    const double midPrice = (p0.value + p1.value) * 0.5;
    const float midPosition = (p0.position + p1.position) * 0.5f;

    const float width = static_cast<float>(shape.GetLineWidth());
    QXDrawInfo::GraphDrawInfo info;
    QXDrawInfo::GraphDrawInfoBuilder builder(&info);
    const int64_t hFill =
        builder.AddCurve(QXDrawInfo::GetCurveFill(shape.GetFillColor(), FILL_STYLE_SOLID));
    const int64_t hEdges =
        builder.AddCurve(QXDrawInfo::GetCurve(shape.GetLineColor(), width, LINE_STYLE_SOLID));
    const int64_t hMiddle =
        builder.AddCurve(QXDrawInfo::GetCurve(shape.GetLineColor(), width, LINE_STYLE_DASH));

    // The four corners as they are, not closed; the combined range outlines
    // this same list.
    const QXDrawInfo::QXPointVec corners = MakePointVec({p0, corner01, p1, corner10});
    builder.AddCurveSegment(hFill, corners, false, false);

    auto addArrowedLine = [&](const QXPoint& from, const QXPoint& to) {
        builder.AddCurveSegment(hMiddle, MakePointVec({from, to}), false, false);
        GraphGeometry::AddArrowHead(builder, hMiddle, pCoordinate, from, to);
    };
    const QXPoint dateFrom = MakeDrawPoint(midPrice, p0.position);
    const QXPoint dateTo = MakeDrawPoint(midPrice, p1.position);
    const QXPoint priceFrom = MakeDrawPoint(p0.value, midPosition);
    const QXPoint priceTo = MakeDrawPoint(p1.value, midPosition);
    switch (eMeasure) {
        case kMeasureDate:
            builder.AddCurveSegment(hEdges, MakePointVec({p0, corner01}), false, false);
            builder.AddCurveSegment(hEdges, MakePointVec({p1, corner10}), false, false);
            addArrowedLine(dateFrom, dateTo);
            break;
        case kMeasurePrice:
            builder.AddCurveSegment(hEdges, MakePointVec({p0, corner10}), false, false);
            builder.AddCurveSegment(hEdges, MakePointVec({p1, corner01}), false, false);
            addArrowedLine(priceFrom, priceTo);
            break;
        case kMeasureDateAndPrice:
            builder.AddCurveSegment(hEdges, corners, false, false);
            addArrowedLine(dateFrom, dateTo);
            addArrowedLine(priceFrom, priceTo);
            break;
    }

    const QXDrawInfo::QXColor textColor = shape.GetTextColor();
    const bool bEndAbove = GraphGeometry::PriceToPixelY(pCoordinate, p1.value) <
                           GraphGeometry::PriceToPixelY(pCoordinate, p0.value);
    const int64_t hText = builder.AddText(QXDrawInfo::GetText(
        QXDrawInfo::GetColorByID(kRangeLabelColorId), textColor, textColor, kRangeLabelFontSize,
        bEndAbove ? kRangeLabelStyleAbove : kRangeLabelStyleBelow, std::string(), 0, 0));
    // The label point goes through pixels and back, so it lands where the
    // client's converter puts the second anchor on screen.
    const QXPoint labelAt =
        GraphGeometry::FromPixel(pCoordinate, GraphGeometry::ToPixel(pCoordinate, p1));
    builder.AddTextItem(hText, labelAt, MakeRangeLabel(pCoordinate, p0, p1, eMeasure),
                        kRangeLabelFlags, QXPoint());
    vecOut.push_back(std::move(info));
}

}  // namespace

QX_GRAPH_TYPE QXGraphRangeDate::GetGraphType() const {
    return QX_GRAPH_RANGE_DATE;
}
int QXGraphRangeDate::GetNeedPointCount() const {
    return 2;
}
void QXGraphRangeDate::Draw(std::vector<QXPoint> vecPoints) {
    DrawRange(*this, m_pCoordinate, std::move(vecPoints), kMeasureDate, m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphRangePrice::GetGraphType() const {
    return QX_GRAPH_RANGE_PRICE;
}
int QXGraphRangePrice::GetNeedPointCount() const {
    return 2;
}
void QXGraphRangePrice::Draw(std::vector<QXPoint> vecPoints) {
    DrawRange(*this, m_pCoordinate, std::move(vecPoints), kMeasurePrice, m_vecDrawInfos);
}

QX_GRAPH_TYPE QXGraphRangeDateAndPrice::GetGraphType() const {
    return QX_GRAPH_RANGE_DATE_AND_PRICE;
}
int QXGraphRangeDateAndPrice::GetNeedPointCount() const {
    return 2;
}
void QXGraphRangeDateAndPrice::Draw(std::vector<QXPoint> vecPoints) {
    DrawRange(*this, m_pCoordinate, std::move(vecPoints), kMeasureDateAndPrice, m_vecDrawInfos);
}
