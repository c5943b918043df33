#pragma once
// Errors the game cannot go on from: a clear message, then the program ends
// with a non-zero status.
#include <functional>
#include <string>

namespace platform {

[[noreturn]] void FatalError(const std::string& message);

// Tests replace the handler (typically with one that throws). The handler must
// not return; if it does, the program ends anyway.
using FatalHandler = std::function<void(const std::string&)>;
void SetFatalHandler(FatalHandler handler);

} // namespace platform
