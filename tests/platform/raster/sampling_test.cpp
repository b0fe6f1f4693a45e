// Texture sampling (point, linear, addressing, formats) and the image operations: pixel
// conversion, fills and copies.
#include "tests/platform/raster/raster_fixture.h"

namespace rastertest {
namespace {

DrawState SamplingState(const Image* texture, Filter filter, Address address) {
    DrawState s = EngineState(1, texture);
    s.stages[0].magFilter = s.stages[0].minFilter = filter;
    s.stages[0].addressU = s.stages[0].addressV = address;
    return s;
}

using RasterSampling = RasterTest;

TEST_F(RasterSampling, PointSamplingTakesFloorOfCoordinateTimesSize) {
    OwnedImage texture(4, 3, PixelFormat::A8R8G8B8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            texture.Set(x, y, Argb(255, x * 60, y * 100, 7));
        }
    }
    // Unshifted, 2.5 pixels per texel across and 3 down: pixel centre x samples u = x / 10.
    OwnedImage target(10, 9, PixelFormat::A8R8G8B8);
    DrawFan(target, SamplingState(&texture.image, Filter::Point, Address::Wrap), Quad(0, 0, 10, 9, 0xFFFFFFFF));
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 10; ++x) {
            ASSERT_EQ(target.At(x, y), texture.At(4 * x / 10, 3 * y / 9)) << x << "," << y;
        }
    }
}

// A 4x4 texture magnified four times with the engine's half-pixel shift: texel centres at
// (k + 0.5) / 4, and the addressing mode decides the edge texels' neighbours.
TEST_F(RasterSampling, LinearFilteringBlendsAroundTexelCentresWithAddressing) {
    OwnedImage texture(4, 4, PixelFormat::A8R8G8B8);
    unsigned seed = 7;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            seed = seed * 1103515245u + 12345u;
            texture.Set(x, y, seed ^ (seed << 13));
        }
    }
    auto address = [](int i, Address mode) {
        switch (mode) {
        case Address::Clamp: return std::clamp(i, 0, 3);
        case Address::Mirror: {
            int m = ((i % 8) + 8) % 8;
            return m < 4 ? m : 7 - m;
        }
        case Address::Border: return (i < 0 || i > 3) ? -1 : i;
        default: return ((i % 4) + 4) % 4;
        }
    };
    for (Address mode : {Address::Wrap, Address::Clamp, Address::Mirror, Address::Border}) {
        for (bool fast : {true, false}) {
            SetFastPaths(fast);
            OwnedImage target(16, 16, PixelFormat::A8R8G8B8);
            // Texture coordinates past both edges, so that every addressing mode shows.
            DrawFan(target, SamplingState(&texture.image, Filter::Linear, mode),
                    TexturedQuad(0, 0, 16, 16, 0xFFFFFFFF, 0, -0.5f, -0.5f, 1.5f, 1.5f));
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    double u = (-0.5 + 2.0 * (x + 0.5) / 16) * 4 - 0.5;
                    double v = (-0.5 + 2.0 * (y + 0.5) / 16) * 4 - 0.5;
                    int iu = int(std::floor(u)), iv = int(std::floor(v));
                    double fu = u - iu, fv = v - iv;
                    auto texel = [&](int i, int j, int shift) {
                        int a = address(i, mode), b = address(j, mode);
                        return (a < 0 || b < 0) ? 0.0 : Channel(texture.At(a, b), shift) / 255.0;
                    };
                    auto channel = [&](int shift) {
                        return (1 - fv) * ((1 - fu) * texel(iu, iv, shift) + fu * texel(iu + 1, iv, shift)) +
                               fv * ((1 - fu) * texel(iu, iv + 1, shift) + fu * texel(iu + 1, iv + 1, shift));
                    };
                    ASSERT_TRUE(Near(target.At(x, y), channel(24), channel(16), channel(8), channel(0)))
                        << "mode " << int(mode) << " fast " << fast << " pixel " << x << "," << y << " got "
                        << Hex(target.At(x, y));
                }
            }
        }
    }
}

