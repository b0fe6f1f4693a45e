// The demo's music, effects and voices, synthesised here: short melodies of plucked and
// organ-like notes, effects from tones and filtered noise, and babble from a pulse train through
// vowel resonances. Every random choice comes from a seeded generator of our own, so each run
// writes the same bytes.
#include "demo_generator.h"

#include "tests/support/sound_fixtures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr std::uint32_t kMusicRate = 22050;
constexpr std::uint32_t kVoiceRate = 22050;
constexpr std::uint32_t kEffectRate = 22050;

// xorshift32: the same sequence on every platform (the standard distributions are not).
class Random {
public:
    explicit Random(std::uint32_t seed) : m_State(seed != 0 ? seed : 0x9E3779B9u) {}
    std::uint32_t Next()
    {
        m_State ^= m_State << 13;
        m_State ^= m_State >> 17;
        m_State ^= m_State << 5;
        return m_State;
    }
    // Uniform in [0, 1).
    double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
    double Between(double low, double high) { return low + (high - low) * Unit(); }

private:
    std::uint32_t m_State;
};

double NoteHertz(int midi)
{
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

std::int16_t ToSample(double value)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0, 1.0) * 32000.0));
}

std::vector<std::int16_t> ToPcm(const std::vector<double>& mono)
{
    std::vector<std::int16_t> pcm(mono.size());
    std::transform(mono.begin(), mono.end(), pcm.begin(), ToSample);
    return pcm;
}

// Scales the signal so that its peak is `peak`.
void Normalise(std::vector<double>& signal, double peak)
{
    double top = 0.0;
    for (double value : signal)
        top = std::max(top, std::abs(value));
    if (top > 0.0)
        for (double& value : signal)
            value *= peak / top;
}

// ---- music ----------------------------------------------------------------------------------

struct Track {
    const char* name;
    int root;                    // MIDI note of the key
    std::vector<int> melody;     // scale steps from the root, one a beat; -99 rests
    std::vector<double> partials;   // the timbre: amplitude of harmonics 1, 2, 3 ...
    double decay;                // per second, of each note
    double beat;                 // seconds
};

// Intro (a held chord) up to the loop point at 1 s, then the melody, which ends where the loop
// goes back to: the loop joins the melody's last note to the bar after the intro.
constexpr double kLoopSeconds = 1.0;

std::vector<double> RenderTrack(const Track& track)
{
    const double melodySeconds = track.beat * static_cast<double>(track.melody.size());
    const double total = kLoopSeconds + melodySeconds;
    const auto frames = static_cast<std::size_t>(std::lround(total * kMusicRate));
    std::vector<double> out(frames, 0.0);
    static constexpr int kMajor[] = {0, 2, 4, 5, 7, 9, 11};
    const auto scaleNote = [&](int step) {
        const int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
        const int degree = step - octave * 7;
        return track.root + 12 * octave + kMajor[degree];
    };
    const auto addNote = [&](double start, double length, double hertz, double gain, double decay) {
        const auto first = static_cast<std::size_t>(std::lround(start * kMusicRate));
        const auto count = static_cast<std::size_t>(std::lround(length * kMusicRate));
        for (std::size_t i = 0; i < count && first + i < frames; ++i) {
            const double t = static_cast<double>(i) / kMusicRate;
            // Soft attack, exponential decay, a short release so notes end without a click.
            const double attack = std::min(1.0, t / 0.02);
            const double release = std::min(1.0, (length - t) / 0.05);
            const double envelope = attack * release * std::exp(-decay * t);
            double value = 0.0;
            for (std::size_t h = 0; h < track.partials.size(); ++h)
                value += track.partials[h] * std::sin(kTwoPi * hertz * static_cast<double>(h + 1) * t);
            out[first + i] += gain * envelope * value;
        }
    };
    // The intro chord (root, third, fifth, an octave down), swelling in.
    for (int step : {0, 2, 4})
        addNote(0.0, kLoopSeconds, NoteHertz(scaleNote(step) - 12), 0.25, 0.5);
    for (std::size_t i = 0; i < frames && i < kMusicRate; ++i)
        out[i] *= static_cast<double>(i) / kMusicRate;
    // The melody, with a bass note (root, then fifth) on every other beat.
    for (std::size_t beat = 0; beat < track.melody.size(); ++beat) {
        const double start = kLoopSeconds + track.beat * static_cast<double>(beat);
        if (track.melody[beat] != -99)
            addNote(start, track.beat, NoteHertz(scaleNote(track.melody[beat])), 0.5, track.decay);
        if (beat % 2 == 0)
            addNote(start, track.beat * 2.0, NoteHertz(scaleNote((beat / 2) % 2 == 0 ? 0 : 4) - 24), 0.3, 1.5);
    }
    Normalise(out, 0.6);
    return out;
}

