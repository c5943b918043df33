// pad_game: the game, built as its main() builds it, with a virtual game
// controller plugged in and driven by lines on standard input. SDL's virtual
// pads exist only inside the process that makes them, so the pad and the
// game share this one; for trying the controller support by hand.
//
//   pad_game [GAME_FOLDER] < commands      (default folder: the built game's)
//
// One command a line:
//   press NAME | release NAME   a button by SDL's name: dpup dpdown dpleft
//                               dpright start back a b x y ...
//   tap NAME                    press now, release 300 ms later (the game
//                               reads pads once a pass, 250 ms between games)
//   stick X Y                   left stick, -32768..32767 each, y down
//   plug                        another pad, chosen for the commands after
//   pad N                       chooses pad N (1 = the first), plugging it in
//                               again if it is out: the same device comes back
//   unplug                      the chosen pad
//   quit
#include "support/VirtualPad.h"

#include "platform/Files.h"
#include "platform/GameControllers.h"
#include "window/FrmMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

class PadDriver {
  public:
    PadDriver() : Notifier(STDIN_FILENO, QSocketNotifier::Read)
    {
        QObject::connect(&Notifier, &QSocketNotifier::activated, [this] { readInput(); });
        Pads.push_back(std::make_unique<VirtualPad>(1));
    }

  private:
    // Reads what is there without blocking the game; several lines may
    // arrive at once.
    void readInput()
    {
        char chunk[512];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            Notifier.setEnabled(false); // end of input: the pads stay as they are
            return;
        }
        Pending.append(chunk, got);
        for (qsizetype end = Pending.indexOf('\n'); end >= 0; end = Pending.indexOf('\n')) {
            run(Pending.left(end).trimmed());
            Pending.remove(0, end + 1);
        }
    }

    void run(const QByteArray& line)
    {
        const QList<QByteArray> words = line.split(' ');
        const QByteArray& verb = words.value(0);
        const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(words.value(1).constData());
        const std::size_t chosen = words.value(1).toUInt() - 1; // for "pad N"
        if (verb == "pad" && chosen < Pads.size()) {
            if (!Pads[chosen]->plugged()) // each pad a make of its own
                Pads[chosen] = std::make_unique<VirtualPad>(static_cast<Uint16>(chosen + 1));
            Chosen = chosen;
            platform::PollGameControllers(); // a virtual pad makes no device node that wakes the game
            return;
        }
        VirtualPad* pad = Pads[Chosen]->plugged() ? Pads[Chosen].get() : nullptr;
        if (verb.isEmpty())
            return;
        if (verb == "quit")
            QApplication::closeAllWindows(); // as the close box: ends even a game
        else if (verb == "plug") {
            Pads.push_back(std::make_unique<VirtualPad>(static_cast<Uint16>(Pads.size() + 1)));
            Chosen = Pads.size() - 1;
            platform::PollGameControllers();
        } else if (verb == "unplug" && pad)
            pad->unplug();
        else if (!pad)
            std::fprintf(stderr, "pad_game: no pad plugged in\n");
        else if (verb == "stick" && words.size() == 3)
            pad->stick(words[1].toInt(), words[2].toInt());
        else if (button == SDL_CONTROLLER_BUTTON_INVALID)
            std::fprintf(stderr, "pad_game: cannot read \"%s\"\n", line.constData());
        else if (verb == "press")
            pad->press(button);
        else if (verb == "release")
            pad->release(button);
        else if (verb == "tap") {
            pad->press(button);
            QTimer::singleShot(300, [this, pad, button] {
                for (const auto& plugged : Pads) {
                    if (plugged.get() == pad) // not plugged in anew meanwhile
                        pad->release(button);
                }
            });
        }
    }

    QSocketNotifier Notifier;
    QByteArray Pending;
    std::vector<std::unique_ptr<VirtualPad>> Pads;
    std::size_t Chosen = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    platform::SetAppPath(argc > 1 ? argv[1] : SNAKE_GAME_DIR);
    if (!platform::StartGameControllers()) {
        std::fprintf(stderr, "pad_game: SDL's game-controller layer did not start\n");
        return 1;
    }
    FrmMain window;
    window.Form_Load();
    PadDriver driver;
    return app.exec();
}
