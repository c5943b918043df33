// The window system the game asks Qt for.
#include "support/DataRows.h"
#include "support/TableColumns.h"

#include "platform/MissingDisplay.h"
#include "platform/WindowSystem.h"

#include <QProcessEnvironment>
#include <QtTest>

class TestWindowSystem : public QObject {
    Q_OBJECT

  private slots:
    void waylandDesktopsPreferX11AndFallBack_data()
    {
        // missing: what the game says it lacks, without Qt's Wayland plugin, when
        // Qt can open no window system.
        Columns<QString, QString, QString, QString, QString>("wayland", "display", "userChoice", "chosen", "missing");
        AddRow("Wayland with XWayland, or a stale DISPLAY", "wayland-0", ":0", "", "xcb;wayland", "qt6-wayland");
        AddRow("Wayland without XWayland", "wayland-0", "", "", "wayland", "qt6-wayland");
        AddRow("X11 only", "", ":0", "", "", "display \":0\" cannot be opened");
        AddRow("user chose wayland", "wayland-0", ":0", "wayland", "", "qt6-wayland");
        AddRow("user chose xcb", "wayland-0", ":0", "xcb", "", "qt6-wayland");
        AddRow("user chose a list, no Wayland", "", ":0", "wayland;xcb", "", "display \":0\" cannot be opened");
        AddRow("nothing", "", "", "", "", "no display found");
    }

    // Under Wayland the game asks for X11 first and Wayland if X11 fails,
    // Wayland alone without a DISPLAY; otherwise, and always when the user
    // named a platform, Qt's own choice stands. Where Qt can open none, the
    // game names what is missing in one line.
    void waylandDesktopsPreferX11AndFallBack()
    {
        const auto [wayland, display, userChoice, chosen, missing] =
            Fetch<QString, QString, QString, QString, QString>("wayland", "display", "userChoice", "chosen", "missing");
        QProcessEnvironment environment;
        const auto setIf = [&environment](const char* name, const QString& value) {
            if (!value.isEmpty())
                environment.insert(QString::fromLatin1(name), value);
        };
        setIf("WAYLAND_DISPLAY", wayland);
        setIf("DISPLAY", display);
        setIf("QT_QPA_PLATFORM", userChoice);
        QCOMPARE(QString::fromLatin1(platform::ChosenQtPlatform(environment)), chosen);
        const QString said = QString::fromStdString(platform::MissingDisplay(environment, false));
        QVERIFY2(said.contains(missing) && !said.contains('\n'), qPrintable(said));
    }
};

QTEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
