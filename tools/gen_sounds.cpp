// Synthesises the game's five sound effects and writes them as 16-bit mono
// PCM wave files. The output is the same bytes on every run.
//
//   gen_sounds [folder]     (default: data/sounds of the source tree)
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#ifndef SNAKE_SOUNDS_DIR
#define SNAKE_SOUNDS_DIR "data/sounds"
#endif

namespace {

constexpr int kRate = 44100;
constexpr double kPeak = 0.7079; // -3 dBFS
constexpr double kTwoPi = 2.0 * std::numbers::pi;

using Buffer = std::vector<double>;

// Equal-tempered pitch of a MIDI note number (69 = A4 = 440 Hz).
double Pitch(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

int Samples(double seconds)
{
    return static_cast<int>(std::lround(seconds * kRate));
}

// Raised-cosine ramps: no corner in the waveform, so no click.
double Ramp(double x)
{
    return x >= 1.0 ? 1.0 : x <= 0.0 ? 0.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * x);
}

struct Note {
    double start = 0;                   // seconds
    double length = 0;                  // seconds, release included
    std::function<double(double)> freq; // Hz at time t into the note
    double gain = 1.0;
    double attack = 0.005;
    double release = 0.03;
    double decay = 0.0;      // exponential decay rate per second
    double brightness = 0.3; // weight of the upper harmonics
    double vibratoHz = 0.0;
    double vibratoDepth = 0.0; // fraction of the pitch
};

// Adds one voice into the buffer, integrating the phase so that glides and
// vibrato stay continuous.
void Add(Buffer& out, const Note& n)
{
    const int first = Samples(n.start);
    const int count = Samples(n.length);
    if (static_cast<int>(out.size()) < first + count)
        out.resize(static_cast<std::size_t>(first + count), 0.0);
    double phase = 0.0;
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double vib = 1.0 + n.vibratoDepth * std::sin(kTwoPi * n.vibratoHz * t) * Ramp(t / 0.15);
        phase += kTwoPi * n.freq(t) * vib / kRate;
        const double wave = std::sin(phase) + n.brightness * 0.5 * std::sin(2.0 * phase) +
                            n.brightness * 0.25 * std::sin(3.0 * phase) + n.brightness * 0.12 * std::sin(4.0 * phase);
        const double env = Ramp(t / n.attack) * Ramp((n.length - t) / n.release) * std::exp(-n.decay * t);
        out[static_cast<std::size_t>(first + i)] += n.gain * env * wave;
    }
}

std::function<double(double)> Steady(double hz)
{
    return [hz](double) { return hz; };
}

// Exponential glide from `from` to `to` Hz over `seconds`, then held.
std::function<double(double)> Glide(double from, double to, double seconds)
{
    return [=](double t) { return from * std::pow(to / from, std::min(t / seconds, 1.0)); };
}

Buffer Apple()
{
    Buffer b;
    // A quick upward chirp: the bite.
    Add(b, {.start = 0.0,
            .length = 0.125,
            .freq = Glide(620.0, 1560.0, 0.05),
            .attack = 0.003,
            .release = 0.04,
            .decay = 14.0,
            .brightness = 0.45});
    return b;
}

Buffer Die()
{
    Buffer b;
    // A falling, wobbling tone.
    Add(b, {.start = 0.0,
            .length = 0.5,
            .freq = Glide(Pitch(71), Pitch(52), 0.42),
            .attack = 0.01,
            .release = 0.12,
            .decay = 1.5,
            .brightness = 0.35,
            .vibratoHz = 7.0,
            .vibratoDepth = 0.025});
    return b;
}

Buffer Level()
{
    Buffer b;
    // C major arpeggio upward, the top note held.
    const double notes[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i) {
        const bool last = i == 3;
        Add(b, {.start = 0.11 * i,
                .length = last ? 0.36 : 0.16,
                .freq = Steady(Pitch(notes[i])),
                .gain = last ? 0.9 : 0.75,
                .attack = 0.006,
                .release = last ? 0.18 : 0.05,
                .decay = last ? 2.5 : 6.0,
                .brightness = 0.3,
                .vibratoHz = last ? 5.5 : 0.0,
                .vibratoDepth = last ? 0.006 : 0.0});
    }
    return b;
}

