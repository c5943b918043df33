// Ending the program: Exit and closing the window end it at once with
// status 0, also in the middle of a game.
#include "support/WindowFixture.h"

#include "game/ModMain.h"
#include "platform/Process.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <optional>

namespace {

// Thrown by the test's ending so the test regains control where the real
// program would have stopped.
struct ProgramEnded {
    int status;
};

struct EndSnapshot {
    int status = -1;
    bool gameRunning = true;
    int frames = -1;
};

// Replaces the real ending while alive.
class CatchEnd {
public:
    explicit CatchEnd(WindowFixture& f)
    {
        platform::SetEndProgramHandler([this, &f](int status) {
            seen = EndSnapshot{status, ModMain::GameRunning, f.frames()};
            throw ProgramEnded{status};
        });
    }
    ~CatchEnd() { platform::SetEndProgramHandler(nullptr); }
    CatchEnd(const CatchEnd&) = delete;
    CatchEnd& operator=(const CatchEnd&) = delete;

    std::optional<EndSnapshot> seen;
};

// Runs a helper program to its end; its standard output, or nothing on failure.
std::optional<QString> Run(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(15000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(1000);
        return std::nullopt;
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// An X server of its own on a free display, gone with this object.
class XServer {
public:
    XServer()
    {
        // -displayfd picks a free display and writes its number to stdout.
        server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        QString number;
        while (number.isEmpty() && server.waitForReadyRead(10000))
            number = QString::fromLatin1(server.readAllStandardOutput()).trimmed();
        if (!number.isEmpty())
            display = QLatin1Char(':') + number;
    }
    ~XServer()
    {
        server.terminate();
        if (!server.waitForFinished(3000)) {
            server.kill();
            server.waitForFinished(1000);
        }
    }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    QString display; // empty when the server did not start

private:
    QProcess server;
};

} // namespace

class TestExit : public QObject {
    Q_OBJECT

private slots:
    void exitMidGameEndsAtOnceWithStatusZero();
    void realProgramEndsOnCtrlQ_data();
    void realProgramEndsOnCtrlQ();
    void closingTheWindowTakesTheSamePath();
};

// Exit during a pass: GameRunning is already false when the program ends,
// with status 0, and no game-over sequence, score check or sound follows.
void TestExit::exitMidGameEndsAtOnceWithStatusZero()
{
    WindowFixture f;
    QDir(f.folder()).mkdir(QStringLiteral("sounds"));
    for (const char* name : {"apple.wav", "die.wav", "level.wav", "gameover.wav", "newgame.wav"}) {
        QFile wave(f.folder() + QStringLiteral("/sounds/") + QLatin1String(name));
        QVERIFY(wave.open(QIODevice::WriteOnly));
    }
    CatchEnd end(f);
    FrmMain& w = f.window();
    f.time.onProcessEvents = [&] {
        if (ModMain::GameRunning && f.frames() == 4)
            w.MenuItemExit_Click();
    };
    bool ended = false;
    try {
        w.MenuItemNewGame_Click();
    } catch (const ProgramEnded& e) {
        ended = true;
        QCOMPARE(e.status, 0);
    }
    f.time.onProcessEvents = nullptr;
    QVERIFY(ended);
    QVERIFY(end.seen);
    QCOMPARE(end.seen->status, 0);
    QVERIFY(!end.seen->gameRunning);
    QCOMPARE(f.frames(), end.seen->frames);
    QVERIFY(!w.Label1->isVisible());
    QVERIFY(f.dialogs.empty());
    for (const std::string& played : f.sound.names())
        QVERIFY(played != "gameover.wav");
    QVERIFY(!QFile::exists(f.folder() + QStringLiteral("/scores.dat")));
}

void TestExit::realProgramEndsOnCtrlQ_data()
{
    QTest::addColumn<QStringList>("before"); // keys pressed before Ctrl+Q
    QTest::newRow("idle") << QStringList{};
    QTest::newRow("mid-game") << QStringList{"F2"};
    QTest::newRow("paused game") << QStringList{"F2", "F3"};
    QTest::newRow("aborted game") << QStringList{"F2", "F4"};
}

// The real program under an X server: Ctrl+Q ends it within a few seconds
// with status 0, also while a game runs inside its nested event loops.
void TestExit::realProgramEndsOnCtrlQ()
{
    QFETCH(QStringList, before);
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs Xvfb and xdotool to drive the real window");
    XServer x;
    if (x.display.isEmpty())
        QSKIP("Xvfb did not start");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));

    QProcess game;
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(QStringLiteral(SNAKE_GAME_DIR));
    game.start(QStringLiteral(SNAKE_GAME_DIR "/snake"), {});
    QVERIFY2(game.waitForStarted(10000), qPrintable(game.errorString()));

    const auto found = Run(QStringLiteral("xdotool"), {"search", "--sync", "--name", "Snake Game"}, env);
    QVERIFY2(found, "the game window did not appear");
    const QString id = found->section(QLatin1Char('\n'), 0, 0).trimmed();
    QVERIFY(Run(QStringLiteral("xdotool"), {"windowfocus", "--sync", id}, env));
    for (const QString& key : before) {
        QVERIFY(Run(QStringLiteral("xdotool"), {"key", key}, env));
        QTest::qWait(key == QStringLiteral("F2") ? 1500 : 300);
    }
    QCOMPARE(game.state(), QProcess::Running);
    QVERIFY(Run(QStringLiteral("xdotool"), {"key", "ctrl+q"}, env));
    const bool finished = game.waitForFinished(5000);
    if (!finished) {
        game.kill();
        game.waitForFinished(1000);
    }
    QVERIFY2(finished, "the game was still running 5 s after Ctrl+Q");
    QCOMPARE(game.exitStatus(), QProcess::NormalExit);
    QCOMPARE(game.exitCode(), 0);
}

// A close request (the window's close box) ends the program like Exit.
// Runs last: the ending unwinds through Qt's event delivery.
void TestExit::closingTheWindowTakesTheSamePath()
{
    WindowFixture f;
    CatchEnd end(f);
    bool ended = false;
    try {
        QCloseEvent close;
        QCoreApplication::sendEvent(&f.window(), &close);
    } catch (const ProgramEnded&) {
        ended = true;
    }
    QVERIFY(ended);
    QCOMPARE(end.seen->status, 0);
    QVERIFY(!end.seen->gameRunning);
}

QTEST_MAIN(TestExit)
#include "test_exit.moc"
