// What the calculator tests run against: a parser that hands out a formula compiled
// from a hand-written script (no front end involved), and a counting data source.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "api/RefusingParser.h"
#include "index/calc/CIndexCalculator.h"
#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormula.h"
#include "index/compiler/ScriptSource.h"
#include "index/functions/ValueConventions.h"

// Field ids the scripts below read.
constexpr int FIELD_HIGH = 1;
constexpr int FIELD_OPEN = 2;
constexpr int FIELD_LOW = 3;
constexpr int FIELD_CLOSE = 4;

// The colour text every output drawing statement carries in a script.
#define QX_TEST_COLOUR "RGB(254,254,254)"

class CScriptParser : public CRefusingParser {
public:
    // Compiles the script against the given names. Field names are those the script
    // uses; output and variable names are in list order.
    CScriptParser(const std::string& strScript, std::vector<std::string> vecOutputs,
                  std::vector<std::string> vecVariables,
                  std::vector<std::string> vecParamNames = {},
                  std::vector<float> vecParamValues = {}) {
        ScriptSource source;
        source.strScript = strScript;
        source.vecOutputNames = std::move(vecOutputs);
        source.vecVariableNames = std::move(vecVariables);
        source.vecFieldNames = {"high", "open", "low", "close"};
        source.vecParamNames = std::move(vecParamNames);
        source.vecParamValues = std::move(vecParamValues);
        CScriptCompiler compiler;
        m_bParsed = compiler.Compile(&source, &m_info) == COMPILE_OK;
        m_bLongHistory = m_info.m_bLongHistory;
        m_bFutureData = m_info.m_bFutureData;
        m_bVolatile = m_info.m_bVolatile;
    }

    // Makes an output volatile as if its expression called a volatile function.
    void MarkVolatileOutput(int nOutput) {
        m_info.m_setVolatileOutputs.insert(nOutput);
        m_bVolatile = true;
    }

    bool GetCalculateInfo(CCalculateInfo** out) override {
        if (!m_bParsed || out == nullptr) return false;
        *out = &m_info;
        return true;
    }
    bool GetLongHistory(bool* out) override { return Answer(m_bLongHistory, out); }
    bool GetFutureData(bool* out) override { return Answer(m_bFutureData, out); }
    bool GetVolatile(bool* out) override { return Answer(m_bVolatile, out); }
    bool GetOutputColor(int k, unsigned* out) override {
        const auto it = m_mapColours.find(k);
        return it != m_mapColours.end() && Answer(it->second, out);
    }
    bool IsOutputHidden(int k, bool* out) override {
        return Answer(m_setHidden.count(k) != 0, out);
    }

    CCalculateInfo m_info;
    bool m_bParsed = false;
    bool m_bLongHistory = false;
    bool m_bFutureData = false;
    bool m_bVolatile = false;
    std::map<int, unsigned> m_mapColours;
    std::set<int> m_setHidden;

private:
    template <typename T>
    bool Answer(T value, T* out) const {
        if (!m_bParsed || out == nullptr) return false;
        *out = value;
        return true;
    }
};

// In a field's vector: the source refuses the value at that bar.
constexpr double REFUSED = INVALID_VALUE;

// A bar series held in vectors, counting field reads per field id so that a test
// can assert which bars were evaluated. Bars past a field's vector are refused.
class CCountingSource : public IIndexDataSource {
public:
    explicit CCountingSource(int nBars) : m_nBarCount(nBars), m_nAvailable(nBars) {}

    void GetBarCount(int* count) override { *count = m_nBarCount; }
    bool GetAvailableBarCount(int* count) override {
        if (m_bAvailable) *count = m_nAvailable;
        return m_bAvailable;
    }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        ++m_mapReads[fieldId];
        const auto it = m_mapFields.find(fieldId);
        if (it == m_mapFields.end() || bar < 0 || bar >= static_cast<int>(it->second.size())) {
            return false;
        }
        const double dValue = it->second[static_cast<size_t>(bar)];
        if (IsInvalid(dValue)) return false;
        *value = dValue;
        return true;
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int direction, int* boundary) override {
        *boundary = direction == 0 ? bar - m_nMarginBefore : bar + m_nMarginAfter;
    }
    void GetBarPeriod(int*, int*) override {}
    bool GetBarTime(int, int64_t*) override { return false; }
    void FindBarByTime(int64_t, int*) override {}
    bool GetDateTime(int64_t, int64_t*) override { return false; }

    void SetField(int nFieldId, std::vector<double> vecValues) {
        m_mapFields[nFieldId] = std::move(vecValues);
    }
    int Reads(int nFieldId) const {
        const auto it = m_mapReads.find(nFieldId);
        return it == m_mapReads.end() ? 0 : it->second;
    }
    int AllReads() const {
        int nReads = 0;
        for (const auto& entry : m_mapReads) nReads += entry.second;
        return nReads;
    }
    void ResetReads() { m_mapReads.clear(); }

    // Every field the scripts read, with values that tell the bars apart.
    void FillPrices(int nBars) {
        std::vector<double> vecClose, vecOpen, vecHigh, vecLow;
        for (int i = 0; i < nBars; ++i) {
            vecClose.push_back(100.0 + i);
            vecOpen.push_back(100.5 + (i % 7));
            vecHigh.push_back(200.0 + i);
            vecLow.push_back(50.0 + (i % 5));
        }
        SetField(FIELD_CLOSE, vecClose);
        SetField(FIELD_OPEN, vecOpen);
        SetField(FIELD_HIGH, vecHigh);
        SetField(FIELD_LOW, vecLow);
    }

    int m_nBarCount;
    int m_nAvailable;
    bool m_bAvailable = true;
    int m_nMarginBefore = 0;
    int m_nMarginAfter = 0;

private:
    std::map<int, std::vector<double>> m_mapFields;
    std::map<int, int> m_mapReads;
};

// A calculator bound to a parser and a source.
struct CalculatorRig {
    CalculatorRig(const std::string& strScript, std::vector<std::string> vecOutputs,
                  std::vector<std::string> vecVariables, int nBars)
        : parser(strScript, std::move(vecOutputs), std::move(vecVariables)), source(nBars) {
        source.FillPrices(nBars);
    }
    // Binding is separate so that a test can adjust the parser first.
    void Bind() {
        calculator.SetIndexParser(&parser);
        calculator.SetDataSource(&source);
        source.ResetReads();
    }
    std::pair<int, int> Window() {
        int nFirst = 0;
        int nLast = 0;
        calculator.GetCalculatedRange(&nFirst, &nLast);
        return {nFirst, nLast};
    }

    CScriptParser parser;
    CCountingSource source;
    CIndexCalculator calculator;
};

// One output a = CLOSE * 2, drawn as a curve.
inline const char* CloseCurveScript() {
    return "a=close*2;\r\n.curveline(a," QX_TEST_COLOUR ",1);\r\n";
}
