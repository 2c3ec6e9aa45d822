// Each subcommand of qxindex registers itself on the application and runs from
// there. Exit codes: 0 success, 1 the library reported an error, 2 usage or file error.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace qxindex {

constexpr int kExitOk = 0;
constexpr int kExitFormulaError = 1;
constexpr int kExitUsage = 2;

// Registers "tokens": the lexer's view of a formula.
void AddTokensCommand(CLI::App& app, int* exitCode);

// Registers "check": parse a formula and print what the library understood.
void AddCheckCommand(CLI::App& app, int* exitCode);

// Registers "calc": calculate a formula over CSV bars and print its values.
void AddCalcCommand(CLI::App& app, int* exitCode);

// Registers "scan": one formula over many bar files, printing the symbols it picks.
void AddScanCommand(CLI::App& app, int* exitCode);

// Registers "draw": paint a formula's records and drawing tools into an SVG chart.
void AddDrawCommand(CLI::App& app, int* exitCode);

// Registers "serve": the interactive chart in a browser.
void AddServeCommand(CLI::App& app, int* exitCode);

// The demo chart from the bundled bars and formulas under `root`.
int RunDemo(const std::string& root);

}  // namespace qxindex
