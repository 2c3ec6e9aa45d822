#include "tools/qxindex/FormulaSource.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace qxindex {
namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

FormulaParam ParseAssignment(const std::string& entry, const std::string& where) {
    size_t eq = entry.find('=');
    if (eq == std::string::npos)
        throw UsageError{where + ": expected NAME=VALUE, got '" + entry + "'"};
    FormulaParam param;
    param.name = Trim(entry.substr(0, eq));
    std::string valueText = Trim(entry.substr(eq + 1));
    if (param.name.empty()) throw UsageError{where + ": empty parameter name in '" + entry + "'"};
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(valueText.c_str(), &end);
    if (valueText.empty() || end == nullptr || *end != '\0' || errno == ERANGE) {
        throw UsageError{where + ": '" + valueText + "' is not a number (parameter " + param.name +
                         ")"};
    }
    param.value = static_cast<float>(value);
    return param;
}

}  // namespace

std::string ReadFormulaText(const std::string& path, bool useInline,
                            const std::string& inlineText) {
    if (useInline) return inlineText;
    if (path.empty()) throw UsageError{"no formula given (a file, '-' or -e TEXT)"};
    if (path == "-") {
        return std::string(std::istreambuf_iterator<char>(std::cin),
                           std::istreambuf_iterator<char>());
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError{"cannot open formula file '" + path + "'"};
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw UsageError{"cannot read formula file '" + path + "'"};
    return text.str();
}

std::vector<FormulaParam> ReadParamsHeader(const std::string& text) {
    std::vector<FormulaParam> params;
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    if (start >= text.size() || text[start] != '{') return params;
    size_t close = text.find('}', start);
    if (close == std::string::npos) return params;
    std::string body = Trim(text.substr(start + 1, close - start - 1));
    const std::string tag = "params:";
    if (Lower(body.substr(0, tag.size())) != tag) return params;
    std::stringstream list(body.substr(tag.size()));
    std::string entry;
    while (std::getline(list, entry, ',')) {
        if (Trim(entry).empty()) continue;
        params.push_back(ParseAssignment(entry, "params header"));
    }
    return params;
}

void ApplyParamOverrides(std::vector<FormulaParam>& params,
                         const std::vector<std::string>& overrides) {
    for (const std::string& entry : overrides) {
        FormulaParam param = ParseAssignment(entry, "--param");
        bool replaced = false;
        for (FormulaParam& existing : params) {
            if (Lower(existing.name) == Lower(param.name)) {
                existing.value = param.value;
                replaced = true;
            }
        }
        if (!replaced) params.push_back(param);
    }
}

FormulaInput LoadFormula(const std::string& path, bool useInline, const std::string& inlineText,
                         const std::vector<std::string>& overrides) {
    FormulaInput input;
    input.text = ReadFormulaText(path, useInline, inlineText);
    input.params = ReadParamsHeader(input.text);
    ApplyParamOverrides(input.params, overrides);
    return input;
}

}  // namespace qxindex

#include <CLI/CLI.hpp>

namespace qxindex {

void AddFormulaOptions(CLI::App* cmd, FormulaOptions* options) {
    cmd->add_option("FORMULA", options->path,
                    "Formula file, or '-' for standard input; a file may begin with "
                    "{params: N=12, M=26}")
        ->type_name("FILE");
    cmd->add_option("-e,--expression", options->inlineText,
                    "Formula text given inline instead of FORMULA")
        ->type_name("TEXT")
        ->each([options](const std::string&) { options->useInline = true; });
    cmd->add_option("-p,--param", options->params,
                    "Parameter value, overriding the formula's {params: ...} header; repeatable")
        ->type_name("NAME=VALUE")
        // One value per -p, so that a formula file after it is not read as a parameter.
        ->allow_extra_args(false);
}

FormulaInput LoadFormula(const FormulaOptions& options) {
    return LoadFormula(options.path, options.useInline, options.inlineText, options.params);
}

}  // namespace qxindex
