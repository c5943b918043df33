// Level map files: 30 lines of 30 single-byte characters, "X" a wall.
#include "support/DataRows.h"
#include "support/GameFixture.h"
#include "support/MapFiles.h"
#include "support/TableColumns.h"

#include <QDir>
#include <QtTest>

using ModMain::Map;

namespace {

using Walls = QList<QPoint>;

Walls rowOf(int y, int from, int to)
{
    Walls walls;
    for (int x = from; x <= to; ++x)
        walls << QPoint(x, y);
    return walls;
}

// Fills the grid, row 30 and column 30 included, with something LoadMap
// must overwrite (or, outside the field, leave alone).
void scribbleOverMap()
{
    for (int x = 0; x <= ModMain::FieldSize; ++x)
        for (int y = 0; y <= ModMain::FieldSize; ++y)
            Map[x][y] = static_cast<std::uint8_t>((x + y) % 2 ? ModMain::RedApple : ModMain::GreenApple);
}

} // namespace

class TestMapFile : public QObject {
    Q_OBJECT

  private slots:
    void init() { fx.reset(GameFixture::FirstMap::None); }
    void cleanup() { fx.tearDown(); }

    // Each of the 900 cells becomes 1 for a capital X at its position, else 0.
    void fileContentGivesWalls_data()
    {
        Columns<QByteArray, Walls>("bytes", "walls");

        const QByteArray x30(30, 'X');
        QTest::newRow("30 empty lines") << MapLines({}) << Walls{};
        QTest::newRow("full top row") << MapLines({x30}) << rowOf(0, 0, 29);
        QTest::newRow("full bottom row") << MapLines(QList<QByteArray>(29, "") << x30) << rowOf(29, 0, 29);
        QTest::newRow("five X in row 3") << MapLines({"", "", "", "XXXXX"}) << rowOf(3, 0, 4);
        QTest::newRow("lower-case x is empty") << MapLines({"xxxxx", "x x x"}) << Walls{};
        QTest::newRow("other characters are empty") << MapLines({". 1#Xx*"}) << Walls{QPoint(4, 0)};
        QTest::newRow("tab counts as one character") << MapLines({"\tX"}) << Walls{QPoint(1, 0)};
        QTest::newRow("NUL and high bytes are characters")
            << MapLines({QByteArray("\0X\xff", 3) + "X"}) << Walls{QPoint(1, 0), QPoint(3, 0)};
        QTest::newRow("BOM shifts row 0 by three")
            << (QByteArray("\xEF\xBB\xBF") + MapLines({"X", "X"})) << Walls{QPoint(3, 0), QPoint(0, 1)};
        QTest::newRow("31st line ignored") << MapLines({}) + x30 + "\r\n" + x30 << Walls{};
        QTest::newRow("35 characters: first 30 used") << MapLines({"", "", QByteArray(35, 'X')}) << rowOf(2, 0, 29);
        QTest::newRow("character 31 never read") << MapLines({QByteArray(30, '.') + "XXXXX"}) << Walls{};
        QTest::newRow("short line") << MapLines({"", "", "", "", "", "", "", "  X"}) << Walls{QPoint(2, 7)};
        QTest::newRow("last line without line end") << (MapLines({}, "\r\n", 29) + "X") << Walls{QPoint(0, 29)};
        QTest::newRow("last line ends at 30th char, no line end")
            << (MapLines({}, "\r\n", 29) + x30) << rowOf(29, 0, 29);
        QTest::newRow("lone LF ends lines") << MapLines({"", "", "", "", "", "     X"}, "\n") << Walls{QPoint(5, 5)};
        QTest::newRow("lone CR ends lines") << MapLines({"", "", "", "", "", "     X"}, "\r") << Walls{QPoint(5, 5)};
        QTest::newRow("mixed line ends") << (QByteArray("X\r\n X\n  X\r") + MapLines({}, "\r\n", 27))
                                         << Walls{QPoint(0, 0), QPoint(1, 1), QPoint(2, 2)};
        QTest::newRow("bordered") << MapWithWalls({}, true) << [] {
            Walls w = rowOf(0, 0, 29) + rowOf(29, 0, 29);
            for (int y = 1; y < 29; ++y)
                w << QPoint(0, y) << QPoint(29, y);
            return w;
        }();
    }

    void fileContentGivesWalls()
    {
        const auto [bytes, walls] = Fetch<QByteArray, Walls>("bytes", "walls");
        fx.writeFile("map1.dat", bytes);
        scribbleOverMap();
        ModMain::LoadMap("map1.dat");
        for (int x = 0; x < ModMain::FieldSize; ++x) {
            for (int y = 0; y < ModMain::FieldSize; ++y) {
                const int expected = walls.contains(QPoint(x, y)) ? ModMain::Wall : ModMain::Empty;
                QVERIFY2(Map[x][y] == expected,
                         qPrintable(QStringLiteral("cell (%1, %2) is %3").arg(x).arg(y).arg(Map[x][y])));
            }
        }
    }