Buffer GameOver()
{
    Buffer b;
    // G, E flat, D, then a long low C: C minor falling to rest.
    struct Step {
        double midi, start, length;
    };
    const Step steps[] = {{67, 0.0, 0.30}, {63, 0.28, 0.30}, {62, 0.56, 0.28}, {60, 0.82, 0.40}};
    for (const Step& s : steps) {
        const bool last = s.midi == 60;
        Add(b, {.start = s.start,
                .length = s.length,
                .freq = Steady(Pitch(s.midi)),
                .gain = 0.8,
                .attack = 0.02,
                .release = last ? 0.22 : 0.07,
                .decay = last ? 1.2 : 2.0,
                .brightness = 0.2,
                .vibratoHz = 5.0,
                .vibratoDepth = last ? 0.008 : 0.004});
        // A soft octave below gives the phrase some weight.
        Add(b, {.start = s.start,
                .length = s.length,
                .freq = Steady(Pitch(s.midi - 12)),
                .gain = 0.35,
                .attack = 0.03,
                .release = last ? 0.22 : 0.07,
                .decay = last ? 1.2 : 2.0,
                .brightness = 0.1});
    }
    return b;
}

Buffer NewGame()
{
    Buffer b;
    // Ta-ta-ta-taaa: three quick pick-up notes into a held chord.
    const double pickups[] = {67, 72, 76};
    for (int i = 0; i < 3; ++i)
        Add(b, {.start = 0.09 * i,
                .length = 0.075,
                .freq = Steady(Pitch(pickups[i])),
                .gain = 0.75,
                .attack = 0.004,
                .release = 0.03,
                .decay = 4.0,
                .brightness = 0.45});
    for (const double midi : {79.0, 76.0, 72.0})
        Add(b, {.start = 0.27,
                .length = 0.33,
                .freq = Steady(Pitch(midi)),
                .gain = midi == 79.0 ? 0.7 : 0.35,
                .attack = 0.006,
                .release = 0.15,
                .decay = 2.5,
                .brightness = 0.4,
                .vibratoHz = 6.0,
                .vibratoDepth = 0.005});
    return b;
}

void PutLe(std::vector<unsigned char>& bytes, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.push_back(static_cast<unsigned char>((value >> (8 * i)) & 0xFF));
}

void PutTag(std::vector<unsigned char>& bytes, const char* tag)
{
    bytes.insert(bytes.end(), tag, tag + 4);
}

// Scales to the target peak and writes RIFF/WAVE, PCM, 16-bit, mono.
bool WriteWave(const std::string& path, const Buffer& sound)
{
    double peak = 0.0;
    for (const double s : sound)
        peak = std::max(peak, std::abs(s));
    const double scale = peak > 0.0 ? kPeak * 32767.0 / peak : 0.0;

    const auto dataSize = static_cast<std::uint32_t>(sound.size() * 2);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataSize);
    PutTag(bytes, "RIFF");
    PutLe(bytes, 36 + dataSize, 4);
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    PutLe(bytes, 16, 4);
    PutLe(bytes, 1, 2); // PCM
    PutLe(bytes, 1, 2); // mono
    PutLe(bytes, kRate, 4);
    PutLe(bytes, kRate * 2, 4);
    PutLe(bytes, 2, 2);
    PutLe(bytes, 16, 2);
    PutTag(bytes, "data");
    PutLe(bytes, dataSize, 4);
    for (const double s : sound) {
        const auto v = static_cast<std::int16_t>(std::lround(std::clamp(s * scale, -32767.0, 32767.0)));
        PutLe(bytes, static_cast<std::uint16_t>(v), 2);
    }

    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : SNAKE_SOUNDS_DIR;
    struct Effect {
        const char* name;
        Buffer (*make)();
    };
    const Effect effects[] = {{"apple.wav", Apple},
                              {"die.wav", Die},
                              {"level.wav", Level},
                              {"gameover.wav", GameOver},
                              {"newgame.wav", NewGame}};
    int failures = 0;
    for (const Effect& e : effects) {
        const std::string path = folder + "/" + e.name;
        const Buffer sound = e.make();
        if (!WriteWave(path, sound)) {
            std::fprintf(stderr, "gen_sounds: cannot write %s\n", path.c_str());
            ++failures;
            continue;
        }
        std::printf("%s  %.3f s\n", path.c_str(), static_cast<double>(sound.size()) / kRate);
    }
    return failures == 0 ? 0 : 1;
}
