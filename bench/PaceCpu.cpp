#include "PaceCpu.h"

#include <dirent.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

long PidFrom(const char* variable)
{
    const char* pid = std::getenv(variable);
    return pid ? std::atol(pid) : 0;
}

} // namespace

CpuUse ReadCpu(long pid)
{
    CpuUse use;
    if (pid <= 0)
        return use;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return use;
    double otherSeconds = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string task = tasks + "/" + entry->d_name;
        std::ifstream stat(task + "/schedstat");
        double onCpuNs = 0, waitNs = 0;
        long long slices = 0;
        if (!(stat >> onCpuNs >> waitNs >> slices))
            continue;
        use.seconds += onCpuNs / 1e9;
        use.wakeups += slices;
        std::ifstream comm(task + "/comm");
        std::string name;
        std::getline(comm, name);
        if (std::atol(entry->d_name) == pid)
            use.mainSeconds += onCpuNs / 1e9;
        else if (name.rfind("SDLAudio", 0) == 0)
            use.audioSeconds += onCpuNs / 1e9;
        else
            otherSeconds += onCpuNs / 1e9;
    }
    closedir(dir);
    if (pid == getpid()) {
        // Threads that have ended (the sound device's, once it closes) are
        // gone from /proc, but not from the process's own totals, which the
        // kernel keeps in nanoseconds.
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
        use.seconds = seconds(self.ru_utime) + seconds(self.ru_stime);
        use.wakeups = self.ru_nvcsw + self.ru_nivcsw;
        use.audioSeconds = std::max(0.0, use.seconds - use.mainSeconds - otherSeconds);
    }
    return use;
}

CpuPair ReadCpuPair()
{
    return {ReadCpu(getpid()), ReadCpu(PidFrom("SNAKE_PACE_XSERVER_PID")), ReadCpu(PidFrom("SNAKE_PACE_SOUND_PID"))};
}

double MillisecondsSinceProcessStart()
{
    timespec now{};
    if (const char* stamp = std::getenv("SNAKE_PACE_T0_NS")) {
        clock_gettime(CLOCK_REALTIME, &now);
        const double nowNs = static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
        return (nowNs - std::strtod(stamp, nullptr)) / 1e6;
    }
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double startSeconds = std::strtod(field.c_str(), nullptr) / static_cast<double>(sysconf(_SC_CLK_TCK));
    clock_gettime(CLOCK_BOOTTIME, &now);
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startSeconds) * 1e3;
}
