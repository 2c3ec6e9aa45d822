#include "drawinfo/NamedConstants.h"

#include <cstddef>
#include <iterator>

namespace {

// A constant array needs no start-up code, so the table can be read from any static
// initialiser of the library. Colours first (code 0x02BBGGRR), then the plotting styles
// of PLOYLINE, the column styles of .COLUMN and the circular styles of .CIRCULAR
// (0x01 and a style number).
// clang-format off
constexpr NamedConstant kNamedConstants[] = {
    {"CLRRED",         0x020000FFu},
    {"CLRBLUE",        0x02FF0000u},
    {"CLRWHITE",       0x02FFFFFFu},
    {"CLRBLACK",       0x02000000u},
    {"CLRGREEN",       0x0200FF00u},
    {"CLRYELLOW",      0x0200FFFFu},
    {"CLRPURPLE",      0x02FF00FFu},
    {"CLRSKY",         0x02FFFF00u},
    {"CLRPINK",        0x02CBC0FFu},
    {"CLRGRAY",        0x02808080u},
    {"CLRDEFAULT",     0x02FEFEFEu},
    {"PLOYVOLSTICK",   0x01000000u},
    {"PLOYSTICK",      0x01000001u},
    {"PLOYCIRCLEDOT",  0x01000002u},
    {"PLOYLINESTICK",  0x01000003u},
    {"PLOYCROSSDOT",   0x01000004u},
    {"PLOYCOLORSTICK", 0x01000005u},
    {"PLOYDOTLINE",    0x01000006u},
    {"PLOYPOINTDOT",   0x01000007u},
    {"PLOYNOMAL",      0x01000008u},
    {"PLOYSAR",        0x01000009u},
    {"CLTVOLSTICK",    0x01000000u},
    {"CLTSTICK",       0x01000001u},
    {"CLTLINESTICK",   0x01000002u},
    {"CLTCOLORSTICK",  0x01000003u},
    {"CLTRTVOLSTICK",  0x01000004u},
    {"CITPOINT",       0x01000000u},
    {"CITCIRCLE",      0x01000001u},
    {"CITCROSS",       0x01000002u},
    {"CITDOTLINE",     0x01000003u},
    {"CITSAR",         0x01000004u},
};
// clang-format on

static_assert(std::size(kNamedConstants) == 31, "11 colours and 20 style names");

constexpr size_t NameLength(const char* pszName) {
    size_t n = 0;
    while (pszName[n] != '\0') ++n;
    return n;
}

// Bit n set when some name has n characters (every name is shorter than 64), and bit
// c set when some name starts with the byte c (every name starts in the first 128):
// together they turn away nearly every name the compiler asks about at once.
constexpr uint64_t NameLengthMask() {
    uint64_t nMask = 0;
    for (const NamedConstant& row : kNamedConstants)
        nMask |= uint64_t{1} << NameLength(row.m_pszName);
    return nMask;
}

constexpr uint64_t FirstCharMask(int nHalf) {
    uint64_t nMask = 0;
    for (const NamedConstant& row : kNamedConstants) {
        const int c = static_cast<unsigned char>(row.m_pszName[0]);
        if (c / 64 == nHalf) nMask |= uint64_t{1} << (c % 64);
    }
    return nMask;
}

constexpr bool NamesFitTheMasks() {
    for (const NamedConstant& row : kNamedConstants) {
        if (NameLength(row.m_pszName) >= 64 ||
            static_cast<unsigned char>(row.m_pszName[0]) >= 128) {
            return false;
        }
    }
    return true;
}
static_assert(NamesFitTheMasks(), "the quick rejection covers every name");

constexpr uint64_t kNameLengths = NameLengthMask();
constexpr uint64_t kFirstChars[2] = {FirstCharMask(0), FirstCharMask(1)};

bool MayBeNamedConstant(const std::string& strName) {
    if (strName.size() >= 64 || ((kNameLengths >> strName.size()) & 1) == 0) return false;
    const unsigned char c = static_cast<unsigned char>(strName[0]);
    return c < 128 && ((kFirstChars[c / 64] >> (c % 64)) & 1) != 0;
}

}  // namespace

bool FindNamedConstant(const std::string& upperCaseName, uint32_t* code) {
    // 31 short names: a linear scan costs less than building any index, as long as a
    // row is left at its first differing character. The compiler asks for every name
    // it meets, and most are no constant at all.
    if (!MayBeNamedConstant(upperCaseName)) return false;
    for (const NamedConstant& row : kNamedConstants) {
        size_t i = 0;
        while (i < upperCaseName.size() && row.m_pszName[i] != '\0' &&
               row.m_pszName[i] == upperCaseName[i]) {
            ++i;
        }
        if (i == upperCaseName.size() && row.m_pszName[i] == '\0') {
            if (code != nullptr) *code = row.m_nCode;
            return true;
        }
    }
    return false;
}

const NamedConstant* GetNamedConstants(size_t* count) {
    if (count != nullptr) *count = std::size(kNamedConstants);
    return kNamedConstants;
}
