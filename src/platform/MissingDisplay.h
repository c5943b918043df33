#pragma once
// Where no window can be shown, the game says what is missing in one line
// and ends with status 1, before Qt would abort with a message of its own.
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

namespace platform {

// What is missing for a window under `environment`, or empty. A platform the
// user names (QT_QPA_PLATFORM, -platform in `arguments`) always has its
// try; `waylandPlugin` says whether Qt's Wayland plugin is installed.
std::string MissingDisplay(const QProcessEnvironment& environment, const QStringList& arguments, bool waylandPlugin);

// The same for this process and the plugins Qt would load.
std::string MissingDisplayHere(int argc, char* argv[]);

} // namespace platform
