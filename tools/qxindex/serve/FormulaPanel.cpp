#include "tools/qxindex/serve/FormulaPanel.h"

#include <algorithm>

namespace qxindex {

CFormulaPanel::CFormulaPanel(CsvBarSource* pBars) : m_pBars(pBars) {}

CFormulaPanel::~CFormulaPanel() {
    // The calculator refers to the parser: it goes first.
    m_pCalculated.reset();
    m_pFormula.reset();
}

bool CFormulaPanel::SetFormula(const FormulaInput& input, bool bOverlay, FormulaError* pError) {
    auto pFormula = std::make_unique<ParsedFormula>();
    if (!pFormula->Parse(input)) {
        *pError = pFormula->Error();
        return false;
    }
    auto pCalculated = std::make_unique<CalculatedFormula>(*pFormula, *m_pBars);
    if (pCalculated->Calculator() == nullptr) {
        pError->code = -1;
        pError->text = "out of memory";
        return false;
    }
    ClearFormula();
    m_pFormula = std::move(pFormula);
    m_pCalculated = std::move(pCalculated);
    m_input = input;
    m_bOverlay = bOverlay;
    return true;
}

void CFormulaPanel::ClearFormula() {
    m_pCalculated.reset();
    m_pFormula.reset();
    m_input = FormulaInput();
    m_bOverlay = false;
}

std::vector<OutputLine> CFormulaPanel::Outputs() const {
    return m_pFormula ? m_pFormula->Outputs() : std::vector<OutputLine>();
}

std::vector<ParamValue> CFormulaPanel::Params() const {
    return m_pFormula ? m_pFormula->Params() : std::vector<ParamValue>();
}

bool CFormulaPanel::ExtendTo(int nFrom, int nTo) {
    if (!m_pCalculated) return false;
    const int nLast = static_cast<int>(m_pBars->Bars().size()) - 1;
    nFrom = std::clamp(nFrom, 0, std::max(nLast, 0));
    nTo = std::clamp(nTo, 0, std::max(nLast, 0));
    if (nLast < 0 || nFrom > nTo) return false;
    IIndexCalculator* pCalculator = m_pCalculated->Calculator();
    // Ask for the calculated window joined with the view, so the calculator keeps
    // what it has and adds the new bars at one end. A request for every bar is its
    // signal to start over; when the window already holds bar 0 the same bars are
    // asked for from bar 1.
    int nFirst = -1, nWindowLast = -1;
    pCalculator->GetCalculatedRange(&nFirst, &nWindowLast);
    if (nFirst >= 0 && nWindowLast >= nFirst) {
        nFrom = std::min(nFrom, nFirst);
        nTo = std::max(nTo, nWindowLast);
        if (nFrom == 0 && nTo == nLast && nFirst == 0 && nLast > 0) nFrom = 1;
    }
    return pCalculator->Calculate(nFrom, nTo, false) && pCalculator->UpdateDisplayData();
}

FormulaPicture CFormulaPanel::DrawPicture(int nFrom, int nTo) const {
    if (!m_pCalculated) return FormulaPicture();
    const int nLast = static_cast<int>(m_pBars->Bars().size()) - 1;
    return PictureOfFormula(*m_pFormula, m_pCalculated->Calculator(), std::max(nFrom, 0),
                            std::min(nTo, nLast));
}

void CFormulaPanel::GetCalculatedRange(int* pFirst, int* pLast) const {
    *pFirst = -1;
    *pLast = -1;
    if (m_pCalculated) m_pCalculated->Calculator()->GetCalculatedRange(pFirst, pLast);
}

}  // namespace qxindex
