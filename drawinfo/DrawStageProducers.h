// The draw-stage producers: one per drawing function that yields records. The
// calculator's dispatch table routes each drawing statement to one of them.
//
// NOT YET WRITTEN: every producer below is an empty placeholder that appends
// nothing, so the calculator's GetDrawInfo succeeds with no records until the
// producers are filled in.
#pragma once

#include "index/calc/DrawStageContext.h"

void ProduceCurve(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceCircleMarks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                        int nStep, const ExprNode* pCallNode,
                        std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceColumns(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceCandles(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProducePolyline(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                     int nStep, const ExprNode* pCallNode,
                     std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceBand(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                 const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceSticks(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                   int nStep, const ExprNode* pCallNode,
                   std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceIcons(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceTexts(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceNumbers(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                    int nStep, const ExprNode* pCallNode,
                    std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceLines(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast, int nStep,
                  const ExprNode* pCallNode, std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
void ProduceFillRegion(IDrawStageContext& context, int nStatementIndex, int nFirst, int nLast,
                       int nStep, const ExprNode* pCallNode,
                       std::vector<QXDrawInfo::GraphDrawInfo>* pOut);
