// qxindex tokens: how the library's lexer reads a formula. Prints the normalised
// text, then every statement with its tokens, or the first lexical error.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "index/frontend/FormulaLexer.h"
#include "index/frontend/FormulaSymbols.h"
#include "index/frontend/TokenDescription.h"
#include "tools/qxindex/Commands.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/TextEncoding.h"

namespace qxindex {
namespace {

// A statement's text as the lexer saw it, without its closing line feed.
std::string StatementText(const std::string& text, const CFormulaStatement& statement) {
    std::string s = text.substr(statement.m_nStart, statement.m_nLength);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    return s;
}

int RunTokens(const FormulaOptions& options) {
    FormulaInput input = LoadFormula(options);

    CFormulaSymbols symbols;
    CFormulaLexer lexer(&symbols);
    lexer.Load(Utf8ToGbk(input.text));
    for (const FormulaParam& param : input.params) symbols.AddParameter(param.name, param.value);
    lexer.InsertUnarySigns();

    std::cout << "normalised: " << GbkToUtf8(lexer.GetText()) << "\n";
    CFormulaStatement statement;
    int count = 0;
    while (lexer.NextStatement(&statement)) {
        ++count;
        std::cout << "statement " << count << " (line " << statement.m_nLine + 1
                  << "): " << GbkToUtf8(StatementText(lexer.GetText(), statement)) << "\n";
        for (size_t i = 0; i < statement.m_vecTokens.size(); ++i) {
            char line[64];
            std::snprintf(line, sizeof(line), "  %6d  %6d  ", statement.m_vecTokens[i],
                          statement.m_nStart + statement.m_vecOffsets[i]);
            std::cout << line << GbkToUtf8(DescribeToken(statement.m_vecTokens[i], symbols))
                      << "\n";
        }
        lexer.AcceptStatement(statement);
    }
    if (lexer.HasError()) {
        const CFormulaError& error = lexer.GetError();
        std::cout << "error " << error.m_nCode << " at line " << error.m_nLine + 1 << ", column "
                  << error.m_nColumn;
        if (!error.m_strText.empty()) std::cout << ": " << GbkToUtf8(error.m_strText);
        std::cout << "\n";
        return kExitFormulaError;
    }
    return kExitOk;
}

}  // namespace

void AddTokensCommand(CLI::App& app, int* exitCode) {
    auto options = std::make_shared<FormulaOptions>();
    CLI::App* cmd = app.add_subcommand(
        "tokens",
        "Print the normalised formula and each statement's tokens (id, offset, spelling), "
        "or the first lexical error as 'error CODE at line L, column C'");
    AddFormulaOptions(cmd, options.get());
    cmd->footer(
        "Examples:\n"
        "  qxindex tokens -e 'MA5:MA(CLOSE,5),COLORRED;'\n"
        "  qxindex tokens examples/macd.txt");
    cmd->callback([options, exitCode]() { *exitCode = RunTokens(*options); });
}

}  // namespace qxindex
