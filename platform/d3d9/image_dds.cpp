// DirectDraw surfaces: DXT1 to DXT5 blocks and uncompressed RGB, luminance and alpha pixels
// described by masks. Only level 0 is read (lower levels are built again when the texture
// wants them); cube maps, volumes and the extended header are refused.
#include "platform/d3d9/image_decode.h"

#include <algorithm>

namespace platform::d3dx {

namespace {

constexpr std::size_t kHeaderEnd = 128;   // magic and header
constexpr std::uint32_t kFlagMipMapCount = 0x20000;
constexpr std::uint32_t kPixelAlphaPixels = 0x1;
constexpr std::uint32_t kPixelAlpha = 0x2;
constexpr std::uint32_t kPixelFourCC = 0x4;
constexpr std::uint32_t kPixelRgb = 0x40;
constexpr std::uint32_t kPixelLuminance = 0x20000;
constexpr std::uint32_t kCaps2CubeMap = 0x200;
constexpr std::uint32_t kCaps2Volume = 0x200000;

struct DdsLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t mipLevels = 1;
    std::uint32_t pixelFlags = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    std::uint32_t bits = 0;   // uncompressed only
    std::uint32_t masks[4] = {};   // red, green, blue, alpha
};

D3DFORMAT MaskFormat(const DdsLayout& l)
{
    const std::uint32_t r = l.masks[0], g = l.masks[1], b = l.masks[2];
    const std::uint32_t a = (l.pixelFlags & (kPixelAlphaPixels | kPixelAlpha)) ? l.masks[3] : 0;
    if (l.pixelFlags & kPixelAlpha && !(l.pixelFlags & (kPixelRgb | kPixelLuminance))) return D3DFMT_A8;
    if (l.pixelFlags & kPixelLuminance) return a ? D3DFMT_A8L8 : (l.bits == 16 ? D3DFMT_L16 : D3DFMT_L8);
    if (l.bits == 16 && r == 0xF800 && g == 0x07E0 && b == 0x001F) return D3DFMT_R5G6B5;
    if (l.bits == 16 && r == 0x7C00 && g == 0x03E0 && b == 0x001F) return a ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    if (l.bits == 16 && r == 0x0F00 && g == 0x00F0 && b == 0x000F) return a ? D3DFMT_A4R4G4B4 : D3DFMT_X4R4G4B4;
    if (l.bits == 24) return D3DFMT_R8G8B8;
    if (l.bits == 32 && r == 0x00FF0000 && g == 0x0000FF00 && b == 0x000000FF)
        return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (l.bits == 32 && r == 0x000000FF && g == 0x0000FF00 && b == 0x00FF0000)
        return a ? D3DFMT_A8B8G8R8 : D3DFMT_X8B8G8R8;
    return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

bool ReadLayout(ByteView file, DdsLayout& layout)
{
    const std::uint8_t* d = file.data;
    if (file.size < 4 || d[0] != 'D' || d[1] != 'D' || d[2] != 'S' || d[3] != ' ') {
        Trace("not a DDS file");
        return false;
    }
    if (file.size < kHeaderEnd || Le32(d + 4) != 124 || Le32(d + 76) != 32) {
        Trace("DDS: bad header");
        return false;
    }
    layout.height = Le32(d + 12);
    layout.width = Le32(d + 16);
    const std::uint32_t mipCount = Le32(d + 28);
    layout.mipLevels = (Le32(d + 8) & kFlagMipMapCount) && mipCount > 0 ? std::min<std::uint32_t>(mipCount, 32) : 1;
    layout.pixelFlags = Le32(d + 80);
    if (Le32(d + 112) & (kCaps2CubeMap | kCaps2Volume)) {
        Trace("DDS: cube maps and volumes are not supported");
        return false;
    }
    if (!IsAcceptableSize(layout.width, layout.height)) return false;
    if (layout.pixelFlags & kPixelFourCC) {
        const std::uint32_t fourCC = Le32(d + 84);
        if (fourCC != D3DFMT_DXT1 && fourCC != D3DFMT_DXT2 && fourCC != D3DFMT_DXT3 && fourCC != D3DFMT_DXT4 &&
            fourCC != D3DFMT_DXT5) {
            Trace("DDS: pixel format 0x%08x is not supported", fourCC);
            return false;
        }
        layout.format = static_cast<D3DFORMAT>(fourCC);
        return true;
    }
    if (!(layout.pixelFlags & (kPixelRgb | kPixelLuminance | kPixelAlpha))) {
        Trace("DDS: unknown pixel layout 0x%x", layout.pixelFlags);
        return false;
    }
    layout.bits = Le32(d + 88);
    if (layout.bits != 8 && layout.bits != 16 && layout.bits != 24 && layout.bits != 32) {
        Trace("DDS: %u bits per pixel are not supported", layout.bits);
        return false;
    }
    for (int i = 0; i < 4; ++i) layout.masks[i] = Le32(d + 92 + 4 * i);
    layout.format = MaskFormat(layout);
    return true;
}

std::uint32_t Expand565(std::uint32_t c)
{
    const std::uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return PackArgb(0xFF, (r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t wa, std::uint32_t wb)
{
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * wa + cb * wb + (wa + wb) / 2) / (wa + wb)) << shift;
    }
    return out;
}

// The colour half of every block; DXT1 alone has the three-colour mode with transparency.
void DecodeColourBlock(const std::uint8_t* block, bool dxt1, std::uint32_t out[16])
{
    const std::uint32_t c0 = Le16(block), c1 = Le16(block + 2);
    std::uint32_t colours[4] = {Expand565(c0), Expand565(c1), 0, 0};
    if (c0 > c1 || !dxt1) {
        colours[2] = Mix(colours[0], colours[1], 2, 1);
        colours[3] = Mix(colours[0], colours[1], 1, 2);
    } else {
        colours[2] = Mix(colours[0], colours[1], 1, 1);
        colours[3] = 0;
    }
    const std::uint32_t indices = Le32(block + 4);
    for (int i = 0; i < 16; ++i) out[i] = colours[(indices >> (2 * i)) & 3];
}

void DecodeExplicitAlpha(const std::uint8_t* block, std::uint32_t out[16])
{
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t a = (block[i / 2] >> ((i & 1) * 4)) & 15;
        out[i] = (out[i] & 0x00FFFFFFu) | ((a * 17) << 24);
    }
}

