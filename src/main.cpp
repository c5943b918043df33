#include "platform/WindowSystem.h"
#include "window/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    platform::ChooseQtPlatform();
    QApplication app(argc, argv);
    FrmMain window;
    window.Form_Load();
    return app.exec();
}
