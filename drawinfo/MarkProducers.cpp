// Marks at the bars where a condition holds: DRAWICON's icons, DRAWTEXT's strings
// and DRAWNUMBER's numbers, each placed at a price.
#include <cstdint>
#include <cstdio>
#include <string>

#include "drawinfo/DrawStageProducers.h"
#include "drawinfo/ProducerFrame.h"
#include "index/calc/FloatBits.h"
#include "index/compiler/CompiledFormula.h"

using namespace QXDrawInfo;

namespace {

// All three take (COND, PRICE, third argument).
constexpr int MARK_COND = 1;
constexpr int MARK_PRICE = 2;
constexpr int MARK_DETAIL = 3;

// Texts are set a little larger than the line they belong to is wide.
constexpr float TEXT_SIZE_OVER_THICKNESS = 9.0f;
constexpr int TEXT_STYLE = 18;

// Room for any number "%f" is asked to print that a chart can show; a longer text
// (a value beyond 1e55) is cut short.
constexpr size_t NUMBER_BUFFER_SIZE = 64;

TextDrawInfo MarkText(const CProducerFrame& frame) {
    return GetText(frame.Colour(), frame.Thickness() + TEXT_SIZE_OVER_THICKNESS, TEXT_STYLE,
                   std::string(), 0);
}

// The string of DRAWTEXT at a bar. A string constant gives the same index at every
// bar; a series carries the index as the bit pattern of a single-precision value,
// as the evaluator widens a string operand.
class CTextArgument {
public:
    explicit CTextArgument(const CProducerFrame& frame)
        : m_strings(frame.Info()->m_vecStrings),
          m_bConstant(frame.ArgType(MARK_DETAIL) == OperandType::String),
          m_nConstantIndex(static_cast<uint32_t>(frame.ArgValue(MARK_DETAIL))),
          m_pSeries(m_bConstant ? nullptr : frame.Series(MARK_DETAIL)) {}

    bool IsAvailable() const { return m_bConstant || m_pSeries != nullptr; }

    // Null when the bar has no index or the index lies outside the string table.
    const std::string* At(int nBar) const {
        uint32_t nIndex = m_nConstantIndex;
        if (!m_bConstant) {
            if (!IsDrawable(m_pSeries[nBar])) return nullptr;
            nIndex = FloatBits(NarrowToFloat(m_pSeries[nBar]));
        }
        return nIndex < m_strings.size() ? &m_strings[nIndex] : nullptr;
    }

private:
    const std::vector<std::string>& m_strings;
    bool m_bConstant;
    uint32_t m_nConstantIndex;
    const double* m_pSeries;
};

}  // namespace

std::string FormatDrawnNumber(double dValue) {
    char szText[NUMBER_BUFFER_SIZE];
    std::snprintf(szText, sizeof(szText), "%f", dValue);
    std::string strText(szText);
    if (strText.find('.') != std::string::npos) {
        while (strText.back() == '0') strText.pop_back();
        if (strText.back() == '.') strText.pop_back();
    }
    return strText;
}

void ProduceIcons(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                  const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond = frame.Series(MARK_COND);
    const double* pPrice = frame.Series(MARK_PRICE);
    const double* pType = frame.Series(MARK_DETAIL);
    if (!frame.IsReady() || pCond == nullptr || pPrice == nullptr || pType == nullptr) return;

    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nIcons = builder.AddIcon(GetVOZIcon(frame.Thickness()));
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsConditionMet(pCond[nBar]) || !IsDrawable(pPrice[nBar]) || !IsDrawable(pType[nBar])) {
            continue;
        }
        builder.AddIconPoint(nIcons, MakePoint(nBar, pPrice[nBar]), TruncateToInt(pType[nBar]));
    }
    frame.AppendTo(pOut);
}

void ProduceTexts(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                  const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond = frame.Series(MARK_COND);
    const double* pPrice = frame.Series(MARK_PRICE);
    if (!frame.IsReady() || pCond == nullptr || pPrice == nullptr) return;
    const CTextArgument text(frame);
    if (!text.IsAvailable()) return;

    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nTexts = builder.AddText(MarkText(frame));
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsConditionMet(pCond[nBar]) || !IsDrawable(pPrice[nBar])) continue;
        const std::string* pText = text.At(nBar);
        if (pText == nullptr) continue;
        // An empty string is refused by the builder: nothing to show.
        builder.AddTextItem(nTexts, MakePoint(nBar, pPrice[nBar]), *pText, 0, QXPoint());
    }
    frame.AppendTo(pOut);
}

void ProduceNumbers(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int,
                    const ExprNode* pCallNode, std::vector<GraphDrawInfo>* pOut) {
    CProducerFrame frame(context, nStatementIndex, nFirst, nLast, pCallNode);
    const double* pCond = frame.Series(MARK_COND);
    const double* pPrice = frame.Series(MARK_PRICE);
    const double* pNumber = frame.Series(MARK_DETAIL);
    if (!frame.IsReady() || pCond == nullptr || pPrice == nullptr || pNumber == nullptr) return;

    GraphDrawInfoBuilder& builder = frame.Builder();
    const int64_t nTexts = builder.AddText(MarkText(frame));
    for (int nBar = frame.First(); nBar <= frame.Last(); ++nBar) {
        if (!IsConditionMet(pCond[nBar]) || !IsDrawable(pPrice[nBar]) ||
            !IsDrawable(pNumber[nBar])) {
            continue;
        }
        builder.AddTextItem(nTexts, MakePoint(nBar, pPrice[nBar]), FormatDrawnNumber(pNumber[nBar]),
                            0, QXPoint());
    }
    frame.AppendTo(pOut);
}
