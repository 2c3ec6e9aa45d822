// Two calculators over the same formula and bars, one evaluating every span bar by
// bar and one column at a time wherever it can, driven through the same operations
// and compared bit for bit: every output and every drawing argument at every bar,
// so that INVALID_VALUE, NaN payloads and the sign of zero all count.
#pragma once

#include <string>

#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "index/calc/CIndexCalculator.h"

class CRangeDifferential {
public:
    CRangeDifferential(IIndexParser* pParser, IIndexDataSource* pSource);

    void Calculate(int nFrom, int nTo, bool bForce);
    // Re-binds the data source, as a client does after its bars changed.
    void Rebind();
    // Empty when both agree everywhere; otherwise where they first differ.
    std::string Compare();

private:
    IIndexParser* m_pParser;
    IIndexDataSource* m_pSource;
    CIndexCalculator m_barByBar;
    CIndexCalculator m_columns;
};
