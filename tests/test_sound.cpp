// The shipped wave files and the real SDL audio player (dummy audio driver).
#include "platform/SdlSubsystems.h"
#include "platform/Sound.h"
#include "platform/Ticks.h"
#include "support/FileBytes.h"
#include "support/RecordingSound.h"
#include "support/TableColumns.h"

#include <SDL.h>

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include <unistd.h>

namespace {

// A wave file as SDL reads it for the game: its format and its samples.
struct Wave {
    SDL_AudioSpec spec{};
    QByteArray data;
    double seconds() const { return double(data.size()) / 2 / spec.freq; }
    qint16 sample(int i) const { return qFromLittleEndian<qint16>(data.constData() + 2 * i); }
    int samples() const { return int(data.size() / 2); }
};

// Read strictly: a chunk cut short, or a RIFF size other than the file's,
// fails with SDL's reason.
std::optional<Wave> LoadWave(const QString& path, QString* why)
{
    const QByteArray bytes = ReadFileBytes(path);
    if (bytes.size() < 8 || qFromLittleEndian<quint32>(bytes.constData() + 4) != quint32(bytes.size() - 8))
        return *why = "RIFF size does not match the file size", std::nullopt;
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    SDL_SetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force");
    Wave wave;
    Uint8* samples = nullptr;
    Uint32 length = 0;
    const bool read = SDL_LoadWAV_RW(SDL_RWFromConstMem(bytes.constData(), int(bytes.size())), 1, &wave.spec, &samples,
                                     &length) != nullptr;
    SDL_ResetHint(SDL_HINT_WAVE_TRUNCATION); // the game reads with SDL's defaults
    SDL_ResetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE);
    if (!read)
        return *why = QString::fromUtf8(SDL_GetError()), std::nullopt;
    wave.data = QByteArray(reinterpret_cast<const char*>(samples), qsizetype(length));
    SDL_FreeWAV(samples);
    return wave;
}

// A quiet sine tone; long enough that it is still sounding when checked.
QByteArray MakeTone(double seconds, double hz)
{
    const quint32 rate = 22050;
    const auto count = quint32(seconds * rate);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << 36 + 2 * count;
    out.writeRawData("WAVEfmt ", 8);
    // PCM, mono, 16 bits
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << 2 * count;
    for (quint32 i = 0; i < count; ++i)
        out << qint16(3000 * std::sin(2 * std::numbers::pi * hz * i / rate));
    return bytes;
}

QString SourceSound(const QString& name)
{
    return QStringLiteral(SNAKE_SOURCE_DIR "/data/sounds/") + name;
}
QString GameSound(const QString& name)
{
    return QStringLiteral(SNAKE_GAME_DIR "/sounds/") + name;
}

void AddShippedRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("apple") << "apple.wav" << 0.10 << 0.15;
    QTest::newRow("die") << "die.wav" << 0.40 << 0.60;
    QTest::newRow("level") << "level.wav" << 0.60 << 0.80;
    QTest::newRow("gameover") << "gameover.wav" << 1.00 << 1.40;
    QTest::newRow("newgame") << "newgame.wav" << 0.50 << 0.70;
}

Wave LoadShipped(const QString& name)
{
    QString why;
    return LoadWave(SourceSound(name), &why).value_or(Wave{});
}

} // namespace

