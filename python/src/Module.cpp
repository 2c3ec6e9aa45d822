// The compiled part of the qxscript package. The package's Python side turns
// frames and dicts into the plain arrays these functions take.
#include "python/src/Bindings.h"

PYBIND11_MODULE(_core, module) {
    module.doc() = "Formula engine for technical indicators: the compiled part of qxscript";
    qxscript::RegisterFormula(module);
    qxscript::RegisterCalc(module);
    qxscript::RegisterLive(module);
    qxscript::RegisterDraw(module);
}
