#pragma once
// A modal message box with one OK button, for the few messages the game
// shows outside its own windows (damaged files, fatal errors).
#include <string>

namespace platform {

enum class MessageIcon { Warning, Critical };

// Shows the box over the active window and returns when it is closed.
// Returns false, showing nothing, when the program runs without windows.
bool ShowMessage(MessageIcon icon, const std::string& title, const std::string& text);

} // namespace platform
