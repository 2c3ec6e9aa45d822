// Factories and release functions of the formula objects. Objects belong to the
// client until handed back here; the release functions null the client's pointer
// first and destroy only objects of their own class.
#pragma once

#include "IIndexCalculator.h"
#include "IIndexParser.h"
#include "QXExport.h"

class QX_API IndexObjCreator {
public:
    IndexObjCreator& operator=(const IndexObjCreator& other);

    // Null when memory runs out.
    static IIndexParser* CreateIndexParserObj();
    static void ReleaseIndexParserObj(IIndexParser** pp);
    static IIndexCalculator* CreateIndexCalculatorObj();
    static void ReleaseIndexCalculatorObj(IIndexCalculator** pp);
};
