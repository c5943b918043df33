#include "platform/Sound.h"

#include "platform/SoundDevice.h"
#include "platform/Ticks.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <future>
#include <mutex>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

namespace platform {
namespace {

// An open device keeps SDL's audio thread waking some 40 times a second even
// in silence, so it is closed once a sound has ended and nothing followed
// for this long. Reopening costs about what the open device costs in a
// tenth of a second (on a sound server also a few milliseconds of the game's
// own thread); the pause lets a quick run of sounds share one opening.
// Measured against half a second, a fifth cost the audio thread and the
// sound server less, with no difference in pace that runs could tell apart.
constexpr int kIdleCloseMs = 200;

// The device a closing thread opened for a sound that found the last one
// still closing (0: none could be had), with that sound on it.
struct Reopened {
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec spec{};
    std::string path;
    std::size_t bytes = 0; // 0: the sound did not start
};

// What the game's thread and the closing threads share, under `lock`.
struct Handover {
    std::mutex lock;
    int closes = 0;                   // closes still running
    std::string waiting;              // a sound waiting for a closing thread, or ""
    std::optional<Reopened> reopened; // not yet taken over by the game's thread
};

// The real output: an SDL audio device fed from SDL's own queue, one sound at
// a time, so a new sound replaces the one playing. No callback of ours runs
// on the audio thread; a sound's samples are copied into the queue.
//
// Each opening is a device of its own. Closing one waits for its audio
// thread (tens of milliseconds), so it closes on a thread of its own, and a
// sound asked for meanwhile opens the next device at once instead of waiting
// for the close. Where only one device may be open at a time (SDL's dummy
// driver, a sound card without a sound server) that sound goes to the
// closing thread, which opens the next device for it once its close is done.
class DevicePlayer final : public SoundPlayer {
  public:
    DevicePlayer() = default;
    DevicePlayer(const DevicePlayer&) = delete;
    DevicePlayer& operator=(const DevicePlayer&) = delete;
    // Closing the device would wait for the audio thread; the process is
    // ending anyway, so only the sound is stopped.
    ~DevicePlayer() override
    {
        forgetWaitingSound();
        finishClosing();
        stop();
    }

    void playAsync(const std::string& path) override
    {
        {
            const std::lock_guard guard(handover_.lock);
            takeOver();
            if (state_ == State::Waiting) {
                handover_.waiting = path; // the newest sound wins, as on a device
                return;
            }
        }
        if (!ensureOpen(path))
            return;
        stop();
        const std::size_t bytes = StartWave(device_, spec_, path, samples_);
        if (bytes > 0)
            started(path, bytes);
    }

