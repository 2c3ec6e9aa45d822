#include "index/compiler/CScriptCompiler.h"

#include <algorithm>
#include <climits>

#include "drawinfo/NamedConstants.h"
#include "index/compiler/DataFieldIds.h"
#include "index/compiler/FunctionTable.h"
#include "index/compiler/OperandList.h"
#include "index/compiler/ScriptOperators.h"

namespace {

Operand MakeOperand(uint32_t nType, int64_t value) {
    Operand operand;
    operand.type = nType;
    operand.value = value;
    return operand;
}

// Hands an owned node to the list that keeps it and returns its index there.
int64_t AppendNode(std::vector<ExprNode*>& vecList, NodeHolder& pNode) {
    vecList.push_back(pNode.get());
    pNode.release();
    return static_cast<int64_t>(vecList.size() - 1);
}

std::string ToUpperAscii(std::string strText) {
    for (char& c : strText) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return strText;
}

std::vector<std::string> ToUpperAscii(const std::vector<std::string>& vecNames) {
    std::vector<std::string> vecUpper;
    vecUpper.reserve(vecNames.size());
    for (const std::string& strName : vecNames) vecUpper.push_back(ToUpperAscii(strName));
    return vecUpper;
}

int FindName(const std::vector<std::string>& vecNames, const std::string& strName) {
    const auto it = std::find(vecNames.begin(), vecNames.end(), strName);
    return it == vecNames.end() ? -1 : static_cast<int>(it - vecNames.begin());
}

bool IsOperatorKind(uint32_t nKind) {
    return nKind <= NodeKind::NotEqual || nKind == NodeKind::Caret;
}

bool IsCallKind(uint32_t nKind) {
    return nKind == NodeKind::Call || nKind == NodeKind::StatefulCall;
}

// Call arguments of a reference stand for parameter values (an output drawn with its
// parameters), so they are numbers, parameters and arithmetic over them. Recursion is
// bounded by the depth limit every tree obeys.
bool IsValidReferenceArgument(uint32_t nType, int64_t value) {
    if (nType == OperandType::Number || nType == OperandType::Parameter) return true;
    if (nType != OperandType::Node) return false;
    const ExprNode* pNode = ReadNodePointer(value);
    if (pNode == nullptr) return false;
    if (pNode->nKind == NodeKind::Unary) {
        return pNode->nArgs >= 1 && IsValidReferenceArgument(pNode->pTypes[0], pNode->pValues[0]);
    }
    return IsOperatorKind(pNode->nKind) && pNode->nArgs == 2 &&
           IsValidReferenceArgument(pNode->pTypes[0], pNode->pValues[0]) &&
           IsValidReferenceArgument(pNode->pTypes[1], pNode->pValues[1]);
}

// The draw stage evaluates drawing arguments itself. Calls that keep a hidden result
// series belong in ordinary statements, which a drawing statement names through a
// variable (the front end writes such arguments into temporaries).
bool IsValidDrawArgument(uint32_t nType, int64_t value) {
    switch (nType) {
        case OperandType::Number:
        case OperandType::Parameter:
        case OperandType::FunctionId:
        case OperandType::StateSlots:
        case OperandType::String:
        case OperandType::Reference:
            return true;
        case OperandType::Node:
            break;
        default:
            return false;
    }
    const ExprNode* pNode = ReadNodePointer(value);
    if (pNode == nullptr) return false;
    const bool bCall = IsCallKind(pNode->nKind);
    if (!bCall && !IsOperatorKind(pNode->nKind) && pNode->nKind != NodeKind::Unary) return false;
    if (bCall && pNode->nArgs >= 1 && pNode->pTypes[0] == OperandType::FunctionId &&
        FunctionHasAutoVariable(pNode->pValues[0])) {
        return false;
    }
    for (uint32_t i = 0; i < pNode->nArgs; ++i) {
        if (!IsValidDrawArgument(pNode->pTypes[i], pNode->pValues[i])) return false;
    }
    return true;
}

bool IsValidDrawStatement(const Statement& statement) {
    if (statement.nRole != STATEMENT_ROLE_DRAW || statement.typeA != OperandType::Number ||
        statement.typeB != OperandType::Node) {
        return false;
    }
    const ExprNode* pCall = ReadNodePointer(statement.valueB);
    if (pCall == nullptr || pCall->nKind != NodeKind::Call || pCall->nArgs < 1 ||
        pCall->pTypes[0] != OperandType::FunctionId) {
        return false;
    }
    if (static_cast<int64_t>(pCall->nArgs) - 1 < FunctionArgCount(pCall->pValues[0])) return false;
    for (uint32_t i = 1; i < pCall->nArgs; ++i) {
        if (!IsValidDrawArgument(pCall->pTypes[i], pCall->pValues[i])) return false;
    }
    return true;
}

// Counts the CompileExpression calls open at once: parentheses, call arguments and
// subscripts recurse without necessarily deepening the tree.
class CNestingGuard {
public:
    explicit CNestingGuard(int* pCount) : m_pCount(pCount) { ++*m_pCount; }
    ~CNestingGuard() { --*m_pCount; }
    CNestingGuard(const CNestingGuard&) = delete;
    CNestingGuard& operator=(const CNestingGuard&) = delete;
    bool IsTooDeep() const { return *m_pCount > MAX_EXPRESSION_DEPTH; }

private:
    int* m_pCount;
};

// Sets a value for a scope and puts the old one back however the scope is left.
template <typename T>
class CScopedValue {
public:
    CScopedValue(T* pTarget, T newValue) : m_pTarget(pTarget), m_savedValue(*pTarget) {
        *m_pTarget = newValue;
    }
    ~CScopedValue() { *m_pTarget = m_savedValue; }
    CScopedValue(const CScopedValue&) = delete;
    CScopedValue& operator=(const CScopedValue&) = delete;

private:
    T* m_pTarget;
    T m_savedValue;
};

}  // namespace

