#include "index/calc/CIndexCalculator.h"

#include <algorithm>

#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/calc/FloatBits.h"
#include "index/calc/PriceCache.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/FieldCache.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

namespace {

// Style codes of the named constants that make a statement colour its bars by their
// movement, which needs the bar prices at drawing time.
constexpr uint32_t STYLE_VOLUME_STICK = 0x01000000u;  // PLOYVOLSTICK, CLTVOLSTICK
constexpr uint32_t STYLE_CODE_4 = 0x01000004u;        // PLOYCROSSDOT, CLTRTVOLSTICK, CITSAR

// The style code a drawing call holds in argument 1. Evaluated without any bar
// data or parameters: a style is written as a named constant, and anything that
// would need data has no style code (0).
uint32_t ReadStyleCode(const ExprNode& callNode) {
    if (callNode.nArgs < 2) return 0;
    EvalContext context;
    double dValue = INVALID_VALUE;
    const int nStatus =
        EvaluateOperand(&context, callNode.pTypes[1], callNode.pValues[1], &dValue, 0);
    if (nStatus != EVAL_OK || !HasValue(dValue)) return 0;
    return FloatBits(NarrowToFloat(dValue));
}

}  // namespace

CIndexCalculator::CIndexCalculator()
    : m_pParser(nullptr),
      m_pDataSource(nullptr),
      m_nDisplayBarCount(0),
      m_bNeedPriceCache(false),
      m_nCalcFirst(-1),
      m_nCalcLast(-1),
      m_bDisplayValid(false),
      m_bStop(false),
      m_nRangeMinBars(DEFAULT_RANGE_MIN_BARS),
      m_bLongHistory(false),
      m_bVolatile(false),
      m_bFutureData(false) {}

CIndexCalculator::~CIndexCalculator() {
    try {
        {
            std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
            ResetCalculation(true);
        }
        std::lock_guard<std::recursive_mutex> lock(m_mtxDisplay);
        m_pDisplayStore.reset();
    } catch (...) {
        // A mutex that cannot be locked any more: the members go with the object.
    }
}

CCalculateInfo* CIndexCalculator::CompiledFormula() const {
    CCalculateInfo* pInfo = nullptr;
    if (m_pParser == nullptr || !m_pParser->GetCalculateInfo(&pInfo)) return nullptr;
    return pInfo;
}

bool CIndexCalculator::HasWindow() const {
    return m_nCalcFirst >= 0 && m_nCalcLast >= m_nCalcFirst;
}

// The parser is stored under the calculation lock (as is the data source below), so
// that a calculation running on another thread never sees it change half-way.
bool CIndexCalculator::SetIndexParser(IIndexParser* parser) {
    if (parser == nullptr) return false;
    try {
        std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
        m_pParser = parser;
        bool bFlag = false;
        m_bLongHistory = parser->GetLongHistory(&bFlag) && bFlag;
        bFlag = false;
        m_bFutureData = parser->GetFutureData(&bFlag) && bFlag;
        bFlag = false;
        m_bVolatile = parser->GetVolatile(&bFlag) && bFlag;
        ResetCalculation(true);
        m_bNeedPriceCache = DecideNeedPriceCache();
        return true;
    } catch (...) {
        return false;
    }
}

bool CIndexCalculator::SetDataSource(IIndexDataSource* source) {
    if (source == nullptr) return false;
    try {
        std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
        m_pDataSource = source;
        ResetCalculation(true);
        return true;
    } catch (...) {
        return false;
    }
}

bool CIndexCalculator::Calculate(int from, int to, bool force) {
    m_bStop = false;
    try {
        std::lock_guard<std::recursive_mutex> lock(m_mtxCalc);
        try {
            if (CalculateLocked(from, to, force)) return true;
        } catch (...) {
            // Out of memory half-way: what was calculated cannot be trusted.
        }
        ResetCalculation(true);
        return false;
    } catch (...) {
        return false;
    }
}

// Every failure path returns false; the caller then resets everything.
bool CIndexCalculator::CalculateLocked(int nFrom, int nTo, bool bForce) {
    if (m_pDataSource == nullptr) return false;
    int nBarCount = 0;
    m_pDataSource->GetBarCount(&nBarCount);
    if (nBarCount < 1 || nBarCount > MAX_BAR_COUNT) return false;
    // Without a compiled formula nothing can be calculated; claiming a window would
    // let later requests believe there were values.
    if (CompiledFormula() == nullptr) return false;

    // A request for the whole series starts from scratch. The test looks at the ends
    // as given, before they are ordered.
    const bool bWholeSeries = nFrom == 0 && nTo == nBarCount - 1;
    if (bWholeSeries) ResetCalculation(true);
    CreateWorkingState(nBarCount);
    NormaliseRange(nFrom, nTo);
    if (!bWholeSeries && m_bVolatile) ResetCalculation(false);

    if (!bForce && HasWindow()) {
        const int nFirst = m_nCalcFirst;
        const int nLast = m_nCalcLast;
        if (nFrom >= nFirst && nTo <= nLast) return true;
        // Only the tail past the window is new; the bars before it are still valid.
        if (nFrom >= nFirst && nFrom <= nLast + 1 && nTo > nLast) nFrom = nLast + 1;
    }
    return CalculateRange(nFrom, nTo);
}

