#include "IndexObjCreator.h"

// Not needed to compile: it puts the client's data source interface into this
// unit's debug information, which the binary-interface baseline reads.
#include "IIndexDataSource.h"
#include "api/ObjectStorage.h"
#include "index/calc/CIndexCalculator.h"
#include "index/frontend/CIndexParser.h"

IndexObjCreator& IndexObjCreator::operator=(const IndexObjCreator&) { return *this; }

IIndexParser* IndexObjCreator::CreateIndexParserObj() {
    return CreateZeroFilled<CIndexParser>();
}

void IndexObjCreator::ReleaseIndexParserObj(IIndexParser** pp) {
    if (pp == nullptr) return;
    IIndexParser* p = *pp;
    *pp = nullptr;
    DestroyIfOwnClass<CIndexParser>(p);
}

IIndexCalculator* IndexObjCreator::CreateIndexCalculatorObj() {
    return CreateZeroFilled<CIndexCalculator>();
}

void IndexObjCreator::ReleaseIndexCalculatorObj(IIndexCalculator** pp) {
    if (pp == nullptr) return;
    IIndexCalculator* p = *pp;
    *pp = nullptr;
    DestroyIfOwnClass<CIndexCalculator>(p);
}
