// The scanner of CScriptCompiler: blanks, names, operators, numbers and string
// literals of the upper-cased script. Each reader leaves m_cCur on the last character
// it consumed and m_nPos on the first one it did not.
#include <cfloat>
#include <charconv>
#include <cmath>

#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/ScriptCharsets.h"
#include "index/compiler/ScriptOperators.h"

namespace {

bool IsBlank(char c) {
    return HasScriptCharClass(c, SCRIPT_CHAR_BLANK);
}

void ReplaceAll(std::string& strText, const std::string& strFrom, const std::string& strTo) {
    std::string strResult;
    size_t nStart = 0;
    for (size_t nFound = strText.find(strFrom); nFound != std::string::npos;
         nFound = strText.find(strFrom, nStart)) {
        strResult.append(strText, nStart, nFound - nStart);
        strResult += strTo;
        nStart = nFound + strFrom.size();
    }
    strResult.append(strText, nStart, std::string::npos);
    strText.swap(strResult);
}

// Turns the escapes of a literal into the bytes they stand for. A pair of backslashes
// is parked as 0x01 first so that its second backslash cannot start another escape.
// The whole script is upper-cased before scanning, so an escape the user wrote as \n
// arrives here as \N; both spellings are honoured, or no escape letter could work.
void RewriteEscapes(std::string& strText) {
    ReplaceAll(strText, "\\\\", "\x01");
    ReplaceAll(strText, "\\r", "\r");
    ReplaceAll(strText, "\\R", "\r");
    ReplaceAll(strText, "\\n", "\n");
    ReplaceAll(strText, "\\N", "\n");
    ReplaceAll(strText, "\\t", "\t");
    ReplaceAll(strText, "\\T", "\t");
    ReplaceAll(strText, "\\\"", "\"");
    ReplaceAll(strText, "\x01", "\\");
}

}  // namespace

bool CScriptCompiler::SkipBlanks() {
    while (m_nPos < m_nLength) {
        m_cCur = m_strText[static_cast<size_t>(m_nPos++)];
        if (m_cCur == '\n') ++m_nLine;
        if (!IsBlank(m_cCur)) {
            m_nTokenStart = m_nPos - 1;
            return true;
        }
    }
    m_cCur = '\0';
    return false;
}

// identifier := namechar { namechar | digit }
bool CScriptCompiler::ReadIdentifier() {
    if (m_nPos < 1 || !IsIdentifierChar(m_cCur)) return false;
    size_t nEnd = static_cast<size_t>(m_nPos);
    while (nEnd < static_cast<size_t>(m_nLength) &&
           (IsIdentifierChar(m_strText[nEnd]) || IsDigitChar(m_strText[nEnd]))) {
        ++nEnd;
    }
    const size_t nStart = static_cast<size_t>(m_nPos) - 1;
    m_strToken.assign(m_strText, nStart, nEnd - nStart);
    m_nPos = static_cast<int>(nEnd);
    m_cCur = m_strText[nEnd - 1];
    return true;
}

// operator := the longest of "|" "&" ">" "<" "=" ">=" "<=" "<>" "+" "^" "-" "*" "/"
int CScriptCompiler::ReadOperator() {
    m_strToken.assign(1, m_cCur);
    int nCode = FindScriptOperator(m_strToken);
    while (m_nPos < m_nLength) {
        const char cNext = m_strText[static_cast<size_t>(m_nPos)];
        if (!IsOperatorChar(cNext)) break;
        const int nLonger = FindScriptOperator(m_strToken + cNext);
        if (nLonger == 0) break;
        m_strToken += cNext;
        nCode = nLonger;
        m_cCur = cNext;
        ++m_nPos;
    }
    return nCode;
}

// number := ['-'] digit { digit } ['.' digit { digit }]
int CScriptCompiler::ReadNumber(float& fValue) {
    if (m_nPos < 1 || (!IsDigitChar(m_cCur) && m_cCur != '-')) return COMPILE_ERROR;
    size_t nEnd = static_cast<size_t>(m_nPos);
    while (nEnd < static_cast<size_t>(m_nLength) &&
           (IsDigitChar(m_strText[nEnd]) || m_strText[nEnd] == '.')) {
        ++nEnd;
    }
    const size_t nStart = static_cast<size_t>(m_nPos) - 1;
    m_strToken.assign(m_strText, nStart, nEnd - nStart);
    m_nPos = static_cast<int>(nEnd);
    m_cCur = m_strText[nEnd - 1];
    // "5MA" is neither a number nor a name.
    if (nEnd < static_cast<size_t>(m_nLength) && IsIdentifierChar(m_strText[nEnd])) {
        return COMPILE_ERROR;
    }
    const std::string& strToken = m_strToken;
    if (strToken.front() == '.' || strToken.back() == '.') return COMPILE_ERROR;
    if (strToken.find('.') != strToken.rfind('.')) return COMPILE_ERROR;
    if (strToken.find('-', 1) != std::string::npos) return COMPILE_ERROR;
    if (strToken.find_first_of(kScriptDigits) == std::string::npos) return COMPILE_ERROR;

    // from_chars rather than atof: a host that switched the C locale to a decimal
    // comma must not change what a formula means.
    double dValue = 0.0;
    const std::from_chars_result result =
        std::from_chars(strToken.data(), strToken.data() + strToken.size(), dValue);
    if (result.ec != std::errc() || result.ptr != strToken.data() + strToken.size()) {
        return COMPILE_ERROR;
    }
    // A literal beyond the float range has no value to store; an infinity would only
    // poison every bar, so the formula is refused instead.
    if (!(std::fabs(dValue) <= static_cast<double>(FLT_MAX))) return COMPILE_ERROR;
    fValue = static_cast<float>(dValue);
    // A number may not end the script: a statement still needs its ";".
    return SkipBlanks() ? COMPILE_OK : COMPILE_ERROR;
}

// string := '"' { char | '\' char } '"' { '"' { char | '\' char } '"' }
int CScriptCompiler::ReadStringLiteral() {
    if (m_cCur != '"') return COMPILE_ERROR;
    std::string strRaw;
    for (;;) {
        bool bEscaped = false;
        // Set after an odd run of percent signs, which a literal may not end on.
        bool bPercent = false;
        for (;;) {
            if (m_nPos >= m_nLength) return COMPILE_ERROR;
            const char c = m_strText[static_cast<size_t>(m_nPos++)];
            m_cCur = c;
            if (c == '"' && !bEscaped) {
                if (bPercent) return COMPILE_ERROR;
                break;
            }
            bPercent = c == '%' ? !bPercent : false;
            bEscaped = c == '\\' ? !bEscaped : false;
            strRaw += c;
        }
        // Adjacent literals are one string.
        if (!SkipBlanks() || m_cCur != '"') break;
    }
    RewriteEscapes(strRaw);
    m_pInfo->m_vecStrings.push_back(std::move(strRaw));
    return COMPILE_OK;
}

CScriptCompiler::ScannerState CScriptCompiler::SaveScanner() const {
    return ScannerState{m_nPos, m_nTokenStart, m_nLine, m_cCur, m_strToken};
}

void CScriptCompiler::RestoreScanner(const ScannerState& state) {
    m_nPos = state.nPos;
    m_nTokenStart = state.nTokenStart;
    m_nLine = state.nLine;
    m_cCur = state.cCur;
    m_strToken = state.strToken;
}
