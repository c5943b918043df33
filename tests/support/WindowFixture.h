#pragma once
// A real main window on a test clock: its own program folder with a wall-less
// map1.dat, no sound output, and every modal dialog answered and recorded.
#include "support/FakeTime.h"
#include "support/RecordingSound.h"
#include "window/FrmMain.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

struct AnsweredDialog {
    QString title;
    QString text;
    int icon = 0; // QMessageBox::Icon, 0 for other dialogs
    int buttons = 0;
};

class WindowFixture {
  public:
    WindowFixture();
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    FrmMain& window() { return *Window; }
    QString folder() const { return Folder.path(); }
    // Writes a map file of 30 lines of 30 characters into the folder.
    void writeMap(const QString& name, const QStringList& rows = {}) const;

    // Chooses New Game and returns when the handler returns. `step` runs at
    // every event-processing point; a game still running after `limit`
    // points is aborted (and counted as a failure by `hitLimit`).
    void playGame(const std::function<void()>& step, int limit = 400);
    bool hitLimit = false;
    int points = 0; // processing points seen by the last playGame
    // Plays a game, runs `check` at its first point with GameRunning and then
    // chooses Abort: whether `check` ran and the game ended within the limit.
    bool checkRunningGame(const std::function<void()>& check);

    // Sizes the window so that its client area holds the design at exactly
    // `zoom`; false if it did not get there.
    bool zoomTo(int zoom);

    // Frames shown so far.
    int frames() const;

    FakeTime time;
    RecordingSound sound;
    std::vector<AnsweredDialog> dialogs;

  private:
    void answerModal();

    QTemporaryDir Folder;
    std::unique_ptr<FrmMain> Window;
    QTimer Answerer;
};

// Snakes as a game of `players` humans has them, each fully stacked (so
// every direction is accepted) and with no request yet (dir 0); GameRunning
// set to `running`.
void SetUpStackedSnakes(int players, bool running = true);

// The requests (dir) of the snakes, player one's first.
QList<int> Requests();

// What is not as between games (a game running, snakes left, no title
// picture, New Game disabled, Abort enabled), or empty.
QString NotIdle(const FrmMain& window);

// Sends a key press and release to the window as the window system would.
void PressKey(FrmMain& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Keys as a player presses them, separated by spaces: "Alt" (pressed and
// released alone), "F10", "F2", "F3", "F4", "Left", "Right", "Up", "Down",
// "Return", "Esc", "Click" (the mouse on the playfield) and "Away" (another
// window activated, then this one again). Each goes where the window system
// sends it: to the open menu, else to the window. Also "Title" and "Bar" (the
// pointer over "Game", over the bar's empty part), "TitleClick", "BarClick",
// "Resize" (wider, or back) and "Box" (a modal box the fixture answers).
void PressKeys(FrmMain& window, const QString& keys);
