#include "index/frontend/FormulaSymbols.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "index/frontend/FormulaError.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/LetterCase.h"

namespace {

const std::string& EmptyText() {
    static const std::string s_strEmpty;
    return s_strEmpty;
}

const std::vector<int>& EmptyList() {
    static const std::vector<int> s_vecEmpty;
    return s_vecEmpty;
}

bool FindIn(const std::map<std::string, int>& mapIds, const std::string& strName, int* pId) {
    auto it = mapIds.find(strName);
    if (it == mapIds.end()) return false;
    *pId = it->second;
    return true;
}

void AppendOnce(std::vector<int>& vecList, int nValue) {
    for (int nHave : vecList) {
        if (nHave == nValue) return;
    }
    vecList.push_back(nValue);
}

std::string FormatParamValue(float fValue) {
    // %.3f of the largest float is 39 digits and the decimals.
    char szText[64];
    std::snprintf(szText, sizeof(szText), "%.3f", static_cast<double>(fValue));
    return szText;
}

}  // namespace

CFormulaSymbols::CFormulaSymbols() {
    BuildKeywordTables();
    // Most formulas name fewer than 20 literals; room reserved up front spares copying
    // every slot while the list grows. Kept under 1 KB: a larger request makes the
    // allocator sweep every small block the previous parse freed.
    m_vecLiterals.reserve(20);
}

bool CFormulaSymbols::LookupName(const std::string& strName, int* pId) const {
    int nId = 0;
    if (!GetKeywordTables().FindKeywordId(strName, &nId) &&
        !FindIn(m_mapVariableIds, strName, &nId) && !FindIn(m_mapOutputIds, strName, &nId) &&
        !FindIn(m_mapValueIds, strName, &nId)) {
        return false;
    }
    if (pId != nullptr) *pId = nId;
    return true;
}

int CFormulaSymbols::AddVariable(const std::string& strName, int* pId) {
    if (VariableCount() >= kMaxVariables) return kErrorTooManyVariables;
    return AddVariableUnlimited(strName, pId);
}

int CFormulaSymbols::AddVariableUnlimited(const std::string& strName, int* pId) {
    const int nId = kTokenVariableBase + VariableCount();
    m_vecVariableNames.push_back(strName);
    m_mapVariableIds.emplace(strName, nId);
    if (pId != nullptr) *pId = nId;
    return 0;
}

int CFormulaSymbols::AddOutput(const std::string& strName, int* pId) {
    if (OutputCount() >= kMaxOutputs) return kErrorTooManyOutputs;
    const int nId = kTokenOutputBase + OutputCount();
    m_vecOutputNames.push_back(strName);
    m_mapOutputIds.emplace(strName, nId);
    if (pId != nullptr) *pId = nId;
    return 0;
}

int CFormulaSymbols::AddNumericLiteral(const std::string& strText, int* pId) {
    if (LiteralCount() >= kMaxLiteralSlots) return kErrorTooManyLiterals;
    const int nId = kTokenLiteralBase + LiteralCount();
    CLiteralSlot slot;
    slot.m_strText = strText;
    slot.m_dValue = std::atof(strText.c_str());
    m_vecLiterals.push_back(std::move(slot));
    // A literal text starts with a digit or '.', so a name never finds it here;
    // it is entered for completeness of the value map only.
    m_mapValueIds.emplace(strText, nId);
    if (pId != nullptr) *pId = nId;
    return 0;
}

int CFormulaSymbols::AddStringLiteral(const std::string& strText, int* pId) {
    const int nId = kTokenStringBase + StringCount();
    m_vecStrings.push_back(strText);
    if (pId != nullptr) *pId = nId;
    return 0;
}

int CFormulaSymbols::AddLiteralColour(const std::string& strSixChars, int* pId) {
    // Reusing the slot of an equal text keeps formulas that repeat one colour on
    // many lines within the hundred slots that the id block has room for.
    for (int k = 0; k < LiteralColourCount(); ++k) {
        if (m_vecLiteralColours[k] == strSixChars) {
            if (pId != nullptr) *pId = kTokenLiteralColourBase + k;
            return 0;
        }
    }
    if (LiteralColourCount() >= kMaxLiteralColours) return kErrorUnknownName;
    if (pId != nullptr) *pId = kTokenLiteralColourBase + LiteralColourCount();
    m_vecLiteralColours.push_back(strSixChars);
    return 0;
}

