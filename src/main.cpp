#include "platform/CommandLine.h"
#include "platform/WindowSystem.h"
#include "window/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const auto status = platform::HandleCommandLine(argc, argv))
        return *status;
    platform::ChooseQtPlatform();
    QApplication app(argc, argv);
    FrmMain window;
    window.Form_Load();
    return app.exec();
}
