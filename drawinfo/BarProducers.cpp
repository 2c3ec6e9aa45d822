// Per-bar shapes: an output drawn as columns or as marks (dots, circles, crosses),
// the rectangles of STICK and the candles of DRAWKLINE. Sizes are in bars.
#include <algorithm>
#include <cstdint>

#include "drawinfo/DrawStageProducers.h"
#include "drawinfo/NamedConstants.h"
#include "drawinfo/PriceMovement.h"
#include "drawinfo/ProducerFrame.h"

using namespace QXDrawInfo;

namespace {

constexpr int COLUMN_STYLE = 1;
constexpr int COLUMN_VALUE = 3;

constexpr int CIRCULAR_STYLE = 1;
constexpr int CIRCULAR_VALUE = 2;

constexpr int STICK_COND = 1;
constexpr int STICK_PRICE1 = 2;
constexpr int STICK_PRICE2 = 3;
constexpr int STICK_WIDTH = 4;
constexpr int STICK_EMPTY = 5;

constexpr int CANDLE_HIGH = 1;
constexpr int CANDLE_OPEN = 2;
constexpr int CANDLE_LOW = 3;
constexpr int CANDLE_CLOSE = 4;

// EMPTY of STICK: -1 (all bits) draws dashed frames; 0 filled rectangles.
constexpr uint32_t STICK_DASHED_FRAME = 0xFFFFFFFFu;

// A candle body is 0.7 bars wide, leaving a gap between neighbours.
constexpr double CANDLE_HALF_BODY = 0.35;

// No mark reaches its neighbour's: 0.45 leaves a tenth of a bar between two marks.
constexpr float MAX_MARK_RADIUS = 0.45f;

QXColor HostColour(int nColourId) {
    return GetColorByID(static_cast<COLOR_TYPE>(nColourId));
}

void AddStick(GraphDrawInfoBuilder& builder, int64_t nCurve, int nBar, double dTop, double dBottom,
              std::vector<QXPoint>& vecScratch) {
    vecScratch.assign({MakePoint(nBar, dTop), MakePoint(nBar, dBottom)});
    builder.AddCurveSegment(nCurve, vecScratch, false, false);
}

// The records of a column output, in the order the host expects them.
struct ColumnRecords {
    int64_t nOwnColumn;
    int64_t nRisingStick;
    int64_t nFallingStick;
    int64_t nOwnStick;
    int64_t nOwnLine;
    int64_t nRisingColumn;
    int64_t nFallingColumn;
    int64_t nUnchangedColumn;
};

ColumnRecords AddColumnRecords(CProducerFrame& frame) {
    GraphDrawInfoBuilder& builder = frame.Builder();
    ColumnRecords records;
    records.nOwnColumn = builder.AddRectangle(
        GetRectangleFill(frame.Colour(), FILL_STYLE_SOLID, RECTANGLE_TYPE_PLAIN));
    records.nRisingStick =
        builder.AddCurve(GetCurve(HostColour(HOST_COLOUR_RISING), frame.Width(), LINE_STYLE_SOLID));
    records.nFallingStick = builder.AddCurve(
        GetCurve(HostColour(HOST_COLOUR_FALLING), frame.Width(), LINE_STYLE_SOLID));
    records.nOwnStick = builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), LINE_STYLE_SOLID));
    records.nOwnLine = builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), LINE_STYLE_SOLID));
    records.nRisingColumn = builder.AddRectangle(
        GetRectangleFill(HostColour(HOST_COLOUR_RISING), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    records.nFallingColumn = builder.AddRectangle(
        GetRectangleFill(HostColour(HOST_COLOUR_FALLING), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    records.nUnchangedColumn = builder.AddRectangle(
        GetRectangleFill(HostColour(HOST_COLOUR_UNCHANGED), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    return records;
}

int64_t ColumnOfMovement(const ColumnRecords& records, EBarMovement movement) {
    switch (movement) {
        case EBarMovement::Rising:
            return records.nRisingColumn;
        case EBarMovement::Falling:
            return records.nFallingColumn;
        case EBarMovement::Unchanged:
            break;
    }
    return records.nUnchangedColumn;
}

}  // namespace

void ProduceColumns(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pValues = frame.Series(COLUMN_VALUE);
    if (!frame.IsReady() || pValues == nullptr) return;

    // A code of no column style draws the plain column.
    const uint32_t nStyle = frame.ConstantArg(COLUMN_STYLE, ColumnStyle::Stick);
    const double dHalfWidth = (frame.Thickness() * 0.04 + 0.4) / 2;
    GraphDrawInfoBuilder& builder = frame.Builder();
    const ColumnRecords records = AddColumnRecords(frame);
    COpenSegment line(builder, records.nOwnLine);
    CCloseTrend trend(frame.Prices());
    // One stick per bar at most: room for them up front, one scratch pair for all.
    const size_t nBars = static_cast<size_t>(frame.Last() - frame.First() + 1);
    if (nStyle == ColumnStyle::ColorStick) {
        builder.ReserveCurveSegments(records.nRisingStick, nBars);
        builder.ReserveCurveSegments(records.nFallingStick, nBars);
    } else if (nStyle == ColumnStyle::LineStick) {
        builder.ReserveCurveSegments(records.nOwnStick, nBars);
    }
    std::vector<QXPoint> vecStick;

    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsThinnedIn(nBar, nStep)) continue;
        const double dValue = pValues[nBar];
        if (!IsDrawable(dValue)) {
            line.Close();
            continue;
        }
        if (nStyle == ColumnStyle::LineStick) line.Add(MakePoint(nBar, dValue));
        // A zero column has no height and is left out, as is the stick of the line
        // style, which would be a single point; that style's line still passes here.
        if (IsZero(dValue)) continue;
        const double dTop = std::max(dValue, 0.0);
        const double dBottom = std::min(dValue, 0.0);
        const QXPoint topLeft = MakePoint(nBar - dHalfWidth, dTop);
        const QXPoint bottomRight = MakePoint(nBar + dHalfWidth, dBottom);
        switch (nStyle) {
            case ColumnStyle::VolStick:
                builder.AddRectanglePoints(
                    ColumnOfMovement(records, VolumeMovement(frame.Prices(), nBar, trend)), topLeft,
                    bottomRight);
                break;
            case ColumnStyle::RTVolStick:
                builder.AddRectanglePoints(
                    ColumnOfMovement(records, RealTimeVolumeMovement(frame.Prices(), nBar)),
                    topLeft, bottomRight);
                break;
            case ColumnStyle::ColorStick:
                AddStick(builder, dValue > 0 ? records.nRisingStick : records.nFallingStick, nBar,
                         dTop, dBottom, vecStick);
                break;
            case ColumnStyle::LineStick:
                AddStick(builder, records.nOwnStick, nBar, dTop, dBottom, vecStick);
                break;
            default:
                builder.AddRectanglePoints(records.nOwnColumn, topLeft, bottomRight);
                break;
        }
    }
    line.Close();
    frame.AppendTo(pOut);
}

void ProduceCircleMarks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                        int nStep, const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pValues = frame.Series(CIRCULAR_VALUE);
    if (!frame.IsReady() || pValues == nullptr) return;

    // A code of no circular style draws circles.
    const uint32_t nStyle = frame.ConstantArg(CIRCULAR_STYLE, CircularStyle::Circle);
    const float fThickness = static_cast<float>(frame.Thickness());
    const float fDotRadius = std::min(0.1f + 0.035f * fThickness, MAX_MARK_RADIUS);
    const float fCircleRadius = std::min(0.15f + 0.03f * fThickness, MAX_MARK_RADIUS);

    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nCircle =
        builder.AddElipse(GetElipseFrame(frame.Colour(), 1.0f, LINE_STYLE_SOLID));
    const int64_t nDot = builder.AddElipse(GetElipseFill(frame.Colour(), FILL_STYLE_SOLID));
    const int64_t nCross = builder.AddCross(GetCross(frame.Colour(), 1.0f, LINE_STYLE_SOLID));
    COpenSegment dotLine(
        builder, builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), LINE_STYLE_DASH)));
    const int64_t nRisingCircle =
        builder.AddElipse(GetElipseFrame(HostColour(HOST_COLOUR_RISING), 1.0f, LINE_STYLE_SOLID));
    const int64_t nFallingCircle =
        builder.AddElipse(GetElipseFrame(HostColour(HOST_COLOUR_FALLING), 1.0f, LINE_STYLE_SOLID));
    const int64_t nUnchangedCircle = builder.AddElipse(
        GetElipseFrame(HostColour(HOST_COLOUR_UNCHANGED), 1.0f, LINE_STYLE_SOLID));

    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsThinnedIn(nBar, nStep)) continue;
        const double dValue = pValues[nBar];
        if (!IsDrawable(dValue)) {
            dotLine.Close();
            continue;
        }
        const QXPoint centre = MakePoint(nBar, dValue);
        switch (nStyle) {
            case CircularStyle::Point:
                builder.AddCircle(nDot, centre, fDotRadius);
                break;
            case CircularStyle::Cross:
                builder.AddCrossPoint(nCross, centre, fCircleRadius);
                break;
            case CircularStyle::DotLine:
                dotLine.Add(centre);
                break;
            case CircularStyle::Sar: {
                const EBarMovement movement = StopMovement(frame.Prices(), nBar, dValue);
                const int64_t nSarCircle = movement == EBarMovement::Rising    ? nRisingCircle
                                           : movement == EBarMovement::Falling ? nFallingCircle
                                                                               : nUnchangedCircle;
                builder.AddCircle(nSarCircle, centre, fCircleRadius);
                break;
            }
            default:
                builder.AddCircle(nCircle, centre, fCircleRadius);
                break;
        }
    }
    dotLine.Close();
    frame.AppendTo(pOut);
}

