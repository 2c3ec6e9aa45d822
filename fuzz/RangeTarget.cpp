// Column-at-a-time evaluation against bar-by-bar evaluation: a generated formula over
// generated bars (holes, NaN, infinities, huge and tiny values), calculated by both
// through the same sequence of whole, partial, reversed and forced calculations
// while the bars grow. Any bit of any output or drawing argument that differs
// stops the process.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "fuzz/FormulaGenerator.h"
#include "fuzz/FuzzBarSource.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/RangeDifferential.h"

namespace {

constexpr int kMaxOperations = 12;

int ReadBar(CFuzzInput& input, int nBars) {
    switch (input.ReadInt(0, 5)) {
        case 0:
            return -1;
        case 1:
            return nBars - 1;
        default:
            return nBars > 0 ? input.ReadInt(0, nBars - 1) : 0;
    }
}

}  // namespace

int FuzzRange(const uint8_t* pData, size_t nSize) {
    static CFormulaGenerator s_generator;
    CFuzzInput input(pData, nSize);
    std::vector<std::string> vecParamNames;
    std::vector<float> vecParamValues;
    const int nParams = input.ReadInt(0, 3);
    for (int i = 0; i < nParams; ++i) {
        vecParamNames.push_back("p" + std::to_string(i));
        vecParamValues.push_back(static_cast<float>(input.ReadInt(-3, 80)));
    }
    const std::string strFormula = input.ReadInt(0, 7) == 0
                                       ? input.ReadText(4096)
                                       : s_generator.WriteFormula(input, vecParamNames, 6);
    // Triage: QX_FUZZ_SHOW=1 fuzz_range INPUT prints what the input became.
    static const bool s_bShow = std::getenv("QX_FUZZ_SHOW") != nullptr;
    if (s_bShow) std::fprintf(stderr, "formula:\n%s\n", strFormula.c_str());
    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    if (pParser == nullptr) return 0;
    if (pParser->Parse(strFormula, vecParamNames, vecParamValues)) {
        int nBars = input.ReadInt(0, 255);
        if (nBars > 200) nBars = 300 + (nBars - 200) * 150;  // now and then several runs
        CFuzzBarSource source(input, nBars);
        CRangeDifferential differential(pParser, &source);
        for (int nStep = 0; nStep < kMaxOperations && !input.IsEmpty(); ++nStep) {
            const int nCount = source.BarCount();
            switch (input.ReadInt(0, 5)) {
                case 0:
                    differential.Calculate(0, nCount - 1, false);
                    break;
                case 1:
                    differential.Calculate(nCount - 1, nCount - 1, true);  // the forming bar
                    break;
                case 2:
                    source.Grow(input.ReadInt(1, 300));
                    if (input.ReadBool()) differential.Rebind();
                    break;
                default: {
                    const int nFrom = ReadBar(input, nCount);
                    differential.Calculate(nFrom, ReadBar(input, nCount), input.ReadBool());
                    break;
                }
            }
            const std::string strDifference = differential.Compare();
            if (!strDifference.empty()) {
                std::fprintf(stderr, "formula:\n%s\n%s\n", strFormula.c_str(),
                             strDifference.c_str());
            }
            QX_FUZZ_CHECK(strDifference.empty());
        }
    }
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return 0;
}
