// Formula parser interface. The slot order of the operations is part of the
// client's binary interface; the interface has no virtual destructor because
// objects are destroyed only through IndexObjCreator.
#pragma once

#include <string>
#include <vector>

#include "ParseErrorInfo.h"

class CCalculateInfo;  // the compiled formula; opaque to the client

class IIndexParser {
public:
    virtual bool Parse(const std::string& text, const std::vector<std::string>& paramNames,
                       const std::vector<float>& paramValues) = 0;
    virtual bool GetError(ParseErrorInfo* out) = 0;
    virtual bool GetCalculateInfo(CCalculateInfo** out) = 0;
    virtual bool GetLongHistory(bool* out) = 0;
    virtual bool GetFutureData(bool* out) = 0;
    virtual bool GetVolatile(bool* out) = 0;
    virtual bool UsesField(int fieldId, int ignored) = 0;
    virtual bool GetDrawStatementCount(int* out) = 0;
    virtual bool GetOutputColor(int k, unsigned* out) = 0;
    virtual bool GetOutputLineThick(int k, int* out) = 0;
    virtual bool GetOutputDrawType(int k, int* out) = 0;
    virtual bool GetOutputName(int k, char* buf, unsigned size) = 0;
    virtual bool IsOutputHidden(int k, bool* out) = 0;
    virtual bool GetParamCount(int* out) = 0;
    virtual bool GetParamValue(int k, float* out) = 0;
    virtual bool GetParamName(int k, char* buf, unsigned size) = 0;
    virtual bool SetOutputColor(int k, unsigned colour) = 0;
    virtual bool SetOutputLineThick(int k, int width) = 0;
    virtual bool SetParamValue(int k, float value) = 0;
    virtual const std::vector<float>* GetOutputParamValues(int k) = 0;
    virtual const std::vector<int>* GetOutputParamIndexes(int k) = 0;
    virtual const std::vector<int>* GetParamOutputs(int p) = 0;
    virtual bool IsDrawFunctionOutput(int k, bool* out) = 0;
};
