// The level maps shipped in data/: their bytes, and that each one can be played.
#include "platform/Fatal.h"
#include "platform/Files.h"
#include "rules/ModMain.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <array>
#include <map>
#include <stdexcept>

namespace {

constexpr int N = ModMain::FieldSize;
constexpr int MinLevels = 12;
constexpr int MinFreeSquares = 200;
constexpr std::array HumanColumns{10, 15, 20};
constexpr int HumanStartRow = 28;
constexpr int HumanUnfoldRows = 9; // a snake of 10 unfolds upwards from its start
constexpr int ComputerRow = 1;

const QString DataDir = QStringLiteral(SNAKE_SOURCE_DIR "/data");

// Level number -> file name, for every data/map*.dat that looks like a level.
std::map<int, QString> ShippedMaps(QStringList* misnamed = nullptr)
{
    static const QRegularExpression levelName(QStringLiteral("^map([1-9][0-9]*)\\.dat$"));
    std::map<int, QString> maps;
    const QStringList files = QDir(DataDir).entryList({QStringLiteral("map*.dat")}, QDir::Files);
    for (const QString& file : files) {
        const auto m = levelName.match(file);
        if (m.hasMatch())
            maps[m.captured(1).toInt()] = file;
        else if (misnamed)
            misnamed->append(file);
    }
    return maps;
}

void AddMapRows()
{
    QTest::addColumn<QString>("file");
    for (const auto& [level, file] : ShippedMaps())
        QTest::newRow(qPrintable(file)) << file;
}

bool IsWall(int x, int y)
{
    return x < 0 || y < 0 || x >= N || y >= N || ModMain::Map[x][y] != ModMain::Empty;
}

// The row's map, loaded through the game's own loader; a loader failure
// fails the test.
#define LOAD_ROW_MAP()                                                                                                 \
    QFETCH(QString, file);                                                                                             \
    try {                                                                                                              \
        ModMain::LoadMap(file.toStdString());                                                                          \
    } catch (const std::runtime_error& e) {                                                                            \
        QFAIL(qPrintable(file + ": the game cannot load it: " + e.what()));                                            \
    }

// "file: square (x, y) what", for the failure messages.
QString At(const QString& file, int x, int y, const QString& what)
{
    return QStringLiteral("%1: square (%2, %3) %4").arg(file).arg(x).arg(y).arg(what);
}

int CountFreeSquares()
{
    int free = 0;
    for (int x = 0; x < N; ++x)
        for (int y = 0; y < N; ++y)
            free += IsWall(x, y) ? 0 : 1;
    return free;
}

// Free squares reached from (x, y) by up/down/left/right steps, marking them seen.
int Fill(std::array<std::array<bool, N>, N>& seen, int x, int y)
{
    if (IsWall(x, y) || seen[x][y])
        return 0;
    seen[x][y] = true;
    return 1 + Fill(seen, x + 1, y) + Fill(seen, x - 1, y) + Fill(seen, x, y + 1) + Fill(seen, x, y - 1);
}

// Free squares reachable from the first free one.
int CountReachableSquares()
{
    std::array<std::array<bool, N>, N> seen{};
    for (int i = 0; i < N * N; ++i)
        if (!IsWall(i % N, i / N))
            return Fill(seen, i % N, i / N);
    return 0;
}

} // namespace

