// Areas: BAND fills between two lines in the colour of whichever line is on top,
// FILLRGN fills between two lines where a condition holds. Both give each area one
// closed outline, forwards along the first line and back along the second.
#include <cstdint>
#include <map>
#include <vector>

#include "drawinfo/DrawStageProducers.h"
#include "drawinfo/ProducerFrame.h"

using namespace QXDrawInfo;

namespace {

constexpr int BAND_VALUE1 = 1;
constexpr int BAND_COLOUR1 = 2;
constexpr int BAND_VALUE2 = 3;
constexpr int BAND_COLOUR2 = 4;

constexpr int FILL_PRICE1 = 1;
constexpr int FILL_PRICE2 = 2;
constexpr int FILL_COND = 3;

// The outline of an area: its upper edge as given, then its lower edge reversed.
QXPointVec Outline(const std::vector<QXPoint>& vecUpper, const std::vector<QXPoint>& vecLower) {
    std::vector<QXPoint> vecOutline(vecUpper);
    vecOutline.insert(vecOutline.end(), vecLower.rbegin(), vecLower.rend());
    QXPointVec outline;
    outline.SetPoint(vecOutline);
    return outline;
}

// A colour argument (an RGB value computed by the formula) as an opaque colour.
int ColourOfArgument(double dValue) {
    const uint32_t nValue = TruncateToUint32(dValue);
    return MakeRGBVal(static_cast<int>(nValue & 0xFFu), static_cast<int>((nValue >> 8) & 0xFFu),
                      static_cast<int>((nValue >> 16) & 0xFFu));
}

struct BandBar {
    int nBar;
    double dValue1;
    double dValue2;
    bool bFirstOnTop;  // VAL1 at or above VAL2
    int nColour;       // the colour of the side on top
};

// Where the two lines cross between two bars on different sides: the lines run
// straight from one bar to the other.
QXPoint Crossing(const BandBar& left, const BandBar& right) {
    const double dLeftGap = left.dValue1 - left.dValue2;
    const double dRightGap = right.dValue1 - right.dValue2;
    double dShare = 0.0;
    if (dLeftGap != dRightGap) dShare = dLeftGap / (dLeftGap - dRightGap);
    // Within the comparison epsilon a side may hold a gap of the other sign.
    if (dShare < 0.0) dShare = 0.0;
    if (dShare > 1.0) dShare = 1.0;
    const double dPosition = left.nBar + (right.nBar - left.nBar) * dShare;
    return MakePoint(dPosition, left.dValue1 + (right.dValue1 - left.dValue1) * dShare);
}

// The bars BAND draws: thinned, but always with the range's ends so that the band
// spans the whole view.
std::vector<BandBar> CollectBandBars(const CProducerFrame& frame, int nStep,
                                     const double* const (&arrSeries)[4]) {
    std::vector<BandBar> vecBars;
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsThinnedIn(nBar, nStep) && nBar != frame.First() && nBar != frame.Last()) continue;
        const double dValue1 = arrSeries[0][nBar];
        const double dValue2 = arrSeries[2][nBar];
        if (!IsDrawable(dValue1) || !IsDrawable(dValue2)) continue;
        const bool bFirstOnTop = !IsGreater(dValue2, dValue1);
        const double dColour = bFirstOnTop ? arrSeries[1][nBar] : arrSeries[3][nBar];
        if (!IsDrawable(dColour)) continue;
        vecBars.push_back({nBar, dValue1, dValue2, bFirstOnTop, ColourOfArgument(dColour)});
    }
    return vecBars;
}

}  // namespace

