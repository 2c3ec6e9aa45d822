// The checked examples of a Markdown document: its fenced blocks, the formulas in
// them and what each one is said to give.
//
// In a block marked `formula`, lines that begin with "=>" state a result and are not
// part of the formula:
//   => error 12 at line 1, column 4     the parse fails with this code there
//   => error 28 at line 1, column 3: T  ... and this error text (UTF-8 here, GBK in the record)
//   => NAME: 10.4 - 3                   output NAME at every example bar, "-" for no value
//   => text at bar 4: UP                a drawing statement writes this text at that bar
// A comment {params: N=5, M=10} anywhere in the formula gives its parameters.
// A block marked `bars` holds the example bars as CSV.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CDocBlock {
    std::string m_strInfo;  // the word after the opening fence
    int m_nLine = 0;        // line of the opening fence, 1-based
    std::vector<std::string> m_vecLines;
};

struct CSeriesExpectation {
    std::string m_strOutput;               // upper case
    std::vector<std::string> m_vecValues;  // as written: a number or "-"
};

struct CFormulaExample {
    int m_nLine = 0;
    std::string m_strFormula;
    std::vector<std::pair<std::string, float>> m_vecParams;
    bool m_bExpectsError = false;
    int m_nErrorCode = 0;
    int m_nErrorLine = 0;  // 1-based, as the host tool reports it
    int m_nErrorColumn = 0;
    std::string m_strErrorText;  // UTF-8; empty when the example does not show it
    std::vector<CSeriesExpectation> m_vecSeries;
    std::vector<std::pair<int, std::string>> m_vecTexts;  // (bar, text)
    std::string m_strProblem;  // a malformed expectation line, empty when all is well
};

struct CExampleBar {
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    double m_dOpen = 0;
    double m_dHigh = 0;
    double m_dLow = 0;
    double m_dClose = 0;
    double m_dVolume = 0;
};

// The whole file as one string; empty when it cannot be read.
std::string ReadDocument(const std::string& strPath);

std::vector<CDocBlock> ReadFencedBlocks(const std::string& strText);

CFormulaExample ReadFormulaExample(const CDocBlock& block);

// The rows of a `bars` block (header date,open,high,low,close,vol); empty on any
// malformed row.
std::vector<CExampleBar> ReadExampleBars(const CDocBlock& block);

// The anchors of the document's headings, made the way the usual Markdown viewers
// make them: lower case, punctuation dropped, blanks as hyphens.
std::vector<std::string> HeadingAnchors(const std::string& strText);

// The anchors of the links "(#anchor)" and "(strFile#anchor)" in the text.
std::vector<std::string> LinkedAnchors(const std::string& strText, const std::string& strFile);

// Whether a value written with d decimals matches the computed one to that precision.
bool MatchesWrittenValue(const std::string& strWritten, double dActual);
