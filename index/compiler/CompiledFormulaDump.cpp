#include "index/compiler/CompiledFormulaDump.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "index/compiler/FunctionTable.h"

namespace {

// Far deeper than any tree worth reading in one line; it also stops a corrupt
// reference that names itself in its own subscript.
constexpr int kMaxDumpDepth = 200;

const char* const s_arrNodeKindNames[] = {
    "Add",     "Sub",       "Mul",   "Div",          "And",       "Or",
    "Greater", "Less",      "Equal", "GreaterEqual", "LessEqual", "NotEqual",
    "Unary",   "Reference", "Call",  "StatefulCall", "Caret",
};
static_assert(sizeof s_arrNodeKindNames / sizeof s_arrNodeKindNames[0] == NodeKind::Caret + 1,
              "one name per node kind");

std::string FormatInteger(int64_t nValue) {
    return std::to_string(nValue);
}

std::string FormatHex32(uint32_t nValue) {
    char szBuffer[16];
    std::snprintf(szBuffer, sizeof szBuffer, "0x%08X", static_cast<unsigned>(nValue));
    return szBuffer;
}

// The shortest text that reads back as the same float.
std::string FormatFloat(float fValue) {
    char szBuffer[48];
    for (int nPrecision = 6; nPrecision <= 9; ++nPrecision) {
        std::snprintf(szBuffer, sizeof szBuffer, "%.*g", nPrecision, static_cast<double>(fValue));
        if (std::strtof(szBuffer, nullptr) == fValue) break;
    }
    return szBuffer;
}

// A Number operand holds either a literal's float bits or a named-constant code,
// and the operand does not say which. Codes carry a small family byte on top, so as
// floats they are denormal or vanishingly small; no formula literal is.
std::string FormatNumber(int64_t value) {
    const float fValue = ReadNumberFloat(value);
    const bool bLooksLikeCode =
        !std::isfinite(fValue) || (fValue != 0.0f && std::fabs(fValue) < 1e-30f);
    return bLooksLikeCode ? FormatHex32(ReadNumberCode(value)) : FormatFloat(fValue);
}

const char* ListKindName(uint32_t nKind) {
    switch (nKind) {
        case RefListKind::Field:
            return "field";
        case RefListKind::Output:
            return "output";
        case RefListKind::Variable:
            return "var";
        default:
            return nullptr;
    }
}

class CFormulaDumper {
public:
    CFormulaDumper(const CCalculateInfo* pInfo, bool bDrawRefs)
        : m_pInfo(pInfo), m_bDrawRefs(bDrawRefs) {}

    std::string DumpOperand(uint32_t nType, int64_t value, int nDepth) const {
        if (nDepth > kMaxDumpDepth) return "...";
        switch (nType) {
            case OperandType::Empty:
                return "Empty";
            case OperandType::Number:
                return "Number " + FormatNumber(value);
            case OperandType::Parameter:
                return "Param " + FormatInteger(value);
            case OperandType::Node:
                return DumpNode(ReadNodePointer(value), nDepth + 1);
            case OperandType::FunctionId:
                return "Func " + FormatInteger(value);
            case OperandType::StateSlots:
                return "State " + DumpStateSlots(value);
            case OperandType::String:
                return "String " + DumpString(value);
            case OperandType::Reference:
                return "Ref " + DumpReference(value, nDepth + 1);
            default:
                return "Type" + FormatInteger(nType) + " " + FormatInteger(value);
        }
    }

    std::string DumpNode(const ExprNode* pNode, int nDepth) const {
        if (pNode == nullptr) return "null";
        if (nDepth > kMaxDumpDepth) return "...";
        if (pNode->nKind == NodeKind::Reference) {
            return "Reference(" + DumpReferenceBody(pNode, nDepth) + ")";
        }
        std::string strHead = pNode->nKind <= NodeKind::Caret
                                  ? s_arrNodeKindNames[pNode->nKind]
                                  : "Kind" + FormatInteger(pNode->nKind);
        uint32_t nFirst = 0;
        const bool bCall = pNode->nKind == NodeKind::Call || pNode->nKind == NodeKind::StatefulCall;
        if (bCall && pNode->nArgs >= 1 && pNode->pTypes[0] == OperandType::FunctionId) {
            const FunctionDescriptor* pEntry =
                GetFunctionDescriptor(FindFunctionById(pNode->pValues[0]));
            strHead = (pEntry != nullptr ? pEntry->szName : "") + std::string("#") +
                      FormatInteger(pNode->pValues[0]);
            nFirst = 1;
        }
        return strHead + "(" + DumpArguments(pNode, nFirst, nDepth) + ")";
    }

private:
    std::string DumpArguments(const ExprNode* pNode, uint32_t nFirst, int nDepth) const {
        std::string strText;
        for (uint32_t i = nFirst; i < pNode->nArgs; ++i) {
            if (i > nFirst) strText += ", ";
            strText += DumpOperand(pNode->pTypes[i], pNode->pValues[i], nDepth);
        }
        return strText;
    }

