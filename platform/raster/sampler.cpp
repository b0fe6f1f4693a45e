#include "platform/raster/sampler.h"

#include "platform/raster/pipeline.h"
#include "platform/raster/pixel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>

namespace raster::detail {

namespace {

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

std::int64_t PositiveMod(std::int64_t i, std::int64_t size) {
    std::int64_t m = i % size;
    return m < 0 ? m + size : m;
}

// Reads texels of one image; the coordinates are already addressed (-1: border colour).
struct TexelReader {
    const std::uint8_t* bits;
    std::ptrdiff_t pitch;
    int bytesPerPixel;
    PixelFormat format;
    bool is32;
    std::uint32_t alphaOr;

    explicit TexelReader(const TextureView& view)
        : bits(view.image->bits), pitch(view.image->pitch), bytesPerPixel(FormatBytes(view.image->format)),
          format(view.image->format), is32(view.is32), alphaOr(view.alphaOr) {}

    std::uint32_t operator()(int x, int y) const {
        if (x < 0 || y < 0) {
            return 0;   // border colour: transparent black
        }
        const std::uint8_t* p = bits + y * pitch + std::ptrdiff_t(x) * bytesPerPixel;
        return is32 ? (Load32(p) | alphaOr) : DecodePixel(format, p);
    }
};

// Addressing of one axis; WRAP on a power-of-two size, the engine's case, is a mask.
struct Axis {
    int size;
    Address mode;
    bool maskOnly;

    Axis(int size, Address mode)
        : size(size), mode(mode), maskOnly((mode != Address::Clamp && mode != Address::Border &&
                                            mode != Address::Mirror && mode != Address::MirrorOnce) &&
                                           IsPowerOfTwo(size)) {}

    int operator()(std::int64_t i) const { return maskOnly ? int(i & (size - 1)) : AddressTexel(i, size, mode); }
};

#if defined(__SSE2__)
inline std::uint32_t BilinearSse2(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01, std::uint32_t t11, int fu,
                                  int fv) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wu = _mm_set1_epi32((fu << 16) | (256 - fu));
    const __m128i wv = _mm_set1_epi32((fv << 16) | (256 - fv));
    __m128i row0 = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(t00)), _mm_cvtsi32_si128(int(t10))), zero);
    __m128i row1 = _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(t01)), _mm_cvtsi32_si128(int(t11))), zero);
    const __m128i one = _mm_set1_epi32(1);
    __m128i h0 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(row0, wu), one), 1);
    __m128i h1 = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(row1, wu), one), 1);
    __m128i packed = _mm_packs_epi32(h0, h1);
    __m128i pairs = _mm_unpacklo_epi16(packed, _mm_srli_si128(packed, 8));
    __m128i sum = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, wv), _mm_set1_epi32(16384)), 15);
    sum = _mm_packs_epi32(sum, sum);
    return std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(sum, sum)));
}
#endif

