// The vocabulary of the formula language as data. Each list below is one array,
// one row per keyword, in the order in which Fill inserts it; that order matters
// because an alias never replaces the spelling of the text listed before it.
#include "index/frontend/KeywordTables.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

struct CKeywordRow {
    const char* m_pszText;
    int m_nId;
    const char* m_pszSpelling;  // script spelling (field name for data fields); null for none
};

struct CFunctionRow {
    const char* m_pszText;
    int m_nId;
    int m_nArity;
    const char* m_pszSpelling;  // null: the text is its own spelling
};

struct CDrawFunctionRow {
    const char* m_pszText;
    int m_nId;
    int m_nArity;
    const char* m_pszScriptName;
};

struct CCharClassRow {
    const char* m_pszChars;
    int m_nClass;
};

// clang-format off
constexpr CKeywordRow kOperatorRows[] = {
    {"*",   kTokenMultiply,         "*"},
    {"/",   kTokenDivide,           "/"},
    {"*-",  kTokenMultiplyNegative, "*-"},
    {"/-",  kTokenDivideNegative,   "/-"},
    {"+",   kTokenPlus,             "+"},
    {"-",   kTokenMinus,            "-"},
    {">",   kTokenGreater,          ">"},
    {"<",   kTokenLess,             "<"},
    {">=",  kTokenGreaterEqual,     ">="},
    {"<=",  kTokenLessEqual,        "<="},
    {"=",   kTokenEqual,            "="},
    {"and", kTokenAnd,              "&"},
    {"&&",  kTokenAnd,              "&"},
    {")",   kTokenCloseParen,       ")"},
    {"(",   kTokenOpenParen,        "("},
    {",",   kTokenComma,            ","},
    {":",   kTokenDefine,           "="},
    {":=",  kTokenAssign,           "="},
    {"!=",  kTokenNotEqual,         "<>"},
    {"><",  kTokenNotEqual,         "<>"},
    {"<>",  kTokenNotEqual,         "<>"},
    {"or",  kTokenOr,               "|"},
    {"||",  kTokenOr,               "|"},
};

// Ids 9016 and 9017 have no keyword.
constexpr CKeywordRow kLineStyleRows[] = {
    {"volstick",   9010, nullptr},
    {"stick",      9011, nullptr},
    {"circledot",  9012, nullptr},
    {"linestick",  9013, nullptr},
    {"crossdot",   9014, nullptr},
    {"colorstick", 9015, nullptr},
    {"nodraw",     kTokenNoDraw, nullptr},
    {"dotline",    9019, nullptr},
    {"noframe",    9020, nullptr},
    {"drawabove",  9021, nullptr},
    {"pointdot",   9022, nullptr},
    {"sarline",    9023, nullptr},
    {"rtvolstick", 9024, nullptr},
};

constexpr CKeywordRow kColourRows[] = {
    {"colorred",       9100, nullptr},
    {"colorgreen",     9101, nullptr},
    {"colorblue",      9102, nullptr},
    {"coloryellow",    9103, nullptr},
    {"colororange",    9104, nullptr},
    {"colorpurple",    9105, nullptr},
    {"colorblack",     9106, nullptr},
    {"colorwhite",     9107, nullptr},
    {"colormagenta",   9108, nullptr},
    {"colorcyan",      9109, nullptr},
    {"colorbrown",     9110, nullptr},
    {"colorligray",    9111, nullptr},
    {"colorgray",      9112, nullptr},
    {"colorliblue",    9113, nullptr},
    {"colorligreen",   9114, nullptr},
    {"colorlicyan",    9115, nullptr},
    {"colorlired",     9116, nullptr},
    {"colorlimagenta", 9117, nullptr},
};

constexpr CKeywordRow kLineThickRows[] = {
    {"linethick1", 9301, nullptr},
    {"linethick2", 9302, nullptr},
    {"linethick3", 9303, nullptr},
    {"linethick4", 9304, nullptr},
    {"linethick5", 9305, nullptr},
    {"linethick6", 9306, nullptr},
    {"linethick7", 9307, nullptr},
    {"linethick8", 9308, nullptr},
    {"linethick9", 9309, nullptr},
};

