#include "platform/d3d9/pixel_store.h"

#include "platform/d3d9/format_info.h"

#include <limits>

namespace platform::d3d9 {

namespace {

constexpr std::uint64_t kMaxStoreBytes = 1ull << 31;   // keeps every offset within int pitch maths

}  // namespace

bool PixelStore::Allocate(D3DFORMAT format, UINT width, UINT height, UINT pitchPadding)
{
    Free();
    const FormatInfo info = DescribeFormat(format);
    if (info.bytesPerPixel == 0 || width == 0 || height == 0) return false;
    const std::uint64_t pitch = static_cast<std::uint64_t>(width) * info.bytesPerPixel + pitchPadding;
    const std::uint64_t total = pitch * height;
    if (pitch > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) || total > kMaxStoreBytes) return false;
    m_Bytes.reset(static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(total), 1)));
    if (!m_Bytes) return false;
    m_Format = format;
    m_RasterFormat = info.raster;
    m_Width = width;
    m_Height = height;
    m_Pitch = static_cast<int>(pitch);
    m_BytesPerPixel = info.bytesPerPixel;
    return true;
}

void PixelStore::Free()
{
    m_Bytes.reset();
    m_Format = D3DFMT_UNKNOWN;
    m_RasterFormat = raster::PixelFormat::Unknown;
    m_Width = m_Height = 0;
    m_Pitch = m_BytesPerPixel = 0;
}

raster::Image PixelStore::Image()
{
    raster::Image image;
    image.bits = m_Bytes.get();
    image.pitch = m_Pitch;
    image.width = static_cast<int>(m_Width);
    image.height = static_cast<int>(m_Height);
    image.format = m_RasterFormat;
    return image;
}

raster::Image PixelStore::Image() const
{
    // The raster core reads through the same view type; sources are never written.
    return const_cast<PixelStore*>(this)->Image();
}

}  // namespace platform::d3d9
