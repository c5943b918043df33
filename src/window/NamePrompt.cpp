#include "window/NamePrompt.h"

#include "platform/Message.h"
#include "scores/ScoreFile.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>

#include <algorithm>

namespace ModHigh {

std::string AskForTopScoreName()
{
    QInputDialog dialog(platform::BoxOwner());
    dialog.setInputMode(QInputDialog::TextInput);
    const QString title = QStringLiteral("Congratulations, you have a top score!");
    dialog.setWindowTitle(title);
    dialog.setLabelText(QStringLiteral("Enter your name:"));
    dialog.setTextValue(QString());
    // A longer name would not fit its record in scores.dat.
    if (auto* field = dialog.findChild<QLineEdit*>())
        field->setMaxLength(MaxNameLength);
    // Wide enough for the window manager to show the whole title, in bold,
    // beside the bar's icon and three buttons of about a line each.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const QSize fit = dialog.sizeHint();
    dialog.resize(std::max(fit.width(), metrics.horizontalAdvance(title) + 4 * metrics.height()), fit.height());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

} // namespace ModHigh
