#include "scores/Cp1252.h"

#include <QList>
#include <QString>

#include <algorithm>
#include <array>
#include <vector>

namespace ModHigh {

namespace {

// 0x80..0x9F. Zero marks a byte the code page leaves undefined.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

} // namespace

char32_t Cp1252ToCodePoint(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char32_t mapped = HighControls[byte - 0x80];
    return mapped != 0 ? mapped : byte;
}

char Cp1252FromCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<char>(codePoint);
    if (codePoint < 0xA0) {
        // Only the undefined bytes come back as C1 controls.
        const bool undefinedByte = HighControls[codePoint - 0x80] == 0;
        return undefinedByte ? static_cast<char>(codePoint) : Cp1252Replacement;
    }
    const auto* found = std::find(HighControls.begin(), HighControls.end(), codePoint);
    if (found == HighControls.end())
        return Cp1252Replacement;
    return static_cast<char>(0x80 + (found - HighControls.begin()));
}

std::string Utf8ToCp1252(std::string_view utf8)
{
    const QList<uint> codePoints = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toUcs4();
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(codePoints.size()));
    for (const uint codePoint : codePoints)
        bytes.push_back(Cp1252FromCodePoint(codePoint));
    return bytes;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::vector<char32_t> codePoints;
    codePoints.reserve(bytes.size());
    for (const char byte : bytes)
        codePoints.push_back(Cp1252ToCodePoint(static_cast<unsigned char>(byte)));
    return QString::fromUcs4(codePoints.data(), static_cast<qsizetype>(codePoints.size())).toStdString();
}

} // namespace ModHigh
