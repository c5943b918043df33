#include "platform/SoundDevice.h"

#include "platform/SdlSubsystems.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>

namespace platform {
namespace {

struct WaveDeleter {
    void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};
using WavePtr = std::unique_ptr<Uint8, WaveDeleter>;

// What a sound server's mixer lists the game's sounds under.
constexpr const char* kMixerName = "Snake";

// Reads a wave file into `samples` in the device's format; false when it
// can't be played.
bool LoadWave(const std::string& path, const SDL_AudioSpec& device, std::vector<Uint8>& samples)
{
    SDL_AudioSpec spec{};
    Uint8* read = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &read, &length))
        return false;
    const WavePtr wave(read);
    SDL_AudioCVT cvt{};
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, device.format, device.channels, device.freq) < 0)
        return false;
    samples.resize(std::size_t{length} * static_cast<std::size_t>(cvt.len_mult));
    std::memcpy(samples.data(), wave.get(), length);
    cvt.buf = samples.data();
    cvt.len = static_cast<int>(length);
    if (SDL_ConvertAudio(&cvt) != 0)
        return false;
    samples.resize(static_cast<std::size_t>(cvt.len_cvt));
    return !samples.empty();
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card ALSA prints a screenful of errors when
// SDL probes it. Silence is the documented outcome there, so mute ALSA's own
// reporting. SDL loads the library at run time too, so we look it up the same
// way and do nothing if it isn't installed.
void MuteAlsaErrors()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa)
        return;
    if (auto* setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler")))
        setHandler(IgnoreAlsaError);
    // Kept loaded: the handler must stay valid while ALSA is in use.
}

} // namespace

int LengthMs(std::size_t bytes, const SDL_AudioSpec& device)
{
    const auto frameBytes = static_cast<std::size_t>(SDL_AUDIO_BITSIZE(device.format) / 8 * device.channels);
    if (frameBytes == 0 || device.freq <= 0)
        return 0;
    return static_cast<int>(bytes / frameBytes * 1000 / static_cast<std::size_t>(device.freq)) + 1;
}

// SDL would otherwise take over SIGINT/SIGTERM, and the game could no
// longer be stopped from outside. Set before the first device, on the game's
// thread: hints are not for two threads at once.
void PrepareSdlAudio()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kMixerName);
    MuteAlsaErrors();
}

SDL_AudioDeviceID OpenSoundDevice(SDL_AudioSpec& spec)
{
    if (!StartSdlSubsystems(SDL_INIT_AUDIO))
        return 0;
    // 1024 frames keep the delay of an apple blip near 20 ms. One channel:
    // the sounds are mono, and the device does half the work.
    SDL_AudioSpec wanted{};
    wanted.freq = 44100;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 1024;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(
        nullptr, 0, &wanted, &spec, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    // Each start of SDL's audio queues an event per device it finds, and
    // nothing here reads them (the pads' polls stop while no pad is there).
    SDL_FlushEvents(SDL_AUDIODEVICEADDED, SDL_AUDIODEVICEREMOVED);
    if (device == 0) {
        StopSdlSubsystems(SDL_INIT_AUDIO);
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return device;
}

void CloseSoundDevice(SDL_AudioDeviceID device)
{
    SDL_CloseAudioDevice(device);
    StopSdlSubsystems(SDL_INIT_AUDIO);
}

std::size_t StartWave(SDL_AudioDeviceID device, const SDL_AudioSpec& spec, const std::string& path,
                      std::vector<Uint8>& samples)
{
    // Loaded at every call: the file may have changed or gone since.
    const bool loaded = LoadWave(path, spec, samples);
    SDL_ClearQueuedAudio(device);
    if (!loaded || SDL_QueueAudio(device, samples.data(), static_cast<Uint32>(samples.size())) != 0)
        return 0;
    return samples.size();
}

} // namespace platform
