#include "support/ChildProcess.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <fstream>

#include <grp.h>
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

bool GiveTo(const passwd& user, const QString& path)
{
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (::lchown(QFile::encodeName(it.next()).constData(), user.pw_uid, user.pw_gid) != 0)
            return false;
    }
    return ::lchown(QFile::encodeName(path).constData(), user.pw_uid, user.pw_gid) == 0;
}

bool RunAsOrdinaryUser(const QStringList& folders, const std::function<void()>& body)
{
    if (::geteuid() != 0) {
        body();
        return !QTest::currentTestFailed();
    }
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) {
        qWarning("root cannot run this case as an ordinary user: there is no user nobody");
        return false;
    }
    for (const QString& folder : folders) {
        if (!GiveTo(*nobody, folder))
            return false;
    }
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    return RunInChild(
        [&body, uid, gid] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 || ::setresuid(uid, uid, uid) != 0)
                return false;
            body();
            std::fflush(stdout); // the child's report of a failed check
            return !QTest::currentTestFailed();
        },
        RLIMIT_CORE, 0);
}
