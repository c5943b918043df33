#include "window/FrmMain.h"

#include "flow/GameFlow.h"
#include "platform/Process.h"
#include "platform/Random.h"
#include "platform/Surface.h"
#include "window/ClientArea.h"
#include "window/Controls.h"
#include "window/FrmHigh.h"
#include "window/Gamepad.h"
#include "window/Keyboard.h"
#include "window/NamePrompt.h"
#include "window/Zoom.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>
#include <functional>

namespace {

using ModMain::StatusLabel;

// A checkable QAction flips its own mark before `triggered`; the handlers
// decide the marks themselves, so the flip is taken back first.
void OnTrigger(QAction* action, std::function<void()> handler)
{
    QObject::connect(action, &QAction::triggered, action, [action, handler = std::move(handler)](bool checked) {
        if (action->isCheckable())
            action->setChecked(!checked);
        handler();
    });
}

// A window in none of these states has the size the player gave it.
bool PlayerSized(Qt::WindowStates states)
{
    return !(states & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized));
}

} // namespace

FrmMain::FrmMain()
    : Client(Controls::MakeChild<ClientArea>(*this)), PicStartup(Controls::MakeTitlePicture(*Client)),
      LblPlayer2(Controls::MakeStatusLabel(*Client, QStringLiteral("Player Two"), {8, 344, 81, 17})),
      LblPlayer1(Controls::MakeStatusLabel(*Client, QStringLiteral("Player One"), {8, 304, 81, 17})),
      LblLives2(Controls::MakeStatusLabel(*Client, QStringLiteral("Lives : 5"), {160, 368, 105, 17})),
      LblLives1(Controls::MakeStatusLabel(*Client, QStringLiteral("Lives : 5"), {160, 328, 105, 17})),
      LblScore2(Controls::MakeStatusLabel(*Client, QStringLiteral("Score : 0"), {8, 368, 129, 17})),
      Label1(Controls::MakeMessageLabel(*Client)),
      LblScore1(Controls::MakeStatusLabel(*Client, QStringLiteral("Score : 0"), {8, 328, 89, 17})),
      LblApple(Controls::MakeStatusLabel(*Client, QStringLiteral("Apples Left :"), {176, 304, 105, 17})),
      Menu(BuildMainMenu(*menuBar())), MenuKeys(*menuBar()), Pads(std::make_unique<GamepadInput>(*this, Menu)),
      CloseBox(*this, [this] {
          Int16 cancel = 0;
          Form_Unload(cancel);
      })
{
    setWindowTitle(QStringLiteral("Snake Game - By Quarvel"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));
    // The menu belongs inside the window, above the client area, everywhere.
    menuBar()->setNativeMenuBar(false);
    setCentralWidget(Client);
    SizedFor = Client->DesignSize().height();
    // The title picture covers everything on the field, the message label too.
    PicStartup->raise();
    // Resizable: the client area shows everything at the largest whole zoom.
    for (QLabel* label : {LblPlayer2, LblPlayer1, LblLives2, LblLives1, LblScore2, LblScore1, LblApple})
        Client->KeepZoomed(*label);
    Client->KeepZoomed(*Label1, Controls::ZoomMessageLabel);
    Client->KeepZoomed(*PicStartup, Controls::ZoomTitlePicture);
    // F11, the desktops' full-screen key; the design has no use for it.
    auto* const fullScreen = Controls::MakeChild<QAction>(*this);
    fullScreen->setShortcut(Qt::Key_F11);
    fullScreen->setShortcutContext(Qt::WindowShortcut);
    addAction(fullScreen);
    connect(fullScreen, &QAction::triggered, this, [this] { ToggleFullScreen(); });
    // Keys go to the window itself; only the menu bar, activated from the
    // keyboard, takes the focus from it.
    setFocusPolicy(Qt::StrongFocus);
    menuBar()->setFocusPolicy(Qt::NoFocus);

    OnTrigger(Menu.MenuItemNewGame, [this] { MenuItemNewGame_Click(); });
    OnTrigger(Menu.MenuItemPause, [this] { MenuItemPause_Click(); });
    OnTrigger(Menu.MenuItemAbort, [this] { MenuItemAbort_Click(); });
    OnTrigger(Menu.MenuItemHigh, [this] { MenuItemHigh_Click(); });
    OnTrigger(Menu.MenuItemExit, [this] { MenuItemExit_Click(); });
    OnTrigger(Menu.MenuItemOnePlayer, [this] { MenuItemOnePlayer_Click(); });
    OnTrigger(Menu.MenuItemTwoPlayer, [this] { MenuItemTwoPlayer_Click(); });
    for (Int16 i = 0; i < 5; ++i) {
        OnTrigger(Menu.mnipc[i], [this, i] { mnipc_Click(i); });
        OnTrigger(Menu.MenuItemSpeed[i], [this, i] { MenuItemSpeed_Click(i); });
    }
    OnTrigger(Menu.MenuItemSound, [this] { MenuItemSound_Click(); });

    ModMain::SetGameView(this);
}

