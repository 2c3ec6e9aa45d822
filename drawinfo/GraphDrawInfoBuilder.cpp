#include "drawinfo/GraphDrawInfoBuilder.h"

#include <algorithm>
#include <vector>

namespace QXDrawInfo {

namespace {

using Builder = GraphDrawInfoBuilder;

// Ties each record type to its handle range and to its vector in the picture.
template <typename Record>
struct RecordKind;

template <>
struct RecordKind<CurveDrawInfo> {
    static constexpr int64_t kBase = Builder::kCurveBase;
    static std::vector<CurveDrawInfo>& Records(GraphDrawInfo& info) { return info.curves; }
};

template <>
struct RecordKind<RectangleDrawInfo> {
    static constexpr int64_t kBase = Builder::kRectangleBase;
    static std::vector<RectangleDrawInfo>& Records(GraphDrawInfo& info) { return info.rectangles; }
};

template <>
struct RecordKind<ElipseDrawInfo> {
    static constexpr int64_t kBase = Builder::kElipseBase;
    static std::vector<ElipseDrawInfo>& Records(GraphDrawInfo& info) { return info.ellipses; }
};

template <>
struct RecordKind<CrossDrawInfo> {
    static constexpr int64_t kBase = Builder::kCrossBase;
    static std::vector<CrossDrawInfo>& Records(GraphDrawInfo& info) { return info.crosses; }
};

template <>
struct RecordKind<TextDrawInfo> {
    static constexpr int64_t kBase = Builder::kTextBase;
    static std::vector<TextDrawInfo>& Records(GraphDrawInfo& info) { return info.texts; }
};

template <>
struct RecordKind<VOZIconDrawInfo> {
    static constexpr int64_t kBase = Builder::kIconBase;
    static std::vector<VOZIconDrawInfo>& Records(GraphDrawInfo& info) { return info.icons; }
};

// The largest key must fit a signed 64-bit draw-order entry.
static_assert(Builder::kIconBase + Builder::kKindSpan <= INT64_MAX / Builder::kItemSpan,
              "draw-order keys overflow");
static_assert(Builder::kMaxIndex < Builder::kKindSpan, "a capped index stays within its kind");
static_assert(Builder::kMaxItems < Builder::kItemSpan, "an item index stays within its key");

template <typename Record>
int64_t AppendRecord(GraphDrawInfo* target, std::map<int64_t, bool>& handles,
                     const Record& record) {
    if (target == nullptr) return -1;
    std::vector<Record>& records = RecordKind<Record>::Records(*target);
    const int64_t handle = Builder::MakeHandle(RecordKind<Record>::kBase, records.size());
    if (handles.count(handle) != 0) return -1;
    // Out of memory is a refusal like any other; the picture stays as it was.
    try {
        records.push_back(record);
    } catch (...) {
        return -1;
    }
    try {
        handles.emplace(handle, false);
    } catch (...) {
        records.pop_back();
        return -1;
    }
    return handle;
}

// Attaches an item to the record behind the handle: the item is made in its place
// (an item owning points would be copied, not moved, on its way in) and filled
// there once every check has passed, and taken back out if filling it runs out of
// memory, so that a refusal leaves the picture as it was. A handle of another record
// kind is refused: its index would point into the wrong vector.
template <typename Record, typename FillItem>
bool AppendItemInPlace(GraphDrawInfo* target, std::map<int64_t, bool>& handles, int64_t handle,
                       FillItem fillItem) {
    if (target == nullptr || handle < 0) return false;
    if (handle / Builder::kKindSpan != RecordKind<Record>::kBase / Builder::kKindSpan) {
        return false;
    }
    const auto found = handles.find(handle);
    if (found == handles.end()) return false;
    std::vector<Record>& records = RecordKind<Record>::Records(*target);
    const size_t index = Builder::GetHandleIndex(handle);
    if (index >= records.size()) return false;
    auto& items = records[index].items;
    if (!Builder::CanTakeItem(items.size())) return false;
    const int64_t key = Builder::MakeDrawOrderKey(handle, items.size());
    try {
        target->drawOrder.push_back(key);
    } catch (...) {
        return false;
    }
    try {
        items.emplace_back();
    } catch (...) {
        target->drawOrder.pop_back();
        return false;
    }
    try {
        fillItem(items.back());
    } catch (...) {
        items.pop_back();
        target->drawOrder.pop_back();
        return false;
    }
    found->second = true;
    return true;
}

// The same for an item made whole by makeItem.
template <typename Record, typename MakeItem>
bool AppendItem(GraphDrawInfo* target, std::map<int64_t, bool>& handles, int64_t handle,
                MakeItem makeItem) {
    return AppendItemInPlace<Record>(target, handles, handle,
                                     [&](auto& item) { item = makeItem(); });
}

}  // namespace

GraphDrawInfoBuilder::GraphDrawInfoBuilder(GraphDrawInfo* target) : m_pTarget(target) {}

int64_t GraphDrawInfoBuilder::MakeHandle(int64_t kindBase, size_t index) {
    // Past the cap every index maps onto the last handle, which is then taken, so
    // further records of the kind are refused.
    const size_t capped = std::min(index, static_cast<size_t>(kMaxIndex));
    return kindBase + static_cast<int64_t>(capped);
}

size_t GraphDrawInfoBuilder::GetHandleIndex(int64_t handle) {
    return static_cast<size_t>(handle % kKindSpan);
}

int64_t GraphDrawInfoBuilder::MakeDrawOrderKey(int64_t handle, size_t itemIndex) {
    return handle * kItemSpan + static_cast<int64_t>(itemIndex);
}

bool GraphDrawInfoBuilder::CanTakeItem(size_t itemCount) {
    return itemCount < static_cast<size_t>(kMaxItems);
}

int64_t GraphDrawInfoBuilder::AddCurve(const CurveDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

int64_t GraphDrawInfoBuilder::AddRectangle(const RectangleDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

int64_t GraphDrawInfoBuilder::AddElipse(const ElipseDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

int64_t GraphDrawInfoBuilder::AddCross(const CrossDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

int64_t GraphDrawInfoBuilder::AddText(const TextDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

int64_t GraphDrawInfoBuilder::AddIcon(const VOZIconDrawInfo& record) {
    return AppendRecord(m_pTarget, m_mapHasItems, record);
}

bool GraphDrawInfoBuilder::AddCurveSegment(int64_t handle, const QXPointVec& points,
                                           bool extendStart, bool extendEnd) {
    if (points.GetPoint().empty()) return false;
    return AppendItem<CurveDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        CurveSegment segment;
        segment.points = points;
        segment.extendStart = extendStart;
        segment.extendEnd = extendEnd;
        return segment;
    });
}

bool GraphDrawInfoBuilder::AddCurveSegment(int64_t handle, const std::vector<QXPoint>& points,
                                           bool extendStart, bool extendEnd) {
    if (points.empty()) return false;
    return AppendItemInPlace<CurveDrawInfo>(m_pTarget, m_mapHasItems, handle,
                                            [&](CurveSegment& segment) {
                                                segment.points.SetPoint(points);
                                                segment.extendStart = extendStart;
                                                segment.extendEnd = extendEnd;
                                            });
}

void GraphDrawInfoBuilder::ReserveCurveSegments(int64_t handle, size_t nItems) {
    if (m_pTarget == nullptr || handle / kKindSpan != kCurveBase / kKindSpan ||
        m_mapHasItems.count(handle) == 0) {
        return;
    }
    const size_t index = GetHandleIndex(handle);
    if (index >= m_pTarget->curves.size()) return;
    std::vector<CurveSegment>& items = m_pTarget->curves[index].items;
    // Only a hint: without the room the segments are added all the same.
    try {
        items.reserve(items.size() + std::min<size_t>(nItems, kMaxItems));
    } catch (...) {
    }
}

bool GraphDrawInfoBuilder::AddRectanglePoints(int64_t handle, const QXPoint& first,
                                              const QXPoint& second) {
    return AppendItem<RectangleDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        RectangleItem item;
        item.first = first;
        item.second = second;
        return item;
    });
}

bool GraphDrawInfoBuilder::AddElipsePoints(int64_t handle, const QXPointVec& points) {
    const size_t count = points.GetPoint().size();
    if (count != 2 && count != 3) return false;
    return AppendItem<ElipseDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] { return points; });
}

