// libFuzzer target: any bytes through the level map reader.
#include "rules/ModMain.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ModMain::Map = {};
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const int rows = ModMain::ReadMapRows(in);
    if (rows < 0 || rows > ModMain::FieldSize)
        __builtin_trap();
    for (int x = 0; x <= ModMain::FieldSize; ++x) {
        for (int y = 0; y <= ModMain::FieldSize; ++y) {
            const std::uint8_t cell = ModMain::Map[x][y];
            // Only walls and empty squares, only inside the rows read.
            if (cell > ModMain::Wall)
                __builtin_trap();
            if (cell != ModMain::Empty && (x == ModMain::FieldSize || y >= rows))
                __builtin_trap();
        }
    }
    return 0;
}