    // Loading rewrites the field only: not row/column 30, apples count, level or timer.
    void loadTouchesNothingButTheField()
    {
        fx.writeFile("map1.dat", MapWithWalls({}, true));
        scribbleOverMap();
        ModMain::ApplesLeft = 12;
        ModMain::Level = 4;
        ModMain::AppleTimer = 33.2;
        ModMain::LoadMap("map1.dat");
        for (int i = 0; i <= ModMain::FieldSize; ++i) {
            QCOMPARE(Map[ModMain::FieldSize][i], std::uint8_t((ModMain::FieldSize + i) % 2 ? 3 : 2));
            QCOMPARE(Map[i][ModMain::FieldSize], std::uint8_t((ModMain::FieldSize + i) % 2 ? 3 : 2));
        }
        QCOMPARE(ModMain::CountAppleCells(), 0);
        QCOMPARE(ModMain::ApplesLeft, platform::Int16{12});
        QCOMPARE(ModMain::Level, platform::Int16{4});
        QCOMPARE(ModMain::AppleTimer, 33.2);
    }

    // Names match in any letter case.
    void nameMatchesInAnyCase_data()
    {
        Columns<QString, QString>("onDisk", "asked");
        AddRow("Map1.dat finds map1.dat", "map1.dat", "Map1.dat");
        AddRow("map1.dat finds MAP1.DAT", "MAP1.DAT", "map1.dat");
        AddRow("Map10.dat finds map10.dat", "map10.dat", "Map10.dat");
    }

    void nameMatchesInAnyCase()
    {
        const auto [onDisk, asked] = Fetch<QString, QString>("onDisk", "asked");
        fx.writeFile(onDisk, MapLines({"X"}));
        QVERIFY(ModMain::MapFileExists(asked.toLower().toStdString()));
        ModMain::LoadMap(asked.toStdString());
        QCOMPARE(Map[0][0], std::uint8_t{ModMain::Wall});
    }

    // A missing file (or a folder of that name) is fatal, naming the file;
    // fewer than 30 lines is fatal after the rows before the gap are written.
    void unreadableFileIsFatal_data()
    {
        // onDisk: "file" (the bytes), "none" or "folder"
        // missingLine: counted from 1; 0: no file to read
        Columns<QString, QByteArray, int>("onDisk", "bytes", "missingLine");
        QTest::newRow("no file") << "none" << QByteArray() << 0;
        QTest::newRow("a folder named map1.dat") << "folder" << QByteArray() << 0;
        QTest::newRow("empty file") << "file" << QByteArray() << 1;
        QTest::newRow("10 lines") << "file" << MapLines(QList<QByteArray>(10, QByteArray(30, 'X')), "\r\n", 10) << 11;
        QTest::newRow("29 lines, last one ended") << "file" << MapLines(QList<QByteArray>(29, "X"), "\r\n", 29) << 30;
        QTest::newRow("29 lines, lone LF") << "file" << MapLines(QList<QByteArray>(29, "X"), "\n", 29) << 30;
    }

    void unreadableFileIsFatal()
    {
        const auto [onDisk, bytes, missingLine] = Fetch<QString, QByteArray, int>("onDisk", "bytes", "missingLine");
        if (onDisk == "folder")
            QVERIFY(QDir(fx.appDir()).mkdir("map1.dat"));
        else if (onDisk == "file")
            fx.writeFile("map1.dat", bytes);
        fx.writeFile("map2.dat", MapLines({}));
        QCOMPARE(ModMain::MapFileExists("map1.dat"), onDisk == "file");
        scribbleOverMap();
        try {
            ModMain::LoadMap("map1.dat");
            QFAIL("an unreadable map must be fatal");
        } catch (const FatalMessage& e) {
            const QString message = e.what();
            QVERIFY2(message.contains("map1.dat"), e.what());
            if (missingLine == 0) {
                QVERIFY2(message.contains("file not found"), e.what());
            } else {
                QVERIFY2(message.contains("input past end of file"), e.what());
                QVERIFY2(message.contains(QStringLiteral("line %1 ").arg(missingLine)), e.what());
            }
        }
        const int rowsRead = std::max(missingLine - 1, 0);
        for (int y = 0; y < ModMain::FieldSize; ++y) {
            for (int x = 0; x < ModMain::FieldSize; ++x) {
                if (y < rowsRead)
                    QVERIFY(Map[x][y] <= ModMain::Wall); // rewritten
                else
                    QCOMPARE(Map[x][y], std::uint8_t((x + y) % 2 ? 3 : 2)); // untouched
            }
        }
    }

  private:
    GameFixture fx;
};

QTEST_MAIN(TestMapFile)
#include "test_mapfile.moc"