void CIndexCalculator::CreateWorkingState(int nBarCount) {
    if (m_pStore == nullptr) {
        m_pStore = std::make_unique<CSeriesStore>(nBarCount);
        // Ranges recorded for an earlier store that lie wholly outside this one can
        // never be published: they would clamp to nothing and abandon every update.
        std::vector<std::pair<int, int>> vecKept;
        for (const std::pair<int, int>& range : m_vecDirtyRanges) {
            const int nLow = std::min(range.first, range.second);
            const int nHigh = std::max(range.first, range.second);
            if (nHigh >= 0 && nLow < nBarCount) vecKept.push_back(range);
        }
        m_vecDirtyRanges.swap(vecKept);
    }
    if (m_pFieldCache == nullptr) m_pFieldCache = std::make_unique<CFieldCache>();
    if (m_bNeedPriceCache && m_pPriceCache == nullptr) {
        m_pPriceCache = std::make_unique<CPriceCache>(nBarCount);
    }
}

void CIndexCalculator::ResetCalculation(bool bFull) {
    // The plan holds buffers of the store that either reset deletes.
    m_plan.Clear();
    if (bFull) {
        m_nCalcFirst = -1;
        m_nCalcLast = -1;
        m_pStore.reset();
        m_pPriceCache.reset();
        m_pFieldCache.reset();
        return;
    }
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr || m_pStore == nullptr) return;
    // Forgetting the window makes the next range calculation build a new one, over
    // which the volatile series are then computed afresh.
    m_nCalcFirst = -1;
    m_nCalcLast = -1;
    for (const int64_t nOutput : pInfo->m_setVolatileOutputs) {
        if (nOutput >= 0 && nOutput <= MAX_SERIES_NUMBER) {
            m_pStore->DeleteSeries(SERIES_KIND_OUTPUT, static_cast<int>(nOutput));
        }
    }
    for (const int64_t nVariable : pInfo->m_setVolatileVariables) {
        if (nVariable >= 0 && nVariable <= MAX_SERIES_NUMBER) {
            m_pStore->DeleteSeries(SERIES_KIND_VARIABLE, static_cast<int>(nVariable));
        }
    }
    for (const uint32_t nSlots : pInfo->m_setVolatileSlots) {
        const uint32_t nFirstSlot = nSlots & 0xFFFFu;
        const uint32_t nSecondSlot = nSlots >> 16;
        m_pStore->DeleteSeries(SERIES_KIND_STATE, static_cast<int>(nFirstSlot));
        if (nSecondSlot != NO_SECOND_STATE_SLOT) {
            m_pStore->DeleteSeries(SERIES_KIND_STATE, static_cast<int>(nSecondSlot));
        }
    }
    // Kept node values are not tied to a statement; any of them may sit below a
    // volatile series.
    m_pStore->DeleteNodeSeries();
}

bool CIndexCalculator::DecideNeedPriceCache() const {
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr) return false;
    const int nCount = static_cast<int>(pInfo->m_vecDrawStatements.size());
    for (int i = 0; i < nCount; ++i) {
        const ExprNode* pCallNode = GetDrawCallNode(*pInfo, i);
        if (pCallNode == nullptr) continue;
        const int64_t nId = GetDrawFunctionId(pCallNode);
        if (nId == DrawFunctionId::KLine) return true;
        if (nId == DrawFunctionId::Circular && ReadStyleCode(*pCallNode) == STYLE_CODE_4) {
            return true;
        }
        if (nId == DrawFunctionId::Column) {
            const uint32_t nCode = ReadStyleCode(*pCallNode);
            if (nCode == STYLE_VOLUME_STICK || nCode == STYLE_CODE_4) return true;
        }
    }
    return false;
}

bool CIndexCalculator::IsStatementShown(int nIndex, const std::set<int>* pExcluded) const {
    if (pExcluded != nullptr && pExcluded->count(nIndex) != 0) return false;
    bool bHidden = false;
    return m_pParser == nullptr || !m_pParser->IsOutputHidden(nIndex, &bHidden) || !bHidden;
}

bool CIndexCalculator::StopCalculate() {
    m_bStop = true;
    return true;
}

bool CIndexCalculator::ReleaseDisplayData() {
    try {
        std::lock_guard<std::recursive_mutex> lock(m_mtxDisplay);
        // m_bDisplayValid stays: readers find no series until the next publication,
        // rather than falling back to a working store that may be mid-calculation.
        m_pDisplayStore.reset();
        return true;
    } catch (...) {
        return false;
    }
}

bool CIndexCalculator::GetCalculatedRange(int* first, int* last) {
    if (first != nullptr) *first = m_nCalcFirst;
    if (last != nullptr) *last = m_nCalcLast;
    return true;
}
