// The vector combiners: the stage-0 product, specular add and the blend of the engine's
// presets, a vector of pixels at a time. The kernels are written once
// (fast_combine_kernels.inl) and built per instruction set in target regions: baseline
// (SSE2, 4 pixels), AVX2 (8) and AVX-512 (16), chosen at run time. Every operation is exact
// integer arithmetic and equals the reference path's formulas.
#include "platform/raster/pipeline.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <atomic>
#include <cstring>
#include <utility>

#pragma GCC diagnostic ignored "-Wpsabi"   // wide vectors stay inside this file

namespace raster::detail {

namespace {

#define TW_KERNEL inline __attribute__((always_inline))

struct StageModes {
    LaneMode color, alpha;
};

struct StageArgs {
    int count;
    const std::uint32_t* texel;
    std::uint32_t texelOr;
    const std::uint32_t* diffuse;
    int diffuseStep;
    const std::uint32_t* specular;
    int specularStep;
    std::uint32_t* out;
    std::uint32_t destinationOr;
};

struct BlendArgs {
    int count;
    const std::uint32_t* source;
    int sourceStep;
    std::uint32_t sourceOr;
    std::uint32_t* destination;
    std::uint32_t destinationOr;
};

using StageFunction = void (*)(const StageModes&, const StageArgs&);
using BlendFunction = void (*)(const BlendArgs&);

// The forms of the stage operation the fused kernels are built for.
// Texel: the texels themselves are the source colours (texel times white); only rectangles use it.
enum class StageForm { Plain, TwoX, ColorPasses, Texel };

using RectFunction = void (*)(const StageModes&, const RectInputs&, std::uint32_t destinationOr);
using InterpolateFunction = void (*)(const float (&)[4], const float (&)[4], int, int, std::uint32_t*);

struct KernelTable {
    StageFunction stage[2][2];      // [two x][specular]: source colours into `out`
    BlendFunction blend[8][2];      // [kind][alpha max]
    StageFunction fused[8][2][3];   // [kind][alpha max][stage form]: one diffuse, no specular
    InterpolateFunction interpolate;
    RectFunction rect[8][2][4][2];  // [kind][alpha max][stage form][4-bit texels]
};

namespace baseline {

constexpr int kLanes = 4;
typedef std::uint32_t Pixels __attribute__((vector_size(16)));
typedef std::uint16_t Lanes __attribute__((vector_size(16)));
typedef std::int16_t Signed __attribute__((vector_size(16)));
typedef std::int32_t Ints __attribute__((vector_size(16)));
typedef float Floats __attribute__((vector_size(16)));

#if defined(__SSE2__)
TW_KERNEL Lanes MulHi(Lanes a, Lanes b) { return (Lanes)_mm_mulhi_epu16((__m128i)a, (__m128i)b); }
TW_KERNEL Floats Rounded(Floats v) {
    asm("" : "+x"(v));
    return v;
}
TW_KERNEL Floats Clamp255(Floats v) {
    return (Floats)_mm_min_ps(_mm_max_ps((__m128)v, _mm_setzero_ps()), _mm_set1_ps(255.0f));
}
#else
TW_KERNEL Lanes MulHi(Lanes a, Lanes b) {
    typedef std::uint32_t Wide __attribute__((vector_size(32)));
    return __builtin_convertvector((__builtin_convertvector(a, Wide) * __builtin_convertvector(b, Wide)) >> 16, Lanes);
}
TW_KERNEL Floats Rounded(Floats v) {
    asm("" : "+m"(v));
    return v;
}
TW_KERNEL Floats Clamp255(Floats v) {
    v = v > 0 ? v : 0;   // NaN gives 0
    return v < 255 ? v : 255;
}
#endif

typedef std::uint16_t Texels16 __attribute__((vector_size(8)));
#define TW_ENTRY

TW_KERNEL Pixels LoadPart(const std::uint32_t* p, int n) {
    Pixels v = {};
    std::memcpy(&v, p, std::size_t(n) * 4);
    return v;
}
TW_KERNEL void StorePart(std::uint32_t* p, Pixels v, int n) { std::memcpy(p, &v, std::size_t(n) * 4); }
TW_KERNEL Texels16 LoadTexelsPart(const std::uint8_t* p, int n) {
    Texels16 v = {};
    std::memcpy(&v, p, std::size_t(n) * 2);
    return v;
}
TW_KERNEL bool AllZero(Pixels v) {
#if defined(__SSE2__)
    return _mm_movemask_epi8(_mm_cmpeq_epi32((__m128i)v, _mm_setzero_si128())) == 0xFFFF;
#else
    return (v[0] | v[1] | v[2] | v[3]) == 0;
#endif
}

#include "platform/raster/fast_combine_kernels.inl"
#undef TW_ENTRY

}  // namespace baseline

#if defined(__x86_64__)

// clang ignores GCC target regions: it takes the same target as a function attribute.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {

constexpr int kLanes = 8;
typedef std::uint32_t Pixels __attribute__((vector_size(32)));
typedef std::uint16_t Lanes __attribute__((vector_size(32)));
typedef std::int16_t Signed __attribute__((vector_size(32)));
typedef std::int32_t Ints __attribute__((vector_size(32)));
typedef float Floats __attribute__((vector_size(32)));

TW_KERNEL Lanes MulHi(Lanes a, Lanes b) { return (Lanes)_mm256_mulhi_epu16((__m256i)a, (__m256i)b); }
TW_KERNEL Floats Rounded(Floats v) {
    asm("" : "+x"(v));
    return v;
}
TW_KERNEL Floats Clamp255(Floats v) {
    return (Floats)_mm256_min_ps(_mm256_max_ps((__m256)v, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
}

typedef std::uint16_t Texels16 __attribute__((vector_size(16)));
#define TW_ENTRY __attribute__((target("avx2")))

TW_KERNEL Pixels LoadPart(const std::uint32_t* p, int n) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    return (Pixels)_mm256_maskload_epi32(reinterpret_cast<const int*>(p), _mm256_cmpgt_epi32(_mm256_set1_epi32(n), lanes));
}
TW_KERNEL void StorePart(std::uint32_t* p, Pixels v, int n) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(p), _mm256_cmpgt_epi32(_mm256_set1_epi32(n), lanes), (__m256i)v);
}
TW_KERNEL Texels16 LoadTexelsPart(const std::uint8_t* p, int n) {
    Texels16 v = {};
    std::memcpy(&v, p, std::size_t(n) * 2);
    return v;
}
TW_KERNEL bool AllZero(Pixels v) { return _mm256_testz_si256((__m256i)v, (__m256i)v) != 0; }

#include "platform/raster/fast_combine_kernels.inl"
#undef TW_ENTRY

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

constexpr int kLanes = 16;
typedef std::uint32_t Pixels __attribute__((vector_size(64)));
typedef std::uint16_t Lanes __attribute__((vector_size(64)));
typedef std::int16_t Signed __attribute__((vector_size(64)));
typedef std::int32_t Ints __attribute__((vector_size(64)));
typedef float Floats __attribute__((vector_size(64)));

TW_KERNEL Lanes MulHi(Lanes a, Lanes b) { return (Lanes)_mm512_mulhi_epu16((__m512i)a, (__m512i)b); }
TW_KERNEL Floats Rounded(Floats v) {
    asm("" : "+v"(v));
    return v;
}
TW_KERNEL Floats Clamp255(Floats v) {
    // Masked forms (all lanes set) keep GCC 12 from warning about the plain forms' pass-through.
    const __m512 low = _mm512_maskz_max_ps(0xFFFF, (__m512)v, _mm512_setzero_ps());
    return (Floats)_mm512_maskz_min_ps(0xFFFF, low, _mm512_set1_ps(255.0f));
}

typedef std::uint16_t Texels16 __attribute__((vector_size(32)));
#define TW_ENTRY __attribute__((target("avx2,avx512f,avx512bw,avx512vl")))

// Masked loads and stores: lanes past `n` are neither read nor written.
TW_KERNEL __mmask16 FirstLanes(int n) { return __mmask16((1u << n) - 1); }
TW_KERNEL Pixels LoadPart(const std::uint32_t* p, int n) { return (Pixels)_mm512_maskz_loadu_epi32(FirstLanes(n), p); }
TW_KERNEL void StorePart(std::uint32_t* p, Pixels v, int n) { _mm512_mask_storeu_epi32(p, FirstLanes(n), (__m512i)v); }
TW_KERNEL Texels16 LoadTexelsPart(const std::uint8_t* p, int n) {
    return (Texels16)_mm256_maskz_loadu_epi16(FirstLanes(n), p);
}
TW_KERNEL bool AllZero(Pixels v) { return _mm512_test_epi32_mask((__m512i)v, (__m512i)v) == 0; }

#include "platform/raster/fast_combine_kernels.inl"
#undef TW_ENTRY

}  // namespace avx512
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool HasAvx512() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vl") != 0;
    }();
    return has;
}

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif

