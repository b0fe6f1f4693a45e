#include "platform/audio/pcm_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

using platform::MixWrite;

constexpr float kGuard = 1234.5f;   // what lies past the frames written and must stay

struct ConvertCase {
    const char* name;
    std::vector<float> stereoLevels;   // for stereo sources; others take random levels
};

// Every format, channel count and frame count (none, one, odd, a whole block) against the
// general loop, on random samples and levels, written over and added: equal values, and nothing
// written past the last frame.
TEST(PcmConvert, FastPathsGiveTheGeneralLoopsValues)
{
    const std::vector<ConvertCase> stereoCases = {
        {"straight", {0.7f, 0.0f, 0.0f, 0.3f}},
        {"straight with a negative zero", {-0.5f, -0.0f, 0.0f, 1.5f}},
        {"silent", {0.0f, 0.0f, 0.0f, 0.0f}},
        {"left only", {0.9f, 0.0f, 0.0f, 0.0f}},
        {"panned", {0.6f, 0.4f, 0.25f, 0.75f}},
        {"right bleeding left", {0.5f, 0.0f, 0.3f, 0.8f}},
        {"crossed", {0.0f, 1.0f, 1.0f, 0.0f}},
        {"inverted", {-1.0f, 0.0f, 0.0f, -0.0001f}},
    };
    std::mt19937 random(53);
    std::uniform_real_distribution<float> level(-2.0f, 2.0f);
    for (std::uint32_t bits : {8u, 16u}) {
        for (std::uint32_t channels : {1u, 2u, 3u, 6u, 8u}) {
            for (std::uint32_t frames : {0u, 1u, 2u, 3u, 5u, 441u}) {
                for (const ConvertCase& stereo : stereoCases) {
                    std::vector<float> levels(channels * 2);
                    if (channels == 2) levels = stereo.stereoLevels;
                    else
                        for (float& value : levels) value = level(random) / (bits == 16 ? 32768.0f : 128.0f);
                    std::vector<std::uint8_t> data(std::size_t{frames} * channels * bits / 8);
                    for (std::uint8_t& byte : data) byte = static_cast<std::uint8_t>(random());
                    for (MixWrite write : {MixWrite::Over, MixWrite::Add}) {
                        std::vector<float> start(std::size_t{frames} * 2 + 3, kGuard);
                        for (std::size_t i = 0; i < std::size_t{frames} * 2; ++i) start[i] = level(random);
                        std::vector<float> fast = start;
                        std::vector<float> general = start;
                        platform::ConvertPcmToStereo(data.data(), bits, channels, frames, levels.data(), fast.data(),
                                                     write);
                        platform::ConvertPcmToStereoGeneral(data.data(), bits, channels, frames, levels.data(),
                                                            general.data(), write);
                        SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels, " << frames
                                                        << " frames, " << stereo.name
                                                        << (write == MixWrite::Add ? ", added" : ", over"));
                        for (std::size_t i = 0; i < fast.size(); ++i) ASSERT_EQ(fast[i], general[i]) << "sample " << i;
                        for (std::size_t i = std::size_t{frames} * 2; i < fast.size(); ++i) ASSERT_EQ(fast[i], kGuard);
                    }
                    if (channels != 2) break;   // the stereo cases vary stereo only
                }
            }
        }
    }
}

// The general loop's values themselves: sample scale, 8-bit centre, channel order and sides.
TEST(PcmConvert, GeneralLoopSumsEachChannelTimesItsLevels)
{
    const std::int16_t wide[] = {1000, -2000, 300};   // one frame of three channels
    const float levels[] = {1.0f, 0.0f, 0.5f, 0.25f, 0.0f, 2.0f};
    float out[2] = {10.0f, 20.0f};
    platform::ConvertPcmToStereoGeneral(reinterpret_cast<const std::uint8_t*>(wide), 16, 3, 1, levels, out,
                                        MixWrite::Add);
    EXPECT_EQ(out[0], 10.0f + 1000.0f - 1000.0f);
    EXPECT_EQ(out[1], 20.0f - 500.0f + 600.0f);

    const std::uint8_t narrow[] = {0, 128, 255};   // mono: low, silence, high
    const float mono[] = {1.0f, -1.0f};
    float frames[6] = {};
    platform::ConvertPcmToStereo(narrow, 8, 1, 3, mono, frames, MixWrite::Over);
    EXPECT_EQ(std::vector<float>(frames, frames + 6), (std::vector<float>{-128.0f, 128.0f, 0.0f, -0.0f, 127.0f, -127.0f}));
}

// Ties go to even, the ends clip, infinities clip and a NaN is silence; in every position of the
// vector loop and its tail.
TEST(PcmConvert, ClipRoundsToEvenAndClipsTo16Bits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float mix;
        std::int16_t expected;
    } cases[] = {
        {0.0f, 0},
        {-0.0f, 0},
        {0.5f / 32768, 0},
        {1.5f / 32768, 2},
        {2.5f / 32768, 2},
        {-0.5f / 32768, 0},
        {-1.5f / 32768, -2},
        {-2.6f / 32768, -3},
        {1e-42f, 0},
        {32766.5f / 32768, 32766},
        {32767.4f / 32768, 32767},
        {1.0f, 32767},
        {-1.0f, -32768},
        {-32768.6f / 32768, -32768},
        {3.0f, 32767},
        {-3.0f, -32768},
        {1e30f, 32767},
        {-1e30f, -32768},
        {inf, 32767},
        {-inf, -32768},
        {nan, 0},
    };
    const std::size_t count = std::size(cases);
    for (std::size_t shift = 0; shift < 8; ++shift) {
        std::vector<float> mix(count + shift, 0.0f);
        for (std::size_t i = 0; i < count; ++i) mix[shift + i] = cases[i].mix;
        std::vector<std::int16_t> out(mix.size(), 99);
        std::vector<std::int16_t> general(mix.size(), 99);
        platform::ClipToPcm16(mix.data(), out.data(), mix.size());
        platform::ClipToPcm16General(mix.data(), general.data(), mix.size());
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(out[shift + i], cases[i].expected) << "mix " << cases[i].mix << ", shift " << shift;
            EXPECT_EQ(general[shift + i], cases[i].expected) << "mix " << cases[i].mix << ", shift " << shift;
        }
    }

    std::mt19937 random(7);
    std::uniform_real_distribution<float> near(-1.2f, 1.2f);
    std::vector<float> mix(1001);
    for (float& value : mix) value = near(random);
    std::vector<std::int16_t> out(mix.size() + 1, 99);
    std::vector<std::int16_t> general(mix.size() + 1, 99);
    platform::ClipToPcm16(mix.data(), out.data(), mix.size());
    platform::ClipToPcm16General(mix.data(), general.data(), mix.size());
    EXPECT_EQ(out, general);
    EXPECT_EQ(out.back(), 99);
}

}  // namespace
