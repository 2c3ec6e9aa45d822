#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "QXDrawInfo.h"
#include "drawinfo/NamedConstants.h"

namespace {

// Every row is found by its own name; colours are family 0x02, and within each style
// family the numbers run 0, 1, 2, ... in table order.
TEST(NamedConstants, TableShape) {
    size_t count = 0;
    const NamedConstant* rows = GetNamedConstants(&count);
    ASSERT_EQ(count, 31u);
    std::set<std::string> names;
    std::map<std::string, uint32_t> nextStyle;
    for (size_t i = 0; i < count; ++i) {
        const std::string name = rows[i].m_pszName;
        const uint32_t code = rows[i].m_nCode;
        SCOPED_TRACE(name);
        EXPECT_TRUE(names.insert(name).second) << "duplicate";
        uint32_t found = 0;
        ASSERT_TRUE(FindNamedConstant(name, &found));
        EXPECT_EQ(found, code);
        if (name.compare(0, 3, "CLR") == 0) {
            EXPECT_EQ(code & kNamedFamilyMask, kNamedColorFamily);
            continue;
        }
        EXPECT_EQ(code & kNamedFamilyMask, kNamedStyleFamily);
        const std::string family = name.substr(0, name.compare(0, 4, "PLOY") == 0 ? 4 : 3);
        EXPECT_EQ(code & ~kNamedFamilyMask, nextStyle[family]++);
    }
    const std::map<std::string, uint32_t> familySizes = {{"PLOY", 10}, {"CLT", 5}, {"CIT", 5}};
    EXPECT_EQ(nextStyle, familySizes);
}

// Names that share a length or a first letter with a constant, or a prefix, are no
// constant: the quick rejection by length and first letter must not let any through,
// nor turn away a real one.
TEST(NamedConstants, NearMissesAreNoConstants) {
    const char* const arrMisses[] = {"",
                                     "C",
                                     "CLR",
                                     "CLRRE",
                                     "CLRREDX",
                                     "CLRRED ",
                                     "clrred",
                                     "PLOY",
                                     "CITSAX",
                                     "CAPITAL",
                                     "CLOSE",
                                     "COLORRED",
                                     "DLRRED",
                                     "CLTSTICKS",
                                     "PLOYCOLORSTICKS",
                                     "\xb0\xa1\xb0\xa1\xb0\xa1"};
    for (const char* pszName : arrMisses) {
        const std::string name = pszName;
        uint32_t code = 0xDEADBEEF;
        EXPECT_FALSE(FindNamedConstant(name, &code)) << name;
        EXPECT_EQ(code, 0xDEADBEEFu);
    }
    uint32_t code = 0;
    EXPECT_FALSE(FindNamedConstant(std::string("CLRRED\0", 7), &code));
    EXPECT_TRUE(FindNamedConstant("PLOYCOLORSTICK", &code));
    EXPECT_EQ(code, 0x01000005u);
}

TEST(NamedConstants, ColoursByTheirChannels) {
    struct Case {
        const char* name;
        int r, g, b;
    };
    const Case cases[] = {
        {"CLRRED", 255, 0, 0},      {"CLRBLUE", 0, 0, 255},        {"CLRWHITE", 255, 255, 255},
        {"CLRBLACK", 0, 0, 0},      {"CLRGREEN", 0, 255, 0},       {"CLRYELLOW", 255, 255, 0},
        {"CLRPURPLE", 255, 0, 255}, {"CLRSKY", 0, 255, 255},       {"CLRPINK", 255, 192, 203},
        {"CLRGRAY", 128, 128, 128}, {"CLRDEFAULT", 254, 254, 254},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t code = 0;
        ASSERT_TRUE(FindNamedConstant(c.name, &code));
        const int v = static_cast<int>(code);
        EXPECT_EQ(QXDrawInfo::GetRVal(v), c.r);
        EXPECT_EQ(QXDrawInfo::GetGVal(v), c.g);
        EXPECT_EQ(QXDrawInfo::GetBVal(v), c.b);
    }
}

TEST(NamedConstants, LookupMatchesWholeUpperCaseNamesOnly) {
    const std::string misses[] = {
        "clrred", "ClrRed", "CLRRED ", "CLR", "", "CLRREDX", std::string("CLRRED\0", 7)};
    for (const std::string& name : misses) {
        uint32_t code = 0xDEADBEEFu;
        EXPECT_FALSE(FindNamedConstant(name, &code)) << name;
        EXPECT_EQ(code, 0xDEADBEEFu) << "code must stay untouched";
    }
    EXPECT_TRUE(FindNamedConstant("CITSAR", nullptr));
}

}  // namespace
