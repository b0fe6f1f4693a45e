#include "platform/d3d9/pixel_store.h"

#include "platform/d3d9/format_info.h"

#include <cstdint>
#include <limits>

#include <sys/mman.h>

namespace platform::d3d9 {

namespace {

constexpr std::uint64_t kMaxStoreBytes = 1ull << 31;   // keeps every offset within int pitch maths

// Surfaces of a few megabytes (back buffers, the depth buffer, full-screen targets) are mapped on
// huge-page boundaries and offered to the kernel's transparent huge pages: their first touch then
// costs one fault per 2 MiB instead of one per 4 KiB, several milliseconds of a start-up on a
// virtual machine. Only the whole huge pages inside the surface are offered: the mapping ends at
// the surface's last small page, so a 3 MiB surface is resident as 3 MiB, not as two huge pages,
// and rows never touched stay out of memory. The sanitizer build keeps exact-size blocks from
// calloc, so that an overrun of a surface is still caught there.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kSmallPage = std::size_t{4} << 10;

std::uint8_t* MapHugeAligned(std::size_t bytes, std::size_t& mapped)
{
    mapped = 0;
#if defined(__SANITIZE_ADDRESS__)
    (void)bytes;
    return nullptr;
#else
    if (bytes < kHugePage) return nullptr;
    const std::size_t length = (bytes + kSmallPage - 1) / kSmallPage * kSmallPage;
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    // Keep the aligned part only: the rest goes back at once.
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) munmap(raw, aligned - start);
    const std::size_t tail = start + kHugePage - aligned;   // of the extra huge page mapped for the alignment
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
    // A hint: refused, pages stay small.
    madvise(reinterpret_cast<void*>(aligned), length / kHugePage * kHugePage, MADV_HUGEPAGE);
    mapped = length;
    return reinterpret_cast<std::uint8_t*>(aligned);
#endif
}

}  // namespace

void PixelStore::FreeBytes::operator()(std::uint8_t* bytes) const
{
    if (mapped != 0)
        munmap(bytes, mapped);
    else
        std::free(bytes);
}

bool PixelStore::Allocate(D3DFORMAT format, UINT width, UINT height, UINT pitchPadding)
{
    Free();
    const FormatInfo info = DescribeFormat(format);
    if (info.bytesPerPixel == 0 || width == 0 || height == 0) return false;
    const std::uint64_t pitch = static_cast<std::uint64_t>(width) * info.bytesPerPixel + pitchPadding;
    const std::uint64_t total = pitch * height;
    if (pitch > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) || total > kMaxStoreBytes) return false;
    std::size_t mapped = 0;
    std::uint8_t* bytes = MapHugeAligned(static_cast<std::size_t>(total), mapped);
    if (bytes == nullptr) bytes = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(total), 1));
    m_Bytes = std::unique_ptr<std::uint8_t[], FreeBytes>(bytes, FreeBytes{mapped});
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