class TestShippedMaps : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        platform::SetAppPath(DataDir.toStdString());
        platform::SetFatalHandler([](const std::string& message) { throw std::runtime_error(message); });
    }

    void cleanupTestCase()
    {
        platform::SetFatalHandler(nullptr);
        platform::SetAppPath("");
    }

    // The game plays map1, map2, ... and stops at the first missing number.
    void levelsAreNumberedFromOneWithoutGap()
    {
        QStringList misnamed;
        const auto maps = ShippedMaps(&misnamed);
        QVERIFY2(misnamed.isEmpty(),
                 qPrintable("never played (want mapN.dat, N from 1, no leading zero): " + misnamed.join(", ")));
        int expected = 1;
        for (const auto& [level, file] : maps) {
            QVERIFY2(level == expected,
                     qPrintable(file + " is never played: map" + QString::number(expected) + ".dat is missing"));
            ++expected;
        }
        QVERIFY2(int(maps.size()) >= MinLevels,
                 qPrintable(QString("only %1 levels shipped, want at least %2").arg(maps.size()).arg(MinLevels)));
    }

    void fileIsThirtyCrLfLinesOfThirtyWallOrSpace_data() { AddMapRows(); }

    // 30 lines of exactly 30 characters, " " or "X", each ended by CR LF (optional
    // after the last); nothing after line 30.
    void fileIsThirtyCrLfLinesOfThirtyWallOrSpace()
    {
        QFETCH(QString, file);
        QFile f(DataDir + "/" + file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file + ": cannot open"));
        const QByteArray bytes = f.readAll();

        qsizetype at = 0;
        for (int line = 1; line <= N; ++line) {
            const QString where = QString("%1 line %2: ").arg(file).arg(line);
            QVERIFY2(at < bytes.size(), qPrintable(where + "missing; the file has fewer than 30 lines"));
            const qsizetype end = bytes.indexOf('\n', at);
            QByteArray text = bytes.mid(at, end < 0 ? -1 : end - at);
            if (end >= 0) {
                QVERIFY2(text.endsWith('\r'), qPrintable(where + "ends in LF without CR"));
                text.chop(1);
            } else {
                QVERIFY2(line == N, qPrintable(where + "missing; the file has fewer than 30 lines"));
            }
            QVERIFY2(!text.contains('\r'), qPrintable(where + "has a CR that does not end the line"));
            QVERIFY2(text.size() == N, qPrintable(where + QString("%1 characters, want 30").arg(text.size())));
            for (qsizetype x = 0; x < text.size(); ++x) {
                QVERIFY2(
                    text[x] == ' ' || text[x] == 'X',
                    qPrintable(where + QString("column %1 is byte %2, want ' ' or 'X'").arg(x).arg(quint8(text[x]))));
            }
            at = end < 0 ? bytes.size() : end + 1;
        }
        QVERIFY2(at == bytes.size(), qPrintable(file + ": data after line 30"));
    }

    void loaderSeesTheWallsOfTheFile_data() { AddMapRows(); }

    // The checks below look at the loaded grid; it must be the file's walls.
    void loaderSeesTheWallsOfTheFile()
    {
        QFETCH(QString, file);
        QFile f(DataDir + "/" + file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QVERIFY2(lines.size() >= N, qPrintable(file + ": fewer than 30 lines"));
        try {
            ModMain::LoadMap(file.toStdString());
        } catch (const std::runtime_error& e) {
            QFAIL(qPrintable(file + ": the game cannot load it: " + e.what()));
        }
        for (int y = 0; y < N; ++y) {
            for (int x = 0; x < N; ++x) {
                const bool wallInFile = x < lines[y].size() && lines[y][x] == 'X';
                QVERIFY2(wallInFile == IsWall(x, y),
                         qPrintable(At(file, x, y, IsWall(x, y) ? "loads as wall" : "loads as empty")));
            }
        }
    }

    void humanStartSquaresAndUnfoldRoomAreFree_data() { AddMapRows(); }

    // Human snakes start at (10|15|20, 28) heading up and unfold over rows 19..27.
    void humanStartSquaresAndUnfoldRoomAreFree()
    {
        LOAD_ROW_MAP();
        for (const int x : HumanColumns) {
            for (int y = HumanStartRow - HumanUnfoldRows; y <= HumanStartRow; ++y) {
                QVERIFY2(!IsWall(x, y), qPrintable(At(file, x, y, "is a wall in the start column of a human snake")));
            }
        }
    }

    void computerStartRowIsFree_data() { AddMapRows(); }

    // Computer snakes start anywhere on row 1 (columns 1..28), heading down.
    void computerStartRowIsFree()
    {
        LOAD_ROW_MAP();
        for (int x = 1; x <= N - 2; ++x) {
            QVERIFY2(!IsWall(x, ComputerRow),
                     qPrintable(At(file, x, ComputerRow, "is a wall on the computer snakes' start row")));
        }
    }

    void freeSquaresFormOneRegion_data() { AddMapRows(); }

    // Apples land on any free square: every one of them must be reachable.
    void freeSquaresFormOneRegion()
    {
        LOAD_ROW_MAP();
        const int free = CountFreeSquares();
        QVERIFY2(free > 0, qPrintable(file + ": no free square"));
        const int reached = CountReachableSquares();
        QVERIFY2(reached == free, qPrintable(QString("%1: the free squares fall apart; %2 of %3 are cut off")
                                                 .arg(file)
                                                 .arg(free - reached)
                                                 .arg(free)));
    }

    void levelHoldsALongSnake_data() { AddMapRows(); }

    // A batch of apples grows a snake from 10 to 60 squares; it needs room to live.
    void levelHoldsALongSnake()
    {
        LOAD_ROW_MAP();
        const int free = CountFreeSquares();
        QVERIFY2(free >= MinFreeSquares,
                 qPrintable(QString("%1: %2 free squares, want at least %3").arg(file).arg(free).arg(MinFreeSquares)));
    }

    void noSquareIsADeadEndPocket_data() { AddMapRows(); }

    // A square closed on three sides is a trap: a snake that goes in cannot turn.
    void noSquareIsADeadEndPocket()
    {
        LOAD_ROW_MAP();
        for (int x = 0; x < N; ++x) {
            for (int y = 0; y < N; ++y) {
                if (IsWall(x, y))
                    continue;
                const int closed = IsWall(x + 1, y) + IsWall(x - 1, y) + IsWall(x, y + 1) + IsWall(x, y - 1);
                QVERIFY2(closed < 3, qPrintable(At(file, x, y, "is a one-square dead end")));
            }
        }
    }
};

QTEST_MAIN(TestShippedMaps)
#include "test_shipped_maps.moc"
