// libFuzzer's entry point for one target; QX_FUZZ_ENTRY names the target's
// function (FuzzTargets.h).
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    return QX_FUZZ_ENTRY(pData, nSize);
}
