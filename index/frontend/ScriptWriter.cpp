#include "index/frontend/ScriptWriter.h"

#include <cstdio>
#include <cstdlib>

#include "index/frontend/FormulaSymbols.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/TokenIds.h"

namespace {

// The two text-drawing functions end their call with one more argument that
// tells them apart: 0 for a text, 1 for a number.
constexpr int kTokenDrawText = 8506;
constexpr int kTokenDrawNumber = 8507;

// The placeholder colour of every drawing statement whose colour the calculator
// takes from the parser instead.
constexpr const char* kPlaceholderColour = "RGB(254,254,254)";

constexpr const char* kStatementEnd = ";\r\n";

// Sizes the script texts up front: most token spellings are a few characters, and
// an output's drawing line such as ".curveline(ma5,RGB(254,254,254),1);" about 40.
// Only a guess: a longer text still grows as it needs.
constexpr size_t kReservePerToken = 6;
constexpr size_t kReserveForDrawing = 48;

// Index of the ')' that closes the '(' at nOpen, or nEnd when there is none.
size_t FindClosingParen(const std::vector<int>& vecTokens, size_t nOpen, size_t nEnd) {
    int nDepth = 0;
    for (size_t i = nOpen; i < nEnd; ++i) {
        if (vecTokens[i] == kTokenOpenParen) {
            ++nDepth;
        } else if (vecTokens[i] == kTokenCloseParen && --nDepth == 0) {
            return i;
        }
    }
    return nEnd;
}

}  // namespace

CScriptWriter::CScriptWriter(CFormulaSymbols* pSymbols,
                             const std::vector<COutputAttributes>* pAttributes)
    : m_pSymbols(pSymbols), m_pAttributes(pAttributes) {}

bool CScriptWriter::Write(const std::vector<int>& vecTokens, const std::vector<int>& vecPositions,
                          const std::vector<int>& vecSlots, ScriptSource* pSource) {
    m_pTokens = &vecTokens;
    m_pPositions = &vecPositions;
    m_pTables = &GetKeywordTables();
    m_vecFieldNames.clear();
    m_strMessage.clear();
    m_nMessagePosition = 0;

    std::vector<CRange> vecRanges;
    size_t nBegin = 0;
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        if (vecTokens[i] != kTokenStatementEnd) continue;
        vecRanges.push_back({nBegin, i});
        nBegin = i + 1;
    }
    if (nBegin < vecTokens.size()) vecRanges.push_back({nBegin, vecTokens.size()});
    auto SlotOf = [&vecSlots](size_t nStatement) {
        return nStatement < vecSlots.size() ? vecSlots[nStatement] : -1;
    };

    // The checking pass finds the fields and the first token that cannot be
    // written before the second pass registers any temporary.
    for (size_t k = 0; k < vecRanges.size() && m_strMessage.empty(); ++k) {
        WriteStatement(vecRanges[k], SlotOf(k), EMode::Check);
    }
    if (!m_strMessage.empty()) return false;

    std::string strScript;
    strScript.reserve(kReservePerToken * vecTokens.size() + kReserveForDrawing * vecRanges.size());
    for (size_t k = 0; k < vecRanges.size(); ++k) {
        strScript += WriteStatement(vecRanges[k], SlotOf(k), EMode::Script);
    }

    pSource->strScript.swap(strScript);
    pSource->vecOutputNames = m_pSymbols->GetOutputNames();
    pSource->vecFieldNames = m_vecFieldNames;
    pSource->vecVariableNames = m_pSymbols->GetVariableNames();
    pSource->vecParamNames.clear();
    pSource->vecParamValues.clear();
    for (const CFormulaParam& param : m_pSymbols->GetParams()) {
        pSource->vecParamNames.push_back(param.m_strName);
        pSource->vecParamValues.push_back(
            static_cast<float>(std::atof(param.m_strValueText.c_str())));
    }
    return true;
}

