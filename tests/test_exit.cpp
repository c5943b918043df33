// Ending the program: Exit and closing the window end it at once with
// status 0, also in the middle of a game.
#include "support/WindowFixture.h"
#include "support/X11Session.h"

#include "platform/Process.h"
#include "rules/ModMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QtTest>

#include <memory>
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

} // namespace

class TestExit : public QObject {
    Q_OBJECT

  private slots:
    // Exit during a pass: GameRunning is already false when the program ends,
    // with status 0, and no game-over sequence, score check or sound follows.
    void exitMidGameEndsAtOnceWithStatusZero()
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

    void realProgramEndsOnCtrlQ_data()
    {
        QTest::addColumn<QStringList>("before"); // keys pressed before Ctrl+Q
        QTest::newRow("idle") << QStringList{};
        QTest::newRow("mid-game") << QStringList{"F2"};
        QTest::newRow("paused game") << QStringList{"F2", "F3"};
        QTest::newRow("aborted game") << QStringList{"F2", "F4"};
    }

    // The real program under an X server: Ctrl+Q ends it within a few seconds
    // with status 0, also while a game runs inside its nested event loops.
    void realProgramEndsOnCtrlQ()
    {
        QFETCH(QStringList, before);
        std::unique_ptr<X11Session> x;
        const QString why = StartX11(x);
        if (!why.isEmpty())
            QSKIP(qPrintable(why));

        GameProcess game(*x, QStringLiteral(SNAKE_GAME_DIR "/snake"));
        QVERIFY2(game.start(), "the game window did not appear");
        // The game takes its keys in order, so a later key finds the state an
        // earlier one made; only a new game's start is waited for.
        for (const QString& key : before) {
            QVERIFY(x->key(key));
            if (key == QStringLiteral("F2"))
                QVERIFY2(game.waitForGameLoop(), "the game did not start");
        }
        QVERIFY(game.running());
        QCOMPARE(game.quit(), QString());
    }

    // A close request (the window's close box) ends the program like Exit.
    // Runs last: the ending unwinds through Qt's event delivery.
    void closingTheWindowTakesTheSamePath()
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
};

QTEST_MAIN(TestExit)
#include "test_exit.moc"
