#pragma once
// Stands in for the audio output while alive: keeps the paths it was asked
// to play instead of playing them.
#include "platform/Sound.h"

#include <string>
#include <vector>

class RecordingSound final : public platform::SoundPlayer {
  public:
    RecordingSound() { platform::SetSoundPlayer(this); }
    ~RecordingSound() override { platform::SetSoundPlayer(nullptr); }
    RecordingSound(const RecordingSound&) = delete;
    RecordingSound& operator=(const RecordingSound&) = delete;

    void playAsync(const std::string& path) override;

    // File names only (no folder), in call order.
    std::vector<std::string> names() const;

    std::vector<std::string> played;
};
