#include "media/movie_renderer.h"

#include "foundation/mutex.h"
#include "graphics/texture_movie.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Each row is converted in one pass with no per-pixel branching: four source pixels (twelve
// bytes) are taken as three 32-bit words and split into four pixels at a time, which keeps the
// copy within a few times a plain memory copy.
inline std::uint32_t LoadWord(const BYTE* at)
{
    std::uint32_t word;
    std::memcpy(&word, at, 4);
    return word;
}

// Calls `put(index, pixel)` with each pixel of the row as 0x00RRGGBB.
template <typename Put>
inline void ForEachPixel(const BYTE* source, LONG width, Put put)
{
    LONG x = 0;
    for (; x + 4 <= width; x += 4, source += 12) {
        const std::uint32_t w0 = LoadWord(source);
        const std::uint32_t w1 = LoadWord(source + 4);
        const std::uint32_t w2 = LoadWord(source + 8);
        put(x, w0 & 0xFFFFFFu);
        put(x + 1, ((w0 >> 24) | (w1 << 8)) & 0xFFFFFFu);
        put(x + 2, ((w1 >> 16) | (w2 << 16)) & 0xFFFFFFu);
        put(x + 3, w2 >> 8);
    }
    for (; x < width; ++x, source += 3)
        put(x, static_cast<std::uint32_t>(source[0]) | (static_cast<std::uint32_t>(source[1]) << 8) |
                   (static_cast<std::uint32_t>(source[2]) << 16));
}

void RowToX8R8G8B8(const BYTE* source, BYTE* destination, LONG width)
{
    ForEachPixel(source, width, [destination](LONG x, std::uint32_t rgb) {
        const std::uint32_t pixel = 0xFF000000u | rgb;
        std::memcpy(destination + x * 4, &pixel, 4);
    });
}

void RowToA1R5G5B5(const BYTE* source, BYTE* destination, LONG width)
{
    ForEachPixel(source, width, [destination](LONG x, std::uint32_t rgb) {
        // 0x8000 + (red & 0xF8) * 128 + (green & 0xF8) * 4 + blue / 8
        const auto pixel = static_cast<std::uint16_t>(0x8000u | ((rgb >> 9) & 0x7C00u) | ((rgb >> 6) & 0x03E0u) |
                                                      ((rgb >> 3) & 0x001Fu));
        std::memcpy(destination + x * 2, &pixel, 2);
    });
}

void RowToA4R4G4B4(const BYTE* source, BYTE* destination, LONG width)
{
    ForEachPixel(source, width, [destination](LONG x, std::uint32_t rgb) {
        // 0xF000 + (red & 0xF0) * 16 + (green & 0xF0) + blue / 16
        const auto pixel = static_cast<std::uint16_t>(0xF000u | ((rgb >> 12) & 0x0F00u) | ((rgb >> 8) & 0x00F0u) |
                                                      ((rgb >> 4) & 0x000Fu));
        std::memcpy(destination + x * 2, &pixel, 2);
    });
}

#if defined(__x86_64__) || defined(__i386__)
// The same conversions sixteen pixels at a time with SSSE3 byte shuffles; the scalar versions
// finish each row.
constexpr LONG kBlock = 16;

// Forty-eight source bytes as four vectors of four 0x00RRGGBB pixels.
__attribute__((target("ssse3"))) inline void Expand16(const BYTE* source, __m128i pixels[4])
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 32));
    pixels[0] = _mm_shuffle_epi8(a, spread);
    pixels[1] = _mm_shuffle_epi8(_mm_alignr_epi8(b, a, 12), spread);
    pixels[2] = _mm_shuffle_epi8(_mm_alignr_epi8(c, b, 8), spread);
    pixels[3] = _mm_shuffle_epi8(_mm_srli_si128(c, 4), spread);
}

__attribute__((target("ssse3"))) void RowToX8R8G8B8Ssse3(const BYTE* source, BYTE* destination, LONG width)
{
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    LONG x = 0;
    for (; x + kBlock <= width; x += kBlock, source += kBlock * 3) {
        __m128i pixels[4];
        Expand16(source, pixels);
        for (int i = 0; i < 4; ++i)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + (x + i * 4) * 4), _mm_or_si128(pixels[i], alpha));
    }
    RowToX8R8G8B8(source, destination + x * 4, width - x);
}

