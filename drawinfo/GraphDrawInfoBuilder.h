// Fills one GraphDrawInfo: element records are added first (each gets a handle),
// then items are attached to them through the handle. Every item appends its
// draw-order key, so a renderer that walks drawOrder paints in production order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "QXDrawInfo.h"

namespace QXDrawInfo {

class GraphDrawInfoBuilder {
public:
    // Handle = kind base + index in the kind's vector (index capped at 9999998).
    static constexpr int64_t kCurveBase = 10000000;
    static constexpr int64_t kRectangleBase = 20000000;
    static constexpr int64_t kElipseBase = 30000000;
    static constexpr int64_t kCrossBase = 40000000;
    static constexpr int64_t kTextBase = 50000000;
    static constexpr int64_t kIconBase = 60000000;
    static constexpr int64_t kKindSpan = 10000000;
    static constexpr int64_t kMaxIndex = 9999998;
    static constexpr int64_t kItemSpan = 100000000;  // draw-order key = handle * kItemSpan + item
    static constexpr int64_t kMaxItems = 99999999;

    explicit GraphDrawInfoBuilder(GraphDrawInfo* target);

    // The handle and key arithmetic of the builder, callable on its own so that the
    // caps can be checked without filling ten million records.
    static int64_t MakeHandle(int64_t kindBase, size_t index);  // index capped at kMaxIndex
    static size_t GetHandleIndex(int64_t handle);
    static int64_t MakeDrawOrderKey(int64_t handle, size_t itemIndex);
    static bool CanTakeItem(size_t itemCount);  // false once a record holds kMaxItems

    // Element operations: the new record's handle, or -1 (no target, or handle taken).
    int64_t AddCurve(const CurveDrawInfo& record);
    int64_t AddRectangle(const RectangleDrawInfo& record);
    int64_t AddElipse(const ElipseDrawInfo& record);
    int64_t AddCross(const CrossDrawInfo& record);
    int64_t AddText(const TextDrawInfo& record);
    int64_t AddIcon(const VOZIconDrawInfo& record);

    // Item operations: true on success; on failure nothing changes.
    bool AddCurveSegment(int64_t handle, const QXPointVec& points, bool extendStart,
                         bool extendEnd);
    // The same from the points themselves, copied once, straight into the record.
    bool AddCurveSegment(int64_t handle, const std::vector<QXPoint>& points, bool extendStart,
                         bool extendEnd);
    // Makes room for nItems more segments of a curve, so that adding them moves no
    // segment (each owns its points, and a segment moved is a segment copied).
    void ReserveCurveSegments(int64_t handle, size_t nItems);
    bool AddRectanglePoints(int64_t handle, const QXPoint& first, const QXPoint& second);
    bool AddElipsePoints(int64_t handle, const QXPointVec& points);
    bool AddCircle(int64_t handle, const QXPoint& center, float radius);
    bool AddCrossPoint(int64_t handle, const QXPoint& point, float size);
    bool AddTextItem(int64_t handle, const QXPoint& position, const std::string& text, int flags,
                     const QXPoint& offset);
    bool AddIconPoint(int64_t handle, const QXPoint& point, int tag);

private:
    GraphDrawInfo* m_pTarget;
    std::map<int64_t, bool> m_mapHasItems;  // handle -> the record holds items
};

}  // namespace QXDrawInfo
