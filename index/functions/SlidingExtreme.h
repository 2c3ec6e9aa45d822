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

#include <cstddef>
#include <vector>

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
    bool EnsureCapacity(size_t nEntries);
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
