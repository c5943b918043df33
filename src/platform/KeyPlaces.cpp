#include "platform/KeyPlaces.h"

#include <array>
#include <string_view>

namespace platform {
namespace {

struct LetterRow {
    std::uint32_t firstKey; // xkb key code (evdev code + 8) of the row's first letter
    std::string_view letters;
};

constexpr std::array<LetterRow, 3> UsRows{{
    {24, "QWERTYUIOP"},
    {38, "ASDFGHJKL"},
    {52, "ZXCVBNM"},
}};

} // namespace

char UsLetterAtKey(std::uint32_t nativeScanCode)
{
    for (const LetterRow& row : UsRows) {
        if (nativeScanCode >= row.firstKey && nativeScanCode - row.firstKey < row.letters.size())
            return row.letters[nativeScanCode - row.firstKey];
    }
    return 0;
}

} // namespace platform
