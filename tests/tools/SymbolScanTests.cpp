// qxindex scan: which symbols a formula picks at their last bar or at a date,
// what it makes of files it cannot read, its three output forms, and that the
// thread count changes nothing but the time taken.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tools/qxindex/SymbolScan.h"

namespace {

namespace fs = std::filesystem;
using qxindex::ScanOutcome;
using qxindex::SymbolResult;

const char* const kFormula = "M:MA(C,3); UP:C>M;";

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

class SymbolScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("qxindex-scan-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "bars");
        // Daily bars from 2024-01-01 on, one per calendar day.
        WriteBars("rise", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        WriteBars("fall", 1, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
        WriteBars("peak", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 5});
        WriteBars("late", 5, {3, 4, 5, 6, 7});
        WriteBars("short", 1, {1, 2});  // too few bars for the average: no value, no hit
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void WriteBars(const std::string& name, int firstDay, const std::vector<double>& closes) {
        std::ofstream out(m_dir / "bars" / (name + ".csv"));
        out << "date,open,high,low,close,volume\n";
        for (size_t i = 0; i < closes.size(); ++i) {
            char date[32];
            std::snprintf(date, sizeof(date), "2024-01-%02d", firstDay + static_cast<int>(i));
            out << date << "," << closes[i] << "," << closes[i] + 1 << "," << closes[i] - 0.5 << ","
                << closes[i] << ",1000\n";
        }
    }

    void WriteFile(const std::string& name, const std::string& text) {
        std::ofstream out(m_dir / "bars" / name);
        out << text;
    }

    qxindex::ScanSettings Settings(const std::string& formula) {
        qxindex::ScanSettings settings;
        settings.formula.text = formula;
        qxindex::FormulaError error;
        EXPECT_TRUE(qxindex::ProbeColumns(settings.formula, &settings.columns, &error));
        return settings;
    }

    std::vector<SymbolResult> Scan(const qxindex::ScanSettings& settings) {
        return qxindex::ScanSymbols(settings, qxindex::CollectBarFiles({(m_dir / "bars").string()}),
                                    nullptr);
    }

    static std::string Hits(const std::vector<SymbolResult>& results) {
        std::string hits;
        for (const SymbolResult& r : results) {
            if (r.outcome == ScanOutcome::kHit) hits += r.symbol + "@" + r.date + " ";
        }
        return hits;
    }

    Output Run(const std::string& arguments) {
        const fs::path out = m_dir / "out.txt";
        const fs::path err = m_dir / "err.txt";
        const std::string command = std::string(QX_QXINDEX_PATH) + " " + arguments + " >" +
                                    out.string() + " 2>" + err.string();
        Output result;
        int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = ReadAll(out);
        result.err = ReadAll(err);
        return result;
    }

    static std::string ReadAll(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string Bars() const { return (m_dir / "bars").string(); }

    fs::path m_dir;
};

TEST_F(SymbolScanTest, PicksTheSymbolsTrueAtTheirLastBarOrAtADate) {
    qxindex::ScanSettings settings = Settings(kFormula);
    ASSERT_EQ(settings.columns.size(), 2u);
    EXPECT_EQ(settings.columns[1].name, "up");
    std::vector<SymbolResult> results = Scan(settings);
    ASSERT_EQ(results.size(), 5u);
    EXPECT_EQ(Hits(results), "late@2024-01-09 rise@2024-01-10 ");
    // Every line's value at the hit's bar: MA(C,3) of 8, 9, 10.
    EXPECT_EQ(results[3].symbol, "rise");
    EXPECT_DOUBLE_EQ(results[3].values[0], 9.0);
    EXPECT_TRUE(results[3].valid[0]);
    EXPECT_EQ(results[4].outcome, ScanOutcome::kMiss);  // short: the line has no value

    ASSERT_TRUE(qxindex::ParseScanDate("2024-01-09", &settings.at));
    settings.hasDate = true;
    EXPECT_EQ(Hits(Scan(settings)), "late@2024-01-09 peak@2024-01-09 rise@2024-01-09 ");
    ASSERT_TRUE(qxindex::ParseScanDate("2024-01-03", &settings.at));
    results = Scan(settings);
    EXPECT_EQ(Hits(results), "peak@2024-01-03 rise@2024-01-03 ");
    EXPECT_EQ(results[1].symbol, "late");
    EXPECT_EQ(results[1].outcome, ScanOutcome::kNoBar);
    // A clock time names one moment; the daily bars sit at midnight.
    ASSERT_TRUE(qxindex::ParseScanDate("2024-01-03 12:00", &settings.at));
    EXPECT_EQ(Hits(Scan(settings)), "");
    EXPECT_FALSE(qxindex::ParseScanDate("2024-02-30", &settings.at));
}

TEST_F(SymbolScanTest, ReportsFilesItCannotReadAndScansTheRest) {
    WriteFile("empty.csv", "");
    WriteFile("header.csv", "date,open,high,low,close,volume\n");
    WriteFile("broken.csv", "date,open,high,low,close,volume\n2024-01-01,1,2,0.5,x,10\n");
    fs::create_directories(m_dir / "bars" / "folder.csv");  // listed, but not a file
    const std::string missing = (m_dir / "missing.csv").string();
    Output run = Run("scan -e '" + std::string(kFormula) + "' " + Bars() + " " + missing);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "symbol  date        m  up\n"
              "late    2024-01-09  6  1\n"
              "rise    2024-01-10  9  1\n");
    // In the order of the files, each naming its file and what is wrong with it.
    std::istringstream lines(run.err);
    std::vector<std::string> errors;
    for (std::string line; std::getline(lines, line);) errors.push_back(line);
    ASSERT_EQ(errors.size(), 4u) << run.err;
    EXPECT_NE(errors[0].find("broken.csv: line 2, column 5: 'x' is not a number"),
              std::string::npos);
    EXPECT_NE(errors[1].find("empty.csv: line 1, column 1: empty file"), std::string::npos);
    EXPECT_NE(errors[2].find("header.csv: holds no bars"), std::string::npos);
    EXPECT_NE(errors[3].find("cannot open bar file '" + missing + "'"), std::string::npos);

    run = Run("scan -e '" + std::string(kFormula) + "' " + Bars() + " --json");
    EXPECT_EQ(run.status, 0);
    nlohmann::json root = nlohmann::json::parse(run.out);
    EXPECT_EQ(root["scanned"], 8);
    EXPECT_EQ(root["errors"].size(), 3u);
    EXPECT_EQ(root["errors"][0]["symbol"], "broken");
    EXPECT_EQ(run.err, "");
}

TEST_F(SymbolScanTest, CsvAndJsonCarryEveryLineAtTheHitsBar) {
    Output csv =
        Run("scan -e '" + std::string(kFormula) + "' " + Bars() + " --csv --at 2024-01-09");
    EXPECT_EQ(csv.status, 0);
    EXPECT_EQ(csv.out,
              "symbol,date,m,up\n"
              "late,2024-01-09,6,1\n"
              "peak,2024-01-09,8,1\n"
              "rise,2024-01-09,8,1\n");

    Output json =
        Run("scan -e '" + std::string(kFormula) + "' " + Bars() + " --json --at 2024-01-03");
    ASSERT_EQ(json.status, 0);
    nlohmann::json root = nlohmann::json::parse(json.out);
    EXPECT_EQ(root["columns"], nlohmann::json({"m", "up"}));
    ASSERT_EQ(root["hits"].size(), 2u);
    EXPECT_EQ(root["hits"][0]["symbol"], "peak");
    const nlohmann::json& hit = root["hits"][1];
    EXPECT_EQ(hit["symbol"], "rise");
    EXPECT_EQ(hit["bar"], 2);
    EXPECT_EQ(hit["date"], "2024-01-03");
    EXPECT_EQ(hit["values"]["m"], 2.0);
    EXPECT_EQ(hit["values"]["up"], 1.0);
    EXPECT_EQ(root["withoutBar"], nlohmann::json({"late", "short"}));
    EXPECT_TRUE(root["errors"].empty());
}

TEST_F(SymbolScanTest, UsageAndFormulaErrorsStopBeforeScanning) {
    struct Case {
        std::string arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {"scan -e 'UP:C>O;'", 2, "scan needs bar files"},
        {"scan -e 'UP:C>O;' " + (m_dir / "nothing").string(), 2, "no .csv files"},
        {"scan -e 'UP:C>O;' " + Bars() + " --at 2024-13-01", 2, "--at expects"},
        {"scan -e 'UP:C>O;' " + Bars() + " --jobs 0", 2, "--jobs"},
        {"scan -e 'UP:C>O;' " + Bars() + " --csv --json", 2, "excludes"},
        {"scan -e 'A:MA(CLOSE);' " + Bars(), 1, "error 22 at line 1"},
        {"scan -e \"DRAWTEXT(C>O,L,'X');\" " + Bars(), 1, "no line with values"},
    };
    fs::create_directories(m_dir / "nothing");
    std::ofstream(m_dir / "nothing" / "notes.txt") << "not bars";
    for (const Case& c : cases) {
        Output run = Run(c.arguments);
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

TEST_F(SymbolScanTest, ThreadCountChangesNothingButTheTime) {
    // Enough symbols of varied length that threads finish them out of order.
    for (int s = 0; s < 40; ++s) {
        std::vector<double> closes;
        double price = 50.0 + s;
        for (int i = 0; i < 5 + (s * 7) % 23; ++i) {
            price += ((s * 31 + i * 17) % 11) - 5.0;
            closes.push_back(price);
        }
        WriteBars("sym" + std::to_string(s), 1, closes);
    }
    WriteFile("sym20b.csv", "date\n");
    const std::string formula = "M:MA(C,3); UP:CROSS(C,M);";
    Output jobs1 = Run("scan -e '" + formula + "' " + Bars() + " --json --jobs 1");
    Output jobs2 = Run("scan -e '" + formula + "' " + Bars() + " --json --jobs 2");
    EXPECT_EQ(jobs1.status, 0);
    nlohmann::json root = nlohmann::json::parse(jobs1.out);
    EXPECT_GT(root["hits"].size(), 3u);
    EXPECT_EQ(root["errors"].size(), 1u);
    EXPECT_EQ(jobs1.out, jobs2.out);
}

}  // namespace
