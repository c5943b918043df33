// The "Hall of Fame!" window: its layout, what it shows, and when it loads,
// fills and unloads.
#include "flow/TopScore.h"
#include "scores/ModHigh.h"
#include "support/ScoreFiles.h"
#include "window/FrmHigh.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>

using ModHigh::HighScores;

namespace {

// A file of one entry only: a table the game saved back would be longer.
QByteArray OneEntryFile(const QByteArray& name, int score)
{
    return NameRecord(name) + ScoreRecord(score);
}

// Lets Qt finish deleting a window that closed itself.
void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FrmHigh* Open()
{
    OpenHallOfFame();
    return HallOfFame();
}

} // namespace

class TestFrmHigh : public QObject {
    Q_OBJECT

  private slots:
    void init() { folder = std::make_unique<ScoreFolder>(); }

    void cleanup()
    {
        folder.reset();
        FlushDeletes();
    }

    // --- layout ---
    // Caption "Hall of Fame!", white, a fixed 305 x 395 client area, modeless.
    void windowIsFixedWhiteTitledAndModeless()
    {
        FrmHigh* form = Open();
        QVERIFY(form && form->isWindow() && form->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("Hall of Fame!"));
        QCOMPARE(form->minimumSize(), QSize(305, 395));
        QCOMPARE(form->maximumSize(), QSize(305, 395));
        QCOMPARE(form->grab().toImage().pixelColor(300, 5), QColor(Qt::white));
        QCOMPARE(form->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    // Every control at its client position and size.
    void controlsSitAtTheirPositions()
    {
        FrmHigh* form = Open();
        QList<QPair<QWidget*, QRect>> expected{{form->Label1, {16, 8, 137, 17}},
                                               {form->Label2, {232, 8, 81, 17}},
                                               {form->CmdOk, {176, 272, 121, 25}},
                                               {form->Label3, {8, 304, 289, 89}}};
        for (int i = 0; i < 10; ++i) {
            expected.append({form->TxtName[i], {8, 32 + 24 * i, 204, 19}});
            expected.append({form->TxtScore[i], {216, 32 + 24 * i, 81, 19}});
        }
        for (const auto& [widget, geometry] : expected) {
            QCOMPARE(widget->parentWidget(), form);
            QCOMPARE(widget->geometry(), geometry);
        }
    }

    // Headings "Name" and "Score" in bold; "Ok"; the invitation white on green.
    void captionsAndLabelStyles()
    {
        FrmHigh* form = Open();
        QCOMPARE(form->Label1->text(), QStringLiteral("Name"));
        QCOMPARE(form->Label2->text(), QStringLiteral("Score"));
        QCOMPARE(form->CmdOk->text(), QStringLiteral("Ok"));
        QVERIFY(form->Label1->font().bold() && form->Label2->font().bold());
        QCOMPARE(form->Label3->palette().color(QPalette::WindowText),
                 QApplication::palette().color(QPalette::HighlightedText));
        QCOMPARE(form->Label3->font().pointSizeF(), 9.0);
        QVERIFY(!form->Label3->text().isEmpty());
        QCOMPARE(form->grab().toImage().pixelColor(10, 390), QColor(0, 128, 0));
    }

    // Tab goes through the ten names, the ten scores, then the button.
    void tabOrderIsNamesScoresThenOk()
    {
        FrmHigh* form = Open();
        QList<QWidget*> expected(form->TxtName.begin(), form->TxtName.end());
        expected.append(QList<QWidget*>(form->TxtScore.begin(), form->TxtScore.end()));
        expected.append(form->CmdOk);

        QList<QWidget*> order;
        QWidget* widget = form->TxtName[0];
        do {
            if (widget->focusPolicy() & Qt::TabFocus)
                order.append(widget);
            widget = widget->nextInFocusChain();
        } while (widget != form->TxtName[0]);
        QCOMPARE(order, expected);
    }

    // Keyboard focus starts in the first name box.
    void focusStartsInFirstName()
    {
        FrmHigh* form = Open();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(QApplication::focusWidget(), form->TxtName[0]);
    }

    // --- contents ---
    void scoresShowAsPlainDecimals_data()
    {
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0 << "0";
        QTest::newRow("positive") << 1234 << "1234";
        QTest::newRow("negative") << -5 << "-5";
        QTest::newRow("largest") << 32767 << "32767";
        QTest::newRow("smallest") << -32768 << "-32768";
    }

    // A score shows as its digits, "-" when negative, no blanks, "0" for zero.
    void scoresShowAsPlainDecimals()
    {
        QFETCH(int, score);
        QFETCH(QString, shown);
        ModHigh::ScoresLoaded = true;
        HighScores[4].Score = static_cast<platform::Int16>(score);
        QCOMPARE(Open()->TxtScore[4]->text(), shown);
    }

    // Row i shows entry i, names exactly as held.
    void rowsShowTheTableTopDown()
    {
        ModHigh::ScoresLoaded = true;
        for (int i = 0; i < 10; ++i)
            HighScores[i] = {"Row" + std::to_string(i), static_cast<platform::Int16>(90 - 10 * i)};
        HighScores[2].Name = "  Zoë €  ";
        HighScores[9].Name.clear();
        FrmHigh* form = Open();
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(form->TxtName[i]->text(), QString::fromStdString(HighScores[i].Name));
            QCOMPARE(form->TxtScore[i]->text(), QString::number(90 - 10 * i));
        }
    }

    // --- loading and unloading ---
    // Before any game the first opening reads scores.dat; later ones do not.
    void firstOpeningLoadsTheFileOnce()
    {
        folder->write(OneEntryFile("Ann", 50));
        QVERIFY(!ModHigh::ScoresLoaded);
        QCOMPARE(Open()->TxtName[0]->text(), QStringLiteral("Ann"));
        QVERIFY(ModHigh::ScoresLoaded);
        HallOfFame()->CmdOk_Click();
        FlushDeletes();

        folder->write(OneEntryFile("Bob", 60));
        FrmHigh* again = Open();
        QCOMPARE(again->TxtName[0]->text(), QStringLiteral("Ann"));
        QCOMPARE(again->TxtScore[0]->text(), QStringLiteral("50"));
    }

    // Opening an open window neither refills it nor makes a second one.
    void openingWhileOpenDoesNothing()
    {
        ModHigh::ScoresLoaded = true;
        HighScores[0] = {"Ann", 50};
        const QPointer<FrmHigh> first = Open();
        HighScores[0] = {"Bob", 60};
        QCOMPARE(Open(), first.data());
        QCOMPARE(first->TxtName[0]->text(), QStringLiteral("Ann"));
        int windows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets())
            windows += qobject_cast<FrmHigh*>(widget) ? 1 : 0;
        QCOMPARE(windows, 1);
    }

