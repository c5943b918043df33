// Which sprite tile each snake segment shows, as tables of small bodies.
#include "render/SpriteTiles.h"
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include <QtTest>

using namespace SpriteTiles;
using Body = std::vector<Segment>;
// (segment, tile) in drawing order.
using Placed = std::vector<std::pair<std::size_t, int>>;

namespace {

Segment S(int x, int y)
{
    return {static_cast<Snake::Int16>(x), static_cast<Snake::Int16>(y)};
}

// Body from a string of squares "x,y x,y ...", head first.
Body Parse(const char* squares)
{
    Body body;
    for (const QString& square : QString::fromLatin1(squares).split(' ', Qt::SkipEmptyParts)) {
        const QStringList xy = square.split(',');
        body.push_back(S(xy[0].toInt(), xy[1].toInt()));
    }
    return body;
}

Placed Placements(const Body& body)
{
    Placed placed;
    ForEachTile(body, [&](Placement p) { placed.emplace_back(p.segment, p.tile); });
    return placed;
}

// "segment:tile ...", for a readable failure.
QString Text(const Placed& placed)
{
    QStringList out;
    for (const auto& [segment, tile] : placed)
        out << QStringLiteral("%1:%2").arg(segment).arg(tile);
    return out.join(' ');
}

} // namespace

class TestSpriteTiles : public QObject {
    Q_OBJECT

  private slots:
    void bodyTileFollowsBothNeighbours_data()
    {
        Columns<Segment, Segment, Tile>("prev", "next", "tile");
        const Segment c = S(5, 5);
        const Segment up = S(5, 4), down = S(5, 6), left = S(4, 5), right = S(6, 5);
        AddRow("vertical, head above", up, down, Vertical);
        AddRow("vertical, head below", down, up, Vertical);
        AddRow("horizontal, head right", right, left, Horizontal);
        AddRow("horizontal, head left", left, right, Horizontal);
        AddRow("right and down 6", right, down, CornerRightDown);
        AddRow("down and right 6", down, right, CornerRightDown);
        AddRow("left and down 7", left, down, CornerLeftDown);
        AddRow("down and left 7", down, left, CornerLeftDown);
        AddRow("up and right 8", up, right, CornerUpRight);
        AddRow("right and up 8", right, up, CornerUpRight);
        AddRow("up and left 9", up, left, CornerUpLeft);
        AddRow("left and up 9", left, up, CornerUpLeft);
        AddRow("stacked on prev", c, down, TailLeft);
        AddRow("stacked on next", up, c, TailLeft);
        AddRow("all stacked", c, c, TailLeft);
    }

    // Straight runs by the neighbours' distance, corners by which two sides they
    // join; a neighbour on the same square gives tile 0 (TailLeft), which the
    // tail drawn later covers where it matters.
    void bodyTileFollowsBothNeighbours()
    {
        const auto [prev, next, tile] = Fetch<Segment, Segment, Tile>("prev", "next", "tile");
        QCOMPARE(BodyTile(prev, S(5, 5), next), int{tile});
    }

    void headTileFollowsTheNeck_data()
    {
        Columns<Segment, Tile>("neck", "tile");
        AddRow("neck right: looks left", S(6, 5), HeadLeft);
        AddRow("neck below: looks up", S(5, 6), HeadUp);
        AddRow("neck left: looks right", S(4, 5), HeadRight);
        AddRow("neck above: looks down", S(5, 4), HeadDown);
        AddRow("neck on the head's square", S(5, 5), HeadDown);
    }

    // The head looks away from its neck, whatever the snake's direction.
    void headTileFollowsTheNeck()
    {
        const auto [neck, tile] = Fetch<Segment, Tile>("neck", "tile");
        QCOMPARE(HeadTile(S(5, 5), neck), int{tile});
    }

    void tailPointsAtFirstSegmentOffItsSquare_data()
    {
        Columns<Body, int, Tile>("body", "anchor", "tile");
        AddRow("body to the right", Parse("7,5 6,5 5,5"), 1, TailLeft);
        AddRow("body below", Parse("5,7 5,6 5,5"), 1, TailUp);
        AddRow("body to the left", Parse("3,5 4,5 5,5"), 1, TailRight);
        AddRow("body above", Parse("5,3 5,4 5,5"), 1, TailDown);
        AddRow("tail stacked twice", Parse("5,3 5,4 5,5 5,5 5,5"), 1, TailDown);
        AddRow("all stacked keeps head tile", Parse("5,5 5,5 5,5"), 0, HeadDown);
    }

    // The tail searches back past segments on its own square; with none off it,
    // it keeps the head's tile.
    void tailPointsAtFirstSegmentOffItsSquare()
    {
        const auto [body, anchor, tile] = Fetch<Body, int, Tile>("body", "anchor", "tile");
        QCOMPARE(static_cast<int>(TailAnchor(body)), anchor);
        const int head = HeadTile(body[0], body[1]);
        QCOMPARE(TailTile(body.back(), body[TailAnchor(body)], head), int{tile});
    }

    void tilesComeInDrawingOrder_data()
    {
        Columns<Body, Placed>("body", "placements");
        AddRow("empty body draws nothing", Body{}, Placed{});
        AddRow("one segment: head looking down", Parse("5,5"), Placed{{0, HeadDown}});
        AddRow("two segments moving right", Parse("6,5 5,5"), Placed{{0, HeadRight}, {1, TailLeft}});
        AddRow("fully stacked", Parse("5,5 5,5 5,5 5,5"),
               Placed{{1, TailLeft}, {2, TailLeft}, {0, HeadDown}, {3, HeadDown}});
        AddRow("one step up from stacked", Parse("5,4 5,5 5,5 5,5"),
               Placed{{1, TailLeft}, {2, TailLeft}, {0, HeadUp}, {3, TailDown}});
        AddRow("bend right to down", Parse("6,6 6,5 5,5 4,5"),
               Placed{{1, CornerLeftDown}, {2, Horizontal}, {0, HeadDown}, {3, TailLeft}});
        AddRow("spiral", Parse("5,5 5,4 6,4 6,5 6,6 5,6 4,6 4,5"),
               Placed{{1, CornerRightDown},
                      {2, CornerLeftDown},
                      {3, Vertical},
                      {4, CornerUpLeft},
                      {5, Horizontal},
                      {6, CornerUpRight},
                      {0, HeadDown},
                      {7, TailUp}});
    }

    // Body from the neck down, then the head, then the tail: one tile per segment.
    void tilesComeInDrawingOrder()
    {
        const auto [body, placements] = Fetch<Body, Placed>("body", "placements");
        QCOMPARE(Text(Placements(body)), Text(placements));
    }
};

QTEST_MAIN(TestSpriteTiles)
#include "test_sprite_tiles.moc"
