#pragma once
// pace_driver's command line (its usage: pace_driver.cpp).
#include <cstdint>
#include <optional>
#include <string>

struct PaceOptions {
    int speed = -1;
    double seconds = 20;
    int warmupMs = 1500;
    std::uint64_t seed = 1;
    bool startup = false;
    bool busy = false;
    bool onePlayer = false;
    bool fullScreen = false;
    int zoom = 0;
    std::string idle; // "title", "paused" or empty
};

// The options, or nothing after printing the usage.
std::optional<PaceOptions> ParsePaceOptions(int argc, char* argv[]);
