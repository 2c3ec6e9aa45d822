// A converter with a known linear mapping, for tool tests:
//   x = originX + position * barWidth,  y = originY - price * pixelsPerPrice,
//   time = round(position * secondsPerBar).
// It counts the calls of every operation and can be told to refuse one of them,
// at once or after a number of successful calls.
#pragma once

#include <array>
#include <cmath>

#include "IQXGraphCoordinate.h"

class CFakeCoordinate : public IQXGraphCoordinate {
public:
    enum EOperation {
        kPixelToPrice,
        kPriceToPixel,
        kPixelToPosition,
        kPositionToPixel,
        kPositionToTime,
        kReserved,
        kGetChartBottom,
        kGetPriceUnit,
        kGetBarWidth,
        kSnapPoint,
        kOperationCount
    };

    float m_fOriginX = 100.0f;
    float m_fBarWidth = 10.0f;
    float m_fOriginY = 500.0f;
    float m_fPixelsPerPrice = 10.0f;
    int m_nSecondsPerBar = 60;
    float m_fChartBottom = 600.0f;
    double m_dPriceUnit = 1.0;

    // When set, SnapPoint answers with this point instead of declining.
    bool m_bSnap = false;
    QXGraphPoint m_ptSnap;
    QX_GRAPH_TYPE m_eLastSnapType = static_cast<QX_GRAPH_TYPE>(0);
    unsigned m_nLastSnapIndex = 0;

    CFakeCoordinate() {
        m_arrCalls.fill(0);
        m_arrAllowed.fill(-1);
    }

    int GetCallCount(EOperation eOp) const { return m_arrCalls[eOp]; }
    int GetTotalCallCount() const {
        int nTotal = 0;
        for (int nCalls : m_arrCalls) nTotal += nCalls;
        return nTotal;
    }
    void ResetCallCounts() { m_arrCalls.fill(0); }
    // The operation succeeds nAllowed more times, then refuses.
    void RefuseAfter(EOperation eOp, int nAllowed) { m_arrAllowed[eOp] = nAllowed; }
    void Refuse(EOperation eOp) { RefuseAfter(eOp, 0); }
    void Accept(EOperation eOp) { m_arrAllowed[eOp] = -1; }

    // Pixel of a data point under the mapping, for building mouse input.
    float ToPixelX(float position) const { return m_fOriginX + position * m_fBarWidth; }
    float ToPixelY(double price) const {
        return m_fOriginY - static_cast<float>(price) * m_fPixelsPerPrice;
    }

    bool PixelToPrice(float y, double* pPrice) override {
        if (!Count(kPixelToPrice)) return false;
        *pPrice = static_cast<double>(m_fOriginY - y) / m_fPixelsPerPrice;
        return true;
    }
    bool PriceToPixel(double price, float* pY) override {
        if (!Count(kPriceToPixel)) return false;
        *pY = ToPixelY(price);
        return true;
    }
    bool PixelToPosition(float x, float* pPosition) override {
        if (!Count(kPixelToPosition)) return false;
        *pPosition = (x - m_fOriginX) / m_fBarWidth;
        return true;
    }
    bool PositionToPixel(float position, float* pX) override {
        if (!Count(kPositionToPixel)) return false;
        *pX = ToPixelX(position);
        return true;
    }
    bool PositionToTime(float position, int* pTime) override {
        if (!Count(kPositionToTime)) return false;
        *pTime = static_cast<int>(std::lround(position * static_cast<float>(m_nSecondsPerBar)));
        return true;
    }
    bool ReservedOperation() override { return Count(kReserved); }
    bool GetChartBottom(float* pY) override {
        if (!Count(kGetChartBottom)) return false;
        *pY = m_fChartBottom;
        return true;
    }
    bool GetPriceUnit(double* pUnit) override {
        if (!Count(kGetPriceUnit)) return false;
        *pUnit = m_dPriceUnit;
        return true;
    }
    bool GetBarWidth(float* pWidth) override {
        if (!Count(kGetBarWidth)) return false;
        *pWidth = m_fBarWidth;
        return true;
    }
    bool SnapPoint(float, float, QX_GRAPH_TYPE eType, unsigned nIndex,
                   QXGraphPoint* pPoint) override {
        m_eLastSnapType = eType;
        m_nLastSnapIndex = nIndex;
        if (!Count(kSnapPoint) || !m_bSnap) return false;
        *pPoint = m_ptSnap;
        return true;
    }

private:
    bool Count(EOperation eOp) {
        ++m_arrCalls[eOp];
        if (m_arrAllowed[eOp] < 0) return true;
        if (m_arrAllowed[eOp] == 0) return false;
        --m_arrAllowed[eOp];
        return true;
    }

    std::array<int, kOperationCount> m_arrCalls;
    std::array<int, kOperationCount> m_arrAllowed;  // -1: always succeed
};
