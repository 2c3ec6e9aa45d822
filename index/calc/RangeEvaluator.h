// Runs a range plan: the plan's series computed over a span of bars in runs of at
// most RUN_LENGTH bars, each step filling its column for the run before its parent
// reads it. Columns are sized for one run (and the bars before it that windows read
// back), so memory is a fixed cost per span whatever the span's length.
#pragma once

#include <cstdint>
#include <vector>

#include "index/calc/RangePlan.h"
#include "index/functions/EvalContext.h"

class CRangeEvaluator {
public:
    // Bars per run: the stop flag is polled between runs.
    static constexpr int RUN_LENGTH = 4096;
    // Bars between two polls of the stop flag while data fields are read.
    static constexpr int STOP_POLL_BARS = 32;

    enum Outcome {
        DONE,         // every bar of the span went through
        STOPPED,      // the stop flag was seen between two runs
        NOT_STARTED,  // nothing was touched (no memory, a buffer the store refused)
    };

    // The context is the one a drawing statement's evaluation gets; its bar is moved
    // for the bars handed to the bar-by-bar functions and put back.
    Outcome Run(const CRangePlan& plan, EvalContext& context, int nFrom, int nTo);

private:
    struct Column {
        std::vector<double> vecValues;
        std::vector<uint8_t> vecDone;  // evaluated without an evaluation error
        std::vector<uint8_t> vecMask;  // scratch: the bars a child is read at
        double* pSeries = nullptr;     // SERIES: its buffer; KERNEL: own series or entries
        std::vector<double>* pWorkspace = nullptr;  // KERNEL: its state slot's workspace
        int nFirst = 0;                             // bar of element 0
        uint64_t nRun = 0;                          // FIELD: the run it was last read for
        bool bAllDone = false;                      // every bar evaluated without an error
    };

    bool Prepare(const CRangePlan& plan, EvalContext& context, int nSpan);
    bool IsStopped() const {
        return m_pContext->pStop != nullptr && m_pContext->pStop->load(std::memory_order_relaxed);
    }
    void Evaluate(int nStep, const uint8_t* pActive);
    void EvaluatePure(int nStep);
    void EvaluateStateful(int nStep, const uint8_t* pActive);
    // The mask itself, or the shared mask of every bar when it holds every bar, so
    // that a kernel can tell at once that nothing needs checking.
    bool ReadSettled(const RangeStep& step, Column& column, const uint8_t* pActive, int nCount);
    const uint8_t* Condense(const uint8_t* pMask, int nCount) const;
    bool AllDone(const Column& column, const uint8_t* pActive, int nCount) const;
    template <uint32_t KIND>
    static void Combine(Column& column, int nIndex, const Column& left, int nLeft,
                        const Column& right, int nRight);

    const RangeStep* m_pSteps = nullptr;
    std::vector<Column> m_vecColumns;
    std::vector<uint8_t> m_vecAll;
    EvalContext* m_pContext = nullptr;
    int m_nRoot = -1;  // its column is read by nobody
    int m_nRunFirst = 0;
    int m_nRunLast = -1;
    uint64_t m_nRun = 0;  // counts the runs made, from 1
};
