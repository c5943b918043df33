#include "window/MainMenu.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* AddItem(QMenu& menu, const QString& caption, const QKeySequence& shortcut = {})
{
    QAction* action = menu.addAction(caption);
    action->setShortcut(shortcut);
    return action;
}

QAction* AddCheckItem(QMenu& menu, const QString& caption, bool checked)
{
    QAction* action = AddItem(menu, caption);
    action->setCheckable(true);
    action->setChecked(checked);
    return action;
}

} // namespace

MainMenu BuildMainMenu(QMenuBar& bar)
{
    MainMenu m;
    QMenu& game = *bar.addMenu(QStringLiteral("Game"));
    m.MenuItemNewGame = AddItem(game, QStringLiteral("New Game"), QKeySequence(Qt::Key_F2));
    m.MenuItemPause = AddItem(game, QStringLiteral("Pause Game"), QKeySequence(Qt::Key_F3));
    m.MenuItemAbort = AddItem(game, QStringLiteral("Abort Game"), QKeySequence(Qt::Key_F4));
    game.addSeparator(); // hRule1
    m.MenuItemHigh = AddItem(game, QStringLiteral("High Scores"));
    game.addSeparator(); // hRule3
    m.MenuItemExit = AddItem(game, QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu& options = *bar.addMenu(QStringLiteral("Options"));
    m.MenuItemOnePlayer = AddCheckItem(options, QStringLiteral("One Player"), true);
    m.MenuItemTwoPlayer = AddCheckItem(options, QStringLiteral("Two Player"), false);
    options.addSeparator(); // hRule2
    QMenu& computers = *options.addMenu(QStringLiteral("Computer Players"));
    for (int i = 0; i < 5; ++i)
        m.mnipc[i] = AddCheckItem(computers, QString::number(i), i == 0);
    QMenu& speed = *options.addMenu(QStringLiteral("Speed"));
    static constexpr std::array<const char*, 5> speeds{"Slowest", "Slow", "Medium", "Fast", "Fastest"};
    for (int i = 0; i < 5; ++i)
        m.MenuItemSpeed[i] = AddCheckItem(speed, QString::fromLatin1(speeds[i]), i == 2);
    options.addSeparator(); // hRule4
    m.MenuItemSound = AddCheckItem(options, QStringLiteral("Sound"), true);
    return m;
}
