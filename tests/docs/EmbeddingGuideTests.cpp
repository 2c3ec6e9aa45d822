// The code of the embedding guide, compiled from the document (see CMakeLists.txt),
// does what the guide says it does.
#include <gtest/gtest.h>

#include <cctype>

#include "EmbeddingGuideCode.inc"
#include "docs/DocExamples.h"

namespace {

class CCountingCanvas : public IChartCanvas {
public:
    void Polyline(const QXDrawInfo::CurveDrawInfo&,
                  const QXDrawInfo::CurveSegment& segment) override {
        ++m_nPolylines;
        m_bExtendedEnd = m_bExtendedEnd || segment.extendEnd;
    }
    void Rectangle(const QXDrawInfo::RectangleDrawInfo&,
                   const QXDrawInfo::RectangleItem&) override {
        ++m_nRectangles;
    }
    void Ellipse(const QXDrawInfo::ElipseDrawInfo&, const QXDrawInfo::QXPointVec&) override {
        ++m_nOthers;
    }
    void Cross(const QXDrawInfo::CrossDrawInfo&, const QXDrawInfo::CrossItem&) override {
        ++m_nOthers;
    }
    void Text(const QXDrawInfo::TextDrawInfo&, const QXDrawInfo::TextItem& item) override {
        m_vecTexts.push_back(item.text);
    }
    void Icon(const QXDrawInfo::VOZIconDrawInfo&, const QXDrawInfo::IconItem&) override {
        ++m_nOthers;
    }

