#include "platform/MissingDisplay.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

QtMessageHandler QtsOwn = nullptr;
bool Checking = false;
QProcessEnvironment Environment; // as the user set it, before the game's own choice
std::vector<HeldMessage> Held;

bool WaylandPluginInstalled()
{
    // Where Qt looks for platform plugins; the folder it is told comes first.
    QStringList folders{qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")};
    for (const QString& folder : QCoreApplication::libraryPaths())
        folders << folder + QStringLiteral("/platforms");
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && !QDir(folder).entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        Held.push_back({type, context.category, text});
        return;
    }
    const std::string missing = MissingDisplay(Environment, WaylandPluginInstalled());
    std::fprintf(stderr, "snake: %s\n", missing.c_str());
    std::fflush(nullptr);
    ::_exit(1); // the application is half made: nothing of it may run down
}

} // namespace

std::string MissingDisplay(const QProcessEnvironment& environment, bool waylandPlugin)
{
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    const QString wayland = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (display.isEmpty() && wayland.isEmpty())
        return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    if (!wayland.isEmpty() && !waylandPlugin)
        return "Wayland needs the package qt6-wayland (Qt's Wayland plugin is not installed)";
    return display.isEmpty() ? "the Wayland display \"" + wayland.toStdString() + "\" cannot be opened"
                             : "the display \"" + display.toStdString() + "\" cannot be opened";
}

DisplayCheck::DisplayCheck(int argc, char* argv[])
{
    Environment = QProcessEnvironment::systemEnvironment();
    // A platform the user names wins, and so does Qt's word on it (Qt takes
    // --platform for -platform).
    bool named = !Environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty();
    for (int i = 1; i < argc; ++i)
        named = named || qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0;
    if (!named)
        QtsOwn = qInstallMessageHandler(HoldOrEnd);
    Checking = !named;
}

DisplayCheck::~DisplayCheck()
{
    if (Checking)
        qInstallMessageHandler(QtsOwn);
    for (const HeldMessage& message : Held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    Held.clear();
}

} // namespace platform
