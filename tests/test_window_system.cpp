// The window system the game asks Qt for.
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include "platform/WindowSystem.h"

#include <QProcessEnvironment>
#include <QtTest>

class TestWindowSystem : public QObject {
    Q_OBJECT

  private slots:
    void waylandDesktopsPreferX11AndFallBack_data()
    {
        Columns<QString, QString, QString, QString>("wayland", "display", "userChoice", "chosen");
        AddRow("Wayland with XWayland, or a stale DISPLAY", "wayland-0", ":0", "", "xcb;wayland");
        AddRow("Wayland without XWayland", "wayland-0", "", "", "wayland");
        AddRow("X11 only", "", ":0", "", "");
        AddRow("user chose wayland", "wayland-0", ":0", "wayland", "");
        AddRow("user chose xcb", "wayland-0", ":0", "xcb", "");
        AddRow("user chose a list, no Wayland", "", ":0", "wayland;xcb", "");
        AddRow("nothing", "", "", "", "");
    }

    // Under Wayland the game asks for X11 first and Wayland if X11 fails,
    // Wayland alone without a DISPLAY; otherwise, and always when the user
    // named a platform, Qt's own choice stands.
    void waylandDesktopsPreferX11AndFallBack()
    {
        const auto [wayland, display, userChoice, chosen] =
            Fetch<QString, QString, QString, QString>("wayland", "display", "userChoice", "chosen");
        QProcessEnvironment environment;
        const auto setIf = [&environment](const char* name, const QString& value) {
            if (!value.isEmpty())
                environment.insert(QString::fromLatin1(name), value);
        };
        setIf("WAYLAND_DISPLAY", wayland);
        setIf("DISPLAY", display);
        setIf("QT_QPA_PLATFORM", userChoice);
        QCOMPARE(QString::fromLatin1(platform::ChosenQtPlatform(environment)), chosen);
    }
};

QTEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
