#include "rules/GameView.h"
#include "rules/ModMain.h"
#include "rules/Sequences.h"
#include "rules/Snake.h"

#include "platform/Ticks.h"

#include <string>

namespace ModMain {

void ShowApplesLeft()
{
    View().SetLabelText(StatusLabel::Apple, "Apples Left : " + std::to_string(ApplesLeft));
}

void UpdateApplesLabel()
{
    ShowApplesLeft();
    if (ApplesLeft <= 0)
        LevelCompleted();
}

void UpdateScoreLabels()
{
    if (Snakes.empty())
        return;
    View().SetLabelText(StatusLabel::Score1, "Score:" + std::to_string(Snakes[0]->score));
    if (TwoPlayerGame())
        View().SetLabelText(StatusLabel::Score2, "Score:" + std::to_string(Snakes[1]->score));
}

void UpdateLivesLabels()
{
    if (Snakes.empty())
        return;
    View().SetLabelText(StatusLabel::Lives1, "Lives : " + std::to_string(Snakes[0]->Lives));
    // Deliberate: the window handles its events here, in the middle of a
    // snake's Move and of NewGame's setup. Keys turn snakes and menu commands
    // (even Abort or New Game) run at this point; the callers re-read the
    // game state afterwards. Without it a lost life would show no turn taken
    // before the restart, and the setup would take no command at all.
    platform::DoEvents();
    if (TwoPlayerGame())
        View().SetLabelText(StatusLabel::Lives2, "Lives : " + std::to_string(Snakes[1]->Lives));
}

} // namespace ModMain
