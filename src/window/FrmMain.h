#pragma once
// The main window: playfield, status labels, message label, title picture
// and the menus through which games are started, paused and aborted.
#include "platform/CloseRequest.h"
#include "platform/Int16.h"
#include "rules/GameView.h"
#include "window/MainMenu.h"
#include "window/MenuKeyboard.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class ClientArea;
class GamepadInput;
class QLabel;

class FrmMain final : public QMainWindow, public ModMain::GameView {
  public:
    using Int16 = platform::Int16;

    // Builds the window and installs it as the game's view.
    FrmMain();
    ~FrmMain() override;
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Start-up: seeds the random numbers, shows the window, sets defaults.
    void Form_Load();
    // Full screen, or back to the window's size and place before it (F11).
    void ToggleFullScreen();
    // A key pressed in the window, as a virtual-key code: steers a snake.
    void Form_KeyDown(Int16 KeyCode, Int16 Shift);
    // Ends the program at once; Cancel is never set.
    [[noreturn]] void Form_Unload(Int16& Cancel);

    // Game menu.
    void MenuItemNewGame_Click(); // runs a whole game; returns when it has ended
    void MenuItemPause_Click();   // pauses or resumes, with caption and label
    void MenuItemAbort_Click();   // ends the game at the end of its pass
    void MenuItemHigh_Click();    // opens the Hall of Fame
    [[noreturn]] void MenuItemExit_Click();
    // Options menu: each sets its setting and moves the check marks.
    void MenuItemOnePlayer_Click();
    void MenuItemTwoPlayer_Click();
    void mnipc_Click(Int16 Index);         // computer players, 0..4
    void MenuItemSpeed_Click(Int16 Index); // Slowest .. Fastest
    void MenuItemSound_Click();

    // GameView
    void SetLabelText(ModMain::StatusLabel label, const std::string& text) override;
    void SetMessageCaption(const std::string& caption) override;
    void SetMessageVisible(bool visible) override;
    void SetPauseCaption(const std::string& caption) override;
    void SetTitleVisible(bool visible) override;
    void SetTwoPlayerLayout(bool twoPlayers) override;
    void SetMenusIdle() override;
    void PresentFrame(const platform::Surface& backBuffer) override;
    void ShowAllLevelsCompleted() override;
    std::string AskTopScoreName() override;
    void ShowHallOfFame() override;

    // The label widget a status label is shown in.
    QLabel* StatusLabelFor(ModMain::StatusLabel label) const;

    ClientArea* const Client; // playfield and status rows below the menu
    QLabel* const PicStartup; // title picture over the playfield between games
    QLabel* const LblPlayer2; // "Player Two" heading
    QLabel* const LblPlayer1; // "Player One" heading
    QLabel* const LblLives2;
    QLabel* const LblLives1;
    QLabel* const LblScore2;
    QLabel* const Label1; // message over the playfield: "Paused", "Game Over", ...
    QLabel* const LblScore1;
    QLabel* const LblApple; // "Apples Left : n"
    const MainMenu Menu;    // the menu bar's items
    // Alt, F10 and the arrows in the menus; the game waits while they are up.
    MenuKeyboard MenuKeys;
    // Game controllers beside the keyboard.
    const std::unique_ptr<GamepadInput> Pads;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // New Game disabled, Abort Game enabled.
    void SetMenusInGame();
    // Sizes the window for the largest zoom that fits 80 % of its screen.
    void OpenAtStartZoom();
    // Resizes a window of the player's size, with the sizes it had for the
    // rows it was last fitted to, for the rows now shown.
    void FitToDesign(QSize window, QSize client, QRect frame);

    // The close box still ends the game while a modal box is up.
    const platform::CloseRequestFilter CloseBox;
    bool WasMaximized = false; // before full screen
    // The rows the window's own size was last fitted to.
    int SizedFor = 0;
    bool RefitWhenRestored = false; // the next resize is the window system's
    // The sizes of a window not sized by the player when its rows changed.
    struct Sizes {
        QSize window, client;
        QRect frame;
    };
    std::optional<Sizes> Unfitted;
    // A zoom the screen could not hold for more rows, the one shown instead,
    // and the client's size before, in device pixels.
    struct ZoomGivenUp {
        int wanted = 0;
        int shown = 0;
        QSize client;
    } GaveUp;
    int NewGameDepth = 0;        // New Game handlers active on the stack
    bool NewGamePending = false; // asked for while an aborted game unwinds
};
