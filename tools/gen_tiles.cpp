// The tile strip, pixel for pixel: one letter per pixel, palette below.
#include "gen_pictures.h"

#include <array>
#include <string_view>

namespace {

// clang-format off
constexpr std::array<std::string_view, 10> TileRows = {
    // tile 0    tile 1    tile 2
    "aaaaaaaaaa" "dddddaaddd" "dddddaaddd",
    "aabbbbbbaa" "ddeffaffdd" "ddhiiaiidd",
    "acabbbbada" "deffffgffd" "dhiiiijiid",
    "accaaaadda" "defffgggfd" "dhiiijjjid",
    "accaccadda" "deffggggfd" "dhiiijjjid",
    "accaccadda" "defffggffd" "dhiiiijiid",
    "accaaaadda" "defffffffd" "dhiiiiiiid",
    "acaddddada" "deffffffed" "dhiiiiiihd",
    "aaddddddaa" "ddeeeeeedd" "ddhhhhhhdd",
    "aaaaaaaaaa" "dddddddddd" "dddddddddd",
};
// clang-format on

QRgb Colour(char letter)
{
    switch (letter) {
    case 'a': return qRgb(0, 0, 0);
    case 'b': return qRgb(128, 128, 128);
    case 'c': return qRgb(192, 192, 192);
    case 'e': return qRgb(0, 128, 0);
    case 'f': return qRgb(0, 255, 0);
    case 'g': return qRgb(0, 255, 128);
    case 'h': return qRgb(128, 0, 0);
    case 'i': return qRgb(255, 0, 0);
    case 'j': return qRgb(255, 74, 74);
    default: return qRgb(255, 255, 255);
    }
}

} // namespace

QImage MakeTileStrip()
{
    QImage strip(128, 10, QImage::Format_RGB32);
    strip.fill(Qt::white);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 30 && x < static_cast<int>(TileRows[y].size()); ++x)
            strip.setPixel(x, y, Colour(TileRows[y][x]));
    }
    return strip;
}
