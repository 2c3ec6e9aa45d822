// The colour and style names that formulas may use as values (CLRRED, PLOYSTICK, ...).
// The expression compiler turns such a name into a number operand holding its code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Top byte of a code: its family. A colour code holds 0x00BBGGRR below the family
// byte, a style code a small style number.
constexpr uint32_t kNamedColorFamily = 0x02000000u;
constexpr uint32_t kNamedStyleFamily = 0x01000000u;
constexpr uint32_t kNamedFamilyMask = 0xFF000000u;

struct NamedConstant {
    const char* m_pszName;  // upper case
    uint32_t m_nCode;
};

// Finds an upper-case name; names are matched exactly, so the caller upper-cases
// first. On success writes the code to *code (when code is not null).
bool FindNamedConstant(const std::string& upperCaseName, uint32_t* code);

// The whole table in its fixed order, for the tests and the host tool's listings.
const NamedConstant* GetNamedConstants(size_t* count);