TEST_F(RasterSampling, FourBitTexturesExpandEachChannelTimesSeventeen) {
    for (PixelFormat format : {PixelFormat::A4R4G4B4, PixelFormat::X4R4G4B4}) {
        OwnedImage texture(16, 16, format);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                std::uint16_t v = std::uint16_t((x << 12) | (y << 8) | ((x ^ y) << 4) | (15 - x));
                std::memcpy(&texture.bytes[std::size_t(y) * 32 + std::size_t(x) * 2], &v, 2);
            }
        }
        OwnedImage target(16, 16, PixelFormat::A8R8G8B8);
        DrawFan(target, SamplingState(&texture.image, Filter::Point, Address::Wrap),
                TexturedQuad(0, 0, 16, 16, 0xFFFFFFFF));
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                int alpha = format == PixelFormat::A4R4G4B4 ? x * 17 : 255;
                ASSERT_EQ(target.At(x, y), Argb(alpha, y * 17, (x ^ y) * 17, (15 - x) * 17)) << x << "," << y;
            }
        }
    }
}

TEST_F(RasterSampling, MinificationUsesMinFilterAndMagnificationMagFilter) {
    OwnedImage texture(4, 4, PixelFormat::A8R8G8B8);
    for (int i = 0; i < 16; ++i) {
        texture.Set(i % 4, i / 4, (i % 2) ? 0xFFFFFFFF : 0xFF000000);
    }
    DrawState s = SamplingState(&texture.image, Filter::Point, Address::Wrap);
    s.stages[0].magFilter = Filter::Linear;
    OwnedImage small(2, 2, PixelFormat::A8R8G8B8), large(16, 16, PixelFormat::A8R8G8B8);
    DrawFan(small, s, TexturedQuad(0, 0, 2, 2, 0xFFFFFFFF));
    DrawFan(large, s, TexturedQuad(0, 0, 16, 16, 0xFFFFFFFF));
    for (int i = 0; i < 4; ++i) {
        std::uint32_t c = small.At(i % 2, i / 2);
        EXPECT_TRUE(c == 0xFFFFFFFF || c == 0xFF000000) << Hex(c);
    }
    // Pixel 4 samples u = 4.5 / 4 - 0.5 = 0.625 texels: between black texel 0 and white texel 1.
    EXPECT_TRUE(Near(large.At(4, 4), 1, 0.625, 0.625, 0.625)) << Hex(large.At(4, 4));
}

TEST_F(RasterSampling, DegenerateTextureCoordinatesStillDrawSafely) {
    OwnedImage texture(8, 8, PixelFormat::A8R8G8B8);
    Fill(texture.image, texture.Bounds(), 0xFF808080);
    const float nan = std::nanf("");
    for (Address mode : {Address::Wrap, Address::Clamp, Address::Mirror, Address::MirrorOnce, Address(77)}) {
        for (Filter filter : {Filter::Point, Filter::Linear}) {
            OwnedImage target(8, 8, PixelFormat::A8R8G8B8);
            DrawFan(target, SamplingState(&texture.image, filter, mode),
                    TexturedQuad(0, 0, 8, 8, 0xFFFFFFFF, 0, nan, -1e30f, 1e30f, 3e9f));
            EXPECT_EQ(target.At(3, 3), 0xFF808080u);
        }
    }
}

TEST_F(RasterSampling, PixelFormatsConvertToAndFromArgb) {
    struct Case {
        PixelFormat format;
        int bytes;
        std::uint32_t read;   // after writing 0x8C4A2F96
    };
    const Case cases[] = {
        {PixelFormat::A8R8G8B8, 4, 0x8C4A2F96}, {PixelFormat::X8R8G8B8, 4, 0xFF4A2F96},
        {PixelFormat::R8G8B8, 3, 0xFF4A2F96},   {PixelFormat::R5G6B5, 2, 0xFF4A2C94},
        {PixelFormat::A1R5G5B5, 2, 0xFF4A2994}, {PixelFormat::X1R5G5B5, 2, 0xFF4A2994},
        {PixelFormat::A4R4G4B4, 2, 0x88442299}, {PixelFormat::X4R4G4B4, 2, 0xFF442299},
        {PixelFormat::A8, 1, 0x8C000000},       {PixelFormat::L8, 1, 0xFF434343},
        {PixelFormat::A2R10G10B10, 4, 0xAA4A2F96},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BytesPerPixel(c.format), c.bytes);
        OwnedImage image(3, 2, c.format);
        image.Set(1, 1, 0x8C4A2F96);
        EXPECT_EQ(image.At(1, 1), c.read) << "format " << int(c.format) << " got " << Hex(image.At(1, 1));
        EXPECT_EQ(image.At(0, 0) & 0x00FFFFFF, 0u);
        EXPECT_EQ(image.At(3, 1), 0u);   // outside
    }
    EXPECT_EQ(BytesPerPixel(PixelFormat::Unknown), 0);
    std::uint8_t byte = 0x5A;
    Image unknown{&byte, 1, 1, 1, PixelFormat::Unknown};
    WritePixel(unknown, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_EQ(ReadPixel(unknown, 0, 0), 0u);
}

