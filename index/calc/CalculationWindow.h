// The calculation window: the bars around a requested range that the calculator
// keeps computed. The data source says how far around a bar a formula must look
// (the margin); the margin is capped so that one request never costs more than a
// bounded amount of extra work, and raised for formulas that need a long history.
#pragma once

class IIndexDataSource;

// Most bars a window reaches beyond the requested range on either side, and the
// least it reaches back for a formula that needs a long history.
constexpr int MAX_WINDOW_MARGIN = 500;

// Bars the window reaches back before nBar: the source's distance (window boundary
// in direction 0), never negative; at least MAX_WINDOW_MARGIN with bLongHistory,
// else at most MAX_WINDOW_MARGIN.
int MarginBefore(IIndexDataSource& source, int nBar, bool bLongHistory);

// Bars the window reaches forward after nBar: 0 unless the formula looks at later
// bars, then the source's distance (direction 1), within 0..MAX_WINDOW_MARGIN.
int MarginAfter(IIndexDataSource& source, int nBar, bool bFutureData);
