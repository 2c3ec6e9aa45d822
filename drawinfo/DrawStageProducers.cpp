// NOT YET WRITTEN: placeholders that append nothing (see the header).
#include "drawinfo/DrawStageProducers.h"

void ProduceCurve(IDrawStageContext&, int, int, int, int, const ExprNode*,
                  std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceCircleMarks(IDrawStageContext&, int, int, int, int, const ExprNode*,
                        std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceColumns(IDrawStageContext&, int, int, int, int, const ExprNode*,
                    std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceCandles(IDrawStageContext&, int, int, int, int, const ExprNode*,
                    std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProducePolyline(IDrawStageContext&, int, int, int, int, const ExprNode*,
                     std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceBand(IDrawStageContext&, int, int, int, int, const ExprNode*,
                 std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceSticks(IDrawStageContext&, int, int, int, int, const ExprNode*,
                   std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceIcons(IDrawStageContext&, int, int, int, int, const ExprNode*,
                  std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceTexts(IDrawStageContext&, int, int, int, int, const ExprNode*,
                  std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceNumbers(IDrawStageContext&, int, int, int, int, const ExprNode*,
                    std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceLines(IDrawStageContext&, int, int, int, int, const ExprNode*,
                  std::vector<QXDrawInfo::GraphDrawInfo>*) {}

void ProduceFillRegion(IDrawStageContext&, int, int, int, int, const ExprNode*,
                       std::vector<QXDrawInfo::GraphDrawInfo>*) {}
