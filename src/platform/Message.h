#pragma once
// A modal message box with one OK button, for the few messages the game
// shows outside its own windows (damaged files, fatal errors).
#include <string>

class QWidget;

namespace platform {

enum class MessageIcon { Warning, Critical };

// The window a box or prompt belongs to: the active one, or else the main
// window, so that it stays above a full-screen game the player has left.
QWidget* BoxOwner();

// Shows the box over BoxOwner() and returns when it is closed.
// Returns false, showing nothing, when the program runs without windows.
bool ShowMessage(MessageIcon icon, const std::string& title, const std::string& text);

} // namespace platform
