#include "platform/CommandLine.h"
#include "platform/MissingDisplay.h"
#include "platform/WindowSystem.h"
#include "window/FrmMain.h"

#include <QApplication>

#include <optional>

int main(int argc, char* argv[])
{
    if (const auto status = platform::HandleCommandLine(argc, argv))
        return *status;
    std::optional<QApplication> app;
    {
        const platform::DisplayCheck check(argc, argv);
        platform::ChooseQtPlatform();
        app.emplace(argc, argv);
    }
    FrmMain window;
    window.Form_Load();
    return app->exec();
}
