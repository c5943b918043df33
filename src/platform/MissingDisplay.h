#pragma once
// Where no window can be shown, the game says what is missing in one line
// and ends with status 1, rather than Qt's abort and advice to reinstall.
#include <QProcessEnvironment>

#include <string>

namespace platform {

// What the game says is missing when Qt could open no window system under
// `environment` (as the user set it); `waylandPlugin` says whether Qt's
// Wayland plugin is installed.
std::string MissingDisplay(const QProcessEnvironment& environment, bool waylandPlugin);

// Made before the game chooses Qt's platform and kept until the application
// is made: Qt failing meanwhile to open any window system, whatever the cause
// (nothing set, a stale DISPLAY, no plugin), ends the program with the
// game's one line and status 1. Qt's other messages meanwhile are held back
// and told once it has started. A platform the user names (QT_QPA_PLATFORM,
// -platform) is left to Qt, messages and all.
class DisplayCheck {
  public:
    DisplayCheck(int argc, char* argv[]);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;
};

} // namespace platform
