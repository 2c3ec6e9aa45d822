// Collects the medians of the benchmark runs and prints them as one table, each
// engine figure next to the hand-written loop of the same formula measured in the
// same run, with their ratio.
//
// Naming: a benchmark is "<row>/engine" or "<row>/loop"; the counter "units" says
// how many units (bars, new bars, calls) one iteration handles, and the row's
// first word picks the unit shown (see UnitOf). A benchmark may report its figure
// directly in the counter "figure" instead of by time.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qxbench {

class CRatioTable : public benchmark::BenchmarkReporter {
public:
    // The target a row is held to, shown beside its figures.
    void SetTarget(const std::string& strRow, const std::string& strTarget) {
        m_mapTargets[strRow] = strTarget;
    }

    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& vecRuns) override {
        for (const Run& run : vecRuns) {
            if (run.error_occurred) {
                std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(),
                             run.error_message.c_str());
                continue;
            }
            // With repetitions only the median counts; a single run counts as it is.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            if (run.run_type == Run::RT_Iteration && run.repetitions > 1) continue;
            std::string strName = run.run_name.function_name;
            const size_t nSlash = strName.rfind('/');
            if (nSlash == std::string::npos) continue;
            const std::string strRow = strName.substr(0, nSlash);
            const bool bLoop = strName.substr(nSlash + 1) == "loop";
            double dFigure = 0.0;
            const auto itFigure = run.counters.find("figure");
            if (itFigure != run.counters.end()) {
                dFigure = itFigure->second.value;
            } else {
                const auto itUnits = run.counters.find("units");
                const double dUnits = itUnits != run.counters.end() ? itUnits->second.value : 1.0;
                const double dSeconds =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                dFigure = dSeconds / dUnits / UnitSeconds(strRow);
            }
            Row& row = m_mapRows[strRow];
            if (row.nOrder == 0) row.nOrder = ++m_nRows;
            (bLoop ? row.dLoop : row.dEngine) = dFigure;
            (bLoop ? row.bHasLoop : row.bHasEngine) = true;
            std::fprintf(stderr, ".");
        }
    }

    void Finalize() override {
        std::fprintf(stderr, "\n");
        std::vector<std::pair<int, std::string>> vecOrder;
        for (const auto& entry : m_mapRows) vecOrder.emplace_back(entry.second.nOrder, entry.first);
        std::sort(vecOrder.begin(), vecOrder.end());
        std::printf("| %-44s | %-9s | %12s | %12s | %8s | %-16s |\n", "Figure", "Unit", "Engine",
                    "Loop", "Ratio", "Target");
        std::printf("|%s|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(),
                    std::string(11, '-').c_str(), std::string(14, '-').c_str(),
                    std::string(14, '-').c_str(), std::string(10, '-').c_str(),
                    std::string(18, '-').c_str());
        for (const auto& entry : vecOrder) {
            const Row& row = m_mapRows[entry.second];
            char szEngine[32] = "-", szLoop[32] = "-", szRatio[32] = "-";
            if (row.bHasEngine) std::snprintf(szEngine, sizeof szEngine, "%.3g", row.dEngine);
            if (row.bHasLoop) std::snprintf(szLoop, sizeof szLoop, "%.3g", row.dLoop);
            if (row.bHasEngine && row.bHasLoop && row.dLoop > 0) {
                std::snprintf(szRatio, sizeof szRatio, "%.3g", row.dEngine / row.dLoop);
            }
            const auto itTarget = m_mapTargets.find(entry.second);
            std::printf("| %-44s | %-9s | %12s | %12s | %8s | %-16s |\n", entry.second.c_str(),
                        UnitOf(entry.second), szEngine, szLoop, szRatio,
                        itTarget != m_mapTargets.end() ? itTarget->second.c_str() : "");
        }
    }

    static const char* UnitOf(const std::string& strRow) {
        if (StartsWith(strRow, "whole") || StartsWith(strRow, "window") ||
            StartsWith(strRow, "family")) {
            return "ns/bar";
        }
        if (StartsWith(strRow, "memory")) return "bytes/bar";
        return "us";
    }

private:
    struct Row {
        int nOrder = 0;
        double dEngine = 0.0;
        double dLoop = 0.0;
        bool bHasEngine = false;
        bool bHasLoop = false;
    };

    static bool StartsWith(const std::string& strText, const char* pszPrefix) {
        return strText.rfind(pszPrefix, 0) == 0;
    }

    static double UnitSeconds(const std::string& strRow) {
        return std::string(UnitOf(strRow)) == "ns/bar" ? 1e-9 : 1e-6;
    }

    std::map<std::string, Row> m_mapRows;
    std::map<std::string, std::string> m_mapTargets;
    int m_nRows = 0;
};

}  // namespace qxbench