// Stereo: the same signal, the right channel a few milliseconds later for width.
std::vector<std::int16_t> Widen(const std::vector<double>& mono)
{
    constexpr std::size_t kDelay = kMusicRate / 200;
    std::vector<std::int16_t> pcm(mono.size() * 2);
    for (std::size_t i = 0; i < mono.size(); ++i) {
        pcm[i * 2] = ToSample(mono[i]);
        pcm[i * 2 + 1] = ToSample(i >= kDelay ? mono[i - kDelay] : 0.0);
    }
    return pcm;
}

const std::vector<Track>& Tracks()
{
    static const std::vector<Track> tracks = {
        // Title: a calm bell-like line in C.
        {"bgm01", 60, {0, 2, 4, 7, 6, 4, 2, 4, 5, 4, 2, 1}, {1.0, 0.0, 0.3, 0.0, 0.1}, 1.2, 0.375},
        // The street: a brisk plucked line in D.
        {"bgm02", 62, {0, 4, 2, 4, 0, 4, 2, 4, 1, 5, 3, 5, 1, 5, 3, 4}, {1.0, 0.5, 0.25, 0.12}, 3.0, 0.25},
        // Quiet talk: a soft organ in F.
        {"bgm03", 65, {2, -99, 1, 0, -1, -99, 0, 2, 4, -99, 2, 1}, {1.0, 0.2, 0.05}, 0.4, 0.33},
        // Sunset: a slow hollow tone in A minor's relative, low.
        {"bgm04", 57, {0, 2, 4, 5, 4, 2, 0, -2, -1, 0, 1, 2}, {1.0, 0.0, 0.5, 0.0, 0.25}, 0.8, 0.4},
        // Bonus: a bright chiptune-like line in G.
        {"bgm05", 67, {0, 0, 4, 4, 5, 5, 4, -99, 3, 3, 2, 2, 1, 1, 0, -99}, {1.0, 0.0, 0.33, 0.0, 0.2, 0.0, 0.14}, 2.0, 0.3},
    };
    return tracks;
}

// ---- effects --------------------------------------------------------------------------------

std::vector<double> Chime()
{
    const auto frames = static_cast<std::size_t>(1.2 * kEffectRate);
    std::vector<double> out(frames, 0.0);
    // Two bell strokes a fifth apart, with the inharmonic partials of a small bell.
    const double strokes[][2] = {{0.0, NoteHertz(84)}, {0.18, NoteHertz(79)}};
    static constexpr double kRatios[] = {1.0, 2.76, 5.4};
    static constexpr double kGains[] = {1.0, 0.4, 0.15};
    for (const auto& stroke : strokes) {
        const auto first = static_cast<std::size_t>(stroke[0] * kEffectRate);
        for (std::size_t i = first; i < frames; ++i) {
            const double t = static_cast<double>(i - first) / kEffectRate;
            for (int p = 0; p < 3; ++p)
                out[i] += kGains[p] * std::exp(-(3.0 + 2.0 * p) * t) * std::sin(kTwoPi * stroke[1] * kRatios[p] * t) *
                          std::min(1.0, t / 0.003);
        }
    }
    Normalise(out, 0.7);
    return out;
}

std::vector<double> Door()
{
    const auto frames = static_cast<std::size_t>(0.8 * kEffectRate);
    std::vector<double> out(frames, 0.0);
    Random random(0x00D00Au);
    double low = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        // A creak (a rough, falling tone) and then the knock of the latch (a low thump in noise).
        const double creak = t < 0.45 ? 0.4 * std::sin(kTwoPi * (180.0 - 120.0 * t) * t) *
                                            (0.6 + 0.4 * std::sin(kTwoPi * 31.0 * t)) * std::min(1.0, t / 0.05) *
                                            std::min(1.0, (0.45 - t) / 0.05)
                                      : 0.0;
        low += 0.08 * (random.Between(-1.0, 1.0) - low);
        const double knockT = t - 0.5;
        const double knock = knockT >= 0.0
                                 ? (std::sin(kTwoPi * 70.0 * knockT) + 2.5 * low) * std::exp(-14.0 * knockT)
                                 : 0.0;
        out[i] = creak + knock;
    }
    Normalise(out, 0.8);
    return out;
}

