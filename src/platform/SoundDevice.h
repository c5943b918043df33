#pragma once
// One SDL audio device as the sound player uses it: the default output,
// opened playing, fed one wave file at a time through SDL's queue, closed.
// Nothing here keeps state: a closing thread may open the next device while
// the game's thread plays on another.
#include <SDL.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Before the first device, on the game's thread: SDL's hints and ALSA's
// error printing.
void PrepareSdlAudio();
// Starts SDL's audio and opens a device, playing; 0 if none can be had.
SDL_AudioDeviceID OpenSoundDevice(SDL_AudioSpec& spec);
// Closes it, waiting for its audio thread, and stops SDL's audio with it.
void CloseSoundDevice(SDL_AudioDeviceID device);
// Replaces what `device` plays with the wave file at `path`, loaded into
// `samples`: the bytes queued, 0 if the file can't be played.
std::size_t StartWave(SDL_AudioDeviceID device, const SDL_AudioSpec& spec, const std::string& path,
                      std::vector<Uint8>& samples);
// How long `bytes` of samples play on `device`, rounded up.
int LengthMs(std::size_t bytes, const SDL_AudioSpec& device);

} // namespace platform
