#pragma once
// The few options the game takes before any window exists: --help,
// --help-all (with Qt's options) and --version print and end the program;
// everything else is left to Qt.
#include <optional>

namespace platform {

// Names the application (its per-user data folder is named after it) and
// answers --help, --help-all or --version on stdout. Returns the exit status when the
// program should end now, or nothing when the game should start.
std::optional<int> HandleCommandLine(int argc, char* argv[]);

} // namespace platform
