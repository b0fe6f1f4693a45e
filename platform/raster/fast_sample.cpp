// Vector texel fetch for the textures the engine draws with (32-bit texels and 4-bit channels,
// WRAP on power-of-two sizes): a group of pixels at a time, coordinates, texel loads and the
// bilinear blend. The kernels are written once (fast_sample_kernels.inl) and built per
// instruction set (baseline SSE2, AVX2, AVX-512) in target regions, chosen at run time like the
// combiners. Each lane gives exactly the scalar fetch's texel, which the equivalence tests check.
// Only integer and double arithmetic without FMA contraction is used, so no target flag can
// change a result.
#include "platform/raster/pipeline.h"
#include "platform/raster/pixel.h"
#include "platform/raster/sampler.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cmath>
#include <cstdint>
#include <cstring>

#pragma GCC diagnostic ignored "-Wpsabi"   // wide vectors stay inside this file

namespace raster::detail {

#if defined(__x86_64__)
namespace {

#define TW_SAMPLE inline __attribute__((always_inline))

// A texture of 32-bit texels (`bits`) or of 4-bit channels (`nibbles`: A4R4G4B4, X4R4G4B4);
// both axes wrap by masks.
struct PlainTexture {
    const std::uint32_t* bits;
    const std::uint16_t* nibbles;
    std::uint32_t pitch;       // in texels
    std::uint32_t maskU, maskV;
    std::uint32_t alphaOr;     // 0xFF000000 for the formats without alpha
};

enum class FetchKind { Point, Linear, LinearLevel };   // LinearLevel: v does not change along the run

using FetchFunction = void (*)(const PlainTexture&, const TexelRun&, int first, int count, std::uint32_t* out);

struct FetchTable {
    FetchFunction point, linear, linearLevel;   // 32-bit texels
    FetchFunction nibblePoint, nibbleLinear;    // 4-bit channels
};

// Conversions use the current rounding mode, as the scalar RoundToInt64 does, and the products
// are those of the scalar code (a double step times a whole pixel index), so lanes round alike.

namespace baseline {

constexpr int kLanes = 4;
typedef std::uint32_t Words __attribute__((vector_size(16)));
typedef std::int32_t Flags __attribute__((vector_size(16)));
typedef std::uint16_t Halves __attribute__((vector_size(16)));

// round(step * (k + lane)) in each lane; the callers keep the products inside 32 bits.
TW_SAMPLE Words RoundProducts(double step, int k) {
    const __m128d s = _mm_set1_pd(step), base = _mm_set1_pd(double(k));
    const __m128i a = _mm_cvtpd_epi32(_mm_mul_pd(s, _mm_add_pd(base, _mm_setr_pd(0, 1))));
    const __m128i b = _mm_cvtpd_epi32(_mm_mul_pd(s, _mm_add_pd(base, _mm_setr_pd(2, 3))));
    return (Words)_mm_unpacklo_epi64(a, b);
}

TW_SAMPLE Words Gather(const PlainTexture& t, Words x, Words y) {
    Words texels;
    for (int lane = 0; lane < kLanes; ++lane) {
        texels[lane] = t.bits[std::size_t(y[lane]) * t.pitch + x[lane]];
    }
    return texels | t.alphaOr;
}

TW_SAMPLE bool Any(Flags m) { return _mm_movemask_epi8((__m128i)m) != 0; }
TW_SAMPLE bool AnyAbove(Words v, std::uint32_t limit) { return Any(v > limit); }
TW_SAMPLE bool AnyEqual(Words a, std::uint32_t x, Words b, std::uint32_t y) { return Any((a == x) | (b == y)); }

TW_SAMPLE void Deinterleave(Words a, Words b, Words& even, Words& odd) {
    even = __builtin_shufflevector(a, b, 0, 2, 4, 6);
    odd = __builtin_shufflevector(a, b, 1, 3, 5, 7);
}

// Without a word permute, texels come from LoadPairs.
TW_SAMPLE bool LoadWindows(const PlainTexture&, const std::uint32_t* const (&)[2], Words, bool, Words (&)[4]) {
    return false;
}

// (a + b + 1) >> 1 without losing the carry.
TW_SAMPLE Halves Average(Halves a, Halves b) { return (Halves)_mm_avg_epu16((__m128i)a, (__m128i)b); }
TW_SAMPLE Words Madd(Halves a, Halves b) { return (Words)_mm_madd_epi16((__m128i)a, (__m128i)b); }
TW_SAMPLE Halves UnpackLo16(Halves a, Halves b) { return (Halves)_mm_unpacklo_epi16((__m128i)a, (__m128i)b); }
TW_SAMPLE Halves UnpackHi16(Halves a, Halves b) { return (Halves)_mm_unpackhi_epi16((__m128i)a, (__m128i)b); }
TW_SAMPLE Words UnpackLo32(Words a, Words b) { return (Words)_mm_unpacklo_epi32((__m128i)a, (__m128i)b); }
TW_SAMPLE Words UnpackHi32(Words a, Words b) { return (Words)_mm_unpackhi_epi32((__m128i)a, (__m128i)b); }
TW_SAMPLE Halves Pack32(Words a, Words b) { return (Halves)_mm_packs_epi32((__m128i)a, (__m128i)b); }

#include "platform/raster/fast_sample_kernels.inl"

}  // namespace baseline

// clang ignores GCC target regions: it takes the same target as a function attribute.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {

constexpr int kLanes = 8;
typedef std::uint32_t Words __attribute__((vector_size(32)));
typedef std::int32_t Flags __attribute__((vector_size(32)));
typedef std::uint16_t Halves __attribute__((vector_size(32)));

TW_SAMPLE Words RoundProducts(double step, int k) {
    const __m256d s = _mm256_set1_pd(step), base = _mm256_set1_pd(double(k));
    const __m128i a = _mm256_cvtpd_epi32(_mm256_mul_pd(s, _mm256_add_pd(base, _mm256_setr_pd(0, 1, 2, 3))));
    const __m128i b = _mm256_cvtpd_epi32(_mm256_mul_pd(s, _mm256_add_pd(base, _mm256_setr_pd(4, 5, 6, 7))));
    return (Words)_mm256_set_m128i(b, a);
}

TW_SAMPLE Words Gather(const PlainTexture& t, Words x, Words y) {
    const Words index = y * t.pitch + x;
    return (Words)_mm256_i32gather_epi32(reinterpret_cast<const int*>(t.bits), (__m256i)index, 4) | t.alphaOr;
}

TW_SAMPLE bool Any(Flags m) { return !_mm256_testz_si256((__m256i)m, (__m256i)m); }
TW_SAMPLE bool AnyAbove(Words v, std::uint32_t limit) { return Any(v > limit); }
TW_SAMPLE bool AnyEqual(Words a, std::uint32_t x, Words b, std::uint32_t y) { return Any((a == x) | (b == y)); }

TW_SAMPLE void Deinterleave(Words a, Words b, Words& even, Words& odd) {
    even = __builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14);
    odd = __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15);
}

