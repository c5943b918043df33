#pragma once
// Test helpers for the score table: a private program folder, scores.dat
// bytes made by hand (independent of the game's own writer) and a recorder
// for the error messages the score module reports.
#include "rules/GameView.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <string>

// A fresh program folder that AppPath() points at while this object lives,
// and a per-user data folder (not yet made) where the player's own copy is kept.
// Also resets the score module and its seams on entry and exit; a message of
// a failed load or save that no CapturedErrors takes is printed as a warning.
class ScoreFolder {
  public:
    ScoreFolder();
    ~ScoreFolder();
    ScoreFolder(const ScoreFolder&) = delete;
    ScoreFolder& operator=(const ScoreFolder&) = delete;

    // The folder, and a file in it.
    QString path() const;
    QString file(const QString& name = QStringLiteral("scores.dat")) const;
    // Replaces the file's content with exactly `bytes`.
    void write(const QByteArray& bytes, const QString& name = QStringLiteral("scores.dat")) const;
    // The file's bytes; a null array when it cannot be read.
    QByteArray read(const QString& name = QStringLiteral("scores.dat")) const;
    // Every entry of the folder, hidden ones included, sorted.
    QStringList entries() const;
    // The player's home, the per-user data folder in it, and scores.dat there.
    QString homePath() const { return home.path(); }
    QString userPath() const;
    QString userFile() const;

  private:
    QTemporaryDir dir;
    QTemporaryDir home;
};

// A 128-byte name record: `length` little-endian, then `bytes`, then filler.
QByteArray NameRecord(const QByteArray& bytes, int length, char filler = '\0');
QByteArray NameRecord(const QByteArray& bytes, char filler = '\0');
// A 128-byte score record: the two given bytes, then filler.
QByteArray ScoreRecordBytes(unsigned char low, unsigned char high, char filler = '\0');
QByteArray ScoreRecord(int score, char filler = '\0');

// scores.dat bytes: the given entries, then empty ones up to ten.
QByteArray ScoreFileBytes(const QList<QPair<QByteArray, int>>& entries, char filler = '\0');

// scores.dat bytes of ten entries ("Loser 0" -10 ... "Loser 9" -19) that
// every score of 0 or more beats.
QByteArray NegativeTable();

// Records every message of a failed load or save while it lives.
class CapturedErrors {
  public:
    CapturedErrors();
    ~CapturedErrors();
    CapturedErrors(const CapturedErrors&) = delete;
    CapturedErrors& operator=(const CapturedErrors&) = delete;

    QStringList messages;
};

// Stands in for the main window's part in a top score while it lives: the
// name comes from `answer` (or from the real prompt while `answer` is empty),
// and the real Hall of Fame opens.
class TopScoreView final : public ModMain::QuietView {
  public:
    TopScoreView() { ModMain::SetGameView(this); }
    explicit TopScoreView(std::string name) : TopScoreView()
    {
        answer = [name] { return name; };
    }
    ~TopScoreView() override { ModMain::SetGameView(nullptr); }
    TopScoreView(const TopScoreView&) = delete;
    TopScoreView& operator=(const TopScoreView&) = delete;

    std::string AskTopScoreName() override;
    void ShowHallOfFame() override;

    std::function<std::string()> answer;
    int asked = 0;
};
