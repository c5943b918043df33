// Which sprite tile each snake segment shows, as tables of small bodies.
#include "snake/SpriteTiles.h"
#include "support/TableColumns.h"

#include <QtTest>

using Segment = Snake::Segment;
using Body = std::vector<Segment>;

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

// "segment:tile" in drawing order.
QString Placements(const Body& body)
{
    QStringList out;
    SpriteTiles::ForEachTile(
        body, [&](SpriteTiles::Placement p) { out << QStringLiteral("%1:%2").arg(p.segment).arg(p.tile); });
    return out.join(' ');
}

} // namespace

class TestSpriteTiles : public QObject {
    Q_OBJECT

  private slots:
    void bodyTileFollowsBothNeighbours_data()
    {
        Columns<Segment, Segment, int>("prev", "next", "tile");
        const Segment c = S(5, 5);
        const Segment up = S(5, 4), down = S(5, 6), left = S(4, 5), right = S(6, 5);
        QTest::newRow("vertical, head above") << up << down << 4;
        QTest::newRow("vertical, head below") << down << up << 4;
        QTest::newRow("horizontal, head right") << right << left << 5;
        QTest::newRow("horizontal, head left") << left << right << 5;
        QTest::newRow("right and down 6") << right << down << 6;
        QTest::newRow("down and right 6") << down << right << 6;
        QTest::newRow("left and down 7") << left << down << 7;
        QTest::newRow("down and left 7") << down << left << 7;
        QTest::newRow("up and right 8") << up << right << 8;
        QTest::newRow("right and up 8") << right << up << 8;
        QTest::newRow("up and left 9") << up << left << 9;
        QTest::newRow("left and up 9") << left << up << 9;
        QTest::newRow("stacked on prev") << c << down << 0;
        QTest::newRow("stacked on next") << up << c << 0;
        QTest::newRow("all stacked") << c << c << 0;
    }

    // Straight runs by the neighbours' distance, corners by which two sides they
    // join; a neighbour on the same square gives tile 0.
    void bodyTileFollowsBothNeighbours()
    {
        const auto [prev, next, tile] = Fetch<Segment, Segment, int>("prev", "next", "tile");
        QCOMPARE(SpriteTiles::BodyTile(prev, S(5, 5), next), tile);
    }

    void headTileFollowsTheNeck_data()
    {
        Columns<Segment, int>("neck", "tile");
        QTest::newRow("neck right: looks left") << S(6, 5) << 10;
        QTest::newRow("neck below: looks up") << S(5, 6) << 11;
        QTest::newRow("neck left: looks right") << S(4, 5) << 12;
        QTest::newRow("neck above: looks down") << S(5, 4) << 13;
        QTest::newRow("neck on the head's square") << S(5, 5) << 13;
    }

    // The head looks away from its neck, whatever the snake's direction.
    void headTileFollowsTheNeck()
    {
        const auto [neck, tile] = Fetch<Segment, int>("neck", "tile");
        QCOMPARE(SpriteTiles::HeadTile(S(5, 5), neck), tile);
    }

    void tailPointsAtFirstSegmentOffItsSquare_data()
    {
        Columns<Body, int, int>("body", "anchor", "tile");
        QTest::newRow("body to the right") << Parse("7,5 6,5 5,5") << 1 << 0;
        QTest::newRow("body below") << Parse("5,7 5,6 5,5") << 1 << 1;
        QTest::newRow("body to the left") << Parse("3,5 4,5 5,5") << 1 << 2;
        QTest::newRow("body above") << Parse("5,3 5,4 5,5") << 1 << 3;
        QTest::newRow("tail stacked twice") << Parse("5,3 5,4 5,5 5,5 5,5") << 1 << 3;
        QTest::newRow("all stacked keeps head tile") << Parse("5,5 5,5 5,5") << 0 << 13;
    }

    // The tail searches back past segments on its own square; with none off it,
    // it keeps the head's tile.
    void tailPointsAtFirstSegmentOffItsSquare()
    {
        const auto [body, anchor, tile] = Fetch<Body, int, int>("body", "anchor", "tile");
        QCOMPARE(static_cast<int>(SpriteTiles::TailAnchor(body)), anchor);
        const int head = SpriteTiles::HeadTile(body[0], body[1]);
        QCOMPARE(SpriteTiles::TailTile(body.back(), body[SpriteTiles::TailAnchor(body)], head), tile);
    }

    void tilesComeInDrawingOrder_data()
    {
        Columns<Body, QString>("body", "placements");
        QTest::newRow("empty body draws nothing") << Body{} << "";
        QTest::newRow("one segment: head looking down") << Parse("5,5") << "0:13";
        QTest::newRow("two segments moving right") << Parse("6,5 5,5") << "0:12 1:0";
        QTest::newRow("fully stacked") << Parse("5,5 5,5 5,5 5,5") << "1:0 2:0 0:13 3:13";
        QTest::newRow("one step up from stacked") << Parse("5,4 5,5 5,5 5,5") << "1:0 2:0 0:11 3:3";
        QTest::newRow("bend right to down") << Parse("6,6 6,5 5,5 4,5") << "1:7 2:5 0:13 3:0";
        QTest::newRow("spiral") << Parse("5,5 5,4 6,4 6,5 6,6 5,6 4,6 4,5") << "1:6 2:7 3:4 4:9 5:5 6:8 0:13 7:1";
    }

    // Body from the neck down, then the head, then the tail: one tile per segment.
    void tilesComeInDrawingOrder()
    {
        const auto [body, placements] = Fetch<Body, QString>("body", "placements");
        QCOMPARE(Placements(body), placements);
    }
};

QTEST_MAIN(TestSpriteTiles)
#include "test_sprite_tiles.moc"
