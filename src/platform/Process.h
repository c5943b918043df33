#pragma once
// Ending the program at once, from any depth of nested event loops.
#include <functional>

namespace platform {

// Flushes stdio and ends the process with `status`. Nothing else runs: no
// destructors, no event loop, no waiting for sound.
[[noreturn]] void EndProgram(int status);

// Tests replace the ending (typically with one that records and throws). The
// handler must not return; if it does, the program ends anyway.
using EndProgramHandler = std::function<void(int)>;
void SetEndProgramHandler(EndProgramHandler handler);

// A fatal error is being reported: from now on the program ends with
// EXIT_FAILURE, whatever status the way it ends asks for.
void EndProgramFailed();

} // namespace platform
