#include "index/compiler/CompiledFormula.h"

#include <cstring>
#include <new>

namespace {

// A node and its two argument arrays live in one block, the arrays right behind the
// node: a parse builds a few hundred nodes, and three allocations each were a good
// part of its cost. Only an argument inserted later moves the arrays out of it.
constexpr size_t NodeBlockSize(uint32_t nArgs) {
    return sizeof(ExprNode) + nArgs * (sizeof(int64_t) + sizeof(uint32_t));
}
static_assert(sizeof(ExprNode) % alignof(int64_t) == 0, "the values follow the node aligned");

int64_t* BlockValues(ExprNode* pNode) {
    return reinterpret_cast<int64_t*>(reinterpret_cast<char*>(pNode) + sizeof(ExprNode));
}

uint32_t* BlockTypes(ExprNode* pNode, uint32_t nArgs) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(BlockValues(pNode)) +
                                       nArgs * sizeof(int64_t));
}

// Arrays outside the block were made by InsertNodeArgument, both in one allocation
// of values followed by types.
bool HasBlockArrays(ExprNode* pNode) {
    return pNode->pValues == nullptr || pNode->pValues == BlockValues(pNode);
}

void FreeNodeStorage(ExprNode* pNode) {
    if (!HasBlockArrays(pNode)) ::operator delete(pNode->pValues);
    pNode->~ExprNode();
    ::operator delete(pNode);
}

// Only used when the work list of ReleaseNode cannot grow: releasing must still
// release everything, and at that point the stack is the only memory left.
void ReleaseNodeRecursively(ExprNode* pNode) {
    if (pNode == nullptr) return;
    for (uint32_t i = 0; i < pNode->nArgs; ++i) {
        if (pNode->pTypes[i] == OperandType::Node) {
            ReleaseNodeRecursively(ReadNodePointer(pNode->pValues[i]));
        }
    }
    FreeNodeStorage(pNode);
}

}  // namespace

CCalculateInfo::~CCalculateInfo() {
    for (ExprNode* pNode : m_vecRefNodes) ReleaseNode(pNode);
    for (ExprNode* pNode : m_vecDrawRefNodes) ReleaseNode(pNode);
    for (Statement* pStatement : m_vecStatements) ReleaseStatement(pStatement);
    for (Statement* pStatement : m_vecDrawStatements) ReleaseStatement(pStatement);
    m_vecRefNodes.clear();
    m_vecDrawRefNodes.clear();
    m_vecStatements.clear();
    m_vecDrawStatements.clear();
    m_vecParamValues.clear();
    m_vecDrawParamValues.clear();
    m_vecDrawParamNames.clear();
    m_vecStrings.clear();
    m_vecFieldIds.clear();
    m_setVolatileOutputs.clear();
    m_setVolatileVariables.clear();
    m_setVolatileSlots.clear();
}

ExprNode* AllocateNode(uint32_t nKind, uint32_t nArgs) {
    if (nArgs > MAX_NODE_ARGUMENTS) return nullptr;
    void* pBlock = ::operator new(NodeBlockSize(nArgs), std::nothrow);
    if (pBlock == nullptr) return nullptr;
    ExprNode* pNode = new (pBlock) ExprNode{nKind, nArgs, nullptr, nullptr};
    if (nArgs == 0) return pNode;
    // Every argument starts as (Empty, 0).
    pNode->pValues = new (BlockValues(pNode)) int64_t[nArgs]();
    pNode->pTypes = new (BlockTypes(pNode, nArgs)) uint32_t[nArgs]();
    return pNode;
}

void ReleaseNode(ExprNode* pNode) {
    if (pNode == nullptr) return;
    // Most trees are shallow and narrow: their pending nodes fit on the stack, and
    // only a wide or deep one needs the heap list as well.
    constexpr size_t INLINE_PENDING = 16;
    ExprNode* arrPending[INLINE_PENDING];
    size_t nInline = 0;
    std::vector<ExprNode*> vecPending;
    ExprNode* pCurrent = pNode;
    try {
        while (pCurrent != nullptr) {
            for (uint32_t i = 0; i < pCurrent->nArgs; ++i) {
                if (pCurrent->pTypes[i] != OperandType::Node) continue;
                ExprNode* pChild = ReadNodePointer(pCurrent->pValues[i]);
                if (pChild != nullptr) {
                    if (nInline < INLINE_PENDING) {
                        arrPending[nInline++] = pChild;
                    } else {
                        vecPending.push_back(pChild);
                    }
                }
                // Detached only once it is safely on a list, so a failed push
                // leaves it reachable from pCurrent for the fallback below.
                pCurrent->pTypes[i] = OperandType::Empty;
            }
            FreeNodeStorage(pCurrent);
            pCurrent = nullptr;
            if (!vecPending.empty()) {
                pCurrent = vecPending.back();
                vecPending.pop_back();
            } else if (nInline > 0) {
                pCurrent = arrPending[--nInline];
            }
        }
    } catch (...) {
        ReleaseNodeRecursively(pCurrent);
        for (size_t i = 0; i < nInline; ++i) ReleaseNodeRecursively(arrPending[i]);
        for (ExprNode* pLeft : vecPending) ReleaseNodeRecursively(pLeft);
    }
}

