// The formula parser: text and parameters in, a compiled formula and the output
// lines' descriptions out.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "IIndexParser.h"

class FormulaTranslator;
struct COutputAttributes;

class CIndexParser : public IIndexParser {
public:
    CIndexParser();
    virtual ~CIndexParser();
    CIndexParser(const CIndexParser&) = delete;
    CIndexParser& operator=(const CIndexParser&) = delete;

    bool Parse(const std::string& text, const std::vector<std::string>& paramNames,
               const std::vector<float>& paramValues) override;
    bool GetError(ParseErrorInfo* out) override;
    bool GetCalculateInfo(CCalculateInfo** out) override;
    bool GetLongHistory(bool* out) override;
    bool GetFutureData(bool* out) override;
    bool GetVolatile(bool* out) override;
    bool UsesField(int fieldId, int ignored) override;
    bool GetDrawStatementCount(int* out) override;
    bool GetOutputColor(int k, unsigned* out) override;
    bool GetOutputLineThick(int k, int* out) override;
    bool GetOutputDrawType(int k, int* out) override;
    bool GetOutputName(int k, char* buf, unsigned size) override;
    bool IsOutputHidden(int k, bool* out) override;
    bool GetParamCount(int* out) override;
    bool GetParamValue(int k, float* out) override;
    bool GetParamName(int k, char* buf, unsigned size) override;
    bool SetOutputColor(int k, unsigned colour) override;
    bool SetOutputLineThick(int k, int width) override;
    bool SetParamValue(int k, float value) override;
    const std::vector<float>* GetOutputParamValues(int k) override;
    const std::vector<int>* GetOutputParamIndexes(int k) override;
    const std::vector<int>* GetParamOutputs(int p) override;
    bool IsDrawFunctionOutput(int k, bool* out) override;

    // The front end of the last parse, for the host tool and tests; null before
    // the first parse and after a failed compile.
    const FormulaTranslator* GetTranslator() const { return m_pTranslator; }

private:
    bool ParseLocked(const std::string& text, const std::vector<std::string>& paramNames,
                     const std::vector<float>& paramValues);
    void ReleaseResults();
    bool IsOutputValid(int k) const { return m_bParsed && k >= 0 && k < m_nOutputCount; }
    bool IsParamValid(int k) const;
    // The attributes of a valid output line, or null.
    COutputAttributes* FindAttributes(int k) const;
    // The drawing kind (500..516) of output k's drawing statement, or -1.
    int FindDrawKind(int k) const;
    // Copies a name the client way: at most size - 1 characters, NUL at size - 1.
    static void CopyName(const std::string& strName, char* buf, unsigned size);

    FormulaTranslator* m_pTranslator;  // front-end state of the last parse
    CCalculateInfo* m_pInfo;           // compiled form; null unless the last parse succeeded
    int32_t m_nOutputCount;
    std::set<int32_t> m_setUsedFields;
    std::vector<float> m_vecResultValues;  // answers of GetOutputParamValues
    std::vector<int> m_vecResultIndexes;   // answers of GetOutputParamIndexes
    std::vector<int> m_vecResultOutputs;   // answers of GetParamOutputs
    bool m_bParsed;
    ParseErrorInfo m_error;
};
