#include "PaceReport.h"

#include "PaceView.h"

#include "rules/ModMain.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

void PrintFigures(const PaceView& view, int speedIndex, int zoom)
{
    static constexpr std::array<const char*, 5> names{"Slowest", "Slow", "Medium", "Fast", "Fastest"};
    const std::vector<double>& p = view.Periods;
    const double seconds = std::chrono::duration<double>(view.WindowEnd - view.WindowStart).count();
    if (p.empty() || seconds <= 0) {
        std::printf("speed=%s no passes were measured\n", names[speedIndex]);
        return;
    }
    double sum = 0;
    for (double v : p)
        sum += v;
    const double mean = sum / static_cast<double>(p.size());
    std::vector<double> sorted = p;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[static_cast<std::size_t>(0.99 * static_cast<double>(sorted.size() - 1))];
    const int delay = ModMain::SpeedDelays[static_cast<std::size_t>(speedIndex)];
    const double cpu = 100.0 * (view.CpuAtEnd.game.seconds - view.CpuAtStart.game.seconds) / seconds;
    const double xcpu = 100.0 * (view.CpuAtEnd.xserver.seconds - view.CpuAtStart.xserver.seconds) / seconds;
    const double scpu = 100.0 * (view.CpuAtEnd.soundServer.seconds - view.CpuAtStart.soundServer.seconds) / seconds;
    const double mainCpu = 100.0 * (view.CpuAtEnd.game.mainSeconds - view.CpuAtStart.game.mainSeconds) / seconds;
    // Read as what the other threads leave of getrusage's total: a few microseconds either way.
    const double audioCpu =
        std::max(0.0, 100.0 * (view.CpuAtEnd.game.audioSeconds - view.CpuAtStart.game.audioSeconds) / seconds);
    const long long wakeups = view.CpuAtEnd.game.wakeups - view.CpuAtStart.game.wakeups;
    std::printf("speed=%s delay_ms=%d passes=%zu seconds=%.1f mean_ms=%.3f worst_ms=%.3f p99_ms=%.3f "
                "off_by=%+.2f%% cpu=%.3f%% cpu_main=%.3f%% cpu_audio=%.3f%% xcpu=%.3f%% wakeups_per_pass=%.2f "
                "passes_per_s=%.0f excluded=%d sounds=%d sound_server_cpu=%.3f%% zoom=%d\n",
                names[speedIndex], delay, p.size(), seconds, mean, sorted.back(), p99,
                delay > 0 ? 100.0 * (mean - delay) / delay : 0.0, cpu, mainCpu, audioCpu, xcpu,
                static_cast<double>(wakeups) / static_cast<double>(p.size()), static_cast<double>(p.size()) / seconds,
                view.Excluded, view.SoundsAtEnd - view.SoundsAtStart, scpu, zoom);
    std::fflush(stdout);
}

void PrintIdleFigures(const char* what, const CpuPair& start, const CpuPair& end, double seconds)
{
    std::printf("idle=%s seconds=%.1f wakeups=%lld cpu=%.4f%% xserver_wakeups=%lld xcpu=%.4f%%\n", what, seconds,
                end.game.wakeups - start.game.wakeups, 100.0 * (end.game.seconds - start.game.seconds) / seconds,
                end.xserver.wakeups - start.xserver.wakeups,
                100.0 * (end.xserver.seconds - start.xserver.seconds) / seconds);
    std::fflush(stdout);
}
