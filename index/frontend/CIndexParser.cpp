#include "index/frontend/CIndexParser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "api/ObjectStorage.h"
#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormula.h"
#include "index/frontend/FormulaTranslator.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/OutputAttributes.h"

namespace {

// Drawing kinds of the compiled form: the three output-line statements, then the
// drawing functions, whose draw types follow on from the line styles' (11..24).
constexpr int64_t kDrawKindCurve = 500;
constexpr int64_t kDrawKindColumn = 502;
constexpr int64_t kDrawKindLast = 516;
constexpr int64_t kDrawTypeOffset = 492;

constexpr size_t kMaxErrorText = sizeof(ParseErrorInfo::text) - 1;

// Every parse of the process runs under this lock: the keyword tables are built
// by the first one, and the compiler's field map is filled on first use.
std::mutex& ParseMutex() {
    static std::mutex s_mutex;
    return s_mutex;
}

template <typename T>
void DestroyZeroFilled(T*& p) noexcept {
    if (p == nullptr) return;
    p->~T();
    ::operator delete(static_cast<void*>(p));
    p = nullptr;
}

bool SameNameIgnoringCase(const std::string& strA, const std::string& strB) {
    if (strA.size() != strB.size()) return false;
    for (size_t i = 0; i < strA.size(); ++i) {
        char cA = strA[i];
        char cB = strB[i];
        if (cA >= 'a' && cA <= 'z') cA = static_cast<char>(cA - 32);
        if (cB >= 'a' && cB <= 'z') cB = static_cast<char>(cB - 32);
        if (cA != cB) return false;
    }
    return true;
}

}  // namespace

CIndexParser::CIndexParser()
    : m_pTranslator(nullptr), m_pInfo(nullptr), m_nOutputCount(0), m_bParsed(false), m_error() {}

CIndexParser::~CIndexParser() {
    ReleaseResults();
}

void CIndexParser::ReleaseResults() {
    DestroyZeroFilled(m_pInfo);
    DestroyZeroFilled(m_pTranslator);
    m_bParsed = false;
    m_nOutputCount = 0;
    m_setUsedFields.clear();
}

bool CIndexParser::Parse(const std::string& text, const std::vector<std::string>& paramNames,
                         const std::vector<float>& paramValues) {
    if (m_bParsed || paramNames.size() != paramValues.size()) return false;
    try {
        std::lock_guard<std::mutex> lock(ParseMutex());
        try {
            return ParseLocked(text, paramNames, paramValues);
        } catch (...) {
            // Out of memory half-way: nothing of this parse is kept.
            ReleaseResults();
            return false;
        }
    } catch (...) {
        return false;
    }
}

bool CIndexParser::ParseLocked(const std::string& text, const std::vector<std::string>& paramNames,
                               const std::vector<float>& paramValues) {
    ReleaseResults();
    std::memset(&m_error, 0, sizeof(m_error));

    if (!BuildKeywordTables()) return false;
    m_pTranslator = CreateZeroFilled<FormulaTranslator>();
    if (m_pTranslator == nullptr) return false;
    m_pTranslator->Load(text, paramNames, paramValues);

    // A failed translation keeps the translator, so that the parameter lists
    // that need no successful parse still answer until the next parse.
    if (!m_pTranslator->Translate()) {
        const CFormulaError& error = m_pTranslator->GetError();
        m_error.code = error.m_nCode;
        m_error.line = error.m_nLine;
        m_error.position = error.m_nPosition;
        m_error.column = error.m_nColumn;
        const size_t nLength = std::min(error.m_strText.size(), kMaxErrorText);
        std::memcpy(m_error.text, error.m_strText.data(), nLength);
        m_error.text[nLength] = '\0';
        return false;
    }

    m_nOutputCount = m_pTranslator->GetOutputCount();
    m_pInfo = CreateZeroFilled<CCalculateInfo>();
    if (m_pInfo == nullptr) return false;

    CScriptCompiler compiler;
    m_bParsed = compiler.Compile(&m_pTranslator->GetScriptSource(), m_pInfo) == COMPILE_OK;
    if (!m_bParsed) {
        ReleaseResults();
        m_error.code = kErrorCompile;
        m_error.line = compiler.m_nLine;
        m_error.position = compiler.m_nPos;
        return false;
    }
    for (int nFieldId : m_pInfo->m_vecFieldIds) {
        if (nFieldId >= 0) m_setUsedFields.insert(nFieldId);
    }
    return true;
}

bool CIndexParser::GetError(ParseErrorInfo* out) {
    if (out == nullptr) return false;
    std::memcpy(out, &m_error, sizeof(m_error));
    return true;
}

bool CIndexParser::GetCalculateInfo(CCalculateInfo** out) {
    if (!m_bParsed || out == nullptr) return false;
    *out = m_pInfo;
    return true;
}

