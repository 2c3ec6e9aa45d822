// A parser that is not the library's and refuses every query, with empty lists: the
// base of the tests' stand-in parsers, which override only what they serve.
#pragma once

#include <string>
#include <vector>

#include "IIndexParser.h"

class CRefusingParser : public IIndexParser {
public:
    bool Parse(const std::string&, const std::vector<std::string>&,
               const std::vector<float>&) override {
        return false;
    }
    bool GetError(ParseErrorInfo*) override { return false; }
    bool GetCalculateInfo(CCalculateInfo**) override { return false; }
    bool GetLongHistory(bool*) override { return false; }
    bool GetFutureData(bool*) override { return false; }
    bool GetVolatile(bool*) override { return false; }
    bool UsesField(int, int) override { return false; }
    bool GetDrawStatementCount(int*) override { return false; }
    bool GetOutputColor(int, unsigned*) override { return false; }
    bool GetOutputLineThick(int, int*) override { return false; }
    bool GetOutputDrawType(int, int*) override { return false; }
    bool GetOutputName(int, char*, unsigned) override { return false; }
    bool IsOutputHidden(int, bool*) override { return false; }
    bool GetParamCount(int*) override { return false; }
    bool GetParamValue(int, float*) override { return false; }
    bool GetParamName(int, char*, unsigned) override { return false; }
    bool SetOutputColor(int, unsigned) override { return false; }
    bool SetOutputLineThick(int, int) override { return false; }
    bool SetParamValue(int, float) override { return false; }
    const std::vector<float>* GetOutputParamValues(int) override { return &m_vecNoFloats; }
    const std::vector<int>* GetOutputParamIndexes(int) override { return &m_vecNoInts; }
    const std::vector<int>* GetParamOutputs(int) override { return &m_vecNoInts; }
    bool IsDrawFunctionOutput(int, bool*) override { return false; }

private:
    std::vector<float> m_vecNoFloats;
    std::vector<int> m_vecNoInts;
};
