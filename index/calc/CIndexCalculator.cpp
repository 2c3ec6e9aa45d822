#include "index/calc/CIndexCalculator.h"

CIndexCalculator::CIndexCalculator()
    : m_pParser(nullptr), m_pDataSource(nullptr), m_nCalcFirst(-1), m_nCalcLast(-1),
      m_bStop(false) {}

CIndexCalculator::~CIndexCalculator() = default;

bool CIndexCalculator::SetIndexParser(IIndexParser* parser) {
    if (parser == nullptr) return false;
    std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
    m_pParser = parser;
    m_nCalcFirst = m_nCalcLast = -1;
    return true;
}

bool CIndexCalculator::SetDataSource(IIndexDataSource* source) {
    if (source == nullptr) return false;
    std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
    m_pDataSource = source;
    m_nCalcFirst = m_nCalcLast = -1;
    return true;
}

// The evaluation engine is not here yet: nothing can be calculated.
bool CIndexCalculator::Calculate(int, int, bool) {
    m_bStop = false;
    return false;
}

bool CIndexCalculator::StopCalculate() {
    m_bStop = true;
    return true;
}

bool CIndexCalculator::UpdateDisplayData() { return false; }

bool CIndexCalculator::ReleaseDisplayData() {
    std::lock_guard<std::recursive_mutex> lock(m_mtxDisplay);
    return true;
}

bool CIndexCalculator::GetCalculatedRange(int* first, int* last) {
    if (first != nullptr) *first = m_nCalcFirst;
    if (last != nullptr) *last = m_nCalcLast;
    return true;
}

bool CIndexCalculator::GetValue(int, int, double*) { return false; }
bool CIndexCalculator::GetValues(int, int, int, double*, bool*) { return false; }
bool CIndexCalculator::GetValueRange(int, int, const std::set<int>*, double*, double*) {
    return false;
}
bool CIndexCalculator::GetDrawArgValue(int, int, int, double*) { return false; }
bool CIndexCalculator::GetDrawInfo(int, int, int, const std::set<int>*,
                                   std::vector<QXDrawInfo::GraphDrawInfo>*) {
    return false;
}

bool CIndexCalculator::ReleaseDrawInfo(std::vector<QXDrawInfo::GraphDrawInfo>* infos) {
    if (infos != nullptr) std::vector<QXDrawInfo::GraphDrawInfo>().swap(*infos);
    return true;
}