class TestSound : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    std::string longA, longB;

    std::string tmpPath(const char* name) const { return tmp.filePath(QLatin1String(name)).toStdString(); }

  private slots:
    void initTestCase()
    {
        QVERIFY(tmp.isValid());
        platform::SetSoundPlayer(nullptr);
        longA = tmpPath("longA.wav");
        longB = tmpPath("longB.wav");
        QVERIFY(WriteFileBytes(QString::fromStdString(longA), MakeTone(20.0, 440.0)));
        QVERIFY(WriteFileBytes(QString::fromStdString(longB), MakeTone(20.0, 660.0)));
    }
    void cleanupTestCase() { platform::ShutdownSound(); }

    // --- shipped files ---
    void shippedWaveIsPcm16MonoWithConsistentSizes_data() { AddShippedRows(); }

    // The platform sound call plays plain PCM: 16-bit mono, with sizes that agree.
    void shippedWaveIsPcm16MonoWithConsistentSizes()
    {
        QFETCH(QString, name);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        QString why;
        const auto wave = LoadWave(SourceSound(name), &why);
        QVERIFY2(wave, qPrintable(why));
        QCOMPARE(wave->spec.format, SDL_AudioFormat{AUDIO_S16LSB});
        QCOMPARE(wave->spec.channels, Uint8{1});
        QVERIFY(wave->spec.freq == 22050 || wave->spec.freq == 44100);
        QCOMPARE(wave->data.size() % 2, 0);
        QVERIFY2(wave->seconds() >= minSeconds && wave->seconds() <= maxSeconds,
                 qPrintable(QString::number(wave->seconds())));
    }
    void shippedWaveIsAudibleButBelowFullScale_data() { AddShippedRows(); }

    // Modest volume: clearly heard, never clipped (peak about -3 dBFS).
    void shippedWaveIsAudibleButBelowFullScale()
    {
        QFETCH(QString, name);
        const Wave wave = LoadShipped(name);
        QVERIFY(wave.samples() > 0);
        int peak = 0;
        for (int i = 0; i < wave.samples(); ++i)
            peak = std::max(peak, std::abs(int(wave.sample(i))));
        QVERIFY2(peak <= 0.75 * 32767 && peak >= 0.5 * 32767, qPrintable(QString::number(peak)));
    }
    void shippedWaveStartsAndEndsAtSilence_data() { AddShippedRows(); }

    // No click: the sound fades in from and out to silence (first and last 0.2 ms).
    void shippedWaveStartsAndEndsAtSilence()
    {
        QFETCH(QString, name);
        const Wave wave = LoadShipped(name);
        QVERIFY(wave.samples() > 0);
        const int edge = wave.spec.freq / 5000;
        for (int i = 0; i < edge; ++i) {
            QVERIFY2(std::abs(wave.sample(i)) < 330, qPrintable(QString("start sample %1").arg(i)));
            QVERIFY2(std::abs(wave.sample(wave.samples() - 1 - i)) < 330, qPrintable(QString("end sample %1").arg(i)));
        }
    }
    void shippedWaveIsCopiedBesideTheGame_data() { AddShippedRows(); }

    // The game looks for its sounds in sounds/ beside the program.
    void shippedWaveIsCopiedBesideTheGame()
    {
        QFETCH(QString, name);
        const QByteArray source = ReadFileBytes(SourceSound(name));
        QVERIFY(!source.isEmpty());
        QVERIFY2(ReadFileBytes(GameSound(name)) == source, qPrintable(GameSound(name)));
    }

    // --- real player ---
    void shippedWaveStartsPlaying_data() { AddShippedRows(); }

    // Every shipped effect loads and starts on the one channel.
    void shippedWaveStartsPlaying()
    {
        QFETCH(QString, name);
        const std::string path = GameSound(name).toStdString();
        const int before = platform::GetSoundDiagnostics().soundsStarted;
        platform::PlayWaveAsync(path);
        const auto d = platform::GetSoundDiagnostics();
        QVERIFY(d.deviceOpen);
        QCOMPARE(d.soundsStarted, before + 1);
        QCOMPARE(d.lastStarted, path);
        QVERIFY(d.queuedBytes > 0);
    }

    // Only the first call pays for opening the device, until a reset closes it.
    void audioDeviceIsOpenedOnce()
    {
        platform::PlayWaveAsync(longA);
        const int attempts = platform::GetSoundDiagnostics().deviceOpenAttempts;
        for (int i = 0; i < 5; ++i)
            platform::PlayWaveAsync(i % 2 ? longA : longB);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, attempts);

        platform::ResetSound();
        const auto reset = platform::GetSoundDiagnostics();
        QCOMPARE(reset.deviceOpenAttempts, 0);
        QVERIFY(!reset.deviceOpen);
        QCOMPARE(reset.soundsStarted, 0);
        QCOMPARE(reset.nowPlaying, std::string());
        platform::PlayWaveAsync(longA);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, 1);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);
    }

    // A sound started while another plays cuts the earlier one off.
    void newSoundCutsOffThePlayingOne()
    {
        platform::PlayWaveAsync(longA);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);

        platform::PlayWaveAsync(longB);
        const auto d = platform::GetSoundDiagnostics();
        QCOMPARE(d.nowPlaying, longB);
        // Only the new sound waits to be played, none of the old one.
        QVERIFY(d.queuedBytes > 0 && d.queuedBytes <= d.lastStartedBytes);
    }

    void unplayableFileIsSilentAndStopsTheOldSound_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: no file is written
        QTest::addColumn<bool>("directory");

        QByteArray junk(4096, '\0');
        QRandomGenerator gen(1234);
        for (char& c : junk)
            c = char(gen.bounded(256));
        QByteArray badFormat = MakeTone(0.5, 440);
        qToLittleEndian(quint16(0x7777), badFormat.data() + 20);

        QTest::newRow("missing") << "missing.wav" << QByteArray() << false;
        QTest::newRow("random bytes") << "junk.wav" << junk << false;
        QTest::newRow("empty file") << "empty.wav" << QByteArray("") << false;
        QTest::newRow("directory") << "x.wav" << QByteArray() << true;
        QTest::newRow("text") << "text.wav" << QByteArray("not a sound\n") << false;
        QTest::newRow("header only") << "header.wav" << MakeTone(0.5, 440).left(12) << false;
        QTest::newRow("unknown encoding") << "encoding.wav" << badFormat << false;
    }

    // A file that can't be played is silent, and still replaces what was playing.
    void unplayableFileIsSilentAndStopsTheOldSound()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, directory);
        const QString path = tmp.filePath(name);
        if (directory)
            QVERIFY(QDir().mkpath(path));
        else if (!content.isNull())
            QVERIFY(WriteFileBytes(path, content));

        platform::PlayWaveAsync(longA);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);
        const int started = platform::GetSoundDiagnostics().soundsStarted;

        platform::PlayWaveAsync(path.toStdString());
        const auto d = platform::GetSoundDiagnostics();
        QCOMPARE(d.soundsStarted, started);
        QCOMPARE(d.lastStarted, longA);
        QCOMPARE(d.nowPlaying, std::string());
        QCOMPARE(d.queuedBytes, std::size_t{0});
        QVERIFY(d.deviceOpen);
    }

    // The file is read at every call, so an edited or removed file is noticed.
    void changedFileIsReloadedAtTheNextCall()
    {
        const QString path = tmp.filePath("changing.wav");
        QVERIFY(WriteFileBytes(path, MakeTone(20.0, 300.0)));
        platform::PlayWaveAsync(path.toStdString());
        const std::size_t longLength = platform::GetSoundDiagnostics().lastStartedBytes;
        QVERIFY(longLength > 0);

        QVERIFY(WriteFileBytes(path, MakeTone(10.0, 300.0)));
        platform::PlayWaveAsync(path.toStdString());
        QCOMPARE(platform::GetSoundDiagnostics().lastStartedBytes * 2, longLength);

        QVERIFY(QFile::remove(path));
        platform::PlayWaveAsync(path.toStdString());
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, std::string());
    }

    // Shutdown silences the sound at once; the next call plays again without
    // reopening the device.
    void shutdownStopsTheSoundAndTheNextCallPlays()
    {
        platform::PlayWaveAsync(longA);
        const int attempts = platform::GetSoundDiagnostics().deviceOpenAttempts;
        platform::ShutdownSound();
        platform::ShutdownSound();
        auto d = platform::GetSoundDiagnostics();
        QCOMPARE(d.nowPlaying, std::string());
        QCOMPARE(d.queuedBytes, std::size_t{0});

        platform::PlayWaveAsync(longB);
        d = platform::GetSoundDiagnostics();
        QCOMPARE(d.deviceOpenAttempts, attempts);
        QCOMPARE(d.nowPlaying, longB);
    }

    void idleDeviceClosesAndTheNextSoundReopensIt_data()
    {
        Columns<bool>("plainWait");
        QTest::newRow("sound while closing, events handled") << false;
        // The game's one-second wait of a restarted round handles nothing.
        QTest::newRow("sound while closing, then a plain wait") << true;
    }

    // A silent device is closed (no audio thread left awake); a playing one
    // stays open, and the next sound opens the device again.
    void idleDeviceClosesAndTheNextSoundReopensIt()
    {
        const auto [plainWait] = Fetch<bool>("plainWait");
        platform::PlayWaveAsync(longA);
        const int attempts = platform::GetSoundDiagnostics().deviceOpenAttempts;
        platform::CloseIdleSound();
        QVERIFY(platform::GetSoundDiagnostics().deviceOpen);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);

        platform::ShutdownSound();
        platform::CloseIdleSound();
        QVERIFY(!platform::GetSoundDiagnostics().deviceOpen);
        QCOMPARE(SDL_WasInit(SDL_INIT_AUDIO), Uint32{0});

        platform::PlayWaveAsync(longB);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, attempts + 1);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longB);

        // By itself, once a sound has ended, and never while it sounds: held
        // by this thread, SDL's lock of the device keeps the short sound
        // sounding past its end and past the close's look at it.
        const QString blip = tmp.filePath("blip.wav");
        QVERIFY(WriteFileBytes(blip, MakeTone(0.05, 300.0)));
        platform::PlayWaveAsync(blip.toStdString());
        SDL_AudioDeviceID held = 0;
        for (SDL_AudioDeviceID id = 1; id <= 16 && held == 0; ++id)
            held = SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING ? id : 0;
        QVERIFY(held != 0);
        SDL_LockAudioDevice(held);
        auto release = qScopeGuard([held] { SDL_UnlockAudioDevice(held); });
        QTest::qWait(500);
        QVERIFY(platform::GetSoundDiagnostics().deviceOpen);
        QVERIFY(platform::GetSoundDiagnostics().queuedBytes > 0);
        release.dismiss();
        SDL_UnlockAudioDevice(held);
        // Straight on from the moment the close begins, while it waits for
        // the audio thread: the sound starts at once.
        for (QDeadlineTimer limit(5000); platform::GetSoundDiagnostics().deviceOpen && !limit.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const int reopened = platform::GetSoundDiagnostics().deviceOpenAttempts + 1;
        platform::PlayWaveAsync(longA);
        if (plainWait) {
            for (int ms = 0; ms < 5000 && platform::GetSoundDiagnostics().nowPlaying.empty(); ms += 10)
                platform::SleepUntil(platform::GetTickCount() + 10);
            QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);
        } else {
            QTRY_COMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);
        }
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, reopened);
    }

    // Where the driver allows one device (SDL's dummy), a sound asked for
    // while the idle device closes does not wait for the close: it starts
    // once the close is done.
    void soundDuringTheCloseDoesNotWaitForIt()
    {
        platform::PlayWaveAsync(GameSound("apple.wav").toStdString());
        // Held by this thread, SDL's lock of the device keeps its close from
        // ending; the player's calls on this thread pass it.
        std::vector<SDL_AudioDeviceID> held;
        for (SDL_AudioDeviceID id = 1; id <= 16; ++id)
            if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING)
                SDL_LockAudioDevice(held.emplace_back(id));
        platform::ShutdownSound();
        QTRY_VERIFY(!platform::GetSoundDiagnostics().deviceOpen); // the idle close has begun
        ::alarm(10);                                              // a sound that waits for the close ends the test here
        platform::PlayWaveAsync(longA);
        ::alarm(0);
        QCOMPARE(platform::GetSoundDiagnostics().nowPlaying, std::string());
        for (const SDL_AudioDeviceID id : held)
            SDL_UnlockAudioDevice(id);
        QTRY_COMPARE(platform::GetSoundDiagnostics().nowPlaying, longA);
    }

    // Each start of SDL's audio queues an event per device. While the pads'
    // layer keeps SDL's events and no pad polls them, a hundred reopenings
    // leave none behind.
    void reopeningsLeaveNoDeviceEvents()
    {
        platform::ResetSound();
        QVERIFY(platform::StartSdlSubsystems(SDL_INIT_EVENTS));
        for (int i = 0; i < 100; ++i) {
            platform::PlayWaveAsync(GameSound("apple.wav").toStdString());
            platform::ShutdownSound();
            platform::CloseIdleSound();
        }
        const int queued = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        platform::StopSdlSubsystems(SDL_INIT_EVENTS);
        QCOMPARE(platform::GetSoundDiagnostics().deviceOpenAttempts, 100);
        QVERIFY2(queued <= 2, qPrintable(QString::number(queued)));
    }

    // --- replacing the player ---
    // An installed player receives every path; the audio output hears nothing.
    void installedPlayerGetsThePathsInsteadOfAudio()
    {
        const int started = platform::GetSoundDiagnostics().soundsStarted;
        {
            RecordingSound recorder;
            platform::PlayWaveAsync(longA);
            platform::PlayWaveAsync("/no/such/die.wav");
            QCOMPARE(recorder.played, (std::vector<std::string>{longA, "/no/such/die.wav"}));
            QCOMPARE(recorder.names(), (std::vector<std::string>{"longA.wav", "die.wav"}));
            QCOMPARE(platform::GetSoundDiagnostics().soundsStarted, started);
        }
        platform::PlayWaveAsync(longA);
        QCOMPARE(platform::GetSoundDiagnostics().soundsStarted, started + 1);
    }
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
