#include "tools/qxindex/serve/RequestReader.h"

#include <cmath>
#include <cstdio>

#include "tools/qxindex/ShapesFile.h"

namespace qxindex {

using Json = nlohmann::json;

void CRequestReader::Refuse(const std::string& strMessage, int nStatus) {
    throw RequestError{nStatus, strMessage};
}

CRequestReader::CRequestReader(const std::string& strBody) {
    m_body = Json::parse(strBody, nullptr, false);
    if (m_body.is_discarded()) Refuse("the body is not valid JSON");
    if (!m_body.is_object()) Refuse("the body must be a JSON object");
}

const Json& CRequestReader::Field(const char* pszField) const {
    auto it = m_body.find(pszField);
    if (it == m_body.end()) Refuse(std::string("'") + pszField + "' is missing");
    return *it;
}

double CheckNumber(const Json& value, const std::string& strField, double dMin, double dMax) {
    if (!value.is_number()) CRequestReader::Refuse("'" + strField + "' must be a number");
    const double d = value.get<double>();
    if (!std::isfinite(d) || d < dMin || d > dMax) {
        char range[96];
        std::snprintf(range, sizeof(range), " must lie within %g .. %g", dMin, dMax);
        CRequestReader::Refuse("'" + strField + "'" + range);
    }
    return d;
}

std::string CheckText(const Json& value, const std::string& strField, size_t nMaxBytes) {
    if (!value.is_string()) CRequestReader::Refuse("'" + strField + "' must be a string");
    const std::string& text = value.get_ref<const std::string&>();
    if (text.size() > nMaxBytes) {
        CRequestReader::Refuse("'" + strField + "' is longer than " + std::to_string(nMaxBytes) +
                               " bytes");
    }
    return text;
}

int CRequestReader::ReadInt(const char* pszField, int nMin, int nMax) const {
    const double d = CheckNumber(Field(pszField), pszField, nMin, nMax);
    if (d != std::floor(d)) Refuse(std::string("'") + pszField + "' must be a whole number");
    return static_cast<int>(d);
}

double CRequestReader::ReadNumber(const char* pszField, double dMin, double dMax) const {
    return CheckNumber(Field(pszField), pszField, dMin, dMax);
}

bool CRequestReader::ReadBool(const char* pszField) const {
    const Json& value = Field(pszField);
    if (!value.is_boolean()) Refuse(std::string("'") + pszField + "' must be true or false");
    return value.get<bool>();
}

std::string CRequestReader::ReadText(const char* pszField, size_t nMaxBytes) const {
    return CheckText(Field(pszField), pszField, nMaxBytes);
}

QXDrawInfo::QXColor CRequestReader::ReadColour(const char* pszField) const {
    const std::string text = ReadText(pszField, 9);
    unsigned digits = 0;
    unsigned alpha = 0xFF;
    bool ok = text.size() >= 7 && text[0] == '#' &&
              text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
    if (ok && text.size() == 7) {
        ok = std::sscanf(text.c_str() + 1, "%6x", &digits) == 1;
    } else if (ok && text.size() == 9) {
        ok = std::sscanf(text.c_str() + 1, "%8x", &digits) == 1;
        alpha = digits & 0xFF;
        digits >>= 8;
    } else {
        ok = false;
    }
    if (!ok) Refuse(std::string("'") + pszField + "' must be a colour as #rrggbb or #rrggbbaa");
    // Packed colours keep red in the low byte.
    return QXDrawInfo::GetColorByValue(static_cast<int>(
        (alpha << 24) | ((digits & 0xFF) << 16) | (digits & 0xFF00) | ((digits >> 16) & 0xFF)));
}

QX_GRAPH_TYPE CRequestReader::ReadKind(const char* pszField) const {
    const Json& value = Field(pszField);
    if (value.is_string()) {
        const std::string& name = value.get_ref<const std::string&>();
        for (int kind = 1; kind <= 1010; ++kind) {
            if (ShapeKindPoints(kind) > 0 && ShapeKindName(kind) == name) {
                return static_cast<QX_GRAPH_TYPE>(kind);
            }
        }
        Refuse("unknown tool kind '" + name.substr(0, 64) + "'");
    }
    const int kind = ReadInt(pszField, 0, 1 << 30);
    if (ShapeKindPoints(kind) == 0) Refuse("unknown tool kind " + std::to_string(kind));
    return static_cast<QX_GRAPH_TYPE>(kind);
}

}  // namespace qxindex
