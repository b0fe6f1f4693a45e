// Private to the D3DX image functions (graphics decodes PNG through ReadPng too): the file
// readers and the shared image limits.
// Every reader bounds-checks what it reads and gives 32-bit ARGB pixels (0xAARRGGBB, rows top
// to bottom, no padding). Failures return false and write the reason to the debugger output.
#pragma once

#include "platform/d3d9/d3dx_image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::d3dx {

// Larger images are refused before anything is allocated for them.
constexpr std::uint32_t kMaxImageSide = 16384;
constexpr std::uint64_t kMaxImagePixels = std::uint64_t(1) << 26;   // 256 MiB of ARGB

struct ImageHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t mipLevels = 1;
    D3DFORMAT format = D3DFMT_UNKNOWN;   // the file's own pixel format
    D3DXIMAGE_FILEFORMAT fileFormat = D3DXIFF_BMP;
    bool hasAlpha = false;
};

struct DecodedImage {
    ImageHeader header;
    std::vector<std::uint32_t> argb;
};

struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// With `pixels` null only the header is read and checked.
bool ReadPng(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels);
// ReadPng that also tells the most libpng held at once, in bytes (the image not included).
bool ReadPngCounted(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels, std::size_t* libraryPeak);
bool ReadJpeg(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels);
bool ReadBmp(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels);
bool ReadTga(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels);
bool ReadDds(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels);

// Picks the reader by signature (TGA, which has none, last).
bool ReadImageHeader(ByteView file, ImageHeader& header);
bool DecodeImage(ByteView file, DecodedImage& image);

// PNG of 32-bit ARGB rows; `withAlpha` false writes RGB.
bool WritePng(const char* nativePath, const std::uint32_t* argb, std::uint32_t width, std::uint32_t height,
              bool withAlpha);

// Size checks shared by the readers.
bool IsAcceptableSize(std::uint64_t width, std::uint64_t height);
// Resizes `pixels` to width x height zeroed texels; false (with a trace) when memory runs out.
bool AllocatePixels(std::vector<std::uint32_t>& pixels, std::uint32_t width, std::uint32_t height);

// Little-endian fields; the caller has checked the range.
inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
inline std::uint32_t PackArgb(std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b)
{
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// One channel of a pixel described by a bit mask (BMP bit fields, DDS masks), widened to
// 8 bits; an empty mask reads as `absent`.
class MaskChannel {
public:
    MaskChannel() = default;
    explicit MaskChannel(std::uint32_t mask);
    std::uint32_t Extract(std::uint32_t pixel, std::uint32_t absent) const;
    bool Present() const { return m_Mask != 0; }

private:
    std::uint32_t m_Mask = 0;
    int m_Shift = 0;
    std::uint64_t m_Max = 0;
};

// Debugger output line prefixed with "D3DX: ".
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform::d3dx
