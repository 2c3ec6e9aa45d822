// How a drawing statement's call node is laid out for the calculator: which of its
// arguments are value series that get drawn (main positions), which further series
// the drawing needs (conditions and secondary values), and which condition decides
// whether a drawn value counts for the value range. Position 0 of a call node is
// the function id, so position k is the k-th written argument.
#pragma once

#include <cstdint>

class CCalculateInfo;
struct ExprNode;

// Ids of the drawing functions, as the function table numbers them.
namespace DrawFunctionId {
enum Value : int64_t {
    CurveLine = 500,
    Circular = 501,
    Column = 502,
    KLine = 503,
    RectRel = 504,
    PolyLine = 505,
    Band = 506,
    Stick = 507,
    Icon = 508,
    Text = 509,
    TextFix = 510,
    Number = 511,
    NumberFix = 512,
    Bitmap = 513,
    Background = 514,
    Line = 515,
    FillRegion = 516,
};
}  // namespace DrawFunctionId

constexpr int MAX_MAIN_POSITIONS = 4;
constexpr int MAX_EVALUATED_POSITIONS = 5;

struct DrawArgumentLayout {
    int64_t nId;
    int nMainCount;
    int arrMain[MAX_MAIN_POSITIONS];
    // For each main position, the position of the condition that must hold at a bar
    // for the drawn value there to count; 0 when the value always counts.
    int arrCondition[MAX_MAIN_POSITIONS];
    // Optional and main positions, in the order they are evaluated and published:
    // conditions first, so that a drawn value's condition exists when it is read.
    int nEvaluatedCount;
    int arrEvaluated[MAX_EVALUATED_POSITIONS];
};

// The layout of a drawing function id; a layout without positions for ids whose
// statements have no value series (RECTREL, the fixed-position texts, BUY, ...).
const DrawArgumentLayout& FindDrawArgumentLayout(int64_t nId);

// The call node of drawing statement nIndex: a node whose argument 0 is a function
// id. Null for an index outside the list or a statement of another shape.
const ExprNode* GetDrawCallNode(const CCalculateInfo& info, int nIndex);

// The function id in argument 0 of a call node from GetDrawCallNode; -1 for null.
int64_t GetDrawFunctionId(const ExprNode* pCallNode);

// The series a drawing argument refers to.
struct DrawSeriesKey {
    int64_t nRefIndex;  // index into m_vecDrawRefNodes
    int nKind;          // series kind: data field, output or variable
    int nNumber;        // number within the kind
};

// Resolves argument nPosition of a drawing call to its series. False unless the
// argument is a Reference to an existing drawing reference node with a kind and a
// number a series store accepts.
bool ResolveDrawReference(const CCalculateInfo& info, const ExprNode* pCallNode, int nPosition,
                          DrawSeriesKey* pKey);
