// The main window's controls, menus and settings, driven through the real
// menu actions of a headless window.
#include "support/WindowFixture.h"

#include "rules/ModMain.h"
#include "window/ClientArea.h"
#include "window/FrmHigh.h"

#include <QAction>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QWindow>
#include <QtTest>

namespace {

QStringList Checked(const std::array<QAction*, 5>& items)
{
    QStringList marks;
    for (const QAction* item : items) {
        if (item->isChecked())
            marks << item->text();
    }
    return marks;
}

// The labels and the title picture, as the rows below index them.
std::array<QLabel*, 8> Controls(const FrmMain& w)
{
    return {w.LblPlayer1, w.LblApple, w.LblScore1, w.LblLives1, w.LblPlayer2, w.LblScore2, w.LblLives2, w.PicStartup};
}

// Captions of a menu's entries: "-" for a separator, submenus in brackets.
QStringList Captions(const QObject* menuObject)
{
    QStringList captions;
    for (const QAction* a : qobject_cast<const QMenu*>(menuObject)->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? '[' + a->text() + ']' : a->text());
    return captions;
}

} // namespace

class TestWindowMenus : public QObject {
    Q_OBJECT

  private slots:
    // Captions, separators, order, shortcuts and the marks at start, which
    // agree with the default settings.
    void menusAndStartStateMatchTheDefaultSettings()
    {
        WindowFixture f;
        const MainMenu& m = f.window().Menu;
        const QList<QAction*> top = f.window().menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->text() + '|' + top[1]->text(), QStringLiteral("Game|Options"));
        QCOMPARE(Captions(top[0]->menu()),
                 (QStringList{"New Game", "Pause Game", "Abort Game", "-", "High Scores", "-", "Exit"}));
        QCOMPARE(Captions(top[1]->menu()),
                 (QStringList{"One Player", "Two Player", "-", "[Computer Players]", "[Speed]", "-", "Sound"}));
        QCOMPARE(Captions(m.mnipc[0]->parent()), (QStringList{"0", "1", "2", "3", "4"}));
        QCOMPARE(Captions(m.MenuItemSpeed[0]->parent()), (QStringList{"Slowest", "Slow", "Medium", "Fast", "Fastest"}));
        QCOMPARE(m.MenuItemNewGame->shortcut(), QKeySequence(Qt::Key_F2));
        QCOMPARE(m.MenuItemPause->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(m.MenuItemAbort->shortcut(), QKeySequence(Qt::Key_F4));
        QCOMPARE(m.MenuItemExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

        QVERIFY(m.MenuItemOnePlayer->isChecked() && !m.MenuItemTwoPlayer->isChecked());
        QCOMPARE(Checked(m.mnipc), QStringList{"0"});
        QCOMPARE(Checked(m.MenuItemSpeed), QStringList{"Medium"});
        QVERIFY(m.MenuItemSound->isChecked());
        QVERIFY(m.MenuItemNewGame->isEnabled() && m.MenuItemAbort->isEnabled());
        QCOMPARE(ModMain::NumPlayers, 1);
        QCOMPARE(ModMain::NumComPlayers, 0);
        QCOMPARE(ModMain::SpeedDelay, 90);
        QVERIFY(ModMain::SoundOn && !ModMain::Paused && !ModMain::GameRunning);
        QCOMPARE(f.window().windowTitle(), QStringLiteral("Snake Game - By Quarvel"));
        QVERIFY(!f.window().windowIcon().isNull());
    }

    // The client area under the menu bar opens at 330 x 344 on a small
    // screen and never gets smaller; a larger one keeps zoom 1 until it
    // holds zoom 2, with the picture centred in white.
    void clientAreaIsAtLeast330By344()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        QCOMPARE(w.Client->size(), QSize(330, 344));
        QVERIFY(w.Client->y() >= w.menuBar()->height());
        w.resize(100, 100);
        QVERIFY(QTest::qWaitFor([&] { return w.Client->size() == QSize(330, 344); }));
        w.resize(600, 600);
        QVERIFY(QTest::qWaitFor([&] { return w.Client->width() == 600; }));
        QCOMPARE(w.Client->Zoom(), 1);
        QCOMPARE(w.Client->Origin(), QPoint(135, (w.Client->height() - 344) / 2));
        QCOMPARE(w.PicStartup->pos(), w.Client->Origin());
    }

