// The title picture: a small level drawn from the game's own tiles, with the
// name spelled in blue blocks on the 10-pixel grid.
#include "gen_pictures.h"

#include "render/SpriteTiles.h"

#include <array>
#include <string_view>
#include <vector>

namespace {

constexpr int Tile = 10;
constexpr int Squares = 30;

enum StripTile { WallTile = 0, GreenAppleTile = 1, RedAppleTile = 2 };

// 4 x 5 block letters.
struct Glyph {
    char letter;
    std::array<std::string_view, 5> rows;
};
constexpr std::array<Glyph, 5> Font = {{
    {'S', {".###", "#...", ".##.", "...#", "###."}},
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'A', {".##.", "#..#", "####", "#..#", "#..#"}},
    {'K', {"#..#", "#.#.", "##..", "#.#.", "#..#"}},
    {'E', {"####", "#...", "###.", "#...", "####"}},
}};

// A snake laid out from its tail: a start square and moves U, D, L, R.
struct SnakePath {
    int colour;
    int x, y;
    std::string_view moves;
};

constexpr std::array<SnakePath, 3> Snakes = {{
    {1, 3, 13, "RRRRRRRDDDLLLLLDDDRRRRRRRRRR"},
    {2, 26, 12, "DDDDDDLLLLLLDDDDLLL"},
    {4, 3, 27, "RRRRRRRRUURRRRRRRRRR"},
}};

struct Square {
    int x, y;
};
// One apple waits in front of each head.
constexpr std::array<Square, 5> GreenApples = {{{15, 22}, {9, 11}, {20, 23}, {5, 22}, {25, 16}}};
constexpr std::array<Square, 4> RedApples = {{{16, 19}, {21, 13}, {8, 23}, {24, 25}}};

void CopyTile(QImage& dest, int x, int y, const QImage& src, int sx, int sy)
{
    for (int dy = 0; dy < Tile; ++dy) {
        for (int dx = 0; dx < Tile; ++dx)
            dest.setPixel(x * Tile + dx, y * Tile + dy, src.pixel(sx + dx, sy + dy));
    }
}

// The wall block in blues: the letters share the walls' bevelled look.
QImage LetterBlock(const QImage& strip)
{
    QImage block(Tile, Tile, QImage::Format_RGB32);
    for (int y = 0; y < Tile; ++y) {
        for (int x = 0; x < Tile; ++x) {
            const int grey = qRed(strip.pixel(x, y));
            QRgb c = qRgb(0, 0, 96); // black frame
            if (grey == 128)
                c = qRgb(20, 40, 170);
            else if (grey == 192)
                c = qRgb(70, 110, 225);
            block.setPixel(x, y, c);
        }
    }
    return block;
}

void DrawWord(QImage& title, const QImage& block, std::string_view word, int left, int top)
{
    int x0 = left;
    for (const char letter : word) {
        for (const Glyph& g : Font) {
            if (g.letter != letter)
                continue;
            for (int r = 0; r < 5; ++r) {
                for (int c = 0; c < 4; ++c) {
                    if (g.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] == '#')
                        CopyTile(title, x0 + c, top + r, block, 0, 0);
                }
            }
        }
        x0 += 5;
    }
}

std::vector<Snake::Segment> Body(const SnakePath& path)
{
    std::vector<Snake::Segment> body;
    Snake::Segment s{static_cast<Snake::Int16>(path.x), static_cast<Snake::Int16>(path.y)};
    body.push_back(s);
    for (const char m : path.moves) {
        s.x = static_cast<Snake::Int16>(s.x + (m == 'R') - (m == 'L'));
        s.y = static_cast<Snake::Int16>(s.y + (m == 'D') - (m == 'U'));
        body.push_back(s);
    }
    return {body.rbegin(), body.rend()}; // head first
}

} // namespace

QImage MakeTitle(const QImage& strip, const QImage& sheet)
{
    QImage title(Squares * Tile, Squares * Tile, QImage::Format_RGB32);
    title.fill(Qt::white);

    // The field's walls: a border and a bar under the name.
    for (int i = 0; i < Squares; ++i) {
        CopyTile(title, i, 0, strip, WallTile * Tile, 0);
        CopyTile(title, i, Squares - 1, strip, WallTile * Tile, 0);
        CopyTile(title, 0, i, strip, WallTile * Tile, 0);
        CopyTile(title, Squares - 1, i, strip, WallTile * Tile, 0);
    }
    for (int x = 3; x <= 26; ++x)
        CopyTile(title, x, 9, strip, WallTile * Tile, 0);

    DrawWord(title, LetterBlock(strip), "SNAKE", 3, 3);

    for (const Square a : GreenApples)
        CopyTile(title, a.x, a.y, strip, GreenAppleTile * Tile, 0);
    for (const Square a : RedApples)
        CopyTile(title, a.x, a.y, strip, RedAppleTile * Tile, 0);

    for (const SnakePath& path : Snakes) {
        const std::vector<Snake::Segment> body = Body(path);
        SpriteTiles::ForEachTile(body, [&](SpriteTiles::Placement p) {
            const Snake::Segment s = body[p.segment];
            CopyTile(title, s.x, s.y, sheet, p.tile * Tile, path.colour * Tile);
        });
    }
    return title;
}
