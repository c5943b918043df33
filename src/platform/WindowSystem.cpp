#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace platform {

QByteArray ChosenQtPlatform(const QProcessEnvironment& environment)
{
    const auto set = [&environment](const char* name) {
        return !environment.value(QString::fromLatin1(name)).isEmpty();
    };
    if (set("QT_QPA_PLATFORM") || !set("WAYLAND_DISPLAY"))
        return {};
    // X11 first, but a DISPLAY with no usable server behind it (a stale one,
    // XWayland not running) leaves Qt to fall back on Wayland.
    if (set("DISPLAY"))
        return QByteArrayLiteral("xcb;wayland");
    // No DISPLAY: Qt's own default would try X11 and fail.
    return QByteArrayLiteral("wayland");
}

void ChooseQtPlatform()
{
    const QByteArray chosen = ChosenQtPlatform(QProcessEnvironment::systemEnvironment());
    if (!chosen.isEmpty())
        qputenv("QT_QPA_PLATFORM", chosen);
    // Frames go to the X server as the changed rectangles Qt repaints. With
    // Qt's shared memory each repaint over what the last one sent waits for
    // a round trip first: two more wake-ups a pass, more CPU at zoom 1 and
    // none saved in full screen (docs/performance.md). A user's own setting
    // wins; Qt takes any value as "off", so 0 is made to mean "on".
    if (qgetenv("QT_XCB_NO_MITSHM") == "0")
        qunsetenv("QT_XCB_NO_MITSHM");
    else if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // The dock finds the window's icon and name by the installed desktop
    // entry; on Wayland this is the window's app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("snake-game"));
}

} // namespace platform
