#include "platform/Fatal.h"
#include "platform/Int16.h"
#include "platform/Message.h"
#include "platform/Process.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

FatalHandler& handler()
{
    static FatalHandler h;
    return h;
}

} // namespace

void SetFatalHandler(FatalHandler h)
{
    handler() = std::move(h);
}

void FatalError(const std::string& message)
{
    if (handler())
        handler()(message);
    // Closing the main window while the box is up ends the program too.
    EndProgramFailed();
    std::fprintf(stderr, "snake: %s\n", message.c_str());
    ShowMessage(MessageIcon::Critical, "Snake Game", message);
    std::fflush(nullptr);
    // The game may be deep inside nested event loops; leave at once.
    std::_Exit(EXIT_FAILURE);
}

void OverflowError()
{
    FatalError("Overflow: a game number left the range -32768 to 32767.");
}

} // namespace platform