void DecodeInterpolatedAlpha(const std::uint8_t* block, std::uint32_t out[16])
{
    const std::uint32_t a0 = block[0], a1 = block[1];
    std::uint32_t alphas[8] = {a0, a1};
    if (a0 > a1) {
        for (std::uint32_t k = 1; k < 7; ++k) alphas[k + 1] = ((7 - k) * a0 + k * a1 + 3) / 7;
    } else {
        for (std::uint32_t k = 1; k < 5; ++k) alphas[k + 1] = ((5 - k) * a0 + k * a1 + 2) / 5;
        alphas[6] = 0;
        alphas[7] = 255;
    }
    std::uint64_t bits = 0;
    for (int i = 0; i < 6; ++i) bits |= std::uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i) out[i] = (out[i] & 0x00FFFFFFu) | (alphas[(bits >> (3 * i)) & 7] << 24);
}

void DecodeBlocks(const std::uint8_t* data, const DdsLayout& layout, std::vector<std::uint32_t>& pixels)
{
    const std::uint32_t blocksWide = (layout.width + 3) / 4, blocksHigh = (layout.height + 3) / 4;
    const bool dxt1 = layout.format == D3DFMT_DXT1;
    const std::size_t blockBytes = dxt1 ? 8 : 16;
    for (std::uint32_t by = 0; by < blocksHigh; ++by) {
        for (std::uint32_t bx = 0; bx < blocksWide; ++bx) {
            const std::uint8_t* block = data + (std::size_t(by) * blocksWide + bx) * blockBytes;
            std::uint32_t texels[16];
            DecodeColourBlock(dxt1 ? block : block + 8, dxt1, texels);
            if (layout.format == D3DFMT_DXT2 || layout.format == D3DFMT_DXT3) DecodeExplicitAlpha(block, texels);
            if (layout.format == D3DFMT_DXT4 || layout.format == D3DFMT_DXT5) DecodeInterpolatedAlpha(block, texels);
            for (std::uint32_t i = 0; i < 16; ++i) {
                const std::uint32_t x = bx * 4 + (i & 3), y = by * 4 + (i >> 2);
                if (x < layout.width && y < layout.height) pixels[std::size_t(y) * layout.width + x] = texels[i];
            }
        }
    }
}

void DecodeMasked(const std::uint8_t* data, const DdsLayout& layout, std::vector<std::uint32_t>& pixels)
{
    const bool luminance = (layout.pixelFlags & kPixelLuminance) != 0;
    const bool hasAlpha = (layout.pixelFlags & (kPixelAlphaPixels | kPixelAlpha)) != 0;
    const bool alphaOnly = (layout.pixelFlags & kPixelAlpha) && !(layout.pixelFlags & (kPixelRgb | kPixelLuminance));
    const MaskChannel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    const MaskChannel alpha(hasAlpha ? layout.masks[3] : 0);
    const std::size_t bytes = layout.bits / 8;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint8_t* p = data + i * bytes;
        std::uint32_t v = 0;
        for (std::size_t k = 0; k < bytes; ++k) v |= std::uint32_t(p[k]) << (8 * k);
        const std::uint32_t a = alpha.Extract(v, 0xFF);
        if (alphaOnly) {
            pixels[i] = a << 24;
        } else if (luminance) {
            const std::uint32_t l = red.Extract(v, 0);
            pixels[i] = PackArgb(a, l, l, l);
        } else {
            pixels[i] = PackArgb(a, red.Extract(v, 0), green.Extract(v, 0), blue.Extract(v, 0));
        }
    }
}

}  // namespace

bool ReadDds(ByteView file, ImageHeader& header, std::vector<std::uint32_t>* pixels)
{
    DdsLayout layout;
    if (!ReadLayout(file, layout)) return false;
    header.width = layout.width;
    header.height = layout.height;
    header.mipLevels = layout.mipLevels;
    header.fileFormat = D3DXIFF_DDS;
    header.format = layout.format;
    const bool compressed = layout.bits == 0;
    // DXT1 too: its three-colour blocks hold transparent texels.
    header.hasAlpha = compressed || (layout.pixelFlags & (kPixelAlphaPixels | kPixelAlpha)) != 0;
    if (!pixels) return true;

    const std::uint64_t level0 =
        compressed ? std::uint64_t((layout.width + 3) / 4) * ((layout.height + 3) / 4) *
                         (layout.format == D3DFMT_DXT1 ? 8 : 16)
                   : std::uint64_t(layout.width) * layout.height * (layout.bits / 8);
    if (level0 > file.size - kHeaderEnd) {
        Trace("DDS: the pixels are cut short");
        return false;
    }
    if (!AllocatePixels(*pixels, layout.width, layout.height)) return false;
    if (compressed)
        DecodeBlocks(file.data + kHeaderEnd, layout, *pixels);
    else
        DecodeMasked(file.data + kHeaderEnd, layout, *pixels);
    return true;
}

}  // namespace platform::d3dx
