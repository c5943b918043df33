// Snake::Draw: one sprite tile per segment, copied straight from the sheet.
#include "platform/Surface.h"
#include "render/SpriteTiles.h"
#include "rules/Snake.h"

void Snake::Draw(platform::Surface& dest, const platform::Surface& sheet, std::optional<Int16> colour) const
{
    using platform::TileSize;
    // A row the sheet does not have copies nothing (the copy is clipped).
    const int row = colour.value_or(Colour);
    SpriteTiles::ForEachTile(Body, [&](SpriteTiles::Placement p) {
        const Segment s = Body[p.segment];
        platform::BitBlt(dest, s.x * TileSize, s.y * TileSize, TileSize, TileSize, sheet, p.tile * TileSize,
                         row * TileSize);
    });
}