bool CIndexParser::GetLongHistory(bool* out) {
    if (!m_bParsed || out == nullptr) return false;
    *out = m_pInfo->m_bLongHistory;
    return true;
}

bool CIndexParser::GetFutureData(bool* out) {
    if (!m_bParsed || out == nullptr) return false;
    *out = m_pInfo->m_bFutureData;
    return true;
}

bool CIndexParser::GetVolatile(bool* out) {
    if (!m_bParsed || out == nullptr) return false;
    *out = m_pInfo->m_bVolatile;
    return true;
}

bool CIndexParser::UsesField(int fieldId, int) {
    return m_bParsed && m_setUsedFields.count(fieldId) != 0;
}

bool CIndexParser::GetDrawStatementCount(int* out) {
    if (!m_bParsed || out == nullptr) return false;
    *out = 0;
    *out = static_cast<int>(m_pInfo->m_vecDrawStatements.size());
    return true;
}

COutputAttributes* CIndexParser::FindAttributes(int k) const {
    if (!IsOutputValid(k) || m_pTranslator == nullptr) return nullptr;
    return m_pTranslator->GetAttributes(k);
}

bool CIndexParser::GetOutputColor(int k, unsigned* out) {
    const COutputAttributes* pAttributes = FindAttributes(k);
    if (pAttributes == nullptr || out == nullptr || !pAttributes->m_bColourGiven) return false;
    *out = pAttributes->m_uColour;
    return true;
}

bool CIndexParser::GetOutputLineThick(int k, int* out) {
    const COutputAttributes* pAttributes = FindAttributes(k);
    if (pAttributes == nullptr || out == nullptr) return false;
    *out = pAttributes->m_nWidth;
    return true;
}

// One drawing statement per output line, in slot order: the statement with the
// output's index is the one that draws it.
int CIndexParser::FindDrawKind(int k) const {
    if (!IsOutputValid(k) || m_pInfo == nullptr) return -1;
    if (static_cast<size_t>(k) >= m_pInfo->m_vecDrawStatements.size()) return -1;
    const Statement* pStatement = m_pInfo->m_vecDrawStatements[k];
    if (pStatement == nullptr || pStatement->nRole != STATEMENT_ROLE_DRAW ||
        pStatement->typeB != OperandType::Node)
        return -1;
    const ExprNode* pCall = ReadNodePointer(pStatement->valueB);
    if (pCall == nullptr ||
        (pCall->nKind != NodeKind::Call && pCall->nKind != NodeKind::StatefulCall))
        return -1;
    const Operand function = GetNodeArgument(pCall, 0);
    if (function.type != OperandType::FunctionId || function.value < kDrawKindCurve ||
        function.value > kDrawKindLast)
        return -1;
    return static_cast<int>(function.value);
}

bool CIndexParser::GetOutputDrawType(int k, int* out) {
    const int nKind = FindDrawKind(k);
    if (nKind < 0 || out == nullptr) return false;
    if (nKind <= kDrawKindColumn) {
        const COutputAttributes* pAttributes = FindAttributes(k);
        *out = pAttributes ? GetOutputStyleInfo(pAttributes->m_nStyle).m_nDrawType : 0;
    } else {
        *out = static_cast<int>(nKind - kDrawTypeOffset);
    }
    return true;
}

bool CIndexParser::IsDrawFunctionOutput(int k, bool* out) {
    const int nKind = FindDrawKind(k);
    if (nKind < 0 || out == nullptr) return false;
    *out = nKind > kDrawKindColumn;
    return true;
}

void CIndexParser::CopyName(const std::string& strName, char* buf, unsigned size) {
    const size_t nCopy = std::min(strName.size(), static_cast<size_t>(size - 1));
    std::memset(buf, 0, size);
    std::memcpy(buf, strName.data(), nCopy);
}

// A size of 0 leaves no room even for the terminating NUL and is refused.
bool CIndexParser::GetOutputName(int k, char* buf, unsigned size) {
    if (!IsOutputValid(k) || m_pTranslator == nullptr || buf == nullptr || size == 0) return false;
    const std::vector<std::string>& vecNames = m_pTranslator->GetScriptSource().vecOutputNames;
    if (static_cast<size_t>(k) >= vecNames.size()) return false;
    CopyName(vecNames[k], buf, size);
    // Names of the front end's own making (".tempresindex0", ".....") are not shown.
    if (std::memchr(buf, '.', size) != nullptr) std::memset(buf, 0, size);
    return true;
}

bool CIndexParser::IsOutputHidden(int k, bool* out) {
    if (m_pTranslator == nullptr ||
        static_cast<size_t>(k) >= m_pTranslator->GetScriptSource().vecOutputNames.size())
        return false;
    const COutputAttributes* pAttributes = FindAttributes(k);
    if (pAttributes == nullptr || out == nullptr) return false;
    *out = pAttributes->m_bHidden;
    return true;
}