FrmMain::~FrmMain()
{
    if (&ModMain::View() == this)
        ModMain::SetGameView(nullptr);
}

void FrmMain::Form_Load()
{
    platform::RandomizeFromClock();
    OpenAtStartZoom();
    show();
    ModMain::SetDefaultSettings();
}

void FrmMain::OpenAtStartZoom()
{
    // The window at zoom 1 is the client's design size below the menu bar,
    // which is never zoomed; zooms count device pixels.
    const qreal ratio = devicePixelRatioF();
    const QSize design = Client->DesignSize();
    const QSize around = sizeHint() - design;
    const int zoom = Zoom::AtStart(Zoom::ToDevice(screen()->availableGeometry().size(), ratio), design,
                                   Zoom::ToDevice(around, ratio).height());
    resize(around + Zoom::ToLogical(design * zoom, ratio));
}

void FrmMain::ToggleFullScreen()
{
    // The window system keeps the size and place from before; a window
    // maximised before is maximised again.
    if (!isFullScreen()) {
        WasMaximized = isMaximized();
        showFullScreen();
    } else if (WasMaximized) {
        showMaximized();
    } else {
        showNormal();
    }
}

void FrmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates was = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if (PlayerSized(was) || !PlayerSized(windowState()))
        return;
    // Back from full screen or maximised, the window system gives back the
    // size it had, and the rows are fitted to it on that resize. Back from
    // minimised no resize follows: they are fitted now, from the sizes the
    // window had when they changed.
    RefitWhenRestored = (was & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    if (!RefitWhenRestored && Unfitted)
        FitToDesign(Unfitted->window, Unfitted->client, Unfitted->frame);
    Unfitted.reset();
}

void FrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // Back from full screen or maximised, the window system restores the
    // size it had; rows shown since then are fitted to it.
    if (RefitWhenRestored) {
        RefitWhenRestored = false;
        // The client may not have followed yet: the rows' smallest size
        // holds it while the window is smaller.
        FitToDesign(event->size(), event->size() - QSize(0, Client->y()), frameGeometry());
    }
}

void FrmMain::Form_KeyDown(Int16 KeyCode, Int16 /*Shift*/)
{
    Keyboard::SteerFromKey(KeyCode);
}

void FrmMain::Form_Unload(Int16& /*Cancel*/)
{
    ModMain::GameRunning = false;
    platform::EndProgram(0);
}

void FrmMain::keyPressEvent(QKeyEvent* event)
{
    // Keys the active menu bar leaves unused come here; they are the menus'.
    if (!MenuKeys.Active())
        Form_KeyDown(Keyboard::VirtualKeyFromEvent(*event), Keyboard::ShiftStateFromQt(event->modifiers()));
    event->accept();
}

void FrmMain::closeEvent(QCloseEvent* event)
{
    event->accept();
    Int16 cancel = 0;
    Form_Unload(cancel);
}

