#include "support/WindowFixture.h"

#include "game/ModMain.h"
#include "game/ResetAll.h"
#include "platform/Files.h"
#include "platform/KeptFile.h"
#include "platform/Random.h"
#include "scores/FrmHigh.h"
#include "scores/ModHigh.h"
#include "window/ClientArea.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QTest>

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
    ResetAll();
}

void WindowFixture::writeMap(const QString& name, const QStringList& rows) const
{
    QFile file(Folder.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int y = 0; y < 30; ++y) {
        QByteArray line = y < rows.size() ? rows[y].toLatin1() : QByteArray();
        line = line.leftJustified(30, ' ');
        file.write(line + "\r\n");
    }
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

int WindowFixture::frames() const { return Window->Client->FramesPresented(); }

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

void PressKey(FrmMain& window, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(window.windowHandle(), key, modifiers);
}
