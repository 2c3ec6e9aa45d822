// Parse on arbitrary bytes. The input starts with the parameter lists (a count,
// then for each a name ended by 0xFF and a raw float; one byte may make the two
// lists differ in length) and the rest is the formula text. After the parse every
// query of the parser is asked, with indexes around and beyond the valid ones and
// with name buffers of awkward sizes, and a second Parse must be refused.
#include <cstring>
#include <string>
#include <vector>

#include "CParserHelper.h"
#include "IndexObjCreator.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzTargets.h"

namespace {

constexpr unsigned kNameBufferSizes[] = {1, 2, 7, 33, 300};

void CheckName(bool bOk, const char* pBuffer, unsigned nSize) {
    if (bOk) QX_FUZZ_CHECK(std::memchr(pBuffer, '\0', nSize) != nullptr);
}

void AskOutput(IIndexParser& parser, int k, CFuzzInput& input) {
    unsigned nColour = 0;
    int nValue = 0;
    bool bFlag = false;
    parser.GetOutputColor(k, &nColour);
    parser.GetOutputLineThick(k, &nValue);
    parser.GetOutputDrawType(k, &nValue);
    parser.IsOutputHidden(k, &bFlag);
    parser.IsDrawFunctionOutput(k, &bFlag);
    for (unsigned nSize : kNameBufferSizes) {
        std::vector<char> vecBuffer(nSize, 'x');
        CheckName(parser.GetOutputName(k, vecBuffer.data(), nSize), vecBuffer.data(), nSize);
    }
    parser.GetOutputName(k, nullptr, 10);
    parser.GetOutputColor(k, nullptr);
    parser.GetOutputLineThick(k, nullptr);
    if (const std::vector<float>* pValues = parser.GetOutputParamValues(k)) (void)pValues->size();
    if (const std::vector<int>* pIndexes = parser.GetOutputParamIndexes(k)) (void)pIndexes->size();
    if (input.ReadBool()) parser.SetOutputColor(k, input.ReadU32());
    if (input.ReadBool()) parser.SetOutputLineThick(k, input.ReadInt(-3, 12));
}

void AskParam(IIndexParser& parser, int k, CFuzzInput& input) {
    float fValue = 0.0f;
    parser.GetParamValue(k, &fValue);
    parser.GetParamValue(k, nullptr);
    for (unsigned nSize : kNameBufferSizes) {
        std::vector<char> vecBuffer(nSize, 'x');
        CheckName(parser.GetParamName(k, vecBuffer.data(), nSize), vecBuffer.data(), nSize);
    }
    parser.GetParamName(k, nullptr, 0);
    if (const std::vector<int>* pOutputs = parser.GetParamOutputs(k)) (void)pOutputs->size();
    if (input.ReadBool()) parser.SetParamValue(k, input.ReadRawFloat());
}

void AskEverything(IIndexParser& parser, CFuzzInput& input) {
    ParseErrorInfo error;
    std::memset(&error, 0x55, sizeof(error));
    QX_FUZZ_CHECK(parser.GetError(&error));
    QX_FUZZ_CHECK(std::memchr(error.text, '\0', sizeof(error.text)) != nullptr);
    parser.GetError(nullptr);

    CCalculateInfo* pInfo = nullptr;
    parser.GetCalculateInfo(&pInfo);
    parser.GetCalculateInfo(nullptr);
    bool bFlag = false;
    parser.GetLongHistory(&bFlag);
    parser.GetFutureData(&bFlag);
    parser.GetVolatile(&bFlag);
    parser.GetLongHistory(nullptr);
    for (int nField : {-1, 0, 1, 4, 15, 16, 501, 1000, 1 << 30}) parser.UsesField(nField, 0);

    int nCount = 0;
    if (!parser.GetDrawStatementCount(&nCount)) nCount = 0;
    parser.GetDrawStatementCount(nullptr);
    // Indexes just around the valid range, where off-by-one faults live.
    const int nOutputs = nCount < 64 ? nCount : 64;
    for (int k = -2; k <= nOutputs + 1; ++k) AskOutput(parser, k, input);
    AskOutput(parser, 1 << 30, input);

    int nParams = 0;
    if (!parser.GetParamCount(&nParams)) nParams = 0;
    parser.GetParamCount(nullptr);
    for (int k = -2; k <= (nParams < 64 ? nParams : 64) + 1; ++k) AskParam(parser, k, input);
}

}  // namespace

int FuzzParse(const uint8_t* pData, size_t nSize) {
    CFuzzInput input(pData, nSize);
    const int nParams = input.ReadInt(0, 7);
    std::vector<std::string> vecNames;
    std::vector<float> vecValues;
    for (int i = 0; i < nParams; ++i) {
        vecNames.push_back(input.ReadText(40));
        vecValues.push_back(input.ReadRawFloat());
    }
    // Now and then lists of different lengths, which Parse must refuse untouched.
    if (nParams > 0 && input.ReadByte() == 0x5A) vecValues.pop_back();
    // Bytes for the query stage come from a fixed-size block so that the formula
    // text keeps its place when the fuzzer mutates the queries.
    std::vector<uint8_t> vecQueryBytes;
    for (int i = 0; i < 32; ++i) vecQueryBytes.push_back(input.ReadByte());
    const std::string strText = input.ReadRest();

    IIndexParser* pParser = IndexObjCreator::CreateIndexParserObj();
    if (pParser == nullptr) return 0;
    const bool bParsed = pParser->Parse(strText, vecNames, vecValues);
    if (vecNames.size() != vecValues.size()) QX_FUZZ_CHECK(!bParsed);

    CFuzzInput queries(vecQueryBytes.data(), vecQueryBytes.size());
    AskEverything(*pParser, queries);
    if (bParsed) QX_FUZZ_CHECK(!pParser->Parse(strText, vecNames, vecValues));

    // The client's keyword helpers on the words of the text.
    size_t nStart = 0;
    for (int nWords = 0; nStart < strText.size() && nWords < 16; ++nWords) {
        size_t nEnd = strText.find_first_of(" ;:,()+-*/\n", nStart);
        if (nEnd == std::string::npos) nEnd = strText.size();
        const std::string strWord = strText.substr(nStart, nEnd - nStart);
        CParserHelper::IsFunc(strWord);
        CParserHelper::IsParamIndex(strWord);
        CParserHelper::IsConst(strWord);
        nStart = nEnd + 1;
    }

    IndexObjCreator::ReleaseIndexParserObj(&pParser);
    QX_FUZZ_CHECK(pParser == nullptr);
    return 0;
}
