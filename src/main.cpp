#include "platform/CommandLine.h"
#include "platform/MissingDisplay.h"
#include "platform/WindowSystem.h"
#include "window/FrmMain.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (const auto status = platform::HandleCommandLine(argc, argv))
        return *status;
    if (const std::string missing = platform::MissingDisplayHere(argc, argv); !missing.empty()) {
        std::fprintf(stderr, "snake: %s\n", missing.c_str());
        return 1;
    }
    platform::ChooseQtPlatform();
    QApplication app(argc, argv);
    FrmMain window;
    window.Form_Load();
    return app.exec();
}
