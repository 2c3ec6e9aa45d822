// The names and literals that one formula makes for itself: output lines,
// variables, literal slots (numbers and parameters), string literals and literal
// colours, each numbered from its own token id base, plus the name lookup that
// the lexer runs for every word and the record of which parameters each output
// line and variable depends on.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "index/frontend/TokenIds.h"

// A numeric literal or a parameter. A parameter's text is its name, so it is
// written into the script by name and keeps its value outside the script.
struct CLiteralSlot {
    std::string m_strText;
    double m_dValue = 0.0;
    int m_nParamIndex = -1;  // -1 for a numeric literal
};

struct CFormulaParam {
    std::string m_strName;       // lower case
    std::string m_strValueText;  // "%.3f" of the value
    int m_nTokenId = 0;          // its literal slot
};

class CFormulaSymbols {
public:
    // Builds the keyword tables if this is the first formula of the process.
    CFormulaSymbols();

    // Keywords first, then variables, output lines, parameters and literals.
    bool LookupName(const std::string& strName, int* pId) const;

    // Each Add returns 0 or the error code of the exhausted store; on error
    // nothing changes. The caller has made sure that the name is new.
    int AddVariable(const std::string& strName, int* pId);
    // Script temporaries are variables beyond the user's limit. Their ids may run
    // past the variable block into the outputs', so IsVariableId does not claim
    // them: a temporary is known by its name only.
    int AddVariableUnlimited(const std::string& strName, int* pId);
    int AddOutput(const std::string& strName, int* pId);
    int AddNumericLiteral(const std::string& strText, int* pId);
    int AddStringLiteral(const std::string& strText, int* pId);
    // The six characters after "color". The same six characters share one slot;
    // a new colour beyond the store is an unknown name (kErrorUnknownName).
    int AddLiteralColour(const std::string& strSixChars, int* pId);
    // Parameter loading: the name is lower-cased; a name that the lookup already
    // knows (a keyword or an earlier parameter) is skipped and answers 0.
    int AddParameter(const std::string& strName, float fValue);
    // Replaces a parameter's value and its value text.
    bool SetParamValue(int nIndex, float fValue);

    // Records what the statement that defines nOwnerId depends on: the parameters
    // it names (vecDirect) and those of every variable or output among its
    // tokens, in that order, each once. An output owner is also listed with each
    // of those parameters.
    void RecordParamUse(int nOwnerId, const std::vector<int>& vecTokens,
                        const std::vector<int>& vecDirect);
    const std::vector<int>& GetParamUse(int nOwnerId) const;
    const std::vector<int>& GetParamOutputs(int nParamIndex) const;

    bool IsVariableId(int nId) const {
        return IsInBlock(nId, kTokenVariableBase, std::min(VariableCount(), kMaxVariables));
    }
    bool IsOutputId(int nId) const { return IsInBlock(nId, kTokenOutputBase, OutputCount()); }
    bool IsLiteralId(int nId) const { return IsInBlock(nId, kTokenLiteralBase, LiteralCount()); }
    bool IsStringId(int nId) const { return IsInBlock(nId, kTokenStringBase, StringCount()); }
    bool IsLiteralColourId(int nId) const {
        return IsInBlock(nId, kTokenLiteralColourBase, LiteralColourCount());
    }
    // The parameter index of a literal-slot id, or -1.
    int FindParamIndex(int nId) const;

    int VariableCount() const { return static_cast<int>(m_vecVariableNames.size()); }
    int OutputCount() const { return static_cast<int>(m_vecOutputNames.size()); }
    int LiteralCount() const { return static_cast<int>(m_vecLiterals.size()); }
    int StringCount() const { return static_cast<int>(m_vecStrings.size()); }
    int LiteralColourCount() const { return static_cast<int>(m_vecLiteralColours.size()); }
    int ParamCount() const { return static_cast<int>(m_vecParams.size()); }

    // Lookups by token id; ids outside the block give the empty text or null.
    const std::string& GetVariableName(int nId) const;
    const std::string& GetOutputName(int nId) const;
    const CLiteralSlot* GetLiteral(int nId) const;
    const std::string& GetString(int nId) const;
    const std::string& GetLiteralColour(int nId) const;
    const CFormulaParam* GetParam(int nIndex) const;

    // In slot order, as the script compiler wants them.
    const std::vector<std::string>& GetVariableNames() const { return m_vecVariableNames; }
    const std::vector<std::string>& GetOutputNames() const { return m_vecOutputNames; }
    const std::vector<CFormulaParam>& GetParams() const { return m_vecParams; }

private:
    static bool IsInBlock(int nId, int nBase, int nCount) {
        return nId >= nBase && nId - nBase < nCount;
    }
    static const std::string* FindText(const std::vector<std::string>& vecTexts, int nId,
                                       int nBase);

    std::vector<std::string> m_vecVariableNames;
    std::vector<std::string> m_vecOutputNames;
    std::vector<CLiteralSlot> m_vecLiterals;
    std::vector<std::string> m_vecStrings;
    std::vector<std::string> m_vecLiteralColours;
    std::vector<CFormulaParam> m_vecParams;

    std::map<std::string, int> m_mapVariableIds;
    std::map<std::string, int> m_mapOutputIds;
    std::map<std::string, int> m_mapValueIds;  // parameters and literals

    std::map<int, std::vector<int>> m_mapParamUse;    // output or variable id -> parameter indexes
    std::vector<std::vector<int>> m_vecParamOutputs;  // parameter index -> output ids
};
