// Column forms of the most used stateful built-ins: each computes its function over
// a run of bars at once, with the same arithmetic in the same order as its bar-by-bar
// form, and keeps its running state where that form keeps it (the state slot's bar
// entries, the hidden result series), so that either form can carry on from the
// other. A kernel only takes the common path itself; at a bar where its state does
// not simply move on (a restart after a gap, the first bars of a window) it hands
// that bar to the bar-by-bar function, which then decides as it always does.
#pragma once

#include <cstdint>
#include <vector>

#include "index/functions/EvalContext.h"

struct ExprNode;

enum class RangeKernel : uint8_t {
    None,
    SimpleAverage,        // MA(X, N)
    Exponential,          // EMA(X, N): a bar without X is stored as such
    ExponentialLoose,     // EXPMA(X, N): a bar without X is left unstored
    Share,                // SMA(X, N, M)
    WindowSum,            // SUM(X, N)
    WindowCount,          // COUNT(X, N)
    Highest,              // HHV(X, N)
    HighestBars,          // HHVBARS(X, N)
    Lowest,               // LLV(X, N)
    LowestBars,           // LLVBARS(X, N)
    SampleDeviation,      // STD(X, N)
    PopulationDeviation,  // STDP(X, N)
    SampleVariance,       // VAR(X, N)
    PopulationVariance,   // VARP(X, N)
};

// Whether the kernel reads X at bars before the one it computes (the bar leaving
// its window), so that X must be a column covering them.
bool KernelReadsBack(RangeKernel kernel);

// Whether the kernel keeps its running state in a state slot (element 1) rather than
// in a hidden result series, and how long each of the slot's two bar entries is.
bool KernelUsesStateSlot(RangeKernel kernel);
int KernelEntryLength(RangeKernel kernel);

// The kernel of a function id, or None.
RangeKernel FindRangeKernel(int64_t nFunctionId);

struct RangeKernelCall {
    RangeKernel kernel = RangeKernel::None;
    const ExprNode* pNode = nullptr;  // the call, for the bars handed to the bar-by-bar form
    EvalContext* pContext = nullptr;  // its context; nBar is moved and put back
    int nFirst = 0;                   // the bars computed: nFirst..nLast
    int nLast = -1;
    const uint8_t* pActive = nullptr;  // per bar of nFirst..nLast: computed at all
    const double* pX = nullptr;        // X at bar b is pX[b - nXFirst]
    int nXFirst = 0;
    const uint8_t* pXDone = nullptr;  // X evaluated without error, indexed as pX
    bool bDense = false;         // every bar active, and X evaluated without error at every bar
    int n = 0;                   // the period, already checked to be at least 2
    double dShare = 0.0;         // SMA's weight
    double* pOwn = nullptr;      // recursive kernels: the hidden result series
    double* pEntries = nullptr;  // window kernels: the state slot's bar entries
    std::vector<double>* pWorkspace = nullptr;  // extremes: the slot's sliding candidates
    double* pOut = nullptr;                     // per bar of nFirst..nLast
    uint8_t* pDone = nullptr;                   // per bar: computed without an evaluation error
};

// Runs the kernel over the call's bars. The caller has made sure that the period
// arguments are constants, that the node has the element count of its function and
// that X, where the kernel reads it back, has no state of its own.
void RunRangeKernel(const RangeKernelCall& call);