std::atomic<int> g_KernelLimit{int(KernelSet::Avx512)};

const KernelTable& Kernels() {
#if defined(__x86_64__)
    switch (ActiveKernelSet()) {
    case KernelSet::Avx512: return avx512::kKernels;
    case KernelSet::Avx2: return avx2::kKernels;
    default: break;
    }
#endif
    return baseline::kKernels;
}

// True when the group's result is the texel itself for diffuse `d` (0xFF in the group's channels).
bool PassesTexel(LaneMode mode, std::uint32_t d, std::uint32_t channels) {
    return mode == LaneMode::SelectTexture || (mode == LaneMode::Modulate && (d & channels) == channels);
}

template <Compare kFunc>
bool Passes(std::uint32_t alpha, std::uint32_t reference) {
    if constexpr (kFunc == Compare::Never) {
        return false;
    } else if constexpr (kFunc == Compare::Less) {
        return alpha < reference;
    } else if constexpr (kFunc == Compare::Equal) {
        return alpha == reference;
    } else if constexpr (kFunc == Compare::LessEqual) {
        return alpha <= reference;
    } else if constexpr (kFunc == Compare::Greater) {
        return alpha > reference;
    } else if constexpr (kFunc == Compare::NotEqual) {
        return alpha != reference;
    } else if constexpr (kFunc == Compare::GreaterEqual) {
        return alpha >= reference;
    } else {
        return true;
    }
}

