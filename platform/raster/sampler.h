// Private to the rasterizer: texture addressing and sampling of level 0.
// Texel coordinates are fixed point 16.16 in texel units (u * width); pixel centres map to
// texel centres at k + 0.5, so POINT takes floor(u * width) and LINEAR blends around centres.
#pragma once

#include "platform/raster/raster.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cmath>
#include <cstdint>

namespace raster::detail {

constexpr int kFixedShift = 16;
constexpr std::int64_t kFixedOne = std::int64_t(1) << kFixedShift;

// Nearest integer (ties to even); callers keep |x| well inside the 64-bit range.
inline std::int64_t RoundToInt64(double x) {
#if defined(__SSE2__) && defined(__x86_64__)
    return _mm_cvtsd_si64(_mm_set_sd(x));
#else
    return std::llrint(x);
#endif
}

// Texel coordinates along a span: pixel i samples (u + round(du * i), v + round(dv * i)), in
// 16.16 texels. Offsets are taken from the span's first pixel, not accumulated, so that a
// coordinate that lands exactly on a texel edge (u = k / W) does so at every pixel.
struct TexelRun {
    std::int64_t u, v;
    double du, dv;
};

// Made by MakeTextureView; a plain aggregate so that per-span copies cost nothing to set up.
struct TextureView {
    const Image* image;
    bool linear;
    Address addressU;
    Address addressV;
    bool is32;                // A8R8G8B8 or X8R8G8B8: texels read as whole words
    std::uint32_t alphaOr;    // 0xFF000000 for X8R8G8B8 sources
};

TextureView MakeTextureView(const Image& image, Filter filter, Address addressU, Address addressV);

// Maps an integer texel coordinate into [0, size), or -1 where BORDER gives the border colour.
int AddressTexel(std::int64_t i, int size, Address mode);

// Samples pixels first .. first + count - 1 of `run` into `out` (0xAARRGGBB). `simd` selects
// the vector form of the filter, which gives the same values as the scalar one.
void FetchTexels(const TextureView& view, const TexelRun& run, int first, int count, std::uint32_t* out, bool simd);

// The vector form of FetchTexels for the textures the engine draws with (A8R8G8B8, X8R8G8B8,
// A4R4G4B4 and X4R4G4B4, WRAP on power-of-two sizes) and steps small enough for 32-bit
// products; false, with nothing written, for the rest.
bool FetchTexelsVector(const TextureView& view, const TexelRun& run, int first, int count, std::uint32_t* out);

// When pixels first .. first + count - 1 sample consecutive words of one texture row (point
// sampling, one texel per pixel, no wrap inside), returns them and may shorten `count`; else null.
const std::uint32_t* DirectTexels(const TextureView& view, const TexelRun& run, int first, int& count);

// As DirectTexels for 16-bit textures of 4-bit channels (A4R4G4B4, X4R4G4B4): converts the
// texel row the pixels sample into `out` (kSpanChunk words at most) a whole row at a time, and
// returns it; null where DirectTexels's conditions do not hold.
const std::uint32_t* ConvertedTexels(const TextureView& view, const TexelRun& run, int first, int& count,
                                     std::uint32_t* out);

// Widens `count` 16-bit texels of 4-bit channels at `row` to 0xAARRGGBB (n * 17 per channel);
// `noAlpha` (X4R4G4B4) reads alpha as 0xFF.
void ConvertNibbleRow(const std::uint8_t* row, int count, bool noAlpha, std::uint32_t* out);

// Bilinear blend of four texels with 8-bit fractions (the reference form).
std::uint32_t Bilinear(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01, std::uint32_t t11, int fu, int fv);

}  // namespace raster::detail