Statement* AllocateStatement() {
    return new (std::nothrow) Statement{};
}

void ReleaseStatement(Statement* pStatement) {
    if (pStatement == nullptr) return;
    if (pStatement->typeA == OperandType::Node) ReleaseNode(ReadNodePointer(pStatement->valueA));
    if (pStatement->typeB == OperandType::Node) ReleaseNode(ReadNodePointer(pStatement->valueB));
    delete pStatement;
}

Operand GetNodeArgument(const ExprNode* pNode, uint32_t nIndex) {
    Operand operand;
    if (pNode == nullptr || nIndex >= pNode->nArgs) return operand;
    operand.value = pNode->pValues[nIndex];
    operand.type = pNode->pTypes[nIndex];
    return operand;
}

void SetNodeArgument(ExprNode* pNode, uint32_t nIndex, const Operand& operand) {
    if (pNode == nullptr || nIndex >= pNode->nArgs) return;
    pNode->pValues[nIndex] = operand.value;
    pNode->pTypes[nIndex] = operand.type;
}

bool InsertNodeArgument(ExprNode* pNode, uint32_t nPos, const Operand& operand) {
    if (pNode == nullptr || nPos > pNode->nArgs || pNode->nArgs >= MAX_NODE_ARGUMENTS) {
        return false;
    }
    const uint32_t nNewCount = pNode->nArgs + 1;
    const size_t nBytes = nNewCount * (sizeof(int64_t) + sizeof(uint32_t));
    void* pArrays = ::operator new(nBytes, std::nothrow);
    if (pArrays == nullptr) return false;
    int64_t* pValues = static_cast<int64_t*>(pArrays);
    uint32_t* pTypes = reinterpret_cast<uint32_t*>(pValues + nNewCount);
    for (uint32_t i = 0, j = 0; i < nNewCount; ++i) {
        if (i == nPos) {
            pValues[i] = operand.value;
            pTypes[i] = operand.type;
        } else {
            pValues[i] = pNode->pValues[j];
            pTypes[i] = pNode->pTypes[j];
            ++j;
        }
    }
    if (!HasBlockArrays(pNode)) ::operator delete(pNode->pValues);
    pNode->pValues = pValues;
    pNode->pTypes = pTypes;
    pNode->nArgs = nNewCount;
    return true;
}

Operand MakeConstantOperand(uint32_t nCode) {
    Operand operand;
    operand.type = OperandType::Number;
    operand.value = static_cast<int64_t>(static_cast<int32_t>(nCode));
    return operand;
}

Operand MakeNumberOperand(float fValue) {
    uint32_t nBits = 0;
    std::memcpy(&nBits, &fValue, sizeof nBits);
    return MakeConstantOperand(nBits);
}

uint32_t ReadNumberCode(int64_t value) {
    return static_cast<uint32_t>(value & 0xFFFFFFFF);
}

float ReadNumberFloat(int64_t value) {
    const uint32_t nBits = ReadNumberCode(value);
    float fValue = 0.0f;
    std::memcpy(&fValue, &nBits, sizeof fValue);
    return fValue;
}

Operand MakeNodeOperand(ExprNode* pNode) {
    Operand operand;
    operand.type = OperandType::Node;
    operand.value = static_cast<int64_t>(reinterpret_cast<intptr_t>(pNode));
    return operand;
}

ExprNode* ReadNodePointer(int64_t value) {
    return reinterpret_cast<ExprNode*>(static_cast<intptr_t>(value));
}

uint32_t PackStateSlots(uint32_t nFirst, uint32_t nSecond) {
    return (nFirst & 0xFFFF) | ((nSecond & 0xFFFF) << 16);
}
