#pragma once

#include "base/Codepage.h"

#include <array>
#include <cstdint>

// The Windows-1251 code page as the record grid stores narrow text: every byte
// stands for exactly one UTF-16 code unit and back (0x98, unassigned in the
// code page, stands for U+0098), so a narrow cell converts without loss.
namespace GridCodePage {

// UTF-16 code unit of each byte.
inline constexpr const std::array<char16_t, 256> &toUnicode = Cp1251::kUnicodeOf;

// The byte of a UTF-16 code unit; false when the code page has no such character.
bool fromUnicode(char16_t unit, unsigned char &byte);

// Position of each byte's character in UTF-16 code-unit order: comparing
// ranks byte by byte orders narrow texts exactly as their UTF-16 form.
extern const std::array<std::uint8_t, 256> rank;

// Upper case of the letters a to z only; every other byte is unchanged.
extern const std::array<unsigned char, 256> upperAscii;

} // namespace GridCodePage
