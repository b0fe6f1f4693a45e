// Vector texel fetch, included once per instruction set by fast_sample.cpp inside that set's
// namespace and target region. The including code provides kLanes, the Words (32-bit lanes) and
// Halves (16-bit lanes) vector types and the operations that need the set's own instructions:
// RoundProducts, Gather, AnyEqual, Deinterleave, LoadWindows, Average, Madd, UnpackLo16/Hi16,
// UnpackLo32/Hi32 and Pack32.
//
// Every lane computes what the scalar fetch computes for its pixel: u = u0 + round(du * k) in
// 16.16 (only the low 32 bits matter, since both axes wrap by masks of at most 16 bits), then
// the two-pass bilinear blend with 8-bit fractions in exact integer arithmetic.

TW_SAMPLE Words Splat(std::uint32_t v) { return Words{} + v; }

// Blue and red of each pixel in 16-bit lanes, and green and alpha.
TW_SAMPLE Halves BlueRed(Words v) { return (Halves)(v & 0x00FF00FFu); }
TW_SAMPLE Halves GreenAlpha(Words v) { return (Halves)v >> 8; }

// (a * (256 - f) + b * f + 1) >> 1 as ((a << 8) + (b - a) * f + 1) >> 1: the sum is at most
// 65280, so the wrapping 16-bit arithmetic gives it exactly.
TW_SAMPLE Halves Across(Halves a, Halves b, Halves f) { return Average((a << 8) + (b - a) * f, Halves{}); }

// (h0 * (256 - fv) + h1 * fv + 16384) >> 15 with 32-bit sums; `wLo`, `wHi` hold each pixel's
// (256 - fv, fv) pair for the channels UnpackLo16 and UnpackHi16 bring together.
TW_SAMPLE Halves Down(Halves h0, Halves h1, Halves wLo, Halves wHi) {
    const Words lo = (Madd(UnpackLo16(h0, h1), wLo) + 16384) >> 15;
    const Words hi = (Madd(UnpackHi16(h0, h1), wHi) + 16384) >> 15;
    return Pack32(lo, hi);
}

TW_SAMPLE Words Bilinear(Words t00, Words t10, Words t01, Words t11, Words fu, Words fv) {
    const Halves across = (Halves)(fu | (fu << 16));
    const Words weights = (fv << 16) | (256 - fv);
    const Halves wLo = (Halves)UnpackLo32(weights, weights), wHi = (Halves)UnpackHi32(weights, weights);
    const Halves blueRed = Down(Across(BlueRed(t00), BlueRed(t10), across), Across(BlueRed(t01), BlueRed(t11), across),
                                wLo, wHi);
    const Halves greenAlpha = Down(Across(GreenAlpha(t00), GreenAlpha(t10), across),
                                   Across(GreenAlpha(t01), GreenAlpha(t11), across), wLo, wHi);
    return (Words)blueRed | ((Words)greenAlpha << 8);
}

TW_SAMPLE void StoreLanes(std::uint32_t* out, Words v, int valid) {
    if (__builtin_expect(valid >= kLanes, 1)) {
        std::memcpy(out, &v, sizeof v);
        return;
    }
    for (int lane = 0; lane < valid; ++lane) {   // lane by lane, so that `v` stays in a register
        out[lane] = v[lane];
    }
}

// Texels (x0, y0), (x0 + 1, y0), (x0, y0 + 1), (x0 + 1, y0 + 1) of each lane, for lanes where
// neither x0 + 1 nor y0 + 1 wraps: each row's two texels are one 64-bit load.
TW_SAMPLE void LoadPairs(const PlainTexture& t, Words x0, Words y0, Words (&texels)[4]) {
    const Words upper = y0 * t.pitch + x0;
    std::uint64_t pairs[2][kLanes];
    for (int lane = 0; lane < kLanes; ++lane) {
        const std::uint32_t* p = t.bits + upper[lane];
        std::memcpy(&pairs[0][lane], p, 8);
        std::memcpy(&pairs[1][lane], p + t.pitch, 8);
    }
    Words words[4];
    std::memcpy(words, pairs, sizeof words);
    Deinterleave(words[0], words[1], texels[0], texels[1]);
    Deinterleave(words[2], words[3], texels[2], texels[3]);
    for (Words& texel : texels) {
        texel |= t.alphaOr;
    }
}

