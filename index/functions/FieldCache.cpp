#include "index/functions/FieldCache.h"

#include "IIndexDataSource.h"
#include "index/functions/ValueConventions.h"

bool CFieldCache::GetValue(IIndexDataSource* pSource, int nFieldId, double* pValue) {
    if (pValue == nullptr) return false;
    const auto it = m_mapValues.find(nFieldId);
    if (it != m_mapValues.end()) {
        *pValue = it->second;
        return true;
    }
    if (pSource == nullptr) return false;
    double dValue = INVALID_VALUE;
    if (!pSource->GetConstantFieldValue(nFieldId, &dValue)) return false;
    if (HasValue(dValue)) {
        try {
            m_mapValues.emplace(nFieldId, dValue);
        } catch (...) {
            // Without memory the value is simply asked for again next time.
        }
    }
    *pValue = dValue;
    return true;
}
