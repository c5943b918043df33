// The window system the game asks Qt for.
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include "platform/WindowSystem.h"

#include <QProcessEnvironment>
#include <QtTest>

class TestWindowSystem : public QObject {
    Q_OBJECT

  private slots:
    void waylandDesktopsGetX11WhereOffered_data()
    {
        Columns<QString, QString, QString, QString>("wayland", "display", "userChoice", "chosen");
        AddRow("Wayland with XWayland", "wayland-0", ":0", "", "xcb");
        AddRow("Wayland without XWayland", "wayland-0", "", "", "");
        AddRow("X11 only", "", ":0", "", "");
        AddRow("user chose wayland", "wayland-0", ":0", "wayland", "");
        AddRow("user chose xcb", "wayland-0", ":0", "xcb", "");
        AddRow("nothing", "", "", "", "");
    }

    // Under Wayland with XWayland the game asks for X11; otherwise, and always
    // when the user named a platform, Qt's own choice stands.
    void waylandDesktopsGetX11WhereOffered()
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
