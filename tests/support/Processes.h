#pragma once
// Helper programs (xdotool, cmake, cp, the installed game) run to their end,
// and what a running thread is doing.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProgramRun {
    bool ok = false; // finished in time with status 0
    QString output;
    int status = -1; // the exit status, when it ended of itself
};

enum class ProgramOutput { StandardOnly, WithErrors };

// A program still running after `timeoutMs` is killed and not ok.
ProgramRun RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs,
                      ProgramOutput output = ProgramOutput::StandardOnly);

// Whether the thread `thread` of process `pid` (its main thread when 0) is
// asleep in nanosleep or clock_nanosleep, not waiting for events or running.
bool InPlainSleep(qint64 pid, qint64 thread = 0);