int CScriptCompiler::Compile(const ScriptSource* pFrontEnd, CCalculateInfo* pInfo) {
    m_pFrontEnd = pFrontEnd;
    m_pInfo = pInfo;
    m_nPos = 0;
    m_nTokenStart = 0;
    m_nLine = 0;
    m_cCur = '\0';
    m_strToken.clear();
    m_strText.clear();
    m_nLength = 0;
    m_vecParamNames.clear();
    m_vecParamValues.clear();
    m_vecVariableNames.clear();
    m_vecFieldNames.clear();
    m_vecOutputNames.clear();
    m_nAutoVariables = 0;
    m_bDrawMode = false;
    m_bVolatile = false;
    m_nNesting = 0;
    if (pFrontEnd == nullptr || pInfo == nullptr) return COMPILE_ERROR;
    try {
        if (LoadScript() != COMPILE_OK) return COMPILE_ERROR;
        return CompileStatements() == COMPILE_OK ? COMPILE_OK : COMPILE_ERROR;
    } catch (...) {
        // Only allocation can fail this way; every partial tree had an owner and has
        // been released on the way out.
        return COMPILE_ERROR;
    }
}

int CScriptCompiler::LoadScript() {
    const ScriptSource& source = *m_pFrontEnd;
    // Parameters are looked up by name and read by index: a name without a value
    // would leave a Parameter operand pointing past the value list.
    if (source.vecParamNames.size() != source.vecParamValues.size()) return COMPILE_ERROR;
    if (source.strScript.size() > static_cast<size_t>(INT_MAX)) return COMPILE_ERROR;

    // Only blanks are trimmed in front, and at the end blanks, then line feeds, then
    // carriage returns: a script ending in a tab, or in a blank before its final
    // CR LF, keeps a character after its last ";" and fails.
    m_strText = ToUpperAscii(source.strScript);
    const size_t nFirst = m_strText.find_first_not_of(' ');
    m_strText.erase(0, nFirst == std::string::npos ? m_strText.size() : nFirst);
    for (const char cTrailing : {' ', '\n', '\r'}) {
        while (!m_strText.empty() && m_strText.back() == cTrailing) m_strText.pop_back();
    }
    m_nLength = static_cast<int>(m_strText.size());

    m_vecParamNames = ToUpperAscii(source.vecParamNames);
    m_vecParamValues = source.vecParamValues;
    m_vecVariableNames = ToUpperAscii(source.vecVariableNames);
    m_vecFieldNames = ToUpperAscii(source.vecFieldNames);
    m_vecOutputNames = ToUpperAscii(source.vecOutputNames);
    m_pInfo->m_vecParamValues.insert(m_pInfo->m_vecParamValues.end(), m_vecParamValues.begin(),
                                     m_vecParamValues.end());
    m_pInfo->m_vecFieldIds.clear();
    for (const std::string& strField : m_vecFieldNames) {
        m_pInfo->m_vecFieldIds.push_back(FindDataFieldId(strField));
    }
    // Series numbers: the variables first, then state slots and auto variables as
    // calls ask for them.
    m_pInfo->m_nSeriesSlots = static_cast<int>(m_vecVariableNames.size());
    m_nLine = 0;
    return COMPILE_OK;
}

