#pragma once
// The program's folder and file lookup. Paths are joined with "/"; names are
// matched without regard to letter case ("map2.dat" finds "Map2.dat").
#include <optional>
#include <string>

namespace platform {

// Folder of the executable, without a trailing separator.
const std::string& AppPath();
// Tests point the game at a folder of their own; "" restores the real one.
void SetAppPath(const std::string& folder);

// Full path of the ordinary (not hidden) file `name` inside `folder`, matched
// case-insensitively; an exact match wins. Nothing if there is none.
std::optional<std::string> FindFile(const std::string& folder, const std::string& name);

// FindFile in AppPath().
std::optional<std::string> FindAppFile(const std::string& name);
bool AppFileExists(const std::string& name);

} // namespace platform
