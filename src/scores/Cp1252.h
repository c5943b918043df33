#pragma once
// Names are kept as UTF-8 in memory and as Windows-1252 bytes in scores.dat.
#include <string>
#include <string_view>

namespace ModHigh {

// The byte stored for a character that Windows-1252 cannot represent.
inline constexpr char Cp1252Replacement = '?';

// Windows-1252 byte for one Unicode code point, or '?' when it has none.
char Cp1252FromCodePoint(char32_t codePoint);
// Code point for one Windows-1252 byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the same
// number, so that they survive a load and save unchanged.
char32_t Cp1252ToCodePoint(unsigned char byte);

// One byte per code point of `utf8`; invalid UTF-8 sequences become '?'.
std::string Utf8ToCp1252(std::string_view utf8);
// The UTF-8 text of Windows-1252 `bytes`.
std::string Cp1252ToUtf8(std::string_view bytes);

} // namespace ModHigh
