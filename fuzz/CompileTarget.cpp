// The script compiler on arbitrary scripts. The input gives the four name lists
// the compiler resolves identifiers against (each a count and names ended by
// 0xFF; a few usual names are always there so that short inputs reach the
// expression rules), then the parameter values, then the script. A compiled
// result is dumped, which walks every tree it holds.
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"
#include "index/compiler/CScriptCompiler.h"
#include "index/compiler/CompiledFormula.h"
#include "index/compiler/CompiledFormulaDump.h"
#include "index/compiler/ScriptSource.h"

namespace {

void ReadNames(CFuzzInput& input, std::vector<std::string>& vecNames) {
    const int nCount = input.ReadInt(0, 5);
    for (int i = 0; i < nCount; ++i) vecNames.push_back(input.ReadText(24));
}

}  // namespace

int FuzzCompile(const uint8_t* pData, size_t nSize) {
    CFuzzInput input(pData, nSize);
    ScriptSource source;
    source.vecOutputNames = {"MA5", ".tempresindex0"};
    source.vecFieldNames = {"CLOSE", "HIGH"};
    source.vecVariableNames = {"X", "__T0"};
    source.vecParamNames = {"N"};
    source.vecParamValues = {5.0f};
    ReadNames(input, source.vecOutputNames);
    ReadNames(input, source.vecFieldNames);
    ReadNames(input, source.vecVariableNames);
    const int nParams = input.ReadInt(0, 4);
    for (int i = 0; i < nParams; ++i) {
        source.vecParamNames.push_back(input.ReadText(24));
        source.vecParamValues.push_back(input.ReadRawFloat());
    }
    // Lists of unequal length are a caller's mistake the compiler must refuse.
    if (input.ReadByte() == 0x5A) source.vecParamValues.pop_back();
    source.strScript = input.ReadRest();

    CCalculateInfo info;
    CScriptCompiler compiler;
    if (compiler.Compile(&source, &info) == COMPILE_OK) {
        const std::string strDump = DumpCalculateInfo(info);
        (void)strDump.size();
    }
    // A compiler object may be used again; the second run starts from scratch.
    CCalculateInfo infoAgain;
    compiler.Compile(&source, &infoAgain);
    compiler.Compile(nullptr, &infoAgain);
    return 0;
}
