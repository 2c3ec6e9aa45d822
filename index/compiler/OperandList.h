// Ownership while the expression compiler builds: a partial tree always belongs to a
// holder until the compiled formula takes it, so every failure path frees exactly
// what it built and nothing twice.
#pragma once

#include <memory>
#include <vector>

#include "index/compiler/CompiledFormula.h"

struct NodeReleaser {
    void operator()(ExprNode* pNode) const { ReleaseNode(pNode); }
};
using NodeHolder = std::unique_ptr<ExprNode, NodeReleaser>;

struct StatementReleaser {
    void operator()(Statement* pStatement) const { ReleaseStatement(pStatement); }
};
using StatementHolder = std::unique_ptr<Statement, StatementReleaser>;

// Releases the tree of a Node operand; other operands own nothing.
void ReleaseOperandTree(const Operand& operand);

// Operands on their way into a node, each with the depth of its tree. The list owns
// the trees of its Node operands until they move into a node or are popped.
class COperandList {
public:
    COperandList() = default;
    ~COperandList();
    COperandList(const COperandList&) = delete;
    COperandList& operator=(const COperandList&) = delete;

    // Takes the operand over; if the list cannot grow, its tree is released and the
    // allocation failure passes on.
    void Push(const Operand& operand, int nDepth);

    // Hands the last operand, and its tree, over to the caller.
    Operand Pop(int& nDepth);

    size_t Size() const { return m_nSize; }
    const Operand& At(size_t nIndex) const { return Entries()[nIndex].operand; }
    int MaxDepth() const;

    // A node of nKind holding every operand in order; the list is empty afterwards.
    // Null when memory is exhausted, the list keeping its operands.
    ExprNode* MoveIntoNode(uint32_t nKind);

    // Replaces the two top operands, left below right, by the binary node of nKind
    // over them. COMPILE_ERROR, with both released, when fewer than two are there,
    // the new tree would be deeper than nMaxDepth, or memory is exhausted.
    int CombineTop(uint32_t nKind, int nMaxDepth);

private:
    struct Entry {
        Operand operand;
        int nDepth;
    };
    // Calls and operator chains hold a handful of operands: those stay in the list
    // itself, and only a longer list moves to the heap, for good.
    static constexpr size_t INLINE_ENTRIES = 6;

    Entry* Entries() { return m_bSpilled ? m_vecEntries.data() : m_arrInline; }
    const Entry* Entries() const { return m_bSpilled ? m_vecEntries.data() : m_arrInline; }

    Entry m_arrInline[INLINE_ENTRIES];
    std::vector<Entry> m_vecEntries;
    size_t m_nSize = 0;
    bool m_bSpilled = false;
};