void ProduceSticks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                   const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond = frame.Series(STICK_COND);
    const double* pPrice1 = frame.Series(STICK_PRICE1);
    const double* pPrice2 = frame.Series(STICK_PRICE2);
    const double* pWidth = frame.Series(STICK_WIDTH);
    const double* pEmpty = frame.Series(STICK_EMPTY);
    if (!frame.IsReady() || pCond == nullptr || pPrice1 == nullptr || pPrice2 == nullptr ||
        pWidth == nullptr || pEmpty == nullptr) {
        return;
    }

    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nFilled = builder.AddRectangle(
        GetRectangleFill(frame.Colour(), FILL_STYLE_SOLID, RECTANGLE_TYPE_PLAIN));
    const int64_t nDashed = builder.AddRectangle(
        GetRectangleFrame(frame.Colour(), 1.0f, LINE_STYLE_DASH, RECTANGLE_TYPE_PLAIN));
    const int64_t nFramed = builder.AddRectangle(
        GetRectangleFrame(frame.Colour(), 1.0f, LINE_STYLE_SOLID, RECTANGLE_TYPE_PLAIN));

    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsConditionMet(pCond[nBar]) || !IsDrawable(pPrice1[nBar]) ||
            !IsDrawable(pPrice2[nBar]) || !IsDrawable(pWidth[nBar]) || !IsDrawable(pEmpty[nBar])) {
            continue;
        }
        const double dWidth = pWidth[nBar] > VALUE_EPSILON ? pWidth[nBar] : 1.0;
        const uint32_t nEmpty = TruncateToUint32(pEmpty[nBar]);
        const int64_t nRecord = nEmpty == 0                    ? nFilled
                                : nEmpty == STICK_DASHED_FRAME ? nDashed
                                                               : nFramed;
        builder.AddRectanglePoints(
            nRecord, MakePoint(nBar - dWidth / 2, std::max(pPrice1[nBar], pPrice2[nBar])),
            MakePoint(nBar + dWidth / 2, std::min(pPrice1[nBar], pPrice2[nBar])));
    }
    frame.AppendTo(pOut);
}

