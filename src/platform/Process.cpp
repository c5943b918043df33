#include "platform/Process.h"

#include <cstdio>
#include <cstdlib>

namespace platform {
namespace {

EndProgramHandler& handler()
{
    static EndProgramHandler h;
    return h;
}

bool failed = false;

} // namespace

void SetEndProgramHandler(EndProgramHandler h)
{
    handler() = std::move(h);
}

void EndProgramFailed()
{
    failed = true;
}

void EndProgram(int status)
{
    if (failed)
        status = EXIT_FAILURE;
    if (handler())
        handler()(status);
    std::fflush(nullptr);
    // quit() would only leave the innermost event loop; a game may be running
    // several loops deep, so leave without unwinding.
    std::_Exit(status);
}

} // namespace platform