// script := { statement ';' }
// statement := target '=' expression | expression | drawcall
int CScriptCompiler::CompileStatements() {
    while (m_nPos < m_nLength) {
        const ScannerState saved = SaveScanner();
        if (!SkipBlanks()) return COMPILE_ERROR;
        StatementHolder pStatement(AllocateStatement());
        if (pStatement == nullptr) return COMPILE_ERROR;
        Operand expression;
        int nDepth = 0;
        if (IsIdentifierChar(m_cCur)) {
            ReadIdentifier();
            int nStatus = CompileAssignmentTarget(*pStatement);
            if (nStatus == COMPILE_NOT_ASSIGNMENT) {
                // Not a target after all: read the same text again as an expression.
                RestoreScanner(saved);
            } else if (nStatus != COMPILE_OK) {
                return COMPILE_ERROR;
            }
            const bool bAssignment = pStatement->typeA == OperandType::Reference;
            if (bAssignment != (m_cCur == '=')) return COMPILE_ERROR;
            m_bVolatile = false;
            nStatus = CompileExpression(expression, nDepth);
            // The drawing call is compiled and kept; the statement around it is
            // dropped, and the drawing call's closing ")" has already been followed
            // by its terminator.
            if (nStatus == COMPILE_DRAW_STATEMENT) continue;
            if (nStatus != COMPILE_OK) return COMPILE_ERROR;
        } else if (m_cCur == '(' || m_cCur == '-' || IsDigitChar(m_cCur)) {
            --m_nPos;  // let the expression read this character again
            if (CompileExpression(expression, nDepth) != COMPILE_OK) return COMPILE_ERROR;
        } else {
            return COMPILE_ERROR;
        }
        pStatement->typeB = expression.type;
        pStatement->valueB = expression.value;
        if (expression.type == OperandType::Empty || m_cCur != ';') return COMPILE_ERROR;
        if (pStatement->typeA == OperandType::Reference && m_bVolatile) {
            const ExprNode* pTarget =
                m_pInfo->m_vecRefNodes[static_cast<size_t>(pStatement->valueA)];
            if (pTarget->pTypes[0] == RefListKind::Output) {
                m_pInfo->m_setVolatileOutputs.insert(pTarget->pValues[0]);
            } else {
                m_pInfo->m_setVolatileVariables.insert(pTarget->pValues[0]);
            }
        }
        m_pInfo->m_vecStatements.push_back(pStatement.get());
        pStatement.release();
    }
    return COMPILE_OK;
}

// target := (output | variable) ['[' expression ']'] , followed by '='
int CScriptCompiler::CompileAssignmentTarget(Statement& statement) {
    if (m_bDrawMode) return COMPILE_ERROR;
    if (FindName(m_vecParamNames, m_strToken) >= 0 || FindName(m_vecFieldNames, m_strToken) >= 0) {
        return COMPILE_ERROR;
    }
    // In the order of FindSeriesName, which would find the same.
    uint32_t nListKind = RefListKind::Output;
    int nIndex = FindName(m_vecOutputNames, m_strToken);
    if (nIndex < 0) {
        nListKind = RefListKind::Variable;
        nIndex = FindName(m_vecVariableNames, m_strToken);
    }
    if (nIndex < 0) return COMPILE_NOT_ASSIGNMENT;
    ExprNode* pNode = nullptr;
    int nDepth = 0;
    if (CompileReference(pNode, nDepth, nListKind, nIndex) != COMPILE_OK) return COMPILE_ERROR;
    NodeHolder pTarget(pNode);
    if (m_cCur != '=') return COMPILE_NOT_ASSIGNMENT;
    // A statement assigns a whole series. A written subscript must be the plain 0
    // (any other value word, including a parameter or string whose index happens to
    // be 0, names something else).
    const uint32_t nSubscriptType = pTarget->pTypes[1];
    if ((nSubscriptType != OperandType::Number && nSubscriptType != OperandType::Empty) ||
        pTarget->pValues[1] != 0) {
        return COMPILE_ERROR;
    }
    statement.typeA = OperandType::Reference;
    statement.valueA = AppendNode(m_pInfo->m_vecRefNodes, pTarget);
    return COMPILE_OK;
}