// The spelling is the long field name, for the short aliases too.
constexpr CKeywordRow kDataFieldRows[] = {
    {"open",     9501, "open"},
    {"o",        9501, "open"},
    {"high",     9502, "high"},
    {"h",        9502, "high"},
    {"low",      9503, "low"},
    {"l",        9503, "low"},
    {"close",    9504, "close"},
    {"c",        9504, "close"},
    {"vol",      9505, "vol"},
    {"v",        9505, "vol"},
    {"amount",   9508, "amount"},
    {"per",      9517, "per"},
    {"turnover", 9518, "turnover"},
    {"vola",     9519, "vola"},
    {"iv",       9520, "iv"},
    {"capital",  9550, "capital"},
};

// `reverse` is written as a subtraction from zero; `iff` and `range` are aliases.
constexpr CFunctionRow kFunctionRows[] = {
    {"max",             8001, 2, nullptr},
    {"min",             8002, 2, nullptr},
    {"mod",             8003, 2, nullptr},
    {"acos",            8004, 1, nullptr},
    {"asin",            8005, 1, nullptr},
    {"atan",            8006, 1, nullptr},
    {"cos",             8007, 1, nullptr},
    {"sin",             8008, 1, nullptr},
    {"tan",             8009, 1, nullptr},
    {"exp",             8010, 1, nullptr},
    {"ln",              8011, 1, nullptr},
    {"log",             8012, 1, nullptr},
    {"sqrt",            8013, 1, nullptr},
    {"abs",             8014, 1, nullptr},
    {"pow",             8015, 2, nullptr},
    {"ceiling",         8016, 1, nullptr},
    {"floor",           8017, 1, nullptr},
    {"intpart",         8018, 1, nullptr},
    {"between",         8019, 3, nullptr},
    {"fracpart",        8020, 1, nullptr},
    {"round",           8021, 1, nullptr},
    {"round2",          8022, 2, nullptr},
    {"sign",            8023, 1, nullptr},
    {"rand",            8024, 1, nullptr},
    {"cross",           8040, 2, nullptr},
    {"longcross",       8041, 3, nullptr},
    {"upnday",          8042, 2, nullptr},
    {"downnday",        8043, 2, nullptr},
    {"nday",            8044, 3, nullptr},
    {"exist",           8045, 2, nullptr},
    {"every",           8046, 2, nullptr},
    {"last",            8047, 3, nullptr},
    {"not",             8048, 1, nullptr},
    {"if",              8070, 3, nullptr},
    {"iff",             8070, 3, "if"},
    {"ifn",             8071, 3, nullptr},
    {"valuewhen",       8072, 2, nullptr},
    {"datetoday",       8090, 1, nullptr},
    {"daytodate",       8091, 1, nullptr},
    {"timetosec",       8092, 1, nullptr},
    {"sectotime",       8093, 1, nullptr},
    {"period",          8094, 0, nullptr},
    {"date",            8095, 0, nullptr},
    {"time",            8096, 0, nullptr},
    {"time2",           8097, 0, nullptr},
    {"year",            8098, 0, nullptr},
    {"month",           8099, 0, nullptr},
    {"weekofyear",      8100, 0, nullptr},
    {"weekday",         8101, 0, nullptr},
    {"day",             8102, 0, nullptr},
    {"hour",            8103, 0, nullptr},
    {"minute",          8104, 0, nullptr},
    {"backset",         8110, 2, nullptr},
    {"alignright",      8111, 1, nullptr},
    {"barscount",       8112, 1, nullptr},
    {"barslast",        8113, 1, nullptr},
    {"barsnext",        8114, 1, nullptr},
    {"barssincen",      8115, 2, nullptr},
    {"barssince",       8116, 1, nullptr},
    {"count",           8117, 2, nullptr},
    {"barslastcount",   8118, 1, nullptr},
    {"hhv",             8119, 2, nullptr},
    {"hhvbars",         8120, 2, nullptr},
    {"hod",             8121, 2, nullptr},
    {"llv",             8122, 2, nullptr},
    {"llvbars",         8123, 2, nullptr},
    {"lod",             8124, 2, nullptr},
    {"reverse",         8125, 1, "0-"},
    {"ref",             8126, 2, nullptr},
    {"refv",            8127, 2, nullptr},
    {"refx",            8128, 2, nullptr},
    {"refxv",           8129, 2, nullptr},
    {"refdate",         8130, 2, nullptr},
    {"sum",             8132, 2, nullptr},
    {"mular",           8133, 2, nullptr},
    {"filter",          8134, 2, nullptr},
    {"sumbars",         8139, 2, nullptr},
    {"ma",              8140, 2, nullptr},
    {"sma",             8141, 3, nullptr},
    {"tma",             8142, 3, nullptr},
    {"mema",            8143, 2, nullptr},
    {"ema",             8144, 2, nullptr},
    {"expma",           8145, 2, nullptr},
    {"expmema",         8146, 2, nullptr},
    {"wma",             8147, 2, nullptr},
    {"dma",             8148, 2, nullptr},
    {"ama",             8149, 2, nullptr},
    {"xma",             8150, 2, nullptr},
    {"range",           8019, 3, "between"},
    {"const",           8151, 1, nullptr},
    {"toprange",        8152, 1, nullptr},
    {"lowrange",        8153, 1, nullptr},
    {"findhigh",        8154, 4, nullptr},
    {"findhighbars",    8155, 4, nullptr},
    {"findlow",         8156, 4, nullptr},
    {"findlowbars",     8157, 4, nullptr},
    {"ztprice",         8158, 2, nullptr},
    {"dtprice",         8159, 2, nullptr},
    {"drawnull",        8160, 0, nullptr},
    {"barstatus",       8161, 0, nullptr},
    {"currbarscount",   8162, 0, nullptr},
    {"totalbarscount",  8163, 0, nullptr},
    {"islastbar",       8164, 0, nullptr},
    {"tr",              8165, 0, nullptr},
    {"avedev",          8180, 2, nullptr},
    {"devsq",           8181, 2, nullptr},
    {"std",             8182, 2, nullptr},
    {"stdp",            8183, 2, nullptr},
    {"varp",            8184, 2, nullptr},
    {"var",             8185, 2, nullptr},
    {"forcast",         8186, 2, nullptr},
    {"slope",           8187, 2, nullptr},
    {"covar",           8188, 3, nullptr},
    {"relate",          8189, 3, nullptr},
    {"volat",           8192, 2, nullptr},
    {"peak",            8211, 3, nullptr},
    {"peakbars",        8212, 3, nullptr},
    {"sar",             8213, 3, nullptr},
    {"sarturn",         8214, 3, nullptr},
    {"trough",          8215, 3, nullptr},
    {"troughbars",      8216, 3, nullptr},
    {"zig",             8222, 2, nullptr},
    {"ziga",            8223, 2, nullptr},
    {"rgb",             8499, 3, nullptr},
};