std::vector<double> Flash()
{
    const auto frames = static_cast<std::size_t>(0.6 * kEffectRate);
    std::vector<double> out(frames, 0.0);
    Random random(0xF1A5Eu);
    double band = 0.0;
    double phase = 0.0;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        // A rising whoosh: noise through a one-pole filter that opens, over a rising sine.
        const double openness = 0.05 + 0.6 * t / 0.6;
        band += openness * (random.Between(-1.0, 1.0) - band);
        phase += kTwoPi * (400.0 + 2400.0 * t) / kEffectRate;
        const double envelope = std::min(1.0, t / 0.02) * std::exp(-3.0 * t) * std::min(1.0, (0.6 - t) / 0.05);
        out[i] = envelope * (0.7 * band + 0.3 * std::sin(phase));
    }
    Normalise(out, 0.7);
    return out;
}

// ---- voices ---------------------------------------------------------------------------------

// A two-pole resonator at a formant.
class Resonator {
public:
    void Tune(double hertz, double bandwidth, double rate)
    {
        const double radius = std::exp(-std::numbers::pi * bandwidth / rate);
        m_A1 = 2.0 * radius * std::cos(kTwoPi * hertz / rate);
        m_A2 = -radius * radius;
        m_Gain = 1.0 - radius;
    }
    double Step(double input)
    {
        const double output = m_Gain * input + m_A1 * m_Y1 + m_A2 * m_Y2;
        m_Y2 = m_Y1;
        m_Y1 = output;
        return output;
    }

private:
    double m_A1 = 0.0, m_A2 = 0.0, m_Gain = 0.0, m_Y1 = 0.0, m_Y2 = 0.0;
};

// Babble: syllables of a gliding pulse train through the first two formants of a vowel, with a
// breath of noise at each onset. `pitch` is the speaker's mean fundamental.
std::vector<double> Babble(std::uint32_t seed, double pitch, double seconds)
{
    struct Vowel {
        double f1, f2;
    };
    static constexpr Vowel kVowels[] = {{800, 1200}, {350, 2200}, {300, 800}, {500, 1800}, {450, 900}};
    Random random(seed);
    const auto frames = static_cast<std::size_t>(std::lround(seconds * kVoiceRate));
    std::vector<double> out(frames, 0.0);
    Resonator first, second;
    double phase = 0.0;
    std::size_t at = 0;
    // Falls a little over the phrase, as speech does.
    const double tilt = random.Between(-0.15, 0.05);
    while (at < frames) {
        const double syllable = random.Between(0.11, 0.2);
        const auto length = std::min(frames - at, static_cast<std::size_t>(syllable * kVoiceRate));
        const Vowel& vowel = kVowels[random.Next() % 5];
        first.Tune(vowel.f1 * pitch / 220.0 * 0.3 + vowel.f1 * 0.7, 90.0, kVoiceRate);
        second.Tune(vowel.f2, 120.0, kVoiceRate);
        const double glideFrom = random.Between(0.9, 1.15);
        const double glideTo = random.Between(0.85, 1.1);
        for (std::size_t i = 0; i < length; ++i) {
            const double u = static_cast<double>(i) / static_cast<double>(length);
            const double whole = static_cast<double>(at + i) / static_cast<double>(frames);
            const double hertz = pitch * (glideFrom + (glideTo - glideFrom) * u) * (1.0 + tilt * whole);
            phase += hertz / kVoiceRate;
            phase -= std::floor(phase);
            // A sharp-edged glottal pulse (rich in harmonics for the resonators to shape).
            const double pulse = phase < 0.4 ? std::sin(std::numbers::pi * phase / 0.4) : 0.0;
            const double breath = u < 0.15 ? random.Between(-0.3, 0.3) : random.Between(-0.03, 0.03);
            const double source = pulse - 0.3 + breath;
            const double envelope = std::sin(std::numbers::pi * u);
            out[at + i] = envelope * (first.Step(source) + 0.6 * second.Step(source));
        }
        at += length;
        // Short gaps between some syllables.
        if (random.Unit() < 0.3)
            at += static_cast<std::size_t>(random.Between(0.03, 0.07) * kVoiceRate);
    }
    // Fade the edges.
    const std::size_t edge = std::min<std::size_t>(frames / 2, kVoiceRate / 50);
    for (std::size_t i = 0; i < edge; ++i) {
        const double gain = static_cast<double>(i) / static_cast<double>(edge);
        out[i] *= gain;
        out[frames - 1 - i] *= gain;
    }
    Normalise(out, 0.7);
    return out;
}

