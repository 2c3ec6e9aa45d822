// Lifetime rules of the exported formula objects.
#include <gtest/gtest.h>

#include <cstring>

#include "IndexObjCreator.h"
#include "api/RefusingParser.h"

namespace {

// An IIndexParser that is not the library's: the release function must leave it alone.
class ForeignParser : public CRefusingParser {
public:
    int m_nAlive = 12345;
};

TEST(ObjectLifetime, ReleaseAcceptsNullAndNullsThePointer) {
    IndexObjCreator::ReleaseIndexParserObj(nullptr);
    IIndexParser* pNull = nullptr;
    IndexObjCreator::ReleaseIndexParserObj(&pNull);
    EXPECT_EQ(pNull, nullptr);

    IIndexParser* p = IndexObjCreator::CreateIndexParserObj();
    ASSERT_NE(p, nullptr);
    IndexObjCreator::ReleaseIndexParserObj(&p);
    EXPECT_EQ(p, nullptr);
    IndexObjCreator::ReleaseIndexParserObj(&p);  // a second release is harmless

    IndexObjCreator::ReleaseIndexCalculatorObj(nullptr);
    IIndexCalculator* c = IndexObjCreator::CreateIndexCalculatorObj();
    ASSERT_NE(c, nullptr);
    IndexObjCreator::ReleaseIndexCalculatorObj(&c);
    EXPECT_EQ(c, nullptr);
    IndexObjCreator::ReleaseIndexCalculatorObj(&c);
}

TEST(ObjectLifetime, ForeignObjectIsLeftUntouchedButPointerIsNulled) {
    ForeignParser foreign;
    IIndexParser* p = &foreign;
    IndexObjCreator::ReleaseIndexParserObj(&p);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(foreign.m_nAlive, 12345);  // still alive; a destroy would also crash ASan
}

TEST(ObjectLifetime, FreshParserAnswersAsUnparsed) {
    IIndexParser* p = IndexObjCreator::CreateIndexParserObj();
    ASSERT_NE(p, nullptr);

    ParseErrorInfo error;
    std::memset(&error, 0x5A, sizeof(error));
    ASSERT_TRUE(p->GetError(&error));
    ParseErrorInfo zero;
    std::memset(&zero, 0, sizeof(zero));
    EXPECT_EQ(std::memcmp(&error, &zero, sizeof(error)), 0);
    EXPECT_FALSE(p->GetError(nullptr));

    CCalculateInfo* pInfo = reinterpret_cast<CCalculateInfo*>(0x1);
    bool b = true;
    int n = 77;
    unsigned u = 77;
    float f = 7.0f;
    char name[8] = "keep";
    EXPECT_FALSE(p->GetCalculateInfo(&pInfo));
    EXPECT_EQ(pInfo, reinterpret_cast<CCalculateInfo*>(0x1));  // untouched on failure
    EXPECT_FALSE(p->GetLongHistory(&b));
    EXPECT_FALSE(p->GetFutureData(&b));
    EXPECT_FALSE(p->GetVolatile(&b));
    EXPECT_FALSE(p->UsesField(4, 0));
    EXPECT_FALSE(p->GetDrawStatementCount(&n));
    EXPECT_FALSE(p->GetOutputColor(0, &u));
    EXPECT_FALSE(p->GetOutputLineThick(0, &n));
    EXPECT_FALSE(p->GetOutputDrawType(0, &n));
    EXPECT_FALSE(p->GetOutputName(0, name, sizeof(name)));
    EXPECT_FALSE(p->IsOutputHidden(0, &b));
    EXPECT_FALSE(p->GetParamCount(&n));
    EXPECT_FALSE(p->GetParamValue(0, &f));
    EXPECT_FALSE(p->GetParamName(0, name, sizeof(name)));
    EXPECT_FALSE(p->SetOutputColor(0, 0xFF0000FFu));
    EXPECT_FALSE(p->SetOutputLineThick(0, 2));
    EXPECT_FALSE(p->SetParamValue(0, 1.0f));
    EXPECT_FALSE(p->IsDrawFunctionOutput(0, &b));
    EXPECT_TRUE(b);
    EXPECT_EQ(n, 77);
    EXPECT_EQ(u, 77u);
    EXPECT_EQ(f, 7.0f);
    EXPECT_STREQ(name, "keep");

    for (int k : {-1, 0, 5}) {
        ASSERT_NE(p->GetOutputParamValues(k), nullptr);
        EXPECT_TRUE(p->GetOutputParamValues(k)->empty());
        ASSERT_NE(p->GetOutputParamIndexes(k), nullptr);
        EXPECT_TRUE(p->GetOutputParamIndexes(k)->empty());
        ASSERT_NE(p->GetParamOutputs(k), nullptr);
        EXPECT_TRUE(p->GetParamOutputs(k)->empty());
    }
    IndexObjCreator::ReleaseIndexParserObj(&p);
}

TEST(ObjectLifetime, FreshCalculatorHasNoWindowAndReleasesRecords) {
    IIndexCalculator* c = IndexObjCreator::CreateIndexCalculatorObj();
    ASSERT_NE(c, nullptr);
    int first = 0, last = 0;
    EXPECT_TRUE(c->GetCalculatedRange(&first, &last));
    EXPECT_EQ(first, -1);
    EXPECT_EQ(last, -1);
    EXPECT_FALSE(c->SetIndexParser(nullptr));
    EXPECT_FALSE(c->SetDataSource(nullptr));

    std::vector<QXDrawInfo::GraphDrawInfo> infos(3);
    EXPECT_TRUE(c->ReleaseDrawInfo(&infos));
    EXPECT_TRUE(infos.empty());
    EXPECT_EQ(infos.capacity(), 0u);
    IndexObjCreator::ReleaseIndexCalculatorObj(&c);
}

}  // namespace
