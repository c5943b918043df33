#include "platform/Message.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

namespace platform {

QWidget* BoxOwner()
{
    if (QWidget* const active = QApplication::activeWindow())
        return active;
    for (QWidget* const window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    }
    return nullptr;
}

bool ShowMessage(MessageIcon icon, const std::string& title, const std::string& text)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, BoxOwner());
    box.exec();
    return true;
}

} // namespace platform
