#include "index/frontend/FormulaTranslator.h"

#include <cstdio>

#include "index/frontend/KeywordTables.h"
#include "index/frontend/ScriptWriter.h"
#include "index/frontend/StatementChecks.h"

namespace {

// The visible name of a drawing statement's output slot; the full stops keep it
// from ever being shown to the client or clashing with a formula's own names.
constexpr const char* kDrawingOutputName = ".....";

}  // namespace

FormulaTranslator::FormulaTranslator() : m_lexer(&m_symbols) {}

void FormulaTranslator::Load(const std::string& strText,
                             const std::vector<std::string>& vecParamNames,
                             const std::vector<float>& vecParamValues) {
    m_vecAttributes.clear();
    m_vecStatementSlots.clear();
    m_source = ScriptSource();
    m_lexer.Load(strText);
    if (vecParamNames.size() != vecParamValues.size()) return;
    for (size_t i = 0; i < vecParamNames.size(); ++i) {
        // Only the literal store can run out; the formula could not name the
        // parameters beyond it anyway, so the parse fails where it starts.
        const int nCode = m_symbols.AddParameter(vecParamNames[i], vecParamValues[i]);
        if (nCode != 0) {
            m_lexer.ReportErrorAt(nCode, 0);
            return;
        }
    }
}

bool FormulaTranslator::Translate() {
    CFormulaStatement statement;
    while (!m_lexer.HasError() && m_lexer.NextStatement(&statement)) {
        TranslateStatement(statement);
    }
    if (m_lexer.HasError()) return false;
    // A text of blanks, separators and comments has nothing to compute and is
    // answered like an empty one.
    if (m_vecStatementSlots.empty()) {
        m_lexer.ReportErrorAt(kErrorEmptyFormula, 0);
        return false;
    }
    WriteScript();
    return !m_lexer.HasError();
}

COutputAttributes* FormulaTranslator::GetAttributes(int nSlot) {
    if (nSlot < 0 || nSlot >= static_cast<int>(m_vecAttributes.size())) return nullptr;
    return &m_vecAttributes[nSlot];
}

const COutputAttributes* FormulaTranslator::GetAttributes(int nSlot) const {
    if (nSlot < 0 || nSlot >= static_cast<int>(m_vecAttributes.size())) return nullptr;
    return &m_vecAttributes[nSlot];
}

// The definition operator, when there is one, is the second token (checked
// before this is asked). Only a statement that opens with a drawing function is
// a drawing statement: an assignment or definition whose expression holds one
// gets no output slot of its own, and the script writer refuses the drawing
// function there, since a drawing has no value to assign.
FormulaTranslator::EStatementKind FormulaTranslator::ClassifyStatement(
    const CFormulaStatement& statement) const {
    const std::vector<int>& vecTokens = statement.m_vecTokens;
    if (vecTokens.size() > 1 && vecTokens[1] == kTokenAssign) return EStatementKind::Assignment;
    if (vecTokens.size() > 1 && vecTokens[1] == kTokenDefine) return EStatementKind::Definition;
    if (!vecTokens.empty() && GetKeywordTables().IsDrawFunction(vecTokens[0]))
        return EStatementKind::Drawing;
    return EStatementKind::Bare;
}

bool FormulaTranslator::TakeOutputSlot(CFormulaStatement& statement, EStatementKind eKind,
                                       int* pSlot) {
    const int nSlot = m_symbols.OutputCount();
    char szName[32];
    if (eKind == EStatementKind::Bare) {
        std::snprintf(szName, sizeof(szName), ".tempresindex%d", nSlot);
    } else {
        std::snprintf(szName, sizeof(szName), "%s", kDrawingOutputName);
    }
    int nId = 0;
    const int nCode = m_symbols.AddOutput(szName, &nId);
    if (nCode != 0) {
        m_lexer.ReportError(statement, nCode, statement.m_vecOffsets.front());
        return false;
    }
    // A bare expression becomes the definition of its hidden output.
    if (eKind == EStatementKind::Bare) {
        const int nOffset = statement.m_vecOffsets.front();
        statement.m_vecTokens.insert(statement.m_vecTokens.begin(), {nId, kTokenDefine});
        statement.m_vecOffsets.insert(statement.m_vecOffsets.begin(), {nOffset, nOffset});
    }
    *pSlot = nSlot;
    return true;
}

// Kind, output slot and attributes, checks, parameter use; then accept.
bool FormulaTranslator::TranslateStatement(CFormulaStatement& statement) {
    std::vector<int>& vecTokens = statement.m_vecTokens;
    std::vector<int>& vecOffsets = statement.m_vecOffsets;
    if (vecTokens.empty()) return true;
    vecOffsets.resize(vecTokens.size(), 0);

    size_t nFaultToken = 0;
    int nCode = CheckDefinitionPlace(vecTokens, &nFaultToken);
    if (nCode != 0) {
        m_lexer.ReportError(statement, nCode, vecOffsets[nFaultToken]);
        return false;
    }

    const EStatementKind eKind = ClassifyStatement(statement);
    int nSlot = -1;
    if (eKind == EStatementKind::Definition) {
        nSlot = vecTokens[0] - kTokenOutputBase;
    } else if (eKind != EStatementKind::Assignment && !TakeOutputSlot(statement, eKind, &nSlot)) {
        return false;
    }
    // Assignments keep whatever attribute keywords they hold; the script writer
    // refuses them there.
    if (nSlot >= 0) {
        if (m_vecAttributes.size() < static_cast<size_t>(m_symbols.OutputCount()))
            m_vecAttributes.resize(m_symbols.OutputCount());
        ApplyOutputAttributes(vecTokens, vecOffsets, m_symbols, &m_vecAttributes[nSlot]);
    }

    nCode = CheckStatementTokens(vecTokens, &nFaultToken);
    if (nCode != 0) {
        const int nOffset = nFaultToken < vecOffsets.size() ? vecOffsets[nFaultToken] : 0;
        m_lexer.ReportError(statement, nCode, nOffset);
        return false;
    }

    const int nOwner =
        eKind == EStatementKind::Assignment ? vecTokens[0] : kTokenOutputBase + nSlot;
    m_symbols.RecordParamUse(nOwner, vecTokens, statement.m_vecParams);
    m_vecStatementSlots.push_back(nSlot);
    m_lexer.AcceptStatement(statement);
    return true;
}

// A token that cannot be written is reported where it stands in the normalised
// text, with the line and column of that place, like every other error.
void FormulaTranslator::WriteScript() {
    CScriptWriter writer(&m_symbols, &m_vecAttributes);
    if (!writer.Write(m_lexer.GetAcceptedTokens(), m_lexer.GetAcceptedPositions(),
                      m_vecStatementSlots, &m_source)) {
        m_lexer.ReportErrorAt(kErrorScriptWrite, writer.GetMessagePosition(), writer.GetMessage());
    }
}
