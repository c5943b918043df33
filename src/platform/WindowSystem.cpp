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
}

} // namespace platform