// A circle is stored as its horizontal diameter; the radius is counted in bars.
bool GraphDrawInfoBuilder::AddCircle(int64_t handle, const QXPoint& center, float radius) {
    return AppendItem<ElipseDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        QXPoint left = center;
        left.position = center.position - radius;
        QXPoint right = center;
        right.position = center.position + radius;
        QXPointVec diameter;
        diameter.SetPoint({left, right});
        return diameter;
    });
}

bool GraphDrawInfoBuilder::AddCrossPoint(int64_t handle, const QXPoint& point, float size) {
    if (!(size > 0.0f)) return false;  // written this way to refuse NaN as well
    return AppendItem<CrossDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        CrossItem item;
        item.point = point;
        item.size = size;
        return item;
    });
}

bool GraphDrawInfoBuilder::AddTextItem(int64_t handle, const QXPoint& position,
                                       const std::string& text, int flags, const QXPoint& offset) {
    if (text.empty()) return false;
    return AppendItem<TextDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        TextItem item;
        item.position = position;
        item.flags = flags;
        item.offset = offset;
        item.text = text;
        return item;
    });
}

bool GraphDrawInfoBuilder::AddIconPoint(int64_t handle, const QXPoint& point, int tag) {
    return AppendItem<VOZIconDrawInfo>(m_pTarget, m_mapHasItems, handle, [&] {
        IconItem item;
        item.point = point;
        item.tag = tag;
        return item;
    });
}

}  // namespace QXDrawInfo
