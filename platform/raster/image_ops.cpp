// Pixel access, fills and copies with format conversion.
#include "platform/raster/raster.h"

#include "platform/raster/pixel.h"
#include "platform/raster/sampler.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace raster {

using detail::DecodePixel;
using detail::EncodePixel;
using detail::IsUsable;
using detail::PixelAddress;

int BytesPerPixel(PixelFormat format) { return detail::FormatBytes(format); }

std::uint32_t ReadPixel(const Image& image, int x, int y) {
    if (!IsUsable(image) || x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return 0;
    }
    return DecodePixel(image.format, PixelAddress(image, x, y));
}

void WritePixel(const Image& image, int x, int y, std::uint32_t argb) {
    if (!IsUsable(image) || x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return;
    }
    EncodePixel(image.format, PixelAddress(image, x, y), argb);
}

void Fill(const Image& target, const Rect& rect, std::uint32_t argb) {
    if (!IsUsable(target)) {
        return;
    }
    const Rect r = detail::Intersect(rect, Rect{0, 0, target.width, target.height});
    if (detail::IsEmpty(r)) {
        return;
    }
    // Encode once, then repeat the pixel's bytes along the first row and copy that row down.
    const int bpp = BytesPerPixel(target.format);
    std::uint8_t pixel[4] = {};
    EncodePixel(target.format, pixel, argb);
    std::uint8_t* first = PixelAddress(target, r.left, r.top);
    const std::size_t rowBytes = std::size_t(r.right - r.left) * std::size_t(bpp);
    for (std::size_t offset = 0; offset < rowBytes; offset += std::size_t(bpp)) {
        std::memcpy(first + offset, pixel, std::size_t(bpp));
    }
    for (int y = r.top + 1; y < r.bottom; ++y) {
        std::memcpy(PixelAddress(target, r.left, y), first, rowBytes);
    }
}

namespace {

bool Overlaps(const Image& a, const Image& b) {
    auto begin = [](const Image& i) { return reinterpret_cast<std::uintptr_t>(i.bits); };
    auto end = [&](const Image& i) { return begin(i) + std::uintptr_t(i.pitch) * std::uintptr_t(i.height); };
    return begin(a) < end(b) && begin(b) < end(a);
}

}  // namespace

void Blit(const Image& destination, const Rect& destinationRect, const Image& source, const Rect& sourceRect,
          Filter filter) {
    if (!IsUsable(destination) || !IsUsable(source)) {
        return;
    }
    const Rect& sr = sourceRect;
    const Rect& dr = destinationRect;
    if (detail::IsEmpty(sr) || detail::IsEmpty(dr) || sr.left < 0 || sr.top < 0 || sr.right > source.width ||
        sr.bottom > source.height) {
        return;
    }
    const Rect clip = detail::Intersect(dr, Rect{0, 0, destination.width, destination.height});
    if (detail::IsEmpty(clip)) {
        return;
    }
    if (Overlaps(source, destination)) {
        // Copy the source out first so that reading never sees pixels this copy already wrote.
        const int w = sr.right - sr.left, h = sr.bottom - sr.top;
        std::vector<std::uint8_t> copy(std::size_t(w) * std::size_t(h) * 4);
        Image temp{copy.data(), w * 4, w, h, PixelFormat::A8R8G8B8};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                detail::Store32(PixelAddress(temp, x, y), DecodePixel(source.format, PixelAddress(source, sr.left + x, sr.top + y)));
            }
        }
        Blit(destination, destinationRect, temp, Rect{0, 0, w, h}, filter);
        return;
    }

    const std::int64_t sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    const std::int64_t dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    if (sw == dw && sh == dh) {
        const bool same = source.format == destination.format;
        const std::size_t rowBytes = std::size_t(clip.right - clip.left) * std::size_t(BytesPerPixel(source.format));
        for (int y = clip.top; y < clip.bottom; ++y) {
            const int sy = int(sr.top + (y - dr.top));
            const int sx = int(sr.left + (clip.left - dr.left));
            if (same) {
                std::memcpy(PixelAddress(destination, clip.left, y), PixelAddress(source, sx, sy), rowBytes);
                continue;
            }
            for (int x = clip.left; x < clip.right; ++x) {
                EncodePixel(destination.format, PixelAddress(destination, x, y),
                            DecodePixel(source.format, PixelAddress(source, sx + (x - clip.left), sy)));
            }
        }
        return;
    }

    const bool linear = filter == Filter::Linear || filter == Filter::Anisotropic;
    auto texel = [&](std::int64_t x, std::int64_t y) {
        x = std::clamp<std::int64_t>(x, sr.left, sr.right - 1);
        y = std::clamp<std::int64_t>(y, sr.top, sr.bottom - 1);
        return DecodePixel(source.format, PixelAddress(source, int(x), int(y)));
    };
    for (int y = clip.top; y < clip.bottom; ++y) {
        // Destination pixel centres mapped into the source rectangle, in 16.16 texels.
        const std::int64_t cy = ((2 * std::int64_t(y - dr.top) + 1) * sh * detail::kFixedOne) / (2 * dh);
        for (int x = clip.left; x < clip.right; ++x) {
            const std::int64_t cx = ((2 * std::int64_t(x - dr.left) + 1) * sw * detail::kFixedOne) / (2 * dw);
            std::uint32_t argb;
            if (!linear) {
                argb = texel(sr.left + (cx >> 16), sr.top + (cy >> 16));
            } else {
                const std::int64_t u = cx - detail::kFixedOne / 2 + 128, v = cy - detail::kFixedOne / 2 + 128;
                const std::int64_t iu = sr.left + (u >> 16), iv = sr.top + (v >> 16);
                argb = detail::Bilinear(texel(iu, iv), texel(iu + 1, iv), texel(iu, iv + 1), texel(iu + 1, iv + 1),
                                        int((u >> 8) & 255), int((v >> 8) & 255));
            }
            EncodePixel(destination.format, PixelAddress(destination, x, y), argb);
        }
    }
}

}  // namespace raster