// The 16-bit formats. Each pixel's colours are cut to their top bits in place, then two
// multiply-adds move the three fields to their places at once: the first gives blue + green x
// `GreenScale` and red x `RedScale` as 16-bit halves, the second adds them with the red half
// scaled by `RedHalfScale`, leaving the packed value shifted left by `Shift`. The values fit
// below the fixed top bits, so the signed pack cannot saturate.
template <int Mask, int GreenScale, int RedScale, int RedHalfScale, int Shift, int Top>
__attribute__((target("ssse3"))) void RowTo16Ssse3(const BYTE* source, BYTE* destination, LONG width)
{
    const __m128i mask = _mm_set1_epi32(Mask);
    const __m128i bytes = _mm_set1_epi32(1 | (GreenScale << 8) | (RedScale << 16));
    const __m128i halves = _mm_set1_epi32(1 | (RedHalfScale << 16));
    const __m128i top = _mm_set1_epi16(static_cast<short>(Top));
    LONG x = 0;
    for (; x + kBlock <= width; x += kBlock, source += kBlock * 3) {
        __m128i pixels[4];
        Expand16(source, pixels);
        __m128i packed[4];
        for (int i = 0; i < 4; ++i) {
            const __m128i fields = _mm_maddubs_epi16(_mm_and_si128(pixels[i], mask), bytes);
            packed[i] = _mm_srli_epi32(_mm_madd_epi16(fields, halves), Shift);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x * 2),
                         _mm_or_si128(_mm_packs_epi32(packed[0], packed[1]), top));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + (x + 8) * 2),
                         _mm_or_si128(_mm_packs_epi32(packed[2], packed[3]), top));
    }
    if (Top == 0x8000)
        RowToA1R5G5B5(source, destination + x * 2, width - x);
    else
        RowToA4R4G4B4(source, destination + x * 2, width - x);
}

// The 16-bit formats with AVX2, thirty-two pixels at a time; the SSSE3 version finishes the
// row. Each 128-bit load takes sixteen bytes for the twelve of four pixels, so the last load of
// a block reaches four bytes past it: a block runs only while two more pixels follow it.
template <int Mask, int GreenScale, int RedScale, int RedHalfScale, int Shift, int Top>
__attribute__((target("avx2"))) void RowTo16Avx2(const BYTE* source, BYTE* destination, LONG width)
{
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1, 3, 4, 5,
                                            -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i mask = _mm256_set1_epi32(Mask);
    const __m256i bytes = _mm256_set1_epi32(1 | (GreenScale << 8) | (RedScale << 16));
    const __m256i halves = _mm256_set1_epi32(1 | (RedHalfScale << 16));
    const __m256i top = _mm256_set1_epi16(static_cast<short>(Top));
    constexpr LONG kWideBlock = 32;
    LONG x = 0;
    for (; x + kWideBlock + 2 <= width; x += kWideBlock, source += kWideBlock * 3) {
        __m256i packed[4];
        for (int i = 0; i < 4; ++i) {
            const BYTE* at = source + i * 24;
            const __m256i eight = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12)), 1);
            const __m256i fields =
                _mm256_maddubs_epi16(_mm256_and_si256(_mm256_shuffle_epi8(eight, spread), mask), bytes);
            packed[i] = _mm256_srli_epi32(_mm256_madd_epi16(fields, halves), Shift);
        }
        // The pack works within each half: put the four quarters back in pixel order.
        const __m256i first = _mm256_permute4x64_epi64(_mm256_packs_epi32(packed[0], packed[1]), 0xD8);
        const __m256i second = _mm256_permute4x64_epi64(_mm256_packs_epi32(packed[2], packed[3]), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + x * 2), _mm256_or_si256(first, top));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + (x + 16) * 2), _mm256_or_si256(second, top));
    }
    RowTo16Ssse3<Mask, GreenScale, RedScale, RedHalfScale, Shift, Top>(source, destination + x * 2, width - x);
}

bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

bool HasSsse3()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}
#endif

using RowConverter = void (*)(const BYTE*, BYTE*, LONG);

// Null for a format the renderer leaves alone.
RowConverter ConverterFor(D3DFORMAT format)
{
#if defined(__x86_64__) || defined(__i386__)
    if (HasAvx2()) {
        switch (format) {
        case D3DFMT_A1R5G5B5: return &RowTo16Avx2<0x00F8F8F8, 32, 64, 16, 3, 0x8000>;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: return &RowTo16Avx2<0x00F0F0F0, 16, 16, 16, 4, 0xF000>;
        default: break;   // the 32-bit formats gain nothing from the wider registers
        }
    }
    if (HasSsse3()) {
        switch (format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return &RowToX8R8G8B8Ssse3;
        case D3DFMT_A1R5G5B5: return &RowTo16Ssse3<0x00F8F8F8, 32, 64, 16, 3, 0x8000>;
        case D3DFMT_A4R4G4B4:
        case D3DFMT_X4R4G4B4: return &RowTo16Ssse3<0x00F0F0F0, 16, 16, 16, 4, 0xF000>;
        default: return nullptr;
        }
    }
#endif
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8: return &RowToX8R8G8B8;
    case D3DFMT_A1R5G5B5: return &RowToA1R5G5B5;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4: return &RowToA4R4G4B4;
    default: return nullptr;
    }
}

