#include "support/Processes.h"

#include <QProcess>

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
    return {finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
            QString::fromLocal8Bit(p.readAllStandardOutput())};
}
