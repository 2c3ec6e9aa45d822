// Reads typed values off the front of a fuzzer's byte string. Every read
// succeeds: once the bytes run out it answers zeros and empty texts, so a
// target never needs to check for the end and short inputs stay meaningful.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class CFuzzInput {
public:
    CFuzzInput(const uint8_t* pData, size_t nSize) : m_pData(pData), m_nSize(nSize) {}

    bool IsEmpty() const { return m_nPos >= m_nSize; }
    size_t Remaining() const { return m_nPos < m_nSize ? m_nSize - m_nPos : 0; }

    uint8_t ReadByte() { return m_nPos < m_nSize ? m_pData[m_nPos++] : 0; }
    bool ReadBool() { return (ReadByte() & 1) != 0; }

    uint32_t ReadU32() {
        uint32_t nValue = 0;
        for (int i = 0; i < 4; ++i) nValue = (nValue << 8) | ReadByte();
        return nValue;
    }
    int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }

    // A value in [nLow, nHigh]; a single byte decides it when the span is small,
    // which keeps the fuzzer's mutations local.
    int ReadInt(int nLow, int nHigh) {
        if (nHigh <= nLow) return nLow;
        const uint32_t nSpan = static_cast<uint32_t>(nHigh - nLow) + 1u;
        const uint32_t nRaw = nSpan <= 256u ? ReadByte() : ReadU32();
        return static_cast<int>(static_cast<int64_t>(nLow) + nRaw % nSpan);
    }

    // Raw bits, so NaNs, infinities and the library's own markers all turn up.
    double ReadRawDouble() {
        uint64_t nBits = (static_cast<uint64_t>(ReadU32()) << 32) | ReadU32();
        double dValue;
        std::memcpy(&dValue, &nBits, sizeof(dValue));
        return dValue;
    }
    float ReadRawFloat() {
        const uint32_t nBits = ReadU32();
        float fValue;
        std::memcpy(&fValue, &nBits, sizeof(fValue));
        return fValue;
    }

    // Text up to a 0xFF byte or nMax bytes; the terminator is consumed.
    std::string ReadText(size_t nMax) {
        std::string strText;
        while (m_nPos < m_nSize && strText.size() < nMax) {
            const uint8_t c = m_pData[m_nPos++];
            if (c == 0xFF) break;
            strText.push_back(static_cast<char>(c));
        }
        return strText;
    }
    std::string ReadRest() {
        std::string strText;
        if (m_nPos < m_nSize)
            strText.assign(reinterpret_cast<const char*>(m_pData + m_nPos), m_nSize - m_nPos);
        m_nPos = m_nSize;
        return strText;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
};
