#include "graph/FibonacciTools.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "graph/GraphGeometry.h"
#include "graph/LabelFormat.h"
#include "graph/ToolPicture.h"

using QXDrawInfo::QXPoint;

namespace {

// The channel repeats its base line at i = -15 .. 14 offsets; i = 0 lies on
// the base line itself, so the base shows twice.
constexpr int kChannelFirstStep = -15;
constexpr int kChannelStepCount = 30;

// Default levels: bar counts for the time zone, price ratios for the golden
// section. They are written into the shape's own settings when it is first
// drawn with an empty list, so the client sees and can edit them.
constexpr int32_t kDefaultTimeZoneBars[] = {0, 1, 1, 2, 3, 5, 8, 13, 21, 34, 55};
constexpr float kDefaultGoldenRatios[] = {0.0f,   0.236f, 0.382f, 0.5f, 0.618f, 1.0f,
                                          1.382f, 1.5f,   1.618f, 2.0f, 2.382f, 2.618f};

// Golden-section labels sit this many pixels above their level line, so the
// line does not strike through the text.
constexpr float kLabelLiftPixels = 7.0f;

// How the level lines of the time zone and the golden section run on beyond
// their ends. m_dStep is added to the far end of every level line: when the two
// anchors coincide on the compared axis a line would have no length, and a
// zero-length line has no direction for the client to extend it in.
struct CLevelExtension {
    bool m_bExtendStart = false;
    bool m_bExtendEnd = false;
    double m_dStep = 0.0;  // -1, 0 or +1
};

// The time zone's lines are vertical, drawn from the first anchor's price to
// the second's, so "up" and "down" pick the end that lies at the higher or the
// lower price. Exact comparisons: every pair of prices falls in exactly one case.
bool ComputeTimeZoneExtension(enLineExtendDirection eDirection, double p0, double p1,
                              CLevelExtension* pOut) {
    CLevelExtension extension;
    switch (eDirection) {
        case LINE_EXTEND_NONE:
            break;
        case LINE_EXTEND_BOTH:
            extension.m_bExtendStart = true;
            extension.m_bExtendEnd = true;
            if (p0 == p1) extension.m_dStep = 1.0;
            break;
        case LINE_EXTEND_UP:
            if (p1 > p0) {
                extension.m_bExtendEnd = true;
            } else if (p0 > p1) {
                extension.m_bExtendStart = true;
            } else {
                extension.m_bExtendEnd = true;
                extension.m_dStep = 1.0;
            }
            break;
        case LINE_EXTEND_DOWN:
            if (p1 > p0) {
                extension.m_bExtendStart = true;
            } else if (p0 > p1) {
                extension.m_bExtendEnd = true;
            } else {
                extension.m_bExtendEnd = true;
                extension.m_dStep = -1.0;
            }
            break;
        default:
            return false;
    }
    *pOut = extension;
    return true;
}

// The golden section's lines are horizontal, drawn from the first anchor's
// position to the second's, so "left" and "right" pick the end that lies at
// the earlier or the later position.
bool ComputeGoldenSectionExtension(enLineExtendDirection eDirection, float x0, float x1,
                                   CLevelExtension* pOut) {
    CLevelExtension extension;
    switch (eDirection) {
        case LINE_EXTEND_NONE:
            break;
        case LINE_EXTEND_BOTH:
            extension.m_bExtendStart = true;
            extension.m_bExtendEnd = true;
            if (x0 == x1) extension.m_dStep = 1.0;
            break;
        case LINE_EXTEND_LEFT:
            if (x1 > x0) {
                extension.m_bExtendStart = true;
            } else {
                extension.m_bExtendEnd = true;
                if (x0 == x1) extension.m_dStep = -1.0;
            }
            break;
        case LINE_EXTEND_RIGHT:
            if (x1 > x0) {
                extension.m_bExtendEnd = true;
            } else if (x0 > x1) {
                extension.m_bExtendStart = true;
            } else {
                extension.m_bExtendEnd = true;
                extension.m_dStep = 1.0;
            }
            break;
        default:
            return false;
    }
    *pOut = extension;
    return true;
}

// The level value is a union that the client fills; reading it through a copy
// of its bytes is defined whichever member the client wrote last.
int32_t ReadLevelBars(const stSingleLineDrawParams& level) {
    int32_t nBars = 0;
    std::memcpy(&nBars, &level.value, sizeof(nBars));
    return nBars;
}

float ReadLevelRatio(const stSingleLineDrawParams& level) {
    float fRatio = 0.0f;
    std::memcpy(&fRatio, &level.value, sizeof(fRatio));
    return fRatio;
}

std::vector<stSingleLineDrawParams> MakeDefaultTimeZoneLevels() {
    std::vector<stSingleLineDrawParams> vecLevels;
    for (int32_t nBars : kDefaultTimeZoneBars) {
        stSingleLineDrawParams level;
        level.nLevel = static_cast<int32_t>(vecLevels.size());
        level.value.nBars = nBars;
        vecLevels.push_back(level);
    }
    return vecLevels;
}

std::vector<stSingleLineDrawParams> MakeDefaultGoldenLevels() {
    std::vector<stSingleLineDrawParams> vecLevels;
    for (float fRatio : kDefaultGoldenRatios) {
        stSingleLineDrawParams level;
        level.nLevel = static_cast<int32_t>(vecLevels.size());
        level.value.fRatio = fRatio;
        vecLevels.push_back(level);
    }
    return vecLevels;
}

bool IsNearlyZero(float value) {
    return std::fabs(value) < GraphGeometry::kFloatEpsilon;
}

// Label of a golden-section level: the ratio in percent (not for the 0 level,
// whose price says it all) and the level's price, as the display flags ask.
std::string FormatGoldenLabel(const stGoldenSectionSettings& settings, float fRatio, double price) {
    std::string strText;
    if (settings.GetDispLayRatio() && !IsNearlyZero(fRatio)) {
        strText += LabelFormat::FormatNumber(fRatio * 100.0f);
        strText += "% ";
    }
    if (settings.GetDisplayPrice()) strText += LabelFormat::FormatNumber(price);
    return strText;
}

// Copies a settings record in or out without letting an allocation failure
// reach the client; the target keeps its old contents then.
template <typename TSettings>
bool CopySettings(const TSettings& source, TSettings* pTarget) {
    if (pTarget == nullptr) return false;
    try {
        *pTarget = source;
        return true;
    } catch (...) {
        return false;
    }
}

// SetSettings of the level tools: copy the client's record in and mark the picture
// stale.
template <typename TSettings>
bool TakeSettings(const void* pSettings, TSettings* pTarget, bool* pDirty) {
    if (pSettings == nullptr || !CopySettings(*static_cast<const TSettings*>(pSettings), pTarget)) {
        return false;
    }
    *pDirty = true;
    return true;
}

}  // namespace

