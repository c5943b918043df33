#include "platform/Sound.h"

#include "platform/SdlSubsystems.h"

#include <QCoreApplication>
#include <QTimer>

#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace platform {
namespace {

struct WaveDeleter {
    void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};
using WavePtr = std::unique_ptr<Uint8, WaveDeleter>;

// An open device keeps SDL's audio thread waking some 40 times a second even
// in silence, so it is closed once a sound has ended and nothing followed
// for this long. Reopening costs about what the open device costs in a
// tenth of a second (on a sound server also a few milliseconds of the game's
// own thread); the pause lets a quick run of sounds share one opening.
// Measured against half a second, a fifth cost the audio thread and the
// sound server less, with no difference in pace that runs could tell apart.
constexpr int kIdleCloseMs = 200;

// What a sound server's mixer lists the game's sounds under.
constexpr const char* kMixerName = "Snake";

// How long `bytes` of samples play on `device`, rounded up.
int LengthMs(std::size_t bytes, const SDL_AudioSpec& device)
{
    const auto frameBytes = static_cast<std::size_t>(SDL_AUDIO_BITSIZE(device.format) / 8 * device.channels);
    if (frameBytes == 0 || device.freq <= 0)
        return 0;
    return static_cast<int>(bytes / frameBytes * 1000 / static_cast<std::size_t>(device.freq)) + 1;
}

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

// The real output: an SDL audio device fed from SDL's own queue, one sound at
// a time, so a new sound replaces the one playing. No callback of ours runs
// on the audio thread; a sound's samples are copied into the queue.
//
// Each opening is a device of its own. Closing one waits for its audio
// thread (tens of milliseconds), so it closes on a thread of its own, and a
// sound asked for meanwhile opens the next device at once instead of waiting
// for the close.
class DevicePlayer final : public SoundPlayer {
  public:
    DevicePlayer() = default;
    DevicePlayer(const DevicePlayer&) = delete;
    DevicePlayer& operator=(const DevicePlayer&) = delete;
    // Closing the device would wait for the audio thread; the process is
    // ending anyway, so only the sound is stopped.
    ~DevicePlayer() override
    {
        finishClosing();
        stop();
    }

    void playAsync(const std::string& path) override
    {
        if (!ensureOpen())
            return;
        // Loaded at every call: the file may have changed or gone since.
        const bool loaded = LoadWave(path, spec_, samples_);
        stop();
        if (!loaded || SDL_QueueAudio(device_, samples_.data(), static_cast<Uint32>(samples_.size())) != 0)
            return;
        playingPath_ = path;
        diagnostics_.soundsStarted++;
        diagnostics_.lastStarted = path;
        diagnostics_.lastStartedBytes = samples_.size();
        ++soundGeneration_;
        scheduleIdleClose(LengthMs(samples_.size(), spec_) + kIdleCloseMs);
    }

    // Closes the device if nothing plays; the next sound opens another.
    void closeIfIdle()
    {
        if (state_ != State::Open || SDL_GetQueuedAudioSize(device_) > 0)
            return;
        stop();
        const SDL_AudioDeviceID device = std::exchange(device_, 0);
        state_ = State::Untried;
        forgetFinishedCloses();
        try {
            closing_.push_back(std::async(std::launch::async, closeDevice, device));
        } catch (const std::system_error&) {
            closeDevice(device); // no thread to be had: wait here instead
        }
    }

    void finishClosing()
    {
        for (auto& close : closing_)
            close.get();
        closing_.clear();
    }

    void stop()
    {
        if (state_ == State::Open)
            SDL_ClearQueuedAudio(device_);
        playingPath_.clear();
    }

    void reset()
    {
        finishClosing();
        stop();
        if (state_ == State::Open)
            closeDevice(device_);
        device_ = 0;
        state_ = State::Untried;
        diagnostics_ = {};
    }

    SoundDiagnostics diagnostics() const
    {
        SoundDiagnostics d = diagnostics_;
        d.deviceOpen = state_ == State::Open;
        d.queuedBytes = d.deviceOpen ? SDL_GetQueuedAudioSize(device_) : 0;
        if (d.queuedBytes > 0)
            d.nowPlaying = playingPath_;
        return d;
    }

  private:
    enum class State { Untried, Open, Failed };

    static void closeDevice(SDL_AudioDeviceID device)
    {
        SDL_CloseAudioDevice(device);
        StopSdlSubsystems(SDL_INIT_AUDIO);
    }

    void forgetFinishedCloses()
    {
        std::erase_if(closing_, [](std::future<void>& close) {
            if (close.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                return false;
            close.get();
            return true;
        });
    }

    // A check after the sound should have ended; only the last sound's check
    // may close, and one that finds it still sounding looks again later.
    // Without an event loop the device stays open.
    void scheduleIdleClose(int afterMs)
    {
        const unsigned generation = soundGeneration_;
        if (QCoreApplication* app = QCoreApplication::instance())
            QTimer::singleShot(afterMs, app, [this, generation] {
                if (generation != soundGeneration_)
                    return;
                if (state_ == State::Open && SDL_GetQueuedAudioSize(device_) > 0)
                    scheduleIdleClose(kIdleCloseMs);
                else
                    closeIfIdle();
            });
    }

    bool ensureOpen()
    {
        if (state_ == State::Untried) {
            diagnostics_.deviceOpenAttempts++;
            bool opened = open();
            // Where only one device may be open at a time (SDL's dummy
            // driver, a sound card without a sound server) the one closing
            // still holds it: that close is waited for.
            if (!opened && !closing_.empty()) {
                finishClosing();
                opened = open();
            }
            state_ = opened ? State::Open : State::Failed;
        }
        return state_ == State::Open;
    }

    bool open()
    {
        // SDL would otherwise take over SIGINT/SIGTERM and the game could no
        // longer be stopped from outside.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kMixerName);
        MuteAlsaErrors();
        if (!StartSdlSubsystems(SDL_INIT_AUDIO))
            return false;
        // 1024 frames keep the delay of an apple blip near 20 ms. One channel:
        // the sounds are mono, and the device does half the work.
        SDL_AudioSpec wanted{};
        wanted.freq = 44100;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 1;
        wanted.samples = 1024;
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &spec_,
                                      SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
        if (device_ == 0) {
            StopSdlSubsystems(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    State state_ = State::Untried;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    unsigned soundGeneration_ = 0;
    std::vector<std::future<void>> closing_; // devices still closing
    std::vector<Uint8> samples_;             // the last sound, kept for its room
    std::string playingPath_;
    SoundDiagnostics diagnostics_;
};

DevicePlayer& realPlayer()
{
    static DevicePlayer player;
    return player;
}

SoundPlayer* installedPlayer = nullptr;

} // namespace

void SetSoundPlayer(SoundPlayer* player)
{
    installedPlayer = player;
}

void PlayWaveAsync(const std::string& path)
{
    if (installedPlayer)
        installedPlayer->playAsync(path);
    else
        realPlayer().playAsync(path);
}

void ShutdownSound()
{
    realPlayer().stop();
}

void CloseIdleSound()
{
    realPlayer().closeIfIdle();
    realPlayer().finishClosing();
}

void ResetSound()
{
    realPlayer().reset();
}

SoundDiagnostics GetSoundDiagnostics()
{
    return realPlayer().diagnostics();
}

} // namespace platform
