#include "index/frontend/StatementChecks.h"

#include "index/frontend/FormulaError.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/TokenIds.h"

namespace {

struct CFault {
    int m_nCode = 0;
    size_t m_nToken = 0;
};

bool IsFunction(int nId) {
    return nId >= kTokenFunctionFirst && nId <= kTokenDrawFunctionLast;
}

// A function without an entry in the arity table is taken to want one argument.
int ArityOf(int nId) {
    int nArity = 1;
    GetKeywordTables().FindFunctionArity(nId, &nArity);
    return nArity;
}

bool IsOperand(int nId) {
    return nId == kTokenImplicitZero || nId >= kTokenDataFieldFirst;
}

bool FollowedByParen(const std::vector<int>& vecTokens, size_t i) {
    return i + 1 < vecTokens.size() && vecTokens[i + 1] == kTokenOpenParen;
}

// parentheses := { '(' parentheses ')' | other }
CFault CheckParentheses(const std::vector<int>& vecTokens) {
    std::vector<size_t> vecOpen;
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        if (vecTokens[i] == kTokenOpenParen) {
            vecOpen.push_back(i);
        } else if (vecTokens[i] == kTokenCloseParen) {
            if (vecOpen.empty()) return {kErrorParenthesis, i};
            vecOpen.pop_back();
        }
    }
    // The innermost group left open is the one nearest to where a ')' is missing.
    if (!vecOpen.empty()) return {kErrorParenthesis, vecOpen.back()};
    return {};
}

// Argument count of the call whose '(' is at each index (other entries stay 0),
// found in one pass: a formula nested 100,000 calls deep must not make every
// call rescan the rest of the statement. Parentheses are known to be balanced.
std::vector<int> CountArgumentsPerParen(const std::vector<int>& vecTokens) {
    std::vector<int> vecArguments(vecTokens.size(), 0);
    std::vector<size_t> vecOpen;
    std::vector<int> vecCommas;
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        if (vecTokens[i] == kTokenOpenParen) {
            vecOpen.push_back(i);
            vecCommas.push_back(0);
        } else if (vecTokens[i] == kTokenCloseParen && !vecOpen.empty()) {
            const size_t nOpen = vecOpen.back();
            vecArguments[nOpen] = (i == nOpen + 1) ? 0 : vecCommas.back() + 1;
            vecOpen.pop_back();
            vecCommas.pop_back();
        } else if (vecTokens[i] == kTokenComma && !vecCommas.empty()) {
            ++vecCommas.back();
        }
    }
    return vecArguments;
}

// call := function '(' [ argument { ',' argument } ] ')'  |  function-of-no-arguments
// Parentheses are known to be balanced here. Calls are checked in text order, so
// the first faulty call is the one reported.
CFault CheckCalls(const std::vector<int>& vecTokens) {
    const std::vector<int> vecArguments = CountArgumentsPerParen(vecTokens);
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        if (!IsFunction(vecTokens[i])) continue;
        const int nArity = ArityOf(vecTokens[i]);
        if (!FollowedByParen(vecTokens, i)) {
            if (nArity == 0) continue;
            return {kErrorParenthesis, i};
        }
        if (vecArguments[i + 1] != nArity) return {kErrorArgumentCount, i};
    }
    return {};
}

// One open segment: the whole statement, a parenthesised group, or the current
// argument of a call. In a sound segment operands and operators alternate,
// starting and ending with an operand, so the running count is always 0 or 1.
struct CSegment {
    size_t m_nStart = 0;  // token that opened the group: '(' or the function
    bool m_bCall = false;
    bool m_bMayBeEmpty = false;  // the call of a function without arguments
    bool m_bHadComma = false;
    int m_nCount = 0;
    int m_nTokens = 0;
};

bool AddOperand(CSegment& segment, size_t nToken, CFault* pFault) {
    ++segment.m_nTokens;
    if (++segment.m_nCount > 1) {
        *pFault = {kErrorMissingOperator, nToken};
        return false;
    }
    return true;
}

// balance := operand { operator operand }   within every segment
CFault CheckOperandBalance(const std::vector<int>& vecTokens) {
    std::vector<CSegment> vecSegments(1);
    CFault fault;
    bool bCallPending = false;
    CSegment pending;
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        const int nId = vecTokens[i];
        CSegment& top = vecSegments.back();
        if (nId == kTokenOpenParen) {
            CSegment group = bCallPending ? pending : CSegment();
            if (!bCallPending) group.m_nStart = i;
            bCallPending = false;
            vecSegments.push_back(group);
        } else if (nId == kTokenCloseParen) {
            const bool bEmptyCall = top.m_bMayBeEmpty && !top.m_bHadComma && top.m_nTokens == 0;
            if (!bEmptyCall && top.m_nCount < 1) return {kErrorOperatorPair, i};
            const size_t nStart = top.m_nStart;
            vecSegments.pop_back();
            if (vecSegments.empty()) return {kErrorParenthesis, i};
            if (!AddOperand(vecSegments.back(), nStart, &fault)) return fault;
        } else if (nId == kTokenComma) {
            if (!top.m_bCall) return {kErrorIllegalCharacter, i};
            if (top.m_nCount < 1) return {kErrorArgumentCount, i};
            top.m_bHadComma = true;
            top.m_nCount = 0;
            top.m_nTokens = 0;
        } else if (IsFunction(nId) && FollowedByParen(vecTokens, i)) {
            // Counts nothing itself: the call becomes an operand when its ')' closes.
            ++top.m_nTokens;
            pending = CSegment();
            pending.m_nStart = i;
            pending.m_bCall = true;
            pending.m_bMayBeEmpty = ArityOf(nId) == 0;
            bCallPending = true;
        } else if (IsOperand(nId) || IsFunction(nId)) {
            if (!AddOperand(top, i, &fault)) return fault;
        } else if (nId < kTokenOperatorLimit) {
            ++top.m_nTokens;
            if (--top.m_nCount < 0) return {kErrorArgumentCount, i};
        } else {
            // An attribute keyword left in an expression: the script writer refuses it.
            ++top.m_nTokens;
        }
    }
    // A statement that stops short of its last operand is reported at its last
    // token, after which the operand is missing.
    const size_t nLast = vecTokens.empty() ? 0 : vecTokens.size() - 1;
    if (vecSegments.size() != 1) return {kErrorParenthesis, nLast};
    if (vecSegments.back().m_nCount < 1) return {kErrorArgumentCount, nLast};
    return {};
}

}  // namespace

int CheckDefinitionPlace(const std::vector<int>& vecTokens, size_t* pTokenIndex) {
    for (size_t i = 0; i < vecTokens.size(); ++i) {
        if ((vecTokens[i] == kTokenDefine || vecTokens[i] == kTokenAssign) && i != 1) {
            if (pTokenIndex != nullptr) *pTokenIndex = i;
            return kErrorMissingName;
        }
    }
    return 0;
}

int CheckStatementTokens(const std::vector<int>& vecTokens, size_t* pTokenIndex) {
    CFault fault = CheckParentheses(vecTokens);
    if (fault.m_nCode == 0) fault = CheckCalls(vecTokens);
    if (fault.m_nCode == 0) fault = CheckOperandBalance(vecTokens);
    if (pTokenIndex != nullptr) *pTokenIndex = fault.m_nToken;
    return fault.m_nCode;
}
