// The pixels of one surface: zero-filled rows `pitch` bytes apart.
#pragma once

#include "platform/d3d9/d3d9_types.h"
#include "platform/raster/raster.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace platform::d3d9 {

class PixelStore {
public:
    // False when the format cannot be stored, the size overflows or memory runs out.
    bool Allocate(D3DFORMAT format, UINT width, UINT height, UINT pitchPadding);
    void Free();

    D3DFORMAT Format() const { return m_Format; }
    UINT Width() const { return m_Width; }
    UINT Height() const { return m_Height; }
    int Pitch() const { return m_Pitch; }
    int BytesPerPixel() const { return m_BytesPerPixel; }
    std::uint8_t* Bits() { return m_Bytes.get(); }
    const std::uint8_t* Bits() const { return m_Bytes.get(); }
    std::uint8_t* At(UINT x, UINT y)
    {
        return m_Bytes.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_Pitch) +
               static_cast<std::size_t>(x) * static_cast<std::size_t>(m_BytesPerPixel);
    }

    // The raster core's view; format Unknown for depth formats.
    raster::Image Image();
    raster::Image Image() const;

private:
    struct FreeBytes {
        // The length of a mapping of our own, else 0 (from calloc); zero when value-initialised.
        std::size_t mapped;
        void operator()(std::uint8_t* bytes) const;
    };
    // Zero-filled by the allocator: large surfaces then come as untouched zero pages, and a
    // start-up's render targets cost nothing until they are drawn.
    std::unique_ptr<std::uint8_t[], FreeBytes> m_Bytes;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    raster::PixelFormat m_RasterFormat = raster::PixelFormat::Unknown;
    UINT m_Width = 0;
    UINT m_Height = 0;
    int m_Pitch = 0;
    int m_BytesPerPixel = 0;
};

}  // namespace platform::d3d9
