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

// The style codes the draw stage tells apart, one family per drawing statement; the
// names are those of the table below without their family prefix.
namespace PlotStyle {
enum Code : uint32_t {
    DotLine = 0x01000006u,
    Nomal = 0x01000008u,
};
}  // namespace PlotStyle

namespace ColumnStyle {
enum Code : uint32_t {
    VolStick = 0x01000000u,
    Stick = 0x01000001u,
    LineStick = 0x01000002u,
    ColorStick = 0x01000003u,
    RTVolStick = 0x01000004u,
};
}  // namespace ColumnStyle

namespace CircularStyle {
enum Code : uint32_t {
    Point = 0x01000000u,
    Circle = 0x01000001u,
    Cross = 0x01000002u,
    DotLine = 0x01000003u,
    Sar = 0x01000004u,
};
}  // namespace CircularStyle

struct NamedConstant {
    const char* m_pszName;  // upper case
    uint32_t m_nCode;
};

// Finds an upper-case name; names are matched exactly, so the caller upper-cases
// first. On success writes the code to *code (when code is not null).
bool FindNamedConstant(const std::string& upperCaseName, uint32_t* code);

// The whole table in its fixed order, for the tests and the host tool's listings.
const NamedConstant* GetNamedConstants(size_t* count);
