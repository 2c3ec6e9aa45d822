#include "QXGraphSettings.h"

// Client and library share one vector layout for the level lists: the instantiation
// lives here, and the export list publishes it.
template class std::vector<stSingleLineDrawParams>;

stFibTimeZoneSettings::stFibTimeZoneSettings() : m_eDirection(LINE_EXTEND_BOTH) {}
stFibTimeZoneSettings::stFibTimeZoneSettings(const stFibTimeZoneSettings& other) = default;
stFibTimeZoneSettings& stFibTimeZoneSettings::operator=(const stFibTimeZoneSettings& other) =
    default;
stFibTimeZoneSettings::~stFibTimeZoneSettings() = default;

void stFibTimeZoneSettings::SetLineParams(const std::vector<stSingleLineDrawParams>& levels) {
    m_vecLevels = levels;
}
const std::vector<stSingleLineDrawParams>& stFibTimeZoneSettings::GetLineParams() const {
    return m_vecLevels;
}
void stFibTimeZoneSettings::SetExtendDirection(enLineExtendDirection direction) {
    m_eDirection = direction;
}
enLineExtendDirection stFibTimeZoneSettings::GetExtendDirection() const { return m_eDirection; }

stGoldenSectionSettings::stGoldenSectionSettings()
    : m_eDirection(LINE_EXTEND_BOTH), m_bDisplayRatio(true), m_bDisplayPrice(true) {}
stGoldenSectionSettings::stGoldenSectionSettings(const stGoldenSectionSettings& other) = default;
stGoldenSectionSettings& stGoldenSectionSettings::operator=(const stGoldenSectionSettings& other) =
    default;
stGoldenSectionSettings::~stGoldenSectionSettings() = default;

void stGoldenSectionSettings::SetLineParams(const std::vector<stSingleLineDrawParams>& levels) {
    m_vecLevels = levels;
}
const std::vector<stSingleLineDrawParams>& stGoldenSectionSettings::GetLineParams() const {
    return m_vecLevels;
}
void stGoldenSectionSettings::SetExtendDirection(enLineExtendDirection direction) {
    m_eDirection = direction;
}
enLineExtendDirection stGoldenSectionSettings::GetExtendDirection() const { return m_eDirection; }
void stGoldenSectionSettings::SetDisplayRatio(bool display) { m_bDisplayRatio = display; }
bool stGoldenSectionSettings::GetDispLayRatio() const { return m_bDisplayRatio; }
void stGoldenSectionSettings::SetDisplayPrice(bool display) { m_bDisplayPrice = display; }
bool stGoldenSectionSettings::GetDisplayPrice() const { return m_bDisplayPrice; }
