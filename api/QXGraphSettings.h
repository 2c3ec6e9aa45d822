// Settings records of the level tools (Fibonacci time zone and golden section).
// The client fills them and hands them to a shape with SetSettings; the shape
// keeps its own copy.
#pragma once

#include <cstdint>
#include <vector>

#include "QXDrawInfo.h"
#include "QXExport.h"

enum enLineExtendDirection : int32_t {
    LINE_EXTEND_NONE = 0,
    LINE_EXTEND_BOTH = 1,
    LINE_EXTEND_UP = 2,     // time zone only
    LINE_EXTEND_DOWN = 3,   // time zone only
    LINE_EXTEND_LEFT = 4,   // golden section only
    LINE_EXTEND_RIGHT = 5,  // golden section only
};

// One level line. The colour and the two attributes are the client's; the
// shapes only keep and copy them.
struct QX_API stSingleLineDrawParams {
    int32_t nLevel = 0;
    QXDrawInfo::QXColor lineColor{1, 1, false};
    int32_t nAttribute = 0;
    bool bAttribute = false;
    // A ratio for the golden section, a bar count for the time zone.
    union {
        float fRatio;
        int32_t nBars;
    } value{0.0f};
};

extern template class QX_VECTOR_API std::vector<stSingleLineDrawParams>;

class QX_API stFibTimeZoneSettings {
public:
    stFibTimeZoneSettings();
    stFibTimeZoneSettings(const stFibTimeZoneSettings& other);
    stFibTimeZoneSettings& operator=(const stFibTimeZoneSettings& other);
    ~stFibTimeZoneSettings();

    void SetLineParams(const std::vector<stSingleLineDrawParams>& levels);
    const std::vector<stSingleLineDrawParams>& GetLineParams() const;
    void SetExtendDirection(enLineExtendDirection direction);
    enLineExtendDirection GetExtendDirection() const;

private:
    std::vector<stSingleLineDrawParams> m_vecLevels;
    enLineExtendDirection m_eDirection;
};

class QX_API stGoldenSectionSettings {
public:
    stGoldenSectionSettings();
    stGoldenSectionSettings(const stGoldenSectionSettings& other);
    stGoldenSectionSettings& operator=(const stGoldenSectionSettings& other);
    ~stGoldenSectionSettings();

    void SetLineParams(const std::vector<stSingleLineDrawParams>& levels);
    const std::vector<stSingleLineDrawParams>& GetLineParams() const;
    void SetExtendDirection(enLineExtendDirection direction);
    enLineExtendDirection GetExtendDirection() const;
    void SetDisplayRatio(bool display);
    bool GetDispLayRatio() const;
    void SetDisplayPrice(bool display);
    bool GetDisplayPrice() const;

private:
    std::vector<stSingleLineDrawParams> m_vecLevels;
    enLineExtendDirection m_eDirection;
    bool m_bDisplayRatio;
    bool m_bDisplayPrice;
};
