#include "index/compiler/OperandList.h"

#include <algorithm>

void ReleaseOperandTree(const Operand& operand) {
    if (operand.type == OperandType::Node) ReleaseNode(ReadNodePointer(operand.value));
}

COperandList::~COperandList() {
    const Entry* pEntries = Entries();
    for (size_t i = 0; i < m_nSize; ++i) ReleaseOperandTree(pEntries[i].operand);
}

void COperandList::Push(const Operand& operand, int nDepth) {
    if (!m_bSpilled && m_nSize < INLINE_ENTRIES) {
        m_arrInline[m_nSize++] = Entry{operand, nDepth};
        return;
    }
    try {
        if (!m_bSpilled) {
            m_vecEntries.reserve(2 * INLINE_ENTRIES);
            m_vecEntries.assign(m_arrInline, m_arrInline + m_nSize);
            m_bSpilled = true;
        }
        m_vecEntries.push_back(Entry{operand, nDepth});
        ++m_nSize;
    } catch (...) {
        ReleaseOperandTree(operand);
        throw;
    }
}

Operand COperandList::Pop(int& nDepth) {
    const Entry entry = Entries()[--m_nSize];
    if (m_bSpilled) m_vecEntries.pop_back();
    nDepth = entry.nDepth;
    return entry.operand;
}

int COperandList::MaxDepth() const {
    int nDepth = 0;
    const Entry* pEntries = Entries();
    for (size_t i = 0; i < m_nSize; ++i) nDepth = std::max(nDepth, pEntries[i].nDepth);
    return nDepth;
}

ExprNode* COperandList::MoveIntoNode(uint32_t nKind) {
    ExprNode* pNode = AllocateNode(nKind, static_cast<uint32_t>(m_nSize));
    if (pNode == nullptr) return nullptr;
    const Entry* pEntries = Entries();
    for (size_t i = 0; i < m_nSize; ++i) {
        SetNodeArgument(pNode, static_cast<uint32_t>(i), pEntries[i].operand);
    }
    m_nSize = 0;
    m_vecEntries.clear();
    return pNode;
}

int COperandList::CombineTop(uint32_t nKind, int nMaxDepth) {
    if (m_nSize < 2) return COMPILE_ERROR;
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
