#pragma once
// The menu bar: Game and Options with their items, shortcuts and the check
// marks they carry at start.
#include <array>

class QAction;
class QMenuBar;

struct MainMenu {
    QAction* MenuItemNewGame = nullptr;
    QAction* MenuItemPause = nullptr;
    QAction* MenuItemAbort = nullptr;
    QAction* MenuItemHigh = nullptr;
    QAction* MenuItemExit = nullptr;
    QAction* MenuItemOnePlayer = nullptr;
    QAction* MenuItemTwoPlayer = nullptr;
    std::array<QAction*, 5> mnipc{};         // Computer Players 0..4
    std::array<QAction*, 5> MenuItemSpeed{}; // Slowest .. Fastest
    QAction* MenuItemSound = nullptr;
};

// Fills `bar`; the actions belong to its menus.
MainMenu BuildMainMenu(QMenuBar& bar);
