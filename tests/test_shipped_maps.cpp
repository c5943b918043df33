// The level maps shipped in data/: their bytes, and that each one can be played.
#include "game/ModMain.h"
#include "platform/Fatal.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <array>
#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

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

// Loads through the game's own loader; a loader failure becomes a test failure.
bool Load(const QString& file, QString* error)
{
    try {
        ModMain::LoadMap(file.toStdString());
        return true;
    } catch (const std::runtime_error& e) {
        *error = file + ": the game cannot load it: " + QString::fromStdString(e.what());
        return false;
    }
}

#define LOAD_OR_FAIL(file)                                                                                             \
    do {                                                                                                               \
        QString loadError;                                                                                             \
        if (!Load(file, &loadError))                                                                                   \
            QFAIL(qPrintable(loadError));                                                                              \
    } while (false)

int CountFreeSquares()
{
    int free = 0;
    for (int x = 0; x < N; ++x)
        for (int y = 0; y < N; ++y)
            free += IsWall(x, y) ? 0 : 1;
    return free;
}

// Free squares reachable from the first free one by up/down/left/right steps.
int CountReachableSquares()
{
    std::array<std::array<bool, N>, N> seen{};
    std::vector<std::pair<int, int>> todo;
    for (int i = 0; i < N * N && todo.empty(); ++i) {
        if (!IsWall(i % N, i / N))
            todo.emplace_back(i % N, i / N);
    }
    for (const auto& [x, y] : todo)
        seen[x][y] = true;
    int reached = 0;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        ++reached;
        const std::array<std::pair<int, int>, 4> around{{{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}};
        for (const auto& [nx, ny] : around) {
            if (!IsWall(nx, ny) && !seen[nx][ny]) {
                seen[nx][ny] = true;
                todo.emplace_back(nx, ny);
            }
        }
    }
    return reached;
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
        LOAD_OR_FAIL(file);
        for (int y = 0; y < N; ++y) {
            for (int x = 0; x < N; ++x) {
                const bool wallInFile = x < lines[y].size() && lines[y][x] == 'X';
                QVERIFY2(wallInFile == IsWall(x, y), qPrintable(QString("%1: square (%2, %3) loads as %4")
                                                                    .arg(file)
                                                                    .arg(x)
                                                                    .arg(y)
                                                                    .arg(IsWall(x, y) ? "wall" : "empty")));
            }
        }
    }

    void humanStartSquaresAndUnfoldRoomAreFree_data() { AddMapRows(); }

    // Human snakes start at (10|15|20, 28) heading up and unfold over rows 19..27.
    void humanStartSquaresAndUnfoldRoomAreFree()
    {
        QFETCH(QString, file);
        LOAD_OR_FAIL(file);
        for (const int x : HumanColumns) {
            for (int y = HumanStartRow - HumanUnfoldRows; y <= HumanStartRow; ++y) {
                QVERIFY2(!IsWall(x, y), qPrintable(QString("%1: wall at (%2, %3) in the start column of a human snake "
                                                           "(squares (%2, 19..28) must be free)")
                                                       .arg(file)
                                                       .arg(x)
                                                       .arg(y)));
            }
        }
    }

    void computerStartRowIsFree_data() { AddMapRows(); }

    // Computer snakes start anywhere on row 1 (columns 1..28), heading down.
    void computerStartRowIsFree()
    {
        QFETCH(QString, file);
        LOAD_OR_FAIL(file);
        for (int x = 1; x <= N - 2; ++x) {
            QVERIFY2(!IsWall(x, ComputerRow),
                     qPrintable(QString("%1: wall at (%2, 1) on the computer snakes' start row").arg(file).arg(x)));
        }
    }

    void freeSquaresFormOneRegion_data() { AddMapRows(); }

    // Apples land on any free square: every one of them must be reachable.
    void freeSquaresFormOneRegion()
    {
        QFETCH(QString, file);
        LOAD_OR_FAIL(file);
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
        QFETCH(QString, file);
        LOAD_OR_FAIL(file);
        const int free = CountFreeSquares();
        QVERIFY2(free >= MinFreeSquares,
                 qPrintable(QString("%1: %2 free squares, want at least %3").arg(file).arg(free).arg(MinFreeSquares)));
    }

    void noSquareIsADeadEndPocket_data() { AddMapRows(); }

    // A square closed on three sides is a trap: a snake that goes in cannot turn.
    void noSquareIsADeadEndPocket()
    {
        QFETCH(QString, file);
        LOAD_OR_FAIL(file);
        for (int x = 0; x < N; ++x) {
            for (int y = 0; y < N; ++y) {
                if (IsWall(x, y))
                    continue;
                const int closed = IsWall(x + 1, y) + IsWall(x - 1, y) + IsWall(x, y + 1) + IsWall(x, y - 1);
                QVERIFY2(closed < 3,
                         qPrintable(QString("%1: square (%2, %3) is a one-square dead end").arg(file).arg(x).arg(y)));
            }
        }
    }
};

QTEST_MAIN(TestShippedMaps)
#include "test_shipped_maps.moc"
