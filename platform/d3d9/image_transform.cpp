#include "platform/d3d9/image_transform.h"

#include "platform/d3d9/d3dx_image.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace platform::d3dx {

namespace {

struct Tap {
    std::uint32_t index;
    float weight;
};

// Per destination texel along one axis: the source texels and weights of a tent whose radius
// is one source texel when enlarging and one destination texel when shrinking.
struct Kernel {
    std::vector<std::uint32_t> first;   // dst + 1 offsets into taps
    std::vector<Tap> taps;
};

Kernel BuildKernel(std::uint32_t sourceSize, std::uint32_t destinationSize)
{
    Kernel kernel;
    kernel.first.reserve(destinationSize + 1);
    const double scale = double(sourceSize) / double(destinationSize);
    const double radius = std::max(1.0, scale);
    for (std::uint32_t i = 0; i < destinationSize; ++i) {
        kernel.first.push_back(static_cast<std::uint32_t>(kernel.taps.size()));
        const double centre = (i + 0.5) * scale - 0.5;
        const auto low = static_cast<std::int64_t>(std::floor(centre - radius));
        const auto high = static_cast<std::int64_t>(std::ceil(centre + radius));
        const std::size_t begin = kernel.taps.size();
        double sum = 0;
        for (std::int64_t j = low; j <= high; ++j) {
            const double weight = 1.0 - std::abs(double(j) - centre) / radius;
            if (weight <= 0) continue;
            const auto index = static_cast<std::uint32_t>(std::clamp<std::int64_t>(j, 0, sourceSize - 1));
            kernel.taps.push_back({index, static_cast<float>(weight)});
            sum += weight;
        }
        for (std::size_t t = begin; t < kernel.taps.size(); ++t)
            kernel.taps[t].weight = static_cast<float>(kernel.taps[t].weight / sum);
    }
    kernel.first.push_back(static_cast<std::uint32_t>(kernel.taps.size()));
    return kernel;
}

std::uint32_t Channel(std::uint32_t argb, int shift)
{
    return (argb >> shift) & 0xFF;
}

// Weighted sum of `count` texels `stride` apart, channel by channel, rounded.
std::uint32_t Filter(const std::uint32_t* base, std::size_t stride, const Tap* taps, std::uint32_t count)
{
    float sums[4] = {0, 0, 0, 0};
    for (std::uint32_t t = 0; t < count; ++t) {
        const std::uint32_t texel = base[std::size_t(taps[t].index) * stride];
        for (int c = 0; c < 4; ++c) sums[c] += taps[t].weight * float(Channel(texel, c * 8));
    }
    std::uint32_t result = 0;
    for (int c = 0; c < 4; ++c) {
        const auto value = static_cast<std::uint32_t>(std::clamp(std::lround(sums[c]), 0L, 255L));
        result |= value << (c * 8);
    }
    return result;
}

bool Allocate(ArgbImage& image, std::uint32_t width, std::uint32_t height)
{
    try {
        image.pixels.assign(std::size_t(width) * height, 0u);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.width = width;
    image.height = height;
    return true;
}

void Place(const ArgbImage& source, ArgbImage& result)
{
    const std::uint32_t w = std::min(source.width, result.width), h = std::min(source.height, result.height);
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint32_t* src = source.pixels.data() + std::size_t(y) * source.width;
        std::copy(src, src + w, result.pixels.data() + std::size_t(y) * result.width);
    }
}

void StretchNearest(const ArgbImage& source, ArgbImage& result)
{
    for (std::uint32_t y = 0; y < result.height; ++y) {
        const std::uint64_t sy = (2 * std::uint64_t(y) + 1) * source.height / (2 * std::uint64_t(result.height));
        for (std::uint32_t x = 0; x < result.width; ++x) {
            const std::uint64_t sx = (2 * std::uint64_t(x) + 1) * source.width / (2 * std::uint64_t(result.width));
            result.pixels[std::size_t(y) * result.width + x] = source.pixels[sy * source.width + sx];
        }
    }
}

bool StretchTriangle(const ArgbImage& source, ArgbImage& result)
{
    ArgbImage across;   // filtered along x only: result width, source height
    if (!Allocate(across, result.width, source.height)) return false;
    const Kernel horizontal = BuildKernel(source.width, result.width);
    for (std::uint32_t y = 0; y < source.height; ++y) {
        const std::uint32_t* row = source.pixels.data() + std::size_t(y) * source.width;
        for (std::uint32_t x = 0; x < result.width; ++x) {
            const std::uint32_t first = horizontal.first[x];
            across.pixels[std::size_t(y) * result.width + x] =
                Filter(row, 1, horizontal.taps.data() + first, horizontal.first[x + 1] - first);
        }
    }
    const Kernel vertical = BuildKernel(source.height, result.height);
    for (std::uint32_t y = 0; y < result.height; ++y) {
        const std::uint32_t first = vertical.first[y];
        for (std::uint32_t x = 0; x < result.width; ++x) {
            result.pixels[std::size_t(y) * result.width + x] = Filter(
                across.pixels.data() + x, result.width, vertical.taps.data() + first, vertical.first[y + 1] - first);
        }
    }
    return true;
}

}  // namespace

