// The snake sprite sheet. Every piece is a shape in tile units (0..10 across
// a tile), described once facing one way and turned for the other three.
// Sampling the shape at pixel centres gives the 10 x 10 tiles.
#include "gen_pictures.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int Tile = 10;
constexpr double Half = Tile / 2.0;
constexpr double Radius = 4.0; // half the body's width, outline included
constexpr QRgb White = 0xffffffff;
constexpr QRgb Black = 0xff000000;

enum class Kind { Tail, Straight, Corner, Head };
enum class Pattern { Plain, Stripes, Spots, Chequer, Markings };

struct RowLook {
    QRgb body;
    QRgb mark;
    QRgb eye;
    Pattern pattern;
};

// Sheet rows by snake colour.
constexpr std::array<RowLook, 5> Rows = {{
    {qRgb(128, 128, 0), qRgb(128, 128, 0), qRgb(0, 255, 0), Pattern::Plain},
    {qRgb(255, 255, 0), Black, qRgb(255, 0, 0), Pattern::Stripes},
    {qRgb(0, 255, 255), qRgb(0, 128, 128), qRgb(0, 0, 128), Pattern::Spots},
    // No eye colour of their own: white eyes show on grey and green.
    {qRgb(192, 192, 192), qRgb(128, 128, 128), White, Pattern::Chequer},
    {qRgb(0, 255, 0), qRgb(0, 128, 0), White, Pattern::Markings},
}};

// What a point of a piece is, in the piece's own (unturned) frame.
struct Sample {
    double d = 1; // signed distance to the outline: < 0 inside
    double s = 0; // position along the body, 0..10 across the tile
    double u = 0; // offset across the body from its middle line
    bool eye = false;
    bool pupil = false;
};

double Length(double x, double y)
{
    return std::hypot(x, y);
}

// Distance to a cone from (ax, ay) with radius ra to (bx, by) with radius rb,
// rounded at both ends. Sampled along the axis: exact enough for pixel art.
double ConeDistance(double px, double py, double ax, double ay, double ra, double bx, double by, double rb)
{
    double best = 1e9;
    constexpr int steps = 200;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double cx = ax + (bx - ax) * t;
        const double cy = ay + (by - ay) * t;
        best = std::min(best, Length(px - cx, py - cy) - (ra + (rb - ra) * t));
    }
    return best;
}

// A straight run continuing through the right edge (x >= 10).
double RightRun(double x, double y)
{
    return x >= Tile ? std::abs(y - Half) - Radius : 1e9;
}

// Pieces as they are when open on the right (tail, head), left and right
// (straight) or right and bottom (corner). The tail ends rounded on the left,
// the head looks left.
Sample SamplePiece(Kind kind, double x, double y)
{
    Sample p;
    p.s = x;
    p.u = y - Half;
    switch (kind) {
    case Kind::Straight: p.d = std::abs(y - Half) - Radius; break;
    case Kind::Tail: p.d = std::min(RightRun(x, y), ConeDistance(x, y, Tile, Half, Radius, 3.2, Half, 2.6)); break;
    case Kind::Head: {
        // Full width at the neck, a round snout at the front.
        p.d = std::min(RightRun(x, y), ConeDistance(x, y, Tile, Half, Radius, 4.2, Half, 3.6));
        // Two 2 x 2 eyes behind the snout; the pupil looks forward and inward.
        const bool top = y < Half;
        const double ey = top ? 3.0 : 7.0;
        // At tile size these circles cover 2 x 2 pixels and the pupil one.
        p.eye = Length(x - 4.0, y - ey) < 0.9;
        p.pupil = Length(x - 3.5, y - (top ? ey + 0.5 : ey - 0.5)) < 0.45;
        break;
    }
    case Kind::Corner: {
        // A quarter circle around the bottom-right corner joins the right
        // edge to the bottom edge; straight runs continue past both.
        if (x <= Tile && y <= Tile) {
            const double r = Length(Tile - x, Tile - y);
            p.d = std::abs(r - Half) - Radius;
            const double angle = std::atan2(Tile - y, Tile - x); // pi/2 at the right edge
            p.s = (std::numbers::pi / 2 - angle) / (std::numbers::pi / 2) * Tile;
            p.u = Half - r;
        } else if (x > Tile) {
            p.d = std::abs(y - Half) - Radius;
        } else {
            p.d = std::abs(x - Half) - Radius;
            p.s = Tile + (y - Tile);
        }
        break;
    }
    }
    return p;
}