// expression := operand { operator operand }
int CScriptCompiler::CompileExpression(Operand& result, int& nDepth) {
    result = Operand();
    nDepth = 0;
    const CNestingGuard nesting(&m_nNesting);
    if (nesting.IsTooDeep()) return COMPILE_ERROR;
    // A later argument of a call must not be empty; a first one may be, as in F().
    const bool bLaterArgument = m_cCur == ',';
    SkipBlanks();

    COperandList operands;
    // Codes of strictly rising level: never more than there are levels.
    int arrOperators[SCRIPT_OPERATOR_LEVELS];
    int nOperators = 0;
    // Pops the top operator into a node over the two top operands.
    const auto ReduceTop = [&operands, &arrOperators, &nOperators]() {
        const int nTop = arrOperators[--nOperators];
        return operands.CombineTop(kScriptOperators[nTop].nNodeKind, MAX_EXPRESSION_DEPTH);
    };
    for (bool bFirstOperand = true;; bFirstOperand = false) {
        Operand operand;
        int nOperandDepth = 0;
        bool bNoOperand = false;
        const int nStatus =
            CompileOperand(operand, nOperandDepth, bFirstOperand, bLaterArgument, bNoOperand);
        if (nStatus != COMPILE_OK) return nStatus;
        operands.Push(operand, nOperandDepth);
        if (bNoOperand || !IsOperatorChar(m_cCur)) break;

        const int nCode = ReadOperator();
        if (nCode == 0) return COMPILE_ERROR;
        while (nOperators > 0 && kScriptOperators[arrOperators[nOperators - 1]].nLevel >=
                                     kScriptOperators[nCode].nLevel) {
            if (ReduceTop() != COMPILE_OK) return COMPILE_ERROR;
        }
        arrOperators[nOperators++] = nCode;
        SkipBlanks();
    }
    while (nOperators > 0) {
        if (ReduceTop() != COMPILE_OK) return COMPILE_ERROR;
    }
    if (operands.Size() != 1) return COMPILE_ERROR;
    result = operands.Pop(nDepth);
    return COMPILE_OK;
}

// operand := number | string { string } | '(' expression ')' | name
// A character that starts none of them leaves an Empty operand and ends the expression.
int CScriptCompiler::CompileOperand(Operand& operand, int& nDepth, bool bFirstOperand,
                                    bool bLaterArgument, bool& bNoOperand) {
    if (IsDigitChar(m_cCur) || m_cCur == '-') {
        float fValue = 0.0f;
        if (ReadNumber(fValue) != COMPILE_OK) return COMPILE_ERROR;
        operand = MakeNumberOperand(fValue);
        return COMPILE_OK;
    }
    if (m_cCur == '"') {
        if (ReadStringLiteral() != COMPILE_OK || m_pInfo->m_vecStrings.empty()) {
            return COMPILE_ERROR;
        }
        operand = MakeOperand(OperandType::String,
                              static_cast<int64_t>(m_pInfo->m_vecStrings.size() - 1));
        return COMPILE_OK;
    }
    if (m_cCur == '(') {
        const int nStatus = CompileExpression(operand, nDepth);
        if (nStatus != COMPILE_OK) return nStatus;
        if (m_cCur != ')' || !SkipBlanks()) {
            ReleaseOperandTree(operand);
            operand = Operand();
            return COMPILE_ERROR;
        }
        return COMPILE_OK;
    }
    if (IsIdentifierChar(m_cCur)) {
        ReadIdentifier();
        return CompileName(operand, nDepth, bFirstOperand);
    }
    bNoOperand = true;
    return bLaterArgument ? COMPILE_ERROR : COMPILE_OK;
}

