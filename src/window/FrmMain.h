#pragma once
// The main window: playfield, status labels, message label, title picture
// and the menus through which games are started, paused and aborted.
#include "game/GameView.h"
#include "platform/CloseRequest.h"
#include "platform/Int16.h"
#include "window/MainMenu.h"
#include "window/MenuKeyboard.h"

#include <QMainWindow>

#include <memory>

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
    void Form_KeyDown(Int16 KeyCode, Int16 Shift);
    // Ends the program at once; Cancel is never set.
    [[noreturn]] void Form_Unload(Int16& Cancel);

    void MenuItemNewGame_Click();
    void MenuItemPause_Click();
    void MenuItemAbort_Click();
    void MenuItemHigh_Click();
    [[noreturn]] void MenuItemExit_Click();
    void MenuItemOnePlayer_Click();
    void MenuItemTwoPlayer_Click();
    void mnipc_Click(Int16 Index);
    void MenuItemSpeed_Click(Int16 Index);
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

    QLabel* StatusLabelFor(ModMain::StatusLabel label) const;

    ClientArea* const Client;
    QLabel* const PicStartup;
    QLabel* const LblPlayer2;
    QLabel* const LblPlayer1;
    QLabel* const LblLives2;
    QLabel* const LblLives1;
    QLabel* const LblScore2;
    QLabel* const Label1;
    QLabel* const LblScore1;
    QLabel* const LblApple;
    const MainMenu Menu;
    // Alt, F10 and the arrows in the menus; the game waits while they are up.
    MenuKeyboard MenuKeys;
    // Game controllers beside the keyboard.
    const std::unique_ptr<GamepadInput> Pads;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetMenusInGame();

    // The close box still ends the game while a modal box is up.
    const platform::CloseRequestFilter CloseBox;
    int NewGameDepth = 0;       // New Game handlers active on the stack
    bool NewGamePending = false; // asked for while an aborted game unwinds
};
