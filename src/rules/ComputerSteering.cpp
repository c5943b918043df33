#include "rules/Snake.h"

#include "platform/Random.h"

#include <cmath>

namespace {

// -2 .. 2 with equal chances; 0 keeps the direction.
platform::Int16 randomDirection()
{
    return static_cast<platform::Int16>(std::floor(platform::Rnd() * 5) - 2);
}

} // namespace

// A random walk: an occasional random turn, then up to six random retries
// while the way ahead is blocked. Every look-ahead may eat what it finds; one
// that completes the level answers "free" and so ends the search.
void Snake::Steer()
{
    if (std::floor(platform::Rnd() * 6) == 0)
        ChangeDirection(randomDirection());
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (!CheckAhead())
            break;
        ChangeDirection(randomDirection());
    }
}
