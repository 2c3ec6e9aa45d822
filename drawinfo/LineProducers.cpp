// Lines: an output drawn as a curve, the broken line of PLOYLINE through the bars
// where a condition holds, and the two-point lines of DRAWLINE.
#include <cstdint>

#include "drawinfo/DrawStageProducers.h"
#include "drawinfo/NamedConstants.h"
#include "drawinfo/ProducerFrame.h"
#include "index/calc/FloatBits.h"

using namespace QXDrawInfo;

namespace {

// Argument positions in the call nodes. The plotting style follows a drawing
// function's own arguments, the colour and the width.
constexpr int CURVE_VALUE = 1;

constexpr int POLYLINE_COND = 1;
constexpr int POLYLINE_PRICE = 2;
constexpr int POLYLINE_STYLE = 5;

constexpr int LINE_COND1 = 1;
constexpr int LINE_PRICE1 = 2;
constexpr int LINE_COND2 = 3;
constexpr int LINE_PRICE2 = 4;
constexpr int LINE_EXPAND = 5;
constexpr int LINE_STYLE_POSITION = 8;

// The bits of a NaN: no usable EXPAND has them, so they stand for "no constant".
constexpr uint32_t NO_CONSTANT = 0xFFFFFFFFu;

LINE_STYLE LineStyleOfPlot(const CProducerFrame& frame, int nStylePosition) {
    const uint32_t nStyle = frame.ConstantArg(nStylePosition, PlotStyle::Nomal);
    return nStyle == PlotStyle::DotLine ? LINE_STYLE_DASH : LINE_STYLE_SOLID;
}

// The points of PLOYLINE's open segment. A point more than one bar after the last
// one brings a point for every bar in between, on the straight line joining them, so
// the host sees a value at every bar the line crosses.
class CJoinedLine {
public:
    CJoinedLine(GraphDrawInfoBuilder& builder, int64_t nCurve) : m_segment(builder, nCurve) {}

    void Add(int nBar, double dValue) {
        if (!m_segment.IsEmpty() && nBar - m_nLastBar > 1) {
            const double dSpan = static_cast<double>(nBar - m_nLastBar);
            for (int nBetween = m_nLastBar + 1; nBetween < nBar; ++nBetween) {
                const double dShare = (nBetween - m_nLastBar) / dSpan;
                m_segment.Add(MakePoint(nBetween, m_dLastValue + (dValue - m_dLastValue) * dShare));
            }
        }
        m_segment.Add(MakePoint(nBar, dValue));
        m_nLastBar = nBar;
        m_dLastValue = dValue;
    }
    bool IsOpen() const { return !m_segment.IsEmpty(); }
    void Close() { m_segment.Close(); }

private:
    COpenSegment m_segment;
    int m_nLastBar = 0;
    double m_dLastValue = 0.0;
};

// EXPAND is read once. A formula's drawing arguments reach the call as references to
// series, which the constant reader cannot evaluate; then the first value of the
// published series counts. Without either it is 0: a plain segment is what the
// statement draws by default, and drawing nothing would hide the lines altogether.
double ReadExpand(const CProducerFrame& frame) {
    const uint32_t nBits = frame.ConstantArg(LINE_EXPAND, NO_CONSTANT);
    if (nBits != NO_CONSTANT) return FloatFromBits(nBits);
    if (const double* pExpand = frame.Series(LINE_EXPAND)) {
        for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
            if (IsDrawable(pExpand[nBar])) return pExpand[nBar];
        }
    }
    return 0.0;
}

}  // namespace

void ProduceCurve(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pValues = frame.Series(CURVE_VALUE);
    if (!frame.IsReady() || pValues == nullptr) return;

    GraphDrawInfoBuilder& builder = frame.Builder();
    COpenSegment segment(
        builder, builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), LINE_STYLE_SOLID)));
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsThinnedIn(nBar, nStep)) continue;
        if (IsDrawable(pValues[nBar])) {
            segment.Add(MakePoint(nBar, pValues[nBar]));
        } else {
            segment.Close();
        }
    }
    segment.Close();
    frame.AppendTo(pOut);
}

void ProducePolyline(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                     const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond = frame.Series(POLYLINE_COND);
    const double* pPrice = frame.Series(POLYLINE_PRICE);
    if (!frame.IsReady() || pCond == nullptr || pPrice == nullptr) return;

    GraphDrawInfoBuilder& builder = frame.Builder();
    const LINE_STYLE ls = LineStyleOfPlot(frame, POLYLINE_STYLE);
    CJoinedLine line(builder, builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), ls)));

    // The line comes in from the last point before the range, so that it does not
    // start at the first point that happens to be in view.
    for (int nBar = frame.First() - 1; nBar >= 0; --nBar) {
        if (!IsConditionOne(pCond[nBar])) continue;
        if (IsDrawable(pPrice[nBar])) line.Add(nBar, pPrice[nBar]);
        break;
    }
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsConditionMet(pCond[nBar])) continue;
        if (IsDrawable(pPrice[nBar])) {
            line.Add(nBar, pPrice[nBar]);
        } else {
            line.Close();
        }
    }
    // ... and goes on to the next point after it.
    if (line.IsOpen()) {
        for (int nBar = frame.Last() + 1; nBar < frame.SeriesBarCount(); ++nBar) {
            if (!IsConditionOne(pCond[nBar])) continue;
            if (IsDrawable(pPrice[nBar])) line.Add(nBar, pPrice[nBar]);
            break;
        }
    }
    line.Close();
    frame.AppendTo(pOut);
}

void ProduceLines(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                  const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond1 = frame.Series(LINE_COND1);
    const double* pPrice1 = frame.Series(LINE_PRICE1);
    const double* pCond2 = frame.Series(LINE_COND2);
    const double* pPrice2 = frame.Series(LINE_PRICE2);
    if (!frame.IsReady() || pCond1 == nullptr || pPrice1 == nullptr || pCond2 == nullptr ||
        pPrice2 == nullptr) {
        return;
    }
    const double dExpand = ReadExpand(frame);
    if (!IsZero(dExpand) && !IsEqual(dExpand, 1.0)) return;
    const bool bExtendEnd = !IsZero(dExpand);

    GraphDrawInfoBuilder& builder = frame.Builder();
    const LINE_STYLE ls = LineStyleOfPlot(frame, LINE_STYLE_POSITION);
    COpenSegment segment(builder, builder.AddCurve(GetCurve(frame.Colour(), frame.Width(), ls)));
    // A start waits for its end; a later start replaces it.
    bool bStarted = false;
    QXPoint start;
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (IsConditionOne(pCond1[nBar])) {
            if (IsDrawable(pPrice1[nBar])) {
                start = MakePoint(nBar, pPrice1[nBar]);
                bStarted = true;
            }
            continue;
        }
        if (bStarted && IsConditionOne(pCond2[nBar]) && IsDrawable(pPrice2[nBar])) {
            segment.Add(start);
            segment.Add(MakePoint(nBar, pPrice2[nBar]));
            segment.Close(bExtendEnd);
            bStarted = false;
        }
    }
    frame.AppendTo(pOut);
}
