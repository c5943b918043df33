// The installed game: `cmake --install` lays out a self-contained game folder
// as Debian places games, with a launcher symlink, a desktop entry, icons,
// software-centre metadata and a man page. The launcher finds the maps beside
// the real executable, wherever it is started from, and an ordinary user of
// the read-only install keeps top scores in their own data folder.
#include "scores/ScoreFile.h"
#include "support/DataRows.h"
#include "support/FileBytes.h"
#include "support/MapFiles.h"
#include "support/Processes.h"
#include "support/ScoreFiles.h"
#include "support/TableColumns.h"
#include "support/X11Session.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// The build tree the tests belong to: the one holding the game folder.
QString BuildDir()
{
    return QFileInfo(QStringLiteral(SNAKE_GAME_DIR)).absolutePath();
}

// stdout and stderr together, a minute at most; without DESTDIR, so that an
// install lands exactly under the prefix.
ProgramRun Run(const QString& program, const QStringList& args,
               QProcessEnvironment env = QProcessEnvironment::systemEnvironment())
{
    env.remove(QStringLiteral("DESTDIR"));
    return RunProgram(program, args, env, 60000, ProgramOutput::WithErrors);
}

QStringList FileNames(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// What a symbolic link says, as written: relative links survive DESTDIR.
QString LinkText(const QString& path)
{
    const QByteArray raw = QFile::encodeName(path);
    char target[4096] = {};
    const ssize_t n = ::readlink(raw.constData(), target, sizeof target - 1);
    return n > 0 ? QString::fromLocal8Bit(target, n) : QString();
}

// Every file of a folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> FilesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files[name] = ReadFileBytes(folder + QLatin1Char('/') + name);
    return files;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
        if (cmake.isEmpty())
            QSKIP("cmake is not on the PATH");
        QVERIFY(Prefix.isValid());
        const ProgramRun install = Run(cmake, {"--install", BuildDir(), "--prefix", Prefix.path()});
        QVERIFY2(install.ok, qPrintable(install.output));
        GameDir = Prefix.filePath(QStringLiteral("lib/games/snake-game"));
        // The tests that change the tree work on a copy, so the real one stays whole.
        QVERIFY(Copy.isValid());
        const ProgramRun cp = Run(QStringLiteral("cp"), {"-a", Prefix.path() + QStringLiteral("/."), Copy.path()});
        QVERIFY2(cp.ok, qPrintable(cp.output));
    }

    // The game folder holds the executable, and every shipped map and every
    // sound byte for byte as in the source tree: links into share/games, where
    // the data that is the same on every architecture lives.
    void installLaysOutTheGameFolder()
    {
        QVERIFY(QFileInfo(GameDir + QStringLiteral("/snake")).isExecutable());
        const QString data = QStringLiteral(SNAKE_SOURCE_DIR "/data");
        const QStringList maps = FileNames(data, QStringLiteral("map*.dat"));
        QVERIFY(maps.contains(QStringLiteral("map1.dat")));
        QCOMPARE(FileNames(GameDir, QStringLiteral("map*.dat")), maps);
        const QStringList sounds = FileNames(data + QStringLiteral("/sounds"), QStringLiteral("*.wav"));
        QCOMPARE(sounds, (QStringList{"apple.wav", "die.wav", "gameover.wav", "level.wav", "newgame.wav"}));
        QCOMPARE(FileNames(GameDir + QStringLiteral("/sounds"), QStringLiteral("*.wav")), sounds);
        QStringList shipped = maps;
        for (const QString& sound : sounds)
            shipped.append(QStringLiteral("sounds/") + sound);
        const QString shared = Prefix.filePath(QStringLiteral("share/games/snake-game"));
        for (const QString& name : shipped) {
            const QFileInfo beside(GameDir + QLatin1Char('/') + name);
            QVERIFY2(beside.isSymLink(), qPrintable(name));
            QVERIFY2(LinkText(beside.filePath()).startsWith(QStringLiteral("../")), qPrintable(name));
            QCOMPARE(beside.canonicalFilePath(), QFileInfo(shared + QLatin1Char('/') + name).canonicalFilePath());
            QCOMPARE(ReadFileBytes(beside.filePath()), ReadFileBytes(data + QLatin1Char('/') + name));
        }
        // Scores are made by the game at its first game over, not shipped.
        QVERIFY(!QFileInfo::exists(GameDir + QStringLiteral("/scores.dat")));
    }

    // games/snake-game points into the game folder by a relative path, so the
    // installed tree can be moved (DESTDIR packaging) and still work.
    void launcherIsARelativeSymlinkToTheGame()
    {
        const QFileInfo launcher(Prefix.filePath(QStringLiteral("games/snake-game")));
        QVERIFY(launcher.isSymLink());
        QCOMPARE(launcher.canonicalFilePath(), QFileInfo(GameDir + QStringLiteral("/snake")).canonicalFilePath());
        const QByteArray raw = QFile::encodeName(launcher.filePath());
        char target[4096] = {};
        const ssize_t n = ::readlink(raw.constData(), target, sizeof target - 1);
        QVERIFY(n > 0);
        QCOMPARE(QString::fromLocal8Bit(target, n), QStringLiteral("../lib/games/snake-game/snake"));
    }

    // The desktop entry passes desktop-file-validate and names the launcher (by
    // its full path: games/ is not on every PATH) and the icons that are
    // installed, 64 pixels and larger.
    void desktopEntryAndIconAreValid()
    {
        const QString entry = Prefix.filePath(QStringLiteral("share/applications/snake-game.desktop"));
        QVERIFY(QFileInfo::exists(entry));
        const QString text = QString::fromUtf8(ReadFileBytes(entry));
        QVERIFY2(text.contains(QStringLiteral("\nExec=%1/games/snake-game\n").arg(Prefix.path())), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("\nIcon=snake-game\n")));
        for (const int size : {64, 128, 256}) {
            const QImage icon(
                Prefix.filePath(QStringLiteral("share/icons/hicolor/%1x%1/apps/snake-game.png").arg(size)));
            QVERIFY(!icon.isNull());
            QCOMPARE(icon.size(), QSize(size, size));
            QVERIFY(icon.hasAlphaChannel());
        }

        const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validate.isEmpty())
            QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
        const ProgramRun check = Run(validate, {entry});
        QVERIFY2(check.ok, qPrintable(check.output));
        QVERIFY2(check.output.trimmed().isEmpty(), qPrintable(check.output));
    }

    // The software-centre metadata passes appstreamcli and speaks of the
    // launcher and desktop entry that are installed; the man page is there,
    // compressed as Debian wants. (The package documents are debian/'s.)
    void metainfoAndManPageAreInstalled()
    {
        const QString metainfo =
            Prefix.filePath(QStringLiteral("share/metainfo/io.github.snake_game.snake.metainfo.xml"));
        const QString text = QString::fromUtf8(ReadFileBytes(metainfo));
        QVERIFY(text.contains(QStringLiteral("<id>io.github.snake_game.snake</id>")));
        QVERIFY(text.contains(QStringLiteral("<binary>snake-game</binary>")));
        QVERIFY(text.contains(QStringLiteral("<launchable type=\"desktop-id\">snake-game.desktop</launchable>")));
        QVERIFY(text.contains(QStringLiteral("<content_rating type=\"oars-1.1\"")));
        const QString manPage = Prefix.filePath(QStringLiteral("share/man/man6/snake-game.6.gz"));
        const ProgramRun man = Run(QStringLiteral("gzip"), {"-dc", manPage});
        QVERIFY2(man.ok && man.output.startsWith(QStringLiteral(".TH SNAKE-GAME 6")), qPrintable(man.output));
        QVERIFY(man.output.contains(QStringLiteral(".local/share/snake-game/scores.dat")));

        const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (appstream.isEmpty())
            QSKIP("appstreamcli is not installed (appstream)");
        const ProgramRun check = Run(appstream, {"validate", "--no-net", "--pedantic", metainfo});
        QVERIFY2(check.ok, qPrintable(check.output));
    }

    void helpAndVersionNeedNoWindow_data()
    {
        Columns<QString, QString, int, QString>("option", "display", "status", "printed");
        AddRow("--help", "--help", "", 0, "snake-game [options]");
        AddRow("-h", "-h", "", 0, "-v, --version");
        AddRow("--help-all", "--help-all", "", 0, "--platform <platformName");
        AddRow("--version", "--version", "", 0, "snake-game 1.0\n");
        AddRow("-v", "-v", "", 0, "snake-game 1.0\n");
        AddRow("no display", "", "", 1, "snake: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        AddRow("Qt's -reverse, not -r -e -v", "-reverse", "", 1,
               "snake: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        AddRow("a stale DISPLAY", "", ":1999", 1, "snake: the display \":1999\" cannot be opened\n");
    }

    // With no display at all (a window would fail at once), --help and
    // --version print to stdout and end successfully; the game itself says in
    // one line what is missing and ends with status 1, where Qt would abort.
    void helpAndVersionNeedNoWindow()
    {
        const auto [option, display, status, printed] =
            Fetch<QString, QString, int, QString>("option", "display", "status", "printed");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (!display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), display);
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const ProgramRun run = Run(Prefix.filePath(QStringLiteral("games/snake-game")),
                                   option.isEmpty() ? QStringList() : QStringList{option}, env);
        QCOMPARE(run.status, status);
        QVERIFY2(status == 0 ? run.output.contains(printed) : run.output == printed, qPrintable(run.output));
    }

    // Started through the symlink, the game looks for its files beside the real
    // executable: without map1.dat there, New Game names that very path.
    void launcherFindsTheMapsBesideTheRealExecutable()
    {
        const QString missing = MissingX11Tools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        X11Session x;
        QVERIFY(x.ready());
        const QString gameDir = QFileInfo(Copy.filePath(QStringLiteral("lib/games/snake-game"))).canonicalFilePath();
        QVERIFY(QFile::remove(gameDir + QStringLiteral("/map1.dat")));

        GameProcess game(x, Copy.filePath(QStringLiteral("games/snake-game")));
        QVERIFY2(game.start(), "the installed game did not come up");
        QVERIFY(x.key(QStringLiteral("F2")));
        const QString expected = QStringLiteral("\"%1/map1.dat\": file not found.").arg(gameDir);
        QVERIFY2(game.waitForStandardError(expected, SlowStepMs), qPrintable(game.standardError()));
        QCOMPARE(x.answerBox(QStringLiteral("Snake Game")), QString());
        QVERIFY(game.waitForExit(ExitMs));
        QVERIFY(!game.crashed());
    }

    // The intact installed game, started through the launcher with games/ as its
    // working folder, plays a game and ends normally on Exit.
    void launcherPlaysAGameAndExitsCleanly()
    {
        const QString missing = MissingX11Tools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        X11Session x;
        QVERIFY(x.ready());
        GameProcess game(x, Prefix.filePath(QStringLiteral("games/snake-game")));
        QVERIFY2(game.start(), "the installed game did not come up");
        QVERIFY(x.key(QStringLiteral("F2")));
        QVERIFY2(game.waitForGameLoop(), "the game did not start");
        QVERIFY2(game.running(), qPrintable(game.standardError()));
        QVERIFY2(!game.standardError().contains(QStringLiteral("snake:")), qPrintable(game.standardError()));
        QCOMPARE(game.quit(), QString());
    }

    // The installed tree, read-only to an ordinary user, with a shipped table
    // as the seed. Two games to "Game Over": no box about the score file at any
    // point; the first top score lands in the player's data folder; the second
    // run starts from that copy (the first name is still there, below the new
    // one, and the seed's best is third); the game folder never changes.
    void readOnlyInstallKeepsScoresForEachUser()
    {
        const QString missing = MissingX11Tools();
        if (!missing.isEmpty())
            QSKIP(qPrintable(missing));
        const auto wrapper = OrdinaryUserWrapper();
        if (!wrapper)
            QSKIP("running as root without the user nobody or setpriv to drop privileges");
        X11Session x;
        QVERIFY(x.ready());
        const QString gameDir = Copy.filePath(QStringLiteral("lib/games/snake-game"));
        // A first level that ends a life at every step, and a shipped table that
        // any score beats.
        QVERIFY(WriteFileBytes(gameDir + QStringLiteral("/map1.dat"), MapFileBytes(WallAboveStartMap())));
        QVERIFY(WriteFileBytes(gameDir + QStringLiteral("/scores.dat"), NegativeTable()));
        // Read-only for everyone but root, which the game does not run as.
        const ProgramRun lock = Run(QStringLiteral("chmod"), {"-R", "a+rX,a-w", Copy.path()});
        QVERIFY2(lock.ok, qPrintable(lock.output));
        const auto unlock = qScopeGuard([&] { Run(QStringLiteral("chmod"), {"-R", "u+w", Copy.path()}); });
        const QMap<QString, QByteArray> before = FilesIn(gameDir);

        const QStringList names{"First", "Second"};
        for (const QString& name : names) {
            GameProcess game(x, Copy.filePath(QStringLiteral("games/snake-game")), *wrapper);
            QVERIFY2(game.start(), "the installed game did not come up");
            QVERIFY(x.key(QStringLiteral("F2")));
            QCOMPARE(game.enterTopScore(name), QString());
            QVERIFY2(x.waitForWindow(QStringLiteral("Hall of Fame!")), "no Hall of Fame after the top score");
            QVERIFY(!x.hasWindow(QStringLiteral("High Scores")));
            QCOMPARE(game.quit(), QString());
        }

        const ModHigh::ScoreTable kept = ModHigh::DecodeScoreFile(ReadFileBytes(x.userScoreFile()));
        QCOMPARE(kept[0].Name, std::string("Second"));
        QCOMPARE(kept[1].Name, std::string("First"));
        QCOMPARE(kept[2].Name, std::string("Loser 0"));
        QCOMPARE(FilesIn(gameDir), before);
    }

  private:
    QTemporaryDir Prefix;
    QString GameDir;
    QTemporaryDir Copy;
};

QTEST_MAIN(TestInstall)
#include "test_install.moc"
