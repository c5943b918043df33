#pragma once
// The real game executable under an X server of its own: Xvfb on a free
// display, xdotool for keys and window lookup, the close-request helper, a
// private copy of the playable folder, and the game process itself.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

// Why the real window cannot be driven here (a missing program), or empty.
QString MissingX11Tools();

// How long a test waits for one thing the game is to do (a window, a
// sequence, its end) before it fails: far beyond what it takes on a quiet
// machine, so that a loaded one still passes.
constexpr int SlowStepMs = 60000;
// How long a closed game may take to end: a close is taken when a one-second
// wait ends, and a loaded machine is slow to tear a process down; a game that
// plays on instead never ends at all.
constexpr int ExitMs = 20000;

class X11Session {
  public:
    // Starts Xvfb; ready() tells whether it came up.
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool ready() const { return !Display.isEmpty(); }
    QString display() const { return Display; }
    // The system environment with DISPLAY, the xcb platform, silent sound and
    // a private per-user data folder (XDG_DATA_HOME), open to every user.
    QProcessEnvironment environment() const;
    // The game's scores.dat in that data folder.
    QString userScoreFile() const;

    // Runs xdotool with `args`; its output, or nothing when it failed.
    std::optional<QString> xdotool(const QStringList& args, int timeoutMs = SlowStepMs) const;
    // Id of a visible window whose whole title is `title`, waiting for it.
    std::optional<QString> waitForWindow(const QString& title, int timeoutMs = SlowStepMs) const;
    // Whether a visible window with that whole title exists right now.
    bool hasWindow(const QString& title) const;
    // Gives the window the keyboard focus (no window manager runs here).
    bool focus(const QString& id) const;
    // Presses keys ("F2", "ctrl+q", "Down Return") in the focused window.
    bool key(const QString& keys) const;
    bool type(const QString& text) const;
    // What the text field with the keyboard focus shows: all of it is
    // selected (Ctrl+A) and read back from the PRIMARY selection. Nothing
    // when no text is selected (an empty field, keys not handled yet).
    std::optional<QString> fieldText() const;
    // A hash of the pixels that window `id` shows in `area` (window
    // coordinates): two readings differ when something new is shown there.
    std::optional<QString> areaHash(const QString& id, const QRect& area) const;
    // The close box: a WM_DELETE_WINDOW request to the window.
    bool requestClose(const QString& id) const;
    // Waits for the box titled `title` and presses Return in it: why that
    // failed, or empty.
    QString answerBox(const QString& title, int timeoutMs = SlowStepMs) const;

  private:
    QProcess Server;
    QString Display;
    QTemporaryDir DataHome;
};

// Starts a session for a test case: why it cannot run (a missing program,
// no server), or empty with `session` ready.
QString StartX11(std::unique_ptr<X11Session>& session);

// A private copy of the build's playable folder (executable, maps, sounds).
class GameFolder {
  public:
    // Copies `playableFolder` (the build's game/ folder).
    explicit GameFolder(const QString& playableFolder);
    bool ready() const { return Ready; }
    QString path() const;
    QString file(const QString& name) const;
    // A map of 30 CR LF lines; rows past the given ones are empty.
    bool writeMap(const QString& name, const QStringList& rows) const;
    bool write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool remove(const QString& name) const;
    // Every map*.dat of the copy is removed.
    bool removeMaps() const;
    // The executable of the copy.
    QString executable() const { return file(QStringLiteral("snake")); }

  private:
    QTemporaryDir Root; // the game folder lies one level down, in game/
    bool Ready = false;
};

// The real game, started in its folder under the session's display.
class GameProcess {
  public:
    // `wrapper` runs before the executable (for instance setpriv and its
    // arguments); empty runs the executable itself.
    GameProcess(const X11Session& x, const QString& executable, const QStringList& wrapper = {});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    // Sets a variable of the game's environment, before start().
    void setEnvironment(const QString& name, const QString& value) { Extra.insert(name, value); }
    // Starts the game and waits for its main window; false on failure.
    bool start();
    QString windowId() const { return Window; }
    // The main window has the focus again (after a dialog, for instance).
    bool focusMain() const;
    bool running() const { return Process.state() == QProcess::Running; }

    // Waits for the end; a game still running then is killed and false is
    // returned.
    bool waitForExit(int timeoutMs);
    bool crashed() const { return Process.exitStatus() != QProcess::NormalExit; }
    int exitCode() const { return Process.exitCode(); }
    // Waits for a normal end with status 0: why it did not end so, or empty.
    QString expectCleanExit(int timeoutMs = ExitMs);
    // Exit (Ctrl+Q) from the main window, then expectCleanExit().
    QString quit(int timeoutMs = ExitMs);
    // Waits for the top-score prompt (five lost lives and "Game Over" may
    // come first), checks that no score-file error came with it, and enters
    // `name`: why that failed, or empty.
    QString enterTopScore(const QString& name);
    // What the game wrote to stderr so far.
    QString standardError();
    // Waits until stderr holds `text`.
    bool waitForStandardError(const QString& text, int timeoutMs);

    // The game's main thread sleeps without handling events, as in the
    // one-second waits at the start of a game, a level or a round.
    bool inPlainSleep() const;
    // After New Game: waits for the game's one-second start and then for its
    // loop to run; false when either does not come in time.
    bool waitForGameLoop() const;
    // Polls every few milliseconds until `condition` holds; false on timeout.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

  private:
    const X11Session& X;
    QString Executable;
    QStringList Wrapper;
    QProcessEnvironment Extra;
    QProcess Process;
    QString Window;
    QByteArray Errors;
};

// Whether this process may write into folders it has made read-only (root).
bool RunningAsRoot();
// What runs a program as an ordinary user: nothing when this process is not
// root, setpriv as the user nobody when it is; no value when root cannot
// drop its privileges here (no user nobody or no setpriv).
std::optional<QStringList> OrdinaryUserWrapper();
