// The game clock's hold, one rule: whatever a player does with the menu bar,
// the game runs or shows why it stands still (a menu open, a title marked,
// "Paused"). Random sequences from a printed seed; SNAKE_TEST_SEED replays one.
#include "support/WindowFixture.h"

#include "rules/ModMain.h"

#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>

class TestMenuHold : public QObject {
    Q_OBJECT

  private slots:
    void standsStillOnlyWithACue()
    {
        bool given = false;
        quint32 seed = qEnvironmentVariable("SNAKE_TEST_SEED").toUInt(&given);
        seed = given ? seed : QRandomGenerator::system()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const QStringList inputs = QStringLiteral("Alt F10 Esc Left Right Up Down Return F2 F3 F4 Title TitleClick "
                                                  "Bar BarClick Click Resize Away Box")
                                       .split(' ');
        WindowFixture f;
        FrmMain& w = f.window();
        w.Menu.MenuItemExit->setVisible(false); // Return on it would end the test
        QStringList done;
        int waitAtStep = -1;
        f.time.onProcessEvents = [&] {
            if (done.size() == 400 || QTest::currentTestFailed()) {
                for (int i = 0; i < 4 && w.MenuKeys.Active(); ++i)
                    PressKeys(w, QStringLiteral("Esc"));
                if (ModMain::GameRunning) { // called, not keyed: another window may be active
                    w.MenuItemAbort_Click();
                    f.time.eventHandled();
                }
                f.time.advance(30); // a timed wait the abort cannot cut short still ends
                return;
            }
            // Still in the wait that stopped it at the last step: the game
            // shows why, and the hold is what the bar shows.
            const bool cue = w.MenuKeys.Active() || (ModMain::Paused && w.Label1->isVisible());
            QVERIFY2(
                cue || f.time.waiting == 0 || f.time.eventWaits != waitAtStep,
                qPrintable(QStringLiteral("stands still, nothing shown; seed %1: %2").arg(seed).arg(done.join(' '))));
            done << inputs[static_cast<qsizetype>(random.bounded(static_cast<quint32>(inputs.size())))];
            PressKeys(w, done.last());
            f.time.advance(30); // a player takes a moment
            waitAtStep = f.time.eventWaits;
        };
        while (done.size() < 400 && !QTest::currentTestFailed()) {
            QVERIFY(w.Menu.MenuItemNewGame->isEnabled());
            w.Menu.MenuItemNewGame->trigger();
        }
    }
};

QTEST_MAIN(TestMenuHold)
#include "test_menu_hold.moc"
