#include "render/SpriteTiles.h"

namespace SpriteTiles {

int BodyTile(Segment prev, Segment cur, Segment next)
{
    const int dx = prev.x - next.x;
    const int dy = prev.y - next.y;
    if (dx == 0 && (dy == -2 || dy == 2))
        return Vertical;
    if ((dx == -2 || dx == 2) && dy == 0)
        return Horizontal;
    if ((dx == -1 && dy == -1) || (dx == 1 && dy == 1))
        return (cur.x > prev.x || cur.x > next.x) ? CornerLeftDown : CornerUpRight;
    if ((dx == 1 && dy == -1) || (dx == -1 && dy == 1))
        return (cur.x < prev.x || cur.x < next.x) ? CornerRightDown : CornerUpLeft;
    // A neighbour on the same square (a stacked body): the tail tile drawn
    // later covers it where it matters.
    return TailLeft;
}

int HeadTile(Segment head, Segment neck)
{
    const int dx = head.x - neck.x;
    if (dx == -1)
        return HeadLeft;
    if (dx == 1)
        return HeadRight;
    if (head.y - neck.y == -1)
        return HeadUp;
    return HeadDown;
}

std::size_t TailAnchor(const std::vector<Segment>& body)
{
    if (body.size() < 2)
        return 0;
    const Segment tail = body.back();
    for (std::size_t k = body.size() - 1; k-- > 0;) {
        if (body[k] != tail)
            return k;
    }
    return 0;
}

int TailTile(Segment tail, Segment anchor, int headTile)
{
    const int dx = tail.x - anchor.x;
    if (dx < 0)
        return TailLeft;
    if (dx > 0)
        return TailRight;
    const int dy = tail.y - anchor.y;
    if (dy == -1)
        return TailUp;
    if (dy == 1)
        return TailDown;
    return headTile;
}

} // namespace SpriteTiles
