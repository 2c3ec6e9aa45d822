// The token id space of the formula front end. One space holds the fixed
// vocabulary (operators, punctuation, functions, attributes, data fields) and
// the names and literals that each formula makes for itself. These ids are only
// the front end's: the function library numbers its functions differently and
// the two meet through the script spelling.
#pragma once

// Statement end, spelled as a line break in the script.
constexpr int kTokenStatementEnd = 1;

// Definition operators.
constexpr int kTokenDefine = 1001;  // ':' output line
constexpr int kTokenAssign = 1002;  // ':=' variable

// Logical and comparison operators.
constexpr int kTokenOr = 2001;
constexpr int kTokenAnd = 3001;
constexpr int kTokenGreater = 4001;
constexpr int kTokenLess = 4002;
constexpr int kTokenGreaterEqual = 4005;
constexpr int kTokenLessEqual = 4006;
constexpr int kTokenEqual = 4008;
constexpr int kTokenNotEqual = 4009;
constexpr int kTokenComparisonFirst = 4001;
constexpr int kTokenComparisonLast = 4009;

// Arithmetic operators; the two signed products come from merging a sign into
// the operator before it.
constexpr int kTokenPlus = 5001;
constexpr int kTokenMinus = 5002;
constexpr int kTokenMultiply = 6001;
constexpr int kTokenDivide = 6002;
constexpr int kTokenMultiplyNegative = 6003;
constexpr int kTokenDivideNegative = 6004;

// Every id below this is an operator.
constexpr int kTokenOperatorLimit = 8000;

// Functions. 8000..8999 covers both kinds when a caller only asks "is it a call".
constexpr int kTokenFunctionFirst = 8001;
constexpr int kTokenFunctionLast = 8499;
constexpr int kTokenDrawFunctionFirst = 8500;
constexpr int kTokenDrawFunctionLast = 8999;

// Operand that stands for the zero in front of a unary sign.
constexpr int kTokenImplicitZero = 9000;

// Punctuation.
constexpr int kTokenOpenParen = 9001;
constexpr int kTokenCloseParen = 9002;
constexpr int kTokenComma = 9005;

// Output-line attributes: styles, colours, widths. All of 9010..9499 counts as an
// attribute when a statement is stripped of them.
constexpr int kTokenAttributeFirst = 9010;
constexpr int kTokenAttributeLast = 9499;
constexpr int kTokenLineStyleFirst = 9010;
constexpr int kTokenLineStyleLast = 9099;
constexpr int kTokenNoDraw = 9018;
constexpr int kTokenNamedColourFirst = 9100;
constexpr int kTokenNamedColourLast = 9199;
constexpr int kTokenLiteralColourBase = 9200;  // + k for the k-th literal colour word
constexpr int kTokenColourLast = 9299;
constexpr int kTokenLineThickFirst = 9301;  // width = id - 9300
constexpr int kTokenLineThickLast = 9309;

// Bar data fields.
constexpr int kTokenDataFieldFirst = 9500;
constexpr int kTokenDataFieldLast = 9999;

// Per-formula names and literals: base + k. Everything from kTokenVariableBase up
// was made by the formula itself.
constexpr int kTokenVariableBase = 10000;
constexpr int kTokenOutputBase = 11000;
constexpr int kTokenLiteralBase = 12000;
constexpr int kTokenStringBase = 17000;

// Per-formula capacities. Each block of ids above is only as wide as its limit,
// so the limits cannot grow without moving the bases.
constexpr int kMaxVariables = 1000;
constexpr int kMaxOutputs = 1000;
constexpr int kMaxLiteralSlots = 3000;
constexpr int kMaxLiteralColours = 100;

static_assert(kTokenVariableBase + kMaxVariables <= kTokenOutputBase, "variables overlap outputs");
static_assert(kTokenOutputBase + kMaxOutputs <= kTokenLiteralBase, "outputs overlap literals");
static_assert(kTokenLiteralBase + kMaxLiteralSlots <= kTokenStringBase, "literals overlap strings");
static_assert(kTokenLiteralColourBase + kMaxLiteralColours - 1 == kTokenColourLast,
              "literal colours fill their block exactly");
