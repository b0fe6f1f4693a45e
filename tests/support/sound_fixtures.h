// Builds sound files for tests in memory: RIFF WAVE from chunks taken literally, and Ogg Vorbis
// through libvorbisenc, from PCM made by the signal builders. Written independently of the
// engine's loaders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using SoundBytes = std::vector<std::uint8_t>;

struct TestWavChunk {
    std::string id;                       // four characters, written as given
    SoundBytes body;                      // written whole, never padded
    std::optional<std::uint32_t> size;    // the size field when it should lie
};

// "RIFF", the RIFF size (the true one unless given), "WAVE", then the chunks in order.
SoundBytes BuildTestWav(const std::vector<TestWavChunk>& chunks, std::optional<std::uint32_t> riffSize = {});
// A 16-byte PCM format body (plus `extraBytes` zero bytes, for 18-byte formats).
TestWavChunk TestFmtChunk(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                          std::uint32_t extraBytes = 0);
// fmt (tag 1, block alignment channels x bits / 8) and data of the given PCM bytes.
SoundBytes BuildTestPcmWav(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const SoundBytes& pcm);

// Interleaved 16-bit samples.
// Sample = frame index mod 32768; the right channel equals the left or is its negation.
std::vector<std::int16_t> TestRamp(std::uint32_t frames, std::uint16_t channels, bool negateRight = false);
std::vector<std::int16_t> TestSilence(std::uint32_t frames, std::uint16_t channels);
// A sine of `hertz`, amplitude `amplitude`, the same on every channel.
std::vector<std::int16_t> TestTone(std::uint32_t frames, std::uint16_t channels, std::uint32_t rate, double hertz,
                                   double amplitude = 12000.0);
SoundBytes TestPcm16Bytes(const std::vector<std::int16_t>& samples);

// Ogg Vorbis of the interleaved samples; empty when the encoder refuses the settings.
// The end of the input is signalled once after the last samples, so the file holds exactly
// samples.size() / channels frames.
SoundBytes EncodeTestOggVorbis(const std::vector<std::int16_t>& samples, std::uint16_t channels, std::uint32_t rate,
                               float quality = 0.3f);