constexpr CDrawFunctionRow kDrawFunctionRows[] = {
    {"drawkline",  8500, 4, "drawkline"},
    {"ployline",   8502, 2, "ployline"},
    {"drawband",   8503, 4, "band"},
    {"stickline",  8504, 5, "stick"},
    {"drawicon",   8505, 3, "drawicon"},
    {"drawtext",   8506, 3, "drawtext"},
    {"drawnumber", 8507, 3, "drawnumber"},
    {"drawline",   8512, 5, "drawline"},
    {"fillrgn",    8516, 3, "fillrgn"},
};

// Upper-case letters are absent: the text is lower-cased before it is read.
constexpr CCharClassRow kCharClassRows[] = {
    {"{}",                             kCharClassBrace},
    {" \n\t\r",                        kCharClassBlank},
    {"0123456789.",                    kCharClassNumber},
    {"abcdefghijklmnopqrstuvwxyz_#$@", kCharClassName},
    {"+-*/>,<=)(!:&|",                 kCharClassOperator},
    {"\"",                             kCharClassDoubleQuote},
    {"'",                              kCharClassSingleQuote},
};
// clang-format on

template <typename Row, size_t N>
constexpr bool AreIdsWithin(const Row (&arrRows)[N], int nFirst, int nLast) {
    for (const Row& row : arrRows) {
        if (row.m_nId < nFirst || row.m_nId > nLast) return false;
    }
    return true;
}

static_assert(sizeof(kFunctionRows) / sizeof(kFunctionRows[0]) == 124, "124 function texts");
static_assert(AreIdsWithin(kFunctionRows, kTokenFunctionFirst, kTokenFunctionLast));
static_assert(AreIdsWithin(kDrawFunctionRows, kTokenDrawFunctionFirst, kTokenDrawFunctionLast));
static_assert(AreIdsWithin(kOperatorRows, kTokenDefine, kTokenComma));
static_assert(AreIdsWithin(kLineStyleRows, kTokenLineStyleFirst, kTokenLineStyleLast));
static_assert(AreIdsWithin(kColourRows, kTokenNamedColourFirst, kTokenNamedColourLast));
static_assert(AreIdsWithin(kLineThickRows, kTokenLineThickFirst, kTokenLineThickLast));
static_assert(AreIdsWithin(kDataFieldRows, kTokenDataFieldFirst, kTokenDataFieldLast));

