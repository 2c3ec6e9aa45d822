// The back end of the formula front end: compiles the internal statement script into
// a CCalculateInfo. A hand-written scanner feeds an operator-precedence expression
// compiler (an operand and an operator stack) and a small recursive descent for
// calls, references and subscripts. Nothing is evaluated here; the compiler builds
// trees and tables and checks argument counts against the function table.
#pragma once

#include <string>
#include <vector>

#include "index/compiler/CompiledFormula.h"
#include "index/compiler/ScriptCharsets.h"
#include "index/compiler/ScriptSource.h"

// Deepest expression tree, and deepest nesting of parentheses, calls and subscripts,
// that a formula may have. The evaluator walks a tree recursively, a few stack frames
// per level, on whatever thread the host calculates on; 256 levels stay well inside
// even a small thread stack. Operator chains build left-deep trees, so a sum of n
// terms is n - 1 levels deep: 256 still allows sums far longer than people write.
constexpr int MAX_EXPRESSION_DEPTH = 256;

// Most arguments one call or reference node may carry, counting the function id, the
// state slots, the name and the subscript that the compiler puts in front.
constexpr int MAX_CALL_ARGUMENTS = 100;

class COperandList;

class CScriptCompiler {
public:
    CScriptCompiler() = default;
    virtual ~CScriptCompiler() = default;
    CScriptCompiler(const CScriptCompiler&) = delete;
    CScriptCompiler& operator=(const CScriptCompiler&) = delete;

    // COMPILE_OK, or COMPILE_ERROR for any syntax or semantic error and for null
    // pointers; nothing is thrown. Statements completed before a failure stay in
    // pInfo. The failing one is released; what it already handed to pInfo (reference
    // nodes, strings, flags) stays there and is released with pInfo.
    int Compile(const ScriptSource* pFrontEnd, CCalculateInfo* pInfo);

    // Where compilation stopped, for the front end's error report: the index of the
    // next unread character of the trimmed, upper-cased script, and the number of
    // line feeds passed before it.
    int m_nPos = 0;
    int m_nLine = 0;

private:
    // Outcomes between the parsing routines; they never leave Compile.
    static constexpr int COMPILE_NOT_ASSIGNMENT = 5002;  // no target: an expression statement
    static constexpr int COMPILE_DRAW_STATEMENT = 5006;  // a drawing call took the statement

    struct ScannerState {
        int nPos;
        int nTokenStart;
        int nLine;
        char cCur;
        std::string strToken;
    };

    // Scanner. Character classes of the script: names take ASCII letters, "_", "."
    // and every byte from 0x80 up (names in the client's code page), then digits.
    static bool IsIdentifierChar(char c) { return HasScriptCharClass(c, SCRIPT_CHAR_NAME); }
    static bool IsDigitChar(char c) { return HasScriptCharClass(c, SCRIPT_CHAR_DIGIT); }
    static bool IsOperatorChar(char c) { return HasScriptCharClass(c, SCRIPT_CHAR_OPERATOR); }
    bool SkipBlanks();
    bool ReadIdentifier();
    int ReadOperator();
    int ReadNumber(float& fValue);
    int ReadStringLiteral();
    ScannerState SaveScanner() const;
    void RestoreScanner(const ScannerState& state);

    // Parser. Every routine that produces an operand also reports the depth of the
    // tree below it, so that no formula can outgrow MAX_EXPRESSION_DEPTH.
    int LoadScript();
    int CompileStatements();
    int CompileAssignmentTarget(Statement& statement);
    int CompileExpression(Operand& result, int& nDepth);
    int CompileOperand(Operand& operand, int& nDepth, bool bFirstOperand, bool bLaterArgument,
                       bool& bNoOperand);
    int CompileName(Operand& operand, int& nDepth, bool bFirstOperand);
    int CompileArgumentList(COperandList& args, bool bDropEmpty);
    // The token has been looked up already: it is entry nIndex of list nListKind.
    int CompileReference(ExprNode*& pNode, int& nDepth, uint32_t nListKind, int nIndex);
    int CompileCall(Operand& result, int& nDepth);
    int CompileCall(Operand& result, int& nDepth, int nFunction);
    int InsertAutoVariable(ExprNode* pCallNode);
    int CompileDrawStatement();

    // Name resolution against the upper-cased lists.
    bool FindSeriesName(const std::string& strName, uint32_t& nListKind, int& nIndex) const;
    int EnterDrawParameter(int nParamIndex);
    bool IsVolatileSeries(uint32_t nListKind, int nIndex) const;
    std::vector<ExprNode*>& CurrentRefList();

    CCalculateInfo* m_pInfo = nullptr;
    const ScriptSource* m_pFrontEnd = nullptr;
    int m_nTokenStart = 0;
    char m_cCur = '\0';  // NUL once the text is used up: no rule accepts it
    std::string m_strToken;
    std::string m_strText;
    int m_nLength = 0;
    std::vector<std::string> m_vecParamNames;
    std::vector<float> m_vecParamValues;
    std::vector<std::string> m_vecVariableNames;
    std::vector<std::string> m_vecFieldNames;
    std::vector<std::string> m_vecOutputNames;
    int m_nAutoVariables = 0;
    bool m_bDrawMode = false;
    bool m_bVolatile = false;
    int m_nNesting = 0;  // CompileExpression calls currently open
};