// Keeps the stored word where the source fails the test, and the stored channels the mask
// leaves out where it passes.
template <Compare kFunc>
void ApplyMasks(int count, const std::uint32_t* source, const std::uint32_t* stored, std::uint32_t* destination,
                std::uint32_t reference, std::uint32_t writeBits, std::uint32_t destinationOr) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t kept = ((destination[i] & writeBits) | (stored[i] & ~writeBits)) | destinationOr;
        destination[i] = Passes<kFunc>(source[i] >> 24, reference) ? kept : stored[i];
    }
}

void CombineMasked(const Pipeline& p, const SpanInputs& in, const KernelTable& kernels) {
    const DrawState& s = *p.state;
    const bool samples = p.stageCount > 0 && p.stages[0].samples;
    const bool noSpecular = in.specularStep == 0 && (in.specular[0] & 0x00FFFFFF) == 0;
    const std::uint32_t destinationOr = p.targetX8 ? 0xFF000000u : 0;
    const StageModes modes{p.colorMode, p.alphaMode};
    const bool twoX = p.colorMode == LaneMode::Modulate2X || p.alphaMode == LaneMode::Modulate2X;
    std::uint32_t source[kSpanChunk], stored[kSpanChunk];
    std::memcpy(stored, in.destination, sizeof(std::uint32_t) * std::size_t(in.count));
    // A stage that samples nothing still loads "texels": any readable words do.
    kernels.stage[twoX][!noSpecular](
        modes, StageArgs{in.count, samples ? in.texel[0] : stored, samples ? in.texelOr[0] : 0, in.diffuse,
                         in.diffuseStep, in.specular, in.specularStep, source, destinationOr});
    kernels.blend[int(p.blendKind)][p.alphaMax](BlendArgs{in.count, source, 1, 0, in.destination, destinationOr});
    const std::uint32_t reference = s.alphaRef & 255;
    const Compare func = s.alphaTestEnable ? s.alphaFunc : Compare::Always;
    auto apply = [&](auto kernel) { kernel(in.count, source, stored, in.destination, reference, p.writeBits, destinationOr); };
    switch (func) {
    case Compare::Never: apply(ApplyMasks<Compare::Never>); break;
    case Compare::Less: apply(ApplyMasks<Compare::Less>); break;
    case Compare::Equal: apply(ApplyMasks<Compare::Equal>); break;
    case Compare::LessEqual: apply(ApplyMasks<Compare::LessEqual>); break;
    case Compare::Greater: apply(ApplyMasks<Compare::Greater>); break;
    case Compare::NotEqual: apply(ApplyMasks<Compare::NotEqual>); break;
    case Compare::GreaterEqual: apply(ApplyMasks<Compare::GreaterEqual>); break;
    default: apply(ApplyMasks<Compare::Always>); break;
    }
}

}  // namespace

