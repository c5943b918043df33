#pragma once
// Which sprite-sheet tile each segment of a snake shows. Pure functions of the
// segment positions, so the drawing order and choice can be checked as tables.
#include "rules/Snake.h"

#include <vector>

namespace SpriteTiles {

using Segment = Snake::Segment;

// Tile numbers of one sheet row.
// clang-format off
enum Tile : int {
    TailLeft = 0, TailUp = 1, TailRight = 2, TailDown = 3, // rounded end on that side
    Vertical = 4, Horizontal = 5,
    CornerRightDown = 6, CornerLeftDown = 7, CornerUpRight = 8, CornerUpLeft = 9, // open sides
    HeadLeft = 10, HeadUp = 11, HeadRight = 12, HeadDown = 13, // looking that way
};
// clang-format on

// Body segment between prev (towards the head) and next (towards the tail).
int BodyTile(Segment prev, Segment cur, Segment next);
// The head's tile follows its neck, not the snake's direction.
int HeadTile(Segment head, Segment neck);
// Index of the segment the tail points to: the last one before the tail that
// lies on another square, or 0 if every segment shares the tail's square.
std::size_t TailAnchor(const std::vector<Segment>& body);
// headTile is kept when the tail has no neighbour on another square.
int TailTile(Segment tail, Segment anchor, int headTile);

// One tile copy: segment index and tile.
struct Placement {
    std::size_t segment = 0;
    int tile = 0;
};

// Calls f(Placement) for every tile in drawing order: body from the neck
// down, then the head, then the tail. A one-segment body shows a head
// looking down; an empty one shows nothing.
template <typename F> void ForEachTile(const std::vector<Segment>& body, F&& f)
{
    const std::size_t n = body.size();
    if (n == 0)
        return;
    if (n == 1) {
        f(Placement{0, HeadDown});
        return;
    }
    for (std::size_t i = 1; i + 1 < n; ++i)
        f(Placement{i, BodyTile(body[i - 1], body[i], body[i + 1])});
    const int head = HeadTile(body[0], body[1]);
    f(Placement{0, head});
    f(Placement{n - 1, TailTile(body[n - 1], body[TailAnchor(body)], head)});
}

} // namespace SpriteTiles
