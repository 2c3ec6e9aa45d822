// The front end of one parse: reads the formula statement by statement, sorts
// each statement into its kind, strips and stores the output attributes, checks
// the statement, records which parameters it depends on, and finally writes the
// internal script with the lists that the compiler resolves names against.
#pragma once

#include <string>
#include <vector>

#include "index/compiler/ScriptSource.h"
#include "index/frontend/FormulaError.h"
#include "index/frontend/FormulaLexer.h"
#include "index/frontend/FormulaSymbols.h"
#include "index/frontend/OutputAttributes.h"

class FormulaTranslator {
public:
    FormulaTranslator();
    FormulaTranslator(const FormulaTranslator&) = delete;
    FormulaTranslator& operator=(const FormulaTranslator&) = delete;

    // Takes the text (comments, tabs and letter case are dealt with here) and the
    // parameters, which are added only when both lists have the same length.
    void Load(const std::string& strText, const std::vector<std::string>& vecParamNames,
              const std::vector<float>& vecParamValues);

    // Runs the whole translation; false with GetError set on the first fault.
    bool Translate();

    const CFormulaError& GetError() const { return m_lexer.GetError(); }
    const ScriptSource& GetScriptSource() const { return m_source; }

    // Output slots, whatever statement made them.
    int GetOutputCount() const { return m_symbols.OutputCount(); }
    // Null for a slot outside the attribute list.
    COutputAttributes* GetAttributes(int nSlot);
    const COutputAttributes* GetAttributes(int nSlot) const;

    CFormulaSymbols& GetSymbols() { return m_symbols; }
    const CFormulaSymbols& GetSymbols() const { return m_symbols; }
    const CFormulaLexer& GetLexer() const { return m_lexer; }

private:
    enum class EStatementKind { Assignment, Definition, Drawing, Bare };

    EStatementKind ClassifyStatement(const CFormulaStatement& statement) const;
    // Gives a drawing or bare statement its output slot; false on error.
    bool TakeOutputSlot(CFormulaStatement& statement, EStatementKind eKind, int* pSlot);
    bool TranslateStatement(CFormulaStatement& statement);
    void WriteScript();

    CFormulaSymbols m_symbols;
    CFormulaLexer m_lexer;
    std::vector<COutputAttributes> m_vecAttributes;  // by output slot
    std::vector<int> m_vecStatementSlots;            // by accepted statement; -1 for none
    ScriptSource m_source;
};
