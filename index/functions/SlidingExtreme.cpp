#include "index/functions/SlidingExtreme.h"

#include <cfloat>
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

// The ring position nOffset entries after nHead; both are below nCapacity, so one
// subtraction wraps it (a division per access would cost more than the rest).
size_t RingSlot(size_t nHead, size_t nOffset, size_t nCapacity) {
    const size_t nSlot = nHead + nOffset;
    return nSlot >= nCapacity ? nSlot - nCapacity : nSlot;
}

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
    : m_pWorkspace(pWorkspace), m_pOwner(pOwner), m_bLowest(bLowest) {}

bool CSlidingExtreme::Counts(double dValue) const {
    if (IsInvalid(dValue)) return false;
    return m_bLowest ? IsGreater(DBL_MAX, dValue) : IsGreater(dValue, -DBL_MAX);
}

bool CSlidingExtreme::NotBeyond(double dA, double dB) const {
    return m_bLowest ? dA >= dB : dA <= dB;
}

size_t CSlidingExtreme::Count() const {
    return static_cast<size_t>((*m_pWorkspace)[RING_COUNT]);
}

double CSlidingExtreme::EntryBar(size_t nIndex) const {
    const std::vector<double>& vecWork = *m_pWorkspace;
    const size_t nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    const size_t nSlot = RingSlot(static_cast<size_t>(vecWork[RING_HEAD]), nIndex, nCapacity);
    return vecWork[HEADER_SIZE + 2 * nSlot];
}

double CSlidingExtreme::EntryValue(size_t nIndex) const {
    const std::vector<double>& vecWork = *m_pWorkspace;
    const size_t nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    const size_t nSlot = RingSlot(static_cast<size_t>(vecWork[RING_HEAD]), nIndex, nCapacity);
    return vecWork[HEADER_SIZE + 2 * nSlot + 1];
}

// Grows the ring to hold nEntries, unrolling it so that the head is at 0. False
// when memory runs out; the workspace is then emptied, which makes it unusable.
bool CSlidingExtreme::EnsureCapacity(size_t nEntries) {
    std::vector<double>& vecWork = *m_pWorkspace;
    const size_t nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    if (nEntries <= nCapacity) return true;
    try {
        const size_t nNewCapacity = nEntries < 2 * nCapacity ? 2 * nCapacity : nEntries + 8;
        std::vector<double> vecGrown(HEADER_SIZE + 2 * nNewCapacity, 0.0);
        const size_t nCount = Count();
        for (size_t i = 0; i < nCount; ++i) {
            vecGrown[HEADER_SIZE + 2 * i] = EntryBar(i);
            vecGrown[HEADER_SIZE + 2 * i + 1] = EntryValue(i);
        }
        for (size_t i = 0; i < HEADER_SIZE; ++i) vecGrown[i] = vecWork[i];
        vecGrown[RING_HEAD] = 0.0;
        vecWork.swap(vecGrown);
        return true;
    } catch (...) {
        vecWork.clear();
        return false;
    }
}

void CSlidingExtreme::PushNewest(int nBar, double dValue) {
    std::vector<double>& vecWork = *m_pWorkspace;
    if (!Counts(dValue)) return;
    // Older candidates that the new value equals or passes can never be the extreme
    // again while it is in the window.
    size_t nCount = Count();
    while (nCount > 0 && NotBeyond(EntryValue(nCount - 1), dValue)) --nCount;
    vecWork[RING_COUNT] = static_cast<double>(nCount);
    if (!EnsureCapacity(nCount + 1)) return;
    const size_t nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    const size_t nSlot = RingSlot(static_cast<size_t>(vecWork[RING_HEAD]), nCount, nCapacity);
    vecWork[HEADER_SIZE + 2 * nSlot] = nBar;
    vecWork[HEADER_SIZE + 2 * nSlot + 1] = dValue;
    vecWork[RING_COUNT] = static_cast<double>(nCount + 1);
}

