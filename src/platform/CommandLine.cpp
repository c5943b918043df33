#include "platform/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

#ifndef SNAKE_VERSION
#define SNAKE_VERSION "0"
#endif

namespace platform {

std::optional<int> HandleCommandLine(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("snake-game"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SNAKE_VERSION));

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A classic snake arcade game. F2 starts a game; steer with the arrow keys\n"
                       "(player two: W A S D). The ten best one-player scores are kept in\n"
                       "scores.dat beside the game, or in ~/.local/share/snake-game/ when the\n"
                       "game's folder is read-only."));
    // Qt's own options are words after one dash (-reverse, -platformtheme):
    // read as letters, they would hold a -v or an -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Unknown options may be Qt's own (-platform, -style): the application takes them.
    parser.parse(args);
    if (parser.isSet(QStringLiteral("help-all"))) {
        // Qt lists its own options only beside a GUI application, which the
        // minimal platform gives without a display. Prints, then exits.
        char platform[] = "-platform", minimal[] = "minimal";
        char* guiArgs[] = {argv[0], platform, minimal, nullptr};
        int count = 3;
        const QGuiApplication app(count, guiArgs);
        parser.process(QStringList{args.first(), QStringLiteral("--help-all")});
        return 0;
    }
    if (parser.isSet(help)) {
        // The usage line names the program as it was called: that needs an
        // application object, though not a window.
        int count = argc;
        const QCoreApplication app(count, argv);
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

} // namespace platform
