#include "rules/ModMain.h"

#include "platform/Fatal.h"
#include "platform/Files.h"

#include <fstream>
#include <string>

namespace ModMain {
namespace {

// Reads one line of bytes. CR LF ends a line; so do a lone LF and a lone CR.
// False at end of file with nothing read.
bool readLine(std::istream& in, std::string& line)
{
    line.clear();
    std::istream::int_type c = in.get();
    if (c == std::istream::traits_type::eof())
        return false;
    while (c != std::istream::traits_type::eof()) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            if (in.peek() == '\n')
                in.get();
            return true;
        }
        // Only the first 30 characters count; a huge line costs no memory.
        if (line.size() < static_cast<std::size_t>(FieldSize))
            line.push_back(static_cast<char>(c));
        c = in.get();
    }
    return true;
}

std::string displayPath(const std::string& name)
{
    return platform::AppPath() + "/" + name;
}

} // namespace

void LoadMap(const std::string& name)
{
    const auto path = platform::FindAppFile(name);
    if (!path)
        platform::FatalError("Cannot load the level map \"" + displayPath(name) + "\": file not found.");
    std::ifstream in(*path, std::ios::binary);
    if (!in)
        platform::FatalError("Cannot load the level map \"" + *path + "\": the file cannot be opened.");

    const int rows = ReadMapRows(in);
    if (rows < FieldSize) {
        platform::FatalError("Cannot load the level map \"" + *path + "\": input past end of file (line " +
                             std::to_string(rows + 1) + " of 30 is missing).");
    }
}

int ReadMapRows(std::istream& in)
{
    std::string line;
    line.reserve(64);
    for (int y = 0; y < FieldSize; ++y) {
        if (!readLine(in, line))
            return y;
        for (int x = 0; x < FieldSize; ++x) {
            const bool wall = static_cast<std::size_t>(x) < line.size() && line[x] == 'X';
            Map[x][y] = wall ? Wall : Empty;
        }
    }
    return FieldSize;
}

bool MapFileExists(const std::string& name)
{
    return platform::AppFileExists(name);
}

} // namespace ModMain