// name := parameter | constant | reference | call | drawcall
int CScriptCompiler::CompileName(Operand& operand, int& nDepth, bool bFirstOperand) {
    const int nParam = FindName(m_vecParamNames, m_strToken);
    if (nParam >= 0) {
        const int nIndex = m_bDrawMode ? EnterDrawParameter(nParam) : nParam;
        operand = MakeOperand(OperandType::Parameter, nIndex);
        SkipBlanks();
        return COMPILE_OK;
    }
    uint32_t nCode = 0;
    if (FindNamedConstant(m_strToken, &nCode)) {
        operand = MakeConstantOperand(nCode);
        SkipBlanks();
        return COMPILE_OK;
    }
    uint32_t nListKind = 0;
    int nListIndex = -1;
    if (FindSeriesName(m_strToken, nListKind, nListIndex)) {
        ExprNode* pNode = nullptr;
        if (CompileReference(pNode, nDepth, nListKind, nListIndex) != COMPILE_OK) {
            return COMPILE_ERROR;
        }
        NodeHolder pRef(pNode);
        operand = MakeOperand(OperandType::Reference, AppendNode(CurrentRefList(), pRef));
        if (IsVolatileSeries(nListKind, nListIndex)) m_bVolatile = true;
        return COMPILE_OK;
    }
    const int nFunction = FindFunctionByName(m_strToken);
    const FunctionDescriptor* pEntry = GetFunctionDescriptor(nFunction);
    if (pEntry == nullptr) return COMPILE_ERROR;
    if (pEntry->nFlags & FF_DRAW) {
        // A drawing call is a statement of its own: it must open its expression and
        // cannot sit inside another drawing call.
        if (m_bDrawMode || !bFirstOperand) return COMPILE_ERROR;
        return CompileDrawStatement() == COMPILE_OK ? COMPILE_DRAW_STATEMENT : COMPILE_ERROR;
    }
    const int nStatus = CompileCall(operand, nDepth, nFunction);
    if (nStatus == COMPILE_OK && FunctionIsVolatile(nFunction)) m_bVolatile = true;
    return nStatus;
}

// arguments := '(' [expression] { ',' expression } ')'
// Entered on the "(", left on the ")". The list may already hold the operands the
// compiler puts in front; they count towards MAX_CALL_ARGUMENTS.
int CScriptCompiler::CompileArgumentList(COperandList& args, bool bDropEmpty) {
    for (;;) {
        Operand arg;
        int nDepth = 0;
        const int nStatus = CompileExpression(arg, nDepth);
        if (nStatus != COMPILE_OK) return nStatus;
        if (!bDropEmpty || arg.type != OperandType::Empty) {
            if (args.Size() >= static_cast<size_t>(MAX_CALL_ARGUMENTS)) {
                ReleaseOperandTree(arg);
                return COMPILE_ERROR;
            }
            args.Push(arg, nDepth);
        }
        if (m_cCur == ')') return COMPILE_OK;
        if (m_cCur != ',') return COMPILE_ERROR;
    }
}

// reference := series ['[' expression ']'] ['(' expression { ',' expression } ')']
int CScriptCompiler::CompileReference(ExprNode*& pNode, int& nDepth, uint32_t nListKind,
                                      int nIndex) {
    pNode = nullptr;
    nDepth = 0;
    COperandList args;
    args.Push(MakeOperand(nListKind, nIndex), 0);
    SkipBlanks();

    // A status other than success, a drawing call included, is an error here: a
    // drawing statement cannot hide inside a reference.
    if (m_cCur == '[') {
        Operand subscript;
        int nSubscriptDepth = 0;
        if (CompileExpression(subscript, nSubscriptDepth) != COMPILE_OK) return COMPILE_ERROR;
        args.Push(subscript, nSubscriptDepth);
        if (m_cCur != ']') return COMPILE_ERROR;
        SkipBlanks();
        if (m_bDrawMode && subscript.type != OperandType::Number &&
            subscript.type != OperandType::Parameter) {
            return COMPILE_ERROR;
        }
    } else {
        args.Push(MakeNumberOperand(0.0f), 0);
    }
    if (m_cCur == '(') {
        if (CompileArgumentList(args, false) != COMPILE_OK) return COMPILE_ERROR;
        SkipBlanks();
    }

    // Inside a drawing statement an output is named with one value per formula
    // parameter, the variant to draw; elsewhere outputs and variables stand alone.
    const size_t nCallArgs = args.Size() - 2;
    if (nListKind == RefListKind::Output) {
        if (nCallArgs != (m_bDrawMode ? m_vecParamNames.size() : 0)) return COMPILE_ERROR;
    } else if (nListKind == RefListKind::Variable && nCallArgs != 0) {
        return COMPILE_ERROR;
    }
    for (size_t i = 2; i < args.Size(); ++i) {
        if (!IsValidReferenceArgument(args.At(i).type, args.At(i).value)) return COMPILE_ERROR;
    }
    nDepth = args.MaxDepth() + 1;
    if (nDepth > MAX_EXPRESSION_DEPTH) return COMPILE_ERROR;
    pNode = args.MoveIntoNode(NodeKind::Reference);
    return pNode != nullptr ? COMPILE_OK : COMPILE_ERROR;
}

