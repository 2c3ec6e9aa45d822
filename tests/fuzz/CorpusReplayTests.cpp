// Every saved fuzzer input runs through its target again: the seeds taken from
// the examples and tests, and each finding that was fixed. A target stops the
// process on a broken promise, so a regression fails this test (and, in the
// sanitized run, any memory fault or leak does too).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace {

namespace fs = std::filesystem;

struct CReplayCase {
    const char* m_szTarget;
    int (*m_pfnEntry)(const uint8_t*, size_t);
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const CReplayCase& replayCase, std::ostream* pStream) {
    *pStream << replayCase.m_szTarget;
}

const CReplayCase kCases[] = {
    {"parse", FuzzParse},   {"compile", FuzzCompile}, {"calculate", FuzzCalculate},
    {"shapes", FuzzShapes}, {"range", FuzzRange},
};

std::vector<fs::path> SavedInputs(const std::string& strTarget) {
    std::vector<fs::path> vecFiles;
    for (const char* szFolder : {"corpus", "regressions"}) {
        const fs::path folder = fs::path(QX_FUZZ_DIR) / szFolder / strTarget;
        if (!fs::is_directory(folder)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') {
                vecFiles.push_back(entry.path());
            }
        }
    }
    std::sort(vecFiles.begin(), vecFiles.end());
    return vecFiles;
}

class CorpusReplay : public testing::TestWithParam<CReplayCase> {};

TEST_P(CorpusReplay, EverySavedInputRunsCleanly) {
    const std::vector<fs::path> vecFiles = SavedInputs(GetParam().m_szTarget);
    // The seed corpus is never empty: an empty list means the files were not found.
    ASSERT_FALSE(vecFiles.empty()) << QX_FUZZ_DIR;
    for (const fs::path& file : vecFiles) {
        SCOPED_TRACE(file.string());
        std::ifstream stream(file, std::ios::binary);
        const std::vector<char> vecBytes((std::istreambuf_iterator<char>(stream)),
                                         std::istreambuf_iterator<char>());
        EXPECT_EQ(GetParam().m_pfnEntry(reinterpret_cast<const uint8_t*>(vecBytes.data()),
                                        vecBytes.size()),
                  0);
    }
}

// Arbitrary bytes too, for the targets' own handling of short and empty input.
TEST_P(CorpusReplay, ShortInputsRunCleanly) {
    std::vector<uint8_t> vecBytes;
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(GetParam().m_pfnEntry(vecBytes.data(), vecBytes.size()), 0);
        vecBytes.push_back(static_cast<uint8_t>(i * 37 + 11));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CReplayCase>& info) {
                             return std::string(info.param.m_szTarget);
                         });

}  // namespace
