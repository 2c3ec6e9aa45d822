// Formula text in, statements of tokens and the first error out. The caller
// drives the reading one statement at a time, so that its own checks of
// statement k run before statement k + 1 is read:
//
//   CFormulaSymbols symbols;
//   CFormulaLexer lexer(&symbols);
//   lexer.Load(text);                        // comments, tabs, letter case
//   symbols.AddParameter(name, value) ...    // parameters see the keywords only
//   CFormulaStatement statement;
//   while (lexer.NextStatement(&statement)) {
//       ... checks; on a fault: lexer.ReportError(statement, code, offset); break;
//       lexer.AcceptStatement(statement);
//   }
//   if (lexer.HasError()) ... lexer.GetError()
//
// The unary zeros are inserted by the first NextStatement, after the parameters.
#pragma once

#include <string>
#include <vector>

#include "index/frontend/FormulaError.h"
#include "index/frontend/FormulaSymbols.h"

class CKeywordTables;

// One statement as read: its tokens and where each starts, relative to the
// statement's first character in the normalised text.
struct CFormulaStatement {
    std::vector<int> m_vecTokens;
    std::vector<int> m_vecOffsets;  // parallel to m_vecTokens
    int m_nStart = 0;               // offset of the first character in the normalised text
    int m_nLength = 0;              // without the ';', with a closing line feed
    int m_nLine = 0;                // line feeds before the first character
    int m_nLineFeed = -1;           // offset of the line feed that ends the previous line
    std::string m_strDefinedName;   // name that this statement defines with ':' or ':='
    int m_nDefinedId = 0;           // its token id, 0 when the statement defines none
    std::vector<int> m_vecParams;   // indexes of the parameters it names, first use first

    void Clear();
};

class CFormulaLexer {
public:
    explicit CFormulaLexer(CFormulaSymbols* pSymbols);

    // Takes a copy of the text, blanks out comments, turns tabs into blanks and
    // lower-cases it. Resets everything the lexer has read before.
    void Load(const std::string& strText);

    // Puts a '0' in front of every sign that has no operand before it. Runs once;
    // NextStatement calls it if the caller has not.
    void InsertUnarySigns();

    // Reads the next statement that has tokens. False at the end of the text or
    // when an error was found (in this statement or reported earlier).
    bool NextStatement(CFormulaStatement* pStatement);

    // Appends the statement's tokens (as the caller left them) and a statement
    // end to the accepted token list; positions become absolute.
    void AcceptStatement(const CFormulaStatement& statement);

    // Reads and accepts every statement without further checks; false on error.
    bool ReadAllStatements();

    // Records an error found at an offset of the statement. The first error of
    // the text is kept; later ones are ignored.
    void ReportError(const CFormulaStatement& statement, int nCode, int nOffset,
                     const std::string& strText = std::string());
    // The same for a position anywhere in the normalised text.
    void ReportErrorAt(int nCode, int nPosition, const std::string& strText = std::string());

    bool HasError() const { return m_error.m_nCode != 0; }
    const CFormulaError& GetError() const { return m_error; }

    const std::string& GetText() const { return m_strText; }
    const std::vector<int>& GetAcceptedTokens() const { return m_vecAcceptedTokens; }
    const std::vector<int>& GetAcceptedPositions() const { return m_vecAcceptedPositions; }

private:
    void TokeniseStatement(CFormulaStatement& statement, int nEnd);
    int ReadNumber(CFormulaStatement& statement, int nPos, int nEnd);
    int ReadName(CFormulaStatement& statement, int nPos, int nEnd);
    int DefineName(CFormulaStatement& statement, const std::string& strName, int nPos, int nColon,
                   int nEnd);
    int ReadString(CFormulaStatement& statement, int nPos, int nEnd);
    int ReadOperator(CFormulaStatement& statement, int nPos, int nEnd);
    int ReadComparison(CFormulaStatement& statement, int nPos, int nEnd);
    int ReadLogical(CFormulaStatement& statement, int nPos, int nEnd);
    void ReadSign(CFormulaStatement& statement, int nPos);
    bool CheckDefinitionPlacement(CFormulaStatement& statement, int nOperator, int nPos);
    void AddToken(CFormulaStatement& statement, int nId, int nPos);
    int CharClassAt(int nPos) const;
    int SkipBlanks(int nPos, int nEnd) const;
    void Fail(const CFormulaStatement& statement, int nCode, int nPos,
              const std::string& strText = std::string());

    CFormulaSymbols* m_pSymbols;
    const CKeywordTables* m_pTables = nullptr;
    std::string m_strText;
    bool m_bSignsInserted = false;
    int m_nNextStart = 0;  // where the next statement begins
    int m_nLine = 0;       // line feeds before m_nNextStart
    int m_nLineFeed = -1;  // last line feed before m_nNextStart
    CFormulaError m_error;
    std::vector<int> m_vecAcceptedTokens;
    std::vector<int> m_vecAcceptedPositions;
};