bool CombineRect(const Pipeline& p, const RectInputs& in) {
    const bool samples = p.stageCount > 0 && p.stages[0].samples;
    const std::uint32_t d = in.diffuse;
    if (!p.fast || p.masked || !samples || (in.specular & 0x00FFFFFF) != 0 ||
        (p.colorMode == LaneMode::SelectDiffuse && p.alphaMode == LaneMode::SelectDiffuse)) {
        return false;
    }
    // The forms CombineFast picks for one span of the same inputs.
    StageForm form = StageForm::Plain;
    if (PassesTexel(p.colorMode, d, 0x00FFFFFF) && PassesTexel(p.alphaMode, d, 0xFF000000)) {
        form = StageForm::Texel;
    } else if (p.colorMode == LaneMode::Modulate2X || p.alphaMode == LaneMode::Modulate2X) {
        form = StageForm::TwoX;
    } else if (PassesTexel(p.colorMode, d, 0x00FFFFFF)) {
        form = StageForm::ColorPasses;
    }
    Kernels().rect[int(p.blendKind)][p.alphaMax][int(form)][in.nibbles](StageModes{p.colorMode, p.alphaMode}, in,
                                                                          p.targetX8 ? 0xFF000000u : 0);
    return true;
}

void LimitKernels(KernelSet widest) { g_KernelLimit.store(int(widest), std::memory_order_relaxed); }

KernelSet ActiveKernelSet() {
#if defined(__x86_64__)
    const int limit = g_KernelLimit.load(std::memory_order_relaxed);
    if (limit >= int(KernelSet::Avx512) && HasAvx512()) {
        return KernelSet::Avx512;
    }
    if (limit >= int(KernelSet::Avx2) && HasAvx2()) {
        return KernelSet::Avx2;
    }
#endif
    return KernelSet::Baseline;
}

void InterpolateColorsFast(const float (&start)[4], const float (&step)[4], int offset, int count,
                           std::uint32_t* out) {
    Kernels().interpolate(start, step, offset, count, out);
}

void CombineFast(const Pipeline& p, const SpanInputs& in) {
    const KernelTable& kernels = Kernels();
    if (p.masked) {
        CombineMasked(p, in, kernels);
        return;
    }
    const bool samples = p.stageCount > 0 && p.stages[0].samples;
    const bool constantDiffuse = in.diffuseStep == 0;
    const bool noSpecular = in.specularStep == 0 && (in.specular[0] & 0x00FFFFFF) == 0;
    const std::uint32_t diffuse = in.diffuse[0];
    const std::uint32_t destinationOr = p.targetX8 ? 0xFF000000u : 0;
    const BlendFunction blend = kernels.blend[int(p.blendKind)][p.alphaMax];

    if (noSpecular && constantDiffuse && samples && PassesTexel(p.colorMode, diffuse, 0x00FFFFFF) &&
        PassesTexel(p.alphaMode, diffuse, 0xFF000000)) {
        // Texel times white: the texels are the source colours.
        blend(BlendArgs{in.count, in.texel[0], 1, in.texelOr[0], in.destination, destinationOr});
        return;
    }
    if (noSpecular && constantDiffuse && p.colorMode == LaneMode::SelectDiffuse &&
        p.alphaMode == LaneMode::SelectDiffuse) {
        blend(BlendArgs{in.count, in.diffuse, 0, 0, in.destination, destinationOr});
        return;
    }
    const StageModes modes{p.colorMode, p.alphaMode};
    const bool twoX = p.colorMode == LaneMode::Modulate2X || p.alphaMode == LaneMode::Modulate2X;
    // A stage that samples nothing still loads "texels": any readable words do.
    StageArgs stage{in.count,   samples ? in.texel[0] : in.destination, samples ? in.texelOr[0] : 0,
                    in.diffuse, in.diffuseStep,  in.specular, in.specularStep, in.destination,
                    destinationOr};
    if (noSpecular && constantDiffuse) {
        StageForm form = StageForm::Plain;
        if (twoX) {
            form = StageForm::TwoX;
        } else if (samples && PassesTexel(p.colorMode, diffuse, 0x00FFFFFF)) {
            form = StageForm::ColorPasses;   // a white sprite with some opacity: only alpha is modulated
        }
        kernels.fused[int(p.blendKind)][p.alphaMax][int(form)](modes, stage);
        return;
    }
    std::uint32_t source[kSpanChunk];
    stage.out = source;
    kernels.stage[twoX][!noSpecular](modes, stage);
    blend(BlendArgs{in.count, source, 1, 0, in.destination, destinationOr});
}

}  // namespace raster::detail
