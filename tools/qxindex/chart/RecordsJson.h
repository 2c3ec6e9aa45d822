// Drawing records as JSON, every field of every record in the records' own order
// (for --records): what a client would receive, readable and diffable.
//
// Field names are the records' own. Texts and font names are converted from the
// library's code page (GBK) to UTF-8; a value that is not finite (the library's
// invalid-value marker) is written as null. Colours are written as their three
// fields, the packed value as the signed int it is.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "QXDrawInfo.h"

namespace qxindex {

nlohmann::ordered_json RecordsToJson(const std::vector<QXDrawInfo::GraphDrawInfo>& pictures);
nlohmann::ordered_json PictureToJson(const QXDrawInfo::GraphDrawInfo& info);

// The JSON text, indented by two; bytes that are not UTF-8 are replaced rather
// than failing the dump.
std::string DumpRecordsJson(const std::vector<QXDrawInfo::GraphDrawInfo>& pictures);

}  // namespace qxindex
