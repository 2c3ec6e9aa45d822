// GetDrawInfo and what the draw-stage producers read through IDrawStageContext.
#include "index/calc/DrawStageDispatch.h"

#include <algorithm>

#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "drawinfo/DrawStageProducers.h"
#include "index/calc/CIndexCalculator.h"
#include "index/calc/DrawArgumentLayout.h"
#include "index/calc/FloatBits.h"
#include "index/calc/PriceCache.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/ValueConventions.h"

namespace {

using namespace DrawFunctionId;

// clang-format off
//   id          producer            statement index  step
constexpr DrawStageRoute s_arrRoutes[] = {
    {CurveLine,  ProduceCurve,       true,            true},
    {Circular,   ProduceCircleMarks, true,            true},
    {Column,     ProduceColumns,     true,            true},
    {KLine,      ProduceCandles,     false,           true},
    {PolyLine,   ProducePolyline,    true,            false},
    {Band,       ProduceBand,        false,           true},
    {Stick,      ProduceSticks,      true,            false},
    {Icon,       ProduceIcons,       true,            false},
    {Text,       ProduceTexts,       true,            false},
    {Number,     ProduceNumbers,     true,            false},
    {Line,       ProduceLines,       true,            false},
    {FillRegion, ProduceFillRegion,  true,            false},
};
// clang-format on

}  // namespace

const DrawStageRoute* FindDrawStageRoute(int64_t nId) {
    for (const DrawStageRoute& route : s_arrRoutes) {
        if (route.nId == nId) return &route;
    }
    return nullptr;
}

bool CIndexCalculator::GetDrawInfo(int from, int to, int step, const std::set<int>* excluded,
                                   std::vector<QXDrawInfo::GraphDrawInfo>* out) {
    if (out == nullptr) return false;
    try {
        const CBothLocks locks(*this);
        const CCalculateInfo* pInfo = CompiledFormula();
        if (pInfo == nullptr) return false;
        int nBarCount = 0;
        if (m_bDisplayValid) {
            nBarCount = m_nDisplayBarCount;
        } else if (m_pDataSource == nullptr || !m_pDataSource->GetAvailableBarCount(&nBarCount)) {
            return false;
        }
        to = std::min(to, nBarCount - 1);
        from = std::min(from, to);
        if (from < 0 || to < 0) return false;
        if (m_bNeedPriceCache && m_pPriceCache == nullptr) return false;
        // The bar count above is the source's; the series the producers read are only
        // as long as the store they were published from.
        const int nSeriesBarCount = GetSeriesBarCount();
        if (nSeriesBarCount > 0 && to >= nSeriesBarCount) {
            to = nSeriesBarCount - 1;
            from = std::min(from, to);
        }
        out->clear();
        out->reserve(pInfo->m_vecDrawStatements.size());
        DispatchDrawStatements(from, to, step, excluded, out);
        return true;
    } catch (...) {
        return false;
    }
}

void CIndexCalculator::DispatchDrawStatements(int nFrom, int nTo, int nStep,
                                              const std::set<int>* pExcluded,
                                              std::vector<QXDrawInfo::GraphDrawInfo>* pOut) {
    const CCalculateInfo* pInfo = CompiledFormula();
    if (pInfo == nullptr) return;
    const int nCount = static_cast<int>(pInfo->m_vecDrawStatements.size());
    for (int i = 0; i < nCount; ++i) {
        if (!IsStatementShown(i, pExcluded)) continue;
        const ExprNode* pCallNode = GetDrawCallNode(*pInfo, i);
        const DrawStageRoute* pRoute = FindDrawStageRoute(GetDrawFunctionId(pCallNode));
        if (pCallNode == nullptr || pRoute == nullptr) continue;
        pRoute->pfnProducer(*this, pRoute->bPassStatementIndex ? i : 0, nFrom, nTo,
                            pRoute->bPassStep ? nStep : 0, pCallNode, pOut);
    }
}

bool CIndexCalculator::ReleaseDrawInfo(std::vector<QXDrawInfo::GraphDrawInfo>* infos) {
    // Swapping with an empty vector frees the storage too, which clear() would keep.
    if (infos != nullptr) std::vector<QXDrawInfo::GraphDrawInfo>().swap(*infos);
    return true;
}

IIndexParser* CIndexCalculator::GetParser() {
    return m_pParser;
}

IIndexDataSource* CIndexCalculator::GetDataSource() {
    return m_pDataSource;
}

const CCalculateInfo* CIndexCalculator::GetCalculateInfo() {
    return CompiledFormula();
}

const CPriceCache* CIndexCalculator::GetPriceCache() {
    return m_pPriceCache.get();
}

QXDrawInfo::QXColor CIndexCalculator::LineColour(int nStatementIndex) {
    QXDrawInfo::QXColor colour = QXDrawInfo::GetDefaultColor();
    unsigned nValue = 0;
    if (m_pParser != nullptr && m_pParser->GetOutputColor(nStatementIndex, &nValue)) {
        colour.value = static_cast<int>(nValue);
    }
    return colour;
}

uint32_t CIndexCalculator::EvaluateConstantArg(const ExprNode* pCallNode, int nPosition,
                                               uint32_t nFallback) {
    if (pCallNode == nullptr || nPosition < 0 ||
        static_cast<uint32_t>(nPosition) >= pCallNode->nArgs || pCallNode->pTypes == nullptr ||
        pCallNode->pValues == nullptr) {
        return nFallback;
    }
    // No series store and no bars: constants and the drawing statement's parameters
    // evaluate, anything that needs bar data gives no value.
    EvalContext context;
    context.pInfo = CompiledFormula();
    context.bDrawMode = true;
    double dValue = INVALID_VALUE;
    const int nStatus = EvaluateOperand(&context, pCallNode->pTypes[nPosition],
                                        pCallNode->pValues[nPosition], &dValue, 0);
    if (nStatus != EVAL_OK || !HasValue(dValue)) return nFallback;
    return FloatBits(NarrowToFloat(dValue));
}
