// The candidates for the extreme of a sliding window of bars, so that the extreme
// of the next window is found without scanning it: the bars of the window, oldest
// first, whose value is strictly beyond every newer value of the window. The first
// candidate is the extreme (the most recent bar among exactly equal values); each
// bar is added and dropped once, so a bar costs O(1) on average whatever the window.
//
// Comparisons with VALUE_EPSILON are not transitive, so the extreme that a scan from
// the newest bar finds may differ from the exact extreme when values lie within
// epsilon of each other. The candidates answer only when both provably agree (the
// extreme beats by more than epsilon everything newer than it) and leave the rest to
// the scan.
//
// The candidates live in a workspace of the series store, one per state slot, which
// the store empties when bars they were read from are invalidated. They describe the
// window ending at the bar before the one being computed; the value at that bar is
// held back ("pending") until the next bar is computed, so computing the same bar
// again (a forming bar whose price changed) replaces it instead of adding it twice.
//
// An object reads the workspace's header when it is made (or at Load) and works on
// its own copy, which it writes back when it is destroyed (or at Save): a column
// kernel keeps one object over thousands of bars, and the header's fields are then
// read and converted once instead of at every step.
#pragma once

#include <cfloat>
#include <cstddef>
#include <vector>

#include "index/functions/ValueConventions.h"

class CSlidingExtreme {
public:
    // pOwner: the call the candidates belong to; a workspace left by another call is
    // not used. bLowest: candidates for the minimum instead of the maximum.
    CSlidingExtreme(std::vector<double>* pWorkspace, const void* pOwner, bool bLowest);
    ~CSlidingExtreme();
    CSlidingExtreme(const CSlidingExtreme&) = delete;
    CSlidingExtreme& operator=(const CSlidingExtreme&) = delete;

    // Writes the header back and lets go of the workspace, so that something else
    // (the bar-by-bar function at a bar a kernel hands it) may change it; the next
    // call of any method below, or Load, reads it again.
    void Save();
    void Load();

    // Brings the candidates to the window of nWindow bars ending at nBar - 1, as the
    // computation of nBar needs them. False when they do not describe that window
    // (first use, bars computed out of order, a longer window); the caller then scans
    // and calls Rebuild.
    bool Advance(int nBar, int nWindow);

    // The extreme of the window of nWindow bars ending at nBar, where dValue is the
    // value at nBar, as a scan from nBar backwards would find it: nExtremeBar is -1
    // when no value counts. False when only the scan can tell. Needs Advance first.
    bool Answer(int nBar, double dValue, int& nExtremeBar, double& dExtreme) const;

    // Starts the candidates afresh for the window ending at nBar - 1; vecNewestFirst
    // holds the values of nBar - 1, nBar - 2, ... back to the window's first bar.
    void Rebuild(int nBar, const std::vector<double>& vecNewestFirst);

    // Records the value computed at nBar, to be added when nBar + 1 is computed.
    void SetPending(int nBar, double dValue);

    // Whether a value can be an extreme at all: a valid value that beats the start
    // value of a scan (so no NaN, and no value at the far end of the scale).
    bool Counts(double dValue) const;

private:
    bool NotBeyond(double dA, double dB) const;  // exact: dA is not strictly beyond dB
    // The ring position nOffset entries after nHead; both are below nCapacity, so
    // one subtraction wraps it (a division per access would cost more than the rest).
    static size_t RingSlot(size_t nHead, size_t nOffset, size_t nCapacity);
    // Grows the ring to hold nEntries, unrolling it so that the head is at 0. False
    // when memory runs out; the workspace is then emptied, which makes it unusable.
    bool EnsureCapacity(size_t nEntries) { return nEntries <= m_nCapacity || Grow(nEntries); }
    bool Grow(size_t nEntries);
    void PushNewest(int nBar, double dValue);
    void Forget();  // the workspace was emptied
    double EntryBar(size_t nIndex) const;
    double EntryValue(size_t nIndex) const;

    std::vector<double>* m_pWorkspace;
    const void* m_pOwner;
    bool m_bLowest;
    bool m_bLoaded = false;
    // The header, while loaded and the workspace is this call's; m_pRing is null
    // otherwise.
    double* m_pRing = nullptr;
    size_t m_nCapacity = 0;
    size_t m_nHead = 0;
    size_t m_nCount = 0;
    double m_dCoverFirst = 0.0;
    double m_dCoverLast = 0.0;
    double m_dPendingBar = 0.0;
    double m_dPendingValue = 0.0;
};

// The steps taken at every bar, inline: a column kernel calls them in its loop.
inline size_t CSlidingExtreme::RingSlot(size_t nHead, size_t nOffset, size_t nCapacity) {
    const size_t nSlot = nHead + nOffset;
    return nSlot >= nCapacity ? nSlot - nCapacity : nSlot;
}

inline bool CSlidingExtreme::Counts(double dValue) const {
    if (IsInvalid(dValue)) return false;
    return m_bLowest ? IsGreater(DBL_MAX, dValue) : IsGreater(dValue, -DBL_MAX);
}

inline bool CSlidingExtreme::NotBeyond(double dA, double dB) const {
    return m_bLowest ? dA >= dB : dA <= dB;
}

inline double CSlidingExtreme::EntryBar(size_t nIndex) const {
    return m_pRing[2 * RingSlot(m_nHead, nIndex, m_nCapacity)];
}

inline double CSlidingExtreme::EntryValue(size_t nIndex) const {
    return m_pRing[2 * RingSlot(m_nHead, nIndex, m_nCapacity) + 1];
}

inline void CSlidingExtreme::PushNewest(int nBar, double dValue) {
    if (!Counts(dValue)) return;
    // Older candidates that the new value equals or passes can never be the extreme
    // again while it is in the window.
    while (m_nCount > 0 && NotBeyond(EntryValue(m_nCount - 1), dValue)) --m_nCount;
    if (!EnsureCapacity(m_nCount + 1)) return;
    const size_t nSlot = RingSlot(m_nHead, m_nCount, m_nCapacity);
    m_pRing[2 * nSlot] = nBar;
    m_pRing[2 * nSlot + 1] = dValue;
    ++m_nCount;
}

inline bool CSlidingExtreme::Advance(int nBar, int nWindow) {
    if (!m_bLoaded) Load();
    if (m_pRing == nullptr) return false;
    const double dPrevious = static_cast<double>(nBar) - 1;
    if (m_dPendingBar == dPrevious && m_dCoverLast == dPrevious - 1) {
        PushNewest(nBar - 1, m_dPendingValue);
        if (m_pRing == nullptr) return false;
        m_dCoverLast = dPrevious;
        m_dPendingBar = -1;
    }
    const double dFirst = static_cast<double>(nBar) - nWindow + 1;
    if (m_dCoverLast != dPrevious || m_dCoverFirst > dFirst) return false;
    while (m_nCount > 0 && EntryBar(0) < dFirst) {
        m_nHead = RingSlot(m_nHead, 1, m_nCapacity);
        --m_nCount;
    }
    m_dCoverFirst = dFirst;
    return true;
}

inline bool CSlidingExtreme::Answer(int nBar, double dValue, int& nExtremeBar,
                                    double& dExtreme) const {
    if (m_pRing == nullptr) return false;
    const bool bCounts = Counts(dValue);
    const size_t nCount = m_nCount;
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

inline void CSlidingExtreme::SetPending(int nBar, double dValue) {
    if (!m_bLoaded) Load();
    if (m_pRing == nullptr) return;
    m_dPendingBar = nBar;
    m_dPendingValue = dValue;
}