// Texels x0 and x0 + 1 of both rows where the lanes' x0 lie within 8 texels that, with the
// one after them, are inside the row: two loads and permutes per row instead of per-lane loads.
TW_SAMPLE bool LoadWindows(const PlainTexture& t, const std::uint32_t* const (&rows)[2], Words x0, bool descending,
                           Words (&texels)[4]) {
    const std::uint32_t base = descending ? x0[kLanes - 1] : x0[0];
    if (base + kLanes > t.maskU) {
        return false;
    }
    const Words offset = x0 - base;
    if (AnyAbove(offset, kLanes - 1)) {
        return false;
    }
    for (int row = 0; row < 2; ++row) {
        const std::uint32_t* p = rows[row] + base;
        const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
        texels[2 * row] = (Words)_mm256_permutevar8x32_epi32(left, (__m256i)offset) | t.alphaOr;
        texels[2 * row + 1] = (Words)_mm256_permutevar8x32_epi32(right, (__m256i)offset) | t.alphaOr;
    }
    return true;
}

// (a + b + 1) >> 1 without losing the carry.
TW_SAMPLE Halves Average(Halves a, Halves b) { return (Halves)_mm256_avg_epu16((__m256i)a, (__m256i)b); }
TW_SAMPLE Words Madd(Halves a, Halves b) { return (Words)_mm256_madd_epi16((__m256i)a, (__m256i)b); }
TW_SAMPLE Halves UnpackLo16(Halves a, Halves b) { return (Halves)_mm256_unpacklo_epi16((__m256i)a, (__m256i)b); }
TW_SAMPLE Halves UnpackHi16(Halves a, Halves b) { return (Halves)_mm256_unpackhi_epi16((__m256i)a, (__m256i)b); }
TW_SAMPLE Words UnpackLo32(Words a, Words b) { return (Words)_mm256_unpacklo_epi32((__m256i)a, (__m256i)b); }
TW_SAMPLE Words UnpackHi32(Words a, Words b) { return (Words)_mm256_unpackhi_epi32((__m256i)a, (__m256i)b); }
TW_SAMPLE Halves Pack32(Words a, Words b) { return (Halves)_mm256_packs_epi32((__m256i)a, (__m256i)b); }