void FrmMain::MenuItemNewGame_Click()
{
    SetMenusInGame();
    if (NewGameDepth > 0) {
        // An aborted game is still unwinding further down the stack. Starting
        // here would let its unfinished sequence work on the new snakes, so the
        // outer handler starts the game once the old one has returned.
        NewGamePending = true;
        return;
    }
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;
    } guard(NewGameDepth);
    do {
        NewGamePending = false;
        SetMenusInGame();
        Pads->GameStarts();
        ModMain::NewGame();
    } while (NewGamePending);
}

void FrmMain::MenuItemPause_Click()
{
    ModMain::Paused = !ModMain::Paused;
    Label1->setText(QStringLiteral("Paused"));
    Label1->setVisible(ModMain::Paused);
    Menu.MenuItemPause->setText(ModMain::Paused ? QStringLiteral("Unpause") : QStringLiteral("Pause"));
}

void FrmMain::MenuItemAbort_Click()
{
    NewGamePending = false; // an abort also withdraws a new game still waiting
    ModMain::AbortGame();
    Menu.MenuItemAbort->setEnabled(false);
    Menu.MenuItemNewGame->setEnabled(true);
}

void FrmMain::MenuItemHigh_Click()
{
    OpenHallOfFame(this);
}

void FrmMain::MenuItemExit_Click()
{
    Int16 cancel = 0;
    Form_Unload(cancel);
}

void FrmMain::MenuItemOnePlayer_Click()
{
    if (Menu.MenuItemOnePlayer->isChecked())
        return;
    Menu.MenuItemOnePlayer->setChecked(true);
    ModMain::NumPlayers = 1;
    Menu.MenuItemTwoPlayer->setChecked(false);
}

void FrmMain::MenuItemTwoPlayer_Click()
{
    if (Menu.MenuItemTwoPlayer->isChecked())
        return;
    Menu.MenuItemTwoPlayer->setChecked(true);
    ModMain::NumPlayers = 2;
    Menu.MenuItemOnePlayer->setChecked(false);
}

void FrmMain::mnipc_Click(Int16 Index)
{
    if (Index < 0 || Index >= static_cast<Int16>(Menu.mnipc.size()))
        return; // no such item: marks and setting stay in step
    for (QAction* item : Menu.mnipc)
        item->setChecked(false);
    Menu.mnipc[Index]->setChecked(true);
    ModMain::NumComPlayers = Index;
}

void FrmMain::MenuItemSpeed_Click(Int16 Index)
{
    if (Index < 0 || Index >= static_cast<Int16>(Menu.MenuItemSpeed.size()))
        return;
    for (QAction* item : Menu.MenuItemSpeed)
        item->setChecked(false);
    Menu.MenuItemSpeed[Index]->setChecked(true);
    ModMain::SpeedDelay = ModMain::SpeedDelays[Index];
}

void FrmMain::MenuItemSound_Click()
{
    Menu.MenuItemSound->setChecked(!Menu.MenuItemSound->isChecked());
    ModMain::SoundOn = Menu.MenuItemSound->isChecked();
}

QLabel* FrmMain::StatusLabelFor(StatusLabel label) const
{
    switch (label) {
    case StatusLabel::Apple: return LblApple;
    case StatusLabel::Score1: return LblScore1;
    case StatusLabel::Lives1: return LblLives1;
    case StatusLabel::Score2: return LblScore2;
    case StatusLabel::Lives2: return LblLives2;
    }
    return LblApple;
}

void FrmMain::SetLabelText(StatusLabel label, const std::string& text)
{
    QLabel* const target = StatusLabelFor(label);
    // A computer's apple rewrites the unchanged score labels: no new string
    // for those. The texts are ASCII, and any other text is simply set.
    if (target->text() == QLatin1StringView(text.data(), static_cast<qsizetype>(text.size())))
        return;
    target->setText(QString::fromStdString(text));
}

