// Broken game folders given to the real executable: a missing or short level
// map, a folder the game may not write, junk sound files and a damaged score
// file. Each gets a clear message or the documented silent default, and the
// program never crashes.
#include "scores/ScoreFile.h"
#include "support/ChildProcess.h"
#include "support/DataRows.h"
#include "support/MapFiles.h"
#include "support/ScoreFiles.h"
#include "support/X11Session.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int ExitTimeoutMs = ExitMs;

QByteArray Junk(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& b : bytes)
        b = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        const QString why = StartX11(X);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
    }

    void cleanupTestCase() { X.reset(); }

    void unreadableFirstMapEndsWithAClearMessage_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        AddRow("no map1.dat", "missing", "map1.dat\": file not found.");
        AddRow("map1.dat of 10 lines", "10 lines", "map1.dat\": input past end of file (line 11 of 30");
        AddRow("empty map1.dat", "empty", "map1.dat\": input past end of file (line 1 of 30");
        AddRow("map1.dat is a folder", "folder", "map1.dat\": file not found.");
    }

    // A first map that cannot be read stops the program at New Game: the message
    // names the file and the failure (on stderr and in a box), and once the box
    // is answered the program ends with a failure status, not a crash.
    void unreadableFirstMapEndsWithAClearMessage()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.ready());
        QVERIFY(folder.remove(QStringLiteral("map1.dat")));
        if (fault == QLatin1String("10 lines"))
            QVERIFY(folder.write(QStringLiteral("map1.dat"), MapFileBytes({}, 10)));
        else if (fault == QLatin1String("empty"))
            QVERIFY(folder.write(QStringLiteral("map1.dat"), {}));
        else if (fault == QLatin1String("folder"))
            QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("map1.dat")));

        GameProcess game(*X, folder.executable());
        QVERIFY2(game.start(), "the game window did not come up");
        QVERIFY(X->key(QStringLiteral("F2")));
        const auto box = X->waitForWindow(QStringLiteral("Snake Game"));
        QVERIFY2(box, "no error box");
        QVERIFY2(game.waitForStandardError(message, 2000), qPrintable(game.standardError()));
        const QString errors = game.standardError();
        QVERIFY2(
            errors.contains(QStringLiteral("snake: Cannot load the level map \"") + folder.path() + QLatin1Char('/')),
            qPrintable(errors));

        QVERIFY(X->focus(*box));
        QVERIFY(X->key(QStringLiteral("Return")));
        QVERIFY2(game.waitForExit(ExitTimeoutMs), "the game went on after the fatal error");
        QVERIFY(!game.crashed());
        QVERIFY(game.exitCode() != 0);
    }

    void readOnlyFolderTakesATopScoreWhereItCan_data()
    {
        QTest::addColumn<bool>("fileWritable");
        QTest::newRow("read-only scores.dat, no data folder: reported, unchanged") << false;
        QTest::newRow("writable scores.dat: written in place") << true;
    }

    // A game folder the player may not write. A writable scores.dat in it (an
    // administrator's shared table) takes the top score in place, keeping its
    // owner and mode, without a word. A read-only one, with no data folder of
    // the player's own to be made, cannot keep it: the top score is still asked
    // for and shown, the failed save is reported, and scores.dat keeps its bytes.
    void readOnlyFolderTakesATopScoreWhereItCan()
    {
        QFETCH(bool, fileWritable);
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.ready());
        QVERIFY(folder.removeMaps());
        QVERIFY(folder.writeMap(QStringLiteral("map1.dat"), WallAboveStartMap()));
        const QByteArray table = NegativeTable() + QByteArray("kept beyond the table");
        QVERIFY(folder.write(QStringLiteral("scores.dat"), table));

        // Root writes anywhere; the game runs as a user whose own folder and
        // file these are, so only the missing write bits stop it.
        const auto wrapper = OrdinaryUserWrapper();
        if (!wrapper)
            QSKIP("running as root without the user nobody or setpriv to drop privileges");
        if (RunningAsRoot())
            QVERIFY(GiveTo(*::getpwnam("nobody"), folder.path()));
        const QString scores = folder.file(QStringLiteral("scores.dat"));
        QVERIFY(::chmod(QFile::encodeName(scores).constData(), fileWritable ? 0664 : 0444) == 0);
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                         QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                         QFileDevice::ReadOther | QFileDevice::ExeOther));
        // Writable again on the way out, however the test ends, so that the
        // temporary folder can be removed.
        const std::unique_ptr<const GameFolder, void (*)(const GameFolder*)> restore(&folder, [](const GameFolder* f) {
            QFile::setPermissions(f->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        const QStringList entriesBefore = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
        struct stat before {};
        QVERIFY(::stat(QFile::encodeName(scores).constData(), &before) == 0);

        GameProcess game(*X, folder.executable(), *wrapper);
        // A data folder below an ordinary file can never be made.
        game.setEnvironment(QStringLiteral("XDG_DATA_HOME"),
                            folder.file(QStringLiteral("map1.dat")) + QStringLiteral("/data"));
        QVERIFY2(game.start(), "the game window did not come up");
        QVERIFY(X->key(QStringLiteral("F2")));
        // Five lives of about a second each, then two seconds of "Game Over".
        QCOMPARE(game.enterTopScore(QStringLiteral("Reader")), QString());
        // The failed save is reported.
        if (!fileWritable)
            QCOMPARE(X->answerBox(QStringLiteral("High Scores")), QString());
        // The entry is shown either way.
        QVERIFY2(X->waitForWindow(QStringLiteral("Hall of Fame!")), "no Hall of Fame after the top score");
        QVERIFY(!X->hasWindow(QStringLiteral("High Scores")));

        const QByteArray after = folder.read(QStringLiteral("scores.dat"));
        if (fileWritable) {
            const ModHigh::ScoreTable saved = ModHigh::DecodeScoreFile(after);
            QCOMPARE(saved[0].Name, std::string("Reader"));
            QCOMPARE(saved[1].Name, std::string("Loser 0"));
            QVERIFY(after.endsWith("kept beyond the table"));
        } else {
            QCOMPARE(after, table);
        }
        struct stat now {};
        QVERIFY(::stat(QFile::encodeName(scores).constData(), &now) == 0);
        QCOMPARE(now.st_ino, before.st_ino);
        QCOMPARE(now.st_uid, before.st_uid);
        QCOMPARE(now.st_gid, before.st_gid);
        QCOMPARE(now.st_mode, before.st_mode);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), entriesBefore);
        QCOMPARE(game.quit(), QString());
    }

    // Sound files that are not sounds (random bytes, a header that lies, an
    // empty file, a folder) are skipped: the game plays, eats, completes both
    // levels and ends in "Game Over" with every effect asked for, and the
    // program ends normally.
    void junkSoundFilesAreSkippedSilently()
    {
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.ready());
        QVERIFY(folder.removeMaps());
        QVERIFY(folder.writeMap(QStringLiteral("map1.dat"), ThreeAppleMap()));
        QVERIFY(folder.writeMap(QStringLiteral("map2.dat"), ThreeAppleMap()));
        QVERIFY(folder.write(QStringLiteral("sounds/apple.wav"), Junk(4096, 1)));
        const QByteArray lying = QByteArrayLiteral("RIFF\xff\xff\xff\x7fWAVEfmt \x10\0\0\0\x01\0\x02\0");
        QVERIFY(folder.write(QStringLiteral("sounds/die.wav"), lying + Junk(64, 2)));
        QVERIFY(folder.write(QStringLiteral("sounds/level.wav"), {}));
        QVERIFY(folder.remove(QStringLiteral("sounds/gameover.wav")));
        QVERIFY(QDir(folder.file(QStringLiteral("sounds"))).mkdir(QStringLiteral("gameover.wav")));
        QVERIFY(folder.write(QStringLiteral("sounds/newgame.wav"),
                             QByteArrayLiteral("RIFF\x24\0\0\0WAVEdata") + Junk(600, 3)));
        folder.remove(QStringLiteral("scores.dat")); // so that the game ends in a top score

        GameProcess game(*X, folder.executable());
        QVERIFY2(game.start(), "the game window did not come up");
        QVERIFY(X->key(QStringLiteral("F2")));
        // New game, three apples, level 1 completed, level 2, completed too:
        // the last level. Then "Game Over" and the top-score prompt, cancelled.
        QCOMPARE(X->answerBox(QStringLiteral("Congratulations!")), QString());
        const auto prompt = X->waitForWindow(QStringLiteral("Congratulations, you have a top score!"));
        QVERIFY2(prompt, qPrintable(game.standardError()));
        QVERIFY(X->focus(*prompt) && X->key(QStringLiteral("Escape")));
        QVERIFY(GameProcess::waitUntil(
            [&] { return !X->hasWindow(QStringLiteral("Congratulations, you have a top score!")); }, SlowStepMs));
        QVERIFY2(game.running(), qPrintable(game.standardError()));
        QCOMPARE(game.quit(), QString());
    }

    void damagedScoreFileStillOpensTheHallOfFame_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("reported");
        QTest::newRow("random bytes") << "random" << false;
        QTest::newRow("a few bytes") << "short" << false;
        QTest::newRow("a folder") << "folder" << true;
    }

    // High Scores with a damaged scores.dat: bytes of any kind read as some
    // table without a word; a folder in its place is reported. Either way the
    // Hall of Fame opens and the game goes on.
    void damagedScoreFileStillOpensTheHallOfFame()
    {
        QFETCH(QString, damage);
        QFETCH(bool, reported);
        GameFolder folder(QStringLiteral(SNAKE_GAME_DIR));
        QVERIFY(folder.ready());
        folder.remove(QStringLiteral("scores.dat"));
        if (damage == QLatin1String("random"))
            QVERIFY(folder.write(QStringLiteral("scores.dat"), Junk(2560 + 77, 4)));
        else if (damage == QLatin1String("short"))
            QVERIFY(folder.write(QStringLiteral("scores.dat"), "\x7f\xff\x05"));
        else
            QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("scores.dat")));
        const QByteArray before = folder.read(QStringLiteral("scores.dat"));

        GameProcess game(*X, folder.executable());
        QVERIFY2(game.start(), "the game window did not come up");
        // The Game menu by mouse, then its fourth item, High Scores.
        // The game takes the keys after the click that opened the menu.
        QVERIFY(X->xdotool({"mousemove", "--window", game.windowId(), "20", "10", "click", "1"}));
        QVERIFY(X->key(QStringLiteral("Down Down Down Down Return")));
        if (reported)
            QCOMPARE(X->answerBox(QStringLiteral("High Scores")), QString());
        QVERIFY2(X->waitForWindow(QStringLiteral("Hall of Fame!")), "no Hall of Fame");
        QVERIFY(!X->hasWindow(QStringLiteral("High Scores")) || reported);
        QCOMPARE(folder.read(QStringLiteral("scores.dat")), before);

        QCOMPARE(game.quit(), QString());
    }

  private:
    std::unique_ptr<X11Session> X;
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
