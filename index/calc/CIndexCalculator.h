// The indicator calculator: evaluates one parsed formula over one bar series and
// hands out value series, value ranges and drawing records.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

#include "IIndexCalculator.h"

class CIndexCalculator : public IIndexCalculator {
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

private:
    IIndexParser* m_pParser;
    IIndexDataSource* m_pDataSource;
    std::recursive_mutex m_mtxCalc;  // calculation and the working store
    int m_nCalcFirst;
    int m_nCalcLast;
    std::vector<std::pair<int, int>> m_vecDirtyRanges;
    std::recursive_mutex m_mtxDisplay;  // the display store
    std::atomic<bool> m_bStop;  // set from any thread without a lock
};
