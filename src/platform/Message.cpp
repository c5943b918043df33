#include "platform/Message.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

bool ShowMessage(MessageIcon icon, const std::string& title, const std::string& text)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return false;
    QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::Warning,
                    QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
    return true;
}

} // namespace platform
