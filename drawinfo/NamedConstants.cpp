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

}  // namespace

bool FindNamedConstant(const std::string& upperCaseName, uint32_t* code) {
    // 31 short names: a linear scan costs less than building any index, as long as a
    // row is left at its first differing character. The compiler asks for every name
    // it meets, and most are no constant at all.
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
