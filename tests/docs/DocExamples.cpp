#include "docs/DocExamples.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string Trim(const std::string& strText) {
    const size_t nFirst = strText.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos) return std::string();
    const size_t nLast = strText.find_last_not_of(" \t\r");
    return strText.substr(nFirst, nLast - nFirst + 1);
}

std::string UpperCase(std::string strText) {
    for (char& c : strText) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return strText;
}

std::vector<std::string> SplitWords(const std::string& strText) {
    std::istringstream stream(strText);
    std::vector<std::string> vecWords;
    for (std::string strWord; stream >> strWord;) vecWords.push_back(strWord);
    return vecWords;
}

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A whole number at the start of strText, and what follows it.
bool ReadNumberPrefix(const std::string& strText, int* pNumber, std::string* pRest) {
    size_t nLength = 0;
    while (nLength < strText.size() && std::isdigit(static_cast<unsigned char>(strText[nLength]))) {
        ++nLength;
    }
    if (nLength == 0 || nLength > 9) return false;
    *pNumber = std::atoi(strText.substr(0, nLength).c_str());
    *pRest = strText.substr(nLength);
    return true;
}

// Strips sPrefix off *pText; false when the text does not start with it.
bool TakePrefix(const std::string& strPrefix, std::string* pText) {
    if (pText->compare(0, strPrefix.size(), strPrefix) != 0) return false;
    pText->erase(0, strPrefix.size());
    return true;
}

// "error C at line L, column K[: TEXT]"
bool ReadErrorExpectation(std::string strLine, CFormulaExample* pExample) {
    if (!TakePrefix("error ", &strLine) ||
        !ReadNumberPrefix(strLine, &pExample->m_nErrorCode, &strLine) ||
        !TakePrefix(" at line ", &strLine) ||
        !ReadNumberPrefix(strLine, &pExample->m_nErrorLine, &strLine) ||
        !TakePrefix(", column ", &strLine) ||
        !ReadNumberPrefix(strLine, &pExample->m_nErrorColumn, &strLine)) {
        return false;
    }
    if (!strLine.empty() && !TakePrefix(": ", &strLine)) return false;
    pExample->m_bExpectsError = true;
    pExample->m_strErrorText = strLine;
    return true;
}

// One "=>" line into the example; false when it has none of the known forms.
bool ReadExpectation(const std::string& strLine, CFormulaExample* pExample) {
    if (strLine.rfind("error ", 0) == 0) return ReadErrorExpectation(strLine, pExample);
    std::string strRest = strLine;
    int nBar = 0;
    if (TakePrefix("text at bar ", &strRest)) {
        if (!ReadNumberPrefix(strRest, &nBar, &strRest) || !TakePrefix(": ", &strRest) ||
            strRest.empty()) {
            return false;
        }
        pExample->m_vecTexts.emplace_back(nBar, strRest);
        return true;
    }
    size_t nName = 0;
    while (nName < strLine.size() && IsNameCharacter(strLine[nName])) ++nName;
    if (nName == 0 || nName >= strLine.size() || strLine[nName] != ':') return false;
    pExample->m_vecSeries.push_back(
        {UpperCase(strLine.substr(0, nName)), SplitWords(strLine.substr(nName + 1))});
    return true;
}

// The comment {params: N=5, M=10}.
void ReadParams(const std::string& strFormula, CFormulaExample* pExample) {
    const size_t nStart = strFormula.find("{params:");
    if (nStart == std::string::npos) return;
    const size_t nEnd = strFormula.find('}', nStart);
    if (nEnd == std::string::npos) {
        pExample->m_strProblem = "unclosed parameter comment";
        return;
    }
    std::istringstream list(strFormula.substr(nStart + 8, nEnd - nStart - 8));
    for (std::string strItem; std::getline(list, strItem, ',');) {
        const size_t nEqual = strItem.find('=');
        const std::string strName =
            nEqual == std::string::npos ? "" : Trim(strItem.substr(0, nEqual));
        char* pEnd = nullptr;
        const std::string strValue =
            nEqual == std::string::npos ? "" : Trim(strItem.substr(nEqual + 1));
        const float fValue = std::strtof(strValue.c_str(), &pEnd);
        if (strName.empty() || strValue.empty() || *pEnd != '\0') {
            pExample->m_strProblem = "unreadable parameter '" + strItem + "'";
            continue;
        }
        pExample->m_vecParams.emplace_back(strName, fValue);
    }
}

}  // namespace

