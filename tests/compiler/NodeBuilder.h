// Hand-built compiled nodes for the compiler tests.
#pragma once

#include <vector>

#include "index/compiler/CompiledFormula.h"

namespace testnodes {

inline Operand Num(float fValue) {
    return MakeNumberOperand(fValue);
}

inline Operand Typed(uint32_t nType, int64_t value) {
    Operand operand;
    operand.type = nType;
    operand.value = value;
    return operand;
}

inline Operand Fid(int64_t nId) {
    return Typed(OperandType::FunctionId, nId);
}
inline Operand Ref(int64_t nIndex) {
    return Typed(OperandType::Reference, nIndex);
}
inline Operand State(uint32_t nSlot) {
    return Typed(OperandType::StateSlots, PackStateSlots(nSlot, NO_SECOND_STATE_SLOT));
}

// A node of the given kind holding exactly these arguments; null only when out of memory.
inline ExprNode* Build(uint32_t nKind, const std::vector<Operand>& args) {
    ExprNode* pNode = AllocateNode(nKind, static_cast<uint32_t>(args.size()));
    uint32_t i = 0;
    for (const Operand& operand : args) SetNodeArgument(pNode, i++, operand);
    return pNode;
}

inline Operand Child(uint32_t nKind, const std::vector<Operand>& args) {
    return MakeNodeOperand(Build(nKind, args));
}

// A reference node to entry nIndex of a list kind, without subscript or arguments.
inline ExprNode* BuildRef(uint32_t nListKind, int64_t nIndex) {
    return Build(NodeKind::Reference, {Typed(nListKind, nIndex), Num(0.0f)});
}

}  // namespace testnodes
