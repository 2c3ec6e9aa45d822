#include "index/functions/SeriesStore.h"

#include <algorithm>
#include <new>

#include "index/functions/ValueConventions.h"

CSeriesStore::CSeriesStore(int nBarCount) : m_nBarCount(nBarCount) {}

CSeriesStore::~CSeriesStore() {
    for (std::vector<SeriesSlot>& vecKind : m_vecSeries) {
        for (SeriesSlot& slot : vecKind) ReleaseSlot(slot);
    }
}

void CSeriesStore::ReleaseSlot(SeriesSlot& slot) {
    if (slot.pValues == nullptr) return;
    m_setShortSeries.erase(slot.pValues);
    m_mapBarEntries.erase(slot.pValues);
    delete[] slot.pValues;
    slot.pValues = nullptr;
    slot.nLength = 0;
}

double* CSeriesStore::FindOrCreateSeries(int nKind, int nNumber, int nLength) {
    if (nKind < 0 || nKind >= SERIES_KIND_COUNT) return nullptr;
    if (nNumber < 0 || nNumber > MAX_SERIES_NUMBER) return nullptr;
    const bool bShort = nLength >= 1;
    if (!bShort && m_nBarCount < 1) return nullptr;
    const size_t nWanted =
        bShort ? static_cast<size_t>(nLength) : static_cast<size_t>(m_nBarCount) + 2;

    std::vector<SeriesSlot>& vecKind = m_vecSeries[nKind];
    const size_t nIndex = static_cast<size_t>(nNumber);
    try {
        if (vecKind.size() <= nIndex) vecKind.resize(nIndex + 1, SeriesSlot{nullptr, 0});
    } catch (...) {
        return nullptr;
    }
    SeriesSlot& slot = vecKind[nIndex];
    if (slot.pValues != nullptr) return slot.nLength >= nWanted ? slot.pValues : nullptr;

    double* pValues = new (std::nothrow) double[nWanted];
    if (pValues == nullptr) return nullptr;
    std::fill(pValues, pValues + nWanted, UNCOMPUTED_VALUE);
    if (bShort) {
        try {
            m_setShortSeries.insert(pValues);
        } catch (...) {
            delete[] pValues;
            return nullptr;
        }
    }
    slot.pValues = pValues;
    slot.nLength = nWanted;
    return pValues;
}

double* CSeriesStore::FindSeries(int nKind, int nNumber) const {
    if (nKind < 0 || nKind >= SERIES_KIND_COUNT || nNumber < 0) return nullptr;
    const std::vector<SeriesSlot>& vecKind = m_vecSeries[nKind];
    if (static_cast<size_t>(nNumber) >= vecKind.size()) return nullptr;
    return vecKind[static_cast<size_t>(nNumber)].pValues;
}

void CSeriesStore::DeleteSeries(int nKind, int nNumber) {
    if (nKind < 0 || nKind >= SERIES_KIND_COUNT || nNumber < 0) return;
    std::vector<SeriesSlot>& vecKind = m_vecSeries[nKind];
    if (static_cast<size_t>(nNumber) >= vecKind.size()) return;
    ReleaseSlot(vecKind[static_cast<size_t>(nNumber)]);
    if (nKind == SERIES_KIND_STATE && static_cast<size_t>(nNumber) < m_vecWorkspaces.size()) {
        m_vecWorkspaces[static_cast<size_t>(nNumber)].reset();
    }
}

std::vector<double>* CSeriesStore::GetWorkspace(int nSlot) {
    if (nSlot < 0 || nSlot > MAX_SERIES_NUMBER) return nullptr;
    const size_t nIndex = static_cast<size_t>(nSlot);
    try {
        if (m_vecWorkspaces.size() <= nIndex) m_vecWorkspaces.resize(nIndex + 1);
        if (m_vecWorkspaces[nIndex] == nullptr) {
            m_vecWorkspaces[nIndex] = std::make_unique<std::vector<double>>();
        }
    } catch (...) {
        return nullptr;
    }
    return m_vecWorkspaces[nIndex].get();
}

double* CSeriesStore::GetBarEntries(int nSlot, int nEntryLength) {
    if (nEntryLength < 1 || nEntryLength > 16) return nullptr;
    const bool bNew = FindSeries(SERIES_KIND_STATE, nSlot) == nullptr;
    double* pBuffer = GetSeries(SERIES_KIND_STATE, nSlot, 2 * nEntryLength);
    if (pBuffer == nullptr || !bNew) return pBuffer;
    try {
        m_mapBarEntries.emplace(pBuffer, nEntryLength);
    } catch (...) {
        DeleteSeries(SERIES_KIND_STATE, nSlot);
        return nullptr;
    }
    return pBuffer;
}

double* CSeriesStore::GetNodeSeries(int64_t nNode) {
    const auto it = m_mapNodeNumbers.find(nNode);
    if (it != m_mapNodeNumbers.end()) return GetSeries(SERIES_KIND_NODE, it->second, 0);
    const size_t nNumber = m_mapNodeNumbers.size();
    if (nNumber > static_cast<size_t>(MAX_SERIES_NUMBER)) return nullptr;
    double* pSeries = GetSeries(SERIES_KIND_NODE, static_cast<int>(nNumber), 0);
    if (pSeries == nullptr) return nullptr;
    try {
        m_mapNodeNumbers.emplace(nNode, static_cast<int>(nNumber));
    } catch (...) {
        DeleteSeries(SERIES_KIND_NODE, static_cast<int>(nNumber));
        return nullptr;
    }
    return pSeries;
}

void CSeriesStore::DeleteNodeSeries() {
    for (SeriesSlot& slot : m_vecSeries[SERIES_KIND_NODE]) ReleaseSlot(slot);
    m_vecSeries[SERIES_KIND_NODE].clear();
    m_mapNodeNumbers.clear();
}

void CSeriesStore::Invalidate(int nFirst, int nLast) {
    if (nFirst > nLast) std::swap(nFirst, nLast);
    const long long nEnd = static_cast<long long>(m_nBarCount) + 1;
    const long long nFrom = std::max<long long>(nFirst, 0);
    const long long nTo = std::min<long long>(nLast, nEnd);
    if (nFrom > nTo) return;
    for (std::vector<SeriesSlot>& vecKind : m_vecSeries) {
        for (SeriesSlot& slot : vecKind) {
            if (slot.pValues == nullptr || m_setShortSeries.count(slot.pValues) != 0) continue;
            // A whole series spans m_nBarCount + 2 doubles, so nTo is always inside.
            std::fill(slot.pValues + nFrom, slot.pValues + nTo + 1, UNCOMPUTED_VALUE);
        }
    }
    for (const auto& entries : m_mapBarEntries) {
        for (double* pEntry : {entries.first, entries.first + entries.second}) {
            if (IsComputed(pEntry[0]) && pEntry[0] >= static_cast<double>(nFrom) &&
                pEntry[0] <= static_cast<double>(nTo)) {
                pEntry[0] = UNCOMPUTED_VALUE;
            }
        }
    }
    for (std::unique_ptr<std::vector<double>>& pWorkspace : m_vecWorkspaces) {
        if (pWorkspace == nullptr || pWorkspace->size() < 2) continue;
        const double dFirst = (*pWorkspace)[0];
        const double dLast = (*pWorkspace)[1];
        if (static_cast<double>(nFrom) <= dLast && static_cast<double>(nTo) >= dFirst) {
            pWorkspace->clear();
        }
    }
}
