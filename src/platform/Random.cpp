#include "platform/Random.h"

#include "platform/Ticks.h"

#include <cstring>
#include <deque>

namespace platform {
namespace {

// splitmix64: small, fast, and good enough for a game's random walk.
std::uint64_t state = 0x853c49e6748fea9bULL;
std::deque<double> scripted;
std::uint64_t draws = 0;

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t next64()
{
    state += 0x9e3779b97f4a7c15ULL;
    return mix(state);
}

} // namespace

double Rnd()
{
    ++draws;
    if (!scripted.empty()) {
        const double f = scripted.front();
        scripted.pop_front();
        return f;
    }
    // 53 random bits give every double in [0, 1) on a 2^-53 grid.
    return static_cast<double>(next64() >> 11) * 0x1.0p-53;
}

void Randomize(double secondsSinceMidnight)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof secondsSinceMidnight);
    std::memcpy(&bits, &secondsSinceMidnight, sizeof bits);
    // Folded into the running state, so the same time twice does not repeat
    // the sequence.
    state = mix(state ^ mix(bits + 0x632be59bd9b4e019ULL));
}

double SecondsSinceMidnight()
{
    return CurrentTimeSource().secondsSinceMidnight();
}

void RandomizeFromClock()
{
    Randomize(SecondsSinceMidnight());
}

void SeedRandom(std::uint64_t seed)
{
    state = seed;
    scripted.clear();
    draws = 0;
}

void ScriptRandom(std::vector<double> fractions)
{
    scripted.assign(fractions.begin(), fractions.end());
    draws = 0;
}

std::uint64_t RandomDrawCount()
{
    return draws;
}

} // namespace platform
