#pragma once
// The menu bar as players on every desktop expect it: Alt alone and F10
// activate it, the arrows then walk the menus, and the game's clock stands
// still while the bar is active or any of its menus is open.
#include <QObject>

#include <memory>
#include <vector>

class QMenu;
class QMenuBar;
class QStyle;

class MenuKeyboard final : public QObject {
  public:
    // Watches `bar` and the menus it holds (built before this), and holds
    // the game's clock for them.
    explicit MenuKeyboard(QMenuBar& bar);
    ~MenuKeyboard() override;
    MenuKeyboard(const MenuKeyboard&) = delete;
    MenuKeyboard& operator=(const MenuKeyboard&) = delete;

    // One of the bar's menus is open, or a title is selected on the bar that
    // holds the keyboard (Alt, F10): what the player sees marked. Keys then
    // belong to the menus and the game stands still.
    bool Active() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What Alt alone does: the bar takes the keyboard with its first title
    // highlighted, or gives it back.
    void ToggleBar();

    QMenuBar& Bar;
    std::vector<QMenu*> Menus;
    // Keyboard navigation of the bar on every style; the bar uses it.
    std::unique_ptr<QStyle> Style;
};
