#include "LinearChartConverter.h"

#include <cmath>

CLinearChartConverter::CLinearChartConverter(float fBarWidth, float fHeight, double dLowPrice,
                                             double dHighPrice, std::vector<int64_t> vecBarTimes)
    : m_fBarWidth(fBarWidth),
      m_fHeight(fHeight),
      m_dLowPrice(dLowPrice),
      m_dHighPrice(dHighPrice),
      m_vecBarTimes(std::move(vecBarTimes)) {}

bool CLinearChartConverter::PixelToPrice(float y, double* pPrice) {
    *pPrice = m_dHighPrice - (m_dHighPrice - m_dLowPrice) * y / m_fHeight;
    return true;
}

bool CLinearChartConverter::PriceToPixel(double price, float* pY) {
    *pY = static_cast<float>((m_dHighPrice - price) / (m_dHighPrice - m_dLowPrice) * m_fHeight);
    return true;
}

// A bar's column is centred on its pixel, so pixel 0 is half a bar before bar 0.
bool CLinearChartConverter::PixelToPosition(float x, float* pPosition) {
    *pPosition = x / m_fBarWidth - 0.5f;
    return true;
}

bool CLinearChartConverter::PositionToPixel(float position, float* pX) {
    *pX = (position + 0.5f) * m_fBarWidth;
    return true;
}

bool CLinearChartConverter::PositionToTime(float position, int* pTime) {
    long bar = std::lround(position);
    if (bar < 0 || bar >= static_cast<long>(m_vecBarTimes.size())) return false;
    *pTime = static_cast<int>(m_vecBarTimes[static_cast<size_t>(bar)]);
    return true;
}

bool CLinearChartConverter::ReservedOperation() {
    return false;
}

bool CLinearChartConverter::GetChartBottom(float* pY) {
    *pY = m_fHeight;
    return true;
}

bool CLinearChartConverter::GetPriceUnit(double* pUnit) {
    *pUnit = 1.0;
    return true;
}

bool CLinearChartConverter::GetBarWidth(float* pWidth) {
    *pWidth = m_fBarWidth;
    return true;
}

// No magnet: the shapes convert the mouse position themselves.
bool CLinearChartConverter::SnapPoint(float, float, QX_GRAPH_TYPE, unsigned, QXGraphPoint*) {
    return false;
}
