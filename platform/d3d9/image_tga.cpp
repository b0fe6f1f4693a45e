// Truevision TGA: colour-mapped, true-colour and grey images, raw or run-length encoded, with
// any of the four origins. TGA has no signature, so the header is checked strictly: it is the
// reader of last resort.
#include "platform/d3d9/image_decode.h"

#include <algorithm>

namespace platform::d3dx {

namespace {

constexpr std::size_t kHeaderSize = 18;

struct TgaLayout {
    std::uint32_t imageType = 0;   // 1 mapped, 2 true colour, 3 grey; +8 run-length encoded
    std::uint32_t mapFirst = 0;
    std::uint32_t mapLength = 0;
    std::uint32_t mapEntryBits = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t pixelBits = 0;
    std::uint32_t alphaBits = 0;
    bool topDown = false;
    bool rightToLeft = false;
    std::size_t mapOffset = 0;
    std::size_t dataOffset = 0;
};

bool IsColourDepth(std::uint32_t bits)
{
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

bool ReadLayout(ByteView file, TgaLayout& layout)
{
    if (file.size < kHeaderSize) {
        Trace("unknown image format");
        return false;
    }
    const std::uint8_t* d = file.data;
    const std::uint32_t mapType = d[1];
    layout.imageType = d[2];
    layout.mapFirst = Le16(d + 3);
    layout.mapLength = Le16(d + 5);
    layout.mapEntryBits = d[7];
    layout.width = Le16(d + 12);
    layout.height = Le16(d + 14);
    layout.pixelBits = d[16];
    layout.alphaBits = d[17] & 0x0F;
    layout.rightToLeft = (d[17] & 0x10) != 0;
    layout.topDown = (d[17] & 0x20) != 0;

    const std::uint32_t base = layout.imageType & ~8u;
    bool valid = mapType <= 1 && (layout.imageType & ~11u) == 0 && base >= 1 && base <= 3 && (d[17] & 0xC0) == 0;
    if (valid && base == 1) valid = mapType == 1 && layout.pixelBits == 8 && IsColourDepth(layout.mapEntryBits);
    if (valid && base == 2) valid = IsColourDepth(layout.pixelBits);
    if (valid && base == 3) valid = layout.pixelBits == 8;
    if (valid && mapType == 1 && base != 1) valid = IsColourDepth(layout.mapEntryBits);
    if (!valid) {
        Trace("unknown image format");
        return false;
    }
    if (!IsAcceptableSize(layout.width, layout.height)) return false;
    layout.mapOffset = kHeaderSize + d[0];
    const std::size_t mapBytes = mapType == 1 ? std::size_t(layout.mapLength) * ((layout.mapEntryBits + 7) / 8) : 0;
    layout.dataOffset = layout.mapOffset + mapBytes;
    if (layout.dataOffset > file.size) {
        Trace("TGA: the colour map is cut short");
        return false;
    }
    return true;
}

// One stored value (1 to 4 bytes) as ARGB.
std::uint32_t DecodeColour(const std::uint8_t* p, std::uint32_t bits, bool useAlpha)
{
    switch (bits) {
    case 8: return PackArgb(0xFF, p[0], p[0], p[0]);
    case 15:
    case 16: {
        const std::uint32_t v = Le16(p);
        const std::uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        const std::uint32_t a = (bits == 16 && useAlpha) ? ((v & 0x8000) ? 0xFF : 0) : 0xFF;
        return PackArgb(a, (r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2));
    }
    case 24: return PackArgb(0xFF, p[2], p[1], p[0]);
    default: return PackArgb(useAlpha ? p[3] : 0xFF, p[2], p[1], p[0]);
    }
}

D3DFORMAT FormatOf(const TgaLayout& layout)
{
    switch (layout.imageType & ~8u) {
    case 1: return D3DFMT_P8;
    case 3: return D3DFMT_L8;
    default:
        switch (layout.pixelBits) {
        case 15: return D3DFMT_X1R5G5B5;
        case 16: return layout.alphaBits ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
        case 24: return D3DFMT_R8G8B8;
        default: return layout.alphaBits ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
        }
    }
}

}  // namespace

bool ReadTga(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    TgaLayout layout;
    if (!ReadLayout(file, layout)) return false;
    header.width = layout.width;
    header.height = layout.height;
    header.mipLevels = 1;
    header.fileFormat = D3DXIFF_TGA;
    header.format = FormatOf(layout);
    const bool mapped = (layout.imageType & ~8u) == 1;
    header.hasAlpha = layout.alphaBits != 0 && ((mapped ? layout.mapEntryBits : layout.pixelBits) == 16 ||
                                                (mapped ? layout.mapEntryBits : layout.pixelBits) == 32);
    const bool encoded = (layout.imageType & 8u) != 0;
    const std::size_t pixelBytes = (layout.pixelBits + 7) / 8;
    const std::size_t count = std::size_t(layout.width) * layout.height;
    // A run covers at most 128 pixels, which bounds what a short encoded file can fill.
    const std::size_t needed = encoded ? (count + 127) / 128 * (1 + pixelBytes) : count * pixelBytes;
    if (needed > file.size - layout.dataOffset) {
        Trace("TGA: the pixels are cut short");
        return false;
    }
    if (!pixels) return true;

    std::vector<std::uint32_t> map;
    if (mapped) {
        const std::size_t entryBytes = (layout.mapEntryBits + 7) / 8;
        map.resize(layout.mapLength);
        for (std::uint32_t i = 0; i < layout.mapLength; ++i)
            map[i] = DecodeColour(file.data + layout.mapOffset + i * entryBytes, layout.mapEntryBits,
                                  header.hasAlpha);
    }
    auto decode = [&](const std::uint8_t* p) -> std::uint32_t {
        if (!mapped) return DecodeColour(p, layout.pixelBits, header.hasAlpha);
        const std::uint32_t index = p[0];
        // Indices outside the map read as opaque black.
        if (index < layout.mapFirst || index - layout.mapFirst >= map.size()) return 0xFF000000u;
        return map[index - layout.mapFirst];
    };

    // Decode in stored order, then place rows and columns by the origin.
    std::vector<std::uint32_t> stored;
    if (!AllocatePixels(stored, layout.width, layout.height)) return false;
    std::size_t position = layout.dataOffset;
    if (!encoded) {
        for (std::size_t i = 0; i < count; ++i, position += pixelBytes) stored[i] = decode(file.data + position);
    } else {
        std::size_t filled = 0;
        while (filled < count) {
            if (position >= file.size) {
                Trace("TGA: the run-length data is cut short");
                return false;
            }
            const std::uint8_t packet = file.data[position++];
            const std::size_t run = std::min<std::size_t>((packet & 0x7F) + 1, count - filled);
            if (packet & 0x80) {
                if (pixelBytes > file.size - position) {
                    Trace("TGA: the run-length data is cut short");
                    return false;
                }
                std::fill_n(stored.begin() + std::ptrdiff_t(filled), run, decode(file.data + position));
                position += pixelBytes;
            } else {
                if (run * pixelBytes > file.size - position) {
                    Trace("TGA: the run-length data is cut short");
                    return false;
                }
                for (std::size_t i = 0; i < run; ++i, position += pixelBytes)
                    stored[filled + i] = decode(file.data + position);
            }
            filled += run;
        }
    }
    if (!AllocatePixels(*pixels, layout.width, layout.height)) return false;
    for (std::uint32_t row = 0; row < layout.height; ++row) {
        const std::uint32_t y = layout.topDown ? row : layout.height - 1 - row;
        const std::uint32_t* src = stored.data() + std::size_t(row) * layout.width;
        std::uint32_t* dst = pixels->data() + std::size_t(y) * layout.width;
        if (layout.rightToLeft)
            std::reverse_copy(src, src + layout.width, dst);
        else
            std::copy(src, src + layout.width, dst);
    }
    return true;
}

}  // namespace platform::d3dx