// kPlain: 32-bit texels and both axes wrapped by masks, so no border and no format decoding.
// kLevel: v does not change along the span (no rotation), so the two rows are fixed.
template <bool kSimd, bool kPlain, bool kLevel = false>
void FetchLinear(const TextureView& view, const TexelRun& run, int first, int count, std::uint32_t* out) {
    const TexelReader texel(view);
    const Axis axisU(view.image->width, view.addressU), axisV(view.image->height, view.addressV);
    const int maskU = view.image->width - 1, maskV = view.image->height - 1;
    // Position of the upper-left texel centre, rounded to the 8-bit filter fraction.
    const std::int64_t u0 = run.u - (kFixedOne / 2 - 128);
    const std::int64_t v0 = run.v - (kFixedOne / 2 - 128);
    const std::uint8_t* levelRow0 = texel.bits + (int(v0 >> kFixedShift) & maskV) * texel.pitch;
    const std::uint8_t* levelRow1 = texel.bits + (int((v0 >> kFixedShift) + 1) & maskV) * texel.pitch;
    for (int i = 0; i < count; ++i) {
        const std::int64_t u = u0 + RoundToInt64(run.du * (first + i));
        const std::int64_t v = kLevel ? v0 : v0 + RoundToInt64(run.dv * (first + i));
        const std::int64_t iu = u >> kFixedShift, iv = v >> kFixedShift;
        const int fu = int((u >> 8) & 255), fv = int((v >> 8) & 255);
        std::uint32_t t00, t10, t01, t11;
        if constexpr (kPlain) {
            const int x0 = int(iu) & maskU, x1 = int(iu + 1) & maskU;
            const std::uint8_t* row0 = kLevel ? levelRow0 : texel.bits + (int(iv) & maskV) * texel.pitch;
            const std::uint8_t* row1 = kLevel ? levelRow1 : texel.bits + (int(iv + 1) & maskV) * texel.pitch;
            t00 = Load32(row0 + x0 * 4) | texel.alphaOr;
            t10 = Load32(row0 + x1 * 4) | texel.alphaOr;
            t01 = Load32(row1 + x0 * 4) | texel.alphaOr;
            t11 = Load32(row1 + x1 * 4) | texel.alphaOr;
        } else {
            const int x0 = axisU(iu), x1 = axisU(iu + 1), y0 = axisV(iv), y1 = axisV(iv + 1);
            t00 = texel(x0, y0), t10 = texel(x1, y0), t01 = texel(x0, y1), t11 = texel(x1, y1);
        }
#if defined(__SSE2__)
        if constexpr (kSimd) {
            out[i] = BilinearSse2(t00, t10, t01, t11, fu, fv);
            continue;
        }
#endif
        out[i] = Bilinear(t00, t10, t01, t11, fu, fv);
    }
}

}  // namespace

TextureView MakeTextureView(const Image& image, Filter filter, Address addressU, Address addressV) {
    TextureView view{};
    view.image = &image;
    view.linear = filter == Filter::Linear || filter == Filter::Anisotropic;
    view.addressU = addressU;
    view.addressV = addressV;
    view.is32 = image.format == PixelFormat::A8R8G8B8 || image.format == PixelFormat::X8R8G8B8;
    view.alphaOr = image.format == PixelFormat::X8R8G8B8 ? 0xFF000000u : 0;
    return view;
}

int AddressTexel(std::int64_t i, int size, Address mode) {
    switch (mode) {
    case Address::Clamp: return int(i < 0 ? 0 : (i >= size ? size - 1 : i));
    case Address::Border: return (i < 0 || i >= size) ? -1 : int(i);
    case Address::Mirror: {
        std::int64_t m = PositiveMod(i, 2 * std::int64_t(size));
        return int(m < size ? m : 2 * std::int64_t(size) - 1 - m);
    }
    case Address::MirrorOnce: {
        std::int64_t m = i < 0 ? -i - 1 : i;
        return int(m >= size ? size - 1 : m);
    }
    default:
        if (IsPowerOfTwo(size)) {
            return int(i & (size - 1));
        }
        return int(PositiveMod(i, size));
    }
}

std::uint32_t Bilinear(std::uint32_t t00, std::uint32_t t10, std::uint32_t t01, std::uint32_t t11, int fu, int fv) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int c00 = int((t00 >> shift) & 255), c10 = int((t10 >> shift) & 255);
        int c01 = int((t01 >> shift) & 255), c11 = int((t11 >> shift) & 255);
        // The row sums are halved to 15 bits so that the vector form fits signed 16-bit multiplies.
        int h0 = (c00 * (256 - fu) + c10 * fu + 1) >> 1;
        int h1 = (c01 * (256 - fu) + c11 * fu + 1) >> 1;
        int c = (h0 * (256 - fv) + h1 * fv + 16384) >> 15;
        result |= std::uint32_t(c) << shift;
    }
    return result;
}

void FetchTexels(const TextureView& view, const TexelRun& run, int first, int count, std::uint32_t* out, bool simd) {
    if (simd && FetchTexelsVector(view, run, first, count, out)) {
        return;
    }
    if (view.linear) {
        const bool plain = view.is32 && Axis(view.image->width, view.addressU).maskOnly &&
                           Axis(view.image->height, view.addressV).maskOnly;
        if (simd && plain && run.dv == 0) {
            FetchLinear<true, true, true>(view, run, first, count, out);
        } else if (simd) {
            plain ? FetchLinear<true, true>(view, run, first, count, out)
                  : FetchLinear<true, false>(view, run, first, count, out);
        } else {
            plain ? FetchLinear<false, true>(view, run, first, count, out)
                  : FetchLinear<false, false>(view, run, first, count, out);
        }
        return;
    }
    const TexelReader texel(view);
    const Axis axisU(view.image->width, view.addressU), axisV(view.image->height, view.addressV);
    for (int i = 0; i < count; ++i) {
        const std::int64_t u = run.u + RoundToInt64(run.du * (first + i));
        const std::int64_t v = run.v + RoundToInt64(run.dv * (first + i));
        out[i] = texel(axisU(u >> kFixedShift), axisV(v >> kFixedShift));
    }
}

