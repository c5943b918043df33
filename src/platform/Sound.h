#pragma once
// Sound effects: fire-and-forget playback of wave files on one channel.
#include <cstddef>
#include <string>

namespace platform {

// Where PlayWaveAsync sends its paths. Tests install a recorder instead of
// the real audio output.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    virtual void playAsync(const std::string& path) = 0;
};

// nullptr restores the real SDL audio player. Not owned.
void SetSoundPlayer(SoundPlayer* player);

// Plays a wave file asynchronously, without a default sound: returns at once;
// a new call cuts off the sound that is playing, even when the new file turns
// out to be unplayable. A file that can't be played, or no audio device, is
// silent. A call opens the audio device when it is closed; after a failed
// open, calls in the next second return at once, and the first one later
// tries again.
void PlayWaveAsync(const std::string& path);

// Stops the sound and frees it. The audio device stays open for the next
// call: closing it would wait for the audio thread. Optional; the game may
// just end without it.
void ShutdownSound();

// Closes the real player's audio device unless a sound is playing, and waits
// until it is closed; the next sound opens it again. The player does this by
// itself a fifth of a second after the last sound ended, without waiting for
// the audio thread to finish, so that a silent game keeps no audio thread
// awake; a sound asked for while it closes starts without waiting for the
// close (where the driver allows one device, as soon as it is done).
void CloseIdleSound();

// The real player back to program start: its sound stopped, its audio device
// closed (the next sound opens it afresh), nothing counted. An installed
// player stays installed.
void ResetSound();

// Test seam, not used by the game: what the real player has done so far.
// Nothing a test can hear tells whether the device opened, closed or cut a
// sound short, so tests read it here.
struct SoundDiagnostics {
    int deviceOpenAttempts = 0;
    bool deviceOpen = false;
    int soundsStarted = 0;
    std::string lastStarted;          // path of the last file that started playing
    std::string nowPlaying;           // path still sounding on the channel, or ""
    std::size_t lastStartedBytes = 0; // its samples in the device's format
    std::size_t queuedBytes = 0;      // samples not yet handed to the device
};
SoundDiagnostics GetSoundDiagnostics();

} // namespace platform
