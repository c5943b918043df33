// The top-score rule, the name prompt and where a new entry goes.
#include "flow/TopScore.h"
#include "platform/KeptFile.h"
#include "scores/ModHigh.h"
#include "support/DataRows.h"
#include "support/Processes.h"
#include "support/ScoreFiles.h"
#include "support/TableColumns.h"
#include "support/TopScoreRows.h"
#include "window/FrmHigh.h"

#include <QApplication>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using ModHigh::HighScores;

namespace {

// Runs `answer` on the modal dialog once it is up, inside its exec().
void WhenModalDialogOpens(std::function<void(QInputDialog*)> answer)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer] {
        if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start(10);
}

// Another copy of the game that holds the lock on the table from a thread of
// its own. Once this copy's save sleeps waiting for it (or has ended without
// waiting), it writes its own table in place and lets go.
class OtherCopy {
  public:
    OtherCopy(const QString& path, QByteArray table)
        : Fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC)), Locked(::flock(Fd, LOCK_EX) == 0),
          Table(std::move(table))
    {
    }
    ~OtherCopy() { ::close(Fd); }
    OtherCopy(const OtherCopy&) = delete;
    OtherCopy& operator=(const OtherCopy&) = delete;

    bool locked() const { return Locked; }
    // Saves and lets go once the main thread sleeps, or once done() is called.
    void saveWhenWaitedFor()
    {
        Thread = std::thread([this, self = ::getpid()] {
            while (!Done && !InPlainSleep(self, self))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            Saved = ::pwrite(Fd, Table.constData(), Table.size(), 0) == Table.size();
            ::flock(Fd, LOCK_UN);
        });
    }
    // This copy's save has ended; whether the other copy saved.
    bool done()
    {
        Done = true;
        if (Thread.joinable())
            Thread.join();
        return Saved;
    }

  private:
    int Fd;
    bool Locked;
    QByteArray Table;
    std::thread Thread;
    std::atomic<bool> Done = false;
    bool Saved = false;
};

} // namespace

class TestTopScore : public QObject {
    Q_OBJECT

  private slots:
    // Every test starts as GameOver does: the table just loaded from disk.
    void init()
    {
        folder = std::make_unique<ScoreFolder>();
        ModHigh::LoadScores();
    }

    void cleanup() { folder.reset(); }

    void scoreMustBeatTheTenthEntry_data() { AddTopScoreRuleRows(); }

    // Only a score greater than entry 9's, compared as 16-bit signed, enters.
    void scoreMustBeatTheTenthEntry()
    {
        QFETCH(int, lowest);
        QFETCH(int, score);
        QFETCH(bool, enters);
        HighScores[9].Score = static_cast<platform::Int16>(lowest);
        QCOMPARE(ModHigh::IsTopScore(static_cast<platform::Int16>(score)), enters);
    }