// statement := drawing-call | target '=' expression [ output-drawing ]
std::string CScriptWriter::WriteStatement(const CRange& range, int nSlot, EMode eMode) {
    const std::vector<int>& vecTokens = *m_pTokens;
    if (range.m_nBegin >= range.m_nEnd) return std::string();
    if (GetKeywordTables().IsDrawFunction(vecTokens[range.m_nBegin])) {
        return WriteDrawingCall(range, nSlot, eMode);
    }
    std::string strText;
    // Room for the usual spelling of a token and the drawing line an output adds, so
    // that the text is allocated once instead of doubling its way up.
    strText.reserve(kReservePerToken * (range.m_nEnd - range.m_nBegin) + kReserveForDrawing);
    AppendTokens(range.m_nBegin, range.m_nEnd, strText, eMode);
    if (eMode == EMode::Check || strText.empty()) return strText;
    strText += kStatementEnd;
    const bool bDefinesOutput =
        range.m_nEnd - range.m_nBegin > 1 && vecTokens[range.m_nBegin + 1] == kTokenDefine;
    if (bDefinesOutput) {
        strText += WriteOutputDrawing(vecTokens[range.m_nBegin] - kTokenOutputBase);
    }
    return strText;
}

// drawing-call := function '(' argument { ',' argument } ')'
// In the script every argument becomes a temporary assigned just before the call,
// and the call gains the statement's colour, width and style.
std::string CScriptWriter::WriteDrawingCall(const CRange& range, int nSlot, EMode eMode) {
    const std::vector<int>& vecTokens = *m_pTokens;
    const int nFunction = vecTokens[range.m_nBegin];
    const std::string& strName = GetKeywordTables().GetDrawSpelling(nFunction);
    const size_t nOpen = range.m_nBegin + 1;
    const size_t nClose = (nOpen < range.m_nEnd && vecTokens[nOpen] == kTokenOpenParen)
                              ? FindClosingParen(vecTokens, nOpen, range.m_nEnd)
                              : range.m_nEnd;

    if (eMode == EMode::Check) {
        std::string strText = strName;
        AppendTokens(nOpen, nClose < range.m_nEnd ? nClose + 1 : nClose, strText, eMode);
        // Nothing can follow the call: the script has no way to combine a
        // drawing with a value.
        if (nClose + 1 < range.m_nEnd) RefuseToken(nClose + 1, strText);
        return strText;
    }

    std::string strTemporaries;
    std::string strCall = strName + "(";
    size_t nArgument = nOpen + 1;
    while (nArgument < nClose) {
        size_t nStop = nArgument;
        int nDepth = 0;
        for (; nStop < nClose; ++nStop) {
            const int nId = vecTokens[nStop];
            if (nId == kTokenOpenParen) ++nDepth;
            if (nId == kTokenCloseParen) --nDepth;
            if (nId == kTokenComma && nDepth == 0) break;
        }
        char szTemporary[32];
        std::snprintf(szTemporary, sizeof(szTemporary), ".tempdrawparam%d", m_nTemporaries++);
        m_pSymbols->AddVariableUnlimited(szTemporary, nullptr);
        strTemporaries += szTemporary;
        strTemporaries += "=";
        AppendTokens(nArgument, nStop, strTemporaries, eMode);
        strTemporaries += kStatementEnd;
        strCall += szTemporary;
        strCall += ",";
        nArgument = nStop + 1;
    }

    const COutputAttributes& attributes = AttributesOf(nSlot);
    char szWidth[16];
    std::snprintf(szWidth, sizeof(szWidth), ",%d", attributes.m_nWidth);
    strCall += WriteColour(nSlot);
    strCall += szWidth;
    strCall += ",";
    strCall += GetOutputStyleInfo(attributes.m_nStyle).m_pszPloy;
    if (nFunction == kTokenDrawText) {
        strCall += ",0)";
    } else if (nFunction == kTokenDrawNumber) {
        strCall += ",1)";
    } else {
        strCall += ")";
    }
    return strTemporaries + strCall + kStatementEnd;
}

void CScriptWriter::AppendTokens(size_t nBegin, size_t nEnd, std::string& strOut, EMode eMode) {
    for (size_t i = nBegin; i < nEnd; ++i) AppendToken(i, strOut, eMode);
}

void CScriptWriter::AppendToken(size_t nIndex, std::string& strOut, EMode eMode) {
    const int nId = (*m_pTokens)[nIndex];
    const std::string& strSpelling = m_pTables->GetTokenSpelling(nId);
    if (!strSpelling.empty()) {
        strOut += strSpelling;
        if (eMode == EMode::Check && nId >= kTokenDataFieldFirst && nId <= kTokenDataFieldLast)
            RecordField(nId);
    } else if (m_pSymbols->IsVariableId(nId)) {
        strOut += m_pSymbols->GetVariableName(nId);
    } else if (m_pSymbols->IsOutputId(nId)) {
        strOut += m_pSymbols->GetOutputName(nId);
    } else if (const CLiteralSlot* pSlot = m_pSymbols->GetLiteral(nId)) {
        strOut += pSlot->m_strText;
    } else if (m_pSymbols->IsStringId(nId)) {
        strOut += '"';
        strOut += m_pSymbols->GetString(nId);
        strOut += '"';
    } else {
        RefuseToken(nIndex, strOut);
    }
}

