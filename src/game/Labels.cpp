#include "game/GameView.h"
#include "game/ModMain.h"

#include "platform/Files.h"
#include "platform/Sound.h"
#include "platform/Ticks.h"
#include "snake/Snake.h"

#include <array>
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
    platform::DoEvents();
    if (TwoPlayerGame())
        View().SetLabelText(StatusLabel::Lives2, "Lives : " + std::to_string(Snakes[1]->Lives));
}

void PlaySound(std::int32_t code)
{
    static constexpr std::array<const char*, 5> files{"apple.wav", "die.wav", "level.wav", "gameover.wav",
                                                      "newgame.wav"};
    if (!SoundOn)
        return;
    if (code < 0 || code >= static_cast<std::int32_t>(files.size()))
        return;
    // Looked up at each call: a file removed while the game runs falls silent.
    const auto path = platform::FindFile(platform::AppPath() + "/sounds", files[code]);
    if (!path)
        return;
    platform::PlayWaveAsync(*path);
}

} // namespace ModMain
