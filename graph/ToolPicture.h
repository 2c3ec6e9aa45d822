// The one picture that a multi-line tool produces per Draw: a curve record per
// line style the tool uses, an optional label record, and the tool's lines and
// labels attached to them in the order they are made. The builder's draw order
// keeps that order across records, so a level and its label paint together.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "QXDrawInfo.h"
#include "drawinfo/GraphDrawInfoBuilder.h"

class CToolPicture {
public:
    CToolPicture();
    // The builder points into m_info.
    CToolPicture(const CToolPicture&) = delete;
    CToolPicture& operator=(const CToolPicture&) = delete;

    // Handle of a new curve record; its lines share its style.
    int64_t AddStyle(const QXDrawInfo::CurveDrawInfo& curve);
    // Handle of the label record in the tool's line colour.
    int64_t AddLabelStyle(const QXDrawInfo::QXColor& color);

    void AddLine(int64_t hStyle, const std::vector<QXDrawInfo::QXPoint>& vecPoints,
                 bool bExtendStart, bool bExtendEnd);
    void AddLine(int64_t hStyle, std::initializer_list<QXDrawInfo::QXPoint> points,
                 bool bExtendStart, bool bExtendEnd);
    void AddLabel(int64_t hLabels, const QXDrawInfo::QXPoint& at, const std::string& strText);

    void AppendTo(std::vector<QXDrawInfo::GraphDrawInfo>& vecOut);

private:
    QXDrawInfo::GraphDrawInfo m_info;
    QXDrawInfo::GraphDrawInfoBuilder m_builder;
};
