// A formula parsed through the library's exported interface, as a client does it,
// with what the tool prints about it.
#pragma once

#include <string>
#include <vector>

#include "IIndexParser.h"
#include "tools/qxindex/FormulaSource.h"

namespace qxindex {

struct OutputLine {
    int index = 0;
    std::string name;  // empty for internal names
    bool hasColour = false;
    unsigned colour = 0;  // 0xAABBGGRR
    int width = 1;
    int drawType = 0;
    bool isDrawFunction = false;
    bool hidden = false;
};

struct ParamValue {
    std::string name;
    float value = 0.0f;
};

struct FormulaError {
    int code = 0;
    int line = 0;  // as the library reports it: line feeds before the statement
    int column = 0;
    int position = 0;
    std::string text;  // converted to UTF-8
};

// Owns a parser made by the library's factory.
class ParsedFormula {
public:
    ParsedFormula();
    ~ParsedFormula();
    ParsedFormula(const ParsedFormula&) = delete;
    ParsedFormula& operator=(const ParsedFormula&) = delete;

    // True when the library accepted the formula; otherwise Error() tells why.
    bool Parse(const FormulaInput& input);

    IIndexParser* Parser() const { return m_pParser; }
    const FormulaError& Error() const { return m_error; }
    std::vector<OutputLine> Outputs() const;
    std::vector<ParamValue> Params() const;
    // The internal script the front end wrote (empty when unavailable).
    std::string Script() const;

private:
    IIndexParser* m_pParser;
    FormulaError m_error;
};

// "error CODE at line L, column C: TEXT", lines counted from 1, as every command
// reports a formula the library refused.
std::string FormulaErrorLine(const FormulaError& error);

// "#rrggbb" for a packed 0xAABBGGRR colour.
std::string ColourText(unsigned colour);

}  // namespace qxindex
