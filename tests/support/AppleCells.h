#pragma once
// What tests and benchmarks check ApplesLeft against: the apples really on Map.
#include "rules/ModMain.h"

namespace ModMain {

inline int CountAppleCells()
{
    int apples = 0;
    for (int x = 0; x < FieldSize; ++x)
        for (int y = 0; y < FieldSize; ++y)
            apples += Map[x][y] > Wall ? 1 : 0;
    return apples;
}

} // namespace ModMain