// The largest picture whose frame still fits a sample's signed 32-bit length.
constexpr std::int64_t kMaxFrameBytes = 0x7FFFFFFF;

}  // namespace

GxMovieRenderer::GxMovieRenderer(LPUNKNOWN outer, GxTextureMovie* texture, bool discardLock, HRESULT* result)
    : CBaseVideoRenderer(CLSID_GxMovieRenderer, nullptr, outer, result),
      m_Texture(texture),
      m_OwnsTexture(texture == nullptr),
      m_DiscardLock(discardLock)
{
    AddRef();
    if (result)
        *result = S_OK;
}

GxMovieRenderer::~GxMovieRenderer()
{
    if (m_OwnsTexture)
        delete m_Texture;
}

HRESULT GxMovieRenderer::CheckMediaType(const CMediaType* type)
{
    if (!type)
        return E_POINTER;
    if (type->formattype != FORMAT_VideoInfo)
        return E_INVALIDARG;
    if (type->majortype != MEDIATYPE_Video || type->subtype != MEDIASUBTYPE_RGB24)
        return E_FAIL;
    if (type->pbFormat == nullptr || type->cbFormat < sizeof(VIDEOINFOHEADER))
        return E_INVALIDARG;
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    const std::int64_t width = info->bmiHeader.biWidth;
    const std::int64_t height = std::abs(static_cast<std::int64_t>(info->bmiHeader.biHeight));
    if (width <= 0 || height == 0)
        return E_FAIL;
    if ((width * 3 + 3) / 4 * 4 * height > kMaxFrameBytes)
        return E_FAIL;
    return S_OK;
}

HRESULT GxMovieRenderer::SetMediaType(const CMediaType* type)
{
    // The pin checks first; a direct caller gets the same answer instead of a size that cannot be.
    const HRESULT checked = CheckMediaType(type);
    if (checked != S_OK)
        return checked;
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    m_VideoWidth = info->bmiHeader.biWidth;
    // A top-down picture gives a negative height; its rows are still taken bottom-up.
    m_VideoHeight = static_cast<LONG>(std::abs(static_cast<std::int64_t>(info->bmiHeader.biHeight)));
    m_VideoPitch = (m_VideoWidth * 3 + 3) & ~3;
    if (m_OwnsTexture && !m_Texture) {
        auto* texture = new GxTextureMovie();
        if (!texture->Create(u"", static_cast<std::uint32_t>(m_VideoWidth), static_cast<std::uint32_t>(m_VideoHeight),
                             D3DFMT_A8R8G8B8, 0xFF000000u, m_DiscardLock)) {
            delete texture;
            return E_FAIL;
        }
        m_Texture = texture;
    }
    return S_OK;
}

HRESULT GxMovieRenderer::DoRenderSample(IMediaSample* sample)
{
    if (!m_Texture)
        return E_UNEXPECTED;   // an owned texture not made yet
    GxMutexScopedLock lock(m_Texture->GetFrameLock());
    IDirect3DTexture9* back = m_Texture->GetNextTexture();
    if (!sample)
        return E_POINTER;
    if (!back)
        return E_UNEXPECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data)) || !data)
        return E_POINTER;
    // The rows are read from the whole frame: a shorter sample would be read past its end.
    const std::int64_t frameBytes = static_cast<std::int64_t>(m_VideoHeight) * m_VideoPitch;
    if (sample->GetActualDataLength() < frameBytes)
        return E_FAIL;

    D3DLOCKED_RECT locked{};
    if (FAILED(back->LockRect(0, &locked, nullptr, m_DiscardLock ? D3DLOCK_DISCARD : 0)))
        return E_FAIL;
    const LONG width = std::min<LONG>(m_VideoWidth, static_cast<LONG>(m_Texture->GetWidth()));
    const LONG height = std::min<LONG>(m_VideoHeight, static_cast<LONG>(m_Texture->GetHeight()));
    if (const RowConverter convert = ConverterFor(m_Texture->GetFormat())) {
        auto* destination = static_cast<BYTE*>(locked.pBits);
        for (LONG row = 0; row < height; ++row, destination += locked.Pitch) {
            // Bottom-up source, top-down texture.
            const BYTE* source = data + static_cast<std::ptrdiff_t>(m_VideoHeight - 1 - row) * m_VideoPitch;
            convert(source, destination, width);
        }
    }
    if (FAILED(back->UnlockRect(0)))
        return E_FAIL;
    m_Texture->AdvanceCachePos();
    return S_OK;
}
