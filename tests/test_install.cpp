// The installed game: `cmake --install` lays out a self-contained game folder
// with a launcher symlink, a desktop entry and an icon, and the launcher
// finds the maps beside the real executable, wherever it is started from.
#include "support/X11Session.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

// The build tree the tests belong to: the one holding the game folder.
QString BuildDir() { return QFileInfo(QStringLiteral(SNAKE_GAME_DIR)).absolutePath(); }

struct Run {
    bool ok = false;
    QString output; // stdout and stderr together
};

Run RunProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DESTDIR")); // install exactly under the prefix
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(60000);
    if (!finished)
        p.kill();
    p.waitForFinished(1000);
    const QString output = QString::fromLocal8Bit(p.readAll());
    return {finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, output};
}

QStringList FileNames(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installLaysOutTheGameFolder();
    void launcherIsARelativeSymlinkToTheGame();
    void desktopEntryAndIconAreValid();
    void launcherFindsTheMapsBesideTheRealExecutable();
    void launcherPlaysAGameAndExitsCleanly();

private:
    QTemporaryDir Prefix;
    QString GameDir;
};

void TestInstall::initTestCase()
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    if (cmake.isEmpty())
        QSKIP("cmake is not on the PATH");
    QVERIFY(Prefix.isValid());
    const Run install = RunProgram(cmake, {"--install", BuildDir(), "--prefix", Prefix.path()});
    QVERIFY2(install.ok, qPrintable(install.output));
    GameDir = Prefix.filePath(QStringLiteral("lib/snake-game"));
}

// The game folder holds the executable, every shipped map and every sound,
// byte for byte as in the source tree.
void TestInstall::installLaysOutTheGameFolder()
{
    QVERIFY(QFileInfo(GameDir + QStringLiteral("/snake")).isExecutable());
    const QString data = QStringLiteral(SNAKE_SOURCE_DIR "/data");
    const QStringList maps = FileNames(data, QStringLiteral("map*.dat"));
    QVERIFY(maps.contains(QStringLiteral("map1.dat")));
    QCOMPARE(FileNames(GameDir, QStringLiteral("map*.dat")), maps);
    const QStringList sounds = FileNames(data + QStringLiteral("/sounds"), QStringLiteral("*.wav"));
    QCOMPARE(sounds, (QStringList{"apple.wav", "die.wav", "gameover.wav", "level.wav", "newgame.wav"}));
    QCOMPARE(FileNames(GameDir + QStringLiteral("/sounds"), QStringLiteral("*.wav")), sounds);
    for (const QString& map : maps)
        QCOMPARE(Bytes(GameDir + QLatin1Char('/') + map), Bytes(data + QLatin1Char('/') + map));
    for (const QString& sound : sounds)
        QCOMPARE(Bytes(GameDir + QStringLiteral("/sounds/") + sound), Bytes(data + QStringLiteral("/sounds/") + sound));
    // Scores are made by the game at its first game over, not shipped.
    QVERIFY(!QFileInfo::exists(GameDir + QStringLiteral("/scores.dat")));
}

// bin/snake-game points into the game folder by a relative path, so the
// installed tree can be moved (DESTDIR packaging) and still work.
void TestInstall::launcherIsARelativeSymlinkToTheGame()
{
    const QFileInfo launcher(Prefix.filePath(QStringLiteral("bin/snake-game")));
    QVERIFY(launcher.isSymLink());
    QCOMPARE(launcher.canonicalFilePath(), QFileInfo(GameDir + QStringLiteral("/snake")).canonicalFilePath());
    const QByteArray raw = QFile::encodeName(launcher.filePath());
    char target[4096] = {};
    const ssize_t n = ::readlink(raw.constData(), target, sizeof target - 1);
    QVERIFY(n > 0);
    QCOMPARE(QString::fromLocal8Bit(target, n), QStringLiteral("../lib/snake-game/snake"));
}

// The desktop entry passes desktop-file-validate and names the launcher and
// the icon that are installed.
void TestInstall::desktopEntryAndIconAreValid()
{
    const QString entry = Prefix.filePath(QStringLiteral("share/applications/snake-game.desktop"));
    QVERIFY(QFileInfo::exists(entry));
    const QString text = QString::fromUtf8(Bytes(entry));
    QVERIFY(text.contains(QStringLiteral("\nExec=snake-game")));
    QVERIFY(text.contains(QStringLiteral("\nIcon=snake-game\n")));
    const QImage icon(Prefix.filePath(QStringLiteral("share/icons/hicolor/64x64/apps/snake-game.png")));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(64, 64));

    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validate.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    const Run check = RunProgram(validate, {entry});
    QVERIFY2(check.ok, qPrintable(check.output));
    QVERIFY2(check.output.trimmed().isEmpty(), qPrintable(check.output));
}

// Started through the symlink, the game looks for its files beside the real
// executable: without map1.dat there, New Game names that very path.
void TestInstall::launcherFindsTheMapsBesideTheRealExecutable()
{
    const QString missing = MissingX11Tools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    X11Session x;
    QVERIFY(x.ready());
    QTemporaryDir copy;
    QVERIFY(copy.isValid());
    // A copy of the installed tree, so the real one stays whole.
    const Run cp = RunProgram(QStringLiteral("cp"), {"-a", Prefix.path() + QStringLiteral("/."), copy.path()});
    QVERIFY2(cp.ok, qPrintable(cp.output));
    const QString gameDir = QFileInfo(copy.filePath(QStringLiteral("lib/snake-game"))).canonicalFilePath();
    QVERIFY(QFile::remove(gameDir + QStringLiteral("/map1.dat")));

    GameProcess game(x, copy.filePath(QStringLiteral("bin/snake-game")));
    QVERIFY2(game.start(), "the installed game did not come up");
    QVERIFY(x.key(QStringLiteral("F2")));
    const QString expected = QStringLiteral("\"%1/map1.dat\": file not found.").arg(gameDir);
    QVERIFY2(game.waitForStandardError(expected, 5000), qPrintable(game.standardError()));
    const auto box = x.waitForWindow(QStringLiteral("Snake Game"), 5000);
    QVERIFY(box);
    QVERIFY(x.focus(*box));
    QVERIFY(x.key(QStringLiteral("Return")));
    QVERIFY(game.waitForExit(5000));
    QVERIFY(!game.crashed());
}

// The intact installed game, started through the launcher with bin/ as its
// working folder, plays a game and ends normally on Exit.
void TestInstall::launcherPlaysAGameAndExitsCleanly()
{
    const QString missing = MissingX11Tools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    X11Session x;
    QVERIFY(x.ready());
    GameProcess game(x, Prefix.filePath(QStringLiteral("bin/snake-game")));
    QVERIFY2(game.start(), "the installed game did not come up");
    QVERIFY(x.key(QStringLiteral("F2")));
    QTest::qWait(1500);
    QVERIFY2(game.running(), qPrintable(game.standardError()));
    QVERIFY2(!game.standardError().contains(QStringLiteral("snake:")), qPrintable(game.standardError()));
    QVERIFY(game.focusMain());
    QVERIFY(x.key(QStringLiteral("ctrl+q")));
    QVERIFY(game.waitForExit(5000));
    QVERIFY(!game.crashed());
    QCOMPARE(game.exitCode(), 0);
}

QTEST_MAIN(TestInstall)
#include "test_install.moc"