const std::string& EmptyText() {
    static const std::string s_strEmpty;
    return s_strEmpty;
}

template <typename Key, typename Value>
const Value* FindEntry(const std::map<Key, Value>& mapTable, const Key& key) {
    auto it = mapTable.find(key);
    return it == mapTable.end() ? nullptr : &it->second;
}

template <typename Row, size_t N>
const char* FindTextIn(const Row (&arrRows)[N], int nId) {
    for (const Row& row : arrRows) {
        if (row.m_nId == nId) return row.m_pszText;
    }
    return nullptr;
}

// The built tables live here; s_bBuilt publishes them to readers that did not
// take part in the build, so a reader never sees a half-filled map.
std::once_flag s_onceBuild;
std::atomic<bool> s_bBuilt{false};

CKeywordTables& BuiltTables() {
    static CKeywordTables s_tables;
    return s_tables;
}

}  // namespace

CKeywordTables::CKeywordTables() {
    Clear();
}

void CKeywordTables::Clear() {
    m_mapKeywordIds.clear();
    m_mapTokenSpelling.clear();
    m_mapFieldSpelling.clear();
    m_mapDrawSpelling.clear();
    m_mapFunctionArity.clear();
    m_setDrawFunctions.clear();
    m_mapCharClasses.clear();
    m_mapKeywordIndex.clear();
    m_vecSpellings.clear();
    m_vecSpellingSlots.clear();
    m_bSpellingsBeyondIndex = false;
    m_vecArities.clear();
    std::memset(m_arrCharClasses, kCharClassName, sizeof(m_arrCharClasses));
}

template <typename Row, size_t N>
void CKeywordTables::InsertKeywords(const Row (&arrRows)[N]) {
    for (const Row& row : arrRows) {
        m_mapKeywordIds.emplace(row.m_pszText, row.m_nId);
        if (row.m_pszSpelling != nullptr) m_mapTokenSpelling.emplace(row.m_nId, row.m_pszSpelling);
    }
}

void CKeywordTables::Fill() {
    Clear();
    m_mapTokenSpelling.emplace(kTokenStatementEnd, "\r\n");
    InsertKeywords(kOperatorRows);
    // Styles, colours and widths have no spelling: they become output attributes.
    InsertKeywords(kLineStyleRows);
    InsertKeywords(kColourRows);
    InsertKeywords(kLineThickRows);
    InsertKeywords(kDataFieldRows);
    for (const CKeywordRow& row : kDataFieldRows) {
        m_mapFieldSpelling.emplace(row.m_nId, row.m_pszSpelling);
    }
    for (const CFunctionRow& row : kFunctionRows) {
        m_mapKeywordIds.emplace(row.m_pszText, row.m_nId);
        m_mapTokenSpelling.emplace(row.m_nId,
                                   row.m_pszSpelling ? row.m_pszSpelling : row.m_pszText);
        m_mapFunctionArity.emplace(row.m_nId, row.m_nArity);
    }
    // Drawing functions have no token spelling: their script name is used only when
    // they open a drawing statement, so one left inside an expression cannot be written.
    for (const CDrawFunctionRow& row : kDrawFunctionRows) {
        m_mapKeywordIds.emplace(row.m_pszText, row.m_nId);
        m_mapDrawSpelling.emplace(row.m_nId, row.m_pszScriptName);
        m_mapFunctionArity.emplace(row.m_nId, row.m_nArity);
        m_setDrawFunctions.insert(row.m_nId);
    }
    BuildIndexes();
    for (const CCharClassRow& row : kCharClassRows) {
        for (const char* p = row.m_pszChars; *p != '\0'; ++p) {
            if (m_mapCharClasses.emplace(std::string(1, *p), row.m_nClass).second) {
                m_arrCharClasses[static_cast<unsigned char>(*p)] =
                    static_cast<unsigned char>(row.m_nClass);
            }
        }
    }
}

bool CKeywordTables::FindKeywordId(std::string_view strText, int* pId) const {
    const auto it = m_mapKeywordIndex.find(strText);
    if (it == m_mapKeywordIndex.end()) return false;
    if (pId != nullptr) *pId = it->second;
    return true;
}

