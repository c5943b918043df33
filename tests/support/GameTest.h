#pragma once
// What the engine tests share besides the fixture: the scripted random
// draws, the short names of directions and body squares, and the draw that
// lands on a chosen square.
#include "support/GameFixture.h"

#include "platform/Random.h"

#include <QtTest>

#include <cstdint>
#include <string>
#include <vector>

using ModMain::DirDown;
using ModMain::DirLeft;
using ModMain::DirRight;
using ModMain::DirUp;
using ModMain::Map;
using Body = GameFixture::Body;
using Seg = Snake::Segment;

// The draw that floor(draw * 30) turns into `square`: the middle of its range,
// so rounding cannot move it.
inline double at(int square)
{
    return (square + 0.5) / ModMain::FieldSize;
}

// Level n's map: bordered, with one marker wall at (n + 2, 14).
inline QByteArray MarkedMap(int level)
{
    return MapWithWalls({{level + 2, 14}}, true);
}

// Level `level` of a running game, its map loaded.
inline void BeginLevel(int level)
{
    ModMain::Level = static_cast<platform::Int16>(level);
    ModMain::LoadMap("map" + std::to_string(level) + ".dat");
    ModMain::GameRunning = true;
}

// The next batch of 15 apples lands on (2..16, row).
inline void ScriptAppleRow(int row)
{
    std::vector<double> draws;
    for (int i = 0; i < 15; ++i) {
        draws.push_back(at(2 + i));
        draws.push_back(at(row));
    }
    platform::ScriptRandom(draws);
}

// For the tests of level ends: map1.dat marked as level 1, and the
// all-levels box closed by the player at once.
inline void ResetForLevels(GameFixture& fx)
{
    fx.reset(GameFixture::FirstMap::None);
    fx.writeMap(1, MarkedMap(1));
    fx.view().onAllLevelsCompleted = [] {};
}

// One apple left on the field, of `cell`, at (x, y).
inline void LeaveOneApple(int x, int y, int cell = ModMain::GreenApple)
{
    ModMain::ClearApples();
    Map[x][y] = static_cast<std::uint8_t>(cell);
    ModMain::ApplesLeft = 1;
}

// Level `level` running, with one snake heading up from (10, 10) onto the
// last apple, of `cell`, at (10, 9).
inline std::shared_ptr<Snake> OneStepFromTheLastApple(GameFixture& fx, int level = 1, int cell = ModMain::GreenApple)
{
    BeginLevel(level);
    auto snake = fx.addHuman(GameFixture::line(10, 10, 0, 1, 5), DirUp);
    LeaveOneApple(10, 9, cell);
    return snake;
}

// What eating each kind of apple brings: columns "cell", "points" and
// "growth" (segments added).
inline void AddEatenAppleRows()
{
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("growth");
    QTest::newRow("green") << int(ModMain::GreenApple) << 1 << 2;
    QTest::newRow("red") << int(ModMain::RedApple) << 5 << 6;
}
