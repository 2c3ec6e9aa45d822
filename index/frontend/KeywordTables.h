// The fixed vocabulary of the formula language: seven process-wide tables that
// map keyword texts to token ids and token ids to script spellings, argument
// counts and character classes. They are built once per process and only read
// afterwards; until the first build every table is empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "index/frontend/TokenIds.h"

// Character classes of formula text.
constexpr int kCharClassBrace = 1;
constexpr int kCharClassBlank = 2;
constexpr int kCharClassNumber = 3;
constexpr int kCharClassName = 4;  // also every byte the class table does not list
constexpr int kCharClassOperator = 5;
constexpr int kCharClassDoubleQuote = 6;
constexpr int kCharClassSingleQuote = 7;

class CKeywordTables {
public:
    CKeywordTables();

    // Empties the tables and inserts the source lists in their documented order.
    // An insertion never replaces an entry, so the first spelling of an alias wins.
    void Fill();

    // text -> token id; false for a text that is no keyword.
    bool FindKeywordId(std::string_view strText, int* pId) const;
    // id -> spelling; the empty text when the id has none.
    const std::string& GetTokenSpelling(int nId) const;
    const std::string& GetFieldSpelling(int nId) const;
    const std::string& GetDrawSpelling(int nId) const;
    // id -> argument count; false when the id has none.
    bool FindFunctionArity(int nId, int* pArity) const;
    bool IsDrawFunction(int nId) const;
    int GetCharClass(unsigned char cByte) const { return m_arrCharClasses[cByte]; }

    const std::map<std::string, int>& GetKeywordIds() const { return m_mapKeywordIds; }
    const std::map<int, std::string>& GetTokenSpellings() const { return m_mapTokenSpelling; }
    const std::map<int, std::string>& GetFieldSpellings() const { return m_mapFieldSpelling; }
    const std::map<int, std::string>& GetDrawSpellings() const { return m_mapDrawSpelling; }
    const std::map<int, int>& GetFunctionArities() const { return m_mapFunctionArity; }
    const std::set<int>& GetDrawFunctionSet() const { return m_setDrawFunctions; }
    const std::map<std::string, int>& GetCharClasses() const { return m_mapCharClasses; }

private:
    void Clear();
    void BuildIndexes();
    template <typename Row, size_t N>
    void InsertKeywords(const Row (&arrRows)[N]);

    std::map<std::string, int> m_mapKeywordIds;
    std::map<int, std::string> m_mapTokenSpelling;
    std::map<int, std::string> m_mapFieldSpelling;
    std::map<int, std::string> m_mapDrawSpelling;
    std::map<int, int> m_mapFunctionArity;
    std::set<int> m_setDrawFunctions;
    std::map<std::string, int> m_mapCharClasses;
    // Byte-indexed copy of m_mapCharClasses: the lexer asks once per character.
    unsigned char m_arrCharClasses[256];
    // Copies of the two maps that every token and every name of a formula is looked
    // up in, made by Fill: keyword texts hashed (the keys view the map's own
    // strings), and for every id below the per-formula blocks the position of its
    // spelling in m_vecSpellings plus one, 0 for none.
    std::unordered_map<std::string_view, int> m_mapKeywordIndex;
    std::vector<const std::string*> m_vecSpellings;
    std::vector<uint16_t> m_vecSpellingSlots;
    bool m_bSpellingsBeyondIndex = false;
    // Argument counts by id, kNoArity where the map has none.
    static constexpr int kNoArity = -0x7FFF;
    std::vector<int> m_vecArities;
};

// Builds the process-wide tables on the first call; later calls return at once.
// Safe to call from several threads. False only when memory ran out, in which
// case the tables stay empty and a later call tries again.
bool BuildKeywordTables();

// The process-wide tables: empty until BuildKeywordTables has succeeded.
const CKeywordTables& GetKeywordTables();

// The first keyword text listed for an id (for example "and" for 3001), read
// from the source lists, so it answers even before the build; null for ids that
// no keyword has.
const char* FindKeywordText(int nId);