// call := function ['(' [expression] { ',' expression } ')']
int CScriptCompiler::CompileCall(Operand& result, int& nDepth) {
    return CompileCall(result, nDepth, FindFunctionByName(m_strToken));
}

int CScriptCompiler::CompileCall(Operand& result, int& nDepth, int nFunction) {
    result = Operand();
    nDepth = 0;
    const FunctionDescriptor* pEntry = GetFunctionDescriptor(nFunction);
    if (pEntry == nullptr) return COMPILE_ERROR;
    if (pEntry->nFlags & FF_LONG_HISTORY) m_pInfo->m_bLongHistory = true;
    if (pEntry->nFlags & FF_FUTURE) m_pInfo->m_bFutureData = true;
    if (pEntry->nFlags & FF_VOLATILE) m_pInfo->m_bVolatile = true;

    COperandList args;
    args.Push(MakeOperand(OperandType::FunctionId, pEntry->nId), 0);
    // The node kind follows the slots actually allocated, so a StatefulCall always
    // carries its slot pair at position 1.
    const int nSlotCount = StateSlotCount(nFunction);
    if (nSlotCount > 0) {
        uint32_t arrSlots[2] = {NO_SECOND_STATE_SLOT, NO_SECOND_STATE_SLOT};
        for (int i = 0; i < nSlotCount; ++i) {
            // Slot numbers are packed into 16 bits, and 0xFFFF means "none".
            if (m_pInfo->m_nSeriesSlots < 0 ||
                m_pInfo->m_nSeriesSlots + 1 >= static_cast<int>(NO_SECOND_STATE_SLOT)) {
                return COMPILE_ERROR;
            }
            arrSlots[i] = static_cast<uint32_t>(m_pInfo->m_nSeriesSlots + 1);
            ++m_pInfo->m_nSeriesSlots;
        }
        const uint32_t nPacked = PackStateSlots(arrSlots[0], arrSlots[1]);
        args.Push(MakeOperand(OperandType::StateSlots, nPacked), 0);
        if (FunctionIsVolatile(nFunction)) m_pInfo->m_setVolatileSlots.insert(nPacked);
    }

    if (!SkipBlanks()) return COMPILE_ERROR;
    if (m_cCur == '(') {
        // A drawing call found in an argument passes through unchanged: the
        // statement it ends is dropped.
        const int nStatus = CompileArgumentList(args, true);
        if (nStatus != COMPILE_OK) return nStatus;
        if (!SkipBlanks()) return COMPILE_ERROR;
    }
    nDepth = args.MaxDepth() + 1;
    if (nDepth > MAX_EXPRESSION_DEPTH) return COMPILE_ERROR;
    const bool bStateful = nSlotCount > 0;
    NodeHolder pCall(args.MoveIntoNode(bStateful ? NodeKind::StatefulCall : NodeKind::Call));
    if (pCall == nullptr) return COMPILE_ERROR;

    if (CheckArguments(pCall.get(), CurrentRefList()) != COMPILE_OK) {
        // Functions with a hidden result series are written without it; one argument
        // short of the table count is exactly that case.
        const int64_t nExpected = FunctionArgCount(pEntry->nId) + (bStateful ? 1 : 0);
        if (!FunctionHasAutoVariable(pEntry->nId) ||
            static_cast<int64_t>(pCall->nArgs) != nExpected) {
            return COMPILE_ERROR;
        }
        if (InsertAutoVariable(pCall.get()) != COMPILE_OK) return COMPILE_ERROR;
        if (CheckArgumentsA(pCall.get(), CurrentRefList()) != COMPILE_OK) return COMPILE_ERROR;
    }
    result = MakeNodeOperand(pCall.release());
    return COMPILE_OK;
}

