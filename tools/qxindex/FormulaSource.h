// Where a formula comes from on the command line: a file, standard input ("-") or
// inline text (-e). A formula may start with a comment "{params: N=12, M=26}" that
// gives its parameters' default values; --param NAME=VALUE overrides one.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qxindex {

struct FormulaParam {
    std::string name;
    float value = 0.0f;
};

struct FormulaInput {
    std::string text;
    std::vector<FormulaParam> params;  // header defaults first, overrides applied
};

// Thrown for usage and file errors; the tool reports them and exits with 2.
struct UsageError {
    std::string message;
};

// Reads the formula text from `path` ("-" for standard input) or takes `inlineText`
// when `useInline` is set.
std::string ReadFormulaText(const std::string& path, bool useInline, const std::string& inlineText);

// The parameters of a "{params: ...}" header comment, in their order; none when the
// text has no such header. Malformed entries are usage errors.
std::vector<FormulaParam> ReadParamsHeader(const std::string& text);

// Applies "NAME=VALUE" overrides: an existing name (case-insensitive) takes the new
// value, a new name is appended.
void ApplyParamOverrides(std::vector<FormulaParam>& params,
                         const std::vector<std::string>& overrides);

FormulaInput LoadFormula(const std::string& path, bool useInline, const std::string& inlineText,
                         const std::vector<std::string>& overrides);

}  // namespace qxindex

namespace CLI {
class App;
}

namespace qxindex {

// The formula options every formula command shares: FORMULA (file or "-"), -e TEXT
// and --param NAME=VALUE.
struct FormulaOptions {
    std::string path;
    std::string inlineText;
    bool useInline = false;
    std::vector<std::string> params;
};

void AddFormulaOptions(CLI::App* cmd, FormulaOptions* options);
FormulaInput LoadFormula(const FormulaOptions& options);

}  // namespace qxindex
