// Functions the formula language names but this engine has no data for (chip
// distribution, index betas, implied volatility and the like). They answer 1.0 at
// every bar, so that a formula using them still calculates and draws instead of
// failing as a whole. Their arguments are neither checked nor evaluated: nothing
// depends on them. REVERSE is named too but has no entry, so a call of it fails.

#include <iterator>

#include "index/functions/FunctionDispatch.h"
#include "index/functions/FunctionFrame.h"

namespace {

int ReturnOne(const ExprNode* pNode, double* pOut, EvalContext* pContext, int nBarOffset) {
    CFunctionFrame frame(pNode, pOut, pContext, nBarOffset);
    if (!frame.EnterAtLeast(1)) return frame.Status();
    return frame.Return(1.0);
}

// clang-format off
constexpr DispatchEntry s_arrRows[] = {
    {ReturnOne, 131},  // CALCSTOCKINDEX
    {ReturnOne, 136},  // TFILT
    {ReturnOne, 190},  // BETA
    {ReturnOne, 191},  // BETAEX
    {ReturnOne, 193},  // IVOLAT
    {ReturnOne, 210},  // COST
    {ReturnOne, 217},  // WINNER
    {ReturnOne, 218},  // LWINNER
    {ReturnOne, 219},  // PWINNER
    {ReturnOne, 220},  // COSTEX
    {ReturnOne, 221},  // PPART
    {ReturnOne, 224},  // NEWSAR
};
// clang-format on

}  // namespace

DispatchRows ConstantFunctionRows() {
    return {s_arrRows, std::size(s_arrRows)};
}
