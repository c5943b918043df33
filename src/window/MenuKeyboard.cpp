#include "window/MenuKeyboard.h"

#include "platform/Ticks.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

namespace {

// Some styles leave the bar without Alt and arrow-key navigation; the game
// offers it everywhere, over the style the application uses.
class AltNavigationStyle final : public QProxyStyle {
  public:
    AltNavigationStyle() : QProxyStyle(QApplication::style()->name()) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// The menu state changes inside Qt's handlers, before it is final (a menu
// about to hide is still visible): the clock looks again once they are done.
void LookAgainSoon(QObject* context)
{
    QMetaObject::invokeMethod(
        context, [] { platform::ClockHoldChanged(); }, Qt::QueuedConnection);
}

} // namespace

MenuKeyboard::MenuKeyboard(QMenuBar& bar) : Bar(bar), Style(std::make_unique<AltNavigationStyle>())
{
    Bar.setStyle(Style.get());
    for (QMenu* menu : Bar.findChildren<QMenu*>()) {
        Menus.push_back(menu);
        connect(menu, &QMenu::aboutToShow, this, [this] { LookAgainSoon(this); });
        connect(menu, &QMenu::aboutToHide, this, [this] { LookAgainSoon(this); });
    }
    Bar.installEventFilter(this);
    if (QWidget* window = Bar.window(); window != &Bar)
        window->installEventFilter(this);
    platform::SetClockHold([this] { return Active(); });
}

MenuKeyboard::~MenuKeyboard()
{
    platform::SetClockHold(nullptr);
    Bar.setStyle(nullptr); // before the style it points to goes
}

bool MenuKeyboard::Active() const
{
    // In keyboard mode the bar holds the focus; nothing else gives it focus.
    if (Bar.hasFocus())
        return true;
    for (const QMenu* menu : Menus) {
        if (menu->isVisible())
            return true;
    }
    return false;
}

void MenuKeyboard::ToggleBar()
{
    // The bar's own Alt handling, fed the events of a lone Alt: the bar
    // watches its window for them.
    QWidget* window = Bar.parentWidget();
    if (!window || !Bar.isVisible())
        return;
    // A key event of a modifier key reports that modifier flipped, as the
    // window systems deliver it: this press says Alt is down.
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(window, &release);
}

bool MenuKeyboard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
            ToggleBar();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        if (watched == &Bar)
            LookAgainSoon(this);
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
