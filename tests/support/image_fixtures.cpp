#include "tests/support/image_fixtures.h"

#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

void Put16(ImageBytes& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(ImageBytes& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutBig32(ImageBytes& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(v >> shift));
}

void PutChunk(ImageBytes& out, const char* type, const ImageBytes& body)
{
    PutBig32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    const uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
    PutBig32(out, static_cast<std::uint32_t>(crc));
}

int Channels(std::uint8_t colorType)
{
    switch (colorType) {
    case kPngRgb: return 3;
    case kPngGreyAlpha: return 2;
    case kPngRgba: return 4;
    default: return 1;
    }
}

// Filter byte 0 before every row of every pass.
ImageBytes Scanlines(const PngSpec& spec)
{
    ImageBytes raw;
    if (!spec.interlaced) {
        for (const ImageBytes& row : spec.rows) {
            raw.push_back(0);
            raw.insert(raw.end(), row.begin(), row.end());
        }
        return raw;
    }
    const std::size_t bytesPerPixel = std::size_t(Channels(spec.colorType)) * (spec.bitDepth / 8);
    static const std::uint32_t kStartX[7] = {0, 4, 0, 2, 0, 1, 0}, kStartY[7] = {0, 0, 4, 0, 2, 0, 1};
    static const std::uint32_t kStepX[7] = {8, 8, 4, 4, 2, 2, 1}, kStepY[7] = {8, 8, 8, 4, 4, 2, 2};
    for (int pass = 0; pass < 7; ++pass) {
        if (kStartX[pass] >= spec.width) continue;   // a pass without columns has no rows at all
        for (std::uint32_t y = kStartY[pass]; y < spec.height; y += kStepY[pass]) {
            raw.push_back(0);
            for (std::uint32_t x = kStartX[pass]; x < spec.width; x += kStepX[pass]) {
                const std::uint8_t* pixel = spec.rows[y].data() + x * bytesPerPixel;
                raw.insert(raw.end(), pixel, pixel + bytesPerPixel);
            }
        }
    }
    return raw;
}

void WriteHeader(ImageBytes& out, const char* magic)
{
    for (const char* p = magic; *p; ++p) out.push_back(static_cast<std::uint8_t>(*p));
}

ImageBytes DdsHeader(std::uint32_t width, std::uint32_t height, std::uint32_t pixelFlags, const char* fourCC,
                     std::uint32_t bits, const std::uint32_t masks[4])
{
    ImageBytes out;
    WriteHeader(out, "DDS ");
    Put32(out, 124);
    Put32(out, 0x1 | 0x2 | 0x4 | 0x1000);   // caps, height, width, pixel format
    Put32(out, height);
    Put32(out, width);
    Put32(out, 0);   // pitch or linear size
    Put32(out, 0);   // depth
    Put32(out, 0);   // mip count
    for (int i = 0; i < 11; ++i) Put32(out, 0);
    Put32(out, 32);
    Put32(out, pixelFlags);
    if (fourCC)
        out.insert(out.end(), fourCC, fourCC + 4);
    else
        Put32(out, 0);
    Put32(out, bits);
    for (int i = 0; i < 4; ++i) Put32(out, masks ? masks[i] : 0);
    Put32(out, 0x1000);   // caps: texture
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    return out;
}

}  // namespace

TestImage TestImage::Make(std::uint32_t width, std::uint32_t height, std::uint32_t (*pixel)(std::uint32_t, std::uint32_t))
{
    TestImage image{width, height, {}};
    image.argb.reserve(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) image.argb.push_back(pixel(x, y));
    return image;
}

TestImage TestImage::Solid(std::uint32_t width, std::uint32_t height, std::uint32_t argb)
{
    return TestImage{width, height, std::vector<std::uint32_t>(std::size_t(width) * height, argb)};
}

TestImage TestImage::Quadrants(std::uint32_t width, std::uint32_t height, std::uint32_t topLeft, std::uint32_t topRight,
                               std::uint32_t bottomLeft, std::uint32_t bottomRight)
{
    TestImage image{width, height, {}};
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            image.argb.push_back(bottom ? (right ? bottomRight : bottomLeft) : (right ? topRight : topLeft));
        }
    return image;
}

