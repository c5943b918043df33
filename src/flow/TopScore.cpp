#include "flow/TopScore.h"

#include "rules/GameView.h"
#include "scores/ModHigh.h"

namespace ModHigh {

void AddTopScore(platform::Int16 score)
{
    if (EnterTopScore(score, ModMain::View().AskTopScoreName()))
        ModMain::View().ShowHallOfFame();
}

} // namespace ModHigh
