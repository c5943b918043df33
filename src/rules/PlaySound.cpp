#include "rules/ModMain.h"

#include "platform/Files.h"
#include "platform/Sound.h"

#include <array>

namespace ModMain {

void PlaySound(SoundCode code)
{
    static constexpr std::array<const char*, 5> files{"apple.wav", "die.wav", "level.wav", "gameover.wav",
                                                      "newgame.wav"};
    if (!SoundOn)
        return;
    if (code < 0 || code >= static_cast<std::int32_t>(files.size())) // not one of the five
        return;
    // Looked up at each call: a file removed while the game runs falls silent.
    const auto path = platform::FindFile(platform::AppPath() + "/sounds", files[code]);
    if (!path)
        return;
    platform::PlayWaveAsync(*path);
}

} // namespace ModMain
