#include "index/compiler/DataFieldIds.h"

namespace {

struct DataFieldEntry {
    const char* pszName;
    int nId;
};

// A constant table rather than a map filled on first use: nothing to build, nothing
// to guard between threads, and 17 rows are searched faster than a map is filled.
// CAPITAL is the first bar-independent value, so it opens the 501.. range.
// clang-format off
constexpr DataFieldEntry s_arrDataFields[] = {
    {"HIGH",        1},
    {"OPEN",        2},
    {"LOW",         3},
    {"CLOSE",       4},
    {"AMOUNT",      5},
    {"VOL",         6},
    {"ADVANCE",     7},
    {"DECLINE",     8},
    {"VOLINSTK",    9},
    {"QHJSJ",      10},
    {"HKSHORTVOL", 11},
    {"PER",        12},
    {"TURNOVER",   13},
    {"VOLA",       14},
    {"PRECLOSE",   15},
    {"IV",         16},
    {"CAPITAL",   501},
};
// clang-format on

}  // namespace

int FindDataFieldId(const std::string& strUpperName) {
    for (const DataFieldEntry& entry : s_arrDataFields) {
        if (strUpperName == entry.pszName) return entry.nId;
    }
    return DATA_FIELD_UNKNOWN;
}
