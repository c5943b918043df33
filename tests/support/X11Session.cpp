#include "support/X11Session.h"

#include "support/FileBytes.h"
#include "support/MapFiles.h"
#include "support/Processes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Built beside the tests by tests/tools.
QString CloseHelper()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tools/wm_close");
}

QString SelectionHelper()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tools/x_selection");
}

QString AreaHashHelper()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tools/x_area_hash");
}

// xdotool's --name takes a POSIX extended regular expression.
QString WholeTitlePattern(const QString& title)
{
    static const QString special = QStringLiteral(".[]{}()\\*+?^$|");
    QString pattern = QStringLiteral("^");
    for (const QChar c : title) {
        if (special.contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern + QLatin1Char('$');
}

std::optional<QString> RunTool(const QString& program, const QStringList& args, const QProcessEnvironment& env,
                               int timeoutMs)
{
    const ProgramRun run = RunProgram(program, args, env, timeoutMs);
    return run.ok ? std::optional<QString>(run.output) : std::nullopt;
}

// Copies the folder `from` as `to`, keeping the permission bits (the executable!).
bool CopyTree(const QString& from, const QString& to)
{
    return RunProgram(QStringLiteral("cp"), {"-a", from, to}, QProcessEnvironment::systemEnvironment(), 60000).ok;
}

} // namespace

QString MissingX11Tools()
{
    for (const char* tool : {"Xvfb", "xdotool"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/setup.sh installs it)").arg(QLatin1String(tool));
    }
    for (const QString& helper : {CloseHelper(), SelectionHelper(), AreaHashHelper()}) {
        if (!QFileInfo(helper).isExecutable())
            return QStringLiteral("the helper %1 was not built (needs libxcb1-dev)").arg(helper);
    }
    return {};
}

X11Session::X11Session()
{
    // Like /tmp: a game run as another user makes its own folder in it.
    ::chmod(QFile::encodeName(DataHome.path()).constData(), 01777);
    // The script prints the display, and keeps the server until its input
    // closes: also when this test dies.
    QProcessEnvironment screen = QProcessEnvironment::systemEnvironment();
    screen.insert(QStringLiteral("SNAKE_XVFB_SCREEN"), QStringLiteral("640x480x24"));
    Server.setProcessEnvironment(screen);
    Server.start(QStringLiteral(SNAKE_XVFB_SCRIPT), {});
    QDeadlineTimer deadline(SlowStepMs);
    while (!deadline.hasExpired() && !Server.canReadLine() && Server.state() != QProcess::NotRunning)
        Server.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    Display = QString::fromLatin1(Server.readLine()).trimmed();
}

QString StartX11(std::unique_ptr<X11Session>& session)
{
    const QString missing = MissingX11Tools();
    if (!missing.isEmpty())
        return missing;
    session = std::make_unique<X11Session>();
    if (!session->ready())
        return QStringLiteral("Xvfb did not start");
    return {};
}

X11Session::~X11Session()
{
    Server.closeWriteChannel();
    if (!Server.waitForFinished(3000)) {
        Server.kill();
        Server.waitForFinished(1000);
    }
}

QProcessEnvironment X11Session::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), Display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    // Never the real home: some games keep their scores there.
    env.insert(QStringLiteral("XDG_DATA_HOME"), DataHome.path());
    return env;
}

QString X11Session::userScoreFile() const
{
    return DataHome.path() + QStringLiteral("/snake-game/scores.dat");
}

std::optional<QString> X11Session::xdotool(const QStringList& args, int timeoutMs) const
{
    return RunTool(QStringLiteral("xdotool"), args, environment(), timeoutMs);
}

std::optional<QString> X11Session::waitForWindow(const QString& title, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    do {
        // xdotool exits with 1 while nothing matches; poll instead of --sync
        // so that the wait has an end.
        const auto found = xdotool({"search", "--onlyvisible", "--name", WholeTitlePattern(title)});
        if (found) {
            const QString id = found->section(QLatin1Char('\n'), 0, 0).trimmed();
            if (!id.isEmpty())
                return id;
        }
        QTest::qWait(50);
    } while (!deadline.hasExpired());
    return std::nullopt;
}

bool X11Session::hasWindow(const QString& title) const
{
    return xdotool({"search", "--onlyvisible", "--name", WholeTitlePattern(title)}).has_value();
}

bool X11Session::focus(const QString& id) const
{
    return xdotool({"windowfocus", "--sync", id}, SlowStepMs).has_value();
}

bool X11Session::key(const QString& keys) const
{
    return xdotool(QStringList{QStringLiteral("key")} + keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)).has_value();
}

bool X11Session::type(const QString& text) const
{
    return xdotool({"type", "--delay", "20", text}).has_value();
}

std::optional<QString> X11Session::fieldText() const
{
    if (!key(QStringLiteral("ctrl+a")))
        return std::nullopt;
    return RunTool(SelectionHelper(), {}, environment(), SlowStepMs);
}

std::optional<QString> X11Session::areaHash(const QString& id, const QRect& area) const
{
    const QStringList args{id, QString::number(area.x()), QString::number(area.y()), QString::number(area.width()),
                           QString::number(area.height())};
    return RunTool(AreaHashHelper(), args, environment(), SlowStepMs);
}

bool X11Session::requestClose(const QString& id) const
{
    return RunTool(CloseHelper(), {id}, environment(), SlowStepMs).has_value();
}

