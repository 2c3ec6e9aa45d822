// The kind table of the drawing tools: which class each kind creates and how
// many anchors it needs.
#pragma once

#include <cstddef>

#include "IQXGraphShapeBase.h"

struct CShapeKind {
    QX_GRAPH_TYPE m_eType;
    int m_nPointCount;
    // A new shape in zero-filled storage, or null when memory runs out.
    IQXGraphShapeBase* (*m_pfnCreate)();
};

// Null for a kind that has no row.
const CShapeKind* FindShapeKind(int nType);
std::size_t GetShapeKindCount();
const CShapeKind& GetShapeKindAt(std::size_t nIndex);
