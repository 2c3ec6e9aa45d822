// Readable text for a token id, for token dumps in tests and in the host tool.
#pragma once

#include <string>

#include "index/frontend/FormulaSymbols.h"

// The keyword as written in a formula (its first listed text, so "and" for
// 3001 and "if" for 8070), a formula name, a literal's text, a string in single
// quotes, a literal colour word, "<end>" for a statement end, "<zero>" for the
// implicit zero before a sign, or "?" for an id that nothing has.
std::string DescribeToken(int nId, const CFormulaSymbols& symbols);