// Attribute keywords left inside an expression, implicit zeros that no operand
// absorbed, and drawing functions anywhere but at the head of their own
// statement have no place in the script. A drawing function is named in the
// message, since the user can act on that; anything else is a plain syntax error.
void CScriptWriter::RefuseToken(size_t nIndex, std::string& strOut) {
    const int nId = (*m_pTokens)[nIndex];
    const std::string& strDrawName = GetKeywordTables().GetDrawSpelling(nId);
    const std::string strMessage =
        strDrawName.empty() ? std::string(kTextSyntaxError) : strDrawName + kTextNotSupported;
    strOut += strMessage;
    if (!m_strMessage.empty()) return;
    m_strMessage = strMessage;
    m_nMessagePosition = nIndex < m_pPositions->size() ? (*m_pPositions)[nIndex] : 0;
}

// output-drawing := ( '.curveline(' | '.circular(' class ',' | '.column(' class ',0,' )
//                   name ',' colour [ ',' width ] ');'
std::string CScriptWriter::WriteOutputDrawing(int nSlot) const {
    const COutputAttributes& attributes = AttributesOf(nSlot);
    const COutputStyleInfo& style = GetOutputStyleInfo(attributes.m_nStyle);
    char szWidth[16];
    std::snprintf(szWidth, sizeof(szWidth), ",%d", attributes.m_nWidth);
    const std::string strName = WriteOutputName(nSlot);
    const std::string strColour = WriteColour(nSlot);
    switch (style.m_eShape) {
        case EOutputShape::Column:
            return std::string(".column(") + style.m_pszClass + ",0," + strName + "," + strColour +
                   ");\r\n";
        case EOutputShape::Circular:
            return std::string(".circular(") + style.m_pszClass + "," + strName + "," + strColour +
                   szWidth + ");\r\n";
        case EOutputShape::Curve:
        default:
            return ".curveline(" + strName + "," + strColour + szWidth + ");\r\n";
    }
}

// A drawing statement refers to its output together with the formula's
// parameters, so that the draw stage can tell which values the line belongs to.
std::string CScriptWriter::WriteOutputName(int nSlot) const {
    std::string strName = m_pSymbols->GetOutputName(kTokenOutputBase + nSlot);
    const std::vector<CFormulaParam>& vecParams = m_pSymbols->GetParams();
    if (vecParams.empty()) return strName;
    strName += "(";
    for (size_t i = 0; i < vecParams.size(); ++i) {
        if (i > 0) strName += ",";
        strName += vecParams[i].m_strName;
    }
    strName += ")";
    return strName;
}

// Every colour a formula can give is opaque and so negative as a signed number,
// as is "no colour": all of them become the placeholder, and the calculator asks
// the parser for the real colour. Only a colour without alpha would be written.
std::string CScriptWriter::WriteColour(int nSlot) const {
    const uint32_t uColour = AttributesOf(nSlot).m_uColour;
    if (static_cast<int32_t>(uColour) < 0) return kPlaceholderColour;
    char szColour[48];
    std::snprintf(szColour, sizeof(szColour), "RGB(%d,%d,%d)", static_cast<int>(uColour & 0xFF),
                  static_cast<int>((uColour >> 8) & 0xFF),
                  static_cast<int>((uColour >> 16) & 0xFF));
    return szColour;
}

const COutputAttributes& CScriptWriter::AttributesOf(int nSlot) const {
    // A slot without attributes reads as all zero: colour 0, width 0, plain line.
    static const COutputAttributes s_zero = {0, 0, 0, false, false};
    if (m_pAttributes == nullptr || nSlot < 0 || nSlot >= static_cast<int>(m_pAttributes->size()))
        return s_zero;
    return (*m_pAttributes)[nSlot];
}

void CScriptWriter::RecordField(int nId) {
    const std::string& strField = GetKeywordTables().GetFieldSpelling(nId);
    if (strField.empty()) return;
    for (const std::string& strHave : m_vecFieldNames) {
        if (strHave == strField) return;
    }
    m_vecFieldNames.push_back(strField);
}