std::string ReadDocument(const std::string& strPath) {
    std::ifstream file(strPath, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<CDocBlock> ReadFencedBlocks(const std::string& strText) {
    std::vector<CDocBlock> vecBlocks;
    std::istringstream stream(strText);
    bool bInside = false;
    int nLine = 0;
    for (std::string strLine; std::getline(stream, strLine);) {
        ++nLine;
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        if (strLine.rfind("```", 0) == 0) {
            if (bInside) {
                bInside = false;
            } else {
                bInside = true;
                vecBlocks.push_back({Trim(strLine.substr(3)), nLine, {}});
            }
            continue;
        }
        if (bInside) vecBlocks.back().m_vecLines.push_back(strLine);
    }
    return vecBlocks;
}

CFormulaExample ReadFormulaExample(const CDocBlock& block) {
    CFormulaExample example;
    example.m_nLine = block.m_nLine;
    bool bFirst = true;
    for (const std::string& strLine : block.m_vecLines) {
        if (strLine.rfind("=>", 0) == 0) {
            if (!ReadExpectation(Trim(strLine.substr(2)), &example)) {
                example.m_strProblem = "unreadable expectation '" + strLine + "'";
            }
            continue;
        }
        if (!bFirst) example.m_strFormula += '\n';
        example.m_strFormula += strLine;
        bFirst = false;
    }
    ReadParams(example.m_strFormula, &example);
    return example;
}

std::vector<CExampleBar> ReadExampleBars(const CDocBlock& block) {
    std::vector<CExampleBar> vecBars;
    if (block.m_vecLines.empty() || Trim(block.m_vecLines[0]) != "date,open,high,low,close,vol") {
        return vecBars;
    }
    for (size_t i = 1; i < block.m_vecLines.size(); ++i) {
        CExampleBar bar;
        const int nRead = std::sscanf(block.m_vecLines[i].c_str(), "%d-%d-%d,%lf,%lf,%lf,%lf,%lf",
                                      &bar.m_nYear, &bar.m_nMonth, &bar.m_nDay, &bar.m_dOpen,
                                      &bar.m_dHigh, &bar.m_dLow, &bar.m_dClose, &bar.m_dVolume);
        if (nRead != 8) return {};
        vecBars.push_back(bar);
    }
    return vecBars;
}

std::vector<std::string> HeadingAnchors(const std::string& strText) {
    std::vector<std::string> vecAnchors;
    bool bInBlock = false;
    std::istringstream stream(strText);
    for (std::string strLine; std::getline(stream, strLine);) {
        if (strLine.rfind("```", 0) == 0) bInBlock = !bInBlock;
        if (bInBlock || strLine.rfind("#", 0) != 0) continue;
        const std::string strTitle = Trim(strLine.substr(strLine.find_first_not_of('#')));
        std::string strAnchor;
        for (char c : strTitle) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (std::isalnum(u) || c == '_' || c == '-') {
                strAnchor += static_cast<char>(std::tolower(u));
            } else if (c == ' ') {
                strAnchor += '-';
            }
        }
        vecAnchors.push_back(strAnchor);
    }
    return vecAnchors;
}

std::vector<std::string> LinkedAnchors(const std::string& strText, const std::string& strFile) {
    std::vector<std::string> vecAnchors;
    const std::string strOpening = "(" + strFile + "#";
    for (size_t nAt = strText.find(strOpening); nAt != std::string::npos;
         nAt = strText.find(strOpening, nAt + 1)) {
        const size_t nFirst = nAt + strOpening.size();
        size_t nLast = nFirst;
        while (nLast < strText.size() &&
               (std::islower(static_cast<unsigned char>(strText[nLast])) ||
                std::isdigit(static_cast<unsigned char>(strText[nLast])) || strText[nLast] == '-' ||
                strText[nLast] == '_')) {
            ++nLast;
        }
        if (nLast > nFirst && nLast < strText.size() && strText[nLast] == ')') {
            vecAnchors.push_back(strText.substr(nFirst, nLast - nFirst));
        }
    }
    return vecAnchors;
}

bool MatchesWrittenValue(const std::string& strWritten, double dActual) {
    char* pEnd = nullptr;
    const double dWritten = std::strtod(strWritten.c_str(), &pEnd);
    if (pEnd == strWritten.c_str() || *pEnd != '\0') return false;
    const size_t nPoint = strWritten.find('.');
    const int nDecimals =
        nPoint == std::string::npos ? 0 : static_cast<int>(strWritten.size() - nPoint - 1);
    // Half a unit of the last written digit, and a little for the rounding of the
    // computation itself.
    const double dTolerance = 0.5 * std::pow(10.0, -nDecimals) + 1e-9;
    return std::fabs(dActual - dWritten) <= dTolerance;
}
