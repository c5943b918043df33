#include "scores/NamePrompt.h"

#include "scores/ScoreFile.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

namespace ModHigh {

std::string AskForTopScoreName()
{
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QStringLiteral("Congratulations, you have a top score!"));
    dialog.setLabelText(QStringLiteral("Enter your name:"));
    dialog.setTextValue(QString());
    // A longer name would not fit its record in scores.dat.
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMaxLength(MaxNameLength);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

} // namespace ModHigh
