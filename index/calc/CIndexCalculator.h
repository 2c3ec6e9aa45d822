// The indicator calculator: evaluates one parsed formula over one bar series and
// hands out value series, value ranges and drawing records.
//
// Calculation writes a working series store under m_mtxCalc; UpdateDisplayData
// copies what was calculated since the last time into a display store, and every
// reader takes its values from there. A long calculation on one thread therefore
// never changes what another thread is drawing, and publishing is the one moment
// both stores are touched together.
//
// The operations are spread over several files by concept: lifecycle and Calculate
// here (CIndexCalculator.cpp), the calculation window and the evaluation order
// (EvaluationSchedule.cpp), publishing and the series readers (DisplayPublisher.cpp),
// value ranges (ValueRange.cpp) and the draw stage (DrawStageDispatch.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "IIndexCalculator.h"
#include "index/calc/DrawStageContext.h"
#include "index/functions/AssignmentIndex.h"
#include "index/functions/ReferencePlan.h"

class CCalculateInfo;
class CFieldCache;
class CPriceCache;
class CSeriesStore;
struct DrawSeriesKey;
struct EvalContext;
struct ExprNode;

// The most bars a calculation takes on. Every series of a formula holds one double
// per bar, so this bounds the memory of a calculation: 160 MB a series, twenty
// times the longest history a chart shows. A source reporting more (a corrupt
// count near INT_MAX would ask for 16 GB a series) is refused like one without bars.
constexpr int MAX_BAR_COUNT = 20000000;

class CIndexCalculator : public IIndexCalculator, public IDrawStageContext {
public:
    CIndexCalculator();
    virtual ~CIndexCalculator();
    CIndexCalculator(const CIndexCalculator&) = delete;
    CIndexCalculator& operator=(const CIndexCalculator&) = delete;

    bool SetIndexParser(IIndexParser* parser) override;
    bool SetDataSource(IIndexDataSource* source) override;
    bool Calculate(int from, int to, bool force) override;
    bool StopCalculate() override;
    bool UpdateDisplayData() override;
    bool ReleaseDisplayData() override;
    bool GetCalculatedRange(int* first, int* last) override;
    bool GetValue(int line, int bar, double* value) override;
    bool GetValues(int line, int from, int to, double* values, bool* valid) override;
    bool GetValueRange(int from, int to, const std::set<int>* excluded, double* min,
                       double* max) override;
    bool GetDrawArgValue(int line, int arg, int bar, double* value) override;
    bool GetDrawInfo(int from, int to, int step, const std::set<int>* excluded,
                     std::vector<QXDrawInfo::GraphDrawInfo>* out) override;
    bool ReleaseDrawInfo(std::vector<QXDrawInfo::GraphDrawInfo>* infos) override;

    // Spans of at least this many bars are evaluated column at a time where the
    // formula allows it; shorter ones (a new bar, a forming bar) go bar by bar, which
    // gives the same values without building a plan. 0 takes every span column at a
    // time, INT_MAX none: the differential tests compare the two.
    static constexpr int DEFAULT_RANGE_MIN_BARS = 64;
    void SetRangeMinBars(int nBars) { m_nRangeMinBars = nBars; }

    // What the draw-stage producers read; valid only while GetDrawInfo runs them.
    IIndexParser* GetParser() override;
    IIndexDataSource* GetDataSource() override;
    const CCalculateInfo* GetCalculateInfo() override;
    const CPriceCache* GetPriceCache() override;
    int GetSeriesBarCount() override;
    const double* DrawStatementSeries(const CCalculateInfo* pInfo, const ExprNode* pCallNode,
                                      int nPosition) override;
    QXDrawInfo::QXColor LineColour(int nStatementIndex) override;
    uint32_t EvaluateConstantArg(const ExprNode* pCallNode, int nPosition,
                                 uint32_t nFallback) override;

private:
    // Publishing and every reader hold both locks, always the calculation lock first:
    // with one fixed order, two of them can never each hold the lock the other waits
    // for. The calculation itself holds only m_mtxCalc.
    class CBothLocks {
    public:
        explicit CBothLocks(CIndexCalculator& calculator)
            : m_lockCalc(calculator.m_mtxCalc), m_lockDisplay(calculator.m_mtxDisplay) {}

    private:
        std::lock_guard<std::recursive_mutex> m_lockCalc;
        std::lock_guard<std::recursive_mutex> m_lockDisplay;
    };

    // Lifecycle (CIndexCalculator.cpp).
    CCalculateInfo* CompiledFormula() const;
    bool HasWindow() const;
    bool CalculateLocked(int nFrom, int nTo, bool bForce);
    void CreateWorkingState(int nBarCount);
    // Full: forget everything calculated. Partial: drop only the series of volatile
    // outputs, variables and state slots, and the window.
    void ResetCalculation(bool bFull);
    bool DecideNeedPriceCache() const;
    bool IsStatementShown(int nIndex, const std::set<int>* pExcluded) const;

    // Scheduling (EvaluationSchedule.cpp); all under m_mtxCalc.
    void NormaliseRange(int& nFrom, int& nTo) const;
    bool CalculateRange(int nFrom, int nTo);
    bool EvaluateAll(int nFrom, int nTo);
    void EvaluateDrawStatement(int nFrom, int nTo, const ExprNode* pCallNode,
                               std::vector<std::pair<int, int>>& vecSettled);
    // The bars nFirst..nLast of one series a drawing statement names, column at a
    // time when its tree has a range plan; false when it must go bar by bar.
    bool EvaluateSpan(EvalContext& context, const DrawSeriesKey& key, int nFirst, int nLast,
                      const std::vector<std::pair<int, int>>& vecSettled);
    void EvaluateBars(EvalContext& context, const DrawSeriesKey& key, int nFirst, int nLast);

    // Readers (DisplayPublisher.cpp, ValueRange.cpp, DrawStageDispatch.cpp); all under
    // both locks.
    CSeriesStore* PublishedStore() const;
    bool GetStatementValueRange(int nFrom, int nTo, const ExprNode* pCallNode, double* pMin,
                                double* pMax);
    void DispatchDrawStatements(int nFrom, int nTo, int nStep, const std::set<int>* pExcluded,
                                std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

    IIndexParser* m_pParser;
    IIndexDataSource* m_pDataSource;
    int m_nDisplayBarCount;  // available bars when the display data was last updated
    std::unique_ptr<CSeriesStore> m_pStore;  // working store; null until calculated
    std::unique_ptr<CFieldCache> m_pFieldCache;
    bool m_bNeedPriceCache;
    std::unique_ptr<CPriceCache> m_pPriceCache;
    // Rebuilt at every evaluation pass: the parser may have compiled a new formula
    // since the last one.
    CAssignmentIndex m_assignments;
    CReferencePlan m_plan;
    std::recursive_mutex m_mtxCalc;  // calculation and the working store
    // The calculated window; -1, -1 when nothing is calculated. Atomic because
    // GetCalculatedRange reads it without a lock while a calculation moves it.
    std::atomic<int> m_nCalcFirst;
    std::atomic<int> m_nCalcLast;
    std::vector<std::pair<int, int>> m_vecDirtyRanges;  // calculated, not yet published
    bool m_bDisplayValid;                               // something was ever published
    std::unique_ptr<CSeriesStore> m_pDisplayStore;
    std::recursive_mutex m_mtxDisplay;  // the display store
    std::atomic<bool> m_bStop;          // set from any thread without a lock
    int m_nRangeMinBars;                // shortest span evaluated column at a time
    bool m_bLongHistory;
    bool m_bVolatile;
    bool m_bFutureData;
};
