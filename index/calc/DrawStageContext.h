// What a draw-stage producer sees of the calculator while it turns one drawing
// statement into a GraphDrawInfo. The calculator hands itself over through this
// interface, under both of its locks, so a producer reads exactly the series that
// were last published and never a series that a running calculation is writing.
#pragma once

#include <cstdint>
#include <vector>

#include "QXDrawInfo.h"

class CCalculateInfo;
class CPriceCache;
class IIndexDataSource;
class IIndexParser;
struct ExprNode;

class IDrawStageContext {
public:
    // The objects behind the calculation; null when the calculator lacks them, in
    // which case a producer appends nothing.
    virtual IIndexParser* GetParser() = 0;
    virtual IIndexDataSource* GetDataSource() = 0;
    virtual const CCalculateInfo* GetCalculateInfo() = 0;

    // Bar prices (close, open, high, low, previous close), or null. Present whenever
    // the formula has a statement whose style colours bars by their movement.
    virtual const CPriceCache* GetPriceCache() = 0;

    // Number of bars every series from DrawStatementSeries holds; 0 when there is
    // none. The range a producer is given never reaches past it, but a producer that
    // looks beyond its range (to join a line across the edge) must stay below it.
    virtual int GetSeriesBarCount() = 0;

    // The whole series that argument nPosition of a drawing call refers to, indexed
    // by bar; null when that argument is no reference or nothing is published.
    virtual const double* DrawStatementSeries(const CCalculateInfo* pInfo,
                                              const ExprNode* pCallNode, int nPosition) = 0;

    // The colour of the output drawn by statement nStatementIndex: the parser's colour
    // when it has one, else the default colour.
    virtual QXDrawInfo::QXColor LineColour(int nStatementIndex) = 0;

    // A constant argument (a style code, a parameter) as the bit pattern of its
    // single-precision value; nFallback when it has no value without bar data.
    virtual uint32_t EvaluateConstantArg(const ExprNode* pCallNode, int nPosition,
                                         uint32_t nFallback) = 0;

protected:
    // Never deleted through this interface: the calculator owns itself.
    ~IDrawStageContext() = default;
};

// A producer appends the records of one drawing statement to pOut. nStatementIndex
// is the output whose colour and width it uses; nStep thins the bars it draws (its
// meaning is the producer's); nFirst..nLast is a valid range of published bars.
using DrawStageProducer = void (*)(IDrawStageContext& context, int nStatementIndex, int nFirst,
                                   int nLast, int nStep, const ExprNode* pCallNode,
                                   std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