    void newEntryGoesToItsPlace_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<int>("score");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("after");
        const QList<int> table{90, 80, 70, 60, 50, 40, 30, 20, 10, 5};
        QTest::newRow("1 into an empty table goes to row 0")
            << QList<int>(10, 0) << 1 << 0 << QList<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        QTest::newRow("new best") << table << 95 << 0 << QList<int>{95, 90, 80, 70, 60, 50, 40, 30, 20, 10};
        QTest::newRow("equal to row 3 goes above it")
            << table << 60 << 3 << QList<int>{90, 80, 70, 60, 60, 50, 40, 30, 20, 10};
        QTest::newRow("beating only entry 9 replaces it")
            << table << 6 << 9 << QList<int>{90, 80, 70, 60, 50, 40, 30, 20, 10, 6};
        QTest::newRow("equal to several goes above them all") << QList<int>{50, 30, 30, 30, 20, 10, 0, 0, 0, 0} << 30
                                                              << 1 << QList<int>{50, 30, 30, 30, 30, 20, 10, 0, 0, 0};
        QTest::newRow("negative table") << QList<int>(10, -5) << -4 << 0
                                        << QList<int>{-4, -5, -5, -5, -5, -5, -5, -5, -5, -5};
    }

    // The new entry takes the first row it is >= to; the rows below move down.
    // The table comes from the file, which the save reads again.
    void newEntryGoesToItsPlace()
    {
        QFETCH(QList<int>, before);
        QFETCH(int, score);
        QFETCH(int, row);
        QFETCH(QList<int>, after);
        QList<QPair<QByteArray, int>> entries;
        for (int i = 0; i < 10; ++i)
            entries.append({"R" + QByteArray::number(i), before[i]});
        folder->write(ScoreFileBytes(entries));
        ModHigh::LoadScores();
        TopScoreView prompt("New");

        ModHigh::AddTopScore(static_cast<platform::Int16>(score));

        QCOMPARE(prompt.asked, 1);
        for (int i = 0; i < 10; ++i) {
            const std::string name = i < row ? "R" + std::to_string(i) : i == row ? "New" : "R" + std::to_string(i - 1);
            QCOMPARE(HighScores[i].Name, name);
            QCOMPARE(HighScores[i].Score, after[i]);
        }
    }

    // The changed table reaches scores.dat at once, then the Hall of Fame opens.
    void newEntryIsSavedAndShown()
    {
        folder->write(ScoreFileBytes({{"Ann", 30}, {"Bob", 20}, {"Cy", 10}}));
        ModHigh::LoadScores();
        TopScoreView prompt("Zoë");
        ModHigh::AddTopScore(25);
        QCOMPARE(folder->read(), ScoreFileBytes({{"Ann", 30}, {"Zo\xEB", 25}, {"Bob", 20}, {"Cy", 10}}));
        QVERIFY(HallOfFame() && HallOfFame()->isVisible());
        QCOMPARE(HallOfFame()->TxtName[1]->text(), QStringLiteral("Zoë"));
        QCOMPARE(HallOfFame()->TxtScore[1]->text(), QStringLiteral("25"));
    }

    void anotherCopysEntryIsKept_data()
    {
        Columns<QString>("other");
        AddRow("it saved between this copy's load and save", QString("saved"));
        AddRow("it holds the lock, this copy waits", QString("lets go"));
        AddRow("it holds the lock too long", QString("holds on"));
    }

    // Another copy of the game saves "Bea 90" after this one loaded the table
    // for its game over: this copy's "Al 50" goes into the table as the file
    // holds it when its turn comes, and the Hall of Fame shows the file. A lock
    // not let go in time gets a message, and the file stays as it was.
    void anotherCopysEntryIsKept()
    {
        const auto [other] = Fetch<QString>("other");
        const QByteArray before = ScoreFileBytes({{"Cy", 70}});
        const QByteArray theirs = ScoreFileBytes({{"Bea", 90}, {"Cy", 70}});
        folder->write(before);
        ModHigh::LoadScores();
        CapturedErrors errors;
        TopScoreView prompt("Al");
        if (other == "saved") {
            folder->write(theirs);
            ModHigh::AddTopScore(50);
        } else if (other == "lets go") {
            OtherCopy copy(folder->file(), theirs);
            QVERIFY(copy.locked());
            copy.saveWhenWaitedFor();
            ModHigh::AddTopScore(50);
            QVERIFY(copy.done());
        } else {
            OtherCopy copy(folder->file(), theirs);
            QVERIFY(copy.locked());
            platform::StartLockWait(std::chrono::milliseconds(300));
            ModHigh::AddTopScore(50);
        }

        if (other == "holds on") {
            QCOMPARE(folder->read(), before);
            QCOMPARE(errors.messages.size(), 1);
            QVERIFY2(errors.messages[0].contains("locked") && errors.messages[0].contains("nothing was changed"),
                     qPrintable(errors.messages[0]));
            return;
        }
        QCOMPARE(folder->read(), ScoreFileBytes({{"Bea", 90}, {"Cy", 70}, {"Al", 50}}));
        QVERIFY(errors.messages.isEmpty());
        QVERIFY(HallOfFame());
        QCOMPARE(HallOfFame()->TxtName[0]->text(), QStringLiteral("Bea"));
        QCOMPARE(HallOfFame()->TxtName[2]->text(), QStringLiteral("Al"));
    }

    // Cancel (an empty answer) discards the score: table, file and window untouched.
    void cancelOrEmptyNameChangesNothing()
    {
        const QByteArray before = ScoreFileBytes({{"Ann", 30}, {"Bob", 20}}) + QByteArray(100, 'T');
        folder->write(before);
        ModHigh::LoadScores();
        TopScoreView prompt("");
        ModHigh::AddTopScore(25);
        QCOMPARE(prompt.asked, 1);
        QCOMPARE(HighScores[1].Name, std::string("Bob"));
        QCOMPARE(HighScores[2].Score, 0);
        QCOMPARE(folder->read(), before);
        QVERIFY(!HallOfFame());
    }

    void nameIsKeptAsTypedUpTo126Characters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QByteArray>("stored");
        AddRow("blanks only", "   ", "   ", QByteArray("   "));
        AddRow("not trimmed", "  Ann  ", "  Ann  ", QByteArray("  Ann  "));
        AddRow("outside the code page", "Ω", "?", QByteArray("?"));
        AddRow("one letter outside", "Łukasz", "?ukasz", QByteArray("?ukasz"));
        AddRow("inside the code page", "Zoë €5", "Zoë €5",
               QByteArray("Zo\xEB \x80"
                          "5"));
        QTest::newRow("126 ascii stays whole") << QString(126, 'a') << QString(126, 'a') << QByteArray(126, 'a');
        QTest::newRow("200 ascii") << QString(200, 'a') << QString(126, 'a') << QByteArray(126, 'a');
        QTest::newRow("200 two-byte characters")
            << QString(200, QChar(0xE9)) << QString(126, QChar(0xE9)) << QByteArray(126, '\xE9');
        QTest::newRow("200 four-byte characters")
            << QString::fromUtf8("😀").repeated(200) << QString(126, '?') << QByteArray(126, '?');
    }

    // The name is stored as typed, blanks and all, cut to 126 characters, and
    // kept in the table from the start as the file will give it back.
    void nameIsKeptAsTypedUpTo126Characters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QByteArray, stored);
        TopScoreView prompt(typed.toStdString());
        ModHigh::AddTopScore(1);
        QCOMPARE(QString::fromStdString(HighScores[0].Name), kept);
        const QByteArray bytes = folder->read();
        QCOMPARE(bytes.size(), 2560);
        QCOMPARE(bytes.left(128), NameRecord(stored));
        QCOMPARE(bytes.mid(128, 128), ScoreRecord(1));
    }

    // The real prompt: its title, label, empty field of at most 126 characters.
    void realPromptAsksForTheName()
    {
        TopScoreView realPrompt;
        QString title;
        QString label;
        QString initialText = QStringLiteral("unset");
        int maxLength = 0;
        WhenModalDialogOpens([&](QInputDialog* dialog) {
            title = dialog->windowTitle();
            label = dialog->labelText();
            if (auto* field = dialog->findChild<QLineEdit*>()) {
                initialText = field->text();
                maxLength = field->maxLength();
                QTest::keyClicks(field, QStringLiteral(" Zo"));
                QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QStringLiteral("ë"), Qt::NoModifier);
                QTest::keyClick(field, Qt::Key_Space);
            }
            dialog->accept();
        });

        ModHigh::AddTopScore(7);

        QCOMPARE(title, QStringLiteral("Congratulations, you have a top score!"));
        QCOMPARE(label, QStringLiteral("Enter your name:"));
        QCOMPARE(initialText, QString());
        QCOMPARE(maxLength, 126);
        QCOMPARE(QString::fromStdString(HighScores[0].Name), QStringLiteral(" Zoë "));
        QCOMPARE(HighScores[0].Score, 7);
        QVERIFY(HallOfFame());
    }

    // Cancelling the real prompt, even with text typed, records nothing.
    void realPromptCancelledDiscardsTheScore()
    {
        folder->write(ScoreFileBytes({{"Ann", 30}}));
        ModHigh::LoadScores();
        TopScoreView realPrompt;
        WhenModalDialogOpens([](QInputDialog* dialog) {
            if (auto* field = dialog->findChild<QLineEdit*>())
                QTest::keyClicks(field, QStringLiteral("Bob"));
            dialog->reject();
        });

        ModHigh::AddTopScore(50);

        QCOMPARE(HighScores[0].Name, std::string("Ann"));
        QCOMPARE(folder->read(), ScoreFileBytes({{"Ann", 30}}));
        QVERIFY(!HallOfFame());
    }

  private:
    std::unique_ptr<ScoreFolder> folder;
};

QTEST_MAIN(TestTopScore)
#include "test_top_score.moc"
