#include "support/WindowFixture.h"

#include "support/FileBytes.h"
#include "support/MapFiles.h"

#include "flow/ResetAll.h"
#include "platform/Files.h"
#include "platform/GameControllers.h"
#include "platform/KeptFile.h"
#include "platform/Random.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "scores/ModHigh.h"
#include "window/ClientArea.h"
#include "window/FrmHigh.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QWindow>

#include <map>

WindowFixture::WindowFixture()
{
    ResetAll();
    platform::SetAppPath(Folder.path().toStdString());
    platform::SetUserDataPath(Folder.filePath(QStringLiteral("user-data")).toStdString());
    platform::SeedRandom(12345);
    writeMap(QStringLiteral("map1.dat"));
    time.pumpQt = true;

    Window = std::make_unique<FrmMain>();
    Window->Form_Load();
    platform::SeedRandom(12345); // Form_Load mixed in the clock
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));

    // Modal dialogs run their own loop; answer them from inside it.
    Answerer.setInterval(10);
    QObject::connect(&Answerer, &QTimer::timeout, [this] { answerModal(); });
    Answerer.start();
}

WindowFixture::~WindowFixture()
{
    Answerer.stop();
    time.onProcessEvents = nullptr;
    CloseHallOfFame();
    Window.reset();
    platform::StopGameControllers(); // unplugs every virtual pad too
    ResetAll();
}

void WindowFixture::writeMap(const QString& name, const QStringList& rows) const
{
    QVERIFY(WriteFileBytes(Folder.filePath(name), MapFileBytes(rows)));
}

void WindowFixture::playGame(const std::function<void()>& step, int limit)
{
    points = 0;
    hitLimit = false;
    time.onProcessEvents = [this, &step, limit] {
        ++points;
        if (points > limit && ModMain::GameRunning) {
            hitLimit = true;
            Window->MenuItemAbort_Click();
            return;
        }
        if (points <= limit)
            step();
    };
    Window->Menu.MenuItemNewGame->trigger();
    time.onProcessEvents = nullptr;
}

bool WindowFixture::checkRunningGame(const std::function<void()>& check)
{
    bool checked = false;
    playGame([&] {
        if (!ModMain::GameRunning || checked)
            return;
        checked = true;
        check();
        Window->Menu.MenuItemAbort->trigger();
    });
    return checked && !hitLimit;
}

bool WindowFixture::zoomTo(int zoom)
{
    ClientArea& client = *Window->Client;
    Window->resize(Window->size() - client.size() + client.DesignSize() * zoom);
    return QTest::qWaitFor([&] { return client.Zoom() == zoom && client.size() == client.DesignSize() * zoom; });
}

int WindowFixture::frames() const
{
    return Window->Client->FramesPresented();
}

void WindowFixture::answerModal()
{
    QWidget* modal = QApplication::activeModalWidget();
    auto* dialog = qobject_cast<QDialog*>(modal);
    if (!dialog)
        return;
    AnsweredDialog answered;
    answered.title = dialog->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        answered.text = box->text();
        answered.icon = box->icon();
        answered.buttons = static_cast<int>(box->buttons().size());
    }
    dialogs.push_back(answered);
    dialog->reject();
}

QList<int> Requests()
{
    QList<int> dirs;
    for (const auto& snake : ModMain::Snakes)
        dirs.append(snake->dir);
    return dirs;
}

QString NotIdle(const FrmMain& window)
{
    QStringList wrong;
    if (ModMain::GameRunning)
        wrong << QStringLiteral("a game runs");
    if (!ModMain::Snakes.empty())
        wrong << QStringLiteral("snakes left");
    if (!window.PicStartup->isVisible())
        wrong << QStringLiteral("no title picture");
    if (!window.Menu.MenuItemNewGame->isEnabled())
        wrong << QStringLiteral("New Game disabled");
    if (window.Menu.MenuItemAbort->isEnabled())
        wrong << QStringLiteral("Abort enabled");
    return wrong.join(QStringLiteral(", "));
}

void SetUpStackedSnakes(int players, bool running)
{
    ModMain::GameRunning = running;
    ModMain::Snakes.clear();
    for (int i = 0; i < players; ++i) {
        auto snake = std::make_shared<Snake>();
        snake->init(10, static_cast<platform::Int16>(10 + 10 * i), 15, ModMain::DirUp);
        snake->dir = 0;
        ModMain::Snakes.push_back(std::move(snake));
    }
}

void PressKey(FrmMain& window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

void PressKeys(FrmMain& window, const QString& keys)
{
    static const std::map<QString, Qt::Key> named{
        {QStringLiteral("F10"), Qt::Key_F10},       {QStringLiteral("F2"), Qt::Key_F2},
        {QStringLiteral("F3"), Qt::Key_F3},         {QStringLiteral("F4"), Qt::Key_F4},
        {QStringLiteral("Left"), Qt::Key_Left},     {QStringLiteral("Right"), Qt::Key_Right},
        {QStringLiteral("Up"), Qt::Key_Up},         {QStringLiteral("Down"), Qt::Key_Down},
        {QStringLiteral("Return"), Qt::Key_Return}, {QStringLiteral("Esc"), Qt::Key_Escape},
    };
    for (const QString& name : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QWidget* popup = QApplication::activePopupWidget();
        QWindow* target = popup ? popup->windowHandle() : window.windowHandle();
        if (name == QLatin1String("Click")) {
            QTest::mouseClick(window.Client, Qt::LeftButton, {}, QPoint(150, 150));
            continue;
        }
        if (name.startsWith(QLatin1String("Title")) || name.startsWith(QLatin1String("Bar"))) {
            const QMenuBar& bar = *window.menuBar();
            const QPoint title = bar.actionGeometry(bar.actions().first()).center();
            const QPoint spot = bar.mapTo(&window, name.startsWith('T') ? title : title + QPoint(300, 0));
            if (name.endsWith(QLatin1String("Click")))
                QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, spot);
            else
                QTest::mouseMove(window.windowHandle(), spot); // through the window, as an open menu sees it
            continue;
        }
        if (name == QLatin1String("Resize")) {
            const QSize before = window.size();
            window.resize(before + QSize(before.width() % 2 ? -41 : 41, 0));
            QTRY_VERIFY(window.size() != before);
            continue;
        }
        if (name == QLatin1String("Box")) {
            QMessageBox(QMessageBox::Warning, name, name, QMessageBox::Ok, &window).exec();
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            continue;
        }
        if (name == QLatin1String("Away")) {
            QWidget other;
            other.show();
            other.activateWindow();
            QTRY_VERIFY(other.isActiveWindow());
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            continue;
        }
        if (name == QLatin1String("Alt")) {
            QTest::keyPress(target, Qt::Key_Alt, Qt::AltModifier);
            QTest::keyRelease(target, Qt::Key_Alt, Qt::NoModifier);
            continue;
        }
        const auto key = named.find(name);
        QVERIFY2(key != named.end(), qPrintable(name));
        QTest::keyClick(target, key->second);
    }
}
