// qxindex check: parse a formula the way a client does and show what the library
// understood (outputs, parameters, the internal script) or its first error.
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"

namespace qxindex {
namespace {

struct CheckOptions {
    FormulaOptions formula;
    bool script = false;
    bool json = false;
};

nlohmann::json ErrorJson(const FormulaError& error) {
    return {{"ok", false},
            {"code", error.code},
            {"line", error.line},
            {"column", error.column},
            {"position", error.position},
            {"text", error.text}};
}

nlohmann::json SuccessJson(const ParsedFormula& formula) {
    nlohmann::json outputs = nlohmann::json::array();
    for (const OutputLine& line : formula.Outputs()) {
        outputs.push_back({{"index", line.index},
                           {"name", line.name},
                           {"colour", line.hasColour ? nlohmann::json(ColourText(line.colour))
                                                     : nlohmann::json(nullptr)},
                           {"width", line.width},
                           {"drawType", line.drawType},
                           {"drawFunction", line.isDrawFunction},
                           {"hidden", line.hidden}});
    }
    nlohmann::json params = nlohmann::json::array();
    for (const ParamValue& param : formula.Params()) {
        params.push_back({{"name", param.name}, {"value", param.value}});
    }
    return {{"ok", true}, {"outputs", outputs}, {"params", params}, {"script", formula.Script()}};
}

void PrintSummary(const ParsedFormula& formula) {
    std::cout << "outputs:\n";
    for (const OutputLine& line : formula.Outputs()) {
        char row[160];
        std::snprintf(row, sizeof(row), "  %-3d %-16s colour %-8s width %d  draw type %-2d%s%s\n",
                      line.index, line.name.empty() ? "-" : line.name.c_str(),
                      line.hasColour ? ColourText(line.colour).c_str() : "none", line.width,
                      line.drawType, line.isDrawFunction ? "  drawing function" : "",
                      line.hidden ? "  hidden" : "");
        std::cout << row;
    }
    std::vector<ParamValue> params = formula.Params();
    std::cout << "params:" << (params.empty() ? " none" : "") << "\n";
    for (const ParamValue& param : params) {
        std::cout << "  " << param.name << " = " << param.value << "\n";
    }
}

int RunCheck(const CheckOptions& options) {
    FormulaInput input = LoadFormula(options.formula);
    ParsedFormula formula;
    if (!formula.Parse(input)) {
        const FormulaError& error = formula.Error();
        if (options.json) {
            std::cout << ErrorJson(error).dump(2) << "\n";
        } else {
            std::cout << FormulaErrorLine(error) << "\n";
        }
        return kExitFormulaError;
    }
    if (options.json) {
        std::cout << SuccessJson(formula).dump(2) << "\n";
    } else if (options.script) {
        std::cout << formula.Script() << std::flush;
    } else {
        PrintSummary(formula);
    }
    return kExitOk;
}

}  // namespace

void AddCheckCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<CheckOptions>();
    CLI::App* cmd = app.add_subcommand(
        "check",
        "Parse a formula: print its outputs (name, colour, width, draw type, hidden) and "
        "parameters, or the first error as 'error CODE at line L, column C: TEXT' (exit 1)");
    AddFormulaOptions(cmd, &options->formula);
    cmd->add_flag("--script", options->script, "Print only the internal script, byte for byte");
    cmd->add_flag("--json", options->json,
                  "Print one JSON object: ok, outputs, params, script; or code, line, column, "
                  "position, text (the library's own numbers)");
    cmd->footer(
        "Examples:\n"
        "  qxindex check examples/macd.txt\n"
        "  qxindex check --script -e 'MA5:MA(CLOSE,5),COLORRED;'\n"
        "  qxindex check --json --param N=20 examples/boll.txt");
    cmd->callback([options, exitCode]() { *exitCode = RunCheck(*options); });
}

}  // namespace qxindex
