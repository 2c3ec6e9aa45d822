#include "index/functions/SlidingExtreme.h"

#include <cstdint>
#include <cstring>

#include "index/functions/ValueConventions.h"

namespace {

// Workspace layout: a header, then a ring of (bar, value) entries, oldest first
// from the head. The first two header fields are the bars the candidates were read
// from, which the series store looks at when it invalidates bars.
constexpr size_t COVER_FIRST = 0;  // first bar of the window described
constexpr size_t COVER_LAST = 1;   // last bar added (the window's newest)
constexpr size_t PENDING_BAR = 2;  // bar held back, -1 for none
constexpr size_t PENDING_VALUE = 3;
constexpr size_t RING_HEAD = 4;
constexpr size_t RING_COUNT = 5;
constexpr size_t OWNER = 6;  // bits of the owner's address: two calls never share candidates
constexpr size_t HEADER_SIZE = 7;

double OwnerBits(const void* pOwner) {
    const uint64_t nBits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pOwner));
    double dBits = 0.0;
    std::memcpy(&dBits, &nBits, sizeof dBits);
    return dBits;
}

bool IsOwner(double dStored, const void* pOwner) {
    const double dOwner = OwnerBits(pOwner);
    return std::memcmp(&dStored, &dOwner, sizeof dStored) == 0;
}

}  // namespace

CSlidingExtreme::CSlidingExtreme(std::vector<double>* pWorkspace, const void* pOwner, bool bLowest)
    : m_pWorkspace(pWorkspace), m_pOwner(pOwner), m_bLowest(bLowest) {
    Load();
}

CSlidingExtreme::~CSlidingExtreme() {
    Save();
}

void CSlidingExtreme::Load() {
    m_bLoaded = true;
    m_pRing = nullptr;
    if (m_pWorkspace == nullptr) return;
    std::vector<double>& vecWork = *m_pWorkspace;
    if (vecWork.size() < HEADER_SIZE || !IsOwner(vecWork[OWNER], m_pOwner)) return;
    m_pRing = vecWork.data() + HEADER_SIZE;
    m_nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    m_nHead = static_cast<size_t>(vecWork[RING_HEAD]);
    m_nCount = static_cast<size_t>(vecWork[RING_COUNT]);
    m_dCoverFirst = vecWork[COVER_FIRST];
    m_dCoverLast = vecWork[COVER_LAST];
    m_dPendingBar = vecWork[PENDING_BAR];
    m_dPendingValue = vecWork[PENDING_VALUE];
}

void CSlidingExtreme::Save() {
    if (m_bLoaded && m_pRing != nullptr) {
        std::vector<double>& vecWork = *m_pWorkspace;
        vecWork[COVER_FIRST] = m_dCoverFirst;
        vecWork[COVER_LAST] = m_dCoverLast;
        vecWork[PENDING_BAR] = m_dPendingBar;
        vecWork[PENDING_VALUE] = m_dPendingValue;
        vecWork[RING_HEAD] = static_cast<double>(m_nHead);
        vecWork[RING_COUNT] = static_cast<double>(m_nCount);
    }
    m_bLoaded = false;
    m_pRing = nullptr;
}

void CSlidingExtreme::Forget() {
    m_pWorkspace->clear();
    m_pRing = nullptr;
}

bool CSlidingExtreme::Grow(size_t nEntries) {
    std::vector<double>& vecWork = *m_pWorkspace;
    try {
        const size_t nNewCapacity = nEntries < 2 * m_nCapacity ? 2 * m_nCapacity : nEntries + 8;
        std::vector<double> vecGrown(HEADER_SIZE + 2 * nNewCapacity, 0.0);
        for (size_t i = 0; i < m_nCount; ++i) {
            vecGrown[HEADER_SIZE + 2 * i] = EntryBar(i);
            vecGrown[HEADER_SIZE + 2 * i + 1] = EntryValue(i);
        }
        // The header as it stands, the fields this object keeps included.
        vecGrown[COVER_FIRST] = m_dCoverFirst;
        vecGrown[COVER_LAST] = m_dCoverLast;
        vecGrown[PENDING_BAR] = m_dPendingBar;
        vecGrown[PENDING_VALUE] = m_dPendingValue;
        vecGrown[RING_COUNT] = static_cast<double>(m_nCount);
        vecGrown[OWNER] = vecWork[OWNER];
        vecGrown[RING_HEAD] = 0.0;
        vecWork.swap(vecGrown);
    } catch (...) {
        Forget();
        return false;
    }
    m_pRing = vecWork.data() + HEADER_SIZE;
    m_nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    m_nHead = 0;
    return true;
}

void CSlidingExtreme::Rebuild(int nBar, const std::vector<double>& vecNewestFirst) {
    if (m_pWorkspace == nullptr) return;
    if (!m_bLoaded) Load();
    std::vector<double>& vecWork = *m_pWorkspace;
    try {
        if (vecWork.size() < HEADER_SIZE) vecWork.assign(HEADER_SIZE, 0.0);
    } catch (...) {
        Forget();
        return;
    }
    // A workspace left by another call keeps its held-back value; this call's own
    // is the one this object holds.
    if (m_pRing == nullptr) m_dPendingValue = vecWork[PENDING_VALUE];
    vecWork[OWNER] = OwnerBits(m_pOwner);
    m_pRing = vecWork.data() + HEADER_SIZE;
    m_nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    m_dCoverFirst = static_cast<double>(nBar) - static_cast<double>(vecNewestFirst.size());
    m_dCoverLast = static_cast<double>(nBar) - 1;
    m_dPendingBar = -1;
    m_nHead = 0;
    m_nCount = 0;
    // A bar is a candidate when it is strictly beyond every newer value; they are
    // found newest first and laid out oldest first.
    size_t nCandidates = 0;
    bool bHasBest = false;
    double dBest = 0.0;
    for (const double dValue : vecNewestFirst) {
        if (!Counts(dValue) || (bHasBest && NotBeyond(dValue, dBest))) continue;
        bHasBest = true;
        dBest = dValue;
        ++nCandidates;
    }
    if (!EnsureCapacity(nCandidates)) return;
    size_t nNext = nCandidates;
    bHasBest = false;
    for (size_t k = 0; k < vecNewestFirst.size(); ++k) {
        const double dValue = vecNewestFirst[k];
        if (!Counts(dValue) || (bHasBest && NotBeyond(dValue, dBest))) continue;
        bHasBest = true;
        dBest = dValue;
        --nNext;
        m_pRing[2 * nNext] = static_cast<double>(nBar) - 1 - static_cast<double>(k);
        m_pRing[2 * nNext + 1] = dValue;
    }
    m_nCount = nCandidates;
}