TestImage TestImage::Scene(std::uint32_t width, std::uint32_t height)
{
    TestImage image{width, height, {}};
    image.argb.reserve(std::size_t(width) * height);
    std::uint32_t noise = 0x12345678;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double fx = double(x) / width, fy = double(y) / height;
            const auto r = std::uint32_t(127 + 100 * std::sin(fx * 6.0 + fy * 2.0)) + ((noise >> 28) & 7);
            const auto g = std::uint32_t(127 + 100 * std::cos(fy * 5.0 - fx)) + ((noise >> 24) & 7);
            const auto b = std::uint32_t(255 * fx * (1 - fy) * 0.9) + ((noise >> 20) & 7);
            image.argb.push_back(0xFF000000u | (r << 16) | (g << 8) | b);
        }
    return image;
}

ImageBytes BuildPng(const PngSpec& spec)
{
    ImageBytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ImageBytes header;
    PutBig32(header, spec.width);
    PutBig32(header, spec.height);
    header.push_back(spec.bitDepth);
    header.push_back(spec.colorType);
    header.push_back(0);
    header.push_back(0);
    header.push_back(spec.interlaced ? 1 : 0);
    PutChunk(out, "IHDR", header);
    if (!spec.palette.empty()) PutChunk(out, "PLTE", spec.palette);
    if (!spec.trns.empty()) PutChunk(out, "tRNS", spec.trns);
    const ImageBytes raw = Scanlines(spec);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    ImageBytes packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(packedSize);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

PngSpec PngSpecRgba8(const TestImage& image)
{
    PngSpec spec{image.width, image.height, 8, kPngRgba, false, {}, {}, {}};
    for (std::uint32_t y = 0; y < image.height; ++y) {
        ImageBytes row;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            row.insert(row.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p), std::uint8_t(p >> 24)});
        }
        spec.rows.push_back(std::move(row));
    }
    return spec;
}

PngSpec PngSpecRgb8(const TestImage& image)
{
    PngSpec spec{image.width, image.height, 8, kPngRgb, false, {}, {}, {}};
    for (std::uint32_t y = 0; y < image.height; ++y) {
        ImageBytes row;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            row.insert(row.end(), {std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p)});
        }
        spec.rows.push_back(std::move(row));
    }
    return spec;
}

ImageBytes BuildTga(const TestImage& image, const TgaOptions& options)
{
    const std::size_t bytes = options.bits / 8;
    ImageBytes out = {0, 0, std::uint8_t(options.runLength ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put16(out, image.width);
    Put16(out, image.height);
    out.push_back(options.bits);
    out.push_back(std::uint8_t((options.bits == 32 ? 8 : 0) | (options.topDown ? 0x20 : 0)));
    std::vector<ImageBytes> stored;   // pixels in file order
    for (std::uint32_t row = 0; row < image.height; ++row) {
        const std::uint32_t y = options.topDown ? row : image.height - 1 - row;
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            ImageBytes pixel = {std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16), std::uint8_t(p >> 24)};
            pixel.resize(bytes);
            stored.push_back(std::move(pixel));
        }
    }
    if (!options.runLength) {
        for (const ImageBytes& pixel : stored) out.insert(out.end(), pixel.begin(), pixel.end());
        return out;
    }
    // Runs of equal pixels as repeat packets, everything else as raw packets; packets may
    // cross rows, as many writers do.
    std::size_t i = 0;
    while (i < stored.size()) {
        std::size_t run = 1;
        while (i + run < stored.size() && run < 128 && stored[i + run] == stored[i]) ++run;
        if (run > 1) {
            out.push_back(std::uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), stored[i].begin(), stored[i].end());
        } else {
            std::size_t raw = 1;
            while (i + raw < stored.size() && raw < 128 &&
                   (i + raw + 1 >= stored.size() || stored[i + raw] != stored[i + raw + 1]))
                ++raw;
            out.push_back(std::uint8_t(raw - 1));
            for (std::size_t k = 0; k < raw; ++k) out.insert(out.end(), stored[i + k].begin(), stored[i + k].end());
            run = raw;
        }
        i += run;
    }
    return out;
}

ImageBytes BuildBmp(const TestImage& image, std::uint16_t bits)
{
    const std::uint32_t stride = ((image.width * bits + 31) / 32) * 4;
    ImageBytes out;
    WriteHeader(out, "BM");
    Put32(out, 54 + stride * image.height);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, image.width);
    Put32(out, image.height);
    Put16(out, 1);
    Put16(out, bits);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    for (std::uint32_t row = 0; row < image.height; ++row) {
        const std::uint32_t y = image.height - 1 - row;
        const std::size_t start = out.size();
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, y);
            out.insert(out.end(), {std::uint8_t(p), std::uint8_t(p >> 8), std::uint8_t(p >> 16)});
            if (bits == 32) out.push_back(std::uint8_t(p >> 24));
        }
        out.resize(start + stride, 0xEE);   // padding with a value a reader must skip
    }
    return out;
}

