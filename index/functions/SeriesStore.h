// The per-calculation store of double series: output lines, variables and the
// per-call state of the function library, each kind a vector of buffers indexed by
// series number. The store owns every buffer; callers only borrow them, and a
// buffer keeps its address until the store deletes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

// Series kinds in use (the list kinds of the compiled form, plus the state kind).
constexpr int SERIES_KIND_FIELD = 3;  // never stored: read through the data source
constexpr int SERIES_KIND_OUTPUT = 4;
constexpr int SERIES_KIND_VARIABLE = 5;
constexpr int SERIES_KIND_STATE = 11;
constexpr int SERIES_KIND_NODE = 12;  // kept values of expression nodes, numbered by the store
constexpr int SERIES_KIND_COUNT = 15;

// Highest series number a store accepts. Numbers come from the compiled form
// (variables, auto variables and 16-bit state slots share one counter), so no real
// formula comes near it; the cap keeps a corrupt number from reserving gigabytes
// of null pointers.
constexpr int MAX_SERIES_NUMBER = 1 << 20;

class CSeriesStore {
public:
    explicit CSeriesStore(int nBarCount);
    ~CSeriesStore();
    CSeriesStore(const CSeriesStore&) = delete;
    CSeriesStore& operator=(const CSeriesStore&) = delete;

    int GetBarCount() const { return m_nBarCount; }

    // The series (kind, number), created filled with UNCOMPUTED_VALUE when missing.
    // A length of 0 or less asks for a whole series of m_nBarCount + 2 doubles (none
    // when the store has no bars); a length of 1 or more asks for a short series of
    // that many doubles, which Invalidate leaves alone. Null for a kind outside
    // 0..14, a negative or oversized number, or exhausted memory.
    //
    // An existing series is returned only when it is at least as long as asked:
    // a hand-built formula could give two calls the same state slot with different
    // needs, and a buffer shorter than its reader expects must never be handed out.
    double* GetSeries(int nKind, int nNumber, int nLength) {
        // Evaluation asks for the same few series at every bar; once they exist the
        // answer is a table read.
        if (nKind >= 0 && nKind < SERIES_KIND_COUNT && nNumber >= 0) {
            const std::vector<SeriesSlot>& vecKind = m_vecSeries[nKind];
            const size_t nIndex = static_cast<size_t>(nNumber);
            if (nIndex < vecKind.size() && vecKind[nIndex].pValues != nullptr) {
                if (nLength >= 1) {
                    return vecKind[nIndex].nLength >= static_cast<size_t>(nLength)
                               ? vecKind[nIndex].pValues
                               : nullptr;
                }
                if (m_nBarCount >= 1 &&
                    vecKind[nIndex].nLength >= static_cast<size_t>(m_nBarCount) + 2) {
                    return vecKind[nIndex].pValues;
                }
            }
        }
        return FindOrCreateSeries(nKind, nNumber, nLength);
    }

    // The existing series, or null; never creates one.
    double* FindSeries(int nKind, int nNumber) const;

    // Deletes one series (partial reset of volatile series); numbers beyond the
    // kind's vector are ignored. The next GetSeries recreates it uncomputed.
    void DeleteSeries(int nKind, int nNumber);

    // Sets elements a..b of every whole series back to UNCOMPUTED_VALUE. The ends may
    // come in either order and are clamped to 0..m_nBarCount + 1. Short series hold
    // per-call state, not values per bar, and are left alone.
    // Workspaces also forget what they derived from the invalidated bars.
    void Invalidate(int nFirst, int nLast);

    // Per-call memory of a state slot whose size follows the window rather than being
    // fixed (the candidates of a sliding extreme). Starts empty and lives as long as
    // the slot's state series. Its owner keeps in its first two doubles the first and
    // last bar its contents were derived from; Invalidate empties it when those bars
    // overlap the invalidated ones. Null for a slot out of range or exhausted memory.
    std::vector<double>* GetWorkspace(int nSlot);

    // A per-call state series of two entries of nEntryLength doubles, each beginning
    // with the bar it was computed for (the running state of the window functions).
    // Invalidate forgets an entry whose bar it covers, so that running state never
    // outlives the values it was derived from: a forming bar computed again, which
    // may end without storing anything, leaves nothing stale for the next bar.
    // Null as GetSeries; an entry length outside 1..16 is refused.
    double* GetBarEntries(int nSlot, int nEntryLength);

    // The kept values of an expression node (identified by its operand value) that a
    // function reads at bars other than the one it computes. Without them every such
    // read evaluates the node again, and nested window functions cost the product of
    // their windows per bar; kept, the node behaves like a variable series: computed
    // once per bar and window, invalidated with the other whole series.
    // Find never creates; Get creates (null for exhausted memory or too many nodes).
    double* FindNodeSeries(int64_t nNode) const {
        if (m_mapNodeNumbers.empty()) return nullptr;
        const auto it = m_mapNodeNumbers.find(nNode);
        return it == m_mapNodeNumbers.end() ? nullptr : FindSeries(SERIES_KIND_NODE, it->second);
    }
    double* GetNodeSeries(int64_t nNode);
    // Forgets every node's values (their series are volatile whenever any series is).
    void DeleteNodeSeries();

private:
    struct SeriesSlot {
        double* pValues;
        size_t nLength;
    };

    void ReleaseSlot(SeriesSlot& slot);
    double* FindOrCreateSeries(int nKind, int nNumber, int nLength);

    int m_nBarCount;
    std::vector<SeriesSlot> m_vecSeries[SERIES_KIND_COUNT];
    std::set<double*> m_setShortSeries;
    std::vector<std::unique_ptr<std::vector<double>>> m_vecWorkspaces;  // by state slot
    std::unordered_map<double*, int> m_mapBarEntries;                   // buffer -> entry length
    std::unordered_map<int64_t, int> m_mapNodeNumbers;  // node operand -> SERIES_KIND_NODE number
};