// 4-bit channels widened to 8 bits (n * 17), lane by lane from 16-bit texels.
TW_SAMPLE Words GatherNibbles(const PlainTexture& t, Words x, Words y) {
    Words v;
    for (int lane = 0; lane < kLanes; ++lane) {
        v[lane] = t.nibbles[std::size_t(y[lane]) * t.pitch + x[lane]];
    }
    v = (v & 0x000Fu) | ((v & 0x00F0u) << 4) | ((v & 0x0F00u) << 8) | ((v & 0xF000u) << 12);
    return v | (v << 4) | t.alphaOr;
}

template <bool kNibbles>
TW_SAMPLE Words Texels(const PlainTexture& t, Words x, Words y) {
    if constexpr (kNibbles) {
        return GatherNibbles(t, x, y);
    } else {
        return Gather(t, x, y);
    }
}

template <FetchKind kKind, bool kNibbles = false>
void Fetch(const PlainTexture& texture, const TexelRun& texelRun, int first, int count, std::uint32_t* out) {
    const PlainTexture t = texture;   // locals: the stores below may not alias them
    const TexelRun run = texelRun;
    constexpr bool kLinear = kKind != FetchKind::Point;
    constexpr bool kLevel = kKind == FetchKind::LinearLevel;
    // Linear samples start from the upper-left texel centre, rounded to the 8-bit fraction.
    constexpr std::int64_t kCentre = kLinear ? kFixedOne / 2 - 128 : 0;
    const std::uint32_t u0 = std::uint32_t(run.u - kCentre), v0 = std::uint32_t(run.v - kCentre);
    // Level runs read two fixed rows (of 32-bit texels).
    const std::uint32_t levelRow = (v0 >> 16) & t.maskV;
    const std::uint32_t* const levelRows[2] = {
        kNibbles ? nullptr : t.bits + std::size_t(levelRow) * t.pitch,
        kNibbles ? nullptr : t.bits + std::size_t((levelRow + 1) & t.maskV) * t.pitch};
    const bool descending = run.du < 0;
    for (int i = 0; i < count; i += kLanes) {
        const Words u = u0 + RoundProducts(run.du, first + i);
        const Words v = kLevel ? Splat(v0) : v0 + RoundProducts(run.dv, first + i);
        const Words x0 = (u >> 16) & t.maskU, y0 = (v >> 16) & t.maskV;
        if constexpr (!kLinear) {
            StoreLanes(out + i, Texels<kNibbles>(t, x0, y0), count - i);
        } else {
            Words texels[4];
            bool loaded = false;
            if constexpr (!kNibbles) {
                loaded = kLevel && LoadWindows(t, levelRows, x0, descending, texels);
                if (!loaded && __builtin_expect(!AnyEqual(x0, t.maskU, y0, t.maskV), 1)) {
                    LoadPairs(t, x0, y0, texels);
                    loaded = true;
                }
            }
            if (!loaded) {   // 4-bit texels, or a neighbour wraps to the other side of the texture
                const Words x1 = (x0 + 1) & t.maskU, y1 = (y0 + 1) & t.maskV;
                texels[0] = Texels<kNibbles>(t, x0, y0), texels[1] = Texels<kNibbles>(t, x1, y0);
                texels[2] = Texels<kNibbles>(t, x0, y1), texels[3] = Texels<kNibbles>(t, x1, y1);
            }
            StoreLanes(out + i, Bilinear(texels[0], texels[1], texels[2], texels[3], (u >> 8) & 255, (v >> 8) & 255),
                       count - i);
        }
    }
}

const FetchTable kFetchTable = {Fetch<FetchKind::Point>, Fetch<FetchKind::Linear>, Fetch<FetchKind::LinearLevel>,
                                Fetch<FetchKind::Point, true>, Fetch<FetchKind::Linear, true>};
