#include "window/MenuKeyboard.h"

#include "platform/Ticks.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

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

    // Fusion, among others, marks a title only while its menu is open, so a
    // title selected from the keyboard looked like nothing while the game
    // stood still. It is drawn as an open menu's title, which every style
    // marks.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuBarItem && item && (item->state & State_Selected) && widget && widget->hasFocus()) {
            QStyleOptionMenuItem marked(*item);
            marked.state |= State_Sunken;
            QProxyStyle::drawControl(element, &marked, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

} // namespace

MenuKeyboard::MenuKeyboard(QMenuBar& bar) : Bar(bar), Style(std::make_unique<AltNavigationStyle>())
{
    Bar.setStyle(Style.get());
    for (QMenu* menu : Bar.findChildren<QMenu*>())
        Menus.push_back(menu);
    Bar.installEventFilter(this);
    for (QMenu* menu : Menus)
        menu->installEventFilter(this);
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
    // Keyboard mode is a title selected while the bar has the keyboard. The
    // focus alone is not enough: Qt hands it back to the bar when the window
    // is activated again, with nothing selected and nothing shown.
    if (Bar.hasFocus() && Bar.activeAction())
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
    case QEvent::ShortcutOverride: {
        // While the menus hold the game the keys are theirs, as in a menu
        // loop: no shortcut acts behind them (F2 would start a game that
        // stands still at once). Modifiers pass: Alt leaves the bar.
        const int key = static_cast<const QKeyEvent*>(event)->key();
        // Qt clears the selected title on a pointer move over the bar's empty
        // part, a click there or a resize, and leaves the bar the keyboard:
        // Alt would then leave a keyboard mode that shows nothing. The game
        // takes the keyboard back first, so Alt (and F10) enter it again.
        if (key == Qt::Key_Alt && Bar.hasFocus() && !Bar.activeAction())
            Bar.window()->setFocus(Qt::OtherFocusReason);
        const bool modifier =
            key == Qt::Key_Alt || key == Qt::Key_Meta || key == Qt::Key_Control || key == Qt::Key_Shift;
        if (watched != Bar.window() && !modifier && Active()) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
            ToggleBar();
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
        // Losing the window ends keyboard mode (Qt's own handler does), but
        // Qt would give the keyboard back to the bar when the window returns:
        // it goes to the game instead.
        if (watched == &Bar && static_cast<const QFocusEvent*>(event)->reason() == Qt::ActiveWindowFocusReason)
            Bar.window()->setFocus(Qt::ActiveWindowFocusReason);
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
