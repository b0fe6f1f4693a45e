#include "avg/snapshot_pixels.h"

#include <algorithm>
#include <cstring>

namespace {

bool Covers(const std::uint8_t* bits, std::uint32_t bufferWidth, std::uint32_t bufferHeight, std::uint32_t width,
            std::uint32_t height)
{
    return bits != nullptr && bufferWidth >= width && bufferHeight >= height;
}

}  // namespace

std::int32_t RuleThreshold(float rate)
{
    return static_cast<std::int32_t>(std::clamp(rate, 0.0f, 1.0f) * 510.0f);
}

bool ApplyRuleTransitionPixels(const GxConstPixels& captured, const GxConstPixels& rule, const GxPixels& target,
                               std::uint32_t width, std::uint32_t height, float rate)
{
    if (!Covers(captured.m_Bits, captured.m_Width, captured.m_Height, width, height) ||
        !Covers(rule.m_Bits, rule.m_Width, rule.m_Height, width, height) ||
        !Covers(target.m_Bits, target.m_Width, target.m_Height, width, height))
        return false;
    // alpha = clamp(red - t + 255) as a table of the red byte: one load per pixel.
    const std::int32_t offset = 255 - RuleThreshold(rate);
    std::uint32_t alphaOfRed[256];
    for (std::int32_t red = 0; red < 256; ++red)
        alphaOfRed[red] = static_cast<std::uint32_t>(std::clamp(red + offset, 0, 255)) << 24;
    for (std::uint32_t y = 0; y < height; ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(captured.m_Bits + captured.m_Pitch * y);
        const auto* mask = reinterpret_cast<const std::uint32_t*>(rule.m_Bits + rule.m_Pitch * y);
        auto* to = reinterpret_cast<std::uint32_t*>(target.m_Bits + target.m_Pitch * y);
        for (std::uint32_t x = 0; x < width; ++x)
            to[x] = (from[x] & 0x00FFFFFFu) | alphaOfRed[(mask[x] >> 16) & 0xFFu];
    }
    return true;
}

bool BuildThumbnailPixels(const GxConstPixels& captured, std::uint32_t width, std::uint32_t height,
                          std::uint32_t* thumbnail, std::size_t thumbnailCount)
{
    const std::uint32_t columns = width / kThumbnailScale;
    const std::uint32_t rows = height / kThumbnailScale;
    if (!Covers(captured.m_Bits, captured.m_Width, captured.m_Height, width, height) || thumbnail == nullptr ||
        thumbnailCount < static_cast<std::size_t>(columns) * rows)
        return false;
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t column = 0; column < columns; ++column) {
            std::uint32_t red = 0, green = 0, blue = 0;
            for (std::uint32_t y = 0; y < kThumbnailScale; ++y) {
                const auto* line = reinterpret_cast<const std::uint32_t*>(
                                       captured.m_Bits + captured.m_Pitch * (row * kThumbnailScale + y)) +
                                   column * kThumbnailScale;
                for (std::uint32_t x = 0; x < kThumbnailScale; ++x) {
                    red += (line[x] >> 16) & 0xFFu;
                    green += (line[x] >> 8) & 0xFFu;
                    blue += line[x] & 0xFFu;
                }
            }
            constexpr std::uint32_t kBlock = kThumbnailScale * kThumbnailScale;
            thumbnail[static_cast<std::size_t>(row) * columns + column] =
                0xFF000000u | (red / kBlock) << 16 | (green / kBlock) << 8 | (blue / kBlock);
        }
    }
    return true;
}
