#include "support/ChildProcess.h"

#include <csignal>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

bool RunInChild(const std::function<bool()>& body, int resource, rlim_t limit)
{
    const pid_t child = ::fork();
    if (child < 0)
        return false;
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
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

rlim_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}
