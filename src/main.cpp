#include "window/FrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FrmMain window;
    window.Form_Load();
    return app.exec();
}
