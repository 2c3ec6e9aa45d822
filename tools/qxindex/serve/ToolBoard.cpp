#include "tools/qxindex/serve/ToolBoard.h"

#include "QXGraphInterface.h"

namespace qxindex {

CToolBoard::~CToolBoard() {
    for (auto& entry : m_mapTools) QXGraphInterface::ReleaseGraphShape(entry.second);
}

int CToolBoard::CreateTool(QX_GRAPH_TYPE eKind) {
    if (m_mapTools.size() >= kMaxTools) return 0;
    IQXGraphShapeBase* pShape = QXGraphInterface::CreateGraphShape(eKind);
    if (pShape == nullptr) return 0;
    pShape->SetCoordinate(m_pCoordinate);
    const int nId = m_nNextId++;
    m_mapTools[nId] = pShape;
    return nId;
}

IQXGraphShapeBase* CToolBoard::FindTool(int nId) const {
    auto it = m_mapTools.find(nId);
    return it == m_mapTools.end() ? nullptr : it->second;
}

bool CToolBoard::RemoveTool(int nId) {
    auto it = m_mapTools.find(nId);
    if (it == m_mapTools.end()) return false;
    QXGraphInterface::ReleaseGraphShape(it->second);
    m_mapTools.erase(it);
    return true;
}

void CToolBoard::AttachCoordinate(IQXGraphCoordinate* pCoordinate) {
    m_pCoordinate = pCoordinate;
    for (auto& entry : m_mapTools) {
        IQXGraphShapeBase* pShape = entry.second;
        pShape->SetCoordinate(pCoordinate);
        // Storing a style marks the shape changed without touching its anchors
        // (SetPoints would run the angle snap again at the new scale).
        pShape->SetLineWidth(pShape->GetLineWidth());
    }
}

}  // namespace qxindex