#include "platform/raster/fast_sample_kernels.inl"

}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,avx512f,avx512bw,avx512vl"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,avx512f,avx512bw,avx512vl")
#endif
namespace avx512 {

// Masked forms of some intrinsics (all lanes set) keep GCC 12 from warning about the
// unspecified pass-through operand of the plain forms.

constexpr int kLanes = 16;
typedef std::uint32_t Words __attribute__((vector_size(64)));
typedef std::uint16_t Halves __attribute__((vector_size(64)));

TW_SAMPLE Words RoundProducts(double step, int k) {
    const __m512d s = _mm512_set1_pd(step), base = _mm512_set1_pd(double(k));
    const __m512d low = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7), high = _mm512_setr_pd(8, 9, 10, 11, 12, 13, 14, 15);
    const __m256i a = _mm512_maskz_cvtpd_epi32(0xFF, _mm512_mul_pd(s, _mm512_add_pd(base, low)));
    const __m256i b = _mm512_maskz_cvtpd_epi32(0xFF, _mm512_mul_pd(s, _mm512_add_pd(base, high)));
    typedef std::uint32_t Eight __attribute__((vector_size(32)));
    return __builtin_shufflevector((Eight)a, (Eight)b, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
}

TW_SAMPLE Words Gather(const PlainTexture& t, Words x, Words y) {
    const Words index = y * t.pitch + x;
    return (Words)_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), 0xFFFF, (__m512i)index, t.bits, 4) | t.alphaOr;
}

// Comparisons straight into mask registers.
TW_SAMPLE bool AnyAbove(Words v, std::uint32_t limit) {
    return _mm512_cmpgt_epu32_mask((__m512i)v, _mm512_set1_epi32(int(limit))) != 0;
}
TW_SAMPLE bool AnyEqual(Words a, std::uint32_t x, Words b, std::uint32_t y) {
    return (_mm512_cmpeq_epu32_mask((__m512i)a, _mm512_set1_epi32(int(x))) |
            _mm512_cmpeq_epu32_mask((__m512i)b, _mm512_set1_epi32(int(y)))) != 0;
}

TW_SAMPLE void Deinterleave(Words a, Words b, Words& even, Words& odd) {
    even = __builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    odd = __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
}

// Texels x0 and x0 + 1 of both rows where the lanes' x0 lie within a window of 31 texels that,
// with the one after it, is inside the row: two loads and two permutes per row.
TW_SAMPLE bool LoadWindows(const PlainTexture& t, const std::uint32_t* const (&rows)[2], Words x0, bool descending,
                           Words (&texels)[4]) {
    constexpr std::uint32_t kWindow = 2 * kLanes;
    const std::uint32_t base = descending ? x0[kLanes - 1] : x0[0];
    if (base + kWindow - 1 > t.maskU) {
        return false;
    }
    const Words offset = x0 - base;
    if (AnyAbove(offset, kWindow - 2)) {
        return false;
    }
    const __m512i next = (__m512i)(offset + 1);
    for (int row = 0; row < 2; ++row) {
        const std::uint32_t* p = rows[row] + base;
        const __m512i low = _mm512_loadu_si512(p), high = _mm512_loadu_si512(p + kLanes);
        texels[2 * row] = (Words)_mm512_permutex2var_epi32(low, (__m512i)offset, high) | t.alphaOr;
        texels[2 * row + 1] = (Words)_mm512_permutex2var_epi32(low, next, high) | t.alphaOr;
    }
    return true;
}