bool CIndexParser::IsParamValid(int k) const {
    return m_pTranslator != nullptr && k >= 0 && k < m_pTranslator->GetSymbols().ParamCount();
}

bool CIndexParser::GetParamCount(int* out) {
    if (!m_bParsed || m_pTranslator == nullptr || out == nullptr) return false;
    *out = m_pTranslator->GetSymbols().ParamCount();
    return true;
}

bool CIndexParser::GetParamValue(int k, float* out) {
    if (!m_bParsed || !IsParamValid(k) || out == nullptr) return false;
    *out = static_cast<float>(
        std::atof(m_pTranslator->GetSymbols().GetParam(k)->m_strValueText.c_str()));
    return true;
}

bool CIndexParser::GetParamName(int k, char* buf, unsigned size) {
    if (!m_bParsed || !IsParamValid(k) || buf == nullptr || size == 0) return false;
    CopyName(m_pTranslator->GetSymbols().GetParam(k)->m_strName, buf, size);
    return true;
}

bool CIndexParser::SetOutputColor(int k, unsigned colour) {
    COutputAttributes* pAttributes = FindAttributes(k);
    if (pAttributes == nullptr) return false;
    pAttributes->m_uColour = colour;
    pAttributes->m_bColourGiven = true;
    return true;
}

bool CIndexParser::SetOutputLineThick(int k, int width) {
    COutputAttributes* pAttributes = FindAttributes(k);
    if (pAttributes == nullptr) return false;
    pAttributes->m_nWidth = ClampLineWidth(width);
    return true;
}

// Drawing statements keep their own copy of the parameters they name; it is
// updated too, so that no part of the next calculation sees the old value.
bool CIndexParser::SetParamValue(int k, float value) {
    if (!m_bParsed || !IsParamValid(k) || m_pInfo == nullptr ||
        static_cast<size_t>(k) >= m_pInfo->m_vecParamValues.size())
        return false;
    try {
        CFormulaSymbols& symbols = m_pTranslator->GetSymbols();
        if (!symbols.SetParamValue(k, value)) return false;
        m_pInfo->m_vecParamValues[k] = value;
        const std::string& strName = symbols.GetParam(k)->m_strName;
        const size_t nDrawParams =
            std::min(m_pInfo->m_vecDrawParamNames.size(), m_pInfo->m_vecDrawParamValues.size());
        for (size_t i = 0; i < nDrawParams; ++i) {
            if (SameNameIgnoringCase(m_pInfo->m_vecDrawParamNames[i], strName))
                m_pInfo->m_vecDrawParamValues[i] = value;
        }
        return true;
    } catch (...) {
        return false;
    }
}

const std::vector<float>* CIndexParser::GetOutputParamValues(int k) {
    m_vecResultValues.clear();
    if (m_pTranslator == nullptr || k < 0 || k >= m_nOutputCount) return &m_vecResultValues;
    try {
        const CFormulaSymbols& symbols = m_pTranslator->GetSymbols();
        for (int nIndex : symbols.GetParamUse(kTokenOutputBase + k)) {
            if (const CFormulaParam* pParam = symbols.GetParam(nIndex)) {
                m_vecResultValues.push_back(
                    static_cast<float>(std::atof(pParam->m_strValueText.c_str())));
            }
        }
    } catch (...) {
        m_vecResultValues.clear();
    }
    return &m_vecResultValues;
}

const std::vector<int>* CIndexParser::GetOutputParamIndexes(int k) {
    m_vecResultIndexes.clear();
    if (m_pTranslator == nullptr || k < 0 || k >= m_nOutputCount) return &m_vecResultIndexes;
    try {
        const CFormulaSymbols& symbols = m_pTranslator->GetSymbols();
        for (int nIndex : symbols.GetParamUse(kTokenOutputBase + k)) {
            if (nIndex >= 0 && nIndex < symbols.ParamCount()) m_vecResultIndexes.push_back(nIndex);
        }
    } catch (...) {
        m_vecResultIndexes.clear();
    }
    return &m_vecResultIndexes;
}

const std::vector<int>* CIndexParser::GetParamOutputs(int p) {
    m_vecResultOutputs.clear();
    if (!IsParamValid(p)) return &m_vecResultOutputs;
    try {
        const CFormulaSymbols& symbols = m_pTranslator->GetSymbols();
        for (int nId : symbols.GetParamOutputs(p)) {
            const int nOutput = nId - kTokenOutputBase;
            if (nOutput >= 0 && nOutput < m_pTranslator->GetOutputCount())
                m_vecResultOutputs.push_back(nOutput);
        }
    } catch (...) {
        m_vecResultOutputs.clear();
    }
    return &m_vecResultOutputs;
}
