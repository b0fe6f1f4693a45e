#include "platform/raster/pipeline.h"

#include "platform/raster/pixel.h"

#include <algorithm>

namespace raster::detail {

namespace {

// Channels in memory order of a little-endian 0xAARRGGBB word: blue, green, red, alpha.
struct Channels {
    int c[4];
};

inline Channels Unpack(std::uint32_t v) {
    return {{int(v & 255), int((v >> 8) & 255), int((v >> 16) & 255), int(v >> 24)}};
}

inline std::uint32_t Pack(const Channels& p) { return PackArgb(p.c[3], p.c[2], p.c[1], p.c[0]); }

bool IsKnownOp(TextureOp op) {
    auto v = std::uint32_t(op);
    return v >= std::uint32_t(TextureOp::SelectArg1) && v <= std::uint32_t(TextureOp::AddSmooth);
}

bool ReadsTexture(TextureOp op, std::uint32_t arg1, std::uint32_t arg2) {
    bool first = (arg1 & kArgSelectMask) == kArgTexture;
    bool second = (arg2 & kArgSelectMask) == kArgTexture;
    switch (op) {
    case TextureOp::Disable: return false;
    case TextureOp::SelectArg1: return first;
    case TextureOp::SelectArg2: return second;
    default: return first || second;
    }
}

int ApplyOp(TextureOp op, int a1, int a2) {
    switch (op) {
    case TextureOp::SelectArg1: return a1;
    case TextureOp::SelectArg2: return a2;
    case TextureOp::Modulate: return int(Div255(std::uint32_t(a1 * a2)));
    case TextureOp::Modulate2X: return std::min(255, (2 * a1 * a2 + 127) / 255);
    case TextureOp::Modulate4X: return std::min(255, (4 * a1 * a2 + 127) / 255);
    case TextureOp::Add: return std::min(255, a1 + a2);
    case TextureOp::AddSigned: return Clamp255(a1 + a2 - 128);
    case TextureOp::AddSigned2X: return Clamp255(2 * (a1 + a2) - 255);
    case TextureOp::Subtract: return std::max(0, a1 - a2);
    case TextureOp::AddSmooth: return a1 + int(Div255(std::uint32_t(a2 * (255 - a1))));
    default: return a1;
    }
}

struct Registers {
    Channels diffuse, current, texel, factor, specular;
};

int Argument(std::uint32_t arg, int channel, const Registers& r) {
    static const Channels kZero = {{0, 0, 0, 0}};
    const Channels* source = &kZero;   // TEMP is never written, so it reads as zero
    switch (arg & kArgSelectMask) {
    case kArgDiffuse: source = &r.diffuse; break;
    case kArgCurrent: source = &r.current; break;
    case kArgTexture: source = &r.texel; break;
    case kArgTFactor: source = &r.factor; break;
    case kArgSpecular: source = &r.specular; break;
    default: break;
    }
    int value = (arg & kArgAlphaReplicate) ? source->c[3] : source->c[channel];
    return (arg & kArgComplement) ? 255 - value : value;
}

bool AlphaTestPasses(Compare func, int alpha, int reference) {
    switch (func) {
    case Compare::Never: return false;
    case Compare::Less: return alpha < reference;
    case Compare::Equal: return alpha == reference;
    case Compare::LessEqual: return alpha <= reference;
    case Compare::Greater: return alpha > reference;
    case Compare::NotEqual: return alpha != reference;
    case Compare::GreaterEqual: return alpha >= reference;
    default: return true;
    }
}

// `cs`, `cd` are the channel's own source and destination values (alpha on the alpha channel).
int Factor(Blend blend, bool source, bool alphaChannel, int cs, int as, int cd, int ad) {
    switch (blend) {
    case Blend::Zero: return 0;
    case Blend::One: return 255;
    case Blend::SrcColor: return cs;
    case Blend::InvSrcColor: return 255 - cs;
    case Blend::SrcAlpha: return as;
    case Blend::InvSrcAlpha: return 255 - as;
    case Blend::DestAlpha: return ad;
    case Blend::InvDestAlpha: return 255 - ad;
    case Blend::DestColor: return cd;
    case Blend::InvDestColor: return 255 - cd;
    case Blend::SrcAlphaSat: return alphaChannel ? 255 : std::min(as, 255 - ad);
    default: return source ? 255 : 0;   // unknown factors draw as a plain copy
    }
}

int BlendChannel(Blend srcBlend, Blend destBlend, BlendOp op, bool alphaChannel, int cs, int as, int cd, int ad) {
    switch (op) {
    case BlendOp::Min: return std::min(cs, cd);
    case BlendOp::Max: return std::max(cs, cd);
    default: break;
    }
    int s = cs * Factor(srcBlend, true, alphaChannel, cs, as, cd, ad);
    int d = cd * Factor(destBlend, false, alphaChannel, cs, as, cd, ad);
    switch (op) {
    case BlendOp::Subtract: return Div255Clamp(s - d);
    case BlendOp::RevSubtract: return Div255Clamp(d - s);
    default: return Div255Clamp(s + d);
    }
}

void CombineReference(const Pipeline& p, const SpanInputs& in) {
    const DrawState& s = *p.state;
    const std::uint32_t destinationOr = p.targetX8 ? 0xFF000000u : 0;
    Registers r{};
    r.factor = Unpack(s.textureFactor);
    const int alphaRef = int(s.alphaRef & 255);
    const bool alphaTest = s.alphaTestEnable;
    // Colour write bits: red 1, green 2, blue 4, alpha 8; channels are stored blue first.
    const int writeMask = int(s.colorWriteEnable);
    const bool writeChannel[4] = {(writeMask & 4) != 0, (writeMask & 2) != 0, (writeMask & 1) != 0,
                                  (writeMask & 8) != 0};
    for (int i = 0; i < in.count; ++i) {
        r.diffuse = Unpack(in.diffuse[i * in.diffuseStep]);
        r.specular = Unpack(in.specular[i * in.specularStep]);
        r.current = r.diffuse;
        for (int stage = 0; stage < p.stageCount; ++stage) {
            const StagePlan& plan = p.stages[stage];
            if (plan.colorPass && plan.alphaPass) {
                continue;
            }
            const StageState& st = s.stages[stage];
            r.texel = plan.samples ? Unpack(in.texel[stage][i] | in.texelOr[stage]) : Channels{};
            Channels next = r.current;
            if (!plan.colorPass) {
                for (int ch = 0; ch < 3; ++ch) {
                    next.c[ch] = ApplyOp(st.colorOp, Argument(st.colorArg1, ch, r), Argument(st.colorArg2, ch, r));
                }
            }
            if (!plan.alphaPass) {
                next.c[3] = ApplyOp(st.alphaOp, Argument(st.alphaArg1, 3, r), Argument(st.alphaArg2, 3, r));
            }
            r.current = next;
        }
        Channels src = r.current;
        if (s.specularEnable) {
            for (int ch = 0; ch < 3; ++ch) {
                src.c[ch] = std::min(255, src.c[ch] + r.specular.c[ch]);
            }
        }
        if (alphaTest && !AlphaTestPasses(s.alphaFunc, src.c[3], alphaRef)) {
            continue;
        }
        const std::uint32_t raw = in.destination[i];
        const Channels stored = Unpack(raw);
        const Channels dst = Unpack(raw | destinationOr);
        Channels out = src;
        if (s.alphaBlendEnable) {
            const int as = src.c[3], ad = dst.c[3];
            for (int ch = 0; ch < 3; ++ch) {
                out.c[ch] = BlendChannel(s.srcBlend, s.destBlend, s.blendOp, false, src.c[ch], as, dst.c[ch], ad);
            }
            if (s.separateAlphaBlendEnable) {
                out.c[3] = BlendChannel(s.srcBlendAlpha, s.destBlendAlpha, s.blendOpAlpha, true, as, as, ad, ad);
            } else {
                out.c[3] = BlendChannel(s.srcBlend, s.destBlend, s.blendOp, true, as, as, ad, ad);
            }
        }
        for (int ch = 0; ch < 4; ++ch) {
            if (!writeChannel[ch]) {
                out.c[ch] = stored.c[ch];
            }
        }
        in.destination[i] = Pack(out) | destinationOr;
    }
}

bool BlendKindOf(Blend src, Blend dest, BlendOp op, BlendKind& kind) {
    struct Entry {
        Blend src, dest;
        BlendOp op;
        BlendKind kind;
    };
    static const Entry kTable[] = {
        {Blend::One, Blend::Zero, BlendOp::Add, BlendKind::Opaque},
        {Blend::SrcAlpha, Blend::InvSrcAlpha, BlendOp::Add, BlendKind::Alpha},
        {Blend::SrcAlpha, Blend::One, BlendOp::Add, BlendKind::Additive},
        {Blend::SrcAlpha, Blend::One, BlendOp::RevSubtract, BlendKind::RevSubtract},
        {Blend::Zero, Blend::SrcColor, BlendOp::Add, BlendKind::Multiply},
        {Blend::DestColor, Blend::Zero, BlendOp::Add, BlendKind::Multiply},
        {Blend::InvDestColor, Blend::InvSrcColor, BlendOp::Add, BlendKind::Exclusion},
        {Blend::InvDestColor, Blend::One, BlendOp::Add, BlendKind::Screen},
        {Blend::One, Blend::One, BlendOp::Subtract, BlendKind::Subtract},
    };
    for (const Entry& e : kTable) {
        if (e.src == src && e.dest == dest && e.op == op) {
            kind = e.kind;
            return true;
        }
    }
    return false;
}

// The stage-0 operation of one channel group as a lane mode; false where the vector form has none.
bool LaneModeOf(TextureOp op, std::uint32_t arg1, std::uint32_t arg2, bool pass, LaneMode& mode) {
    if (pass) {
        mode = LaneMode::SelectDiffuse;
        return true;
    }
    auto isTexture = [](std::uint32_t a) { return a == kArgTexture; };
    auto isDiffuse = [](std::uint32_t a) { return a == kArgDiffuse || a == kArgCurrent; };   // CURRENT is diffuse on stage 0
    switch (op) {
    case TextureOp::Modulate:
    case TextureOp::Modulate2X:
        if ((isTexture(arg1) && isDiffuse(arg2)) || (isDiffuse(arg1) && isTexture(arg2))) {
            mode = op == TextureOp::Modulate ? LaneMode::Modulate : LaneMode::Modulate2X;
            return true;
        }
        return false;
    case TextureOp::SelectArg1:
    case TextureOp::SelectArg2: {
        std::uint32_t arg = op == TextureOp::SelectArg1 ? arg1 : arg2;
        if (isTexture(arg) || isDiffuse(arg)) {
            mode = isTexture(arg) ? LaneMode::SelectTexture : LaneMode::SelectDiffuse;
            return true;
        }
        return false;
    }
    default: return false;
    }
}

bool SelectFastCombiner(const DrawState& s, Pipeline& p) {
    const std::uint32_t mask = s.colorWriteEnable;
    p.writeBits = ((mask & 1) ? 0x00FF0000u : 0) | ((mask & 2) ? 0x0000FF00u : 0) | ((mask & 4) ? 0x000000FFu : 0) |
                  ((mask & 8) ? 0xFF000000u : 0);
    const std::uint32_t needed = p.targetX8 ? 0x00FFFFFFu : 0xFFFFFFFFu;   // X8 targets store alpha as 0xFF anyway
    p.masked = (s.alphaTestEnable && s.alphaFunc != Compare::Always) || (p.writeBits & needed) != needed;
    for (int stage = 1; stage < p.stageCount; ++stage) {
        if (!p.stages[stage].colorPass || !p.stages[stage].alphaPass) {
            return false;
        }
    }
    if (p.stageCount == 0) {
        p.colorMode = p.alphaMode = LaneMode::SelectDiffuse;
    } else {
        const StageState& st = s.stages[0];
        if (!LaneModeOf(st.colorOp, st.colorArg1, st.colorArg2, p.stages[0].colorPass, p.colorMode) ||
            !LaneModeOf(st.alphaOp, st.alphaArg1, st.alphaArg2, p.stages[0].alphaPass, p.alphaMode)) {
            return false;
        }
    }
    p.blendKind = BlendKind::Opaque;
    p.alphaMax = false;
    if (s.alphaBlendEnable) {
        if (!BlendKindOf(s.srcBlend, s.destBlend, s.blendOp, p.blendKind)) {
            return false;
        }
        if (s.separateAlphaBlendEnable) {
            BlendKind alphaKind;
            if (s.blendOpAlpha == BlendOp::Max) {
                p.alphaMax = true;
            } else if (!BlendKindOf(s.srcBlendAlpha, s.destBlendAlpha, s.blendOpAlpha, alphaKind) ||
                       alphaKind != p.blendKind) {
                return false;
            }
        }
    }
    return true;
}


}  // namespace

void CompilePipeline(const DrawState& state, PixelFormat targetFormat, bool fastPaths, Pipeline& out) {
    out = Pipeline{};
    out.state = &state;
    out.targetX8 = targetFormat == PixelFormat::X8R8G8B8;
    while (out.stageCount < kMaxStages && state.stages[out.stageCount].colorOp != TextureOp::Disable) {
        ++out.stageCount;
    }
    for (int i = 0; i < out.stageCount; ++i) {
        const StageState& st = state.stages[i];
        StagePlan& plan = out.stages[i];
        const bool hasTexture = st.texture != nullptr && IsUsable(*st.texture);
        const bool colorReads = ReadsTexture(st.colorOp, st.colorArg1, st.colorArg2);
        const bool alphaReads = ReadsTexture(st.alphaOp, st.alphaArg1, st.alphaArg2);
        // A stage whose operation needs a missing texture acts as disabled, colour and alpha apart.
        plan.colorPass = !IsKnownOp(st.colorOp) || (colorReads && !hasTexture);
        plan.alphaPass = !IsKnownOp(st.alphaOp) || (alphaReads && !hasTexture);
        plan.samples = hasTexture && ((!plan.colorPass && colorReads) || (!plan.alphaPass && alphaReads));
        if (plan.samples) {
            plan.view = MakeTextureView(*st.texture, st.magFilter, st.addressU, st.addressV);
            out.samplingStages = i + 1;
        }
    }
    out.simd = fastPaths;
    out.fast = fastPaths && SelectFastCombiner(state, out);
}

void CombineSpan(const Pipeline& p, const SpanInputs& in) {
    if (p.fast) {
        CombineFast(p, in);
    } else {
        CombineReference(p, in);
    }
}

}  // namespace raster::detail
