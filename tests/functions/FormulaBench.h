// A hand-built compiled formula with everything a calculation needs around it (fake
// data source, series store, field cache, stop flag and context), for testing the
// evaluator and the built-in functions one call at a time.
//
// Nodes built with Op and Call belong to whoever contains them; a root that no
// statement contains must go through Keep (or Assign), which hands it to m_info.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/NodeBuilder.h"
#include "functions/FakeDataSource.h"
#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormula.h"
#include "index/functions/EvalContext.h"
#include "index/functions/FieldCache.h"
#include "index/functions/OperandEvaluator.h"
#include "index/functions/SeriesStore.h"
#include "index/functions/ValueConventions.h"

class CFormulaBench {
public:
    // Field ids that Series hands out: per-bar ids the data source serves.
    static constexpr int FIRST_SERIES_FIELD = 100;
    // Auto variables are numbered after every ordinary variable a test uses.
    static constexpr int FIRST_AUTO_VARIABLE = 200;

    explicit CFormulaBench(int nBars) : m_source(nBars), m_store(nBars) {
        m_context.pStore = &m_store;
        m_context.pDataSource = &m_source;
        m_context.pInfo = &m_info;
        m_context.pFieldCache = &m_fieldCache;
        m_context.pStop = &m_bStop;
        m_context.nBarCount = nBars;
        m_context.nAvailable = nBars;
        m_context.nCalcFirst = 0;
        m_context.nCalcLast = nBars - 1;
    }

    // Compiles a script (statements ending in ";" and CR LF) into m_info, before
    // anything is added by hand. Outputs and variables are referred to by their
    // position in the lists; fields by their usual ids (CLOSE is 4).
    int Compile(const std::string& strScript, std::vector<std::string> vecOutputs,
                std::vector<std::string> vecFields = {},
                std::vector<std::string> vecVariables = {}) {
        ScriptSource source;
        source.strScript = strScript;
        source.vecOutputNames = std::move(vecOutputs);
        source.vecFieldNames = std::move(vecFields);
        source.vecVariableNames = std::move(vecVariables);
        CScriptCompiler compiler;
        return compiler.Compile(&source, &m_info);
    }

    // A Reference to a new per-bar field holding these values (FAKE_REFUSED: refused).
    Operand Series(std::vector<double> vecValues) {
        const int nFieldId = FIRST_SERIES_FIELD + m_nSeriesFields++;
        m_source.m_mapFields[nFieldId] = std::move(vecValues);
        return Field(nFieldId);
    }
    // A series with the same value at every bar.
    Operand Constant(double dValue) {
        return Series(std::vector<double>(static_cast<size_t>(m_context.nBarCount), dValue));
    }
    // A Reference to data field nFieldId through a new entry of the field-id table.
    Operand Field(int nFieldId) {
        m_info.m_vecFieldIds.push_back(nFieldId);
        return AddRef(RefListKind::Field, static_cast<int64_t>(m_info.m_vecFieldIds.size()) - 1);
    }
    Operand Output(int nNumber) { return AddRef(RefListKind::Output, nNumber); }
    Operand Variable(int nNumber) { return AddRef(RefListKind::Variable, nNumber); }

    Operand Op(uint32_t nKind, const Operand& left, const Operand& right) {
        return testnodes::Child(nKind, {left, right});
    }
    // A call of function nId: plain, with a new state slot, or with a new hidden
    // result series as element 1.
    Operand Call(uint32_t nId, std::vector<Operand> vecArgs) {
        vecArgs.insert(vecArgs.begin(), testnodes::Fid(nId));
        return testnodes::Child(NodeKind::Call, vecArgs);
    }
    Operand CallWithState(uint32_t nId, std::vector<Operand> vecArgs) {
        vecArgs.insert(vecArgs.begin(), testnodes::State(static_cast<uint32_t>(m_nNextSlot++)));
        vecArgs.insert(vecArgs.begin(), testnodes::Fid(nId));
        return testnodes::Child(NodeKind::StatefulCall, vecArgs);
    }
    Operand CallWithOwnResult(uint32_t nId, std::vector<Operand> vecArgs) {
        vecArgs.insert(vecArgs.begin(), Variable(FIRST_AUTO_VARIABLE + m_nAutoVariables++));
        vecArgs.insert(vecArgs.begin(), testnodes::Fid(nId));
        return testnodes::Child(NodeKind::Call, vecArgs);
    }

    // Hands a root to the formula (as a bare statement) and returns it.
    Operand Keep(const Operand& expr) {
        AddStatement(OperandType::Empty, 0, expr);
        return expr;
    }
    // Appends the assignment (kind, number) = expr.
    void Assign(uint32_t nKind, int nNumber, const Operand& expr) {
        const Operand target = AddRef(nKind, nNumber);
        AddStatement(OperandType::Reference, target.value, expr);
    }

    int Evaluate(const Operand& expr, int nBar, double& dOut, int nBarOffset = 0) {
        m_context.nBar = nBar;
        dOut = INVALID_VALUE;
        return EvaluateOperand(&m_context, expr.type, expr.value, &dOut, nBarOffset);
    }
    // The expression at every bar in increasing order, as the calculator asks.
    std::vector<double> EvaluateBars(const Operand& expr) {
        std::vector<double> vecValues;
        for (int nBar = 0; nBar < m_context.nBarCount; ++nBar) {
            double dValue = INVALID_VALUE;
            EXPECT_EQ(Evaluate(expr, nBar, dValue), EVAL_OK) << "bar " << nBar;
            vecValues.push_back(dValue);
        }
        return vecValues;
    }

    CFakeDataSource m_source;
    CCalculateInfo m_info;
    CSeriesStore m_store;
    CFieldCache m_fieldCache;
    std::atomic<bool> m_bStop{false};
    EvalContext m_context;

private:
    Operand AddRef(uint32_t nListKind, int64_t nIndex) {
        m_info.m_vecRefNodes.push_back(testnodes::BuildRef(nListKind, nIndex));
        return testnodes::Ref(static_cast<int64_t>(m_info.m_vecRefNodes.size()) - 1);
    }
    void AddStatement(uint32_t nTypeA, int64_t valueA, const Operand& expr) {
        Statement* pStatement = AllocateStatement();
        pStatement->typeA = nTypeA;
        pStatement->valueA = valueA;
        pStatement->typeB = expr.type;
        pStatement->valueB = expr.value;
        m_info.m_vecStatements.push_back(pStatement);
    }

    int m_nSeriesFields = 0;
    int m_nNextSlot = 1;
    int m_nAutoVariables = 0;
};

// Value comparison that tells the reserved patterns by their bits.
inline ::testing::AssertionResult SameValue(double dExpected, double dActual) {
    if (IsInvalid(dExpected) || !IsComputed(dExpected) || IsInvalid(dActual) ||
        !IsComputed(dActual)) {
        if (ValueBits(dExpected) == ValueBits(dActual)) return ::testing::AssertionSuccess();
    } else if (dExpected == dActual || (std::isnan(dExpected) && std::isnan(dActual))) {
        return ::testing::AssertionSuccess();
    }
    auto describe = [](double d) {
        if (IsInvalid(d)) return std::string("INVALID_VALUE");
        if (!IsComputed(d)) return std::string("UNCOMPUTED_VALUE");
        return ::testing::PrintToString(d);
    };
    return ::testing::AssertionFailure()
           << "expected " << describe(dExpected) << ", got " << describe(dActual);
}