void ProduceCandles(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pHigh = frame.Series(CANDLE_HIGH);
    const double* pOpen = frame.Series(CANDLE_OPEN);
    const double* pLow = frame.Series(CANDLE_LOW);
    const double* pClose = frame.Series(CANDLE_CLOSE);
    if (!frame.IsReady() || pHigh == nullptr || pOpen == nullptr || pLow == nullptr ||
        pClose == nullptr) {
        return;
    }

    // Candles have colours of their own: the output's colour is not used.
    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nFallingBody = builder.AddRectangle(
        GetRectangleFill(HostColour(HOST_COLOUR_FALLING), FILL_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    const int64_t nRisingBody = builder.AddRectangle(GetRectangleFrame(
        HostColour(HOST_COLOUR_RISING), 1.0f, LINE_STYLE_SOLID, RECTANGLE_TYPE_BAR));
    const int64_t nFallingWicks =
        builder.AddCurve(GetCurve(HostColour(HOST_COLOUR_FALLING), 1.0f, LINE_STYLE_SOLID));
    const int64_t nRisingWicks =
        builder.AddCurve(GetCurve(HostColour(HOST_COLOUR_RISING), 1.0f, LINE_STYLE_SOLID));

    CCandleDirection direction(frame.Prices(), frame.First());
    const size_t nBars = static_cast<size_t>(frame.Last() - frame.First() + 1);
    builder.ReserveCurveSegments(nFallingWicks, 2 * nBars);
    builder.ReserveCurveSegments(nRisingWicks, 2 * nBars);
    std::vector<QXPoint> vecStick;
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsThinnedIn(nBar, nStep)) continue;
        const double dHigh = pHigh[nBar];
        const double dOpen = pOpen[nBar];
        const double dLow = pLow[nBar];
        const double dClose = pClose[nBar];
        if (!IsDrawable(dHigh) || !IsDrawable(dOpen) || !IsDrawable(dLow) || !IsDrawable(dClose)) {
            continue;
        }
        const double dTop = std::max(dOpen, dClose);
        const double dBottom = std::min(dOpen, dClose);
        const bool bRising = direction.IsRising(nBar, dOpen, dClose);
        builder.AddRectanglePoints(bRising ? nRisingBody : nFallingBody,
                                   MakePoint(nBar - CANDLE_HALF_BODY, dTop),
                                   MakePoint(nBar + CANDLE_HALF_BODY, dBottom));
        const int64_t nWicks = bRising ? nRisingWicks : nFallingWicks;
        AddStick(builder, nWicks, nBar, dHigh, dTop, vecStick);
        AddStick(builder, nWicks, nBar, dBottom, dLow, vecStick);
    }
    frame.AppendTo(pOut);
}
