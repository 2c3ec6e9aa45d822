// A converter made from fuzzer bytes: a linear mapping whose scale may be zero,
// negative or huge, a snapping answer that may be nonsense, and a refusal
// pattern that makes some calls answer "no value". It owns its bytes, so the
// number of calls a shape makes does not shift the rest of the input.
#pragma once

#include <cmath>
#include <cstdint>

#include "IQXGraphCoordinate.h"
#include "fuzz/FuzzInput.h"

class CFuzzCoordinate : public IQXGraphCoordinate {
public:
    explicit CFuzzCoordinate(CFuzzInput& input) {
        static constexpr float kScales[] = {10.0f, 1.0f, 0.5f, 0.0f, -3.0f, 1.0e-30f, 1.0e30f};
        m_fBarWidth = kScales[input.ReadInt(0, 6)];
        m_fPixelsPerPrice = kScales[input.ReadInt(0, 6)];
        m_fOriginX = static_cast<float>(input.ReadInt(-200, 200));
        m_fOriginY = static_cast<float>(input.ReadInt(0, 800));
        // Three inputs in four have a converter that never refuses.
        m_nRefusals = input.ReadInt(0, 3) == 0 ? input.ReadU32() : 0u;
        m_bSnap = input.ReadInt(0, 7) == 0;
        m_ptSnap.price = input.ReadRawDouble();
        m_ptSnap.position = input.ReadRawFloat();
        m_ptSnap.time = input.ReadI32();
        m_fBottom = static_cast<float>(input.ReadInt(-10, 900));
        m_dPriceUnit = input.ReadInt(0, 3) == 0 ? 0.0 : 0.01;
    }

    bool PixelToPrice(float y, double* pPrice) override {
        if (Refuses()) return false;
        *pPrice = static_cast<double>(m_fOriginY - y) / m_fPixelsPerPrice;
        return true;
    }
    bool PriceToPixel(double price, float* pY) override {
        if (Refuses()) return false;
        *pY = m_fOriginY - static_cast<float>(price * m_fPixelsPerPrice);
        return true;
    }
    bool PixelToPosition(float x, float* pPosition) override {
        if (Refuses()) return false;
        *pPosition = (x - m_fOriginX) / m_fBarWidth;
        return true;
    }
    bool PositionToPixel(float position, float* pX) override {
        if (Refuses()) return false;
        *pX = m_fOriginX + position * m_fBarWidth;
        return true;
    }
    bool PositionToTime(float position, int* pTime) override {
        if (Refuses()) return false;
        // Finite positions in range get a time; others a fixed one, as a client
        // clamping to its table would.
        *pTime = std::isfinite(position) && std::fabs(position) < 20000.0f
                     ? static_cast<int>(position) * 86400
                     : 0;
        return true;
    }
    bool ReservedOperation() override { return false; }
    bool GetChartBottom(float* pY) override {
        if (Refuses()) return false;
        *pY = m_fBottom;
        return true;
    }
    bool GetPriceUnit(double* pUnit) override {
        if (Refuses()) return false;
        *pUnit = m_dPriceUnit;
        return true;
    }
    bool GetBarWidth(float* pWidth) override {
        if (Refuses()) return false;
        *pWidth = m_fBarWidth;
        return true;
    }
    bool SnapPoint(float, float, QX_GRAPH_TYPE, unsigned, QXGraphPoint* pPoint) override {
        if (!m_bSnap || Refuses()) return false;
        *pPoint = m_ptSnap;
        return true;
    }

private:
    bool Refuses() {
        const bool bRefuse = ((m_nRefusals >> (m_nCalls % 32u)) & 1u) != 0;
        ++m_nCalls;
        return bRefuse;
    }

    float m_fBarWidth = 10.0f;
    float m_fPixelsPerPrice = 10.0f;
    float m_fOriginX = 0.0f;
    float m_fOriginY = 500.0f;
    uint32_t m_nRefusals = 0;
    uint32_t m_nCalls = 0;
    bool m_bSnap = false;
    QXGraphPoint m_ptSnap;
    float m_fBottom = 600.0f;
    double m_dPriceUnit = 0.01;
};
