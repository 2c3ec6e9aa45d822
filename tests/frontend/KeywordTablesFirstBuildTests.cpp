// The keyword tables are process-wide, so what the client sees before the first
// build can only be tested in a process of its own: this executable never builds
// them before the first test has looked.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "CParserHelper.h"
#include "index/frontend/KeywordTables.h"

namespace {

TEST(KeywordTablesFirstBuild, HelperBeforeAndAfterTheFirstBuild) {
    ASSERT_TRUE(GetKeywordTables().GetKeywordIds().empty());
    EXPECT_EQ(GetKeywordTables().GetCharClass('+'), kCharClassName);
    EXPECT_STREQ(FindKeywordText(8070), "if");  // read from the source lists

    struct {
        const char* pszWord;
        bool bConstBefore;
    } const rows[] = {
        {"close", false},      {"CLOSE", false},     {"ma", false},         {"colorred", false},
        {"linethick3", false}, {"LINETHICK3", true}, {"COLORFF0000", true}, {"COLORRED", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWord);
        EXPECT_FALSE(CParserHelper::IsFunc(row.pszWord));
        EXPECT_FALSE(CParserHelper::IsParamIndex(row.pszWord));
        EXPECT_EQ(CParserHelper::IsConst(row.pszWord), row.bConstBefore);
    }

    // Readers race the builders: each read must find either the empty tables or
    // the complete ones, never a map that is still being filled.
    std::vector<std::vector<size_t>> vecSeen(8);
    std::vector<std::thread> vecThreads;
    for (int i = 0; i < 8; ++i) {
        vecThreads.emplace_back([&vecSeen, i] {
            if (i % 2 == 0) {
                EXPECT_TRUE(BuildKeywordTables());
                return;
            }
            for (int nRound = 0; nRound < 2000; ++nRound) {
                CParserHelper::IsFunc("close");
                vecSeen[i].push_back(GetKeywordTables().GetKeywordIds().size());
            }
        });
    }
    for (std::thread& thread : vecThreads) thread.join();
    const size_t nComplete = GetKeywordTables().GetKeywordIds().size();
    ASSERT_GT(nComplete, 0u);
    for (const std::vector<size_t>& vecSizes : vecSeen) {
        for (size_t nSize : vecSizes) EXPECT_TRUE(nSize == 0 || nSize == nComplete) << nSize;
    }

    EXPECT_TRUE(CParserHelper::IsFunc("CLOSE"));
    EXPECT_TRUE(CParserHelper::IsParamIndex("close"));
    EXPECT_TRUE(CParserHelper::IsConst("colorred"));
    EXPECT_TRUE(CParserHelper::IsConst("linethick3"));
}

}  // namespace