// (a + b + 1) >> 1 without losing the carry.
TW_SAMPLE Halves Average(Halves a, Halves b) { return (Halves)_mm512_avg_epu16((__m512i)a, (__m512i)b); }
TW_SAMPLE Words Madd(Halves a, Halves b) { return (Words)_mm512_madd_epi16((__m512i)a, (__m512i)b); }
TW_SAMPLE Halves UnpackLo16(Halves a, Halves b) { return (Halves)_mm512_unpacklo_epi16((__m512i)a, (__m512i)b); }
TW_SAMPLE Halves UnpackHi16(Halves a, Halves b) { return (Halves)_mm512_unpackhi_epi16((__m512i)a, (__m512i)b); }
TW_SAMPLE Words UnpackLo32(Words a, Words b) {
    return (Words)_mm512_maskz_unpacklo_epi32(0xFFFF, (__m512i)a, (__m512i)b);
}
TW_SAMPLE Words UnpackHi32(Words a, Words b) {
    return (Words)_mm512_maskz_unpackhi_epi32(0xFFFF, (__m512i)a, (__m512i)b);
}
TW_SAMPLE Halves Pack32(Words a, Words b) { return (Halves)_mm512_packs_epi32((__m512i)a, (__m512i)b); }

#include "platform/raster/fast_sample_kernels.inl"

}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

// The scalar fetch's test for an axis that WRAP addresses with a mask.
bool WrapsByMask(int size, Address mode) {
    return mode != Address::Clamp && mode != Address::Border && mode != Address::Mirror &&
           mode != Address::MirrorOnce && size > 0 && (size & (size - 1)) == 0;
}

}  // namespace

bool FetchTexelsVector(const TextureView& view, const TexelRun& run, int first, int count, std::uint32_t* out) {
    const Image& image = *view.image;
    const bool nibbles = image.format == PixelFormat::A4R4G4B4 || image.format == PixelFormat::X4R4G4B4;
    const bool nibblesAligned = reinterpret_cast<std::uintptr_t>(image.bits) % 2 == 0 && image.pitch % 2 == 0;
    if (!(view.is32 ? IsDirect32(image) : nibbles && nibblesAligned) ||
        !WrapsByMask(image.width, view.addressU) || !WrapsByMask(image.height, view.addressV) || count <= 0) {
        return false;
    }
    // Coordinates are kept in their low 32 bits (16.16, so at most 16 bits of texel index) and
    // texel indices in 32 bits.
    constexpr int kMaxSize = 1 << 16;
    const std::uint32_t pitch = std::uint32_t(image.pitch / FormatBytes(image.format));
    if (image.width > kMaxSize || image.height > kMaxSize ||
        std::int64_t(pitch) * image.height > std::int64_t(INT32_MAX)) {
        return false;
    }
    // Every lane of the last group, even past `count`, converts its products to 32 bits.
    constexpr int kWidestGroup = 16;
    const double lastIndex = double(first) + double(count) + kWidestGroup;
    constexpr double kProductLimit = double(1 << 30);
    if (!(std::fabs(run.du) * lastIndex < kProductLimit) || !(std::fabs(run.dv) * lastIndex < kProductLimit)) {
        return false;
    }
    const PlainTexture texture{reinterpret_cast<const std::uint32_t*>(image.bits),
                               reinterpret_cast<const std::uint16_t*>(image.bits),
                               pitch,
                               std::uint32_t(image.width - 1),
                               std::uint32_t(image.height - 1),
                               image.format == PixelFormat::X4R4G4B4 ? 0xFF000000u : view.alphaOr};
    const FetchTable* table = &baseline::kFetchTable;
    switch (ActiveKernelSet()) {
    case KernelSet::Avx512: table = &avx512::kFetchTable; break;
    case KernelSet::Avx2: table = &avx2::kFetchTable; break;
    default: break;
    }
    const FetchFunction fetch = nibbles      ? (view.linear ? table->nibbleLinear : table->nibblePoint)
                                : !view.linear ? table->point
                                : run.dv == 0  ? table->linearLevel
                                               : table->linear;
    fetch(texture, run, first, count, out);
    return true;
}

#else

bool FetchTexelsVector(const TextureView&, const TexelRun&, int, int, std::uint32_t*) { return false; }

#endif

}  // namespace raster::detail
