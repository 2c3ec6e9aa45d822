#include "index/frontend/FormulaLexer.h"

#include <algorithm>

#include "index/frontend/KeywordTables.h"
#include "index/frontend/LetterCase.h"

namespace {

// A numeric literal slot holds at most 27 characters. A longer literal is
// refused with the literal-store code rather than cut: a cut literal would
// silently change its value (1e-30 written out in full would become 0).
constexpr size_t kMaxLiteralLength = 27;

constexpr size_t kMaxDefinedNameLength = 32;

// Offsets are 32-bit and the unary zeros can at most double the text, so longer
// texts are refused as a whole.
constexpr size_t kMaxTextLength = 0x3FFFFFFF;

// A sign after one of these has an operand (or an operator it merges with)
// in front of it and needs no zero.
bool HasOperandBefore(unsigned char c) {
    return c == ')' || c == '*' || c == '/' || c == '-' || c == '+' || c == '.' ||
           (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

// A sign directly after an arithmetic operator merges into it.
struct CSignMergeRow {
    int m_nPrevious;
    char m_cSign;
    int m_nMerged;
};

// clang-format off
constexpr CSignMergeRow kSignMergeRows[] = {
    {kTokenMultiply, '-', kTokenMultiplyNegative},
    {kTokenDivide,   '-', kTokenDivideNegative},
    {kTokenMinus,    '-', kTokenPlus},
    {kTokenPlus,     '-', kTokenMinus},
    {kTokenMultiply, '+', kTokenMultiply},
    {kTokenDivide,   '+', kTokenDivide},
    {kTokenMinus,    '+', kTokenMinus},
    {kTokenPlus,     '+', kTokenPlus},
};
// clang-format on

void AppendOnce(std::vector<int>& vecList, int nValue) {
    for (int nHave : vecList) {
        if (nHave == nValue) return;
    }
    vecList.push_back(nValue);
}

}  // namespace

void CFormulaStatement::Clear() {
    m_vecTokens.clear();
    m_vecOffsets.clear();
    m_nStart = 0;
    m_nLength = 0;
    m_nLine = 0;
    m_nLineFeed = -1;
    m_strDefinedName.clear();
    m_nDefinedId = 0;
    m_vecParams.clear();
}

CFormulaLexer::CFormulaLexer(CFormulaSymbols* pSymbols) : m_pSymbols(pSymbols) {
    BuildKeywordTables();
    m_pTables = &GetKeywordTables();
}

void CFormulaLexer::Load(const std::string& strText) {
    // Asked again for every text: a build that failed for want of memory may have
    // succeeded since.
    m_pTables = &GetKeywordTables();
    m_strText.clear();
    m_bSignsInserted = false;
    m_nNextStart = 0;
    m_nLine = 0;
    m_nLineFeed = -1;
    m_error = CFormulaError();
    m_vecAcceptedTokens.clear();
    m_vecAcceptedPositions.clear();
    if (strText.size() > kMaxTextLength) {
        ReportErrorAt(kErrorIllegalCharacter, 0);
        return;
    }
    m_strText = strText;

    // Comments do not nest; an unclosed '{' stays and is an error when it is read.
    // Line breaks inside a comment are kept so that later lines keep their numbers.
    size_t nOpen = m_strText.find('{');
    while (nOpen != std::string::npos) {
        const size_t nClose = m_strText.find('}', nOpen + 1);
        if (nClose == std::string::npos) break;
        for (size_t i = nOpen; i <= nClose; ++i) {
            if (m_strText[i] != '\r' && m_strText[i] != '\n') m_strText[i] = ' ';
        }
        nOpen = m_strText.find('{', nClose + 1);
    }
    for (char& c : m_strText) {
        c = (c == '\t') ? ' ' : ToLowerAscii(c);
    }
}

void CFormulaLexer::InsertUnarySigns() {
    if (m_bSignsInserted) return;
    m_bSignsInserted = true;
    std::string strSigned;
    strSigned.reserve(m_strText.size() + m_strText.size() / 8);
    bool bHavePrevious = false;
    unsigned char cPrevious = 0;  // last character that is not a blank
    for (char c : m_strText) {
        if ((c == '-' || c == '+') && !(bHavePrevious && HasOperandBefore(cPrevious))) {
            strSigned.push_back('0');
        }
        strSigned.push_back(c);
        if (m_pTables->GetCharClass(static_cast<unsigned char>(c)) != kCharClassBlank) {
            cPrevious = static_cast<unsigned char>(c);
            bHavePrevious = true;
        }
    }
    m_strText.swap(strSigned);
}

bool CFormulaLexer::NextStatement(CFormulaStatement* pStatement) {
    if (pStatement == nullptr) return false;
    InsertUnarySigns();
    const int nTextLength = static_cast<int>(m_strText.size());
    while (!HasError() && m_nNextStart < nTextLength) {
        // A statement ends at ';' (dropped), after a line feed (kept), or at the end.
        int nStop = m_nNextStart;
        while (nStop < nTextLength && m_strText[nStop] != ';' && m_strText[nStop] != '\n') {
            ++nStop;
        }
        const bool bLineFeed = nStop < nTextLength && m_strText[nStop] == '\n';
        const int nEnd = bLineFeed ? nStop + 1 : nStop;

        CFormulaStatement& statement = *pStatement;
        statement.Clear();
        statement.m_nStart = m_nNextStart;
        statement.m_nLength = nEnd - m_nNextStart;
        statement.m_nLine = m_nLine;
        statement.m_nLineFeed = m_nLineFeed;
        m_nNextStart = (nStop < nTextLength) ? nStop + 1 : nTextLength;
        if (bLineFeed) {
            ++m_nLine;
            m_nLineFeed = nStop;
        }

        TokeniseStatement(statement, nEnd);
        if (HasError()) return false;
        // Blank stretches between terminators are no statements.
        if (!statement.m_vecTokens.empty()) return true;
    }
    return false;
}

void CFormulaLexer::AcceptStatement(const CFormulaStatement& statement) {
    for (size_t i = 0; i < statement.m_vecTokens.size(); ++i) {
        const int nOffset = i < statement.m_vecOffsets.size() ? statement.m_vecOffsets[i] : 0;
        m_vecAcceptedTokens.push_back(statement.m_vecTokens[i]);
        m_vecAcceptedPositions.push_back(statement.m_nStart + nOffset);
    }
    m_vecAcceptedTokens.push_back(kTokenStatementEnd);
    m_vecAcceptedPositions.push_back(statement.m_nStart + statement.m_nLength);
}

bool CFormulaLexer::ReadAllStatements() {
    CFormulaStatement statement;
    while (NextStatement(&statement)) AcceptStatement(statement);
    return !HasError();
}

void CFormulaLexer::ReportError(const CFormulaStatement& statement, int nCode, int nOffset,
                                const std::string& strText) {
    if (HasError() || nCode == 0) return;
    m_error.m_nCode = nCode;
    m_error.m_strText = strText;
    m_error.m_nPosition = statement.m_nStart + nOffset;
    m_error.m_nLine = statement.m_nLine;
    m_error.m_nColumn = statement.m_nLineFeed < 0 ? m_error.m_nPosition
                                                  : m_error.m_nPosition - statement.m_nLineFeed;
}

void CFormulaLexer::ReportErrorAt(int nCode, int nPosition, const std::string& strText) {
    CFormulaStatement where;
    const int nScanEnd = std::min(std::max(nPosition, 0), static_cast<int>(m_strText.size()));
    for (int i = 0; i < nScanEnd; ++i) {
        if (m_strText[i] == '\n') {
            ++where.m_nLine;
            where.m_nLineFeed = i;
        }
    }
    ReportError(where, nCode, nPosition, strText);
}

// statement := { blank | number | name | string | operator }
void CFormulaLexer::TokeniseStatement(CFormulaStatement& statement, int nEnd) {
    int nPos = statement.m_nStart;
    while (nPos < nEnd && !HasError()) {
        switch (CharClassAt(nPos)) {
            case kCharClassBlank:
            case kCharClassDoubleQuote:
                ++nPos;
                break;
            case kCharClassNumber:
                nPos = ReadNumber(statement, nPos, nEnd);
                break;
            case kCharClassSingleQuote:
                nPos = ReadString(statement, nPos, nEnd);
                break;
            case kCharClassOperator:
                nPos = ReadOperator(statement, nPos, nEnd);
                break;
            case kCharClassBrace:
                Fail(statement, kErrorIllegalCharacter, nPos);
                break;
            default:
                nPos = ReadName(statement, nPos, nEnd);
                break;
        }
    }
}

// number := number-char { number-char }      (so "1.2.3" is one literal)
int CFormulaLexer::ReadNumber(CFormulaStatement& statement, int nPos, int nEnd) {
    int nStop = nPos;
    while (nStop < nEnd && CharClassAt(nStop) == kCharClassNumber) ++nStop;
    const std::string strText = m_strText.substr(nPos, nStop - nPos);
    int nId = 0;
    const int nCode = strText.size() > kMaxLiteralLength
                          ? kErrorTooManyLiterals
                          : m_pSymbols->AddNumericLiteral(strText, &nId);
    if (nCode != 0) {
        Fail(statement, nCode, nPos);
        return nEnd;
    }
    AddToken(statement, nId, nPos);
    return nStop;
}

// name := name-char { name-char | number-char }
int CFormulaLexer::ReadName(CFormulaStatement& statement, int nPos, int nEnd) {
    int nStop = nPos;
    while (nStop < nEnd &&
           (CharClassAt(nStop) == kCharClassName || CharClassAt(nStop) == kCharClassNumber)) {
        ++nStop;
    }
    const std::string strName = m_strText.substr(nPos, nStop - nPos);
    const bool bFirst = statement.m_vecTokens.empty();
    // Only a first token can be defined, so only there does the next character matter.
    const int nNext = bFirst ? SkipBlanks(nStop, nEnd) : nEnd;
    const bool bBeforeColon = nNext < nEnd && m_strText[nNext] == ':';
    int nId = 0;

    if (!m_pSymbols->LookupName(strName, &nId)) {
        if (bFirst && bBeforeColon) return DefineName(statement, strName, nPos, nNext, nEnd);
        if (strName.size() == 11 && strName.compare(0, 5, "color") == 0) {
            const int nCode = m_pSymbols->AddLiteralColour(strName.substr(5), &nId);
            if (nCode != 0) {
                Fail(statement, nCode, nPos);
                return nEnd;
            }
            AddToken(statement, nId, nPos);
            return nStop;
        }
        Fail(statement, kErrorUnknownName, nPos);
        return nEnd;
    }

    if (bFirst && bBeforeColon && nId >= kTokenVariableBase) {
        Fail(statement, kErrorRedefinition, nPos);
        return nEnd;
    }
    if (!bFirst && statement.m_nDefinedId != 0 && strName == statement.m_strDefinedName) {
        Fail(statement, kErrorSelfReference, nPos, kTextSelfReference);
        return nEnd;
    }
    const int nParamIndex = m_pSymbols->FindParamIndex(nId);
    if (nParamIndex >= 0) AppendOnce(statement.m_vecParams, nParamIndex);
    AddToken(statement, nId, nPos);
    return nStop;
}

// definition := new-name ( ':' | ':=' ) ...   the operator itself is read next
int CFormulaLexer::DefineName(CFormulaStatement& statement, const std::string& strName, int nPos,
                              int nColon, int nEnd) {
    if (strName.size() > kMaxDefinedNameLength) {
        Fail(statement, kErrorNameTooLong, nPos);
        return nEnd;
    }
    if (nColon == nEnd - 1) {
        Fail(statement, kErrorDanglingOperator, nColon);
        return nEnd;
    }
    int nId = 0;
    const int nCode = m_strText[nColon + 1] == '=' ? m_pSymbols->AddVariable(strName, &nId)
                                                   : m_pSymbols->AddOutput(strName, &nId);
    if (nCode != 0) {
        Fail(statement, nCode, nPos);
        return nEnd;
    }
    statement.m_strDefinedName = strName;
    statement.m_nDefinedId = nId;
    AddToken(statement, nId, nPos);
    return nPos + static_cast<int>(strName.size());
}

// string := "'" { any but "'" } "'"      double quotes inside are dropped
int CFormulaLexer::ReadString(CFormulaStatement& statement, int nPos, int nEnd) {
    std::string strText;
    int nScan = nPos + 1;
    for (; nScan < nEnd && m_strText[nScan] != '\''; ++nScan) {
        if (CharClassAt(nScan) == kCharClassBrace) {
            Fail(statement, kErrorIllegalCharacter, nScan);
            return nEnd;
        }
        if (m_strText[nScan] != '"') strText.push_back(m_strText[nScan]);
    }
    if (nScan >= nEnd) {
        Fail(statement, kErrorParenthesis, nPos);
        return nEnd;
    }
    int nId = 0;
    m_pSymbols->AddStringLiteral(strText, &nId);
    AddToken(statement, nId, nPos);
    return nScan + 1;
}

int CFormulaLexer::ReadOperator(CFormulaStatement& statement, int nPos, int nEnd) {
    switch (m_strText[nPos]) {
        case '!':
        case ':':
        case '<':
        case '=':
        case '>':
            return ReadComparison(statement, nPos, nEnd);
        case '&':
        case '|':
            return ReadLogical(statement, nPos, nEnd);
        case '+':
        case '-':
            ReadSign(statement, nPos);
            return nPos + 1;
        default:
            break;
    }
    int nId = 0;
    if (!m_pTables->FindKeywordId(std::string_view(&m_strText[nPos], 1), &nId)) {
        Fail(statement, kErrorIllegalCharacter, nPos);
        return nEnd;
    }
    AddToken(statement, nId, nPos);
    return nPos + 1;
}

// comparison := ':' | ':=' | '<' | '<=' | '<>' | '>' | '>=' | '><' | '=' | '!='
int CFormulaLexer::ReadComparison(CFormulaStatement& statement, int nPos, int nEnd) {
    const char c = m_strText[nPos];
    if (nPos == nEnd - 1) {
        Fail(statement, kErrorDanglingOperator, nPos);
        return nEnd;
    }
    const char cNext = m_strText[nPos + 1];
    std::string strOperator(1, c);
    if (cNext == '=') {
        if (c == '=') {
            Fail(statement, kErrorOperatorPair, nPos);
            return nEnd;
        }
        strOperator.push_back(cNext);
    } else if (cNext == '<' || cNext == '>') {
        strOperator.push_back(cNext);
        if (strOperator != "<>" && strOperator != "><") {
            Fail(statement, kErrorOperatorPair, nPos);
            return nEnd;
        }
    } else if (c == '!') {
        Fail(statement, kErrorDanglingOperator, nPos);
        return nEnd;
    }
    int nId = 0;
    if (!m_pTables->FindKeywordId(strOperator, &nId)) {
        Fail(statement, kErrorIllegalCharacter, nPos);
        return nEnd;
    }
    if ((nId == kTokenDefine || nId == kTokenAssign) &&
        !CheckDefinitionPlacement(statement, nId, nPos)) {
        return nEnd;
    }
    AddToken(statement, nId, nPos);
    return nPos + static_cast<int>(strOperator.size());
}

// logical := '&&' | '||'
// The whole run of operator characters must be one of the two: "&&(" is refused,
// and so is any other two-character run such as "&(" or "|&", since no
// operator could stand for it.
int CFormulaLexer::ReadLogical(CFormulaStatement& statement, int nPos, int nEnd) {
    int nStop = nPos;
    while (nStop < nEnd && CharClassAt(nStop) == kCharClassOperator) ++nStop;
    int nId = 0;
    if (nStop - nPos != 2 ||
        !m_pTables->FindKeywordId(std::string_view(m_strText).substr(nPos, 2), &nId)) {
        Fail(statement, kErrorSingleLogical, nPos);
        return nEnd;
    }
    AddToken(statement, nId, nPos);
    return nStop;
}

// A sign with no operand before it gets the implicit zero; a sign after an
// arithmetic operator merges into it; anything else is a binary operator.
void CFormulaLexer::ReadSign(CFormulaStatement& statement, int nPos) {
    const char cSign = m_strText[nPos];
    const int nSignId = cSign == '-' ? kTokenMinus : kTokenPlus;
    std::vector<int>& vecTokens = statement.m_vecTokens;
    const int nPrevious = vecTokens.empty() ? 0 : vecTokens.back();
    // Definitions, logical operators and comparisons up to '=' call for an operand.
    // '<>' is left out, which cannot matter: every spelling of it ends in a
    // character after which the text already had its zero inserted.
    if (vecTokens.empty() || nPrevious == kTokenOpenParen || nPrevious == kTokenComma ||
        (nPrevious >= kTokenDefine && nPrevious < kTokenNotEqual)) {
        AddToken(statement, kTokenImplicitZero, nPos);
        AddToken(statement, nSignId, nPos);
        return;
    }
    for (const CSignMergeRow& row : kSignMergeRows) {
        if (row.m_nPrevious == nPrevious && row.m_cSign == cSign) {
            vecTokens.back() = row.m_nMerged;
            return;
        }
    }
    AddToken(statement, nSignId, nPos);
}

// ':=' must follow the variable it defines and ':' the output line.
bool CFormulaLexer::CheckDefinitionPlacement(CFormulaStatement& statement, int nOperator,
                                             int nPos) {
    const bool bHasPrevious = !statement.m_vecTokens.empty();
    const int nPrevious = bHasPrevious ? statement.m_vecTokens.back() : 0;
    const bool bPlaced = nOperator == kTokenAssign ? m_pSymbols->IsVariableId(nPrevious)
                                                   : m_pSymbols->IsOutputId(nPrevious);
    if (bPlaced) return true;
    // Functions, punctuation, attributes and data fields: a keyword used as a target.
    const bool bAfterKeyword =
        bHasPrevious && nPrevious >= kTokenOperatorLimit && nPrevious <= kTokenDataFieldLast;
    Fail(statement, bAfterKeyword ? kErrorRedefinition : kErrorMissingName, nPos);
    return false;
}

void CFormulaLexer::AddToken(CFormulaStatement& statement, int nId, int nPos) {
    statement.m_vecTokens.push_back(nId);
    statement.m_vecOffsets.push_back(nPos - statement.m_nStart);
}

int CFormulaLexer::CharClassAt(int nPos) const {
    return m_pTables->GetCharClass(static_cast<unsigned char>(m_strText[nPos]));
}

int CFormulaLexer::SkipBlanks(int nPos, int nEnd) const {
    while (nPos < nEnd && CharClassAt(nPos) == kCharClassBlank) ++nPos;
    return nPos;
}

void CFormulaLexer::Fail(const CFormulaStatement& statement, int nCode, int nPos,
                         const std::string& strText) {
    ReportError(statement, nCode, nPos - statement.m_nStart, strText);
}
