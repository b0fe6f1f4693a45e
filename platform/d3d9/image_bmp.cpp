// Windows bitmaps: core and info headers (up to version 5), 1, 4 and 8-bit palettes,
// 16-bit 5-5-5 or bit fields, 24 and 32 bits, bottom-up or top-down. Run-length compressed
// bitmaps are refused.
#include "platform/d3d9/image_decode.h"

#include <algorithm>
#include <array>

namespace platform::d3dx {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;

struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t bits = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t dataOffset = 0;
    std::size_t paletteOffset = 0;
    std::uint32_t paletteEntries = 0;
    std::uint32_t paletteEntrySize = 4;
    std::uint32_t greenMask = 0;
    MaskChannel red, green, blue, alpha;
};

bool ReadLayout(ByteView file, BmpLayout& layout)
{
    if (file.size < kFileHeaderSize + 4 || file.data[0] != 'B' || file.data[1] != 'M') {
        Trace("not a BMP file");
        return false;
    }
    const std::uint8_t* d = file.data;
    layout.dataOffset = Le32(d + 10);
    const std::uint32_t headerSize = Le32(d + 14);
    const bool core = headerSize == 12;
    if (!core && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) {
        Trace("BMP: unknown header size %u", headerSize);
        return false;
    }
    if (file.size < kFileHeaderSize + headerSize) {
        Trace("BMP: the header is cut short");
        return false;
    }
    std::int64_t width, height;
    if (core) {
        width = Le16(d + 18);
        height = Le16(d + 20);
        layout.bits = Le16(d + 24);
        layout.paletteEntrySize = 3;
    } else {
        width = static_cast<std::int32_t>(Le32(d + 18));
        height = static_cast<std::int32_t>(Le32(d + 22));
        layout.bits = Le16(d + 28);
        layout.compression = Le32(d + 30);
    }
    if (height < 0) {
        layout.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0 || !IsAcceptableSize(std::uint64_t(width), std::uint64_t(height))) {
        if (width <= 0 || height <= 0) Trace("BMP: bad size %lldx%lld", (long long)width, (long long)height);
        return false;
    }
    layout.width = static_cast<std::uint32_t>(width);
    layout.height = static_cast<std::uint32_t>(height);

    const std::uint32_t b = layout.bits;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) {
        Trace("BMP: %u bits per pixel are not supported", b);
        return false;
    }
    std::size_t afterHeader = kFileHeaderSize + headerSize;
    if (layout.compression == kBiBitFields || layout.compression == kBiAlphaBitFields) {
        if (b != 16 && b != 32) {
            Trace("BMP: bit fields need 16 or 32 bits per pixel");
            return false;
        }
        // A plain info header is followed by the masks; later versions hold them inside.
        const std::size_t maskCount = layout.compression == kBiAlphaBitFields ? 4 : 3;
        if (headerSize == 40) afterHeader += maskCount * 4;
        if (file.size < kFileHeaderSize + 40 + maskCount * 4) {
            Trace("BMP: the bit fields are cut short");
            return false;
        }
        layout.red = MaskChannel(Le32(d + 54));
        layout.greenMask = Le32(d + 58);
        layout.green = MaskChannel(layout.greenMask);
        layout.blue = MaskChannel(Le32(d + 62));
        if (maskCount == 4 || headerSize >= 56) layout.alpha = MaskChannel(Le32(d + 66));
    } else if (layout.compression != kBiRgb) {
        Trace("BMP: compression %u is not supported", layout.compression);
        return false;
    } else if (b == 16) {
        layout.red = MaskChannel(0x7C00);
        layout.green = MaskChannel(0x03E0);
        layout.blue = MaskChannel(0x001F);
    }
    if (b <= 8) {
        const std::uint32_t used = core ? 0 : Le32(d + 46);
        layout.paletteEntries = (used == 0 || used > (1u << b)) ? (1u << b) : used;
        layout.paletteOffset = afterHeader;
        // Some writers store fewer entries than they promise; take what lies before the pixels.
        const std::size_t room = layout.dataOffset > afterHeader ? layout.dataOffset - afterHeader : 0;
        layout.paletteEntries =
            std::min<std::uint32_t>(layout.paletteEntries, static_cast<std::uint32_t>(room / layout.paletteEntrySize));
        if (layout.paletteOffset + std::size_t(layout.paletteEntries) * layout.paletteEntrySize > file.size) {
            Trace("BMP: the palette is cut short");
            return false;
        }
    }
    return true;
}

D3DFORMAT FormatOf(const BmpLayout& layout)
{
    switch (layout.bits) {
    case 1:
    case 4:
    case 8: return D3DFMT_P8;
    case 16:
        if (layout.alpha.Present()) return D3DFMT_A1R5G5B5;
        return layout.greenMask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
    case 24: return D3DFMT_R8G8B8;
    default: return layout.alpha.Present() ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
}

}  // namespace

bool ReadBmp(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    BmpLayout layout;
    if (!ReadLayout(file, layout)) return false;
    header.width = layout.width;
    header.height = layout.height;
    header.mipLevels = 1;
    header.fileFormat = D3DXIFF_BMP;
    header.format = FormatOf(layout);
    header.hasAlpha = layout.alpha.Present();

    const std::uint64_t stride = ((std::uint64_t(layout.width) * layout.bits + 31) / 32) * 4;
    if (layout.dataOffset > file.size || stride * layout.height > file.size - layout.dataOffset) {
        Trace("BMP: the pixels are cut short");
        return false;
    }
    if (!pixels) return true;
    if (!AllocatePixels(*pixels, layout.width, layout.height)) return false;

    std::array<std::uint32_t, 256> palette;
    palette.fill(0xFF000000u);
    for (std::uint32_t i = 0; i < layout.paletteEntries; ++i) {
        const std::uint8_t* e = file.data + layout.paletteOffset + std::size_t(i) * layout.paletteEntrySize;
        palette[i] = PackArgb(0xFF, e[2], e[1], e[0]);
    }

    bool anyAlpha = false;   // a 32-bit BI_RGB file whose fourth bytes are all 0 is opaque
    for (std::uint32_t row = 0; row < layout.height; ++row) {
        const std::uint8_t* src = file.data + layout.dataOffset + stride * row;
        const std::uint32_t y = layout.topDown ? row : layout.height - 1 - row;
        std::uint32_t* dst = pixels->data() + std::size_t(y) * layout.width;
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            switch (layout.bits) {
            case 1: dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]; break;
            case 8: dst[x] = palette[src[x]]; break;
            case 24: dst[x] = PackArgb(0xFF, src[x * 3 + 2], src[x * 3 + 1], src[x * 3]); break;
            case 16:
            case 32: {
                const std::uint32_t v = layout.bits == 16 ? Le16(src + x * 2) : Le32(src + x * 4);
                if (layout.bits == 32 && layout.compression == kBiRgb) {
                    dst[x] = v;
                    anyAlpha = anyAlpha || (v >> 24) != 0;
                } else {
                    dst[x] = PackArgb(layout.alpha.Extract(v, 0xFF), layout.red.Extract(v, 0),
                                      layout.green.Extract(v, 0), layout.blue.Extract(v, 0));
                }
                break;
            }
            }
        }
    }
    if (layout.bits == 32 && layout.compression == kBiRgb) {
        if (anyAlpha) {
            header.hasAlpha = true;
            header.format = D3DFMT_A8R8G8B8;
        } else {
            for (std::uint32_t& p : *pixels) p |= 0xFF000000u;
        }
    }
    return true;
}

}  // namespace platform::d3dx
