// The real player on a machine without usable audio: silent, tried again
// a second later.
#include "platform/Sound.h"
#include "support/FakeTime.h"

#include <QtTest>

#include <string>

Q_DECLARE_METATYPE(std::string)

class TestSoundNoDevice : public QObject {
    Q_OBJECT

    const std::string shipped = SNAKE_SOURCE_DIR "/data/sounds/apple.wav";

  private slots:
    // Must run before the first sound of this process: SDL reads the driver
    // name when audio is first opened.
    void initTestCase()
    {
        qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
        platform::SetSoundPlayer(nullptr);
    }

    // Without a device a sound is silently skipped, file or no file.
    void playingWithoutDeviceIsSilent_data()
    {
        QTest::addColumn<std::string>("path");
        QTest::newRow("shipped wave") << shipped;
        QTest::newRow("missing file") << std::string("/no/such/folder/die.wav");
        QTest::newRow("empty path") << std::string();
    }
    void playingWithoutDeviceIsSilent()
    {
        QFETCH(std::string, path);
        platform::PlayWaveAsync(path);
        const auto d = platform::GetSoundDiagnostics();
        QVERIFY(!d.deviceOpen);
        QCOMPARE(d.soundsStarted, 0);
        QCOMPARE(d.nowPlaying, std::string());
    }

    // A failed open is tried again by the first sound a second later, not by
    // the sounds in between: once the device works again, that sound plays.
    void failedDeviceIsTriedAgainASecondLater()
    {
        platform::ResetSound();
        FakeTime time;
        for (int i = 0; i < 20; ++i, time.advance(49))
            platform::PlayWaveAsync(shipped);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, 1);
        qputenv("SDL_AUDIODRIVER", "dummy"); // the sound server is back
        time.advance(20);
        platform::PlayWaveAsync(shipped);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, shipped);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, 2);
        platform::ResetSound();
        qputenv("SDL_AUDIODRIVER", "no-such-audio-driver");
    }

    // Shutting down never-opened audio is harmless and keeps the failure.
    void shutdownAfterFailureIsHarmless()
    {
        platform::ShutdownSound();
        platform::PlayWaveAsync(shipped);
        const auto d = platform::GetSoundDiagnostics();
        QCOMPARE(d.deviceOpenAttempts, 1);
        QCOMPARE(d.soundsStarted, 0);
    }
};

QTEST_MAIN(TestSoundNoDevice)
#include "test_sound_nodevice.moc"