    // Closes the device if nothing plays; the next sound opens another.
    void closeIfIdle()
    {
        takeOverNow();
        if (state_ != State::Open || SDL_GetQueuedAudioSize(device_) > 0)
            return;
        stop();
        const SDL_AudioDeviceID device = std::exchange(device_, 0);
        state_ = State::Untried;
        forgetFinishedCloses();
        {
            const std::lock_guard guard(handover_.lock);
            ++handover_.closes;
        }
        try {
            closing_.push_back(std::async(std::launch::async, [this, device] { closeThenServe(device); }));
        } catch (const std::system_error&) {
            // No thread to be had: closed here, while no sound can wait.
            CloseSoundDevice(device);
            const std::lock_guard guard(handover_.lock);
            --handover_.closes;
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
        {
            const std::lock_guard guard(handover_.lock);
            takeOver();
            if (state_ == State::Waiting) {
                handover_.waiting.clear();
                state_ = State::Untried;
            }
        }
        if (state_ == State::Open)
            SDL_ClearQueuedAudio(device_);
        playingPath_.clear();
    }

    void reset()
    {
        forgetWaitingSound();
        finishClosing();
        stop();
        if (state_ == State::Open)
            CloseSoundDevice(device_);
        device_ = 0;
        state_ = State::Untried;
        diagnostics_ = {};
    }

    SoundDiagnostics diagnostics()
    {
        takeOverNow();
        SoundDiagnostics d = diagnostics_;
        d.deviceOpen = state_ == State::Open;
        d.queuedBytes = d.deviceOpen ? SDL_GetQueuedAudioSize(device_) : 0;
        if (d.queuedBytes > 0)
            d.nowPlaying = playingPath_;
        return d;
    }

  private:
    // Waiting: a sound waits for a closing thread to open the next device.
    enum class State { Untried, Open, Failed, Waiting };

    // A failed open is tried again by the first sound this long after it: a
    // sound server restarting, or a sound card another program held, comes
    // back, yet a machine without sound pays for a try (2 to 3 ms of the
    // game's thread here) at most once a second.
    static constexpr std::uint32_t kRetryMs = 1000;

    void started(const std::string& path, std::size_t bytes)
    {
        playingPath_ = path;
        diagnostics_.soundsStarted++;
        diagnostics_.lastStarted = path;
        diagnostics_.lastStartedBytes = bytes;
        ++soundGeneration_;
        scheduleIdleClose(LengthMs(bytes, spec_) + kIdleCloseMs);
    }

    void failed()
    {
        state_ = State::Failed;
        failedAt_ = CurrentTimeSource().ticks();
    }

    // On a closing thread: closes `device`, then opens the next one for a
    // sound that waits for it. Where another close still runs, a failed open
    // leaves the sound to that one.
    void closeThenServe(SDL_AudioDeviceID device)
    {
        CloseSoundDevice(device);
        const std::lock_guard guard(handover_.lock);
        --handover_.closes;
        if (handover_.waiting.empty())
            return;
        Reopened reopened;
        reopened.device = OpenSoundDevice(reopened.spec);
        if (reopened.device == 0 && handover_.closes > 0)
            return;
        if (reopened.device != 0) {
            std::vector<Uint8> samples;
            reopened.bytes = StartWave(reopened.device, reopened.spec, handover_.waiting, samples);
            reopened.path = handover_.waiting;
        }
        handover_.waiting.clear();
        handover_.reopened = std::move(reopened);
        // Taken over on the game's thread soon, so that the idle close runs
        // even if no other sound comes.
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [this] { takeOverNow(); }, Qt::QueuedConnection);
    }

    // Under the handover's lock, on the game's thread: makes a device that a
    // closing thread opened ours.
    void takeOver()
    {
        if (!handover_.reopened)
            return;
        const Reopened reopened = std::move(*handover_.reopened);
        handover_.reopened.reset();
        if (reopened.device == 0) {
            failed();
            return;
        }
        device_ = reopened.device;
        spec_ = reopened.spec;
        state_ = State::Open;
        if (reopened.bytes > 0) {
            started(reopened.path, reopened.bytes);
        } else {
            ++soundGeneration_;
            scheduleIdleClose(kIdleCloseMs);
        }
    }

    void takeOverNow()
    {
        const std::lock_guard guard(handover_.lock);
        takeOver();
    }

    void forgetWaitingSound()
    {
        const std::lock_guard guard(handover_.lock);
        handover_.waiting.clear();
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

    // True when the device is open; otherwise the sound is silent, or waits
    // for a closing thread.
    bool ensureOpen(const std::string& path)
    {
        if (state_ == State::Failed && TickReached(CurrentTimeSource().ticks(), failedAt_ + kRetryMs))
            state_ = State::Untried;
        if (state_ != State::Untried)
            return state_ == State::Open;
        diagnostics_.deviceOpenAttempts++;
        PrepareSdlAudio();
        // Under the lock, so that no close can end unseen between the try
        // and the look at the closes still running.
        const std::lock_guard guard(handover_.lock);
        device_ = OpenSoundDevice(spec_);
        if (device_ != 0) {
            state_ = State::Open;
        } else if (handover_.closes > 0) {
            // The one device a driver allows may be the one still closing.
            handover_.waiting = path;
            state_ = State::Waiting;
        } else {
            failed();
        }
        return state_ == State::Open;
    }

    State state_ = State::Untried;
    SDL_AudioDeviceID device_ = 0;
    SDL_AudioSpec spec_{};
    std::uint32_t failedAt_ = 0;
    unsigned soundGeneration_ = 0;
    Handover handover_;
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
