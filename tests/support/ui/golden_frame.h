// A frame read back from the device against its reference picture in the source tree. With
// TARNWICK_UPDATE_GOLDEN set, the frame is written as the new reference first (look at it before
// keeping it). No GoogleTest: the checks stay in the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

struct GoldenFrame {
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    std::vector<std::uint32_t> m_Pixels;   // 0xAARRGGBB; empty without a readable reference
};

// The reference at `path` after the optional update from `frame` (`width` x `height` pixels); an
// update that cannot be written leaves no reference.
GoldenFrame UpdateAndLoadGoldenFrame(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height,
                                     const std::vector<std::uint32_t>& frame);
// Pixels whose colour (alpha aside) differs; pixels past the shorter of the two count as differing.
std::size_t CountDifferingRgb(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);