void ProduceBand(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                 const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* const arrSeries[4] = {frame.Series(BAND_VALUE1), frame.Series(BAND_COLOUR1),
                                        frame.Series(BAND_VALUE2), frame.Series(BAND_COLOUR2)};
    if (!frame.IsReady()) return;
    for (const double* pSeries : arrSeries) {
        if (pSeries == nullptr) return;
    }

    GraphDrawInfoBuilder& builder = frame.Builder();
    std::map<int, int64_t> mapFills;  // colour -> its fill record
    std::vector<QXPoint> vecUpper;
    std::vector<QXPoint> vecLower;
    auto close = [&](int nColour) {
        builder.AddCurveSegment(mapFills[nColour], Outline(vecUpper, vecLower), false, false);
        vecUpper.clear();
        vecLower.clear();
    };

    const std::vector<BandBar> vecBars = CollectBandBars(frame, nStep, arrSeries);
    for (size_t i = 0; i < vecBars.size(); ++i) {
        const BandBar& bar = vecBars[i];
        if (mapFills.count(bar.nColour) == 0) {
            mapFills[bar.nColour] =
                builder.AddCurve(GetCurveFill(GetColorByValue(bar.nColour), FILL_STYLE_SOLID));
        }
        vecUpper.push_back(MakePoint(bar.nBar, bar.dValue1));
        vecLower.push_back(MakePoint(bar.nBar, bar.dValue2));
        if (i + 1 == vecBars.size()) {
            close(bar.nColour);
            break;
        }
        const BandBar& next = vecBars[i + 1];
        if (next.bFirstOnTop != bar.bFirstOnTop) {
            // The crossing ends this area and begins the next.
            const QXPoint crossing = Crossing(bar, next);
            vecUpper.push_back(crossing);
            close(bar.nColour);
            vecUpper.push_back(crossing);
        } else if (next.nColour != bar.nColour) {
            close(bar.nColour);
            vecUpper.push_back(MakePoint(bar.nBar, bar.dValue1));
            vecLower.push_back(MakePoint(bar.nBar, bar.dValue2));
        }
    }
    frame.AppendTo(pOut);
}

void ProduceFillRegion(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                       const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pPrice1 = frame.Series(FILL_PRICE1);
    const double* pPrice2 = frame.Series(FILL_PRICE2);
    const double* pCond = frame.Series(FILL_COND);
    if (!frame.IsReady() || pPrice1 == nullptr || pPrice2 == nullptr || pCond == nullptr) return;

    auto hasPrices = [&](int nBar) {
        return nBar >= 0 && nBar < frame.SeriesBarCount() && IsDrawable(pPrice1[nBar]) &&
               IsDrawable(pPrice2[nBar]);
    };
    auto isFilled = [&](int nBar) { return hasPrices(nBar) && IsConditionMet(pCond[nBar]); };

    GraphDrawInfoBuilder& builder = frame.Builder();
    std::vector<QXPoint> vecUpper;
    std::vector<QXPoint> vecLower;
    // The edges at the half bar after nBar: the mean of the two bars on each line.
    auto addHalfBar = [&](int nBar) {
        vecUpper.push_back(MakePoint(nBar + 0.5, (pPrice1[nBar] + pPrice1[nBar + 1]) / 2));
        vecLower.push_back(MakePoint(nBar + 0.5, (pPrice2[nBar] + pPrice2[nBar + 1]) / 2));
    };
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!isFilled(nBar)) continue;
        // An area reaches half a bar beyond its run wherever the lines go on, so that
        // it meets the area of the neighbouring bars (another FILLRGN with the
        // opposite condition, or the same one beyond the range).
        if (hasPrices(nBar - 1)) addHalfBar(nBar - 1);
        for (;; ++nBar) {
            vecUpper.push_back(MakePoint(nBar, pPrice1[nBar]));
            vecLower.push_back(MakePoint(nBar, pPrice2[nBar]));
            if (nBar == frame.Last() || !isFilled(nBar + 1)) break;
            addHalfBar(nBar);
        }
        if (hasPrices(nBar + 1)) addHalfBar(nBar);
        const int64_t nFill = builder.AddCurve(GetCurveFill(frame.Colour(), FILL_STYLE_SOLID));
        builder.AddCurveSegment(nFill, Outline(vecUpper, vecLower), false, false);
        vecUpper.clear();
        vecLower.clear();
    }
    frame.AppendTo(pOut);
}
