#include "platform/MissingDisplay.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

std::string MissingDisplay(const QProcessEnvironment& environment, const QStringList& arguments, bool waylandPlugin)
{
    const auto set = [&environment](const char* name) {
        return !environment.value(QString::fromLatin1(name)).isEmpty();
    };
    // Qt takes --platform for -platform.
    if (set("QT_QPA_PLATFORM") || arguments.contains(QStringLiteral("-platform")) ||
        arguments.contains(QStringLiteral("--platform")) || set("DISPLAY"))
        return {};
    if (!set("WAYLAND_DISPLAY"))
        return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    if (!waylandPlugin)
        return "Wayland needs the package qt6-wayland (Qt's Wayland plugin is not installed)";
    return {};
}

std::string MissingDisplayHere(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Where Qt looks for platform plugins; the folder it is told comes first.
    QStringList folders{qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")};
    for (const QString& folder : QCoreApplication::libraryPaths())
        folders << folder + QStringLiteral("/platforms");
    bool waylandPlugin = false;
    for (const QString& folder : folders) {
        if (!folder.isEmpty() && !QDir(folder).entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty())
            waylandPlugin = true;
    }
    return MissingDisplay(QProcessEnvironment::systemEnvironment(), arguments, waylandPlugin);
}

} // namespace platform
