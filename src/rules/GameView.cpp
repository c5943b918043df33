#include "rules/GameView.h"

namespace ModMain {
namespace {

QuietView quietView;
GameView* current = nullptr;

} // namespace

void SetGameView(GameView* view)
{
    current = view;
}

GameView& View()
{
    return current ? *current : quietView;
}

} // namespace ModMain