constexpr double kHanaPitch = 290.0;
constexpr double kMioPitch = 185.0;

// ---- writing --------------------------------------------------------------------------------

bool WriteBytes(const std::filesystem::path& path, const SoundBytes& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!bytes.empty() && file)
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (bytes.empty() || !file) {
        std::fprintf(stderr, "generate_demo: cannot write %s\n", path.string().c_str());
        return false;
    }
    return true;
}

bool WriteOgg(const std::filesystem::path& path, const std::vector<std::int16_t>& pcm, std::uint16_t channels,
              std::uint32_t rate)
{
    return WriteBytes(path, EncodeTestOggVorbis(pcm, channels, rate, 0.2f));
}

bool WriteWav(const std::filesystem::path& path, const std::vector<double>& mono)
{
    return WriteBytes(path, BuildTestPcmWav(1, kEffectRate, 16, TestPcm16Bytes(ToPcm(mono))));
}

std::string Numbered(const char* stem, int number)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%s%03d.ogg", stem, number);
    return name;
}

}  // namespace

bool WriteDemoSounds(const std::filesystem::path& gameFolder)
{
    bool ok = true;
    for (const Track& track : Tracks())
        ok = WriteOgg(gameFolder / "bgms" / (std::string(track.name) + ".ogg"), Widen(RenderTrack(track)), 2,
                      kMusicRate) &&
             ok;

    const std::filesystem::path effects = gameFolder / "sounds" / "se";
    ok = WriteWav(effects / "se_chime.wav", Chime()) && ok;
    ok = WriteWav(effects / "se_door.wav", Door()) && ok;
    ok = WriteWav(effects / "se_flash.wav", Flash()) && ok;

    // Eight lines a character, 0.6 to 1.5 s long.
    for (int n = 1; n <= 8; ++n) {
        const double seconds = 0.6 + 0.9 * static_cast<double>((n * 5) % 8) / 7.0;
        ok = WriteOgg(gameFolder / "voices" / "hana" / Numbered("hana_", n),
                      ToPcm(Babble(0x4A000u + static_cast<std::uint32_t>(n), kHanaPitch, seconds)), 1, kVoiceRate) &&
             ok;
        ok = WriteOgg(gameFolder / "voices" / "mio" / Numbered("mio_", n),
                      ToPcm(Babble(0x31000u + static_cast<std::uint32_t>(n), kMioPitch, seconds)), 1, kVoiceRate) &&
             ok;
    }

    const std::filesystem::path system = gameFolder / "voices" / "sys";
    ok = WriteOgg(system / "title_hana.ogg", ToPcm(Babble(0x5111u, kHanaPitch * 1.05, 1.0)), 1, kVoiceRate) && ok;
    ok = WriteOgg(system / "title_mio.ogg", ToPcm(Babble(0x5112u, kMioPitch * 1.05, 1.0)), 1, kVoiceRate) && ok;
    ok = WriteOgg(system / "exit_hana.ogg", ToPcm(Babble(0x5121u, kHanaPitch, 1.2)), 1, kVoiceRate) && ok;
    ok = WriteOgg(system / "exit_mio.ogg", ToPcm(Babble(0x5122u, kMioPitch, 1.2)), 1, kVoiceRate) && ok;

    const std::filesystem::path test = gameFolder / "sounds" / "test";
    ok = WriteWav(test / "test_se.wav", Chime()) && ok;
    ok = WriteOgg(test / "test_sysvoice.ogg", ToPcm(Babble(0x7E57u, kHanaPitch, 0.9)), 1, kVoiceRate) && ok;
    // The voice page's samples, the two speakers by turns.
    for (int n = 1; n <= 7; ++n) {
        char name[16];
        std::snprintf(name, sizeof(name), "vo_%02d.ogg", n);
        const double pitch = n % 2 == 1 ? kHanaPitch : kMioPitch;
        ok = WriteOgg(test / name, ToPcm(Babble(0x7000u + static_cast<std::uint32_t>(n), pitch, 0.8)), 1,
                      kVoiceRate) &&
             ok;
    }
    return ok;
}
