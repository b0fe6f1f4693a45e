// Builds image files for tests in memory: PNG chunk by chunk (zlib for the data, any colour
// type, depth and Adam7), TGA, BMP and DDS byte by byte, and JPEG through libjpeg. Written
// independently of the engine's readers, so each reader is checked against a second
// implementation of its format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ImageBytes = std::vector<std::uint8_t>;

// Pixels as 0xAARRGGBB, rows top to bottom.
struct TestImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> argb;

    std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return argb[std::size_t(y) * width + x]; }
    // Every pixel a function of its position.
    static TestImage Make(std::uint32_t width, std::uint32_t height, std::uint32_t (*pixel)(std::uint32_t x, std::uint32_t y));
    static TestImage Solid(std::uint32_t width, std::uint32_t height, std::uint32_t argb);
    // Four solid quadrants: top left, top right, bottom left, bottom right.
    static TestImage Quadrants(std::uint32_t width, std::uint32_t height, std::uint32_t topLeft, std::uint32_t topRight,
                               std::uint32_t bottomLeft, std::uint32_t bottomRight);
    // A smooth picture with fine detail, as a photograph or painted background would have.
    static TestImage Scene(std::uint32_t width, std::uint32_t height);
};

// PNG colour types.
constexpr std::uint8_t kPngGrey = 0;
constexpr std::uint8_t kPngRgb = 2;
constexpr std::uint8_t kPngPalette = 3;
constexpr std::uint8_t kPngGreyAlpha = 4;
constexpr std::uint8_t kPngRgba = 6;

struct PngSpec {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 8;
    std::uint8_t colorType = kPngRgba;
    bool interlaced = false;   // Adam7; needs a bit depth of 8 or 16
    // One packed row per image row, exactly as the PNG stores it before filtering.
    std::vector<ImageBytes> rows;
    ImageBytes palette;   // RGB triples (PLTE), for colour type 3
    ImageBytes trns;      // the tRNS chunk's body, when not empty
};

ImageBytes BuildPng(const PngSpec& spec);
// 8-bit RGBA or RGB (alpha dropped) from ARGB pixels.
PngSpec PngSpecRgba8(const TestImage& image);
PngSpec PngSpecRgb8(const TestImage& image);

struct TgaOptions {
    std::uint8_t bits = 32;   // 24 or 32
    bool runLength = false;
    bool topDown = false;
};
ImageBytes BuildTga(const TestImage& image, const TgaOptions& options);

// 24 or 32 bits (BI_RGB, bottom-up; 32-bit keeps the alpha byte).
ImageBytes BuildBmp(const TestImage& image, std::uint16_t bits);
// 8-bit palette image, bottom-up: one index per pixel, rows top to bottom.
ImageBytes BuildBmp8(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& indices,
                     const std::vector<std::uint32_t>& paletteArgb);

// DDS with an uncompressed A8R8G8B8 level 0.
ImageBytes BuildDdsArgb(const TestImage& image);
// DDS of compressed blocks ("DXT1" ... "DXT5"), the blocks row by row.
ImageBytes BuildDdsBlocks(const char* fourCC, std::uint32_t width, std::uint32_t height, const ImageBytes& blocks);
// One 4x4 block; indices two bits per texel (texel 0 in the low bits).
ImageBytes Dxt1Block(std::uint16_t color0, std::uint16_t color1, std::uint32_t indices);
// Explicit 4-bit alpha (texel 0 in the low nibble), then a colour block.
ImageBytes Dxt3Block(std::uint64_t alphas, std::uint16_t color0, std::uint16_t color1, std::uint32_t indices);
// Two alpha end points and three-bit indices (texel 0 in the low bits), then a colour block.
ImageBytes Dxt5Block(std::uint8_t alpha0, std::uint8_t alpha1, std::uint64_t alphaIndices, std::uint16_t color0,
                     std::uint16_t color1, std::uint32_t indices);

// Baseline JPEG of the image's colour (alpha dropped), or its luminance when `grey`.
ImageBytes BuildJpeg(const TestImage& image, int quality, bool grey);

bool WriteImageFile(const std::string& path, const ImageBytes& bytes);
