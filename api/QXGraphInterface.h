// Factory of the drawing tools. A shape belongs to the client until it is handed
// back to ReleaseGraphShape.
#pragma once

#include "IQXGraphShapeBase.h"
#include "QXExport.h"

class QX_API QXGraphInterface {
public:
    QXGraphInterface& operator=(const QXGraphInterface& other);

    // A kind outside the known list gives a plain segment; null only when memory
    // runs out.
    static IQXGraphShapeBase* CreateGraphShape(QX_GRAPH_TYPE eType);
    // Null is ignored.
    static void ReleaseGraphShape(IQXGraphShapeBase* pShape);
};