QString X11Session::answerBox(const QString& title, int timeoutMs) const
{
    const auto box = waitForWindow(title, timeoutMs);
    if (!box)
        return QStringLiteral("no box \"%1\" came").arg(title);
    if (!focus(*box) || !key(QStringLiteral("Return")))
        return QStringLiteral("could not answer the box \"%1\"").arg(title);
    return {};
}

GameFolder::GameFolder(const QString& playableFolder)
{
    // Readable by everyone: some cases run the game as another user.
    QFile::setPermissions(Root.path(), QFile::permissions(Root.path()) | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    Ready = Root.isValid() && CopyTree(playableFolder, path()) && QFileInfo(executable()).isExecutable();
}

QString GameFolder::path() const
{
    return Root.path() + QStringLiteral("/game");
}

QString GameFolder::file(const QString& name) const
{
    return path() + QLatin1Char('/') + name;
}

bool GameFolder::writeMap(const QString& name, const QStringList& rows) const
{
    return write(name, MapFileBytes(rows));
}

bool GameFolder::write(const QString& name, const QByteArray& bytes) const
{
    return WriteFileBytes(file(name), bytes);
}

QByteArray GameFolder::read(const QString& name) const
{
    return ReadFileBytes(file(name));
}

bool GameFolder::remove(const QString& name) const
{
    return QFile::remove(file(name));
}

bool GameFolder::removeMaps() const
{
    bool ok = true;
    for (const QString& name : QDir(path()).entryList({QStringLiteral("map*.dat")}, QDir::Files))
        ok = remove(name) && ok;
    return ok;
}

GameProcess::GameProcess(const X11Session& x, const QString& executable, const QStringList& wrapper)
    : X(x), Executable(executable), Wrapper(wrapper)
{
}

GameProcess::~GameProcess()
{
    if (Process.state() != QProcess::NotRunning) {
        Process.kill();
        Process.waitForFinished(2000);
    }
}

bool GameProcess::start()
{
    QProcessEnvironment env = X.environment();
    for (const QString& name : Extra.keys())
        env.insert(name, Extra.value(name));
    Process.setProcessEnvironment(env);
    Process.setWorkingDirectory(QFileInfo(Executable).absolutePath());
    if (Wrapper.isEmpty())
        Process.start(Executable, {});
    else
        Process.start(Wrapper.front(), Wrapper.mid(1) << Executable);
    if (!Process.waitForStarted(SlowStepMs))
        return false;
    const auto id = X.waitForWindow(QStringLiteral("Snake Game - By Quarvel"), SlowStepMs);
    if (!id) {
        Errors += Process.readAllStandardError();
        qWarning("the game printed: %s", Errors.constData());
        return false;
    }
    Window = *id;
    return focusMain();
}

bool GameProcess::focusMain() const
{
    return X.focus(Window);
}

bool GameProcess::waitForExit(int timeoutMs)
{
    const bool finished = Process.state() == QProcess::NotRunning || Process.waitForFinished(timeoutMs);
    if (!finished) {
        Process.kill();
        Process.waitForFinished(2000);
    }
    Errors += Process.readAllStandardError();
    return finished;
}

QString GameProcess::expectCleanExit(int timeoutMs)
{
    if (!waitForExit(timeoutMs))
        return QStringLiteral("the game was still running %1 ms after it was closed").arg(timeoutMs);
    if (crashed())
        return QStringLiteral("the game crashed: ") + standardError();
    if (exitCode() != 0)
        return QStringLiteral("the game ended with status %1: %2").arg(exitCode()).arg(standardError());
    return {};
}

QString GameProcess::quit(int timeoutMs)
{
    if (!focusMain() || !X.key(QStringLiteral("ctrl+q")))
        return QStringLiteral("could not press Ctrl+Q in the main window");
    return expectCleanExit(timeoutMs);
}

QString GameProcess::enterTopScore(const QString& name)
{
    const auto prompt = X.waitForWindow(QStringLiteral("Congratulations, you have a top score!"), SlowStepMs);
    if (!prompt)
        return QStringLiteral("no top-score prompt; stderr: ") + standardError();
    if (X.hasWindow(QStringLiteral("High Scores")))
        return QStringLiteral("a score-file error came with the prompt");
    if (!X.focus(*prompt) || !X.type(name))
        return QStringLiteral("could not type the name");
    // Return only once the field shows the whole name: a name that reached
    // the field cut short on a busy machine was saved without a word.
    QString shown;
    const bool typed = waitUntil(
        [&] {
            shown = X.fieldText().value_or(QString());
            return shown == name;
        },
        SlowStepMs);
    if (!typed)
        return QStringLiteral("the name field shows \"%1\", not \"%2\"").arg(shown, name);
    if (!X.key(QStringLiteral("Return")))
        return QStringLiteral("could not press Return in the prompt");
    return {};
}

QString GameProcess::standardError()
{
    QCoreApplication::processEvents(); // QProcess reads its pipes from the event loop
    Errors += Process.readAllStandardError();
    return QString::fromLocal8Bit(Errors);
}

bool GameProcess::waitForStandardError(const QString& text, int timeoutMs)
{
    return waitUntil([&] { return standardError().contains(text); }, timeoutMs);
}

bool GameProcess::inPlainSleep() const
{
    return InPlainSleep(Process.processId());
}

bool GameProcess::waitForGameLoop() const
{
    return waitUntil([this] { return inPlainSleep(); }, SlowStepMs) &&
           waitUntil([this] { return !inPlainSleep(); }, SlowStepMs);
}

bool GameProcess::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

std::optional<QStringList> OrdinaryUserWrapper()
{
    if (!RunningAsRoot())
        return QStringList{};
    if (!::getpwnam("nobody") || QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return std::nullopt;
    return QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};
}
