// The client's pixel mapping for drawing tools: bars are evenly spaced columns
// from the left edge, prices run linearly from the bottom to the top of the chart.
#pragma once

#include <QXScriptIndexBase/QXScriptIndexBase.h>

#include <cstdint>
#include <vector>

class CLinearChartConverter : public IQXGraphCoordinate {
public:
    CLinearChartConverter(float fBarWidth, float fHeight, double dLowPrice, double dHighPrice,
                          std::vector<int64_t> vecBarTimes);

    bool PixelToPrice(float y, double* pPrice) override;
    bool PriceToPixel(double price, float* pY) override;
    bool PixelToPosition(float x, float* pPosition) override;
    bool PositionToPixel(float position, float* pX) override;
    bool PositionToTime(float position, int* pTime) override;
    bool ReservedOperation() override;
    bool GetChartBottom(float* pY) override;
    bool GetPriceUnit(double* pUnit) override;
    bool GetBarWidth(float* pWidth) override;
    bool SnapPoint(float x, float y, QX_GRAPH_TYPE eType, unsigned nIndex,
                   QXGraphPoint* pPoint) override;

private:
    float m_fBarWidth;
    float m_fHeight;
    double m_dLowPrice;
    double m_dHighPrice;
    std::vector<int64_t> m_vecBarTimes;
};