QX_GRAPH_TYPE QXGraphComplexFibChannel::GetGraphType() const {
    return QX_GRAPH_COMPLEX_FIB_CHANNEL;
}
int QXGraphComplexFibChannel::GetNeedPointCount() const {
    return 3;
}
void QXGraphComplexFibChannel::Draw(std::vector<QXPoint> vecPoints) {
    if (vecPoints.size() < 2) return;
    CToolPicture picture;
    const int64_t hLines = picture.AddStyle(MakeMainCurve());
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    picture.AddLine(hLines, {p0, p1}, true, true);
    // While the third point is being placed only the base line shows.
    if (vecPoints.size() >= 3) {
        const float dx = vecPoints[2].position - p0.position;
        const double dp = vecPoints[2].value - p0.value;
        for (int i = kChannelFirstStep; i < kChannelFirstStep + kChannelStepCount; ++i) {
            const float fi = static_cast<float>(i);
            picture.AddLine(
                hLines,
                {GraphGeometry::MakeDrawPoint(p0.value + i * dp, p0.position + fi * dx),
                 GraphGeometry::MakeDrawPoint(p1.value + i * dp, p1.position + fi * dx)},
                true, true);
        }
    }
    picture.AppendTo(m_vecDrawInfos);
}

bool QXGraphComplexFibTimeZone::SetSettings(const void* pSettings) {
    return TakeSettings(pSettings, &m_stSettings, &m_bDirty);
}
bool QXGraphComplexFibTimeZone::GetSettings(void* pSettings) const {
    return CopySettings(m_stSettings, static_cast<stFibTimeZoneSettings*>(pSettings));
}
QX_GRAPH_TYPE QXGraphComplexFibTimeZone::GetGraphType() const {
    return QX_GRAPH_COMPLEX_FIB_TIME_ZONE;
}
int QXGraphComplexFibTimeZone::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexFibTimeZone::AdjustPoints() {
    AdjustWholeBars();
}
void QXGraphComplexFibTimeZone::Draw(std::vector<QXPoint> vecPoints) {
    if (m_stSettings.GetLineParams().empty()) {
        m_stSettings.SetLineParams(MakeDefaultTimeZoneLevels());
    }
    if (vecPoints.size() != 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    CLevelExtension extension;
    if (!ComputeTimeZoneExtension(m_stSettings.GetExtendDirection(), p0.value, p1.value,
                                  &extension)) {
        return;
    }

    CToolPicture picture;
    const int64_t hLines = picture.AddStyle(MakeMainCurve());
    const int64_t hLabels = picture.AddLabelStyle(m_clrLine);
    const double farPrice = p1.value + extension.m_dStep;
    const float distance = p1.position - p0.position;
    if (distance >= 1.0f) {
        for (const stSingleLineDrawParams& level : m_stSettings.GetLineParams()) {
            const int32_t nBars = ReadLevelBars(level);
            const float position = static_cast<float>(nBars) * distance + p0.position;
            picture.AddLine(hLines,
                            {GraphGeometry::MakeDrawPoint(p0.value, position),
                             GraphGeometry::MakeDrawPoint(farPrice, position)},
                            extension.m_bExtendStart, extension.m_bExtendEnd);
            picture.AddLabel(hLabels, GraphGeometry::MakeDrawPoint(p0.value, position),
                             std::to_string(nBars));
        }
    } else {
        // Without a distance of at least one bar there is nothing to multiply:
        // only the line through the first anchor shows.
        picture.AddLine(hLines, {p0, GraphGeometry::MakeDrawPoint(farPrice, p0.position)},
                        extension.m_bExtendStart, extension.m_bExtendEnd);
    }
    picture.AppendTo(m_vecDrawInfos);
}

bool QXGraphComplexGoldenSection::SetSettings(const void* pSettings) {
    return TakeSettings(pSettings, &m_stSettings, &m_bDirty);
}
bool QXGraphComplexGoldenSection::GetSettings(void* pSettings) const {
    return CopySettings(m_stSettings, static_cast<stGoldenSectionSettings*>(pSettings));
}
QX_GRAPH_TYPE QXGraphComplexGoldenSection::GetGraphType() const {
    return QX_GRAPH_COMPLEX_GOLDEN_SECTION;
}
int QXGraphComplexGoldenSection::GetNeedPointCount() const {
    return 2;
}
void QXGraphComplexGoldenSection::Draw(std::vector<QXPoint> vecPoints) {
    if (m_stSettings.GetLineParams().empty()) {
        m_stSettings.SetLineParams(MakeDefaultGoldenLevels());
    }
    if (vecPoints.size() != 2) return;
    const QXPoint& p0 = vecPoints[0];
    const QXPoint& p1 = vecPoints[1];
    CLevelExtension extension;
    if (!ComputeGoldenSectionExtension(m_stSettings.GetExtendDirection(), p0.position, p1.position,
                                       &extension)) {
        return;
    }

    // The 0 and 100 levels run through the anchors and are drawn solid; every
    // other level dashed, whatever the user's line style. Both records are
    // always present so that the picture has the same layout for any levels.
    CToolPicture picture;
    const int64_t hAnchorLevels = picture.AddStyle(MakeCurve(LINE_STYLE_SOLID));
    const int64_t hOtherLevels = picture.AddStyle(MakeCurve(LINE_STYLE_DASH));
    const int64_t hLabels = picture.AddLabelStyle(m_clrLine);
    const float priceMove = static_cast<float>(p1.value - p0.value);
    const float farPosition = p1.position + static_cast<float>(extension.m_dStep);
    for (const stSingleLineDrawParams& level : m_stSettings.GetLineParams()) {
        const float fRatio = ReadLevelRatio(level);
        const double price = p0.value + static_cast<double>(fRatio * priceMove);
        const bool bThroughAnchor = IsNearlyZero(fRatio) || IsNearlyZero(fRatio - 1.0f);
        picture.AddLine(bThroughAnchor ? hAnchorLevels : hOtherLevels,
                        {GraphGeometry::MakeDrawPoint(price, p0.position),
                         GraphGeometry::MakeDrawPoint(price, farPosition)},
                        extension.m_bExtendStart, extension.m_bExtendEnd);
        const std::string strText = FormatGoldenLabel(m_stSettings, fRatio, price);
        if (strText.empty()) continue;
        const double labelPrice =
            GraphGeometry::OffsetPriceByPixels(m_pCoordinate, price, -kLabelLiftPixels);
        picture.AddLabel(hLabels, GraphGeometry::MakeDrawPoint(labelPrice, p0.position), strText);
    }
    picture.AppendTo(m_vecDrawInfos);
}