int CFormulaSymbols::AddParameter(const std::string& strName, float fValue) {
    const std::string strLower = ToLowerAscii(strName);
    if (LookupName(strLower, nullptr)) return 0;
    if (LiteralCount() >= kMaxLiteralSlots) return kErrorTooManyLiterals;
    const int nId = kTokenLiteralBase + LiteralCount();
    CLiteralSlot slot;
    slot.m_strText = strLower;
    slot.m_dValue = fValue;
    slot.m_nParamIndex = ParamCount();
    CFormulaParam param;
    param.m_strName = strLower;
    param.m_strValueText = FormatParamValue(fValue);
    param.m_nTokenId = nId;
    m_vecLiterals.push_back(std::move(slot));
    m_vecParams.push_back(std::move(param));
    m_vecParamOutputs.emplace_back();
    m_mapValueIds.emplace(strLower, nId);
    return 0;
}

bool CFormulaSymbols::SetParamValue(int nIndex, float fValue) {
    if (nIndex < 0 || nIndex >= ParamCount()) return false;
    CFormulaParam& param = m_vecParams[nIndex];
    param.m_strValueText = FormatParamValue(fValue);
    m_vecLiterals[param.m_nTokenId - kTokenLiteralBase].m_dValue = fValue;
    return true;
}

void CFormulaSymbols::RecordParamUse(int nOwnerId, const std::vector<int>& vecTokens,
                                     const std::vector<int>& vecDirect) {
    std::vector<int> vecUse;
    for (int nIndex : vecDirect) AppendOnce(vecUse, nIndex);
    for (int nId : vecTokens) {
        if (nId == nOwnerId || !(IsVariableId(nId) || IsOutputId(nId))) continue;
        for (int nIndex : GetParamUse(nId)) AppendOnce(vecUse, nIndex);
    }
    if (IsOutputId(nOwnerId)) {
        for (int nIndex : vecUse) {
            if (nIndex >= 0 && nIndex < ParamCount())
                AppendOnce(m_vecParamOutputs[nIndex], nOwnerId);
        }
    }
    m_mapParamUse[nOwnerId] = std::move(vecUse);
}

const std::vector<int>& CFormulaSymbols::GetParamUse(int nOwnerId) const {
    auto it = m_mapParamUse.find(nOwnerId);
    return it == m_mapParamUse.end() ? EmptyList() : it->second;
}

const std::vector<int>& CFormulaSymbols::GetParamOutputs(int nParamIndex) const {
    if (nParamIndex < 0 || nParamIndex >= ParamCount()) return EmptyList();
    return m_vecParamOutputs[nParamIndex];
}

int CFormulaSymbols::FindParamIndex(int nId) const {
    const CLiteralSlot* pSlot = GetLiteral(nId);
    return pSlot ? pSlot->m_nParamIndex : -1;
}

const std::string* CFormulaSymbols::FindText(const std::vector<std::string>& vecTexts, int nId,
                                             int nBase) {
    if (nId < nBase || nId - nBase >= static_cast<int>(vecTexts.size())) return nullptr;
    return &vecTexts[nId - nBase];
}

const std::string& CFormulaSymbols::GetVariableName(int nId) const {
    if (!IsVariableId(nId)) return EmptyText();
    return m_vecVariableNames[nId - kTokenVariableBase];
}

const std::string& CFormulaSymbols::GetOutputName(int nId) const {
    const std::string* pText = FindText(m_vecOutputNames, nId, kTokenOutputBase);
    return pText ? *pText : EmptyText();
}

const CLiteralSlot* CFormulaSymbols::GetLiteral(int nId) const {
    return IsLiteralId(nId) ? &m_vecLiterals[nId - kTokenLiteralBase] : nullptr;
}

const std::string& CFormulaSymbols::GetString(int nId) const {
    const std::string* pText = FindText(m_vecStrings, nId, kTokenStringBase);
    return pText ? *pText : EmptyText();
}

const std::string& CFormulaSymbols::GetLiteralColour(int nId) const {
    const std::string* pText = FindText(m_vecLiteralColours, nId, kTokenLiteralColourBase);
    return pText ? *pText : EmptyText();
}

const CFormulaParam* CFormulaSymbols::GetParam(int nIndex) const {
    return (nIndex >= 0 && nIndex < ParamCount()) ? &m_vecParams[nIndex] : nullptr;
}
