#include "support/Processes.h"

#include <QFile>
#include <QProcess>

#include <sys/syscall.h>

ProgramRun RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs,
                      ProgramOutput output)
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (output == ProgramOutput::WithErrors)
        p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished) {
        p.kill();
        p.waitForFinished(1000);
    }
    const bool ended = finished && p.exitStatus() == QProcess::NormalExit;
    return {ended && p.exitCode() == 0, QString::fromLocal8Bit(p.readAllStandardOutput()), ended ? p.exitCode() : -1};
}

bool InPlainSleep(qint64 pid, qint64 thread)
{
    // The system call the thread is blocked in: clock_nanosleep or nanosleep
    // while it sleeps, poll while Qt waits for events.
    QFile f(thread == 0 ? QStringLiteral("/proc/%1/syscall").arg(pid)
                        : QStringLiteral("/proc/%1/task/%2/syscall").arg(pid).arg(thread));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const long call = f.readLine().split(' ').value(0).trimmed().toLong(&ok);
    if (!ok)
        return false; // "running"
#ifdef SYS_nanosleep
    if (call == SYS_nanosleep)
        return true;
#endif
    return call == SYS_clock_nanosleep;
}