namespace {

// Where pixels first .. first + count - 1 of `run` sample one texel each, left to right, from
// one row: the first texel (count shortened to the row's end); false elsewhere.
bool UnitRun(const TextureView& view, const TexelRun& run, int first, int& count, int& x, int& y) {
    const Image& image = *view.image;
    if (run.du != double(kFixedOne) || run.dv != 0) {
        return false;
    }
    // With these steps pixel i samples exactly run.u + i texels, the same as FetchTexels. LINEAR
    // qualifies where every sample sits on a texel centre: both filter fractions are zero, and
    // the blend returns the upper-left texel unchanged.
    std::int64_t u = run.u, v = run.v;
    if (view.linear) {
        u -= kFixedOne / 2 - 128;
        v -= kFixedOne / 2 - 128;
        if (((u >> 8) & 255) != 0 || ((v >> 8) & 255) != 0) {
            return false;
        }
    }
    const std::int64_t iu = (u >> kFixedShift) + first;
    const std::int64_t iv = v >> kFixedShift;
    x = AddressTexel(iu, image.width, view.addressU);
    y = AddressTexel(iv, image.height, view.addressV);
    // Only where addressing leaves the coordinate as it is, or wraps it by whole periods.
    bool wraps = view.addressU == Address::Wrap;
    if (x < 0 || y < 0 || (!wraps && x != iu)) {
        return false;
    }
    int remaining = image.width - x;
    if (remaining < count) {
        count = remaining;
    }
    return true;
}

}  // namespace

const std::uint32_t* DirectTexels(const TextureView& view, const TexelRun& run, int first, int& count) {
    const Image& image = *view.image;
    int x = 0, y = 0;
    if (!view.is32 || !IsDirect32(image) || !UnitRun(view, run, first, count, x, y)) {
        return nullptr;
    }
    return reinterpret_cast<const std::uint32_t*>(PixelAddress(image, x, y));
}

void ConvertNibbleRow(const std::uint8_t* row, int count, bool noAlpha, std::uint32_t* out) {
    const std::uint32_t alphaOr = noAlpha ? 0xFF000000u : 0;
    // Each nibble into the low half of its byte, then n * 17 = n | n << 4 in every byte.
    auto widen = [alphaOr](auto t) {
        const auto spread = ((t & 0xF000u) << 12) | ((t & 0x0F00u) << 8) | ((t & 0x00F0u) << 4) | (t & 0x000Fu);
        return (spread | (spread << 4)) | alphaOr;
    };
    typedef std::uint16_t Texels4 __attribute__((vector_size(8)));
    typedef std::uint32_t Words4 __attribute__((vector_size(16)));
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Texels4 texels;
        std::memcpy(&texels, row + 2 * i, sizeof texels);
        const Words4 words = widen(__builtin_convertvector(texels, Words4));
        std::memcpy(out + i, &words, sizeof words);
    }
    for (; i < count; ++i) {
        std::uint16_t texel;
        std::memcpy(&texel, row + 2 * i, 2);
        out[i] = widen(std::uint32_t(texel));
    }
}

const std::uint32_t* ConvertedTexels(const TextureView& view, const TexelRun& run, int first, int& count,
                                     std::uint32_t* out) {
    const Image& image = *view.image;
    const bool x4 = image.format == PixelFormat::X4R4G4B4;
    int x = 0, y = 0;
    if ((image.format != PixelFormat::A4R4G4B4 && !x4) || !UnitRun(view, run, first, count, x, y)) {
        return nullptr;
    }
    if (count > kSpanChunk) {
        count = kSpanChunk;
    }
    ConvertNibbleRow(PixelAddress(image, x, y), count, x4, out);
    return out;
}

}  // namespace raster::detail
