// One formula over the bars of many symbols: each symbol gets its own parser,
// calculator and bars, as a client keeps one set per chart, so the symbols run on
// as many threads as asked with nothing shared but the formula text. A symbol is
// a hit when the formula's last line with values is true (valid and not zero) at
// its last bar, or at its bar on a given date.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxindex {

// The bar times, inclusive, that count as being at a date: the whole local day for
// a date alone, the one moment for a date with a clock time.
struct ScanDate {
    int64_t first = 0;
    int64_t last = 0;
};

// "YYYY-MM-DD[ HH:MM[:SS]]" as a ScanDate; false when malformed.
bool ParseScanDate(const std::string& text, ScanDate* date);

enum class ScanOutcome { kHit, kMiss, kNoBar, kError };

struct SymbolResult {
    std::string symbol;  // the file name without its folder and extension
    std::string path;
    ScanOutcome outcome = ScanOutcome::kMiss;
    std::string error;  // for kError, naming the file
    int bar = -1;
    std::string date;
    std::vector<double> values;  // one per column, 0 where not valid
    std::vector<bool> valid;
};

struct ScanSettings {
    FormulaInput formula;
    std::vector<ValueColumn> columns;  // from ProbeColumns
    int jobs = 1;
    bool hasDate = false;
    ScanDate at;
};

struct ScanProgress {
    size_t done = 0;
    size_t total = 0;
    size_t hits = 0;
};

// Parses the formula once and learns its lines with values (in the order of its
// statements), so that a formula error is reported once rather than per symbol.
// False with `error` filled when the library refuses the formula.
bool ProbeColumns(const FormulaInput& formula, std::vector<ValueColumn>* columns,
                  FormulaError* error);

// The bar files named on the command line: a folder gives its *.csv files sorted
// by name, anything else is taken as a file (one that cannot be read is reported
// by the scan with the rest).
std::vector<std::string> CollectBarFiles(const std::vector<std::string>& arguments);

// One symbol, on the calling thread.
SymbolResult ScanSymbol(const ScanSettings& settings, const std::string& path);

// Every file on settings.jobs threads; the results are in the order of `paths`
// whatever the threads did. `onProgress`, when given, is called on the calling
// thread about ten times a second and once at the end.
std::vector<SymbolResult> ScanSymbols(const ScanSettings& settings,
                                      const std::vector<std::string>& paths,
                                      const std::function<void(const ScanProgress&)>& onProgress);

}  // namespace qxindex
