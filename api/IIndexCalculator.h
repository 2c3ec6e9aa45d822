// Indicator calculator interface. The slot order of the operations is part of the
// client's binary interface; objects are destroyed only through IndexObjCreator.
#pragma once

#include <set>
#include <vector>

#include "QXDrawInfo.h"

class IIndexParser;
class IIndexDataSource;

class IIndexCalculator {
public:
    virtual bool SetIndexParser(IIndexParser* parser) = 0;
    virtual bool SetDataSource(IIndexDataSource* source) = 0;
    virtual bool Calculate(int from, int to, bool force) = 0;
    virtual bool StopCalculate() = 0;
    virtual bool UpdateDisplayData() = 0;
    virtual bool ReleaseDisplayData() = 0;
    virtual bool GetCalculatedRange(int* first, int* last) = 0;
    virtual bool GetValue(int line, int bar, double* value) = 0;
    virtual bool GetValues(int line, int from, int to, double* values, bool* valid) = 0;
    virtual bool GetValueRange(int from, int to, const std::set<int>* excluded, double* min,
                               double* max) = 0;
    virtual bool GetDrawArgValue(int line, int arg, int bar, double* value) = 0;
    virtual bool GetDrawInfo(int from, int to, int step, const std::set<int>* excluded,
                             std::vector<QXDrawInfo::GraphDrawInfo>* out) = 0;
    virtual bool ReleaseDrawInfo(std::vector<QXDrawInfo::GraphDrawInfo>* infos) = 0;
};
