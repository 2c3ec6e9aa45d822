// Writes formulas that the front end mostly accepts, driven by fuzzer bytes:
// output definitions, variables, bare expressions and drawing calls, with
// expressions over every function of the vocabulary, the data fields, the
// parameters and the names defined earlier, and line attributes after them.
// Plain byte mutation rarely gets past the statement checks; this gets the
// calculator and every function implementation fed.
#pragma once

#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"

class CFormulaGenerator {
public:
    struct CWord {
        std::string m_strText;
        int m_nArity = 0;
    };

    // Reads the vocabulary from the keyword tables (built here if need be).
    CFormulaGenerator();

    // A formula of up to nMaxStatements statements with the given parameters.
    std::string WriteFormula(CFuzzInput& input, const std::vector<std::string>& vecParams,
                             int nMaxStatements);

    const std::vector<CWord>& GetFunctions() const { return m_vecFunctions; }
    const std::vector<CWord>& GetDrawFunctions() const { return m_vecDrawFunctions; }

private:
    void WriteExpression(CFuzzInput& input, int nDepth, std::string& strOut);
    void WriteOperand(CFuzzInput& input, int nDepth, std::string& strOut);
    void WriteCall(CFuzzInput& input, const CWord& word, int nDepth, std::string& strOut);
    void WriteNumber(CFuzzInput& input, std::string& strOut);
    void WriteAttributes(CFuzzInput& input, std::string& strOut);

    std::vector<CWord> m_vecFunctions;
    std::vector<CWord> m_vecDrawFunctions;
    std::vector<std::string> m_vecFields;
    std::vector<std::string> m_vecAttributes;
    // Per formula: what a later statement may name.
    std::vector<std::string> m_vecNames;
    const std::vector<std::string>* m_pParams = nullptr;
};
