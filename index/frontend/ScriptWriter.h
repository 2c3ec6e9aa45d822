// Writes the accepted statements of a formula as the internal script that the
// expression compiler reads: one spelling per token, no blanks, every output line
// followed by its own drawing statement, and the arguments of drawing functions
// moved into temporaries. Also assembles the name lists that go with the script.
#pragma once

#include <string>
#include <vector>

#include "index/compiler/ScriptSource.h"
#include "index/frontend/OutputAttributes.h"

class CFormulaSymbols;
class CKeywordTables;

// GBK texts of the script writer's messages: "syntax error", and "function not
// supported" following the spelling of a function that cannot stand where it is.
constexpr const char* kTextSyntaxError = "\xd3\xef\xb7\xa8\xb4\xed\xce\xf3";
constexpr const char* kTextNotSupported = "\xba\xaf\xca\xfd\xb2\xbb\xd6\xa7\xb3\xd6";

class CScriptWriter {
public:
    // The attributes are indexed by output slot. The symbols gain the drawing
    // temporaries as variables.
    CScriptWriter(CFormulaSymbols* pSymbols, const std::vector<COutputAttributes>* pAttributes);

    // vecTokens holds the accepted statements, each ended by a statement-end token,
    // with vecPositions parallel to it; vecSlots gives each statement's output slot
    // (-1 for an assignment). On success pSource holds the script and the lists.
    // False when some token cannot be written: GetMessage and GetMessagePosition
    // tell the first such token, and pSource is left untouched.
    bool Write(const std::vector<int>& vecTokens, const std::vector<int>& vecPositions,
               const std::vector<int>& vecSlots, ScriptSource* pSource);

    const std::string& GetMessage() const { return m_strMessage; }
    int GetMessagePosition() const { return m_nMessagePosition; }

private:
    enum class EMode { Check, Script };

    // One accepted statement: tokens [m_nBegin, m_nEnd) of the whole list.
    struct CRange {
        size_t m_nBegin;
        size_t m_nEnd;
    };

    std::string WriteStatement(const CRange& range, int nSlot, EMode eMode);
    std::string WriteDrawingCall(const CRange& range, int nSlot, EMode eMode);
    void AppendTokens(size_t nBegin, size_t nEnd, std::string& strOut, EMode eMode);
    void AppendToken(size_t nIndex, std::string& strOut, EMode eMode);
    void RefuseToken(size_t nIndex, std::string& strOut);
    std::string WriteOutputDrawing(int nSlot) const;
    std::string WriteOutputName(int nSlot) const;
    std::string WriteColour(int nSlot) const;
    const COutputAttributes& AttributesOf(int nSlot) const;
    void RecordField(int nId);

    CFormulaSymbols* m_pSymbols;
    const std::vector<COutputAttributes>* m_pAttributes;
    const std::vector<int>* m_pTokens = nullptr;
    const std::vector<int>* m_pPositions = nullptr;
    const CKeywordTables* m_pTables = nullptr;  // for the spelling of every token
    std::vector<std::string> m_vecFieldNames;
    int m_nTemporaries = 0;
    std::string m_strMessage;
    int m_nMessagePosition = 0;
};
