// The drawing tools of a serve session: the library's shape objects, numbered in
// the order they were made. The board hands every shape the converter of the
// chart as it is now drawn; the anchors stay in data coordinates, so a pan or a
// zoom moves the tools with the bars.
#pragma once

#include <cstddef>
#include <map>

#include "IQXGraphCoordinate.h"
#include "IQXGraphShapeBase.h"

namespace qxindex {

// Enough for any chart a person draws by hand; a runaway client meets a limit.
constexpr size_t kMaxTools = 500;

class CToolBoard {
public:
    CToolBoard() = default;
    ~CToolBoard();
    CToolBoard(const CToolBoard&) = delete;
    CToolBoard& operator=(const CToolBoard&) = delete;

    // A new shape of `eKind` with the current converter; 0 when the board is full
    // or memory ran out.
    int CreateTool(QX_GRAPH_TYPE eKind);
    IQXGraphShapeBase* FindTool(int nId) const;
    bool RemoveTool(int nId);
    const std::map<int, IQXGraphShapeBase*>& Tools() const { return m_mapTools; }

    // Gives every shape `pCoordinate` and has it rebuild its records: the pixel
    // sized parts (arrow heads, label offsets) follow the new scale.
    void AttachCoordinate(IQXGraphCoordinate* pCoordinate);

private:
    std::map<int, IQXGraphShapeBase*> m_mapTools;
    IQXGraphCoordinate* m_pCoordinate = nullptr;
    int m_nNextId = 1;
};

}  // namespace qxindex