bool CSlidingExtreme::Advance(int nBar, int nWindow) {
    if (m_pWorkspace == nullptr) return false;
    std::vector<double>& vecWork = *m_pWorkspace;
    if (vecWork.size() < HEADER_SIZE || !IsOwner(vecWork[OWNER], m_pOwner)) return false;
    const double dPrevious = static_cast<double>(nBar) - 1;
    if (vecWork[PENDING_BAR] == dPrevious && vecWork[COVER_LAST] == dPrevious - 1) {
        PushNewest(nBar - 1, vecWork[PENDING_VALUE]);
        if (vecWork.size() < HEADER_SIZE) return false;
        vecWork[COVER_LAST] = dPrevious;
        vecWork[PENDING_BAR] = -1;
    }
    const double dFirst = static_cast<double>(nBar) - nWindow + 1;
    if (vecWork[COVER_LAST] != dPrevious || vecWork[COVER_FIRST] > dFirst) return false;
    const size_t nCapacity = (vecWork.size() - HEADER_SIZE) / 2;
    size_t nCount = Count();
    while (nCount > 0 && EntryBar(0) < dFirst) {
        vecWork[RING_HEAD] =
            static_cast<double>(RingSlot(static_cast<size_t>(vecWork[RING_HEAD]), 1, nCapacity));
        --nCount;
    }
    vecWork[RING_COUNT] = static_cast<double>(nCount);
    vecWork[COVER_FIRST] = dFirst;
    return true;
}

bool CSlidingExtreme::Answer(int nBar, double dValue, int& nExtremeBar, double& dExtreme) const {
    const bool bCounts = Counts(dValue);
    const size_t nCount = Count();
    // The newest value reaching the oldest candidates' extreme is the extreme: a
    // scan starts with it, and nothing older beats it.
    if (bCounts && (nCount == 0 || NotBeyond(EntryValue(0), dValue))) {
        nExtremeBar = nBar;
        dExtreme = dValue;
        return true;
    }
    if (nCount == 0) {
        nExtremeBar = -1;
        return true;
    }
    // The scan reaches the first candidate holding the best record of the newer bars,
    // which lies within the next candidate's or the newest value's reach; the first
    // candidate takes over when it beats both.
    const double dBest = EntryValue(0);
    bool bHasRunnerUp = false;
    double dRunnerUp = 0.0;
    if (nCount >= 2) {
        dRunnerUp = EntryValue(1);
        bHasRunnerUp = true;
    }
    if (bCounts && (!bHasRunnerUp || NotBeyond(dRunnerUp, dValue))) {
        dRunnerUp = dValue;
        bHasRunnerUp = true;
    }
    if (bHasRunnerUp && !(m_bLowest ? IsGreater(dRunnerUp, dBest) : IsGreater(dBest, dRunnerUp))) {
        return false;
    }
    nExtremeBar = static_cast<int>(EntryBar(0));
    dExtreme = dBest;
    return true;
}

void CSlidingExtreme::Rebuild(int nBar, const std::vector<double>& vecNewestFirst) {
    if (m_pWorkspace == nullptr) return;
    std::vector<double>& vecWork = *m_pWorkspace;
    try {
        if (vecWork.size() < HEADER_SIZE) vecWork.assign(HEADER_SIZE, 0.0);
    } catch (...) {
        vecWork.clear();
        return;
    }
    vecWork[COVER_FIRST] = static_cast<double>(nBar) - static_cast<double>(vecNewestFirst.size());
    vecWork[COVER_LAST] = static_cast<double>(nBar) - 1;
    vecWork[PENDING_BAR] = -1;
    vecWork[RING_HEAD] = 0;
    vecWork[RING_COUNT] = 0;
    vecWork[OWNER] = OwnerBits(m_pOwner);
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
        vecWork[HEADER_SIZE + 2 * nNext] = static_cast<double>(nBar) - 1 - static_cast<double>(k);
        vecWork[HEADER_SIZE + 2 * nNext + 1] = dValue;
    }
    vecWork[RING_COUNT] = static_cast<double>(nCandidates);
}

void CSlidingExtreme::SetPending(int nBar, double dValue) {
    if (m_pWorkspace == nullptr || m_pWorkspace->size() < HEADER_SIZE ||
        !IsOwner((*m_pWorkspace)[OWNER], m_pOwner)) {
        return;
    }
    (*m_pWorkspace)[PENDING_BAR] = nBar;
    (*m_pWorkspace)[PENDING_VALUE] = dValue;
}
