#include "index/calc/DrawArgumentLayout.h"

#include <iterator>

#include "index/compiler/CompiledFormula.h"
#include "index/functions/SeriesStore.h"

namespace {

using namespace DrawFunctionId;

// One row per drawing function with value series; DRAWICON, DRAWTEXT and DRAWNUMBER
// share a layout (condition, price, then the icon, text or number).
// clang-format off
//   id          main         condition of each main   evaluated (optional + main)
constexpr DrawArgumentLayout s_arrLayouts[] = {
    {CurveLine,  1, {1},          {0},          1, {1}},
    {Circular,   1, {2},          {0},          1, {2}},
    {Column,     1, {3},          {0},          1, {3}},
    {KLine,      4, {1, 2, 3, 4}, {0, 0, 0, 0}, 4, {1, 2, 3, 4}},
    {PolyLine,   1, {2},          {1},          2, {1, 2}},
    {Band,       2, {1, 3},       {0, 0},       4, {2, 4, 1, 3}},
    {Stick,      2, {2, 3},       {1, 1},       5, {1, 4, 5, 2, 3}},
    {Icon,       1, {2},          {1},          3, {1, 3, 2}},
    {Text,       1, {2},          {1},          3, {1, 3, 2}},
    {Number,     1, {2},          {1},          3, {1, 3, 2}},
    {Line,       2, {2, 4},       {1, 3},       4, {1, 3, 2, 4}},
    {FillRegion, 2, {1, 2},       {3, 3},       3, {3, 1, 2}},
};
// clang-format on

constexpr DrawArgumentLayout s_emptyLayout = {-1, 0, {}, {}, 0, {}};

}  // namespace

const DrawArgumentLayout& FindDrawArgumentLayout(int64_t nId) {
    for (const DrawArgumentLayout& layout : s_arrLayouts) {
        if (layout.nId == nId) return layout;
    }
    return s_emptyLayout;
}

const ExprNode* GetDrawCallNode(const CCalculateInfo& info, int nIndex) {
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= info.m_vecDrawStatements.size()) {
        return nullptr;
    }
    const Statement* pStatement = info.m_vecDrawStatements[static_cast<size_t>(nIndex)];
    if (pStatement == nullptr || pStatement->typeB != OperandType::Node) return nullptr;
    const ExprNode* pNode = ReadNodePointer(pStatement->valueB);
    if (pNode == nullptr || pNode->nArgs < 1 || pNode->pTypes == nullptr ||
        pNode->pValues == nullptr || pNode->pTypes[0] != OperandType::FunctionId) {
        return nullptr;
    }
    return pNode;
}

int64_t GetDrawFunctionId(const ExprNode* pCallNode) {
    return pCallNode != nullptr ? pCallNode->pValues[0] : -1;
}

bool ResolveDrawReference(const CCalculateInfo& info, const ExprNode* pCallNode, int nPosition,
                          DrawSeriesKey* pKey) {
    if (pCallNode == nullptr || pKey == nullptr || nPosition < 0) return false;
    if (static_cast<uint32_t>(nPosition) >= pCallNode->nArgs) return false;
    if (pCallNode->pTypes[nPosition] != OperandType::Reference) return false;
    const int64_t nRefIndex = pCallNode->pValues[nPosition];
    if (nRefIndex < 0 || static_cast<uint64_t>(nRefIndex) >= info.m_vecDrawRefNodes.size()) {
        return false;
    }
    const ExprNode* pRef = info.m_vecDrawRefNodes[static_cast<size_t>(nRefIndex)];
    if (pRef == nullptr || pRef->nArgs < 1 || pRef->pTypes == nullptr || pRef->pValues == nullptr) {
        return false;
    }
    const uint32_t nKind = pRef->pTypes[0];
    const int64_t nNumber = pRef->pValues[0];
    if (nKind >= static_cast<uint32_t>(SERIES_KIND_COUNT) || nNumber < 0 ||
        nNumber > MAX_SERIES_NUMBER) {
        return false;
    }
    pKey->nRefIndex = nRefIndex;
    pKey->nKind = static_cast<int>(nKind);
    pKey->nNumber = static_cast<int>(nNumber);
    return true;
}
