// The pixel work of the play screen's snapshots, over plain 32-bit ARGB buffers (rows `pitch`
// bytes apart), so that the screen only locks and unlocks: the rule transition, which dissolves
// the captured screen by a grey-scale rule image, and the save thumbnail, which averages 8 x 8
// blocks of the captured screen.
#pragma once

#include <cstddef>
#include <cstdint>

struct GxConstPixels {
    const std::uint8_t* m_Bits = nullptr;
    std::ptrdiff_t m_Pitch = 0;   // bytes from one row to the next
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
};

struct GxPixels {
    std::uint8_t* m_Bits = nullptr;
    std::ptrdiff_t m_Pitch = 0;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
};

constexpr std::uint32_t kThumbnailScale = 8;

// The alpha threshold of a transition rate (0 to 1): rate x 510, truncated toward zero.
std::int32_t RuleThreshold(float rate);

// Over the first width x height pixels: each target pixel takes the captured colour with the
// alpha (rule red - threshold + 255), held within 0 to 255; a rule of 0 opens at rate 0.5, 255
// at rate 1. False, with the target untouched, unless the captured picture, the rule and the
// target each cover width x height and every buffer is there.
bool ApplyRuleTransitionPixels(const GxConstPixels& captured, const GxConstPixels& rule, const GxPixels& target,
                               std::uint32_t width, std::uint32_t height, float rate);

// (width / 8) x (height / 8) opaque values, row by row, into `thumbnail`: each channel the
// truncated mean of its 8 x 8 block of the captured picture. False, with the thumbnail
// untouched, when the picture is smaller than width x height or a buffer is missing or short.
bool BuildThumbnailPixels(const GxConstPixels& captured, std::uint32_t width, std::uint32_t height,
                          std::uint32_t* thumbnail, std::size_t thumbnailCount);
