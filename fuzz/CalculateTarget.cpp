// Formula to numbers to records. The input chooses parameters, a generated
// formula, the bars (with holes and refusals) and then a sequence of calculator
// operations in any order: calculations over random and reversed ranges, forced
// or not, publishing, every reader, stops, releases, growing data and rebinding.
// The readers' answers are checked against the calculator's own promises.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "IndexObjCreator.h"
#include "fuzz/FormulaGenerator.h"
#include "fuzz/FuzzBarSource.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/RecordWalk.h"
#include "index/functions/ValueConventions.h"

namespace {

constexpr int kMaxOperations = 48;
// Buffers handed to GetValues are sized by the range; ranges longer than this are
// only asked without buffers.
constexpr int kMaxBufferBars = 4096;

int ReadBar(CFuzzInput& input, int nBars) {
    switch (input.ReadInt(0, 7)) {
        case 0:
            return -1 - input.ReadInt(0, 3);
        case 1:
            return nBars + input.ReadInt(-1, 3);
        case 2:
            return input.ReadBool() ? (1 << 30) : -(1 << 30);
        default:
            return nBars > 0 ? input.ReadInt(0, nBars - 1) : 0;
    }
}

std::set<int> ReadExcluded(CFuzzInput& input) {
    std::set<int> setExcluded;
    const int nCount = input.ReadInt(0, 3) == 0 ? input.ReadInt(1, 3) : 0;
    for (int i = 0; i < nCount; ++i) setExcluded.insert(input.ReadInt(-1, 6));
    return setExcluded;
}

void ReadValues(IIndexCalculator& calculator, CFuzzInput& input, int nBars, int nLines) {
    const int nLine = input.ReadInt(-1, nLines);
    const int nFrom = ReadBar(input, nBars);
    const int nTo = ReadBar(input, nBars);
    const long long nLength = static_cast<long long>(nTo) - nFrom + 1;
    if (nLength < 1 || nLength > kMaxBufferBars) {
        calculator.GetValues(nLine, nFrom, nTo, nullptr, nullptr);
        return;
    }
    std::vector<double> vecValues(static_cast<size_t>(nLength), 0.0);
    std::unique_ptr<bool[]> pValid(new bool[static_cast<size_t>(nLength)]());
    if (!calculator.GetValues(nLine, nFrom, nTo, vecValues.data(), pValid.get())) return;
    for (size_t i = 0; i < vecValues.size(); ++i) {
        // Valid means a value: neither marker may be reported as one.
        if (pValid[i]) QX_FUZZ_CHECK(HasValue(vecValues[i]));
    }
    double dValue = 0.0;
    calculator.GetValue(nLine, nFrom, &dValue);
}

void RunOperations(IIndexCalculator& calculator, IIndexParser& parser, CFuzzBarSource& source,
                   CFuzzInput& input) {
    int nLines = 0;
    parser.GetDrawStatementCount(&nLines);
    for (int nStep = 0; nStep < kMaxOperations && !input.IsEmpty(); ++nStep) {
        const int nBars = source.BarCount();
        switch (input.ReadInt(0, 15)) {
            case 0:
            case 1:
            case 2: {
                const int nFrom = ReadBar(input, nBars);
                calculator.Calculate(nFrom, ReadBar(input, nBars), input.ReadBool());
                int nFirst = 0, nLast = 0;
                QX_FUZZ_CHECK(calculator.GetCalculatedRange(&nFirst, &nLast));
                QX_FUZZ_CHECK((nFirst == -1 && nLast == -1) || (0 <= nFirst && nFirst <= nLast));
                break;
            }
            case 3:
                calculator.Calculate(0, nBars - 1, false);  // the whole series
                break;
            case 4:
            case 5:
                calculator.UpdateDisplayData();
                break;
            case 6:
            case 7:
                ReadValues(calculator, input, nBars, nLines);
                break;
            case 8: {
                const std::set<int> setExcluded = ReadExcluded(input);
                double dMin = 0.0, dMax = 0.0;
                const int nFrom = ReadBar(input, nBars);
                if (calculator.GetValueRange(nFrom, ReadBar(input, nBars),
                                             input.ReadBool() ? &setExcluded : nullptr, &dMin,
                                             &dMax)) {
                    QX_FUZZ_CHECK(!(dMin > dMax));
                }
                break;
            }
            case 9:
            case 10: {
                const std::set<int> setExcluded = ReadExcluded(input);
                std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
                const int nFrom = ReadBar(input, nBars);
                const int nTo = ReadBar(input, nBars);
                calculator.GetDrawInfo(nFrom, nTo, input.ReadInt(-1, 4),
                                       input.ReadBool() ? &setExcluded : nullptr, &vecInfos);
                WalkRecords(vecInfos, true);
                QX_FUZZ_CHECK(calculator.ReleaseDrawInfo(&vecInfos));
                QX_FUZZ_CHECK(vecInfos.empty());
                break;
            }
            case 11: {
                double dValue = 0.0;
                const int nLine = input.ReadInt(-1, nLines);
                const int nArg = input.ReadInt(-1, 6);
                calculator.GetDrawArgValue(nLine, nArg, ReadBar(input, nBars), &dValue);
                break;
            }
            case 12:
                calculator.StopCalculate();
                if (input.ReadBool()) calculator.Calculate(0, nBars - 1, input.ReadBool());
                break;
            case 13:
                calculator.ReleaseDisplayData();
                break;
            case 14:
                source.Grow(input.ReadInt(1, 40));
                break;
            default:
                if (input.ReadBool()) {
                    parser.SetParamValue(input.ReadInt(-1, 3),
                                         static_cast<float>(input.ReadInt(-5, 60)));
                    parser.SetOutputColor(input.ReadInt(-1, 3), input.ReadU32());
                    calculator.SetIndexParser(&parser);
                } else {
                    calculator.SetDataSource(&source);
                }
                break;
        }
    }
}

}  // namespace