TEST_F(RasterSampling, FillIsClippedAndConverted) {
    OwnedImage target(16, 8, PixelFormat::A4R4G4B4, 6);
    Fill(target.image, Rect{-4, 2, 6, 20}, 0x8F3C7A11);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            ASSERT_EQ(target.At(x, y), (x < 6 && y >= 2) ? 0x88337711u : 0u) << x << "," << y;
        }
        for (int pad = 32; pad < 38; ++pad) {
            ASSERT_EQ(target.bytes[std::size_t(y) * 38 + std::size_t(pad)], 0);
        }
    }
}

TEST_F(RasterSampling, BlitCopiesConvertsAndScales) {
    OwnedImage source(4, 4, PixelFormat::A8R8G8B8);
    for (int i = 0; i < 16; ++i) {
        source.Set(i % 4, i / 4, Argb(255, i * 16, 255 - i * 16, 0x40));
    }
    {   // Same size, other format, into an offset rectangle partly outside the destination.
        OwnedImage dest(5, 5, PixelFormat::A4R4G4B4);
        Blit(dest.image, Rect{3, 1, 7, 5}, source.image, Rect{0, 0, 4, 4}, Filter::None);
        EXPECT_EQ(dest.At(3, 1), 0xFF00FF44u);
        EXPECT_EQ(dest.At(4, 2), Argb(255, 0x55, 0xAA, 0x44));   // source (1, 1) = 50, AF, 40
        EXPECT_EQ(dest.At(2, 1), 0u);
    }
    {   // Point doubling repeats each pixel; halving takes the pixel under each centre.
        OwnedImage big(8, 8, PixelFormat::A8R8G8B8), half(2, 2, PixelFormat::A8R8G8B8);
        Blit(big.image, big.Bounds(), source.image, source.Bounds(), Filter::Point);
        Blit(half.image, half.Bounds(), source.image, source.Bounds(), Filter::Point);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                ASSERT_EQ(big.At(x, y), source.At(x / 2, y / 2));
            }
        }
        EXPECT_EQ(half.At(0, 0), source.At(1, 1));
        EXPECT_EQ(half.At(1, 1), source.At(3, 3));
    }
    {   // Linear doubling: destination (3, 2) samples source (1.25, 0.75), red there is
        // 0.25 * (0.75 * 16 + 0.25 * 32) + 0.75 * (0.75 * 80 + 0.25 * 96) = 68.
        OwnedImage big(8, 8, PixelFormat::A8R8G8B8);
        Blit(big.image, big.Bounds(), source.image, source.Bounds(), Filter::Linear);
        EXPECT_TRUE(Near(big.At(3, 2), 1, 68 / 255.0, 187 / 255.0, 0x40 / 255.0)) << Hex(big.At(3, 2));
    }
    {   // Overlapping copy inside one image behaves as if the source were read first.
        OwnedImage image(4, 4, PixelFormat::A8R8G8B8);
        std::copy(source.bytes.begin(), source.bytes.end(), image.bytes.begin());
        Blit(image.image, Rect{1, 0, 4, 4}, image.image, Rect{0, 0, 3, 4}, Filter::None);
        for (int y = 0; y < 4; ++y) {
            for (int x = 1; x < 4; ++x) {
                ASSERT_EQ(image.At(x, y), source.At(x - 1, y));
            }
        }
    }
    {   // A source rectangle outside the source changes nothing.
        OwnedImage dest(4, 4, PixelFormat::A8R8G8B8);
        Blit(dest.image, dest.Bounds(), source.image, Rect{2, 2, 6, 6}, Filter::Point);
        Blit(dest.image, dest.Bounds(), source.image, Rect{2, 2, 2, 4}, Filter::Point);
        EXPECT_EQ(dest.bytes, std::vector<std::uint8_t>(dest.bytes.size(), 0));
    }
}

}  // namespace
}  // namespace rastertest
