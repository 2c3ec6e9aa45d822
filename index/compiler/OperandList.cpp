#include "index/compiler/OperandList.h"

#include <algorithm>

void ReleaseOperandTree(const Operand& operand) {
    if (operand.type == OperandType::Node) ReleaseNode(ReadNodePointer(operand.value));
}

COperandList::~COperandList() {
    for (const Entry& entry : m_vecEntries) ReleaseOperandTree(entry.operand);
}

void COperandList::Push(const Operand& operand, int nDepth) {
    try {
        // Calls and operators hold a handful of operands: one allocation, not three.
        if (m_vecEntries.capacity() == 0) m_vecEntries.reserve(4);
        m_vecEntries.push_back(Entry{operand, nDepth});
    } catch (...) {
        ReleaseOperandTree(operand);
        throw;
    }
}

Operand COperandList::Pop(int& nDepth) {
    const Entry entry = m_vecEntries.back();
    m_vecEntries.pop_back();
    nDepth = entry.nDepth;
    return entry.operand;
}

int COperandList::MaxDepth() const {
    int nDepth = 0;
    for (const Entry& entry : m_vecEntries) nDepth = std::max(nDepth, entry.nDepth);
    return nDepth;
}

ExprNode* COperandList::MoveIntoNode(uint32_t nKind) {
    ExprNode* pNode = AllocateNode(nKind, static_cast<uint32_t>(m_vecEntries.size()));
    if (pNode == nullptr) return nullptr;
    for (size_t i = 0; i < m_vecEntries.size(); ++i) {
        SetNodeArgument(pNode, static_cast<uint32_t>(i), m_vecEntries[i].operand);
    }
    m_vecEntries.clear();
    return pNode;
}

int COperandList::CombineTop(uint32_t nKind, int nMaxDepth) {
    if (m_vecEntries.size() < 2) return COMPILE_ERROR;
    int nRightDepth = 0;
    int nLeftDepth = 0;
    const Operand right = Pop(nRightDepth);
    const Operand left = Pop(nLeftDepth);
    const int nDepth = 1 + std::max(nLeftDepth, nRightDepth);
    ExprNode* pNode = nDepth <= nMaxDepth ? AllocateNode(nKind, 2) : nullptr;
    if (pNode == nullptr) {
        ReleaseOperandTree(left);
        ReleaseOperandTree(right);
        return COMPILE_ERROR;
    }
    SetNodeArgument(pNode, 0, left);
    SetNodeArgument(pNode, 1, right);
    Push(MakeNodeOperand(pNode), nDepth);
    return COMPILE_OK;
}
