#pragma once
// Helper programs (xdotool, cmake, cp, the installed game) run to their end.
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProgramRun {
    bool ok = false; // finished in time with status 0
    QString output;
};

enum class ProgramOutput { StandardOnly, WithErrors };

// A program still running after `timeoutMs` is killed and not ok.
ProgramRun RunProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs,
                      ProgramOutput output = ProgramOutput::StandardOnly);
