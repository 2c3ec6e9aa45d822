// What every draw-stage producer shares: the checks before anything is drawn, the
// argument series, the output's colour and width, the bar walk's small rules, and
// the picture that is appended at the end.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "QXDrawInfo.h"
#include "drawinfo/GraphDrawInfoBuilder.h"
#include "index/calc/DrawStageContext.h"
#include "index/functions/ValueConventions.h"

// The widths the host's pens come in; the parser stores what the formula wrote.
constexpr int MIN_LINE_THICKNESS = 1;
constexpr int MAX_LINE_THICKNESS = 9;

// A value that may be put on the chart. Both reserved patterns are NaNs; any other
// NaN or an infinity has no place on a chart either, so one test covers them all.
inline bool IsDrawable(double dValue) {
    return std::isfinite(dValue);
}

// A drawing condition holds: a value that is not zero.
inline bool IsConditionMet(double dValue) {
    return IsDrawable(dValue) && !IsZero(dValue);
}

// A condition that is exactly true (1), as the joins across the range's edges want.
inline bool IsConditionOne(double dValue) {
    return IsDrawable(dValue) && IsEqual(dValue, 1.0);
}

// Thinning: only every (step + 1)-th bar is drawn, counted from bar 0 so that the
// drawn bars stay put while the view scrolls. A step below 1 draws every bar.
inline bool IsThinnedIn(int nBar, int nStep) {
    const int64_t nEvery = nStep >= 1 ? static_cast<int64_t>(nStep) + 1 : 1;
    return nBar % nEvery == 0;
}

inline QXDrawInfo::QXPoint MakePoint(double dPosition, double dValue) {
    return QXDrawInfo::QXPoint{dValue, static_cast<float>(dPosition)};
}

// Truncation toward zero that saturates instead of overflowing (the value may be
// anything a formula computed). Callers pass drawable values only.
int TruncateToInt(double dValue);

// Truncation to 32 bits as two's complement: -1 gives 0xFFFFFFFF. Values beyond the
// 64-bit range saturate first.
uint32_t TruncateToUint32(double dValue);

// The points of the segment being drawn; Close hands it to its curve record and
// starts a new one. An empty segment is not handed over.
class COpenSegment {
public:
    COpenSegment(QXDrawInfo::GraphDrawInfoBuilder& builder, int64_t nCurve)
        : m_builder(builder), m_nCurve(nCurve) {}

    void Add(const QXDrawInfo::QXPoint& point) { m_vecPoints.push_back(point); }
    bool IsEmpty() const { return m_vecPoints.empty(); }
    const QXDrawInfo::QXPoint& Back() const { return m_vecPoints.back(); }
    void Close(bool bExtendEnd = false);

private:
    QXDrawInfo::GraphDrawInfoBuilder& m_builder;
    int64_t m_nCurve;
    std::vector<QXDrawInfo::QXPoint> m_vecPoints;
};

// A producer makes one frame on its stack, checks IsReady and its series, adds its
// records and items through Builder, and ends with AppendTo.
class CProducerFrame {
public:
    CProducerFrame(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                   const ExprNode* pCallNode);
    CProducerFrame(const CProducerFrame&) = delete;
    CProducerFrame& operator=(const CProducerFrame&) = delete;

    // False when the parser, the data source, the compiled formula or published
    // series are missing, or the range holds no bar of the series: nothing is drawn
    // and nothing appended.
    bool IsReady() const { return m_bReady; }

    // The range, clamped to the published series.
    int First() const { return m_nFirst; }
    int Last() const { return m_nLast; }
    // Bars every series holds; lookups beyond the range stay below it.
    int SeriesBarCount() const { return m_nSeriesBarCount; }

    // The whole series of argument nPosition, indexed by bar; null when the
    // argument is no published series (the producer then draws nothing).
    const double* Series(int nPosition) const;

    // A constant argument (a style code) as its bit pattern, or nFallback.
    uint32_t ConstantArg(int nPosition, uint32_t nFallback) const;

    // The call's argument type at nPosition; OperandType::Empty beyond the call.
    uint32_t ArgType(int nPosition) const;
    // The raw argument word at nPosition; 0 beyond the call.
    int64_t ArgValue(int nPosition) const;

    const QXDrawInfo::QXColor& Colour() const { return m_colour; }
    int Thickness() const { return m_nThickness; }
    float Width() const { return static_cast<float>(m_nThickness); }

    IDrawStageContext& Context() const { return m_context; }
    const CCalculateInfo* Info() const { return m_pInfo; }
    const CPriceCache* Prices() const { return m_context.GetPriceCache(); }

    QXDrawInfo::GraphDrawInfoBuilder& Builder() { return m_builder; }

    // Appends the picture, with or without items.
    void AppendTo(std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

private:
    IDrawStageContext& m_context;
    const ExprNode* m_pCallNode;
    const CCalculateInfo* m_pInfo = nullptr;
    bool m_bReady = false;
    int m_nFirst = 0;
    int m_nLast = -1;
    int m_nSeriesBarCount = 0;
    QXDrawInfo::QXColor m_colour;
    int m_nThickness = MIN_LINE_THICKNESS;
    QXDrawInfo::GraphDrawInfo m_info;
    QXDrawInfo::GraphDrawInfoBuilder m_builder;
};
