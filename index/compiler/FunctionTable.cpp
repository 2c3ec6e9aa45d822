#include "index/compiler/FunctionTable.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr uint32_t AtLeast(uint32_t nCount) {
    return FUNCTION_ARGS_AT_LEAST | nCount;
}

// Order matters: names are searched first to last, and the index of an entry is
// what the compiler and the flag queries pass around.
// Frequent flag sets: 0x02000000 one state slot; 0x0C000000 long history + auto
// variable; 0x0E000000 the same with a state slot; 0x42000000 state + volatile;
// 0x50000000 future + volatile; 0x52000000 state + future + volatile.
// clang-format off
constexpr FunctionDescriptor s_arrFunctions[] = {
//   id   args         flags       name              checker                 #
    {110, 2,           0x52000000, "BACKSET",        CheckArgumentsA},  //   0
    {111, 1,           0x42000000, "ALIGNRIGHT",     CheckArgumentsA},  //   1
    {112, 1,           0x02000000, "BARSCOUNT",      CheckArgumentsA},  //   2
    {113, 1,           0x02000000, "BARSLAST",       CheckArgumentsA},  //   3
    {114, 1,           0x52000000, "BARSNEXT",       CheckArgumentsA},  //   4
    {115, 2,           0x02000000, "BARSSINCEN",     CheckArgumentsA},  //   5
    {116, 1,           0x02000000, "BARSSINCE",      CheckArgumentsA},  //   6
    {117, 2,           0x02000000, "COUNT",          CheckArgumentsA},  //   7
    {118, 1,           0x02000000, "BARSLASTCOUNT",  CheckArgumentsA},  //   8
    {119, 2,           0x02000000, "HHV",            CheckArgumentsA},  //   9
    {120, 2,           0x02000000, "HHVBARS",        CheckArgumentsA},  //  10
    {121, 2,           0,          "HOD",            CheckArgumentsA},  //  11
    {122, 2,           0x02000000, "LLV",            CheckArgumentsA},  //  12
    {123, 2,           0x02000000, "LLVBARS",        CheckArgumentsA},  //  13
    {124, 2,           0,          "LOD",            CheckArgumentsA},  //  14
    {125, 1,           0,          "REVERSE",        CheckArgumentsA},  //  15
    {126, 2,           0,          "REF",            CheckArgumentsA},  //  16
    {127, 2,           0,          "REFV",           CheckArgumentsA},  //  17
    {128, 2,           0x50000000, "REFX",           CheckArgumentsA},  //  18
    {129, 2,           0x50000000, "REFXV",          CheckArgumentsA},  //  19
    {130, 2,           0,          "REFDATE",        CheckArgumentsA},  //  20
    {131, 3,           0,          "CALCSTOCKINDEX", CheckArgumentsA},  //  21
    {132, 2,           0x02000000, "SUM",            CheckArgumentsA},  //  22
    {133, 2,           0x02000000, "MULAR",          CheckArgumentsA},  //  23
    {134, 2,           0x02000000, "FILTER",         CheckArgumentsA},  //  24
    {135, 2,           0x02000000, "FILTERX",        CheckArgumentsA},  //  25
    {136, 5,           0,          "TFILT",          CheckArgumentsA},  //  26
    {137, 3,           0x02000000, "TFILTER",        CheckArgumentsA},  //  27
    {138, 5,           0x02000000, "TTFILTER",       CheckArgumentsA},  //  28
    {139, 2,           0,          "SUMBARS",        CheckArgumentsA},  //  29
    {140, 2,           0x02000000, "MA",             CheckArgumentsA},  //  30
    {144, 3,           0x0C000000, "EMA",            CheckArgumentsB},  //  31
    {141, 4,           0x0C000000, "SMA",            CheckArgumentsB},  //  32
    {148, 3,           0x0C000000, "DMA",            CheckArgumentsB},  //  33
    {142, 4,           0x0C000000, "TMA",            CheckArgumentsA},  //  34
    {143, 3,           0x0C000000, "MEMA",           CheckArgumentsA},  //  35
    {145, 3,           0x0C000000, "EXPMA",          CheckArgumentsA},  //  36
    {146, 3,           0x0C000000, "EXPMEMA",        CheckArgumentsA},  //  37
    {147, 2,           0x02000000, "WMA",            CheckArgumentsA},  //  38
    {149, 3,           0x0C000000, "AMA",            CheckArgumentsA},  //  39
    {150, 2,           0x52000000, "XMA",            CheckArgumentsA},  //  40
    {151, 1,           0x42000000, "CONST",          CheckArgumentsA},  //  41
    {152, 1,           0x02000000, "TOPRANGE",       CheckArgumentsA},  //  42
    {153, 1,           0x02000000, "LOWRANGE",       CheckArgumentsA},  //  43
    {154, 4,           0,          "FINDHIGH",       CheckArgumentsA},  //  44
    {155, 4,           0,          "FINDHIGHBARS",   CheckArgumentsA},  //  45
    {156, 4,           0,          "FINDLOW",        CheckArgumentsA},  //  46
    {157, 4,           0,          "FINDLOWBARS",    CheckArgumentsA},  //  47
    {158, 2,           0,          "ZTPRICE",        CheckArgumentsA},  //  48
    {159, 2,           0,          "DTPRICE",        CheckArgumentsA},  //  49
    {160, 0,           0,          "DRAWNULL",       CheckArgumentsA},  //  50
    {161, 0,           0x40000000, "BARSTATUS",      CheckArgumentsA},  //  51
    {162, 0,           0x40000000, "CURRBARSCOUNT",  CheckArgumentsA},  //  52
    {163, 0,           0x40000000, "TOTALBARSCOUNT", CheckArgumentsA},  //  53
    {164, 0,           0x40000000, "ISLASTBAR",      CheckArgumentsA},  //  54
    {165, 0,           0,          "TR",             CheckArgumentsA},  //  55
    {210, 1,           0,          "COST",           CheckArgumentsA},  //  56
    {211, 3,           0x52000000, "PEAK",           CheckArgumentsA},  //  57
    {212, 3,           0x52000000, "PEAKBARS",       CheckArgumentsA},  //  58
    {213, 4,           0x0E000000, "SAR",            CheckArgumentsA},  //  59
    {214, 4,           0x0E000000, "SARTURN",        CheckArgumentsA},  //  60
    {215, 3,           0x52000000, "TROUGH",         CheckArgumentsA},  //  61
    {216, 3,           0x52000000, "TROUGHBARS",     CheckArgumentsA},  //  62
    {217, 1,           0,          "WINNER",         CheckArgumentsA},  //  63
    {218, 2,           0,          "LWINNER",        CheckArgumentsA},  //  64
    {219, 2,           0,          "PWINNER",        CheckArgumentsA},  //  65
    {220, 2,           0,          "COSTEX",         CheckArgumentsA},  //  66
    {221, 1,           0,          "PPART",          CheckArgumentsA},  //  67
    {222, 2,           0x52000000, "ZIG",            CheckArgumentsA},  //  68
    {223, 2,           0x52000000, "ZIGA",           CheckArgumentsA},  //  69
    {224, 2,           0,          "NEWSAR",         CheckArgumentsA},  //  70
    {14,  2,           0,          "POW",            CheckArgumentsA},  //  71
    {2,   2,           0,          "MOD",            CheckArgumentsA},  //  72
    {0,   2,           0,          "MAX",            CheckArgumentsA},  //  73
    {1,   2,           0,          "MIN",            CheckArgumentsA},  //  74
    {13,  1,           0,          "ABS",            CheckArgumentsA},  //  75
    {17,  1,           0,          "INTPART",        CheckArgumentsA},  //  76
    {22,  1,           0,          "SIGN",           CheckArgumentsA},  //  77
    {11,  1,           0,          "LOG",            CheckArgumentsA},  //  78
    {10,  1,           0,          "LN",             CheckArgumentsA},  //  79
    {9,   1,           0,          "EXP",            CheckArgumentsA},  //  80
    {12,  1,           0,          "SQRT",           CheckArgumentsA},  //  81
    {7,   1,           0,          "SIN",            CheckArgumentsA},  //  82
    {6,   1,           0,          "COS",            CheckArgumentsA},  //  83
    {8,   1,           0,          "TAN",            CheckArgumentsA},  //  84
    {4,   1,           0,          "ASIN",           CheckArgumentsA},  //  85
    {3,   1,           0,          "ACOS",           CheckArgumentsA},  //  86
    {5,   1,           0,          "ATAN",           CheckArgumentsA},  //  87
    {15,  1,           0,          "CEILING",        CheckArgumentsA},  //  88
    {16,  1,           0,          "FLOOR",          CheckArgumentsA},  //  89
    {18,  3,           0,          "BETWEEN",        CheckArgumentsA},  //  90
    {19,  1,           0,          "FRACPART",       CheckArgumentsA},  //  91
    {20,  1,           0,          "ROUND",          CheckArgumentsA},  //  92
    {21,  2,           0,          "ROUND2",         CheckArgumentsA},  //  93
    {23,  1,           0,          "RAND",           CheckArgumentsA},  //  94
    {41,  3,           0,          "LONGCROSS",      CheckArgumentsA},  //  95
    {40,  2,           0,          "CROSS",          CheckArgumentsA},  //  96
    {42,  2,           0x02000000, "UPNDAY",         CheckArgumentsA},  //  97
    {43,  2,           0x02000000, "DOWNNDAY",       CheckArgumentsA},  //  98
    {44,  3,           0x02000000, "NDAY",           CheckArgumentsA},  //  99
    {45,  2,           0x02000000, "EXIST",          CheckArgumentsA},  // 100
    {46,  2,           0x02000000, "EVERY",          CheckArgumentsA},  // 101
    {47,  3,           0,          "LAST",           CheckArgumentsA},  // 102
    {48,  1,           0,          "NOT",            CheckArgumentsA},  // 103
    {70,  3,           0,          "IF",             CheckArgumentsA},  // 104
    {71,  3,           0,          "IFN",            CheckArgumentsA},  // 105
    {72,  3,           0x0C000000, "VALUEWHEN",      CheckArgumentsA},  // 106
    {90,  1,           0,          "DATETODAY",      CheckArgumentsA},  // 107
    {91,  1,           0,          "DAYTODATE",      CheckArgumentsA},  // 108
    {92,  1,           0,          "TIMETOSEC",      CheckArgumentsA},  // 109
    {93,  1,           0,          "SECTOTIME",      CheckArgumentsA},  // 110
    {94,  0,           0,          "PERIOD",         CheckArgumentsA},  // 111
    {95,  0,           0,          "DATE",           CheckArgumentsA},  // 112
    {96,  0,           0,          "TIME",           CheckArgumentsA},  // 113
    {97,  0,           0,          "TIME2",          CheckArgumentsA},  // 114
    {98,  0,           0,          "YEAR",           CheckArgumentsA},  // 115
    {99,  0,           0,          "MONTH",          CheckArgumentsA},  // 116
    {100, 0,           0,          "WEEKOFYEAR",     CheckArgumentsA},  // 117
    {101, 0,           0,          "WEEKDAY",        CheckArgumentsA},  // 118
    {102, 0,           0,          "DAY",            CheckArgumentsA},  // 119
    {103, 0,           0,          "HOUR",           CheckArgumentsA},  // 120
    {104, 0,           0,          "MINUTE",         CheckArgumentsA},  // 121
    {184, 2,           0x02000000, "STD",            CheckArgumentsA},  // 122
    {182, 2,           0x02000000, "STDP",           CheckArgumentsA},  // 123
    {183, 2,           0x02000000, "VAR",            CheckArgumentsA},  // 124
    {185, 2,           0x02000000, "VARP",           CheckArgumentsA},  // 125
    {180, 2,           0x02000000, "AVEDEV",         CheckArgumentsA},  // 126
    {181, 2,           0x02000000, "DEVSQ",          CheckArgumentsA},  // 127
    {186, 2,           0,          "FORCAST",        CheckArgumentsA},  // 128
    {187, 2,           0,          "SLOPE",          CheckArgumentsA},  // 129
    {188, 3,           0x02000000, "COVAR",          CheckArgumentsA},  // 130
    {189, 3,           0x02000000, "RELATE",         CheckArgumentsA},  // 131
    {190, 1,           0,          "BETA",           CheckArgumentsA},  // 132
    {191, 3,           0,          "BETAEX",         CheckArgumentsA},  // 133
    {192, 2,           0x02000000, "VOLAT",          CheckArgumentsA},  // 134
    {193, 2,           0,          "IVOLAT",         CheckArgumentsA},  // 135
    {240, AtLeast(1),  0x20000000, "BUY",            CheckArgumentsA},  // 136
    {241, AtLeast(1),  0x20000000, "SELL",           CheckArgumentsA},  // 137
    {500, AtLeast(1),  0x20000000, ".CURVELINE",     CheckArgumentsA},  // 138
    {501, AtLeast(4),  0x20000000, ".CIRCULAR",      CheckArgumentsA},  // 139
    {503, AtLeast(4),  0x20000000, "DRAWKLINE",      CheckArgumentsA},  // 140
    {502, AtLeast(3),  0x20000000, ".COLUMN",        CheckArgumentsA},  // 141
    {504, AtLeast(5),  0x20000000, "RECTREL",        CheckArgumentsA},  // 142
    {505, AtLeast(2),  0x20000000, "PLOYLINE",       CheckArgumentsA},  // 143
    {506, AtLeast(4),  0x20000000, "BAND",           CheckArgumentsA},  // 144
    {507, AtLeast(5),  0x20000000, "STICK",          CheckArgumentsA},  // 145
    {508, AtLeast(3),  0x20000000, "DRAWICON",       CheckArgumentsA},  // 146
    {509, AtLeast(3),  0x20000000, "DRAWTEXT",       CheckArgumentsA},  // 147
    {510, AtLeast(5),  0x20000000, "DRAWTEXT_FIX",   CheckArgumentsA},  // 148
    {511, AtLeast(3),  0x20000000, "DRAWNUMBER",     CheckArgumentsA},  // 149
    {512, AtLeast(5),  0x20000000, "DRAWNUMBER_FIX", CheckArgumentsA},  // 150
    {513, AtLeast(3),  0x20000000, "DRAWBMP",        CheckArgumentsA},  // 151
    {514, AtLeast(6),  0x20000000, "DRAWGBK",        CheckArgumentsA},  // 152
    {515, AtLeast(5),  0x20000000, "DRAWLINE",       CheckArgumentsA},  // 153
    {516, AtLeast(4),  0x20000000, "FILLRGN",        CheckArgumentsA},  // 154
    {499, 3,           0,          "RGB",            CheckArgumentsA},  // 155
};
// clang-format on