// Gives a call its hidden result series as argument 1: a new variable numbered after
// the formula's own variables and the auto variables made so far.
int CScriptCompiler::InsertAutoVariable(ExprNode* pCallNode) {
    NodeHolder pAuto(AllocateNode(NodeKind::Reference, 2));
    if (pAuto == nullptr) return COMPILE_ERROR;
    const int64_t nVariable = static_cast<int64_t>(m_vecVariableNames.size()) + m_nAutoVariables;
    SetNodeArgument(pAuto.get(), 0, MakeOperand(RefListKind::Variable, nVariable));
    SetNodeArgument(pAuto.get(), 1, MakeNumberOperand(0.0f));
    std::vector<ExprNode*>& vecRefs = CurrentRefList();
    vecRefs.push_back(pAuto.get());
    const Operand ref =
        MakeOperand(OperandType::Reference, static_cast<int64_t>(vecRefs.size() - 1));
    if (!InsertNodeArgument(pCallNode, 1, ref)) {
        vecRefs.pop_back();
        return COMPILE_ERROR;
    }
    pAuto.release();
    ++m_nAutoVariables;
    ++m_pInfo->m_nSeriesSlots;
    return COMPILE_OK;
}

// drawcall := drawfunction ['(' expression { ',' expression } ')']
int CScriptCompiler::CompileDrawStatement() {
    StatementHolder pStatement(AllocateStatement());
    if (pStatement == nullptr) return COMPILE_ERROR;
    pStatement->nRole = STATEMENT_ROLE_DRAW;
    Operand call;
    int nUsedSlots = 0;
    {
        // A drawing statement numbers the state slots of its calls from 0 and records
        // how many it used; the formula's own count resumes afterwards.
        const CScopedValue<bool> drawMode(&m_bDrawMode, true);
        const CScopedValue<int> slots(&m_pInfo->m_nSeriesSlots, 0);
        int nDepth = 0;
        const int nStatus = CompileCall(call, nDepth);
        if (nStatus != COMPILE_OK) return COMPILE_ERROR;
        nUsedSlots = m_pInfo->m_nSeriesSlots;
    }
    pStatement->typeB = call.type;
    pStatement->valueB = call.value;
    pStatement->typeA = OperandType::Number;
    pStatement->valueA = nUsedSlots;
    if (!IsValidDrawStatement(*pStatement)) return COMPILE_ERROR;
    m_pInfo->m_vecDrawStatements.push_back(pStatement.get());
    pStatement.release();
    return COMPILE_OK;
}

// Series names are looked up as data fields, then outputs, then variables.
bool CScriptCompiler::FindSeriesName(const std::string& strName, uint32_t& nListKind,
                                     int& nIndex) const {
    const struct {
        const std::vector<std::string>* pNames;
        uint32_t nKind;
    } arrLists[] = {
        {&m_vecFieldNames, RefListKind::Field},
        {&m_vecOutputNames, RefListKind::Output},
        {&m_vecVariableNames, RefListKind::Variable},
    };
    for (const auto& list : arrLists) {
        nIndex = FindName(*list.pNames, strName);
        if (nIndex >= 0) {
            nListKind = list.nKind;
            return true;
        }
    }
    return false;
}

// Drawing statements read their parameters from a list of their own, one entry per
// parameter name however often it is used.
int CScriptCompiler::EnterDrawParameter(int nParamIndex) {
    const std::string& strName = m_vecParamNames[static_cast<size_t>(nParamIndex)];
    std::vector<std::string>& vecNames = m_pInfo->m_vecDrawParamNames;
    std::vector<float>& vecValues = m_pInfo->m_vecDrawParamValues;
    const int nExisting = FindName(vecNames, strName);
    if (nExisting >= 0) return nExisting;
    vecNames.push_back(strName);
    try {
        vecValues.push_back(m_vecParamValues[static_cast<size_t>(nParamIndex)]);
    } catch (...) {
        vecNames.pop_back();  // the two lists always have the same length
        throw;
    }
    return static_cast<int>(vecNames.size() - 1);
}

bool CScriptCompiler::IsVolatileSeries(uint32_t nListKind, int nIndex) const {
    if (nListKind == RefListKind::Output) return m_pInfo->m_setVolatileOutputs.count(nIndex) != 0;
    if (nListKind == RefListKind::Variable) {
        return m_pInfo->m_setVolatileVariables.count(nIndex) != 0;
    }
    return false;
}

std::vector<ExprNode*>& CScriptCompiler::CurrentRefList() {
    return m_bDrawMode ? m_pInfo->m_vecDrawRefNodes : m_pInfo->m_vecRefNodes;
}
