// The embedded pictures: the tile strip pixel for pixel, the sprite sheet's
// open and closed tile sides and row colours, the title and icon sizes.
#include "render/RenderFrame.h"
#include "render/SpriteTiles.h"
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include <QImage>
#include <QMap>
#include <QtTest>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

// The colours of the strip's pixel table, by letter from 'a'.
QRgb StripColour(char letter)
{
    static const QRgb colours[] = {qRgb(0, 0, 0),   qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(255, 255, 255),
                                   qRgb(0, 128, 0), qRgb(0, 255, 0),     qRgb(0, 255, 128),   qRgb(128, 0, 0),
                                   qRgb(255, 0, 0), qRgb(255, 74, 74)};
    return letter >= 'a' && letter <= 'j' ? colours[letter - 'a'] : 0;
}

QString Rgb(QRgb c)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

bool IsBody(QRgb c)
{
    return c != White && c != Black;
}

enum Side { Left = 1, Top = 2, Right = 4, Bottom = 8 };

// The edge pixel i (0..9 along the side) of a tile.
QRgb EdgePixel(const platform::Surface& sheet, int row, int tile, Side side, int i)
{
    const int x0 = tile * 10, y0 = row * 10;
    switch (side) {
    case Left: return sheet.Pixel(x0, y0 + i);
    case Right: return sheet.Pixel(x0 + 9, y0 + i);
    case Top: return sheet.Pixel(x0 + i, y0);
    case Bottom: return sheet.Pixel(x0 + i, y0 + 9);
    }
    return 0;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

  private slots:
    void tileStripMatchesPixelTable_data()
    {
        Columns<int, QStringList>("tile", "rows");
        AddRow("wall", 0,
               QStringList{"aaaaaaaaaa", "aabbbbbbaa", "acabbbbada", "accaaaadda", "accaccadda", "accaccadda",
                           "accaaaadda", "acaddddada", "aaddddddaa", "aaaaaaaaaa"});
        AddRow("green apple", 1,
               QStringList{"dddddaaddd", "ddeffaffdd", "deffffgffd", "defffgggfd", "deffggggfd", "defffggffd",
                           "defffffffd", "deffffffed", "ddeeeeeedd", "dddddddddd"});
        AddRow("red apple", 2,
               QStringList{"dddddaaddd", "ddhiiaiidd", "dhiiiijiid", "dhiiijjjid", "dhiiijjjid", "dhiiiijiid",
                           "dhiiiiiiid", "dhiiiiiihd", "ddhhhhhhdd", "dddddddddd"});
    }

    // The strip holds exactly the pixels of the table, tile by tile.
    void tileStripMatchesPixelTable()
    {
        const auto [tile, rows] = Fetch<int, QStringList>("tile", "rows");
        const platform::Surface& strip = Render::PicMap();
        QCOMPARE(strip.width(), 128);
        QCOMPARE(strip.height(), 10);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const QRgb expected = StripColour(rows[y][x].toLatin1());
                const QRgb actual = strip.Pixel(tile * 10 + x, y);
                if (actual != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, the table says %4 ('%5')")
                                         .arg(tile * 10 + x)
                                         .arg(y)
                                         .arg(Rgb(actual), Rgb(expected))
                                         .arg(rows[y][x])));
            }
        }
    }

    // The 98 columns past the three tiles are plain white.
    void tileStripIsWhiteAfterThirdTile()
    {
        const platform::Surface& strip = Render::PicMap();
        for (int x = 30; x < 128; ++x) {
            for (int y = 0; y < 10; ++y)
                QCOMPARE(strip.Pixel(x, y), White);
        }
    }

    void spriteTileIsOpenExactlyOnListedSides_data()
    {
        Columns<int, int, int>("row", "tile", "open");
        using namespace SpriteTiles;
        // clang-format off
        const std::pair<Tile, int> openSides[] = {
            {TailLeft, Right}, {TailUp, Bottom}, {TailRight, Left}, {TailDown, Top},
            {Vertical, Top | Bottom}, {Horizontal, Left | Right},
            {CornerRightDown, Right | Bottom}, {CornerLeftDown, Left | Bottom},
            {CornerUpRight, Top | Right}, {CornerUpLeft, Top | Left},
            {HeadLeft, Right}, {HeadUp, Bottom}, {HeadRight, Left}, {HeadDown, Top},
        };
        // clang-format on
        for (int row = 0; row < 5; ++row) {
            for (const auto& [tile, open] : openSides)
                QTest::addRow("colour %d tile %d", row, int{tile}) << row << int{tile} << open;
        }
    }

    // An open side carries the body's colour to the edge between two outline
    // pixels, so neighbouring tiles join; a closed side is outline or ground only.
    void spriteTileIsOpenExactlyOnListedSides()
    {
        const auto [row, tile, open] = Fetch<int, int, int>("row", "tile", "open");
        const platform::Surface& sheet = Render::Picture1();
        for (const Side side : {Left, Top, Right, Bottom}) {
            const QString where = QStringLiteral("side %1").arg(side);
            if (open & side) {
                QVERIFY2(EdgePixel(sheet, row, tile, side, 0) == White, qPrintable(where));
                QVERIFY2(EdgePixel(sheet, row, tile, side, 9) == White, qPrintable(where));
                QVERIFY2(EdgePixel(sheet, row, tile, side, 1) == Black, qPrintable(where));
                QVERIFY2(EdgePixel(sheet, row, tile, side, 8) == Black, qPrintable(where));
                for (int i = 2; i <= 7; ++i)
                    QVERIFY2(IsBody(EdgePixel(sheet, row, tile, side, i)), qPrintable(where));
            } else {
                for (int i = 0; i < 10; ++i)
                    QVERIFY2(!IsBody(EdgePixel(sheet, row, tile, side, i)), qPrintable(where));
            }
        }
    }

    void spriteRowHasItsColourAndMarkings_data()
    {
        // second: eyes or markings the row must show
        Columns<int, QRgb, QRgb>("row", "body", "second");
        AddRow("olive, green eyes", 0, qRgb(128, 128, 0), qRgb(0, 255, 0));
        AddRow("yellow, red eyes", 1, qRgb(255, 255, 0), qRgb(255, 0, 0));
        AddRow("cyan, teal spots", 2, qRgb(0, 255, 255), qRgb(0, 128, 128));
        AddRow("cyan, navy eyes", 2, qRgb(0, 255, 255), qRgb(0, 0, 128));
        AddRow("grey chequer", 3, qRgb(192, 192, 192), qRgb(128, 128, 128));
        AddRow("green, dark green markings", 4, qRgb(0, 255, 0), qRgb(0, 128, 0));
    }

    // Each row's most common body colour is the colour of its snake, and the
    // row also shows its eyes or markings.
    void spriteRowHasItsColourAndMarkings()
    {
        const auto [row, body, second] = Fetch<int, QRgb, QRgb>("row", "body", "second");
        const platform::Surface& sheet = Render::Picture1();
        QMap<QRgb, int> counts;
        for (int y = row * 10; y < row * 10 + 10; ++y) {
            for (int x = 0; x < 140; ++x) {
                if (IsBody(sheet.Pixel(x, y)))
                    ++counts[sheet.Pixel(x, y)];
            }
        }
        QRgb dominant = 0;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (dominant == 0 || it.value() > counts.value(dominant))
                dominant = it.key();
        }
        QCOMPARE(Rgb(dominant), Rgb(body));
        QVERIFY2(counts.value(second) >= 2, qPrintable(Rgb(second)));
    }

    void headsLookTowardsTheirEyes_data()
    {
        Columns<int, QRgb>("row", "eye");
        AddRow("olive", 0, qRgb(0, 255, 0));
        AddRow("yellow", 1, qRgb(255, 0, 0));
        AddRow("cyan", 2, qRgb(0, 0, 128));
    }

    // Heads 10..13 look left, up, right, down: their eyes sit on that half of
    // the tile, and no other tile shows the eye colour.
    void headsLookTowardsTheirEyes()
    {
        const auto [row, eye] = Fetch<int, QRgb>("row", "eye");
        const platform::Surface& sheet = Render::Picture1();
        for (int tile = 0; tile < 14; ++tile) {
            int n = 0, sumX = 0, sumY = 0;
            for (int y = 0; y < 10; ++y) {
                for (int x = 0; x < 10; ++x) {
                    if (sheet.Pixel(tile * 10 + x, row * 10 + y) == eye) {
                        ++n;
                        sumX += x;
                        sumY += y;
                    }
                }
            }
            if (tile < 10) {
                QCOMPARE(n, 0);
                continue;
            }
            QVERIFY2(n >= 2, qPrintable(QStringLiteral("tile %1 has %2 eye pixels").arg(tile).arg(n)));
            const double cx = static_cast<double>(sumX) / n, cy = static_cast<double>(sumY) / n;
            switch (tile) {
            case 10: QVERIFY(cx < 4.5); break;
            case 11: QVERIFY(cy < 4.5); break;
            case 12: QVERIFY(cx > 4.5); break;
            case 13: QVERIFY(cy > 4.5); break;
            }
        }
    }

    // Columns 140 and 141 belong to no tile.
    void sheetSpareColumnsAreWhite()
    {
        const platform::Surface& sheet = Render::Picture1();
        QCOMPARE(sheet.width(), 142);
        QCOMPARE(sheet.height(), 50);
        for (int y = 0; y < 50; ++y) {
            QCOMPARE(sheet.Pixel(140, y), White);
            QCOMPARE(sheet.Pixel(141, y), White);
        }
    }

    // The title covers the 300 x 300 playfield; the icon is a square picture.
    void titleAndIconHaveTheirSizes()
    {
        const QImage title(QStringLiteral(":/assets/title.png"));
        QCOMPARE(title.size(), QSize(300, 300));
        QCOMPARE(title.pixel(150, 150) | 0xff000000u, White); // white ground between the pieces
        const QImage icon(QStringLiteral(":/assets/icon.png"));
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.width(), icon.height());
        QVERIFY(icon.width() >= 32);
    }
};

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
