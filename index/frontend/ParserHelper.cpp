#include <cstring>

#include "CParserHelper.h"
#include "index/frontend/KeywordTables.h"
#include "index/frontend/LetterCase.h"

namespace {

// The keyword id of a word after lower-casing a copy; false for unknown words or
// when the copy cannot be made.
bool FindWordId(const std::string& strWord, int* pId) {
    try {
        return GetKeywordTables().FindKeywordId(ToLowerAscii(strWord), pId);
    } catch (...) {
        return false;
    }
}

bool IsIdWithin(const std::string& strWord, int nFirst, int nLast) {
    int nId = 0;
    return FindWordId(strWord, &nId) && nId >= nFirst && nId <= nLast;
}

bool StartsWith(const std::string& strWord, const char* pszPrefix) {
    return strWord.compare(0, std::strlen(pszPrefix), pszPrefix) == 0;
}

}  // namespace

CParserHelper& CParserHelper::operator=(const CParserHelper&) {
    return *this;
}

bool CParserHelper::IsParamIndex(const std::string& strWord) {
    return IsIdWithin(strWord, kTokenDataFieldFirst, kTokenDataFieldLast);
}

bool CParserHelper::IsFunc(const std::string& strWord) {
    return IsIdWithin(strWord, kTokenFunctionFirst, kTokenDrawFunctionLast) ||
           IsParamIndex(strWord);
}

bool CParserHelper::IsConst(const std::string& strWord) {
    if (IsIdWithin(strWord, kTokenAttributeFirst, kTokenAttributeLast)) return true;
    // The spelled-out forms are matched as given, upper case only.
    const size_t nLength = strWord.size();
    if (nLength == 10 && StartsWith(strWord, "LINETHICK") && strWord[9] >= '1' &&
        strWord[9] <= '9') {
        return true;
    }
    // Any six characters pass after COLOR: the formula language itself takes every
    // eleven-character color word as a literal colour and reads non-hex characters
    // as digits too, so a stricter check here would disagree with the parser.
    return nLength == 11 && StartsWith(strWord, "COLOR");
}
