#include "rules/ModMain.h"

#include "platform/Random.h"
#include "rules/Snake.h"

#include <array>
#include <cmath>

namespace ModMain {
namespace {

Int16 randomSquare()
{
    return static_cast<Int16>(std::floor(platform::Rnd() * FieldSize));
}

void markSnakes(const SnakeList& snakes, std::array<std::array<bool, FieldSize>, FieldSize>& used)
{
    for (const auto& snake : snakes) {
        for (const Snake::Segment& s : snake->body()) {
            if (s.x >= 0 && s.x < FieldSize && s.y >= 0 && s.y < FieldSize)
                used[s.x][s.y] = true;
        }
    }
}

// Squares where an apple may go: the same rule as SquareIsFree(x, y, true),
// but one walk over the snakes instead of one per square.
int countStrictlyFree()
{
    std::array<std::array<bool, FieldSize>, FieldSize> used{};
    markSnakes(Snakes, used);
    if (ComSnakesOn)
        markSnakes(ComSnakes, used);
    int free = 0;
    for (int x = 0; x < FieldSize; ++x)
        for (int y = 0; y < FieldSize; ++y)
            free += (Map[x][y] == Empty && !used[x][y]) ? 1 : 0;
    return free;
}

} // namespace

void PlaceApples(Int16 kind, Int16 count)
{
    if (kind == GreenApples || kind == RedApples) {
        // A crowded field may have fewer free squares than apples to place:
        // place what fits instead of drawing for ever.
        int room = countStrictlyFree();
        if (room == 0 && count > 0) {
            // Nothing eaten, nothing placed: that completes no level. Otherwise
            // each next level just as full would complete inside the last one.
            ShowApplesLeft();
            return;
        }
        for (Int16 placed = 0; placed < count && room > 0;) {
            const Int16 x = randomSquare();
            const Int16 y = randomSquare();
            if (SquareIsFree(x, y, true)) {
                Map[x][y] = static_cast<std::uint8_t>(kind + 1);
                ApplesLeft = platform::Add16(ApplesLeft, 1);
                ++placed;
                --room;
            }
        }
    }
    UpdateApplesLabel();
}

void PlaceAppleBatch()
{
    PlaceApples(GreenApples, GreenBatch);
    PlaceApples(RedApples, RedBatch);
}

void ClearApples()
{
    for (int x = 0; x < FieldSize; ++x)
        for (int y = 0; y < FieldSize; ++y)
            if (Map[x][y] > Wall)
                Map[x][y] = Empty;
    ApplesLeft = 0;
}

} // namespace ModMain