// Maps a point of a tile turned `quarters` times clockwise back into the
// piece's own frame.
void Unturn(int quarters, double& x, double& y)
{
    for (int i = 0; i < quarters; ++i) {
        const double ox = x;
        x = y;
        y = Tile - ox;
    }
}

struct TileSpec {
    Kind kind;
    int quarters; // clockwise turns from the piece's own frame
};

// Sheet tile number to piece and turn.
// clang-format off
constexpr std::array<TileSpec, 14> Specs = {{
    {Kind::Tail, 0}, {Kind::Tail, 1}, {Kind::Tail, 2}, {Kind::Tail, 3},
    {Kind::Straight, 1}, {Kind::Straight, 0},
    {Kind::Corner, 0}, {Kind::Corner, 1}, {Kind::Corner, 3}, {Kind::Corner, 2},
    {Kind::Head, 0}, {Kind::Head, 1}, {Kind::Head, 2}, {Kind::Head, 3},
}};
// clang-format on

Sample SampleTile(int tile, double x, double y)
{
    const TileSpec spec = Specs[static_cast<std::size_t>(tile)];
    Unturn(spec.quarters, x, y);
    return SamplePiece(spec.kind, x, y);
}

bool Inside(int tile, int px, int py)
{
    return SampleTile(tile, px + 0.5, py + 0.5).d < 0;
}

// Body colour at a point: the row's pattern. (cx, cy) picks the chequer square.
QRgb BodyColour(const RowLook& look, Kind kind, const Sample& p, int cx, int cy)
{
    const bool headFront = kind == Kind::Head && p.s < 6;
    switch (look.pattern) {
    case Pattern::Plain: return look.body;
    case Pattern::Stripes: {
        const int band = static_cast<int>(std::floor(p.s)) % 5;
        return band == 2 && !headFront ? look.mark : look.body;
    }
    case Pattern::Spots: {
        // 2 x 2 spots, one each side of the middle line in turn.
        const double ds = std::fmod(p.s, Tile);
        const bool spot = (std::abs(ds - 3.0) < 1.0 && std::abs(p.u + 1.5) < 1.0) ||
                          (std::abs(ds - 8.0) < 1.0 && std::abs(p.u - 1.5) < 1.0);
        return spot && !headFront ? look.mark : look.body;
    }
    case Pattern::Chequer: return ((cx + cy) & 1) ? look.body : look.mark;
    case Pattern::Markings: {
        // A zigzag down the back, one swing every 5 units.
        const double phase = std::fmod(p.s, 5.0) / 5.0;
        const double zig = 1.5 * (phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase);
        return std::abs(p.u - zig) < 0.75 && !headFront ? look.mark : look.body;
    }
    }
    return look.body;
}

void DrawTile(QImage& sheet, int row, int tile)
{
    const RowLook& look = Rows[static_cast<std::size_t>(row)];
    const Kind kind = Specs[static_cast<std::size_t>(tile)].kind;
    for (int py = 0; py < Tile; ++py) {
        for (int px = 0; px < Tile; ++px) {
            QRgb colour = White;
            if (Inside(tile, px, py)) {
                // Outline: a body pixel next to a pixel outside the body.
                // Past an open edge the body goes on, so no outline there.
                const bool edge = !Inside(tile, px - 1, py) || !Inside(tile, px + 1, py) || !Inside(tile, px, py - 1) ||
                                  !Inside(tile, px, py + 1);
                const Sample p = SampleTile(tile, px + 0.5, py + 0.5);
                if (edge)
                    colour = Black;
                else if (p.pupil)
                    colour = Black;
                else if (p.eye)
                    colour = look.eye;
                else
                    colour = BodyColour(look, kind, p, px / 2, py / 2);
            }
            sheet.setPixel(tile * Tile + px, row * Tile + py, colour);
        }
    }
}

} // namespace

QImage MakeSpriteSheet()
{
    QImage sheet(142, 50, QImage::Format_RGB32);
    sheet.fill(White);
    for (int row = 0; row < static_cast<int>(Rows.size()); ++row) {
        for (int tile = 0; tile < static_cast<int>(Specs.size()); ++tile)
            DrawTile(sheet, row, tile);
    }
    return sheet;
}