int FuzzCalculate(const uint8_t* pData, size_t nSize) {
    static CFormulaGenerator s_generator;
    CFuzzInput input(pData, nSize);

    std::vector<std::string> vecParamNames;
    std::vector<float> vecParamValues;
    const int nParams = input.ReadInt(0, 3);
    for (int i = 0; i < nParams; ++i) {
        vecParamNames.push_back("p" + std::to_string(i));
        vecParamValues.push_back(static_cast<float>(input.ReadInt(-3, 80)));
    }
    // Most inputs get a generated formula; a few bring their own text, so that
    // the seed formulas of the examples run too.
    std::string strFormula;
    if (input.ReadInt(0, 7) == 0) {
        strFormula = input.ReadText(4096);
    } else {
        strFormula = s_generator.WriteFormula(input, vecParamNames, 6);
    }

    // Triage: QX_FUZZ_SHOW=1 fuzz_calculate INPUT prints what the input became.
    static const bool s_bShow = std::getenv("QX_FUZZ_SHOW") != nullptr;
    if (s_bShow) std::fprintf(stderr, "formula:\n%s\n", strFormula.c_str());

    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    if (pParser == nullptr) return 0;
    if (!pParser->Parse(strFormula, vecParamNames, vecParamValues)) {
        IndexObjCreator::ReleaseIndexParserObj(&pParser);
        return 0;
    }

    int nBars = input.ReadInt(0, 255);
    if (nBars > 250) nBars = 600 + (nBars - 250) * 100;  // now and then more than a margin
    CFuzzBarSource source(input, nBars);
    if (s_bShow) std::fprintf(stderr, "bars: %d\n", nBars);
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    if (pCalculator != nullptr) {
        // Unbound calls first: every operation must refuse cleanly.
        if (input.ReadBool()) {
            pCalculator->Calculate(0, 10, false);
            pCalculator->UpdateDisplayData();
            std::vector<QXDrawInfo::GraphDrawInfo> vecInfos;
            pCalculator->GetDrawInfo(0, 10, 0, nullptr, &vecInfos);
            pCalculator->SetIndexParser(nullptr);
            pCalculator->SetDataSource(nullptr);
        }
        pCalculator->SetIndexParser(pParser);
        pCalculator->SetDataSource(&source);
        RunOperations(*pCalculator, *pParser, source, input);
        IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    }
    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    return 0;
}
