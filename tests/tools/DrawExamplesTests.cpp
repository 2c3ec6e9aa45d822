// Every bundled example, drawn by qxindex as a user runs it, gives a well-formed SVG;
// so do the drawing-tool files and the demo.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "XmlCheck.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class DrawExamples : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("qxindex-draw-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs qxindex with the arguments; true when it exits 0.
    static bool Run(const std::string& arguments) {
        const std::string command =
            std::string(QX_QXINDEX_PATH) + " " + arguments + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    void ExpectWellFormed(const fs::path& svg, const std::string& what) {
        XmlCheck check = XmlCheck::Parse(ReadAll(svg));
        EXPECT_TRUE(check.wellFormed) << what << ": " << check.error;
        EXPECT_GT(check.elements, 10) << what;
    }

    fs::path m_dir;
    const fs::path m_root{QX_SOURCE_DIR};
};

TEST_F(DrawExamples, EveryFormulaAndToolFileDrawsWellFormedSvg) {
    const std::string bars = (m_root / "data/aapl_2013_2018.csv").string();
    int drawn = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(m_root / "examples")) {
        const fs::path& file = entry.path();
        std::string arguments;
        if (file.extension() == ".txt") {
            arguments = "draw " + file.string();
        } else if (file.extension() == ".json") {
            arguments = "draw --shapes " + file.string();
        } else {
            continue;
        }
        const fs::path svg = m_dir / (file.stem().string() + ".svg");
        const fs::path records = m_dir / (file.stem().string() + ".json");
        ASSERT_TRUE(Run(arguments + " --bars " + bars + " -o " + svg.string() + " --records " +
                        records.string()))
            << arguments;
        ExpectWellFormed(svg, file.filename().string());
        EXPECT_EQ(ReadAll(records).front(), '[') << file.filename();
        ++drawn;
    }
    EXPECT_GE(drawn, 20);
}

TEST_F(DrawExamples, DemoWritesItsChartIntoTheCurrentFolder) {
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    const bool ok = Run("");
    fs::current_path(previous);
    ASSERT_TRUE(ok);
    ExpectWellFormed(m_dir / "qxindex-demo.svg", "demo");
}

TEST_F(DrawExamples, BadToolFilesNameTheEntryAndField) {
    struct Case {
        const char* json;
        const char* message;
    } cases[] = {
        {R"([{"kind": "QX_GRAPH_NO_SUCH", "points": []}])", "entry 0, field 'kind'"},
        {R"([{"kind": 1, "points": [{"bar": 5, "price": 1}]}])", "entry 0, field 'points'"},
        {R"([{"kind": 1, "points": [{"bar": 5, "price": 1}, {"bar": "x", "price": 1}]}])",
         "field 'points[1].bar'"},
        {R"([{"kind": 1, "points": [{"bar": 5, "price": 1}, {"bar": 6, "price": 2}]},
            {"kind": 4, "lineColor": "red", "points": []}])",
         "entry 1, field 'lineColor'"},
    };
    const std::string bars = (m_root / "data/aapl_2013_2018.csv").string();
    for (const Case& c : cases) {
        const fs::path file = m_dir / "tools.json";
        std::ofstream(file) << c.json;
        const fs::path log = m_dir / "log.txt";
        const std::string command = std::string(QX_QXINDEX_PATH) + " draw --shapes " +
                                    file.string() + " --bars " + bars + " -o " +
                                    (m_dir / "x.svg").string() + " 2>" + log.string();
        const int status = std::system(command.c_str());
        EXPECT_NE(status, 0) << c.json;
        EXPECT_NE(ReadAll(log).find(c.message), std::string::npos) << ReadAll(log);
    }
}

}  // namespace