    void closingUnloadsAndNextOpeningRefills_data()
    {
        QTest::addColumn<bool>("byOk");
        QTest::addColumn<int>("key"); // pressed in a name box instead
        QTest::newRow("Ok button") << true << 0;
        QTest::newRow("window closed") << false << 0;
        QTest::newRow("Return: the default button, Ok") << true << int(Qt::Key_Return);
        QTest::newRow("Escape") << false << int(Qt::Key_Escape);
    }

    // Ok or closing unloads the window; the next opening is a new one, filled afresh.
    void closingUnloadsAndNextOpeningRefills()
    {
        QFETCH(bool, byOk);
        QFETCH(int, key);
        ModHigh::ScoresLoaded = true;
        HighScores[0] = {"Ann", 50};
        const QPointer<FrmHigh> first = Open();
        if (key)
            QTest::keyClick(first->TxtName[3], static_cast<Qt::Key>(key));
        else if (byOk)
            QTest::mouseClick(first->CmdOk, Qt::LeftButton);
        else
            first->close();
        QCOMPARE(HallOfFame(), nullptr);
        FlushDeletes();
        QVERIFY(first.isNull());

        HighScores[0] = {"Bob", 60};
        FrmHigh* second = Open();
        QVERIFY(second);
        QCOMPARE(second->TxtName[0]->text(), QStringLiteral("Bob"));
        QCOMPARE(second->TxtScore[0]->text(), QStringLiteral("60"));
    }

    // Whatever is typed into the boxes changes neither the table nor the file.
    void typedTextIsNeverReadBack()
    {
        folder->write(OneEntryFile("Ann", 50));
        FrmHigh* form = Open();
        QTest::keyClicks(form->TxtName[0], "Mallory");
        QTest::keyClicks(form->TxtScore[0], "999");
        form->CmdOk_Click();
        FlushDeletes();
        QCOMPARE(HighScores[0].Name, std::string("Ann"));
        QCOMPARE(HighScores[0].Score, 50);
        QCOMPARE(folder->read(), OneEntryFile("Ann", 50));
    }

    // An open window keeps its rows while a top score is entered; reopening shows it.
    void openWindowKeepsOldRowsDuringTopScore()
    {
        folder->write(OneEntryFile("Ann", 50));
        const QPointer<FrmHigh> open = Open();
        const TopScoreView prompt("Bob");

        ModHigh::LoadScores();
        ModHigh::AddTopScore(60);

        QCOMPARE(folder->read().left(256), OneEntryFile("Bob", 60));
        QCOMPARE(HallOfFame(), open.data());
        QCOMPARE(open->TxtName[0]->text(), QStringLiteral("Ann"));
        QCOMPARE(open->TxtName[1]->text(), QString());

        open->CmdOk_Click();
        FlushDeletes();
        FrmHigh* reopened = Open();
        QCOMPARE(reopened->TxtName[0]->text(), QStringLiteral("Bob"));
        QCOMPARE(reopened->TxtName[1]->text(), QStringLiteral("Ann"));
    }

  private:
    std::unique_ptr<ScoreFolder> folder;
};

QTEST_MAIN(TestFrmHigh)
#include "test_frmhigh.moc"