static_assert(std::size(s_arrFunctions) == FUNCTION_COUNT, "function table has 156 entries");

constexpr bool AreIdsUnique() {
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        for (int j = i + 1; j < FUNCTION_COUNT; ++j) {
            if (s_arrFunctions[i].nId == s_arrFunctions[j].nId) return false;
        }
    }
    return true;
}
static_assert(AreIdsUnique(), "function ids are unique");

constexpr bool AreNamesTerminated() {
    for (const FunctionDescriptor& entry : s_arrFunctions) {
        if (entry.szName[sizeof entry.szName - 1] != '\0') return false;
    }
    return true;
}
static_assert(AreNamesTerminated(), "function names fit their field with a NUL");

bool IsValidIndex(int nIndex) {
    return nIndex >= 0 && nIndex < FUNCTION_COUNT;
}

// The entry of a call node's argument 0, or null when it is not a known function id.
const FunctionDescriptor* FindCallDescriptor(const ExprNode* pCallNode) {
    if (pCallNode == nullptr || pCallNode->nArgs < 1) return nullptr;
    if (pCallNode->pTypes[0] != OperandType::FunctionId) return nullptr;
    return GetFunctionDescriptor(FindFunctionById(pCallNode->pValues[0]));
}

}  // namespace

const FunctionDescriptor* GetFunctionDescriptor(int nIndex) {
    return IsValidIndex(nIndex) ? &s_arrFunctions[nIndex] : nullptr;
}

