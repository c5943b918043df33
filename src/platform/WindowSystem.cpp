#include "platform/WindowSystem.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace platform {

namespace {
bool UserTurnedShmOff = false;
} // namespace

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
    // Frames go to the X server as small changed rectangles. Through Qt's
    // shared memory each flush costs a blocking round trip, about three
    // extra wake-ups a pass; a plain image upload costs none. Zoomed frames,
    // nine times the pixels, take shared memory of the presenter's own
    // (ShmFlush). Measured with bench/present_compare.sh. A user's own
    // setting wins, Qt 5's name included.
    UserTurnedShmOff = qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM") || qEnvironmentVariableIsSet("QT_X11_NO_MITSHM");
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // The dock finds the window's icon and name by the installed desktop
    // entry; on Wayland this is the window's app id.
    QGuiApplication::setDesktopFileName(QStringLiteral("snake-game"));
}

bool SharedMemoryTurnedOff()
{
    return UserTurnedShmOff;
}

} // namespace platform
