#include "media/movie_renderer.h"

#include "foundation/mutex.h"
#include "graphics/texture_movie.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// One row at a time, each pixel packed in a register and stored whole, which keeps the copy
// near the speed of a plain memory copy.
void RowToX8R8G8B8(const BYTE* source, BYTE* destination, LONG width)
{
    for (LONG x = 0; x < width; ++x, source += 3, destination += 4) {
        const std::uint32_t pixel = 0xFF000000u | (static_cast<std::uint32_t>(source[2]) << 16) |
                                    (static_cast<std::uint32_t>(source[1]) << 8) | source[0];
        std::memcpy(destination, &pixel, 4);
    }
}

void RowToA1R5G5B5(const BYTE* source, BYTE* destination, LONG width)
{
    for (LONG x = 0; x < width; ++x, source += 3, destination += 2) {
        const auto pixel = static_cast<std::uint16_t>(0x8000u + (source[2] & 0xF8u) * 128u + (source[1] & 0xF8u) * 4u +
                                                      source[0] / 8u);
        std::memcpy(destination, &pixel, 2);
    }
}

void RowToA4R4G4B4(const BYTE* source, BYTE* destination, LONG width)
{
    for (LONG x = 0; x < width; ++x, source += 3, destination += 2) {
        const auto pixel =
            static_cast<std::uint16_t>(0xF000u + (source[2] & 0xF0u) * 16u + (source[1] & 0xF0u) + source[0] / 16u);
        std::memcpy(destination, &pixel, 2);
    }
}

using RowConverter = void (*)(const BYTE*, BYTE*, LONG);

// Null for a format the renderer leaves alone.
RowConverter ConverterFor(D3DFORMAT format)
{
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
    if (!type || type->pbFormat == nullptr || type->cbFormat < sizeof(VIDEOINFOHEADER))
        return E_POINTER;
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