namespace {

// Name and id lookups, built once per process on first use (the static's guard makes
// that safe from any thread) and read-only afterwards: a compile looks up every name
// and every call's id several times, and a walk over 156 rows per look-up made up a
// large share of parsing time.
constexpr int64_t ID_INDEX_LIMIT = 1024;

struct LookupIndex {
    int arrByName[FUNCTION_COUNT];  // table indexes ordered by name, then by index
    int arrById[ID_INDEX_LIMIT];    // id -> table index, -1 for none
};

bool NameBefore(const char* pszA, const char* pszB) {
    return std::memcmp(pszA, pszB, sizeof s_arrFunctions[0].szName) < 0;
}

const LookupIndex& GetLookupIndex() {
    static const LookupIndex s_index = [] {
        LookupIndex index{};
        for (int i = 0; i < FUNCTION_COUNT; ++i) index.arrByName[i] = i;
        std::stable_sort(std::begin(index.arrByName), std::end(index.arrByName), [](int a, int b) {
            return NameBefore(s_arrFunctions[a].szName, s_arrFunctions[b].szName);
        });
        std::fill(std::begin(index.arrById), std::end(index.arrById), -1);
        for (int i = FUNCTION_COUNT - 1; i >= 0; --i) {
            if (s_arrFunctions[i].nId < ID_INDEX_LIMIT) index.arrById[s_arrFunctions[i].nId] = i;
        }
        return index;
    }();
    return s_index;
}

}  // namespace

