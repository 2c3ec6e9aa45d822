// The draw-stage producers: one per drawing function that yields records. The
// calculator's dispatch table routes each drawing statement to one of them; each
// appends exactly one GraphDrawInfo, or nothing when its inputs are missing.
#pragma once

#include <string>

#include "index/calc/DrawStageContext.h"

// Lines (LineProducers.cpp).
void ProduceCurve(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProducePolyline(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                     int nStep, const ExprNode* pCallNode,
                     std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceLines(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

// Areas (AreaProducers.cpp).
void ProduceBand(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                 const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceFillRegion(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                       int nStep, const ExprNode* pCallNode,
                       std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

// Per-bar shapes (BarProducers.cpp).
void ProduceColumns(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceCircleMarks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                        int nStep, const ExprNode* pCallNode,
                        std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceSticks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                   int nStep, const ExprNode* pCallNode,
                   std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceCandles(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

// Marks (MarkProducers.cpp).
void ProduceIcons(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceTexts(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceNumbers(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);

// DRAWNUMBER's text: "%f", then without trailing zeros and a trailing point, so
// 3.140000 shows as 3.14 and 5.000000 as 5.
std::string FormatDrawnNumber(double dValue);