void FrmMain::SetMessageCaption(const std::string& caption)
{
    Label1->setText(QString::fromStdString(caption));
}

void FrmMain::SetMessageVisible(bool visible)
{
    Label1->setVisible(visible);
}

void FrmMain::SetPauseCaption(const std::string& caption)
{
    Menu.MenuItemPause->setText(QString::fromStdString(caption));
}

void FrmMain::SetTitleVisible(bool visible)
{
    PicStartup->setVisible(visible);
}

void FrmMain::SetTwoPlayerLayout(bool twoPlayers)
{
    // The sizes the window was fitted with; the new smallest size may change
    // them at once.
    const QSize window = size();
    const QSize client = Client->size();
    const QRect frame = frameGeometry();
    Client->SetDesignHeight(twoPlayers ? ClientArea::TwoPlayerHeight : ClientArea::OnePlayerHeight);
    layout()->activate();
    // Resize now: the game may not process events for a while. A maximised
    // or full-screen window keeps its size, and may zoom less; a window the
    // player sizes again follows when it is back.
    if (PlayerSized(windowState()))
        FitToDesign(window, client, frame);
    else if (!Unfitted)
        Unfitted = Sizes{window, client, frame};
}

void FrmMain::FitToDesign(QSize window, QSize client, QRect frame)
{
    const QSize design = Client->DesignSize();
    const QSize was(ClientArea::Width, SizedFor);
    SizedFor = design.height();
    if (was == design)
        return;
    // Grows or shrinks by the rows at its zoom, unless the screen cannot
    // hold that; the zoom given up comes back when the rows go again. Zooms
    // count device pixels, the window is sized in its own.
    const qreal ratio = devicePixelRatioF();
    const QSize onScreen = Zoom::ToDevice(client, ratio);
    const int shown = Zoom::ToFit(onScreen, was);
    const bool restoring = shown == GaveUp.shown;
    const int wanted = restoring ? GaveUp.wanted : shown;
    const QRect available = screen()->availableGeometry();
    const QSize around = frame.size() - client;
    // The size the player gave it is always allowed back.
    const QSize room = Zoom::ToDevice(available.size() - around, ratio).expandedTo(restoring ? GaveUp.client : QSize());
    const int zoom = Zoom::AfterDesignChange(onScreen, was, design, wanted, room);
    GaveUp = zoom < wanted ? ZoomGivenUp{wanted, zoom, restoring ? GaveUp.client : onScreen} : ZoomGivenUp{};
    const QSize grow =
        Zoom::ToLogical(Zoom::Regrown(onScreen, was, shown, design, zoom), ratio) - Zoom::ToLogical(onScreen, ratio);
    // A window that grows past the screen's edge moves back onto it.
    QRect moved(frame.topLeft(), frame.size() + grow);
    if (moved.width() <= available.width() && moved.height() <= available.height()) {
        moved.moveRight(std::min(moved.right(), available.right()));
        moved.moveBottom(std::min(moved.bottom(), available.bottom()));
    }
    resize(window + grow);
    if (moved.topLeft() != frame.topLeft())
        move(moved.topLeft());
}

void FrmMain::SetMenusIdle()
{
    Menu.MenuItemNewGame->setEnabled(true);
    Menu.MenuItemAbort->setEnabled(false);
}

void FrmMain::SetMenusInGame()
{
    Menu.MenuItemNewGame->setEnabled(false);
    Menu.MenuItemAbort->setEnabled(true);
}

void FrmMain::PresentFrame(const platform::Surface& backBuffer)
{
    Client->Present(backBuffer);
}

void FrmMain::ShowAllLevelsCompleted()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Congratulations!"), QStringLiteral("All levels completed!"),
                    QMessageBox::Ok, this);
    box.exec();
}

std::string FrmMain::AskTopScoreName()
{
    return ModHigh::AskForTopScoreName();
}

void FrmMain::ShowHallOfFame()
{
    OpenHallOfFame(this);
}
