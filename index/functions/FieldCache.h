// Bar-independent data fields (ids 501..1000, such as CAPITAL) fetched once per
// calculation: the data source is asked the first time a formula reads one, and a
// usable answer is kept for every later bar.
#pragma once

#include <map>

class IIndexDataSource;

// Field ids read once for the whole series rather than per bar.
constexpr int FIRST_CONSTANT_FIELD_ID = 501;
constexpr int LAST_CONSTANT_FIELD_ID = 1000;

class CFieldCache {
public:
    CFieldCache() = default;
    CFieldCache(const CFieldCache&) = delete;
    CFieldCache& operator=(const CFieldCache&) = delete;

    // The value of the field: from the cache, or else from the source's constant
    // field operation. False when the source has no value. An answer is cached only
    // when the source succeeds with a value that is neither reserved pattern, so a
    // source that cannot answer yet is asked again at the next read.
    bool GetValue(IIndexDataSource* pSource, int nFieldId, double* pValue);

    void Clear() { m_mapValues.clear(); }

private:
    std::map<int, double> m_mapValues;
};