ImageBytes BuildBmp8(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& indices,
                     const std::vector<std::uint32_t>& paletteArgb)
{
    const std::uint32_t stride = (width + 3) / 4 * 4;
    const std::uint32_t dataOffset = 54 + 4 * static_cast<std::uint32_t>(paletteArgb.size());
    ImageBytes out;
    WriteHeader(out, "BM");
    Put32(out, dataOffset + stride * height);
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(paletteArgb.size()));
    Put32(out, 0);
    for (std::uint32_t c : paletteArgb) out.insert(out.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 0});
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint32_t y = height - 1 - row;
        const std::size_t start = out.size();
        out.insert(out.end(), indices.begin() + std::ptrdiff_t(y * width), indices.begin() + std::ptrdiff_t((y + 1) * width));
        out.resize(start + stride, 0);
    }
    return out;
}

ImageBytes BuildDdsArgb(const TestImage& image)
{
    const std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    ImageBytes out = DdsHeader(image.width, image.height, 0x40 | 0x1, nullptr, 32, masks);
    for (std::uint32_t p : image.argb) Put32(out, p);
    return out;
}

ImageBytes BuildDdsBlocks(const char* fourCC, std::uint32_t width, std::uint32_t height, const ImageBytes& blocks)
{
    ImageBytes out = DdsHeader(width, height, 0x4, fourCC, 0, nullptr);
    out.insert(out.end(), blocks.begin(), blocks.end());
    return out;
}

ImageBytes Dxt1Block(std::uint16_t color0, std::uint16_t color1, std::uint32_t indices)
{
    ImageBytes out;
    Put16(out, color0);
    Put16(out, color1);
    Put32(out, indices);
    return out;
}

ImageBytes Dxt3Block(std::uint64_t alphas, std::uint16_t color0, std::uint16_t color1, std::uint32_t indices)
{
    ImageBytes out;
    Put32(out, static_cast<std::uint32_t>(alphas));
    Put32(out, static_cast<std::uint32_t>(alphas >> 32));
    const ImageBytes colour = Dxt1Block(color0, color1, indices);
    out.insert(out.end(), colour.begin(), colour.end());
    return out;
}

ImageBytes Dxt5Block(std::uint8_t alpha0, std::uint8_t alpha1, std::uint64_t alphaIndices, std::uint16_t color0,
                     std::uint16_t color1, std::uint32_t indices)
{
    ImageBytes out = {alpha0, alpha1};
    for (int i = 0; i < 6; ++i) out.push_back(std::uint8_t(alphaIndices >> (8 * i)));
    const ImageBytes colour = Dxt1Block(color0, color1, indices);
    out.insert(out.end(), colour.begin(), colour.end());
    return out;
}

ImageBytes BuildJpeg(const TestImage& image, int quality, bool grey)
{
    jpeg_compress_struct encoder{};
    jpeg_error_mgr errors{};
    encoder.err = jpeg_std_error(&errors);
    jpeg_create_compress(&encoder);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&encoder, &buffer, &size);
    encoder.image_width = image.width;
    encoder.image_height = image.height;
    encoder.input_components = grey ? 1 : 3;
    encoder.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&encoder);
    jpeg_set_quality(&encoder, quality, TRUE);
    jpeg_start_compress(&encoder, TRUE);
    ImageBytes row;
    while (encoder.next_scanline < encoder.image_height) {
        row.clear();
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.At(x, encoder.next_scanline);
            const std::uint8_t r = std::uint8_t(p >> 16), g = std::uint8_t(p >> 8), b = std::uint8_t(p);
            if (grey)
                row.push_back(std::uint8_t((r * 299 + g * 587 + b * 114 + 500) / 1000));
            else
                row.insert(row.end(), {r, g, b});
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&encoder, &pointer, 1);
    }
    jpeg_finish_compress(&encoder);
    ImageBytes out(buffer, buffer + size);
    jpeg_destroy_compress(&encoder);
    std::free(buffer);
    return out;
}

bool WriteImageFile(const std::string& path, const ImageBytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}