void ApplyColorKey(ArgbImage& image, std::uint32_t key)
{
    if (key == 0) return;
    std::replace(image.pixels.begin(), image.pixels.end(), key, 0u);
}

bool ResizeImage(const ArgbImage& source, std::uint32_t width, std::uint32_t height, DWORD filter,
                 ArgbImage& result)
{
    if (!Allocate(result, width, height)) return false;
    if (source.width == 0 || source.height == 0) return true;
    const DWORD kind = filter & 0xFF;
    if (kind == D3DX_FILTER_NONE) {
        Place(source, result);
    } else if (source.width == width && source.height == height) {
        result.pixels = source.pixels;
    } else if (kind == D3DX_FILTER_POINT) {
        StretchNearest(source, result);
    } else {
        return StretchTriangle(source, result);
    }
    return true;
}

bool HalveImage(const ArgbImage& source, ArgbImage& result)
{
    const std::uint32_t width = std::max(1u, source.width / 2), height = std::max(1u, source.height / 2);
    if (!Allocate(result, width, height)) return false;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t y0 = std::min(2 * y, source.height - 1), y1 = std::min(2 * y + 1, source.height - 1);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t x0 = std::min(2 * x, source.width - 1), x1 = std::min(2 * x + 1, source.width - 1);
            // A side of 1 repeats its texel, which leaves the mean unchanged.
            const std::uint32_t texels[4] = {
                source.pixels[std::size_t(y0) * source.width + x0], source.pixels[std::size_t(y0) * source.width + x1],
                source.pixels[std::size_t(y1) * source.width + x0], source.pixels[std::size_t(y1) * source.width + x1]};
            std::uint32_t packed = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                std::uint32_t sum = 0;
                for (std::uint32_t t : texels) sum += Channel(t, shift);
                packed |= ((sum + 2) / 4) << shift;
            }
            result.pixels[std::size_t(y) * width + x] = packed;
        }
    }
    return true;
}

ArgbImage CropImage(const ArgbImage& source, const RECT& rect)
{
    ArgbImage result;
    result.width = static_cast<std::uint32_t>(rect.right - rect.left);
    result.height = static_cast<std::uint32_t>(rect.bottom - rect.top);
    result.pixels.resize(std::size_t(result.width) * result.height);
    for (std::uint32_t y = 0; y < result.height; ++y) {
        const std::uint32_t* src =
            source.pixels.data() + std::size_t(rect.top + LONG(y)) * source.width + std::size_t(rect.left);
        std::copy(src, src + result.width, result.pixels.data() + std::size_t(y) * result.width);
    }
    return result;
}

}  // namespace platform::d3dx
