#pragma once
// The window system the game asks Qt for. On a Wayland desktop that also
// runs XWayland the game prefers X11: there the close box ends the game in
// every state, a modal box up or not (CloseRequest), which Qt on Wayland
// cannot offer. Where X11 cannot be reached it runs on Wayland. A platform
// the user names in QT_QPA_PLATFORM always wins.
#include <QByteArray>
#include <QProcessEnvironment>

namespace platform {

// The Qt platform, or list of platforms tried in turn, to use under
// `environment`; empty for Qt's own choice.
QByteArray ChosenQtPlatform(const QProcessEnvironment& environment);
// Applies the choice to this process, on X11 sends frames without Qt's
// shared memory (fewer wake-ups), and names the game's desktop entry; call
// before the application exists.
void ChooseQtPlatform();

} // namespace platform
