#include "PaceOptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::nullopt_t Usage()
{
    std::fprintf(stderr,
                 "usage: pace_driver --speed 0..4 [--busy [--one-player]] [--seconds S] [--warmup MS] [--seed N]\n"
                 "                   [--zoom N] [--fullscreen]\n"
                 "       pace_driver --idle title|paused [--seconds S] [--warmup MS]\n"
                 "       pace_driver --startup\n");
    return std::nullopt;
}

// Reads argv[i] (and its value, moving i on); false when it is no option.
bool ReadOption(PaceOptions& o, int argc, char* argv[], int& i)
{
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--startup")
        o.startup = true;
    else if (arg == "--busy")
        o.busy = true;
    else if (arg == "--one-player")
        o.onePlayer = true;
    else if (arg == "--fullscreen")
        o.fullScreen = true;
    else if (arg == "--zoom" && hasValue)
        o.zoom = std::atoi(argv[++i]);
    else if (arg == "--idle" && hasValue)
        o.idle = argv[++i];
    else if (arg == "--speed" && hasValue)
        o.speed = std::atoi(argv[++i]);
    else if (arg == "--seconds" && hasValue)
        o.seconds = std::atof(argv[++i]);
    else if (arg == "--warmup" && hasValue)
        o.warmupMs = std::atoi(argv[++i]);
    else if (arg == "--seed" && hasValue)
        o.seed = std::strtoull(argv[++i], nullptr, 10);
    else
        return false;
    return true;
}

} // namespace

std::optional<PaceOptions> ParsePaceOptions(int argc, char* argv[])
{
    PaceOptions o;
    for (int i = 1; i < argc; ++i) {
        if (!ReadOption(o, argc, argv, i))
            return Usage();
    }
    if (!o.idle.empty() && o.idle != "title" && o.idle != "paused")
        return Usage();
    if (o.idle == "paused")
        o.speed = 2;
    if (!o.startup && o.idle != "title" && (o.speed < 0 || o.speed > 4 || o.seconds <= 0))
        return Usage();
    return o;
}
