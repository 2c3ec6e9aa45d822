// The compiled form of one formula: statements whose operands are leaf values or
// prefix-form expression nodes. Named series (fields, outputs, variables, auto
// variables) never sit inside a tree; trees index them through two flat lists of
// reference nodes, so one series can be named from many places and is owned once.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// Status of every compile and check step: nothing else is reported, the caller
// only needs to know whether to go on.
constexpr int COMPILE_OK = 0;
constexpr int COMPILE_ERROR = 4;

// Operand types. Kept as plain 32-bit codes (scoped by the namespace only)
// because argument 0 of a reference node stores a list kind in the same array.
namespace OperandType {
enum Value : uint32_t {
    Empty = 0,
    Number = 1,       // low word: float bits or a named-constant code; high word: its sign
    Parameter = 2,    // index into the parameter values (drawing statements: drawing list)
    Node = 7,         // owned ExprNode*
    FunctionId = 9,   // only as argument 0 of a call node
    StateSlots = 11,  // low 16 bits first slot, next 16 bits second slot or 0xFFFF
    String = 13,      // index into m_vecStrings
    Reference = 14,   // index into the reference list of the statement's kind
};
}  // namespace OperandType

// List kinds: the type of argument 0 of a reference node, and also the series
// kinds under which the calculator stores those series.
namespace RefListKind {
enum Value : uint32_t {
    Field = 3,
    Output = 4,
    Variable = 5,  // intermediate variables, followed by the hidden auto variables
};
}  // namespace RefListKind

// Node kinds: a numbering of their own, unrelated to function ids.
namespace NodeKind {
enum Value : uint32_t {
    Add = 0,
    Sub = 1,
    Mul = 2,
    Div = 3,
    And = 4,
    Or = 5,
    Greater = 6,
    Less = 7,
    Equal = 8,
    GreaterEqual = 9,
    LessEqual = 10,
    NotEqual = 11,
    Unary = 12,  // never built by the compiler; the evaluator refuses it
    Reference = 13,
    Call = 14,
    StatefulCall = 15,
    Caret = 16,
};
}  // namespace NodeKind

// The second slot of a StateSlots pair when the call has only one.
constexpr uint32_t NO_SECOND_STATE_SLOT = 0xFFFF;

// Statement roles.
constexpr uint32_t STATEMENT_ROLE_ORDINARY = 0;
constexpr uint32_t STATEMENT_ROLE_DRAW = 3;

struct Operand {
    int64_t value = 0;
    uint32_t type = OperandType::Empty;
};

// Two parallel arrays rather than one array of Operand: the function library reads
// a call's element types and value words as separate arrays.
struct ExprNode {
    uint32_t nKind;
    uint32_t nArgs;
    int64_t* pValues;
    uint32_t* pTypes;
};

struct Statement {
    int64_t valueA;  // assignment target, or the slot count of a drawing statement
    int64_t valueB;  // expression, or the drawing call
    uint32_t nRole;
    uint32_t typeA;
    uint32_t typeB;
};

class CCalculateInfo {
public:
    CCalculateInfo() = default;
    // Releases the reference lists first, then the statements with their trees.
    virtual ~CCalculateInfo();
    CCalculateInfo(const CCalculateInfo&) = delete;
    CCalculateInfo& operator=(const CCalculateInfo&) = delete;

    int m_nSeriesSlots = 0;
    std::vector<float> m_vecParamValues;
    std::vector<float> m_vecDrawParamValues;
    std::vector<std::string> m_vecDrawParamNames;
    std::vector<Statement*> m_vecStatements;
    std::vector<Statement*> m_vecDrawStatements;
    std::vector<ExprNode*> m_vecRefNodes;
    std::vector<ExprNode*> m_vecDrawRefNodes;
    std::vector<std::string> m_vecStrings;
    std::vector<int> m_vecFieldIds;
    bool m_bLongHistory = false;
    bool m_bFutureData = false;
    bool m_bVolatile = false;
    std::set<int64_t> m_setVolatileOutputs;
    std::set<int64_t> m_setVolatileVariables;
    std::set<uint32_t> m_setVolatileSlots;
};

// A node never needs more arguments than a call may carry plus the hidden ones the
// compiler inserts; the cap keeps a corrupt count from asking for gigabytes.
constexpr uint32_t MAX_NODE_ARGUMENTS = 1024;

// A node with nArgs arguments, all Empty; null when memory is exhausted or nArgs
// exceeds MAX_NODE_ARGUMENTS.
ExprNode* AllocateNode(uint32_t nKind, uint32_t nArgs);

// Releases the node, its arrays and every Node argument below it. Reference
// operands are indexes and release nothing. Deep trees (long operator chains are
// left-deep) are walked without recursion.
void ReleaseNode(ExprNode* pNode);

// A zero-filled statement, or null when memory is exhausted.
Statement* AllocateStatement();

// Releases the statement and the trees its Node operands point at.
void ReleaseStatement(Statement* pStatement);

// Argument access; out-of-range reads give an Empty operand, writes are ignored.
Operand GetNodeArgument(const ExprNode* pNode, uint32_t nIndex);
void SetNodeArgument(ExprNode* pNode, uint32_t nIndex, const Operand& operand);

// Inserts an argument at nPos (0..nArgs), shifting the later ones up. On failure
// (no node, bad position, no memory) the node is unchanged and false is returned.
bool InsertNodeArgument(ExprNode* pNode, uint32_t nPos, const Operand& operand);

// Number operands: the low word holds a float's bits or a named-constant code,
// the high word repeats the low word's sign bit.
Operand MakeNumberOperand(float fValue);
Operand MakeConstantOperand(uint32_t nCode);
float ReadNumberFloat(int64_t value);
uint32_t ReadNumberCode(int64_t value);

Operand MakeNodeOperand(ExprNode* pNode);
ExprNode* ReadNodePointer(int64_t value);

// Packs a state-slot pair the way StateSlots operands and m_setVolatileSlots hold it.
uint32_t PackStateSlots(uint32_t nFirst, uint32_t nSecond);
