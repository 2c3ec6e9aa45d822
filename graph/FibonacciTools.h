// Fibonacci tools: a channel of equally spaced parallels, time zones (vertical
// lines at Fibonacci multiples of a bar distance) and golden-section price
// levels with labels. The time zone and the golden section keep a settings
// record of levels that the client reads and writes through
// SetSettings/GetSettings.
#pragma once

#include <vector>

#include "QXDrawInfo.h"
#include "QXGraphSettings.h"
#include "graph/QXGraphShapeBase.h"

// The line through the first two anchors and its copies shifted again and
// again by the offset from the first anchor to the third, on both sides.
class QXGraphComplexFibChannel : public QXGraphShapeBase {
public:
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
};

// Vertical lines between the two anchor prices at the first anchor's position
// plus each level's bar count times the anchors' distance in bars.
class QXGraphComplexFibTimeZone : public QXGraphShapeBase {
public:
    // Null is refused; otherwise the record is copied whole.
    bool SetSettings(const void* pSettings) override;
    bool GetSettings(void* pSettings) const override;
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;
    void AdjustPoints() override;

private:
    stFibTimeZoneSettings m_stSettings;
};

// Horizontal lines at the first anchor's price plus each level's ratio of the
// price move from the first anchor to the second, labelled with the ratio in
// percent and the price.
class QXGraphComplexGoldenSection : public QXGraphShapeBase {
public:
    bool SetSettings(const void* pSettings) override;
    bool GetSettings(void* pSettings) const override;
    QX_GRAPH_TYPE GetGraphType() const override;
    int GetNeedPointCount() const override;
    void Draw(std::vector<QXDrawInfo::QXPoint> vecPoints) override;

private:
    stGoldenSectionSettings m_stSettings;
};
