// The vector combiners: the stage-0 product, specular add and the blend of the engine's
// presets, eight pixels at a time. Channels are worked on in 16-bit lanes without unpacking:
// one vector holds blue and red of each pixel, another green and alpha. Written once with the
// compiler's vector types and built per instruction set (baseline, AVX2, AVX-512), chosen at run time.
// Every operation is exact integer arithmetic and equals the reference path's formulas.
#include "platform/raster/pipeline.h"

#include <array>
#include <atomic>
#include <cstring>

#pragma GCC diagnostic ignored "-Wpsabi"   // 32-byte vectors stay inside this file

namespace raster::detail {

namespace {

typedef std::uint32_t Pixels __attribute__((vector_size(32)));   // eight 0xAARRGGBB pixels
typedef std::uint16_t Lanes __attribute__((vector_size(32)));    // two channels of each pixel
typedef std::int16_t Mask __attribute__((vector_size(32)));      // lane masks: -1 or 0

constexpr int kStep = 8;

#define TW_KERNEL inline __attribute__((always_inline))

TW_KERNEL Pixels Load(const std::uint32_t* p) {
    Pixels v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

TW_KERNEL void Store(std::uint32_t* p, Pixels v) { std::memcpy(p, &v, sizeof v); }

TW_KERNEL Pixels Splat(std::uint32_t argb) { return Pixels{} + argb; }

// Blue and red (even lanes blue), and green and alpha (even lanes green).
TW_KERNEL Lanes BlueRed(Pixels v) { return Lanes(v & 0x00FF00FFu); }
TW_KERNEL Lanes GreenAlpha(Pixels v) { return Lanes((v >> 8) & 0x00FF00FFu); }
TW_KERNEL Pixels Join(Lanes blueRed, Lanes greenAlpha) { return Pixels(blueRed) | (Pixels(greenAlpha) << 8); }

TW_KERNEL Lanes All(std::uint16_t v) { return Lanes{} + v; }

TW_KERNEL Lanes Pick(Mask m, Lanes yes, Lanes no) { return m ? yes : no; }

// round(x / 255) for x <= 65280.
TW_KERNEL Lanes Div255(Lanes x) {
    Lanes t = x + 128;
    return (t + (t >> 8)) >> 8;
}

// min(255, round(2x / 255)) from the quotient k and remainder r of x / 255 (x <= 65025).
TW_KERNEL Lanes Modulate2x(Lanes x) {
    Lanes t = x + 1;
    Lanes k = (t + (t >> 8)) >> 8;
    Lanes r = x - k * 255;
    Lanes q = k + k - Lanes(r > 63) - Lanes(r > 191);
    return Pick(q > 255, All(255), q);
}

TW_KERNEL Lanes Min255(Lanes x) { return Pick(x > 255, All(255), x); }
TW_KERNEL Lanes SubtractClamped(Lanes a, Lanes b) { return Pick(a > b, a - b, Lanes{}); }
TW_KERNEL Lanes Max(Lanes a, Lanes b) { return Pick(a > b, a, b); }

// Alpha of each pixel in both of its lanes, from a green-alpha vector.
TW_KERNEL Lanes AlphaOf(Lanes greenAlpha) {
    Pixels a = Pixels(greenAlpha) >> 16;
    return Lanes(a | (a << 16));
}

template <BlendKind kKind>
TW_KERNEL Lanes BlendLanes(Lanes cs, Lanes as, Lanes cd) {
    if constexpr (kKind == BlendKind::Opaque) {
        (void)as, (void)cd;
        return cs;
    } else if constexpr (kKind == BlendKind::Alpha) {
        return Div255(cs * as + cd * (255 - as));
    } else if constexpr (kKind == BlendKind::Additive) {
        return Min255(Div255(cs * as) + cd);
    } else if constexpr (kKind == BlendKind::RevSubtract) {
        return SubtractClamped(cd, Div255(cs * as));
    } else if constexpr (kKind == BlendKind::Multiply) {
        (void)as;
        return Div255(cs * cd);
    } else if constexpr (kKind == BlendKind::Exclusion) {
        (void)as;
        return Div255(cs * (255 - cd) + cd * (255 - cs));
    } else if constexpr (kKind == BlendKind::Screen) {
        (void)as;
        return Min255(Div255(cs * (255 - cd)) + cd);
    } else {
        (void)as;
        return SubtractClamped(cs, cd);
    }
}

// Per-lane forms of the stage operation, for the blue-red and the green-alpha vectors.
struct GroupMasks {
    Lanes mulDiffuse;   // lanes multiplying the texel by diffuse
    Lanes mul255;       // 255 in lanes selecting the texel
    Lanes addDiffuse;   // lanes selecting diffuse
    Mask twoX;          // lanes doubling the product
};

struct StageMasks {
    GroupMasks blueRed, greenAlpha;
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

template <bool kTwoX, bool kSpecular>
TW_KERNEL Lanes StageGroup(const GroupMasks& m, Lanes t, Lanes d, Lanes s) {
    Lanes x = t * ((d & m.mulDiffuse) | m.mul255);
    Lanes c = Div255(x);
    if constexpr (kTwoX) {
        c = Pick(m.twoX, Modulate2x(x), c);
    }
    c += d & m.addDiffuse;
    if constexpr (kSpecular) {
        c = Min255(c + s);
    }
    return c;
}

// Source colour of eight pixels: texel times the lane's multiplier, plus diffuse, plus specular.
template <bool kTwoX, bool kSpecular>
TW_KERNEL Pixels StageEight(const StageMasks& m, Pixels t, Pixels d, Pixels s) {
    s &= 0x00FFFFFFu;
    Lanes br = StageGroup<kTwoX, kSpecular>(m.blueRed, BlueRed(t), BlueRed(d), BlueRed(s));
    Lanes ga = StageGroup<kTwoX, kSpecular>(m.greenAlpha, GreenAlpha(t), GreenAlpha(d), GreenAlpha(s));
    return Join(br, ga);
}

template <BlendKind kKind, bool kAlphaMax>
TW_KERNEL Pixels BlendEight(Pixels source, Pixels destination) {
    const Mask alphaLanes = {0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1, 0, -1};
    const Lanes sga = GreenAlpha(source), dga = GreenAlpha(destination);
    const Lanes as = AlphaOf(sga);
    Lanes br = BlendLanes<kKind>(BlueRed(source), as, BlueRed(destination));
    Lanes ga = BlendLanes<kKind>(sga, as, dga);
    if constexpr (kAlphaMax) {
        ga = Pick(alphaLanes, Max(sga, dga), ga);
    }
    return Join(br, ga);
}

struct BlendArgs {
    int count;
    const std::uint32_t* source;
    int sourceStep;
    std::uint32_t sourceOr;
    std::uint32_t* destination;
    std::uint32_t destinationOr;
};

// Runs `eight(i, in, out)` over the span; the last partial group works on a copy.
template <class Eight>
TW_KERNEL void ForEachEight(int count, std::uint32_t* destination, Eight eight) {
    int i = 0;
    for (; i + kStep <= count; i += kStep) {
        eight(i, destination + i);
    }
    if (i < count) {
        std::uint32_t d[kStep] = {};
        std::memcpy(d, destination + i, std::size_t(count - i) * 4);
        eight(i, d);
        std::memcpy(destination + i, d, std::size_t(count - i) * 4);
    }
}

// Pixels i .. i + 7 of a source with step 0 (one value) or 1, never reading past `count`.
TW_KERNEL Pixels LoadSource(const std::uint32_t* p, int step, int i, int count) {
    if (step == 0) {
        return Splat(p[0]);
    }
    if (i + kStep <= count) {
        return Load(p + i);
    }
    std::uint32_t tail[kStep] = {};
    std::memcpy(tail, p + i, std::size_t(count - i) * 4);
    return Load(tail);
}

template <bool kTwoX, bool kSpecular>
TW_KERNEL void StageKernel(const StageMasks& masks, const StageArgs& args) {
    const StageArgs a = args;   // locals: the stores below may not alias them
    const StageMasks m = masks;
    const Pixels texelOr = Splat(a.texelOr);
    ForEachEight(a.count, a.out, [&](int i, std::uint32_t* out) {
        const Pixels t = LoadSource(a.texel, 1, i, a.count) | texelOr;
        const Pixels d = LoadSource(a.diffuse, a.diffuseStep, i, a.count);
        const Pixels s = LoadSource(a.specular, a.specularStep, i, a.count);
        Store(out, StageEight<kTwoX, kSpecular>(m, t, d, s));
    });
}

template <BlendKind kKind, bool kAlphaMax>
TW_KERNEL void BlendKernel(const BlendArgs& args) {
    const BlendArgs a = args;
    const Pixels sourceOr = Splat(a.sourceOr);
    const Pixels destinationOr = Splat(a.destinationOr);
    ForEachEight(a.count, a.destination, [&](int i, std::uint32_t* out) {
        const Pixels s = LoadSource(a.source, a.sourceStep, i, a.count) | sourceOr;
        Store(out, BlendEight<kKind, kAlphaMax>(s, Load(out) | destinationOr) | destinationOr);
    });
}

// Stage and blend in one pass, for the operations without doubling.
template <BlendKind kKind, bool kAlphaMax, bool kSpecular>
TW_KERNEL void FusedKernel(const StageMasks& masks, const StageArgs& args) {
    const StageArgs a = args;   // `out` is the destination here
    const StageMasks m = masks;
    const Pixels texelOr = Splat(a.texelOr);
    const Pixels destinationOr = Splat(a.destinationOr);
    ForEachEight(a.count, a.out, [&](int i, std::uint32_t* out) {
        const Pixels t = LoadSource(a.texel, 1, i, a.count) | texelOr;
        const Pixels d = LoadSource(a.diffuse, a.diffuseStep, i, a.count);
        const Pixels s = LoadSource(a.specular, a.specularStep, i, a.count);
        const Pixels source = StageEight<false, kSpecular>(m, t, d, s);
        Store(out, BlendEight<kKind, kAlphaMax>(source, Load(out) | destinationOr) | destinationOr);
    });
}

using StageFunction = void (*)(const StageMasks&, const StageArgs&);
using BlendFunction = void (*)(const BlendArgs&);

struct KernelTable {
    StageFunction stage[2][2];      // [two x][specular]
    BlendFunction blend[8][2];      // [kind][alpha max]
    StageFunction fused[8][2][2];   // [kind][alpha max][specular]
};

#define TW_EACH_KIND(M, Suffix)                                                                        \
    {M(Suffix, BlendKind::Opaque), M(Suffix, BlendKind::Alpha), M(Suffix, BlendKind::Additive),        \
     M(Suffix, BlendKind::RevSubtract), M(Suffix, BlendKind::Multiply), M(Suffix, BlendKind::Exclusion), \
     M(Suffix, BlendKind::Screen), M(Suffix, BlendKind::Subtract)}
#define TW_BLEND(Suffix, Kind) {BlendEntry##Suffix<Kind, false>, BlendEntry##Suffix<Kind, true>}
#define TW_FUSED(Suffix, Kind)                                                      \
    {{FusedEntry##Suffix<Kind, false, false>, FusedEntry##Suffix<Kind, false, true>}, \
     {FusedEntry##Suffix<Kind, true, false>, FusedEntry##Suffix<Kind, true, true>}}
#define TW_TABLE(Suffix)                                                                                \
    {{{StageEntry##Suffix<false, false>, StageEntry##Suffix<false, true>},                            \
      {StageEntry##Suffix<true, false>, StageEntry##Suffix<true, true>}},                             \
     TW_EACH_KIND(TW_BLEND, Suffix), TW_EACH_KIND(TW_FUSED, Suffix)}

// The entry points for one instruction set; the kernels inline into them.
#define TW_ENTRIES(Suffix, Attribute)                                                          \
    template <bool kTwoX, bool kSpecular>                                                      \
    Attribute void StageEntry##Suffix(const StageMasks& m, const StageArgs& a) {               \
        StageKernel<kTwoX, kSpecular>(m, a);                                                   \
    }                                                                                          \
    template <BlendKind kKind, bool kAlphaMax>                                                 \
    Attribute void BlendEntry##Suffix(const BlendArgs& a) {                                    \
        BlendKernel<kKind, kAlphaMax>(a);                                                      \
    }                                                                                          \
    template <BlendKind kKind, bool kAlphaMax, bool kSpecular>                                 \
    Attribute void FusedEntry##Suffix(const StageMasks& m, const StageArgs& a) {               \
        FusedKernel<kKind, kAlphaMax, kSpecular>(m, a);                                        \
    }                                                                                          \
    const KernelTable k##Suffix = TW_TABLE(Suffix);

TW_ENTRIES(Baseline, )

#if defined(__x86_64__) || defined(__i386__)
TW_ENTRIES(Avx2, __attribute__((target("avx2"))))
TW_ENTRIES(Avx512, __attribute__((target("avx2,avx512bw,avx512vl"))))

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
#if defined(__x86_64__) || defined(__i386__)
    const int limit = g_KernelLimit.load(std::memory_order_relaxed);
    if (limit >= int(KernelSet::Avx512) && HasAvx512()) {
        return kAvx512;
    }
    if (limit >= int(KernelSet::Avx2) && HasAvx2()) {
        return kAvx2;
    }
#endif
    return kBaseline;
}

StageMasks MakeStageMasks(LaneMode colorMode, LaneMode alphaMode) {
    StageMasks masks{};
    for (int group = 0; group < 2; ++group) {
        GroupMasks& m = group == 0 ? masks.blueRed : masks.greenAlpha;
        for (int lane = 0; lane < 16; ++lane) {
            LaneMode mode = (group == 1 && (lane & 1)) ? alphaMode : colorMode;
            m.mulDiffuse[lane] = (mode == LaneMode::Modulate || mode == LaneMode::Modulate2X) ? 0xFFFF : 0;
            m.mul255[lane] = mode == LaneMode::SelectTexture ? 255 : 0;
            m.addDiffuse[lane] = mode == LaneMode::SelectDiffuse ? 0xFFFF : 0;
            m.twoX[lane] = mode == LaneMode::Modulate2X ? -1 : 0;
        }
    }
    return masks;
}

const StageMasks& MasksFor(LaneMode colorMode, LaneMode alphaMode) {
    static const auto table = [] {
        std::array<StageMasks, 16> masks;
        for (int c = 0; c < 4; ++c) {
            for (int a = 0; a < 4; ++a) {
                masks[std::size_t(c * 4 + a)] = MakeStageMasks(LaneMode(c), LaneMode(a));
            }
        }
        return masks;
    }();
    return table[std::size_t(int(colorMode) * 4 + int(alphaMode))];
}

// True when the group's result is the texel itself for diffuse `d` (0xFF in the group's channels).
bool PassesTexel(LaneMode mode, std::uint32_t d, std::uint32_t channels) {
    return mode == LaneMode::SelectTexture || (mode == LaneMode::Modulate && (d & channels) == channels);
}

}  // namespace

void LimitKernels(KernelSet widest) { g_KernelLimit.store(int(widest), std::memory_order_relaxed); }

void CombineFast(const Pipeline& p, const SpanInputs& in) {
    const KernelTable& kernels = Kernels();
    const bool samples = p.stageCount > 0 && p.stages[0].samples;
    const bool constantDiffuse = in.diffuseStep == 0;
    const bool noSpecular = in.specularStep == 0 && (in.specular[0] & 0x00FFFFFF) == 0;
    const std::uint32_t diffuse = in.diffuse[0];

    const std::uint32_t destinationOr = p.targetX8 ? 0xFF000000u : 0;
    if (noSpecular && constantDiffuse && samples && PassesTexel(p.colorMode, diffuse, 0x00FFFFFF) &&
        PassesTexel(p.alphaMode, diffuse, 0xFF000000)) {
        // Texel times white: the texels are the source colours.
        kernels.blend[int(p.blendKind)][p.alphaMax](
            BlendArgs{in.count, in.texel[0], 1, in.texelOr[0], in.destination, destinationOr});
        return;
    }
    if (noSpecular && constantDiffuse && p.colorMode == LaneMode::SelectDiffuse &&
        p.alphaMode == LaneMode::SelectDiffuse) {
        kernels.blend[int(p.blendKind)][p.alphaMax](
            BlendArgs{in.count, in.diffuse, 0, 0, in.destination, destinationOr});
        return;
    }
    const StageMasks& masks = MasksFor(p.colorMode, p.alphaMode);
    const bool twoX = p.colorMode == LaneMode::Modulate2X || p.alphaMode == LaneMode::Modulate2X;
    // A stage that samples nothing still loads "texels": any readable words do.
    StageArgs stage{in.count,        samples ? in.texel[0] : in.destination, samples ? in.texelOr[0] : 0,
                    in.diffuse,      in.diffuseStep, in.specular, in.specularStep, in.destination,
                    destinationOr};
    if (!twoX) {
        kernels.fused[int(p.blendKind)][p.alphaMax][!noSpecular](masks, stage);
        return;
    }
    std::uint32_t source[kSpanChunk];
    stage.out = source;
    kernels.stage[1][!noSpecular](masks, stage);
    kernels.blend[int(p.blendKind)][p.alphaMax](
        BlendArgs{in.count, source, 1, 0, in.destination, destinationOr});
}

}  // namespace raster::detail