    int m_nPolylines = 0;
    bool m_bExtendedEnd = false;
    int m_nRectangles = 0;
    int m_nOthers = 0;
    std::vector<std::string> m_vecTexts;
};

// Closes 10, 11, ..., 19; every other bar closes above its open.
std::vector<CBar> RisingBars() {
    std::vector<CBar> vecBars;
    for (int i = 0; i < 10; ++i) {
        const double dClose = 10.0 + i;
        const double dOpen = dClose + (i % 2 == 0 ? -0.5 : 0.5);
        vecBars.push_back({1704153600 + int64_t{86400} * i, dOpen, dClose + 1.0, dClose - 1.0,
                           dClose, 1000.0 + i});
    }
    return vecBars;
}

struct ParserReleaser {
    void operator()(IIndexParser* p) const { IndexObjCreator::ReleaseIndexParserObj(&p); }
};
using ParserPtr = std::unique_ptr<IIndexParser, ParserReleaser>;

// The names of the functions a header declares "virtual" or "static": the word just
// before the first parenthesis of the declaration.
std::vector<std::string> DeclaredOperations(const std::string& strHeader) {
    std::vector<std::string> vecNames;
    for (const char* pszKeyword : {"virtual ", "static "}) {
        for (size_t nAt = strHeader.find(pszKeyword); nAt != std::string::npos;
             nAt = strHeader.find(pszKeyword, nAt + 1)) {
            const size_t nParen = strHeader.find('(', nAt);
            if (nParen == std::string::npos || strHeader.find(';', nAt) < nParen) continue;
            size_t nEnd = nParen;
            while (nEnd > nAt && strHeader[nEnd - 1] == ' ') --nEnd;
            size_t nStart = nEnd;
            while (nStart > nAt &&
                   (std::isalnum(static_cast<unsigned char>(strHeader[nStart - 1])) ||
                    strHeader[nStart - 1] == '_')) {
                --nStart;
            }
            if (nStart < nEnd) vecNames.push_back(strHeader.substr(nStart, nEnd - nStart));
        }
    }
    return vecNames;
}

TEST(EmbeddingGuide, ParseFormulaReportsTheFirstError) {
    std::string strError;
    EXPECT_EQ(ParseFormula("A:C==O;", {}, {}, &strError), nullptr);
    EXPECT_EQ(strError, "error 12 at line 1, column 3");
    ParserPtr parser(ParseFormula("M:MA(C,N);", {"N"}, {3.0f}, &strError));
    ASSERT_NE(parser, nullptr);
    int nParams = 0;
    EXPECT_TRUE(parser->GetParamCount(&nParams));
    EXPECT_EQ(nParams, 1);
}

TEST(EmbeddingGuide, CalculateLineGivesNaNWhereThereIsNoValue) {
    std::string strError;
    ParserPtr parser(ParseFormula("M:MA(C,3);", {}, {}, &strError));
    ASSERT_NE(parser, nullptr) << strError;
    CBarSource source(RisingBars());
    std::vector<double> vecValues;
    ASSERT_TRUE(CalculateLine(parser.get(), &source, 0, &vecValues));
    ASSERT_EQ(vecValues.size(), 10u);
    EXPECT_TRUE(std::isnan(vecValues[0]) && std::isnan(vecValues[1]));
    EXPECT_DOUBLE_EQ(vecValues[2], 11.0);
    EXPECT_DOUBLE_EQ(vecValues[9], 18.0);
}

// The incremental calls of the guide end where one calculation over all bars ends.
TEST(EmbeddingGuide, IncrementalStepsEqualOneCalculation) {
    std::string strError;
    ParserPtr parser(ParseFormula("M:MA(C,3)+EMA(C,4);", {}, {}, &strError));
    ASSERT_NE(parser, nullptr) << strError;
    CBarSource source(RisingBars());
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    ASSERT_TRUE(pCalculator->SetIndexParser(parser.get()));
    ASSERT_TRUE(pCalculator->SetDataSource(&source));
    EXPECT_TRUE(ShowBars(pCalculator, 2, 5));
    EXPECT_TRUE(ShowBars(pCalculator, 4, 9));
    EXPECT_TRUE(UpdateLastBar(pCalculator, &source));
    EXPECT_TRUE(AddBar(pCalculator, &source, CBar{1705017600, 20.0, 31.0, 19.0, 30.0, 900.0}));
    EXPECT_TRUE(ShowBars(pCalculator, 6, 10));
    std::vector<double> vecStepwise(11);
    std::unique_ptr<bool[]> arrValid(new bool[11]);
    ASSERT_TRUE(pCalculator->GetValues(0, 0, 10, vecStepwise.data(), arrValid.get()));
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
    EXPECT_EQ(pCalculator, nullptr);

    std::vector<double> vecOneGo;
    ASSERT_TRUE(CalculateLine(parser.get(), &source, 0, &vecOneGo));
    ASSERT_EQ(vecOneGo.size(), 11u);
    for (size_t i = 0; i < 11; ++i) {
        if (std::isnan(vecOneGo[i])) {
            EXPECT_FALSE(arrValid[i]) << i;
        } else {
            EXPECT_TRUE(arrValid[i]) << i;
            EXPECT_DOUBLE_EQ(vecStepwise[i], vecOneGo[i]) << i;
        }
    }
    EXPECT_FALSE(std::isnan(vecOneGo[10]));  // the appended bar was calculated
}

TEST(EmbeddingGuide, PaintFormulaVisitsEveryItemAndLeavesOutSwitchedOffLines) {
    std::string strError;
    ParserPtr parser(ParseFormula(
        "A:C; DRAWTEXT(C>O,L,'up'); STICKLINE(C>O,O,C,0.8,0); X:C,NODRAW;", {}, {}, &strError));
    ASSERT_NE(parser, nullptr) << strError;
    CBarSource source(RisingBars());
    IIndexCalculator* pCalculator = IndexObjCreator::CreateIndexCalculatorObj();
    ASSERT_TRUE(pCalculator->SetIndexParser(parser.get()));
    ASSERT_TRUE(pCalculator->SetDataSource(&source));
    ASSERT_TRUE(ShowBars(pCalculator, 0, 9));

    CCountingCanvas canvas;
    ASSERT_TRUE(PaintFormula(pCalculator, 0, 9, {}, &canvas));
    EXPECT_EQ(canvas.m_nPolylines, 1);   // one unbroken line through the closes
    EXPECT_EQ(canvas.m_nRectangles, 5);  // a stick on every rising bar
    EXPECT_EQ(canvas.m_vecTexts, std::vector<std::string>(5, "UP"));
    EXPECT_EQ(canvas.m_nOthers, 0);

    CCountingCanvas without;
    ASSERT_TRUE(PaintFormula(pCalculator, 0, 9, {0, 2}, &without));
    EXPECT_EQ(without.m_nPolylines, 0);
    EXPECT_EQ(without.m_nRectangles, 0);
    EXPECT_EQ(without.m_vecTexts.size(), 5u);
    IndexObjCreator::ReleaseIndexCalculatorObj(&pCalculator);
}

// Every operation of the exported interfaces and factories, read from the headers
// themselves, is named in the guide.
TEST(EmbeddingGuide, NamesEveryExportedOperation) {
    const std::string strGuide = ReadDocument(QX_DOCS_DIR "/embedding.md");
    ASSERT_FALSE(strGuide.empty());

    int nOperations = 0;
    for (const char* pszHeader :
         {"IIndexParser.h", "IIndexCalculator.h", "IIndexDataSource.h", "IQXGraphCoordinate.h",
          "IQXGraphShapeBase.h", "IndexObjCreator.h", "QXGraphInterface.h", "CParserHelper.h"}) {
        const std::string strHeader = ReadDocument(std::string(QX_API_DIR "/") + pszHeader);
        ASSERT_FALSE(strHeader.empty()) << pszHeader;
        for (const std::string& strName : DeclaredOperations(strHeader)) {
            ++nOperations;
            // `Name`, `Name(...)` or `Class::Name...`
            EXPECT_TRUE(strGuide.find("`" + strName + "`") != std::string::npos ||
                        strGuide.find("`" + strName + "(") != std::string::npos ||
                        strGuide.find("::" + strName) != std::string::npos)
                << pszHeader << ": " << strName;
        }
    }
    EXPECT_GE(nOperations, 23 + 13 + 9 + 10 + 44 + 4 + 2 + 3);
}

TEST(EmbeddingGuide, PlaceRayDrawsOneLineExtendedForwards) {
    CLinearConverter converter;
    CCountingCanvas canvas;
    EXPECT_TRUE(PlaceRay(&converter, &canvas));
    EXPECT_EQ(canvas.m_nPolylines, 1);
    EXPECT_TRUE(canvas.m_bExtendedEnd);
}

}  // namespace
