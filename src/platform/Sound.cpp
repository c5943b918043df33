#include "platform/Sound.h"

#include "platform/SdlSubsystems.h"

#include <QCoreApplication>
#include <QTimer>

#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <chrono>
#include <future>
#include <memory>
#include <system_error>

namespace platform {
namespace {

struct ChunkDeleter {
    void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
};
using ChunkPtr = std::unique_ptr<Mix_Chunk, ChunkDeleter>;

constexpr int kChannel = 0;

// An open device keeps SDL's audio thread waking some 40 times a second even
// in silence, so it is closed once a sound has ended and nothing followed
// for this long. Reopening costs about what the open device costs in a
// tenth of a second (on a sound server also a few milliseconds of the game's
// own thread); the pause lets a quick run of sounds share one opening.
// Measured against half a second, a fifth cost the audio thread and the
// sound server less, with no difference in pace that runs could tell apart.
constexpr int kIdleCloseMs = 200;

// How long `chunk` plays on the open device, rounded up.
int LengthMs(const Mix_Chunk& chunk)
{
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || frequency <= 0 || channels <= 0)
        return 0;
    const auto frameBytes = static_cast<Uint32>(SDL_AUDIO_BITSIZE(format) / 8 * channels);
    if (frameBytes == 0)
        return 0;
    return static_cast<int>(static_cast<Uint64>(chunk.alen / frameBytes) * 1000 / static_cast<Uint64>(frequency)) + 1;
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

// The real output: SDL2_mixer with a single channel, so a new sound replaces
// the one playing. Everything runs on the caller's thread; no mixer callback
// is installed, so a chunk is only ever freed here, after its channel has
// been halted under the audio lock.
class MixerPlayer final : public SoundPlayer {
  public:
    MixerPlayer() = default;
    MixerPlayer(const MixerPlayer&) = delete;
    MixerPlayer& operator=(const MixerPlayer&) = delete;
    // Closing the device would wait for the audio thread; the process is
    // ending anyway, so only the sound is stopped.
    ~MixerPlayer() override
    {
        finishClosing();
        stop();
    }

    void playAsync(const std::string& path) override
    {
        waitingPath_.clear();
        if (stillClosing() && QCoreApplication::instance()) {
            // Closing takes tens of milliseconds; the sound comes a little
            // late rather than the game stopping for it.
            waitingPath_ = path;
            playWhenClosed();
            return;
        }
        if (!ensureOpen())
            return;
        // Loaded at every call: the file may have changed or gone since.
        ChunkPtr next(Mix_LoadWAV(path.c_str()));
        stop();
        if (!next)
            return;
        if (Mix_PlayChannel(kChannel, next.get(), 0) < 0)
            return;
        chunk_ = std::move(next);
        playingPath_ = path;
        diagnostics_.soundsStarted++;
        diagnostics_.lastStarted = path;
        ++soundGeneration_;
        scheduleIdleClose(LengthMs(*chunk_) + kIdleCloseMs);
    }

    // Closes the device if nothing plays; the next sound opens it again.
    // The close runs on a thread of its own: it waits for SDL's audio
    // thread, and the game must not.
    void closeIfIdle()
    {
        if (state_ != State::Open || Mix_Playing(kChannel))
            return;
        stop();
        state_ = State::Untried;
        try {
            closing_ = std::async(std::launch::async, closeDevice);
        } catch (const std::system_error&) {
            closeDevice(); // no thread to be had: wait here instead
        }
    }

    // Every use of the mixer first waits for a close still under way.
    void finishClosing()
    {
        if (closing_.valid())
            closing_.get();
    }

    bool stillClosing() const
    {
        return closing_.valid() && closing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    }

    // Halting takes the audio lock, so once it returns the mixer no longer
    // reads the old chunk and it can be freed.
    void stop()
    {
        waitingPath_.clear();
        if (state_ != State::Open)
            return;
        Mix_HaltChannel(kChannel);
        chunk_.reset();
        playingPath_.clear();
    }

    void reset()
    {
        finishClosing();
        stop();
        if (state_ == State::Open)
            closeDevice();
        state_ = State::Untried;
        diagnostics_ = {};
    }

    SoundDiagnostics diagnostics() const
    {
        SoundDiagnostics d = diagnostics_;
        d.deviceOpen = state_ == State::Open;
        if (d.deviceOpen && chunk_ && Mix_Playing(kChannel) && Mix_GetChunk(kChannel) == chunk_.get())
            d.nowPlaying = playingPath_;
        return d;
    }

  private:
    enum class State { Untried, Open, Failed };

    static void closeDevice()
    {
        Mix_CloseAudio();
        StopSdlSubsystems(SDL_INIT_AUDIO);
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
                if (state_ == State::Open && Mix_Playing(kChannel))
                    scheduleIdleClose(kIdleCloseMs);
                else
                    closeIfIdle();
            });
    }

    // Looks again every few milliseconds until the device is closed, then
    // plays the sound asked for meanwhile, if it still is.
    void playWhenClosed()
    {
        constexpr int kLookAgainMs = 5;
        QTimer::singleShot(kLookAgainMs, QCoreApplication::instance(), [this] {
            if (waitingPath_.empty())
                return;
            if (stillClosing()) {
                playWhenClosed();
                return;
            }
            const std::string path = std::move(waitingPath_);
            playAsync(path);
        });
    }

    bool ensureOpen()
    {
        finishClosing();
        if (state_ == State::Untried)
            state_ = open() ? State::Open : State::Failed;
        return state_ == State::Open;
    }

    bool open()
    {
        diagnostics_.deviceOpenAttempts++;
        // SDL would otherwise take over SIGINT/SIGTERM and the game could no
        // longer be stopped from outside.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        MuteAlsaErrors();
        if (!StartSdlSubsystems(SDL_INIT_AUDIO))
            return false;
        // 1024 frames keep the delay of an apple blip near 20 ms. One channel:
        // the sounds are mono, and the mixer does half the work.
        if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 1, 1024) != 0) {
            StopSdlSubsystems(SDL_INIT_AUDIO);
            return false;
        }
        Mix_AllocateChannels(1);
        return true;
    }

    State state_ = State::Untried;
    unsigned soundGeneration_ = 0;
    std::future<void> closing_;
    std::string waitingPath_; // asked for while the device was closing
    ChunkPtr chunk_;
    std::string playingPath_;
    SoundDiagnostics diagnostics_;
};

MixerPlayer& realPlayer()
{
    static MixerPlayer player;
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
