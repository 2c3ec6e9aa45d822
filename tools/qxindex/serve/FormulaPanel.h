// The formula of a serve session: parsed once, then calculated piece by piece as
// the view moves. The calculator keeps its window and is asked only to widen it,
// so a pan or a zoom calculates the bars that are new to it and nothing else.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/qxindex/CalculatedFormula.h"
#include "tools/qxindex/CsvBarSource.h"
#include "tools/qxindex/FormulaPicture.h"
#include "tools/qxindex/FormulaSource.h"
#include "tools/qxindex/ParsedFormula.h"
#include "tools/qxindex/chart/ChartSpec.h"

namespace qxindex {

class CFormulaPanel {
public:
    explicit CFormulaPanel(CsvBarSource* pBars);
    ~CFormulaPanel();
    CFormulaPanel(const CFormulaPanel&) = delete;
    CFormulaPanel& operator=(const CFormulaPanel&) = delete;

    // Parses the formula. Accepted, it replaces the current one (nothing of it is
    // calculated yet); refused, the current formula stays and `pError` says why.
    bool SetFormula(const FormulaInput& input, bool bOverlay, FormulaError* pError);
    void ClearFormula();

    bool HasFormula() const { return m_pCalculated != nullptr; }
    bool IsOverlay() const { return m_bOverlay; }
    const FormulaInput& Input() const { return m_input; }
    std::vector<OutputLine> Outputs() const;
    std::vector<ParamValue> Params() const;

    // Brings the calculation over bars from..to (clamped to the data) and
    // publishes it. False when the library refuses.
    bool ExtendTo(int nFrom, int nTo);
    // The records and value range of bars from..to; call ExtendTo first.
    FormulaPicture DrawPicture(int nFrom, int nTo) const;
    // The calculator's window, -1, -1 when nothing is calculated.
    void GetCalculatedRange(int* pFirst, int* pLast) const;

private:
    CsvBarSource* m_pBars;
    FormulaInput m_input;
    bool m_bOverlay = false;
    std::unique_ptr<ParsedFormula> m_pFormula;
    std::unique_ptr<CalculatedFormula> m_pCalculated;
};

}  // namespace qxindex
