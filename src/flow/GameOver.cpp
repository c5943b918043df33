#include "flow/GameFlow.h"
#include "flow/TopScore.h"

#include "rules/GameView.h"
#include "rules/Snake.h"
#include "scores/ModHigh.h"

namespace ModMain {

void GameOver()
{
    if (GameIsOver())
        return; // one per game
    Ended = GameEnd::Over;
    GameRunning = false;
    PlaySound(SndGameOver);
    View().SetMessageCaption("Game Over");
    View().SetMessageVisible(true);
    Wait(2000, true);
    View().SetMessageVisible(false);
    View().SetTitleVisible(true);
    View().SetMenusIdle();
    if (Snakes.size() == 1) {
        ModHigh::LoadScores();
        const Int16 score = Snakes[0]->score;
        if (ModHigh::IsTopScore(score))
            ModHigh::AddTopScore(score);
    }
}

} // namespace ModMain
