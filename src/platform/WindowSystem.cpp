#include "platform/WindowSystem.h"

#include <QtGlobal>

namespace platform {

QByteArray ChosenQtPlatform(const QProcessEnvironment& environment)
{
    const auto set = [&environment](const char* name) {
        return !environment.value(QString::fromLatin1(name)).isEmpty();
    };
    if (set("QT_QPA_PLATFORM") || !set("WAYLAND_DISPLAY") || !set("DISPLAY"))
        return {};
    return QByteArrayLiteral("xcb");
}

void ChooseQtPlatform()
{
    const QByteArray chosen = ChosenQtPlatform(QProcessEnvironment::systemEnvironment());
    if (!chosen.isEmpty())
        qputenv("QT_QPA_PLATFORM", chosen);
    // Frames go to the X server as small changed rectangles. Through shared
    // memory each one costs a completion event and a round trip, about three
    // extra wake-ups a pass; a plain image upload costs none. Measured with
    // bench/present_compare.sh. A user's own setting wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

} // namespace platform