const std::string& CKeywordTables::GetTokenSpelling(int nId) const {
    if (nId < 0 || static_cast<size_t>(nId) >= m_vecSpellingSlots.size()) {
        if (!m_bSpellingsBeyondIndex) return EmptyText();
        const std::string* pFound = FindEntry(m_mapTokenSpelling, nId);
        return pFound ? *pFound : EmptyText();
    }
    const uint16_t nSlot = m_vecSpellingSlots[static_cast<size_t>(nId)];
    return nSlot == 0 ? EmptyText() : *m_vecSpellings[nSlot - 1u];
}

const std::string& CKeywordTables::GetFieldSpelling(int nId) const {
    const std::string* pFound = FindEntry(m_mapFieldSpelling, nId);
    return pFound ? *pFound : EmptyText();
}

const std::string& CKeywordTables::GetDrawSpelling(int nId) const {
    const std::string* pFound = FindEntry(m_mapDrawSpelling, nId);
    return pFound ? *pFound : EmptyText();
}

template <typename Row, size_t N>
constexpr bool AritiesAreCounts(const Row (&arrRows)[N]) {
    for (const Row& row : arrRows) {
        if (row.m_nArity < 0) return false;
    }
    return true;
}
static_assert(AritiesAreCounts(kFunctionRows) && AritiesAreCounts(kDrawFunctionRows),
              "no argument count can be mistaken for the mark of none");

void CKeywordTables::BuildIndexes() {
    // Every function id lies below kTokenVariableBase (the static_assert below); ids
    // beyond the vector are still asked of the map.
    m_vecArities.assign(static_cast<size_t>(kTokenVariableBase), kNoArity);
    for (const auto& entry : m_mapFunctionArity) {
        if (entry.first >= 0 && entry.first < kTokenVariableBase) {
            m_vecArities[static_cast<size_t>(entry.first)] = entry.second;
        }
    }
    m_mapKeywordIndex.reserve(m_mapKeywordIds.size());
    for (const auto& entry : m_mapKeywordIds) m_mapKeywordIndex.emplace(entry.first, entry.second);
    // Only keyword ids have spellings; per-formula ids start at kTokenVariableBase.
    static_assert(kTokenVariableBase > kTokenDataFieldLast, "keyword ids come first");
    m_vecSpellingSlots.assign(static_cast<size_t>(kTokenVariableBase), 0);
    m_vecSpellings.reserve(m_mapTokenSpelling.size());
    for (const auto& entry : m_mapTokenSpelling) {
        if (entry.first < 0 || entry.first >= kTokenVariableBase) {
            m_bSpellingsBeyondIndex = true;  // left to the map
            continue;
        }
        m_vecSpellings.push_back(&entry.second);
        m_vecSpellingSlots[static_cast<size_t>(entry.first)] =
            static_cast<uint16_t>(m_vecSpellings.size());
    }
}

bool CKeywordTables::FindFunctionArity(int nId, int* pArity) const {
    if (nId >= 0 && static_cast<size_t>(nId) < m_vecArities.size()) {
        const int nArity = m_vecArities[static_cast<size_t>(nId)];
        if (nArity == kNoArity) return false;
        if (pArity != nullptr) *pArity = nArity;
        return true;
    }
    const int* pFound = FindEntry(m_mapFunctionArity, nId);
    if (pFound == nullptr) return false;
    if (pArity != nullptr) *pArity = *pFound;
    return true;
}

bool CKeywordTables::IsDrawFunction(int nId) const {
    return m_setDrawFunctions.count(nId) != 0;
}

bool BuildKeywordTables() {
    if (s_bBuilt.load(std::memory_order_acquire)) return true;
    try {
        // A throwing Fill leaves the once flag unset, so the next call retries.
        std::call_once(s_onceBuild, [] {
            BuiltTables().Fill();
            s_bBuilt.store(true, std::memory_order_release);
        });
    } catch (...) {
        return false;
    }
    return s_bBuilt.load(std::memory_order_acquire);
}

const CKeywordTables& GetKeywordTables() {
    static const CKeywordTables s_empty;
    return s_bBuilt.load(std::memory_order_acquire) ? BuiltTables() : s_empty;
}

const char* FindKeywordText(int nId) {
    const char* pszText = FindTextIn(kOperatorRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kLineStyleRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kColourRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kLineThickRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kDataFieldRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kFunctionRows, nId);
    if (pszText == nullptr) pszText = FindTextIn(kDrawFunctionRows, nId);
    return pszText;
}