int FindFunctionByName(const std::string& strName) {
    // Every name fits 15 characters, so a longer one cannot match; an embedded NUL
    // would otherwise match the name before it.
    if (strName.size() >= sizeof s_arrFunctions[0].szName) return -1;
    if (strName.find('\0') != std::string::npos) return -1;
    char szUpper[sizeof s_arrFunctions[0].szName] = {};
    for (size_t i = 0; i < strName.size(); ++i) {
        const char c = strName[i];
        szUpper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    const LookupIndex& index = GetLookupIndex();
    const int* pFound =
        std::lower_bound(std::begin(index.arrByName), std::end(index.arrByName), szUpper,
                         [](int nIndex, const char* pszName) {
                             return NameBefore(s_arrFunctions[nIndex].szName, pszName);
                         });
    if (pFound == std::end(index.arrByName)) return -1;
    return std::memcmp(szUpper, s_arrFunctions[*pFound].szName, sizeof szUpper) == 0 ? *pFound : -1;
}

int FindFunctionById(int64_t nId) {
    if (nId >= 0 && nId < ID_INDEX_LIMIT) return GetLookupIndex().arrById[nId];
    for (int i = 0; i < FUNCTION_COUNT; ++i) {
        if (static_cast<int64_t>(s_arrFunctions[i].nId) == nId) return i;
    }
    return -1;
}

int FunctionArgCount(int64_t nId) {
    const FunctionDescriptor* pEntry = GetFunctionDescriptor(FindFunctionById(nId));
    if (pEntry == nullptr) return 0;
    if (pEntry->nArgs & FUNCTION_ARGS_AT_LEAST) {
        return static_cast<int>(pEntry->nArgs & FUNCTION_ARGS_MASK);
    }
    return static_cast<int>(pEntry->nArgs);
}

bool FunctionIsVolatile(int nIndex) {
    return IsValidIndex(nIndex) && (s_arrFunctions[nIndex].nFlags & FF_VOLATILE) != 0;
}

bool FunctionHasState(int nIndex) {
    return IsValidIndex(nIndex) && (s_arrFunctions[nIndex].nFlags & FF_STATE_TWO) != 0;
}

bool FunctionHasAutoVariable(int64_t nId) {
    const FunctionDescriptor* pEntry = GetFunctionDescriptor(FindFunctionById(nId));
    return pEntry != nullptr && (pEntry->nFlags & FF_AUTO_VARIABLE) != 0;
}

int StateSlotCount(int nIndex) {
    if (!IsValidIndex(nIndex)) return 0;
    const uint32_t nStateBits = s_arrFunctions[nIndex].nFlags & FF_STATE_TWO;
    if (nStateBits == FF_STATE_TWO) return 2;
    // The low state bit alone allocates nothing; no entry uses it that way.
    return nStateBits == FF_STATE_ONE ? 1 : 0;
}

int CheckArguments(const ExprNode* pCallNode, const std::vector<ExprNode*>& vecRefNodes) {
    if (pCallNode == nullptr) return COMPILE_ERROR;
    if (pCallNode->nKind != NodeKind::Call && pCallNode->nKind != NodeKind::StatefulCall) {
        return COMPILE_ERROR;
    }
    const FunctionDescriptor* pEntry = FindCallDescriptor(pCallNode);
    if (pEntry == nullptr) return COMPILE_ERROR;
    return pEntry->pfnCheck(pCallNode, vecRefNodes);
}

int CheckArgumentsA(const ExprNode* pCallNode, const std::vector<ExprNode*>& /*vecRefNodes*/) {
    const FunctionDescriptor* pEntry = FindCallDescriptor(pCallNode);
    if (pEntry == nullptr) return COMPILE_ERROR;
    int64_t nWritten = static_cast<int64_t>(pCallNode->nArgs) - 1;
    if (pCallNode->nKind == NodeKind::StatefulCall) {
        nWritten -= 1;
    } else if (pCallNode->nKind != NodeKind::Call) {
        // Only call nodes have written arguments to count.
        return COMPILE_ERROR;
    }
    // For FF_AUTO_VARIABLE functions the hidden argument counts as written: the
    // table lists EMA with 3, so EMA(X,N) passes only once the compiler inserted it.
    if (pEntry->nArgs & FUNCTION_ARGS_AT_LEAST) {
        const int64_t nMinimum = pEntry->nArgs & FUNCTION_ARGS_MASK;
        return nWritten >= nMinimum ? COMPILE_OK : COMPILE_ERROR;
    }
    return nWritten == static_cast<int64_t>(pEntry->nArgs) ? COMPILE_OK : COMPILE_ERROR;
}

int CheckArgumentsB(const ExprNode* pCallNode, const std::vector<ExprNode*>& vecRefNodes) {
    if (CheckArgumentsA(pCallNode, vecRefNodes) != COMPILE_OK) return COMPILE_ERROR;
    if (pCallNode->nArgs < 2 || pCallNode->pTypes[1] != OperandType::Reference) {
        return COMPILE_ERROR;
    }
    const int64_t nRefIndex = pCallNode->pValues[1];
    if (nRefIndex < 0 || nRefIndex >= static_cast<int64_t>(vecRefNodes.size())) {
        return COMPILE_ERROR;
    }
    const ExprNode* pRefNode = vecRefNodes[static_cast<size_t>(nRefIndex)];
    if (pRefNode == nullptr || pRefNode->nArgs < 1) return COMPILE_ERROR;
    // The function writes its results into that series, so it must be one the
    // formula computes: an output or a variable, never a bar field.
    const uint32_t nListKind = pRefNode->pTypes[0];
    return (nListKind == RefListKind::Output || nListKind == RefListKind::Variable) ? COMPILE_OK
                                                                                    : COMPILE_ERROR;
}
