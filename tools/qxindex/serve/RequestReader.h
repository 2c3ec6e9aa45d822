// Checks of what a page sends. Every field is read through here, so a request is
// either taken whole or refused with a 4xx status and a message that names the
// field; nothing is changed before all of its fields have been read.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "IQXGraphShapeBase.h"
#include "QXDrawInfo.h"

namespace qxindex {

struct RequestError {
    int nStatus = 400;
    std::string strMessage;
};

class CRequestReader {
public:
    // Throws RequestError unless `strBody` is a JSON object.
    explicit CRequestReader(const std::string& strBody);

    bool Has(const char* pszField) const { return m_body.contains(pszField); }
    const nlohmann::json& Body() const { return m_body; }

    // A whole number within [nMin, nMax].
    int ReadInt(const char* pszField, int nMin, int nMax) const;
    // A finite number within [dMin, dMax].
    double ReadNumber(const char* pszField, double dMin, double dMax) const;
    bool ReadBool(const char* pszField) const;
    // A string of at most nMaxBytes bytes of UTF-8.
    std::string ReadText(const char* pszField, size_t nMaxBytes) const;
    // "#rrggbb", or "#rrggbbaa" with an alpha.
    QXDrawInfo::QXColor ReadColour(const char* pszField) const;
    // A tool kind by its enumerator name or number, one the factory knows.
    QX_GRAPH_TYPE ReadKind(const char* pszField) const;

    [[noreturn]] static void Refuse(const std::string& strMessage, int nStatus = 400);

private:
    const nlohmann::json& Field(const char* pszField) const;

    nlohmann::json m_body;
};

// Field checks that lists (the formula's parameters) share with the reader.
double CheckNumber(const nlohmann::json& value, const std::string& strField, double dMin,
                   double dMax);
std::string CheckText(const nlohmann::json& value, const std::string& strField, size_t nMaxBytes);

}  // namespace qxindex
