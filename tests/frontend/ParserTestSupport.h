// Helpers shared by the parser's test files: parameters written as one list,
// a parser that releases itself, and the translator run on its own.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "IndexObjCreator.h"
#include "index/frontend/CIndexParser.h"
#include "index/frontend/FormulaTranslator.h"

using ParamList = std::vector<std::pair<std::string, float>>;

inline std::vector<std::string> ParamNames(const ParamList& params) {
    std::vector<std::string> vecNames;
    for (const auto& param : params) vecNames.push_back(param.first);
    return vecNames;
}

inline std::vector<float> ParamValues(const ParamList& params) {
    std::vector<float> vecValues;
    for (const auto& param : params) vecValues.push_back(param.second);
    return vecValues;
}

// A parser made and released through the exported factory, as the client does.
class CParserHandle {
public:
    CParserHandle() : m_pParser(IndexObjCreator::CreateIndexParserObj()) {}
    ~CParserHandle() { IndexObjCreator::ReleaseIndexParserObj(&m_pParser); }
    CParserHandle(const CParserHandle&) = delete;
    CParserHandle& operator=(const CParserHandle&) = delete;

    IIndexParser* operator->() const { return m_pParser; }
    IIndexParser* Get() const { return m_pParser; }

    bool Parse(const std::string& strText, const ParamList& params = {}) {
        return m_pParser->Parse(strText, ParamNames(params), ParamValues(params));
    }

    ParseErrorInfo Error() const {
        ParseErrorInfo info;
        m_pParser->GetError(&info);
        return info;
    }

private:
    IIndexParser* m_pParser;
};

// The front end alone, without the compiler.
inline std::unique_ptr<FormulaTranslator> Translate(const std::string& strText,
                                                    const ParamList& params = {},
                                                    bool* pOk = nullptr) {
    auto pTranslator = std::make_unique<FormulaTranslator>();
    pTranslator->Load(strText, ParamNames(params), ParamValues(params));
    const bool bOk = pTranslator->Translate();
    if (pOk != nullptr) *pOk = bOk;
    return pTranslator;
}