    static std::string DumpStateSlots(int64_t value) {
        const uint32_t nPacked = static_cast<uint32_t>(value);
        const uint32_t nSecond = nPacked >> 16;
        std::string strText = FormatInteger(nPacked & 0xFFFF);
        if (nSecond != NO_SECOND_STATE_SLOT) strText += "/" + FormatInteger(nSecond);
        return strText;
    }

    std::string DumpString(int64_t value) const {
        std::string strText = FormatInteger(value);
        if (m_pInfo != nullptr && value >= 0 &&
            value < static_cast<int64_t>(m_pInfo->m_vecStrings.size())) {
            strText += " \"" + m_pInfo->m_vecStrings[static_cast<size_t>(value)] + "\"";
        }
        return strText;
    }

    std::string DumpReference(int64_t value, int nDepth) const {
        if (m_pInfo == nullptr) return "#" + FormatInteger(value);
        const std::vector<ExprNode*>& vecRefs =
            m_bDrawRefs ? m_pInfo->m_vecDrawRefNodes : m_pInfo->m_vecRefNodes;
        if (value < 0 || value >= static_cast<int64_t>(vecRefs.size()) ||
            vecRefs[static_cast<size_t>(value)] == nullptr) {
            return "#" + FormatInteger(value) + " missing";
        }
        if (nDepth > kMaxDumpDepth) return "...";
        const ExprNode* pRef = vecRefs[static_cast<size_t>(value)];
        // A reference reads "field 0" with the subscript and the call arguments
        // appended only when the script wrote them.
        if (pRef->nArgs < 1) return "#" + FormatInteger(value) + " empty";
        std::string strText = DumpListEntry(pRef->pTypes[0], pRef->pValues[0]);
        const bool bPlainSubscript = pRef->nArgs < 2 || (pRef->pTypes[1] == OperandType::Number &&
                                                         ReadNumberFloat(pRef->pValues[1]) == 0.0f);
        if (!bPlainSubscript) {
            strText += "[" + DumpOperand(pRef->pTypes[1], pRef->pValues[1], nDepth) + "]";
        }
        if (pRef->nArgs > 2) strText += "(" + DumpArguments(pRef, 2, nDepth) + ")";
        return strText;
    }

    std::string DumpReferenceBody(const ExprNode* pNode, int nDepth) const {
        if (pNode->nArgs < 1) return "";
        std::string strText = DumpListEntry(pNode->pTypes[0], pNode->pValues[0]);
        if (pNode->nArgs > 1) strText += ", " + DumpArguments(pNode, 1, nDepth);
        return strText;
    }

    static std::string DumpListEntry(uint32_t nKind, int64_t nIndex) {
        const char* pszKind = ListKindName(nKind);
        const std::string strKind = pszKind != nullptr ? pszKind : "kind" + FormatInteger(nKind);
        return strKind + " " + FormatInteger(nIndex);
    }

    const CCalculateInfo* m_pInfo;
    bool m_bDrawRefs;
};

}  // namespace

std::string DumpOperand(const Operand& operand, const CCalculateInfo* pInfo, bool bDrawRefs) {
    return CFormulaDumper(pInfo, bDrawRefs).DumpOperand(operand.type, operand.value, 0);
}

std::string DumpNode(const ExprNode* pNode, const CCalculateInfo* pInfo, bool bDrawRefs) {
    return CFormulaDumper(pInfo, bDrawRefs).DumpNode(pNode, 0);
}

std::string DumpStatement(const Statement* pStatement, const CCalculateInfo* pInfo) {
    if (pStatement == nullptr) return "null";
    const bool bDraw = pStatement->nRole == STATEMENT_ROLE_DRAW;
    const CFormulaDumper dumper(pInfo, bDraw);
    const std::string strB = dumper.DumpOperand(pStatement->typeB, pStatement->valueB, 0);
    if (bDraw) {
        // A drawing statement's A operand is its slot count, held as a plain integer.
        return "Draw " + FormatInteger(pStatement->valueA) + ": " + strB;
    }
    std::string strPrefix;
    if (pStatement->nRole != STATEMENT_ROLE_ORDINARY) {
        strPrefix = "Role " + FormatInteger(pStatement->nRole) + ": ";
    }
    if (pStatement->typeA == OperandType::Empty) return strPrefix + strB;
    return strPrefix + dumper.DumpOperand(pStatement->typeA, pStatement->valueA, 0) + " = " + strB;
}

std::string DumpCalculateInfo(const CCalculateInfo& info) {
    std::string strText;
    for (const Statement* pStatement : info.m_vecStatements) {
        strText += DumpStatement(pStatement, &info) + "\n";
    }
    for (const Statement* pStatement : info.m_vecDrawStatements) {
        strText += DumpStatement(pStatement, &info) + "\n";
    }
    return strText;
}
