#include "scores/NamePrompt.h"

#include "platform/Message.h"
#include "scores/ScoreFile.h"

#include <QInputDialog>
#include <QLineEdit>

namespace ModHigh {

std::string AskForTopScoreName()
{
    QInputDialog dialog(platform::BoxOwner());
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
