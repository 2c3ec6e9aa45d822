#include "docs/DocExamples.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
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

// One "=>" line into the example; false when it has neither known form.
bool ReadExpectation(const std::string& strLine, CFormulaExample* pExample) {
    static const std::regex s_error(R"(error (\d+) at line (\d+), column (\d+)(?:: (.+))?)");
    static const std::regex s_text(R"(text at bar (\d+): (.+))");
    static const std::regex s_series(R"(([A-Za-z_][A-Za-z0-9_]*):(.*))");
    std::smatch match;
    if (std::regex_match(strLine, match, s_error)) {
        pExample->m_bExpectsError = true;
        pExample->m_nErrorCode = std::stoi(match[1]);
        pExample->m_nErrorLine = std::stoi(match[2]);
        pExample->m_nErrorColumn = std::stoi(match[3]);
        pExample->m_strErrorText = match[4];
        return true;
    }
    if (std::regex_match(strLine, match, s_text)) {
        pExample->m_vecTexts.emplace_back(std::stoi(match[1]), match[2]);
        return true;
    }
    if (std::regex_match(strLine, match, s_series)) {
        pExample->m_vecSeries.push_back({UpperCase(match[1]), SplitWords(match[2])});
        return true;
    }
    return false;
}

void ReadParams(const std::string& strFormula, CFormulaExample* pExample) {
    static const std::regex s_params(R"(\{params:([^}]*)\})");
    static const std::regex s_param(R"(\s*([A-Za-z_][A-Za-z0-9_]*)\s*=\s*([-0-9.]+)\s*)");
    std::smatch match;
    if (!std::regex_search(strFormula, match, s_params)) return;
    std::istringstream list(match[1].str());
    for (std::string strItem; std::getline(list, strItem, ',');) {
        std::smatch param;
        if (std::regex_match(strItem, param, s_param)) {
            pExample->m_vecParams.emplace_back(param[1], std::stof(param[2]));
        } else {
            pExample->m_strProblem = "unreadable parameter '" + strItem + "'";
        }
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
    const std::string strEscapedFile = std::regex_replace(strFile, std::regex("\\."), "\\.");
    const std::regex linkPattern("\\(" + strEscapedFile + "#([a-z0-9_-]+)\\)");
    for (auto it = std::sregex_iterator(strText.begin(), strText.end(), linkPattern);
         it != std::sregex_iterator(); ++it) {
        vecAnchors.push_back((*it)[1]);
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
