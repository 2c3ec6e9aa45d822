#include "drawinfo/ProducerFrame.h"

#include <algorithm>

#include "IIndexParser.h"
#include "index/compiler/CompiledFormula.h"

using namespace QXDrawInfo;

int TruncateToInt(double dValue) {
    if (std::isnan(dValue)) return 0;
    if (dValue >= 2147483647.0) return INT32_MAX;
    if (dValue <= -2147483648.0) return INT32_MIN;
    return static_cast<int>(dValue);
}

uint32_t TruncateToUint32(double dValue) {
    if (std::isnan(dValue)) return 0;
    // 2^63 is the first double beyond the signed 64-bit range.
    if (dValue >= 9223372036854775808.0) return UINT32_MAX;
    if (dValue < -9223372036854775808.0) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(dValue)));
}

void COpenSegment::Close(bool bExtendEnd) {
    if (m_vecPoints.empty()) return;
    m_builder.AddCurveSegment(m_nCurve, m_vecPoints, false, bExtendEnd);
    m_vecPoints.clear();
}

CProducerFrame::CProducerFrame(IDrawStageContext& context, int nStatementIndex, int nFirst,
                               int nLast, const ExprNode* pCallNode)
    : m_context(context), m_pCallNode(pCallNode), m_builder(&m_info) {
    IIndexParser* pParser = context.GetParser();
    m_pInfo = context.GetCalculateInfo();
    m_nSeriesBarCount = context.GetSeriesBarCount();
    if (pParser == nullptr || context.GetDataSource() == nullptr || m_pInfo == nullptr ||
        m_nSeriesBarCount < 1 || pCallNode == nullptr || pCallNode->pTypes == nullptr ||
        pCallNode->pValues == nullptr) {
        return;
    }
    m_nFirst = nFirst;
    m_nLast = std::min(nLast, m_nSeriesBarCount - 1);
    if (m_nFirst < 0 || m_nFirst > m_nLast) return;

    m_colour = context.LineColour(nStatementIndex);
    // An output the parser does not know (statement 0 of a formula without output
    // lines, say) is drawn with the thinnest pen rather than not at all.
    int nThickness = MIN_LINE_THICKNESS;
    if (!pParser->GetOutputLineThick(nStatementIndex, &nThickness)) {
        nThickness = MIN_LINE_THICKNESS;
    }
    m_nThickness = std::clamp(nThickness, MIN_LINE_THICKNESS, MAX_LINE_THICKNESS);
    m_bReady = true;
}

const double* CProducerFrame::Series(int nPosition) const {
    if (!m_bReady) return nullptr;
    return m_context.DrawStatementSeries(m_pInfo, m_pCallNode, nPosition);
}

uint32_t CProducerFrame::ConstantArg(int nPosition, uint32_t nFallback) const {
    if (!m_bReady) return nFallback;
    return m_context.EvaluateConstantArg(m_pCallNode, nPosition, nFallback);
}

uint32_t CProducerFrame::ArgType(int nPosition) const {
    if (!m_bReady || nPosition < 0 || static_cast<uint32_t>(nPosition) >= m_pCallNode->nArgs) {
        return OperandType::Empty;
    }
    return m_pCallNode->pTypes[nPosition];
}

int64_t CProducerFrame::ArgValue(int nPosition) const {
    if (!m_bReady || nPosition < 0 || static_cast<uint32_t>(nPosition) >= m_pCallNode->nArgs) {
        return 0;
    }
    return m_pCallNode->pValues[nPosition];
}

void CProducerFrame::AppendTo(std::vector<GraphDrawInfo>* pOut) {
    if (!m_bReady || pOut == nullptr) return;
    pOut->push_back(std::move(m_info));
}
