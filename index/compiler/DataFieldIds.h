// Ids of the bar data fields a formula can name. Ids 1..500 are per-bar fields that
// the host serves bar by bar; 501..1000 are bar-independent values of the security.
#pragma once

#include <string>

constexpr int DATA_FIELD_UNKNOWN = -1;

// The id of an upper-case field name, or DATA_FIELD_UNKNOWN.
int FindDataFieldId(const std::string& strUpperName);
