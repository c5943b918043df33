#pragma once
// The game's one generator of uniform fractions in [0, 1).
#include <cstdint>
#include <vector>

namespace platform {

// Next fraction in [0, 1).
double Rnd();

// Mixes the time of day into the generator. Unlike a plain re-seed it never
// resets the sequence, so snakes created in the same millisecond still differ.
void Randomize(double secondsSinceMidnight);
void RandomizeFromClock();
double SecondsSinceMidnight();

// Deterministic seed for tests and benchmarks: a game replays from its seed.
void SeedRandom(std::uint64_t seed);

// Test seams, not used by the game.
// Serve these fractions first, in order, before the generator resumes: a
// test puts an apple or a turn exactly where it needs it.
void ScriptRandom(std::vector<double> fractions);
// Number of fractions drawn since the last SeedRandom / ScriptRandom: a test
// sees that a full field draws no squares at all.
std::uint64_t RandomDrawCount();

} // namespace platform
