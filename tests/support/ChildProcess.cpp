#include "support/ChildProcess.h"

#include <csignal>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

pid_t StartChild(const std::function<bool()>& body, int resource, rlim_t limit)
{
    const pid_t child = ::fork();
    if (child == 0) {
        // A crash ends the child at once; the test's own crash handler would
        // report it as the test's and wait for a debugger.
        for (const int fatal : {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV})
            std::signal(fatal, SIG_DFL);
        rlimit limits{};
        ::getrlimit(resource, &limits);
        limits.rlim_cur = limit;
        bool ok = false;
        try {
            ok = ::setrlimit(resource, &limits) == 0 && body();
        } catch (...) {
        }
        ::_exit(ok ? 0 : 1); // no exit handlers of the test run twice
    }
    return child;
}

bool ChildSucceeded(pid_t child)
{
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0) {
    }
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunInChild(const std::function<bool()>& body, int resource, rlim_t limit)
{
    return ChildSucceeded(StartChild(body, resource, limit));
}

rlim_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}
