#include "window/FrmHigh.h"

#include "scores/ModHigh.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace {

// The one loaded window; cleared as soon as it starts to close.
QPointer<FrmHigh> Current;

QPalette Colours(const QPalette& base, const QColor& face, const QColor& text)
{
    QPalette palette = base;
    palette.setColor(QPalette::Window, face);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::WindowText, text);
    return palette;
}

QLabel* HeadingLabel(const char* text, QRect geometry, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    QFont font = QApplication::font();
    font.setPointSizeF(9.75);
    font.setBold(true);
    label->setFont(font);
    label->setAutoFillBackground(true);
    label->setGeometry(geometry);
    return label;
}

} // namespace

FrmHigh::FrmHigh(QWidget* parent)
    // A dialog's type: only that makes Qt tell the window system whose it is.
    : QWidget(parent, Qt::Dialog), Label1(HeadingLabel("Name", QRect(16, 8, 137, 17), this)),
      Label2(HeadingLabel("Score", QRect(232, 8, 81, 17), this)), Label3(new QLabel(this)),
      CmdOk(new QPushButton(QStringLiteral("Ok"), this))
{
    setWindowTitle(QStringLiteral("Hall of Fame!"));
    setFixedSize(305, 395);
    setPalette(Colours(palette(), Qt::white, palette().color(QPalette::WindowText)));
    setAutoFillBackground(true);

    for (int i = 0; i < 10; ++i) {
        const int top = 32 + 24 * i;
        TxtName[i] = new QLineEdit(this);
        TxtName[i]->setGeometry(8, top, 204, 19);
        TxtScore[i] = new QLineEdit(this);
        TxtScore[i]->setGeometry(216, top, 81, 19);
    }

    CmdOk->setGeometry(176, 272, 121, 25);
    CmdOk->setDefault(true);
    connect(CmdOk, &QPushButton::clicked, this, &FrmHigh::CmdOk_Click);

    Label3->setGeometry(8, 304, 289, 89);
    Label3->setPalette(Colours(palette(), QColor(0, 128, 0), palette().color(QPalette::HighlightedText)));
    Label3->setAutoFillBackground(true);
    QFont small;
    small.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"),
                       QStringLiteral("DejaVu Sans")});
    small.setPointSizeF(9);
    Label3->setFont(small);
    Label3->setWordWrap(true);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setMargin(4);
    Label3->setText(QStringLiteral("Enjoyed the game? Pass it on to your friends and see whether any of them "
                                   "can knock you off this table.\nThere is always room at the top: have another go!"));

    // Names first, then scores, then the button.
    QWidget* previous = TxtName[0];
    for (QWidget* next : TxtName) {
        if (next != previous)
            setTabOrder(previous, next);
        previous = next;
    }
    for (QWidget* next : TxtScore) {
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(previous, CmdOk);
}

void FrmHigh::Form_Load()
{
    if (!ModHigh::ScoresLoaded)
        ModHigh::LoadScores();
    for (std::size_t i = 0; i < ModHigh::HighScores.size(); ++i) {
        TxtName[i]->setText(QString::fromStdString(ModHigh::HighScores[i].Name));
        TxtName[i]->setCursorPosition(0); // a long name shows its start
        TxtScore[i]->setText(QString::number(ModHigh::HighScores[i].Score));
    }
    TxtName[0]->setFocus();
    show();
}

void FrmHigh::CmdOk_Click()
{
    close();
}

void FrmHigh::closeEvent(QCloseEvent* event)
{
    if (Current == this)
        Current = nullptr;
    QWidget::closeEvent(event);
}

void FrmHigh::keyPressEvent(QKeyEvent* event)
{
    // Only a QDialog gives these keys their meaning by itself; this window
    // is a plain one so that closing it unloads it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        CmdOk->click();
    else if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void OpenHallOfFame(QWidget* owner)
{
    if (Current)
        return;
    // Its own window, kept above the owner's, even a full-screen one that
    // would otherwise hide it for good: opening it again never raises it.
    auto form = std::make_unique<FrmHigh>(owner);
    form->setAttribute(Qt::WA_DeleteOnClose);
    // An open Hall of Fame must not keep the program alive after the main window.
    form->setAttribute(Qt::WA_QuitOnClose, false);
    Current = form.release(); // Qt deletes it when it closes
    if (QCoreApplication::instance())
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, Current.data(),
                         &CloseHallOfFame);
    Current->Form_Load();
}

FrmHigh* HallOfFame()
{
    return Current.data();
}

void CloseHallOfFame()
{
    const std::unique_ptr<FrmHigh> form(Current.data());
    Current = nullptr;
}
