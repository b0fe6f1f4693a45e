// Vector combiners, included once per instruction set by fast_combine.cpp inside that set's
// namespace and target region. The including code provides kLanes (pixels per vector), the
// Pixels (32-bit lanes), Lanes (16-bit), Signed (16-bit), Ints and Floats (32-bit) vector types,
// MulHi, the high half of a 16-bit product, Rounded, which keeps a float result from being
// fused with the next operation, Clamp255, the scalar form's clamp to 0..255 (NaN gives 0),
// Texels16 (kLanes 16-bit texels), LoadPart, StorePart and LoadTexelsPart, which touch only the
// first n lanes' memory, AllZero, whether every bit of a vector is clear, and TW_ENTRY, the
// target attribute of the entry points.
//
// Channels are worked on in 16-bit lanes without unpacking: one vector holds blue and red of
// each pixel, another green and alpha. The stage and blend operations are exact integer
// arithmetic equal to the reference path's formulas; values compared as Signed stay below 32768.
// The colour interpolation repeats the span loop's single-precision steps lane by lane.

TW_KERNEL Pixels Load(const std::uint32_t* p) {
    Pixels v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

TW_KERNEL void Store(std::uint32_t* p, Pixels v) { std::memcpy(p, &v, sizeof v); }

TW_KERNEL Pixels Splat(std::uint32_t argb) { return Pixels{} + argb; }
TW_KERNEL Lanes All(std::uint16_t v) { return Lanes{} + v; }

// Blue and red (even lanes blue), and green and alpha (even lanes green).
TW_KERNEL Lanes BlueRed(Pixels v) { return (Lanes)(v & 0x00FF00FFu); }
TW_KERNEL Lanes GreenAlpha(Pixels v) { return (Lanes)v >> 8; }
TW_KERNEL Pixels Join(Lanes blueRed, Lanes greenAlpha) { return (Pixels)blueRed | ((Pixels)greenAlpha << 8); }

// A lane pattern: `even` in the even lanes, `odd` in the odd ones.
TW_KERNEL Lanes Pattern(std::uint16_t even, std::uint16_t odd) {
    return (Lanes)Splat(std::uint32_t(even) | (std::uint32_t(odd) << 16));
}

TW_KERNEL Lanes Pick(Signed m, Lanes yes, Lanes no) { return m ? yes : no; }

// round(x / 255) for x <= 65280: ((x + 128) * 257) >> 16 is the scalar ((t + (t >> 8)) >> 8).
TW_KERNEL Lanes Div255(Lanes x) { return MulHi(x + 128, All(257)); }

TW_KERNEL Lanes Min255(Lanes x) {   // x < 32768
    const Signed v = (Signed)x;
    return (Lanes)(v < 255 ? v : 255);
}

TW_KERNEL Lanes Max(Lanes a, Lanes b) {   // a, b < 32768
    const Signed x = (Signed)a, y = (Signed)b;
    return (Lanes)(x > y ? x : y);
}

TW_KERNEL Lanes SubtractClamped(Lanes a, Lanes b) {   // max(0, a - b) for a, b <= 255
    const Signed d = (Signed)(a - b);
    return (Lanes)(d > 0 ? d : 0);
}

// min(255, round(2x / 255)) from the quotient k and remainder r of x / 255 (x <= 65025).
TW_KERNEL Lanes Modulate2x(Lanes x) {
    const Lanes k = MulHi(x + 1, All(257));
    const Signed r = (Signed)(x - k * 255);
    const Lanes q = k + k - (Lanes)(r > 63) - (Lanes)(r > 191);
    return Min255(q);
}

// Alpha of each pixel in both of its lanes, from a green-alpha vector.
TW_KERNEL Lanes AlphaOf(Lanes greenAlpha) {
    const Pixels a = (Pixels)greenAlpha >> 16;
    return (Lanes)(a | (a << 16));
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

// The source colour of a group of pixels, blended over `destination` (words as stored, with
// the target's alpha bits already set where it has none).
template <BlendKind kKind, bool kAlphaMax>
TW_KERNEL Pixels BlendGroup(Lanes sourceBlueRed, Lanes sourceGreenAlpha, Pixels destination) {
    const Lanes dga = GreenAlpha(destination);
    const Lanes as = AlphaOf(sourceGreenAlpha);
    const Lanes br = BlendLanes<kKind>(sourceBlueRed, as, BlueRed(destination));
    Lanes ga = BlendLanes<kKind>(sourceGreenAlpha, as, dga);
    if constexpr (kAlphaMax) {
        ga = Pick((Signed)Pattern(0, 0xFFFF), Max(sourceGreenAlpha, dga), ga);
    }
    return Join(br, ga);
}

// The stage operation per lane: texel times a multiplier (diffuse, 255 or 0), rounded once or
// doubled, plus diffuse where the lane selects it.
struct GroupMasks {
    Lanes mulDiffuse;   // lanes multiplying the texel by diffuse
    Lanes mul255;       // 255 in lanes selecting the texel
    Lanes addDiffuse;   // lanes selecting diffuse
    Signed twoX;        // lanes doubling the product
};

struct StageMasks {
    GroupMasks blueRed, greenAlpha;
};

TW_KERNEL GroupMasks MakeGroupMasks(LaneMode even, LaneMode odd) {
    auto ones = [](bool on) { return std::uint16_t(on ? 0xFFFF : 0); };
    auto multiplies = [](LaneMode m) { return m == LaneMode::Modulate || m == LaneMode::Modulate2X; };
    return {Pattern(ones(multiplies(even)), ones(multiplies(odd))),
            Pattern(even == LaneMode::SelectTexture ? 255 : 0, odd == LaneMode::SelectTexture ? 255 : 0),
            Pattern(ones(even == LaneMode::SelectDiffuse), ones(odd == LaneMode::SelectDiffuse)),
            (Signed)Pattern(ones(even == LaneMode::Modulate2X), ones(odd == LaneMode::Modulate2X))};
}

TW_KERNEL StageMasks MakeStageMasks(const StageModes& modes) {
    return {MakeGroupMasks(modes.color, modes.color), MakeGroupMasks(modes.color, modes.alpha)};
}

struct GroupTerms {
    Lanes multiplier, addend;
};

TW_KERNEL GroupTerms TermsOf(const GroupMasks& m, Lanes diffuse) {
    return {(diffuse & m.mulDiffuse) | m.mul255, diffuse & m.addDiffuse};
}

template <bool kTwoX>
TW_KERNEL Lanes StageGroup(const GroupMasks& m, const GroupTerms& terms, Lanes texel) {
    const Lanes x = texel * terms.multiplier;
    Lanes c = Div255(x);
    if constexpr (kTwoX) {
        c = Pick(m.twoX, Modulate2x(x), c);
    }
    return c + terms.addend;
}

// Runs `group(i, destination + i)` over the span; the last partial group works on a copy.
template <class Group>
TW_KERNEL void ForEachGroup(int count, std::uint32_t* destination, Group group) {
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        group(i, destination + i);
    }
    if (i < count) {
        std::uint32_t d[kLanes] = {};
        std::memcpy(d, destination + i, std::size_t(count - i) * 4);
        group(i, d);
        std::memcpy(destination + i, d, std::size_t(count - i) * 4);
    }
}

// Pixels i .. i + kLanes - 1 of a source with step 1, never reading past `count`.
TW_KERNEL Pixels LoadRun(const std::uint32_t* p, int i, int count) {
    if (i + kLanes <= count) {
        return Load(p + i);
    }
    std::uint32_t tail[kLanes] = {};
    std::memcpy(tail, p + i, std::size_t(count - i) * 4);
    return Load(tail);
}

TW_KERNEL Pixels LoadSource(const std::uint32_t* p, int step, int i, int count) {
    return step == 0 ? Splat(p[0]) : LoadRun(p, i, count);
}

// Source colours, into `out`, for any diffuse and specular.
template <bool kTwoX, bool kSpecular>
void StageEntry(const StageModes& modes, const StageArgs& args) {
    const StageArgs a = args;   // locals: the stores below may not alias them
    const StageMasks m = MakeStageMasks(modes);
    const Pixels texelOr = Splat(a.texelOr);
    ForEachGroup(a.count, a.out, [&](int i, std::uint32_t* out) {
        const Pixels t = LoadRun(a.texel, i, a.count) | texelOr;
        const Pixels d = LoadSource(a.diffuse, a.diffuseStep, i, a.count);
        const Pixels s = LoadSource(a.specular, a.specularStep, i, a.count) & 0x00FFFFFFu;
        Lanes br = StageGroup<kTwoX>(m.blueRed, TermsOf(m.blueRed, BlueRed(d)), BlueRed(t));
        Lanes ga = StageGroup<kTwoX>(m.greenAlpha, TermsOf(m.greenAlpha, GreenAlpha(d)), GreenAlpha(t));
        if constexpr (kSpecular) {
            br = Min255(br + BlueRed(s));
            ga = Min255(ga + GreenAlpha(s));
        }
        Store(out, Join(br, ga));
    });
}

template <BlendKind kKind, bool kAlphaMax>
void BlendEntry(const BlendArgs& args) {
    const BlendArgs a = args;
    const Pixels sourceOr = Splat(a.sourceOr);
    const Pixels destinationOr = Splat(a.destinationOr);
    auto blend = [&](Pixels s, std::uint32_t* out) {
        Store(out, BlendGroup<kKind, kAlphaMax>(BlueRed(s), GreenAlpha(s), Load(out) | destinationOr) | destinationOr);
    };
    if (a.sourceStep == 0) {
        const Pixels s = Splat(a.source[0] | a.sourceOr);
        ForEachGroup(a.count, a.destination, [&](int, std::uint32_t* out) { blend(s, out); });
    } else {
        ForEachGroup(a.count, a.destination,
                     [&](int i, std::uint32_t* out) { blend(LoadRun(a.source, i, a.count) | sourceOr, out); });
    }
}

// Stage and blend in one pass for one diffuse colour and no specular, the engine's sprites.
// StageForm::ColorPasses: the colour channels are the texel's own (texel times white).
template <BlendKind kKind, bool kAlphaMax, StageForm kForm>
void FusedEntry(const StageModes& modes, const StageArgs& args) {
    constexpr bool kTwoX = kForm == StageForm::TwoX;
    const StageArgs a = args;   // `out` is the destination here
    const StageMasks m = MakeStageMasks(modes);
    const Pixels d = Splat(a.diffuse[0]);
    const GroupTerms blueRed = TermsOf(m.blueRed, BlueRed(d)), greenAlpha = TermsOf(m.greenAlpha, GreenAlpha(d));
    const Pixels texelOr = Splat(a.texelOr);
    const Pixels destinationOr = Splat(a.destinationOr);
    ForEachGroup(a.count, a.out, [&](int i, std::uint32_t* out) {
        const Pixels t = LoadRun(a.texel, i, a.count) | texelOr;
        const Lanes br =
            kForm == StageForm::ColorPasses ? BlueRed(t) : StageGroup<kTwoX>(m.blueRed, blueRed, BlueRed(t));
        const Lanes ga = StageGroup<kTwoX>(m.greenAlpha, greenAlpha, GreenAlpha(t));
        Store(out, BlendGroup<kKind, kAlphaMax>(br, ga, Load(out) | destinationOr) | destinationOr);
    });
}

// 4-bit channels widened to 8 (n * 17 = n | n << 4 in every byte).
TW_KERNEL Pixels Widen(Texels16 texels) {
    const Pixels t = __builtin_convertvector(texels, Pixels);
    const Pixels spread = ((t & 0xF000u) << 12) | ((t & 0x0F00u) << 8) | ((t & 0x00F0u) << 4) | (t & 0x000Fu);
    return spread | (spread << 4);
}

TW_KERNEL Texels16 LoadTexels16(const std::uint8_t* p) {
    Texels16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Pixels i .. i + n - 1 of a texel row (n <= kLanes; lanes past n are zero).
template <bool kNibbles>
TW_KERNEL Pixels RowTexels(const std::uint8_t* row, int i, int n) {
    if constexpr (kNibbles) {
        return Widen(n == kLanes ? LoadTexels16(row + 2 * i) : LoadTexelsPart(row + 2 * i, n));
    } else {
        const std::uint32_t* words = reinterpret_cast<const std::uint32_t*>(row) + i;
        return n == kLanes ? Load(words) : LoadPart(words, n);
    }
}

struct RectTerms {
    StageMasks masks;
    GroupTerms blueRed, greenAlpha;
    Pixels texelOr, destinationOr;
};

// The staged source of one group of a rectangle, in form kForm, as FusedEntry and (for
// StageForm::Texel) BlendEntry give it.
struct StagedGroup {
    Lanes blueRed, greenAlpha;
};

template <StageForm kForm>
TW_KERNEL StagedGroup StageRectGroup(const RectTerms& r, Pixels texels) {
    constexpr bool kTwoX = kForm == StageForm::TwoX;
    const Pixels t = texels | r.texelOr;
    if constexpr (kForm == StageForm::Texel) {
        return {BlueRed(t), GreenAlpha(t)};
    } else {
        const Lanes blueRed =
            kForm == StageForm::ColorPasses ? BlueRed(t) : StageGroup<kTwoX>(r.masks.blueRed, r.blueRed, BlueRed(t));
        return {blueRed, StageGroup<kTwoX>(r.masks.greenAlpha, r.greenAlpha, GreenAlpha(t))};
    }
}

template <BlendKind kKind, bool kAlphaMax>
TW_KERNEL Pixels BlendRectGroup(const RectTerms& r, const StagedGroup& s, Pixels destination) {
    return BlendGroup<kKind, kAlphaMax>(s.blueRed, s.greenAlpha, destination | r.destinationOr) | r.destinationOr;
}

// Blends that leave the destination exactly as it is under a source of alpha 0 (round(d * 255 / 255)
// is d, and the greater alpha is the destination's): a glyph cell is mostly clear, and its clear
// groups need neither the destination's load nor a store.
template <BlendKind kKind>
constexpr bool kClearSourceKeeps =
    kKind == BlendKind::Alpha || kKind == BlendKind::Additive || kKind == BlendKind::RevSubtract;

TW_KERNEL bool ClearSource(const StagedGroup& s) { return AllZero((Pixels)s.greenAlpha & 0xFFFF0000u); }

// The low halves of two vectors as one (a's in the low lanes), and the high half of one moved down.
template <std::size_t... I>
TW_KERNEL Pixels JoinLowHalves(Pixels a, Pixels b, std::index_sequence<I...>) {
    return __builtin_shufflevector(a, b, int(I < kLanes / 2 ? I : I - kLanes / 2 + kLanes)...);
}
template <std::size_t... I>
TW_KERNEL Pixels HighHalfDown(Pixels v, std::index_sequence<I...>) {
    return __builtin_shufflevector(v, v, int(I < kLanes / 2 ? I + kLanes / 2 : I)...);
}

// A whole rectangle: set up once, then per row the texels and the blend, the last group of a row
// through partial loads and stores; where that group is at most half a vector, the last groups
// of two rows are shaded as one.
template <BlendKind kKind, bool kAlphaMax, StageForm kForm, bool kNibbles>
TW_ENTRY void RectEntry(const StageModes& modes, const RectInputs& args, std::uint32_t destinationOr) {
    const RectInputs a = args;   // locals: the stores below may not alias them
    RectTerms r;
    r.masks = MakeStageMasks(modes);
    const Pixels d = Splat(a.diffuse);
    r.blueRed = TermsOf(r.masks.blueRed, BlueRed(d));
    r.greenAlpha = TermsOf(r.masks.greenAlpha, GreenAlpha(d));
    r.texelOr = Splat(a.texelOr);
    r.destinationOr = Splat(destinationOr);
    // Alpha bits the target lacks are set in every pixel written, so clear groups are skipped only
    // where there are none.
    const bool skipClear = kClearSourceKeeps<kKind> && destinationOr == 0;
    auto shadeWhole = [&](const std::uint8_t* texels, std::uint32_t* out, int i) {
        const StagedGroup s = StageRectGroup<kForm>(r, RowTexels<kNibbles>(texels, i, kLanes));
        if (!(skipClear && ClearSource(s))) {
            Store(out + i, BlendRectGroup<kKind, kAlphaMax>(r, s, Load(out + i)));
        }
    };
    const int whole = a.count - a.count % kLanes;
    const int tail = a.count - whole;
    int row = 0;
    if (tail != 0 && tail <= kLanes / 2) {
        constexpr auto kIndices = std::make_index_sequence<kLanes>();
        for (; row + 1 < a.rows; row += 2) {
            const std::uint8_t* texels = a.texels + row * a.texelPitch;
            const std::uint8_t* texelsNext = texels + a.texelPitch;
            std::uint32_t* out = reinterpret_cast<std::uint32_t*>(a.destination + row * a.destinationPitch);
            std::uint32_t* outNext = reinterpret_cast<std::uint32_t*>(a.destination + (row + 1) * a.destinationPitch);
            for (int i = 0; i < whole; i += kLanes) {
                shadeWhole(texels, out, i);
                shadeWhole(texelsNext, outNext, i);
            }
            const StagedGroup s = StageRectGroup<kForm>(
                r, JoinLowHalves(RowTexels<kNibbles>(texels, whole, tail), RowTexels<kNibbles>(texelsNext, whole, tail),
                                 kIndices));
            if (skipClear && ClearSource(s)) {
                continue;
            }
            const Pixels d = JoinLowHalves(LoadPart(out + whole, tail), LoadPart(outNext + whole, tail), kIndices);
            const Pixels shaded = BlendRectGroup<kKind, kAlphaMax>(r, s, d);
            StorePart(out + whole, shaded, tail);
            StorePart(outNext + whole, HighHalfDown(shaded, kIndices), tail);
        }
    }
    for (; row < a.rows; ++row) {
        const std::uint8_t* texels = a.texels + row * a.texelPitch;
        std::uint32_t* out = reinterpret_cast<std::uint32_t*>(a.destination + row * a.destinationPitch);
        for (int i = 0; i < whole; i += kLanes) {
            shadeWhole(texels, out, i);
        }
        if (tail != 0) {
            const StagedGroup s = StageRectGroup<kForm>(r, RowTexels<kNibbles>(texels, whole, tail));
            if (!(skipClear && ClearSource(s))) {
                StorePart(out + whole, BlendRectGroup<kKind, kAlphaMax>(r, s, LoadPart(out + whole, tail)), tail);
            }
        }
    }
}

template <class Vector>
TW_KERNEL Vector Iota() {
    Vector v = {};
    for (int lane = 0; lane < kLanes; ++lane) {
        v[lane] = lane;
    }
    return v;
}

void InterpolateEntry(const float (&startIn)[4], const float (&stepIn)[4], int offset, int count,
                      std::uint32_t* out) {
    float start[4], step[4];   // locals: the stores below may not alias them
    std::memcpy(start, startIn, sizeof start);
    std::memcpy(step, stepIn, sizeof step);
    const Ints lanes = Iota<Ints>();
    for (int i = 0; i < count; i += kLanes) {
        const Floats pixel = __builtin_convertvector(lanes + (offset + i), Floats);   // exact below 2^24
        Pixels packed = {};
        for (int ch = 0; ch < 4; ++ch) {
            // Product and sum rounded apart, as in the scalar form: never fused into one operation.
            const Floats value = Clamp255(start[ch] + Rounded(step[ch] * pixel));
            packed |= (Pixels)__builtin_convertvector(value + 0.5f, Ints) << (8 * ch);
        }
        if (i + kLanes <= count) {
            Store(out + i, packed);
        } else {
            for (int lane = 0; lane < count - i; ++lane) {
                out[i + lane] = packed[lane];
            }
        }
    }
}

#define TW_EACH_KIND(M)                                                                                       \
    {M(BlendKind::Opaque), M(BlendKind::Alpha), M(BlendKind::Additive), M(BlendKind::RevSubtract),           \
     M(BlendKind::Multiply), M(BlendKind::Exclusion), M(BlendKind::Screen), M(BlendKind::Subtract)}
#define TW_BLEND(Kind) {BlendEntry<Kind, false>, BlendEntry<Kind, true>}
#define TW_FUSED_FORMS(Kind, Max) \
    {FusedEntry<Kind, Max, StageForm::Plain>, FusedEntry<Kind, Max, StageForm::TwoX>, \
     FusedEntry<Kind, Max, StageForm::ColorPasses>}
#define TW_FUSED(Kind) {TW_FUSED_FORMS(Kind, false), TW_FUSED_FORMS(Kind, true)}

#define TW_RECT_FORM(Kind, Max, Form) {RectEntry<Kind, Max, Form, false>, RectEntry<Kind, Max, Form, true>}
#define TW_RECT_FORMS(Kind, Max)                                                                        \
    {TW_RECT_FORM(Kind, Max, StageForm::Plain), TW_RECT_FORM(Kind, Max, StageForm::TwoX),              \
     TW_RECT_FORM(Kind, Max, StageForm::ColorPasses), TW_RECT_FORM(Kind, Max, StageForm::Texel)}
#define TW_RECT(Kind) {TW_RECT_FORMS(Kind, false), TW_RECT_FORMS(Kind, true)}

const KernelTable kKernels = {
    {{StageEntry<false, false>, StageEntry<false, true>}, {StageEntry<true, false>, StageEntry<true, true>}},
    TW_EACH_KIND(TW_BLEND),
    TW_EACH_KIND(TW_FUSED),
    InterpolateEntry,
    TW_EACH_KIND(TW_RECT),
};

#undef TW_RECT
#undef TW_RECT_FORMS
#undef TW_RECT_FORM

#undef TW_FUSED
#undef TW_FUSED_FORMS
#undef TW_BLEND
#undef TW_EACH_KIND
