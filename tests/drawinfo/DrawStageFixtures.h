// What the draw-stage producer tests run against: a drawing context that serves
// hand-made argument series by position, a parser that knows only line widths, a
// price cache filled from given bars, and a dump of the records, one line each.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "IIndexDataSource.h"
#include "QXDrawInfo.h"
#include "api/RefusingParser.h"
#include "drawinfo/RecordDump.h"
#include "index/calc/DrawStageContext.h"
#include "index/calc/PriceCache.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/ValueConventions.h"

// Shorthands for the series tables.
constexpr double NA = INVALID_VALUE;
constexpr double UNC = UNCOMPUTED_VALUE;

// Answers only the line width of output lines; every other query fails.
class CWidthParser : public CRefusingParser {
public:
    bool GetOutputLineThick(int k, int* out) override {
        const auto it = m_mapWidths.find(k);
        if (it == m_mapWidths.end()) return false;
        *out = it->second;
        return true;
    }

    std::map<int, int> m_mapWidths;
};

// Serves bar fields from vectors (for filling a price cache); NA refuses a bar.
class CFieldSource : public IIndexDataSource {
public:
    void GetBarCount(int* count) override { *count = 0; }
    bool GetAvailableBarCount(int*) override { return false; }
    bool GetFieldValue(int fieldId, int bar, double* value) override {
        const auto it = m_mapFields.find(fieldId);
        if (it == m_mapFields.end() || bar < 0 || bar >= static_cast<int>(it->second.size()) ||
            IsInvalid(it->second[static_cast<size_t>(bar)])) {
            return false;
        }
        *value = it->second[static_cast<size_t>(bar)];
        return true;
    }
    bool GetConstantFieldValue(int, double*) override { return false; }
    void GetWindowBoundary(int bar, int, int* boundary) override { *boundary = bar; }
    void GetBarPeriod(int*, int*) override {}
    bool GetBarTime(int, int64_t*) override { return false; }
    void FindBarByTime(int64_t, int*) override {}
    bool GetDateTime(int64_t, int64_t*) override { return false; }

    std::map<int, std::vector<double>> m_mapFields;
};

// Bar prices for the rules that colour bars by their movement.
struct BarPrices {
    std::vector<double> vecClose;
    std::vector<double> vecOpen;
    std::vector<double> vecHigh;
    std::vector<double> vecLow;
    std::vector<double> vecPreClose;
};

// The drawing context of one statement: argument k of the call is a reference whose
// series is m_mapSeries[k] (absent: no series), or a constant from m_mapConstants.
class CFakeDrawContext : public IDrawStageContext {
public:
    explicit CFakeDrawContext(int nBars) : m_nBars(nBars) {
        for (uint32_t i = 0; i < MAX_ARGS; ++i) {
            m_arrTypes[i] = OperandType::Reference;
            m_arrValues[i] = i;
        }
        m_arrTypes[0] = OperandType::FunctionId;
        m_node.nKind = NodeKind::Call;
        m_node.nArgs = MAX_ARGS;
        m_node.pTypes = m_arrTypes;
        m_node.pValues = m_arrValues;
        m_parser.m_mapWidths[0] = 1;
    }

    // Argument k becomes a string constant with index nIndex.
    void SetStringArg(int k, int64_t nIndex) {
        m_arrTypes[k] = OperandType::String;
        m_arrValues[k] = nIndex;
    }
    void SetSeries(int k, std::vector<double> vecValues) {
        vecValues.resize(static_cast<size_t>(m_nBars), UNC);
        m_mapSeries[k] = std::move(vecValues);
    }
    void SetPrices(const BarPrices& prices) {
        CFieldSource fields;
        fields.m_mapFields[CPriceCache::FieldIdOf(PRICE_CLOSE)] = prices.vecClose;
        fields.m_mapFields[CPriceCache::FieldIdOf(PRICE_OPEN)] = prices.vecOpen;
        fields.m_mapFields[CPriceCache::FieldIdOf(PRICE_HIGH)] = prices.vecHigh;
        fields.m_mapFields[CPriceCache::FieldIdOf(PRICE_LOW)] = prices.vecLow;
        fields.m_mapFields[CPriceCache::FieldIdOf(PRICE_PRECLOSE)] = prices.vecPreClose;
        m_pPrices = std::make_unique<CPriceCache>(m_nBars);
        m_pPrices->Fill(&fields, 0, m_nBars - 1);
    }
    const ExprNode* CallNode() const { return &m_node; }

    IIndexParser* GetParser() override { return m_bHasParser ? &m_parser : nullptr; }
    IIndexDataSource* GetDataSource() override { return m_bHasSource ? &m_source : nullptr; }
    const CCalculateInfo* GetCalculateInfo() override { return m_bHasInfo ? &m_info : nullptr; }
    const CPriceCache* GetPriceCache() override { return m_pPrices.get(); }
    int GetSeriesBarCount() override { return m_bHasStore ? m_nBars : 0; }
    const double* DrawStatementSeries(const CCalculateInfo* pInfo, const ExprNode* pCallNode,
                                      int nPosition) override {
        if (pInfo != &m_info || pCallNode != &m_node) return nullptr;
        const auto it = m_mapSeries.find(nPosition);
        return it == m_mapSeries.end() ? nullptr : it->second.data();
    }
    QXDrawInfo::QXColor LineColour(int nStatementIndex) override {
        m_vecColourAsked.push_back(nStatementIndex);
        return QXDrawInfo::GetColorByValue(static_cast<int>(m_nColour));
    }
    uint32_t EvaluateConstantArg(const ExprNode* pCallNode, int nPosition,
                                 uint32_t nFallback) override {
        const auto it = m_mapConstants.find(nPosition);
        return pCallNode == &m_node && it != m_mapConstants.end() ? it->second : nFallback;
    }

    static constexpr uint32_t MAX_ARGS = 10;

    int m_nBars;
    bool m_bHasParser = true;
    bool m_bHasSource = true;
    bool m_bHasInfo = true;
    bool m_bHasStore = true;
    uint32_t m_nColour = 0xFF0000FFu;
    CWidthParser m_parser;
    CFieldSource m_source;
    CCalculateInfo m_info;
    std::map<int, std::vector<double>> m_mapSeries;
    std::map<int, uint32_t> m_mapConstants;
    std::unique_ptr<CPriceCache> m_pPrices;
    std::vector<int> m_vecColourAsked;

private:
    ExprNode m_node{};
    uint32_t m_arrTypes[MAX_ARGS];
    int64_t m_arrValues[MAX_ARGS];
};

// Runs a producer for statement 0 of the context's call.
inline std::vector<QXDrawInfo::GraphDrawInfo> RunProducer(DrawStageProducer pfnProduce,
                                                          CFakeDrawContext& context, int nFirst,
                                                          int nLast, int nStep = 0) {
    std::vector<QXDrawInfo::GraphDrawInfo> vecOut;
    pfnProduce(context, 0, nFirst, nLast, nStep, context.CallNode(), &vecOut);
    return vecOut;
}

// The producer's single picture as lines; empty (and a test failure) when it
// appended anything but one picture.
inline std::vector<std::string> OnlyPicture(const std::vector<QXDrawInfo::GraphDrawInfo>& vecOut) {
    if (vecOut.size() != 1) {
        ADD_FAILURE() << "expected one picture, got " << vecOut.size();
        return {};
    }
    return RecordLines(vecOut[0]);
}
