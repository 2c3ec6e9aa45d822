// Everything a client of the library needs, in one include:
//   #include <QXScriptIndexBase/QXScriptIndexBase.h>
// Formulas: IndexObjCreator makes parsers and calculators, the client implements
// IIndexDataSource. Drawing tools: QXGraphInterface makes shapes, the client
// implements IQXGraphCoordinate. Both return QXDrawInfo records to paint.
#pragma once

#include "CParserHelper.h"
#include "IIndexCalculator.h"
#include "IIndexDataSource.h"
#include "IIndexParser.h"
#include "IQXGraphCoordinate.h"
#include "IQXGraphShapeBase.h"
#include "IndexObjCreator.h"
#include "ParseErrorInfo.h"
#include "QXDrawInfo.h"
#include "QXExport.h"
#include "QXGraphInterface.h"
#include "QXGraphSettings.h"
