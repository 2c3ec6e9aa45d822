#include "fuzz/FormulaGenerator.h"

#include <cstdio>
#include <set>

#include "index/frontend/KeywordTables.h"
#include "index/frontend/TokenIds.h"

namespace {

constexpr const char* kOperators[] = {
    "+", "-", "*", "/", ">", "<", ">=", "<=", "=", "<>", " and ", " or ", "&&", "||"};
constexpr int kOperatorCount = static_cast<int>(sizeof(kOperators) / sizeof(kOperators[0]));

// Counts, periods and offsets of most functions are small whole numbers; these
// also reach the edges of the window rules (0, 1, a negative count, huge).
constexpr const char* kNumbers[] = {"0",   "1",  "2",   "3",   "5",    "10",       "20",
                                    "0.5", "-1", "100", "250", "1000", "99999999", "0.0000001"};
constexpr int kNumberCount = static_cast<int>(sizeof(kNumbers) / sizeof(kNumbers[0]));

constexpr const char* kStrings[] = {"'UP'", "'A'", "'%'", "''", "'\xc2\xf2'"};
constexpr int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));

}  // namespace

CFormulaGenerator::CFormulaGenerator() {
    BuildKeywordTables();
    const CKeywordTables& tables = GetKeywordTables();
    std::set<int> setSeen;
    // The first spelling of each id is enough; aliases are the lexer's business.
    for (const auto& entry : tables.GetKeywordIds()) {
        const int nId = entry.second;
        if (!setSeen.insert(nId).second) continue;
        int nArity = 1;
        tables.FindFunctionArity(nId, &nArity);
        if (nId >= kTokenFunctionFirst && nId <= kTokenFunctionLast) {
            m_vecFunctions.push_back({entry.first, nArity});
        } else if (nId >= kTokenDrawFunctionFirst && nId <= kTokenDrawFunctionLast) {
            m_vecDrawFunctions.push_back({entry.first, nArity});
        } else if (nId >= kTokenDataFieldFirst && nId <= kTokenDataFieldLast) {
            m_vecFields.push_back(entry.first);
        } else if (nId >= kTokenAttributeFirst && nId <= kTokenAttributeLast) {
            m_vecAttributes.push_back(entry.first);
        }
    }
    m_vecAttributes.push_back("color00ff00");
    m_vecAttributes.push_back("colorzzzzzz");
}

std::string CFormulaGenerator::WriteFormula(CFuzzInput& input,
                                            const std::vector<std::string>& vecParams,
                                            int nMaxStatements) {
    m_pParams = &vecParams;
    m_vecNames.clear();
    std::string strFormula;
    const int nStatements = input.ReadInt(1, nMaxStatements);
    for (int i = 0; i < nStatements; ++i) {
        const int nDepth = input.ReadInt(0, 5);
        std::string strName;
        switch (input.ReadInt(0, 5)) {
            case 0:
            case 1:  // output line
                strName = "o" + std::to_string(i);
                strFormula += strName + ":";
                WriteExpression(input, nDepth, strFormula);
                WriteAttributes(input, strFormula);
                break;
            case 2:  // variable
                strName = "v" + std::to_string(i);
                strFormula += strName + ":=";
                WriteExpression(input, nDepth, strFormula);
                break;
            case 3:  // bare expression
                WriteExpression(input, nDepth, strFormula);
                WriteAttributes(input, strFormula);
                break;
            default:  // drawing call
                if (m_vecDrawFunctions.empty()) break;
                WriteCall(input,
                          m_vecDrawFunctions[input.ReadInt(
                              0, static_cast<int>(m_vecDrawFunctions.size()) - 1)],
                          nDepth, strFormula);
                WriteAttributes(input, strFormula);
                break;
        }
        strFormula += input.ReadInt(0, 7) == 0 ? "\n" : ";";
        if (!strName.empty()) m_vecNames.push_back(strName);
    }
    return strFormula;
}

// expression := operand { operator operand }
void CFormulaGenerator::WriteExpression(CFuzzInput& input, int nDepth, std::string& strOut) {
    WriteOperand(input, nDepth, strOut);
    const int nMore = nDepth > 0 ? input.ReadInt(0, 3) : 0;
    for (int i = 0; i < nMore && i < 2; ++i) {
        strOut += kOperators[input.ReadInt(0, kOperatorCount - 1)];
        WriteOperand(input, nDepth - 1, strOut);
    }
}

void CFormulaGenerator::WriteOperand(CFuzzInput& input, int nDepth, std::string& strOut) {
    const int nChoice = input.ReadInt(0, nDepth > 0 ? 9 : 4);
    switch (nChoice) {
        case 0:
            WriteNumber(input, strOut);
            break;
        case 1:
        case 2:
            strOut += m_vecFields.empty()
                          ? "c"
                          : m_vecFields[input.ReadInt(0, static_cast<int>(m_vecFields.size()) - 1)];
            break;
        case 3:
            if (!m_pParams->empty()) {
                strOut += (*m_pParams)[input.ReadInt(0, static_cast<int>(m_pParams->size()) - 1)];
            } else {
                WriteNumber(input, strOut);
            }
            break;
        case 4:
            if (!m_vecNames.empty()) {
                strOut += m_vecNames[input.ReadInt(0, static_cast<int>(m_vecNames.size()) - 1)];
            } else {
                strOut += "c";
            }
            break;
        case 5:
            strOut += "(";
            WriteExpression(input, nDepth - 1, strOut);
            strOut += ")";
            break;
        case 6:
            strOut += "-";
            WriteOperand(input, nDepth - 1, strOut);
            break;
        default:
            if (m_vecFunctions.empty()) break;
            WriteCall(input,
                      m_vecFunctions[input.ReadInt(0, static_cast<int>(m_vecFunctions.size()) - 1)],
                      nDepth - 1, strOut);
            break;
    }
}

// call := name [ '(' argument { ',' argument } ')' ]
void CFormulaGenerator::WriteCall(CFuzzInput& input, const CWord& word, int nDepth,
                                  std::string& strOut) {
    strOut += word.m_strText;
    if (word.m_nArity == 0) return;
    strOut += "(";
    // Now and then one argument too many or too few, for the checks.
    int nArgs = word.m_nArity;
    if (input.ReadInt(0, 31) == 0) nArgs += input.ReadBool() ? 1 : -1;
    for (int i = 0; i < nArgs; ++i) {
        if (i > 0) strOut += ",";
        const int nKind = input.ReadInt(0, 7);
        if (nKind == 0) {
            WriteNumber(input, strOut);
        } else if (nKind == 1) {
            strOut += kStrings[input.ReadInt(0, kStringCount - 1)];
        } else {
            WriteExpression(input, nDepth, strOut);
        }
    }
    strOut += ")";
}

void CFormulaGenerator::WriteNumber(CFuzzInput& input, std::string& strOut) {
    const int nChoice = input.ReadInt(0, kNumberCount);
    if (nChoice < kNumberCount) {
        strOut += kNumbers[nChoice];
        return;
    }
    char szNumber[32];
    std::snprintf(szNumber, sizeof(szNumber), "%d", static_cast<int>(input.ReadU32() % 100000u));
    strOut += szNumber;
}

void CFormulaGenerator::WriteAttributes(CFuzzInput& input, std::string& strOut) {
    const int nCount = input.ReadInt(0, 3) == 0 ? input.ReadInt(0, 3) : 0;
    for (int i = 0; i < nCount && !m_vecAttributes.empty(); ++i) {
        strOut += ",";
        strOut += m_vecAttributes[input.ReadInt(0, static_cast<int>(m_vecAttributes.size()) - 1)];
    }
}
