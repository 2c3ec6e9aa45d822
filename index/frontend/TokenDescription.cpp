#include "index/frontend/TokenDescription.h"

#include "index/frontend/KeywordTables.h"

std::string DescribeToken(int nId, const CFormulaSymbols& symbols) {
    if (nId == kTokenStatementEnd) return "<end>";
    if (nId == kTokenImplicitZero) return "<zero>";
    if (const char* pszKeyword = FindKeywordText(nId)) return pszKeyword;
    if (symbols.IsLiteralColourId(nId)) return "color" + symbols.GetLiteralColour(nId);
    if (symbols.IsVariableId(nId)) return symbols.GetVariableName(nId);
    if (symbols.IsOutputId(nId)) return symbols.GetOutputName(nId);
    if (const CLiteralSlot* pSlot = symbols.GetLiteral(nId)) return pSlot->m_strText;
    if (symbols.IsStringId(nId)) return "'" + symbols.GetString(nId) + "'";
    return "?";
}
