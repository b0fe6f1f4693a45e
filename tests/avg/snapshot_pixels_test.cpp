// [Snapshots] the rule transition and the save thumbnail over plain pixel buffers: the alpha
// threshold at the rates that matter, the captured colour kept, a rule smaller than the screen
// leaving the target alone, and the thumbnail's truncated 8 x 8 means.
#include "avg/snapshot_pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

struct PixelBuffer {
    PixelBuffer(std::uint32_t width, std::uint32_t height, std::uint32_t fill)
        : m_Width(width), m_Height(height), m_Pixels(static_cast<std::size_t>(width) * height, fill)
    {
    }
    GxConstPixels Const() const
    {
        return {reinterpret_cast<const std::uint8_t*>(m_Pixels.data()), static_cast<std::ptrdiff_t>(m_Width * 4),
                m_Width, m_Height};
    }
    GxPixels Mutable()
    {
        return {reinterpret_cast<std::uint8_t*>(m_Pixels.data()), static_cast<std::ptrdiff_t>(m_Width * 4), m_Width,
                m_Height};
    }
    std::uint32_t& At(std::uint32_t x, std::uint32_t y) { return m_Pixels[static_cast<std::size_t>(y) * m_Width + x]; }

    std::uint32_t m_Width;
    std::uint32_t m_Height;
    std::vector<std::uint32_t> m_Pixels;
};

constexpr std::uint32_t kWidth = 1024;
constexpr std::uint32_t kHeight = 768;

TEST(SnapshotPixels, TheRuleOpensTheCapturedScreenByItsRedAgainstTheRate)
{
    PixelBuffer captured(kWidth, kHeight, 0x00123456);
    captured.At(1, 0) = 0x80ABCDEF;   // the captured alpha is not kept
    PixelBuffer rule(kWidth, kHeight, 0xFF000000);
    rule.At(1, 0) = 0xFF640000;       // red 100
    rule.At(2, 0) = 0xFFC8FFFF;       // red 200; green and blue do not count
    rule.At(3, 0) = 0xFFFF0000;       // red 255
    const struct {
        float rate;
        std::uint32_t alpha[4];   // red 0, 100, 200, 255
    } cases[] = {
        {0.0f, {255, 255, 255, 255}},
        {0.25f, {128, 228, 255, 255}},   // threshold 127
        {0.5f, {0, 100, 200, 255}},      // threshold 255
        {1.0f, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        PixelBuffer target(kWidth, kHeight, 0x11111111);
        ASSERT_TRUE(ApplyRuleTransitionPixels(captured.Const(), rule.Const(), target.Mutable(), kWidth, kHeight, c.rate));
        for (std::uint32_t x = 0; x < 4; ++x)
            EXPECT_EQ(target.At(x, 0) >> 24, c.alpha[x]) << c.rate << " x=" << x;
        EXPECT_EQ(target.At(0, 0) & 0xFFFFFF, 0x123456u);
        EXPECT_EQ(target.At(1, 0) & 0xFFFFFF, 0xABCDEFu);
        EXPECT_EQ(target.At(kWidth - 1, kHeight - 1), (c.alpha[0] << 24) | 0x123456u);
    }
    EXPECT_EQ(RuleThreshold(0.25f), 127);
}

TEST(SnapshotPixels, ARuleOrPictureSmallerThanTheScreenLeavesTheTargetAlone)
{
    PixelBuffer captured(kWidth, kHeight, 0x00FFFFFF);
    PixelBuffer target(kWidth, kHeight, 0x11111111);
    const PixelBuffer before = target;
    for (const auto& [width, height] : {std::pair{kWidth - 1, kHeight}, std::pair{kWidth, kHeight - 1}}) {
        PixelBuffer rule(width, height, 0);
        EXPECT_FALSE(ApplyRuleTransitionPixels(captured.Const(), rule.Const(), target.Mutable(), kWidth, kHeight, 1.0f));
        EXPECT_FALSE(ApplyRuleTransitionPixels(rule.Const(), captured.Const(), target.Mutable(), kWidth, kHeight, 1.0f));
    }
    // A missing buffer (a texture that could not be locked) is refused the same way.
    EXPECT_FALSE(ApplyRuleTransitionPixels(captured.Const(), GxConstPixels{}, target.Mutable(), kWidth, kHeight, 1.0f));
    EXPECT_FALSE(ApplyRuleTransitionPixels(captured.Const(), captured.Const(), GxPixels{}, kWidth, kHeight, 1.0f));
    EXPECT_EQ(target.m_Pixels, before.m_Pixels);
    // A larger rule is fine: only the screen's area is read.
    PixelBuffer large(kWidth + 3, kHeight + 2, 0x00FF0000);
    EXPECT_TRUE(ApplyRuleTransitionPixels(captured.Const(), large.Const(), target.Mutable(), kWidth, kHeight, 0.5f));
    EXPECT_EQ(target.At(5, 5), 0xFFFFFFFFu);
}

TEST(SnapshotPixels, TheThumbnailIsTheTruncatedMeanOfEach8By8Block)
{
    PixelBuffer captured(kWidth, kHeight, 0xFF000000);
    captured.At(0, 0) = 0xFFFF0000;                 // 255 / 64 = 3 in the first block
    for (std::uint32_t y = 0; y < 8; ++y)          // the second block: green 200 and blue 10 throughout
        for (std::uint32_t x = 8; x < 16; ++x)
            captured.At(x, y) = 0x0000C80A;
    captured.At(kWidth - 1, kHeight - 1) = 0xFF3F3F3F;   // 63 / 64 = 0 in the last block
    std::vector<std::uint32_t> thumbnail(128 * 96, 0x12345678);
    ASSERT_TRUE(BuildThumbnailPixels(captured.Const(), kWidth, kHeight, thumbnail.data(), thumbnail.size()));
    EXPECT_EQ(thumbnail[0], 0xFF030000u);
    EXPECT_EQ(thumbnail[1], 0xFF00C80Au);
    EXPECT_EQ(thumbnail[2], 0xFF000000u);
    EXPECT_EQ(thumbnail.back(), 0xFF000000u);
    for (std::uint32_t value : thumbnail)
        ASSERT_EQ(value >> 24, 0xFFu);

    // A buffer too short for 128 x 96 values, or a smaller picture, leaves the thumbnail as it was.
    std::vector<std::uint32_t> kept(128 * 96, 0x12345678);
    EXPECT_FALSE(BuildThumbnailPixels(captured.Const(), kWidth, kHeight, kept.data(), kept.size() - 1));
    PixelBuffer small(kWidth, kHeight - 8, 0);
    EXPECT_FALSE(BuildThumbnailPixels(small.Const(), kWidth, kHeight, kept.data(), kept.size()));
    EXPECT_FALSE(BuildThumbnailPixels(GxConstPixels{}, kWidth, kHeight, kept.data(), kept.size()));
    EXPECT_EQ(kept, std::vector<std::uint32_t>(128 * 96, 0x12345678));
}

}  // namespace
