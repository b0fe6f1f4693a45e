// Private to the rasterizer: 8-bit channel arithmetic and per-format pixel codecs.
// Every path (scalar reference, SIMD fast paths) builds on these, so they define the results.
#pragma once

#include "platform/raster/raster.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace raster::detail {

// round(x / 255) for 0 <= x <= 65280, the form the SIMD code uses too.
inline std::uint32_t Div255(std::uint32_t x) {
    x += 128;
    return (x + (x >> 8)) >> 8;
}

// clamp(round(x / 255), 0, 255) for any blend sum (x / 255 is never exactly half way).
inline int Div255Clamp(int x) {
    if (x <= 0) {
        return 0;
    }
    return std::min(255, (x + 127) / 255);
}

inline int Clamp255(int x) { return std::clamp(x, 0, 255); }

inline std::uint32_t Load32(const void* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store32(void* p, std::uint32_t v) { std::memcpy(p, &v, 4); }
inline std::uint16_t Load16(const void* p) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void Store16(void* p, std::uint16_t v) { std::memcpy(p, &v, 2); }

inline std::uint32_t PackArgb(int a, int r, int g, int b) {
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

inline int Expand5(std::uint32_t n) { return int((n << 3) | (n >> 2)); }
inline int Expand6(std::uint32_t n) { return int((n << 2) | (n >> 4)); }
inline int Expand10(std::uint32_t n) { return int((n * 255 + 511) / 1023); }

// Decodes one pixel at `p` to 0xAARRGGBB (little-endian storage, as on the platform it stands in for).
inline std::uint32_t DecodePixel(PixelFormat format, const std::uint8_t* p) {
    switch (format) {
    case PixelFormat::A8R8G8B8: return Load32(p);
    case PixelFormat::X8R8G8B8: return Load32(p) | 0xFF000000u;
    case PixelFormat::R8G8B8: return PackArgb(255, p[2], p[1], p[0]);
    case PixelFormat::R5G6B5: {
        std::uint32_t v = Load16(p);
        return PackArgb(255, Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31));
    }
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: {
        std::uint32_t v = Load16(p);
        int a = (format == PixelFormat::X1R5G5B5 || (v & 0x8000)) ? 255 : 0;
        return PackArgb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
    }
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4: {
        std::uint32_t v = Load16(p);
        int a = format == PixelFormat::X4R4G4B4 ? 255 : int((v >> 12) * 17);
        return PackArgb(a, int(((v >> 8) & 15) * 17), int(((v >> 4) & 15) * 17), int((v & 15) * 17));
    }
    case PixelFormat::A8: return std::uint32_t(p[0]) << 24;
    case PixelFormat::L8: return PackArgb(255, p[0], p[0], p[0]);
    case PixelFormat::A2R10G10B10: {
        std::uint32_t v = Load32(p);
        return PackArgb(int((v >> 30) * 85), Expand10((v >> 20) & 1023), Expand10((v >> 10) & 1023),
                        Expand10(v & 1023));
    }
    default: return 0;
    }
}

// Encodes 0xAARRGGBB; narrower channels keep their top bits, "X" bits are written as ones.
inline void EncodePixel(PixelFormat format, std::uint8_t* p, std::uint32_t argb) {
    std::uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format) {
    case PixelFormat::A8R8G8B8: Store32(p, argb); break;
    case PixelFormat::X8R8G8B8: Store32(p, argb | 0xFF000000u); break;
    case PixelFormat::R8G8B8:
        p[0] = std::uint8_t(b);
        p[1] = std::uint8_t(g);
        p[2] = std::uint8_t(r);
        break;
    case PixelFormat::R5G6B5: Store16(p, std::uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))); break;
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5: {
        std::uint32_t top = (format == PixelFormat::X1R5G5B5 || a >= 128) ? 0x8000 : 0;
        Store16(p, std::uint16_t(top | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)));
        break;
    }
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4: {
        std::uint32_t top = format == PixelFormat::X4R4G4B4 ? 15 : a >> 4;
        Store16(p, std::uint16_t((top << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4)));
        break;
    }
    case PixelFormat::A8: p[0] = std::uint8_t(a); break;
    case PixelFormat::L8: p[0] = std::uint8_t((r * 77 + g * 150 + b * 29 + 128) >> 8); break;
    case PixelFormat::A2R10G10B10:
        Store32(p, ((a >> 6) << 30) | (((r << 2) | (r >> 6)) << 20) | (((g << 2) | (g >> 6)) << 10) |
                       ((b << 2) | (b >> 6)));
        break;
    default: break;
    }
}

// BytesPerPixel for the inner loops (the public function is the same table).
inline int FormatBytes(PixelFormat format) {
    switch (format) {
    case PixelFormat::A8R8G8B8:
    case PixelFormat::X8R8G8B8:
    case PixelFormat::A2R10G10B10: return 4;
    case PixelFormat::R8G8B8: return 3;
    case PixelFormat::R5G6B5:
    case PixelFormat::X1R5G5B5:
    case PixelFormat::A1R5G5B5:
    case PixelFormat::A4R4G4B4:
    case PixelFormat::X4R4G4B4: return 2;
    case PixelFormat::A8:
    case PixelFormat::L8: return 1;
    default: return 0;
    }
}

// An image the core can address: pixels present, a known format, rows long enough.
inline bool IsUsable(const Image& image) {
    int bpp = FormatBytes(image.format);
    return image.bits != nullptr && bpp > 0 && image.width > 0 && image.height > 0 &&
           std::int64_t(image.pitch) >= std::int64_t(image.width) * bpp;
}

inline std::uint8_t* PixelAddress(const Image& image, int x, int y) {
    return image.bits + std::ptrdiff_t(y) * image.pitch + std::ptrdiff_t(x) * FormatBytes(image.format);
}

// 32-bit ARGB layout that may be read and written as whole words.
inline bool IsDirect32(const Image& image) {
    return (image.format == PixelFormat::A8R8G8B8 || image.format == PixelFormat::X8R8G8B8) &&
           (reinterpret_cast<std::uintptr_t>(image.bits) % 4) == 0 && image.pitch % 4 == 0;
}

inline Rect Intersect(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

inline bool IsEmpty(const Rect& r) { return r.left >= r.right || r.top >= r.bottom; }

}  // namespace raster::detail
