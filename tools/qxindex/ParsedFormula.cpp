#include "tools/qxindex/ParsedFormula.h"

#include <cstdio>

#include "IndexObjCreator.h"
#include "index/frontend/CIndexParser.h"
#include "index/frontend/FormulaTranslator.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxindex {

ParsedFormula::ParsedFormula() : m_pParser(IndexObjCreator::CreateIndexParserObj()) {}

ParsedFormula::~ParsedFormula() {
    IndexObjCreator::ReleaseIndexParserObj(&m_pParser);
}

bool ParsedFormula::Parse(const FormulaInput& input) {
    if (m_pParser == nullptr) {
        m_error.code = -1;
        m_error.text = "out of memory";
        return false;
    }
    std::vector<std::string> names;
    std::vector<float> values;
    for (const FormulaParam& param : input.params) {
        names.push_back(param.name);
        values.push_back(param.value);
    }
    if (m_pParser->Parse(Utf8ToGbk(input.text), names, values)) return true;
    ParseErrorInfo info{};
    m_pParser->GetError(&info);
    m_error.code = info.code;
    m_error.line = info.line;
    m_error.column = info.column;
    m_error.position = info.position;
    m_error.text = GbkToUtf8(std::string(info.text));
    return false;
}

std::vector<OutputLine> ParsedFormula::Outputs() const {
    std::vector<OutputLine> outputs;
    int count = 0;
    if (!m_pParser->GetDrawStatementCount(&count)) return outputs;
    for (int k = 0; k < count; ++k) {
        OutputLine line;
        line.index = k;
        if (!m_pParser->GetOutputLineThick(k, &line.width)) break;
        char name[256] = {};
        if (m_pParser->GetOutputName(k, name, sizeof(name))) line.name = GbkToUtf8(name);
        line.hasColour = m_pParser->GetOutputColor(k, &line.colour);
        m_pParser->GetOutputDrawType(k, &line.drawType);
        m_pParser->IsDrawFunctionOutput(k, &line.isDrawFunction);
        m_pParser->IsOutputHidden(k, &line.hidden);
        outputs.push_back(line);
    }
    return outputs;
}

std::vector<ParamValue> ParsedFormula::Params() const {
    std::vector<ParamValue> params;
    int count = 0;
    if (!m_pParser->GetParamCount(&count)) return params;
    for (int k = 0; k < count; ++k) {
        ParamValue param;
        char name[256] = {};
        m_pParser->GetParamName(k, name, sizeof(name));
        param.name = GbkToUtf8(name);
        m_pParser->GetParamValue(k, &param.value);
        params.push_back(param);
    }
    return params;
}

std::string ParsedFormula::Script() const {
    // The script is no part of the client interface; our own tool may look inside.
    const CIndexParser* pParser = dynamic_cast<const CIndexParser*>(m_pParser);
    if (pParser == nullptr || pParser->GetTranslator() == nullptr) return std::string();
    return pParser->GetTranslator()->GetScriptSource().strScript;
}

std::string FormulaErrorLine(const FormulaError& error) {
    std::string line = "error " + std::to_string(error.code) + " at line " +
                       std::to_string(error.line + 1) + ", column " + std::to_string(error.column);
    if (!error.text.empty()) line += ": " + error.text;
    return line;
}

std::string ColourText(unsigned colour) {
    char text[8];
    std::snprintf(text, sizeof(text), "#%02x%02x%02x", colour & 0xFF, (colour >> 8) & 0xFF,
                  (colour >> 16) & 0xFF);
    return text;
}

}  // namespace qxindex