    void controlsSitAtTheirPlaces_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::newRow("LblPlayer1") << 0 << QRect(8, 304, 81, 17) << "Player One";
        QTest::newRow("LblApple") << 1 << QRect(176, 304, 105, 17) << "Apples Left :";
        QTest::newRow("LblScore1") << 2 << QRect(8, 328, 89, 17) << "Score : 0";
        QTest::newRow("LblLives1") << 3 << QRect(160, 328, 105, 17) << "Lives : 5";
        QTest::newRow("LblPlayer2") << 4 << QRect(8, 344, 81, 17) << "Player Two";
        QTest::newRow("LblScore2") << 5 << QRect(8, 368, 129, 17) << "Score : 0";
        QTest::newRow("LblLives2") << 6 << QRect(160, 368, 105, 17) << "Lives : 5";
        QTest::newRow("PicStartup") << 7 << QRect(0, 0, 304, 304) << "";
    }

    // Every control at its position with the text it shows before a game, and
    // none that could take the keyboard from the window.
    void controlsSitAtTheirPlaces()
    {
        QFETCH(int, index);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        WindowFixture f;
        FrmMain& w = f.window();
        const QLabel* label = Controls(w)[index];
        QCOMPARE(label->parentWidget(), w.Client);
        QCOMPARE(label->geometry(), geometry);
        QCOMPARE(label->text(), text);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        QVERIFY(label->isVisible());
    }

    void statusLabelsFitTheirLongestTexts_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zoom");
        for (const int zoom : {1, 2, 3}) {
            const auto row = [zoom](const char* name, int index, const char* text) {
                if (zoom == 1)
                    QTest::newRow(name) << index << QString::fromLatin1(text) << zoom;
                else
                    QTest::addRow("%s, at zoom %d", name, zoom) << index << QString::fromLatin1(text) << zoom;
            };
            row("LblApple, three digits", 1, "Apples Left : 999");
            row("LblScore1, lowest", 2, "Score:-32768");
            row("LblScore1, highest", 2, "Score:32767");
            row("LblScore1, text before a game", 2, "Score : 0");
            row("LblLives1", 3, "Lives : 5");
            row("LblScore2, lowest", 5, "Score:-32768");
            row("LblLives2", 6, "Lives : 5");
            row("LblPlayer1", 0, "Player One");
            row("LblPlayer2", 4, "Player Two");
        }
    }

    // The status labels use an 11-pixel font, whatever the desktop's default,
    // and the longest text each one shows fits its box with that font; at a
    // zoom, font and box are that many times their size.
    void statusLabelsFitTheirLongestTexts()
    {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(int, zoom);
        WindowFixture f;
        if (index >= 4)
            f.window().SetTwoPlayerLayout(true);
        QVERIFY(f.zoomTo(zoom));
        QLabel* label = Controls(f.window())[index];
        QCOMPARE(label->font().pixelSize(), 11 * zoom);
        QCOMPARE(label->size(), QSize(label->width() / zoom, label->height() / zoom) * zoom);
        label->setText(text);
        const QSize needed = label->sizeHint();
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(),
                 qPrintable(QStringLiteral("%1 needs %2 x %3 in %4 x %5 (%6)")
                                .arg(text)
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(label->width())
                                .arg(label->height())
                                .arg(QFontInfo(label->font()).family())));
    }

    void messageLabelShowsEveryCaptionInFull_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("zoom");
        QTest::newRow("caption at start") << "Level One Completed!" << 1;
        QTest::newRow("level 12") << "Level 12 Completed!" << 1;
        QTest::newRow("largest level") << "Level 32767 Completed!" << 1;
        QTest::newRow("game over") << "Game Over" << 1;
        QTest::newRow("paused at zoom 2") << "Paused" << 2;
        QTest::newRow("level 12 at zoom 2") << "Level 12 Completed!" << 2;
        QTest::newRow("largest level at zoom 3") << "Level 32767 Completed!" << 3;
        QTest::newRow("game over at zoom 4") << "Game Over" << 4;
    }

    // Label1: hidden at 16, 104, 297 wide and at least 113 high, Bookman (or its
    // URW twin) 36 pt light, centred; every caption fits without a clipped line.
    // At a zoom, place, size and font are that many times theirs.
    void messageLabelShowsEveryCaptionInFull()
    {
        QFETCH(QString, caption);
        QFETCH(int, zoom);
        WindowFixture f;
        QVERIFY(f.zoomTo(zoom));
        QLabel* label = f.window().Label1;
        QVERIFY(!label->isVisible());
        QCOMPARE(label->text(), QStringLiteral("Level One Completed!"));
        QCOMPARE(label->pos(), QPoint(16, 104) * zoom);
        QCOMPARE(label->width(), 297 * zoom);
        QVERIFY(label->height() >= 113 * zoom && label->geometry().bottom() < 300 * zoom);
        QCOMPARE(label->font().pointSize(), 36 * zoom);
        QCOMPARE(label->font().weight(), QFont::Light);
        QVERIFY(label->alignment() & Qt::AlignHCenter);
        QVERIFY(!label->autoFillBackground());
        if (!QFontDatabase::families().filter(QStringLiteral("Bookman"), Qt::CaseInsensitive).isEmpty()) {
            const QFontInfo info(label->font());
            QVERIFY2(info.family().contains(QStringLiteral("Bookman")), qPrintable(info.family()));
            QVERIFY(info.weight() < QFont::Normal);
        }
        label->setText(caption);
        const int needed = label->heightForWidth(label->width());
        QVERIFY2(needed <= label->height(), qPrintable(QStringLiteral("needs %1 px").arg(needed)));
    }

    void playerItemsKeepOneMark_data()
    {
        QTest::addColumn<QString>("clicks"); // '1' One Player, '2' Two Player
        QTest::addColumn<int>("players");
        QTest::newRow("two") << "2" << 2;
        QTest::newRow("two twice") << "22" << 2;
        QTest::newRow("one while ticked") << "1" << 1;
        QTest::newRow("two, one, one") << "211" << 1;
    }

    // Choosing a ticked player item keeps its mark; the other item moves it, and
    // NumPlayers always follows the mark.
    void playerItemsKeepOneMark()
    {
        QFETCH(QString, clicks);
        QFETCH(int, players);
        WindowFixture f;
        const MainMenu& m = f.window().Menu;
        for (const QChar c : clicks)
            (c == '1' ? m.MenuItemOnePlayer : m.MenuItemTwoPlayer)->trigger();
        QCOMPARE(ModMain::NumPlayers, players);
        QCOMPARE(m.MenuItemOnePlayer->isChecked(), players == 1);
        QCOMPARE(m.MenuItemTwoPlayer->isChecked(), players == 2);
    }

    void computerAndSpeedItemsLeaveOnlyTheChosenMark_data()
    {
        QTest::addColumn<bool>("speed");        // the Speed items, else Computer Players
        QTest::addColumn<QList<int>>("clicks"); // -1, 5 and 32767 name items that don't exist
        QTest::addColumn<int>("value");         // SpeedDelay or NumComPlayers
        QTest::addColumn<QString>("mark");
        QTest::newRow("3") << false << QList<int>{3} << 3 << "3";
        QTest::newRow("0 again") << false << QList<int>{0} << 0 << "0";
        QTest::newRow("4 then 4") << false << QList<int>{4, 4} << 4 << "4";
        QTest::newRow("2 then 1") << false << QList<int>{2, 1} << 1 << "1";
        QTest::newRow("2 then index 5") << false << QList<int>{2, 5} << 2 << "2";
        QTest::newRow("2 then index -1") << false << QList<int>{2, -1} << 2 << "2";
        QTest::newRow("Slowest") << true << QList<int>{1, 0} << 200 << "Slowest";
        QTest::newRow("Slow") << true << QList<int>{2, 1} << 130 << "Slow";
        QTest::newRow("Medium") << true << QList<int>{0, 2} << 90 << "Medium";
        QTest::newRow("Fast") << true << QList<int>{4, 3} << 30 << "Fast";
        QTest::newRow("Fastest") << true << QList<int>{3, 4} << 0 << "Fastest";
        QTest::newRow("Fast twice") << true << QList<int>{3, 3} << 30 << "Fast";
        QTest::newRow("Fast, index 5") << true << QList<int>{3, 5} << 30 << "Fast";
        QTest::newRow("Fast, index -1") << true << QList<int>{3, -1} << 30 << "Fast";
        QTest::newRow("Fast, index 32767") << true << QList<int>{3, 32767} << 30 << "Fast";
    }

    // Each choice leaves exactly its own mark, also when the ticked item is
    // chosen again, and sets NumComPlayers to it or SpeedDelay to 200, 130, 90,
    // 30, 0 ms; an index outside 0..4 changes nothing.
    void computerAndSpeedItemsLeaveOnlyTheChosenMark()
    {
        QFETCH(bool, speed);
        QFETCH(QList<int>, clicks);
        QFETCH(int, value);
        QFETCH(QString, mark);
        WindowFixture f;
        FrmMain& w = f.window();
        const std::array<QAction*, 5>& items = speed ? w.Menu.MenuItemSpeed : w.Menu.mnipc;
        for (const int k : clicks) {
            if (k >= 0 && k < 5)
                items[k]->trigger();
            else if (speed)
                w.MenuItemSpeed_Click(platform::Int16(k));
            else
                w.mnipc_Click(platform::Int16(k));
        }
        QCOMPARE(int(speed ? ModMain::SpeedDelay : ModMain::NumComPlayers), value);
        QCOMPARE(Checked(items), QStringList{mark});
    }

    // The Sound item inverts its mark and SoundOn follows it both ways.
    void soundItemTogglesSoundOn()
    {
        WindowFixture f;
        QAction* sound = f.window().Menu.MenuItemSound;
        sound->trigger();
        QVERIFY(!sound->isChecked() && !ModMain::SoundOn);
        sound->trigger();
        QVERIFY(sound->isChecked() && ModMain::SoundOn);
    }

    // "Pause Game" -> "Unpause" -> "Pause" -> ...; Label1 shows "Paused" only
    // while paused; the command works without a game.
    void pauseCaptionCyclesAndShowsPaused()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        QCOMPARE(w.Menu.MenuItemPause->text(), QStringLiteral("Pause Game"));
        for (int i = 0; i < 4; ++i) {
            w.Menu.MenuItemPause->trigger();
            const bool paused = i % 2 == 0;
            QCOMPARE(ModMain::Paused, paused);
            QCOMPARE(w.Menu.MenuItemPause->text(), paused ? QStringLiteral("Unpause") : QStringLiteral("Pause"));
            QCOMPARE(w.Label1->isVisible(), paused);
            QCOMPARE(w.Label1->text(), QStringLiteral("Paused"));
        }
    }

    // Abort with no game: Abort disabled, New Game still enabled, title shown.
    void abortBeforeAnyGameOnlyDisablesItself()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        w.Menu.MenuItemAbort->trigger();
        QCOMPARE(NotIdle(w), QString());
        QCOMPARE(f.frames(), 0);
    }

    // High Scores opens one Hall of Fame, which the window system keeps above
    // the main window, even a full-screen one; choosing it again adds none.
    void hallOfFameBelongsToTheMainWindow()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        w.Menu.MenuItemHigh->trigger();
        const QPointer<FrmHigh> open = HallOfFame();
        QVERIFY(open && open->isVisible());
        QCOMPARE(open->windowHandle()->transientParent(), w.windowHandle());
        // X11 window managers hear of the owner only for a dialog's type.
        QCOMPARE(open->windowHandle()->type(), Qt::Dialog);
        w.Menu.MenuItemHigh->trigger();
        QCOMPARE(HallOfFame(), open.data());
        CloseHallOfFame();
    }

    // With the title shown (after an abort while paused, say) a visible message
    // caption stays hidden under it.
    void titlePictureCoversTheMessageLabel()
    {
        WindowFixture f;
        FrmMain& w = f.window();
        const QImage titleOnly = w.Client->grab().toImage();
        w.Menu.MenuItemPause->trigger();
        QVERIFY(w.Label1->isVisible());
        QCOMPARE(w.Client->grab().toImage(), titleOnly);
    }

    // The end-of-levels box: exact text and title, exclamation icon, one OK.
    void allLevelsCompletedBoxIsAnExclamationWithOk()
    {
        WindowFixture f;
        f.window().ShowAllLevelsCompleted();
        QCOMPARE(f.dialogs.size(), std::size_t(1));
        QCOMPARE(f.dialogs[0].title, QStringLiteral("Congratulations!"));
        QCOMPARE(f.dialogs[0].text, QStringLiteral("All levels completed!"));
        QCOMPARE(f.dialogs[0].icon, int(QMessageBox::Warning));
        QCOMPARE(f.dialogs[0].buttons, 1);
    }
};

QTEST_MAIN(TestWindowMenus)
#include "test_window_menus.moc"
