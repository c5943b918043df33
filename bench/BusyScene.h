#pragma once
// The crowded scene the benchmarks measure: a bordered field with two human
// and four computer snakes of 200 segments each, every one folded through a
// band of four rows, all heading right into the free columns 26..28. No
// apples lie on the field, so nobody eats.
#include "platform/Random.h"
#include "rules/ModMain.h"
#include "rules/Snake.h"
#include "support/SnakeBody.h"

#include <memory>
#include <vector>

namespace bench {

using Body = std::vector<Snake::Segment>;
inline constexpr int kSegments = 200;

// 100 squares laid out boustrophedon from the head at (25, top) to the tail
// at (25, top + 3); the other 100 segments stacked on the tail, as after eating.
inline Body FoldedBody(int top)
{
    Body body;
    for (int row = 0; row < 4; ++row) {
        const int y = top + row;
        for (int i = 0; i < 25; ++i) {
            const int x = row % 2 == 0 ? 25 - i : 1 + i;
            body.push_back({static_cast<platform::Int16>(x), static_cast<platform::Int16>(y)});
        }
    }
    body.resize(kSegments, body.back());
    return body;
}

struct Scene {
    ModMain::MapGrid map{};
    std::vector<Body> bodies;
};

inline Scene BuildScene()
{
    Scene scene;
    for (int i = 0; i < ModMain::FieldSize; ++i) {
        scene.map[i][0] = scene.map[i][ModMain::FieldSize - 1] = ModMain::Wall;
        scene.map[0][i] = scene.map[ModMain::FieldSize - 1][i] = ModMain::Wall;
    }
    for (int band = 0; band < 6; ++band)
        scene.bodies.push_back(FoldedBody(1 + 4 * band));
    return scene;
}

// Puts the game state back to the scene. Snake objects are reused, so a
// restore between timed passes allocates only the bodies.
inline void RestoreScene(const Scene& scene, double appleTimer)
{
    ModMain::Map = scene.map;
    ModMain::ApplesLeft = 0;
    ModMain::AppleTimer = appleTimer;
    ModMain::Paused = false;
    ModMain::ComSnakesOn = true;
    ModMain::Snakes.resize(2);
    ModMain::ComSnakes.resize(4);
    for (std::size_t i = 0; i < scene.bodies.size(); ++i) {
        auto& slot = i < 2 ? ModMain::Snakes[i] : ModMain::ComSnakes[i - 2];
        if (!slot)
            slot = std::make_shared<Snake>();
        SetSnakeBody(*slot, scene.bodies[i]);
        slot->dir = ModMain::DirRight;
        slot->IsComputer = i >= 2;
        slot->Lives = 5;
        slot->Colour = static_cast<platform::Int16>(i % 5);
    }
    platform::SeedRandom(42);
}

} // namespace bench
