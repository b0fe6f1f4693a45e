// Private to the D3DX image functions: colour key, placement and resampling, and the box mip
// chain, over tight 32-bit ARGB images.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <vector>

namespace platform::d3dx {

struct ArgbImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;   // rows top to bottom, no padding
};

// Texels equal to `key` in all four channels become 0x00000000; key 0 does nothing.
void ApplyColorKey(ArgbImage& image, std::uint32_t key);

// `filter` holds a D3DX_FILTER_* value in its low byte: NONE places the image at the top left
// (clipped, transparent black around it), POINT stretches to the nearest texel, anything else
// resamples with a triangle filter. False when memory runs out.
bool ResizeImage(const ArgbImage& source, std::uint32_t width, std::uint32_t height, DWORD filter,
                 ArgbImage& result);

// The next level of a box chain: half the size (at least 1), each texel the rounded mean of
// the up to four texels it covers.
bool HalveImage(const ArgbImage& source, ArgbImage& result);

// The part of `source` inside (left, top, right, bottom), already checked to lie inside it.
ArgbImage CropImage(const ArgbImage& source, const RECT& rect);

}  // namespace platform::d3dx
