// Golden frames of the 2D routines: each frame is drawn by the software device, read back and
// compared pixel by pixel with a reference computed here from the blend and sampling formulas
// (within 1 per channel).
#include "draw_fixture.h"

#include "graphics/gdi_font_map.h"
#include "graphics/texture_flex.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace drawtest {
namespace {

constexpr D3DCOLOR kBlack = 0xFF000000;
const D3DCOLOR kNoSpecular[5] = {};

// Pixel (x, y) of a texture with a different colour in every texel of a 64 x 64 block.
std::uint32_t Gradient(std::uint32_t x, std::uint32_t y)
{
    return Pack(int(x * 4), int(y * 4), 255 - int(x * 4), int((x + y) * 2));
}

std::uint32_t Checker(int x, int y)
{
    return ((x / 8 + y / 8) & 1) ? 0xFFC0A080u : 0xFF204060u;
}

int Div255(int value)
{
    return (value + 127) / 255;
}

int Clamp(double value)
{
    return std::clamp(int(std::lround(value)), 0, 255);
}

// What each preset leaves in the target for source colour s (alpha sa) over destination d,
// all 0 to 255.
int Blend(std::int32_t preset, int s, int sa, int d)
{
    const double S = s, A = sa / 255.0, D = d;
    switch (preset) {
    case 1: return s;
    case 2:
    case 8: return Clamp(S * A + D * (1 - A));
    case 3:
    case 4: return Clamp(S * A + D);
    case 5: return Clamp(D - S * A);
    case 6: return Clamp(D * S / 255.0);
    case 7: return Clamp(S * (255 - D) / 255.0 + D * (255 - S) / 255.0);
    case 9: return Clamp(S * (255 - D) / 255.0 + D);
    case 10: return Clamp(S - D);
    default: return -1;
    }
}

TEST_F(DrawTest, TheTenPresetsOverACheckerMatchTheBlendFormulas)
{
    constexpr D3DCOLOR tint = 0xF0FFC080;
    GxTexture* texture = MakeTexture(64, 64, Gradient);
    Clear(kBlack);
    auto origin = [](std::int32_t preset) {
        return std::pair<int, int>{20 + (preset - 1) % 5 * 80, 20 + (preset - 1) / 5 * 80};
    };
    for (std::int32_t preset = 1; preset <= kBlendPresetLast; ++preset) {
        const auto [left, top] = origin(preset);
        for (int y = 0; y < 64; y += 8)
            for (int x = 0; x < 64; x += 8) ClearRect(left + x, top + y, left + x + 8, top + y + 8, Checker(x, y));
        const GxVector2 corners[4] = {{float(left), float(top)},
                                      {float(left), float(top + 64)},
                                      {float(left + 64), float(top + 64)},
                                      {float(left + 64), float(top)}};
        const D3DCOLOR diffuse[4] = {tint, tint, tint, tint};
        DrawQuad2D(texture, corners, GxFRect{0, 0, 1, 1}, diffuse, kNoSpecular, preset);
    }

    const Frame frame = ReadFrame();
    const Rgba vertex = Split(tint);
    for (std::int32_t preset = 1; preset <= kBlendPresetLast; ++preset) {
        const auto [left, top] = origin(preset);
        int failures = 0;
        for (int y = 0; y < 64 && failures < 5; ++y) {
            for (int x = 0; x < 64 && failures < 5; ++x) {
                const Rgba texel = Split(Gradient(x, y)), target = Split(Checker(x, y));
                // The texture stage: texel times vertex colour, doubled for preset 4.
                auto modulate = [&](int t, int v) {
                    return preset == 4 ? std::min(255, Div255(2 * t * v)) : Div255(t * v);
                };
                const int sa = modulate(texel.a, vertex.a);
                const std::uint32_t expected = Pack(255, Blend(preset, modulate(texel.r, vertex.r), sa, target.r),
                                                    Blend(preset, modulate(texel.g, vertex.g), sa, target.g),
                                                    Blend(preset, modulate(texel.b, vertex.b), sa, target.b));
                const ::testing::AssertionResult near = Near(frame.At(left + x, top + y), expected);
                if (!near) {
                    ++failures;
                    ADD_FAILURE() << "preset " << preset << " texel (" << x << ", " << y << "): " << near.message();
                }
            }
        }
        // Nothing outside the quad.
        EXPECT_EQ(frame.At(left - 1, top), kBlack) << "preset " << preset;
        EXPECT_EQ(frame.At(left + 64, top + 63), kBlack) << "preset " << preset;
    }
}

// Which pixels a 10 x 10 quad covers, shifted for textured routines and not for colour
// rectangles: a quarter-pixel difference moves the covered block by one pixel.
TEST_F(DrawTest, QuadsCoverThePixelsTheirShiftedCornersEnclose)
{
    struct Case {
        const char* name;
        bool colorRect;
        float origin;
        int first;   // first covered pixel on both axes; ten are covered
    };
    const Case cases[] = {
        {"quad on whole pixels", false, 10.0f, 10},
        {"quad on half pixels", false, 10.5f, 10},
        {"quad just past the half", false, 10.6f, 11},
        {"colour rectangle on whole pixels", true, 10.0f, 10},
        {"colour rectangle on half pixels", true, 10.5f, 11},
    };
    const D3DCOLOR white[5] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Clear(kBlack);
        const float a = c.origin, b = c.origin + 10.0f;
        if (c.colorRect) {
            DrawColorRect2D(GxFRect{a, a, b, b}, white, kNoSpecular, kBlendOpaque);
        } else {
            const GxVector2 corners[4] = {{a, a}, {a, b}, {b, b}, {b, a}};
            DrawQuad2D(nullptr, corners, GxFRect{0, 0, 1, 1}, white, kNoSpecular, kBlendOpaque);
        }
        const Frame frame = ReadFrame();
        for (int y = c.first - 2; y < c.first + 12; ++y) {
            for (int x = c.first - 2; x < c.first + 12; ++x) {
                const bool inside = x >= c.first && x < c.first + 10 && y >= c.first && y < c.first + 10;
                ASSERT_EQ(frame.At(x, y), inside ? 0xFFFFFFFFu : kBlack) << "pixel " << x << ", " << y;
            }
        }
    }
}

TEST_F(DrawTest, TexelCentresLandOnPixelCentresWithPointAndLinearFiltering)
{
    const std::uint32_t texels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    GxTexture* texture = MakeTexture(2, 2, [&](std::uint32_t x, std::uint32_t y) { return texels[y * 2 + x]; });
    for (const D3DTEXTUREFILTERTYPE filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        SCOPED_TRACE(filter == D3DTEXF_POINT ? "point" : "linear");
        Clear(kBlack);
        GxGraphics::SetTextureFilter(filter);
        DrawTextureRect2D(texture, 50, 50, GxFRect{0, 0, 2, 2}, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0),
                          GxVector2(0, 0), 0xFFFFFFFF, 0, kBlendOpaque);
        const Frame frame = ReadFrame();
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) EXPECT_TRUE(Near(frame.At(50 + x, 50 + y), texels[y * 2 + x])) << x << "," << y;
        EXPECT_EQ(frame.At(52, 50), kBlack);
        EXPECT_EQ(frame.At(50, 52), kBlack);
    }

    // Point sampling at four times the size: every texel a 4 x 4 block.
    Clear(kBlack);
    GxGraphics::SetTextureFilter(D3DTEXF_POINT);
    DrawTextureRect2D(texture, 100, 100, GxFRect{0, 0, 2, 2}, GxVector2(4, 4), GxVector3(0, 0, 0), GxVector2(0, 0),
                      GxVector2(0, 0), 0xFFFFFFFF, 0, kBlendOpaque);
    const Frame frame = ReadFrame();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(frame.At(100 + x, 100 + y), texels[(y / 4) * 2 + x / 4]) << x << "," << y;
}

TEST_F(DrawTest, AlphaOfAnA8R8G8B8TargetKeepsTheLargerOfSourceAndTarget)
{
    auto target = std::make_unique<GxTexture>();
    ASSERT_TRUE(target->CreateRenderTarget(u"alpha_target", 16, 16, D3DFMT_A8R8G8B8));
    GxTexture* half = MakeTexture(4, 4, [](std::uint32_t, std::uint32_t) { return 0x80FF0000u; });

    struct Case {
        D3DCOLOR clear;
        int alpha;
        int red;
    };
    const Case cases[] = {
        {0xFF000000, 0xFF, 0x80},   // half-transparent over opaque stays opaque
        {0x20000000, 0x80, 0x80},
        {0xC00000FF, 0xC0, 0x80},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(GxGraphics::PushRenderTarget(0, target.get(), nullptr, nullptr));
        Clear(c.clear);
        DrawTextureRect2D(half, 4, 4, GxFRect{0, 0, 4, 4}, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0),
                          GxVector2(0, 0), 0xFFFFFFFF, 0, kBlendAlpha);
        ASSERT_TRUE(GxGraphics::PopRenderTarget(0));
        ASSERT_TRUE(target->TransferRenderTargetToMemory());
        const Rgba under = Split(c.clear);
        const std::uint32_t expected = Pack(c.alpha, c.red, 0, Div255(under.b * 0x7F));
        EXPECT_TRUE(Near(target->GetPixel(5, 5), expected, 1, true)) << std::hex << c.clear;
        EXPECT_EQ(target->GetPixel(0, 0), c.clear);
    }
    target.reset();
}

TEST_F(DrawTest, SpecularIsAddedAndSaturatesAndAnUntexturedRectangleShowsItsDiffuseColour)
{
    Clear(kBlack);
    const D3DCOLOR diffuse[5] = {0xFF804020, 0xFF804020, 0xFF804020, 0xFF804020, 0xFF804020};
    const D3DCOLOR specular[5] = {0x00A01010, 0x00A01010, 0x00A01010, 0x00A01010, 0x00A01010};
    DrawColorRect2D(GxFRect{10, 10, 30, 30}, diffuse, kNoSpecular, kBlendOpaque);
    DrawColorRect2D(GxFRect{40, 10, 60, 30}, diffuse, specular, kBlendOpaque);
    GxTexture* grey = MakeTexture(2, 2, [](std::uint32_t, std::uint32_t) { return 0xFF404040u; });
    DrawTextureRect2D(grey, 70, 10, GxFRect{0, 0, 2, 2}, GxVector2(10, 10), GxVector3(0, 0, 0), GxVector2(0, 0),
                      GxVector2(0, 0), 0xFFFFFFFF, 0x00F00800, kBlendOpaque);
    const Frame frame = ReadFrame();
    EXPECT_TRUE(Near(frame.At(20, 20), 0xFF804020));
    EXPECT_TRUE(Near(frame.At(50, 20), 0xFFFF5030));   // red saturates
    EXPECT_TRUE(Near(frame.At(80, 20), 0xFFFF4840));   // texel plus specular, red saturates
}

// Four triangles around the centre: each pixel takes the colours of its triangle's corners,
// interpolated, so a vertex in the wrong place or with the wrong colour shows.
TEST_F(DrawTest, FiveColourRectangleInterpolatesAroundItsCentre)
{
    const D3DCOLOR colors[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF808080};
    Clear(kBlack);
    constexpr float left = 100, top = 100, size = 64;
    DrawColorRect2D(GxFRect{left, top, left + size, top + size}, colors, kNoSpecular, kBlendOpaque);
    const Frame frame = ReadFrame();

    struct Point {
        double x, y;
        int color;
    };
    const Point lt{left, top, 0}, lb{left, top + size, 1}, rb{left + size, top + size, 2}, rt{left + size, top, 3},
        c{left + size / 2, top + size / 2, 4};
    const Point triangles[4][3] = {{lt, lb, c}, {lt, c, rt}, {c, lb, rb}, {c, rb, rt}};
    EXPECT_TRUE(Near(frame.At(132, 132), colors[4]));
    EXPECT_TRUE(Near(frame.At(100, 100), colors[0]));
    int failures = 0;
    for (int y = 100; y < 164 && failures < 5; ++y) {
        for (int x = 100; x < 164 && failures < 5; ++x) {
            for (const auto& t : triangles) {
                const double d = (t[1].y - t[2].y) * (t[0].x - t[2].x) + (t[2].x - t[1].x) * (t[0].y - t[2].y);
                const double w0 = ((t[1].y - t[2].y) * (x - t[2].x) + (t[2].x - t[1].x) * (y - t[2].y)) / d;
                const double w1 = ((t[2].y - t[0].y) * (x - t[2].x) + (t[0].x - t[2].x) * (y - t[2].y)) / d;
                const double w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                auto channel = [&](int shift) {
                    return Clamp(w0 * ((colors[t[0].color] >> shift) & 255) + w1 * ((colors[t[1].color] >> shift) & 255) +
                                 w2 * ((colors[t[2].color] >> shift) & 255));
                };
                const std::uint32_t expected = Pack(255, channel(16), channel(8), channel(0));
                if (!Near(frame.At(x, y), expected)) {
                    ++failures;
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << Near(frame.At(x, y), expected).message();
                }
                break;
            }
        }
    }
}

// The flex image's pixel (x, y): unique over 1280 x 720, blue never above 0x4F.
std::uint32_t FlexPixel(std::uint32_t x, std::uint32_t y)
{
    return Pack(255, int(x & 255), int(y & 255), int(((x >> 8) << 4) | (y >> 8)));
}

TEST_F(DrawTest, FlexImageDrawsTileByTileWithoutGapsOrSeams)
{
    auto flex = std::make_unique<GxTextureFlex>();
    ASSERT_TRUE(flex->CreateTexture(u"flex_1280x720", 1280, 720, D3DFMT_A8R8G8B8));
    ASSERT_EQ(flex->GetColumns(), 10u);
    ASSERT_EQ(flex->GetRows(), 6u);
    IDirect3DTexture9* const* tiles = flex->GetTiles();
    for (std::uint32_t row = 0; row < 6; ++row) {
        for (std::uint32_t column = 0; column < 10; ++column) {
            D3DLOCKED_RECT locked{};
            ASSERT_EQ(tiles[row * 10 + column]->LockRect(0, &locked, nullptr, 0), D3D_OK);
            for (std::uint32_t y = 0; y < 128; ++y) {
                auto* line = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
                // Past the image's edge the tile holds a colour that must never be drawn.
                for (std::uint32_t x = 0; x < 128; ++x) {
                    const std::uint32_t ix = column * 128 + x, iy = row * 128 + y;
                    line[x] = ix < 1280 && iy < 720 ? FlexPixel(ix, iy) : 0xFFFFFFFFu;
                }
            }
            tiles[row * 10 + column]->UnlockRect(0);
        }
    }

    // 1:1, moved left so that the last column of tiles and the cut bottom row are on screen.
    constexpr D3DCOLOR background = 0xFFFF00FF;
    Clear(background);
    DrawTexture2D(flex.get(), -256, 0, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0), 0xFFFFFFFF, 0,
                  kBlendOpaque);
    Frame frame = ReadFrame();
    int failures = 0;
    for (int y = 0; y < 768 && failures < 5; ++y) {
        for (int x = 0; x < 1024 && failures < 5; ++x) {
            const std::uint32_t expected = y < 720 ? FlexPixel(x + 256, y) : background;
            if (frame.At(x, y) != expected) {
                ++failures;
                ADD_FAILURE() << "pixel " << x << ", " << y << std::hex << ": 0x" << frame.At(x, y) << ", expected 0x"
                              << expected;
            }
        }
    }

    // Scaled down, rotated a little and pivoted at the centre: tile edges fall between pixels,
    // and still no background shows inside and no edge padding shows anywhere.
    Clear(background);
    DrawTexture2D(flex.get(), 512, 384, GxVector2(0.7f, 0.7f), GxVector3(0, 0, 0.05f), GxVector2(0.5f, 0.5f),
                  0xFFFFFFFF, 0, kBlendOpaque);
    frame = ReadFrame();
    const double c = std::cos(0.05), s = std::sin(0.05);
    failures = 0;
    for (int y = 0; y < 768 && failures < 5; ++y) {
        for (int x = 0; x < 1024 && failures < 5; ++x) {
            // Back into image pixels; well inside the image there must be no background.
            const double qx = x - 511.5, qy = y - 383.5;
            const double ix = (qx * c + qy * s) / 0.7 + 640, iy = (-qx * s + qy * c) / 0.7 + 360;
            const std::uint32_t pixel = frame.At(x, y);
            if (pixel == 0xFFFFFFFFu || (ix > 2 && ix < 1278 && iy > 2 && iy < 718 && pixel == background)) {
                ++failures;
                ADD_FAILURE() << "pixel " << x << ", " << y << std::hex << ": 0x" << pixel;
            }
        }
    }
    flex.reset();
}

TEST_F(DrawTest, RotatedTextureRectangleTurnsAboutItsPivot)
{
    GxTexture* texture =
        MakeTexture(32, 16, [](std::uint32_t x, std::uint32_t y) { return Pack(255, int(x * 8), int(y * 16), 0x55); });
    constexpr D3DCOLOR background = 0xFF000000;
    Clear(background);
    const double angle = std::numbers::pi / 2;
    constexpr double sx = 2, sy = 1, px = 0.5, py = 0.5, x0 = 300, y0 = 300;
    DrawTextureRect2D(texture, float(x0), float(y0), GxFRect{0, 0, 32, 16}, GxVector2(float(sx), float(sy)),
                      GxVector3(0, 0, float(angle)), GxVector2(float(px), float(py)), GxVector2(0, 0), 0xFFFFFFFF, 0,
                      kBlendOpaque);
    const Frame frame = ReadFrame();
    const double c = std::cos(angle), s = std::sin(angle);
    int drawn = 0, failures = 0;
    for (int y = 250; y < 350 && failures < 5; ++y) {
        for (int x = 250; x < 350 && failures < 5; ++x) {
            // Row vectors: (X, Y) turns into (X c - Y s, X s + Y c); undo the placement.
            const double qx = x - (x0 - 0.5), qy = y - (y0 - 0.5);
            const double tx = (qx * c + qy * s) / sx + px * 32, ty = (-qx * s + qy * c) / sy + py * 16;
            const auto ambiguous = [](double t) { return std::fabs(t - std::round(t)) < 0.02; };
            if (ambiguous(tx) || ambiguous(ty)) continue;
            const bool inside = tx > 0 && tx < 32 && ty > 0 && ty < 16;
            const std::uint32_t expected =
                inside ? Pack(255, int(std::floor(tx)) * 8, int(std::floor(ty)) * 16, 0x55) : background;
            drawn += inside;
            if (frame.At(x, y) != expected) {
                ++failures;
                ADD_FAILURE() << "pixel " << x << ", " << y << std::hex << ": 0x" << frame.At(x, y) << ", expected 0x"
                              << expected;
            }
        }
    }
    EXPECT_EQ(drawn, 64 * 16);   // a 16 x 64 block: the 64 x 16 quad stood on end
}

TEST_F(DrawTest, LayerQuadDrawsFourTrianglesAroundItsCentreWithTheUvOffset)
{
    GxTexture* texture = MakeTexture(64, 64, Gradient);
    Clear(kBlack);
    const GxVector3 points[5] = {{200, 400, 0}, {200, 464, 0}, {264, 464, 0}, {264, 400, 0}, {232, 432, 0}};
    const GxVector2 uvs[5] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0.5f, 0.5f}};
    const D3DCOLOR white[5] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
    DrawNcLayerQuad(texture, points, uvs, white, kNoSpecular, GxVector2(0.5f, 0), kBlendOpaque);
    const Frame frame = ReadFrame();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            // The back buffer has no alpha of its own.
            ASSERT_EQ(frame.At(200 + x, 400 + y), Gradient((x + 32) % 64, y) | 0xFF000000u) << x << "," << y;
        }
    EXPECT_EQ(frame.At(199, 400), kBlack);
    EXPECT_EQ(frame.At(264, 463), kBlack);

    // All five points past the right edge: not sent.
    const GxVector3 outside[5] = {{1100, 0, 0}, {1100, 64, 0}, {1164, 64, 0}, {1164, 0, 0}, {1132, 32, 0}};
    device->SetFVF(0);
    DrawNcLayerQuad(texture, outside, uvs, white, kNoSpecular, GxVector2(0, 0), kBlendOpaque);
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0u);
}

TEST_F(DrawTest, OutlinedImageCellHasAOnePixelRingInTheOutlineColour)
{
    GxTexture* texture = MakeTexture(8, 8, [](std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
    Clear(kBlack);
    const GxImageCell cell{texture, 2, 2, 4, 4};
    DrawImageCellOutlined2D(cell, 600, 100, 1.0f, 0xFF00FF00, 0, 0xFFFF0000, kBlendOpaque, GxVector2(1, 1));
    const Frame frame = ReadFrame();
    for (int y = 97; y < 107; ++y) {
        for (int x = 597; x < 607; ++x) {
            const bool inner = x >= 600 && x < 604 && y >= 100 && y < 104;
            const bool ring = !inner && x >= 599 && x < 605 && y >= 99 && y < 105;
            ASSERT_EQ(frame.At(x, y), inner ? 0xFF00FF00u : ring ? 0xFFFF0000u : kBlack) << x << "," << y;
        }
    }
}

TEST_F(DrawTest, GlyphRingLeavesItsCentreAndAnEmptyRecordDrawsNothing)
{
    GxTexture* texture = MakeTexture(8, 8, [](std::uint32_t, std::uint32_t) { return 0xFFFFFFFFu; });
    Clear(kBlack);
    GxGlyphRecord glyph;
    glyph.texture = texture;
    glyph.x = 2;
    glyph.y = 2;
    glyph.width = 4;
    glyph.height = 4;
    const GxVector3 noRotation(0, 0, 0);
    const GxVector2 noPivot(0, 0);
    // A 4 x 4 glyph ringed at distance 4: eight copies tile the square round it, and its own place
    // stays empty.
    GxDrawTextClippedEx(glyph, 600, 100, 4.0f, GxVector2(1, 1), noRotation, noPivot, 0xFFFF0000, 0, kBlendOpaque);
    GxDrawTextClipped(glyph, 300, 100, GxVector2(2, 2), noRotation, noPivot, 0xFF00FF00, 0, kBlendOpaque);
    GxDrawTextClipped(GxGlyphRecord{}, 400, 100, GxVector2(1, 1), noRotation, noPivot, 0xFF00FF00, 0, kBlendOpaque);
    GxDrawTextClippedEx(GxGlyphRecord{}, 400, 100, 1.0f, GxVector2(1, 1), noRotation, noPivot, 0xFF00FF00, 0,
                        kBlendOpaque);
    const Frame frame = ReadFrame();
    for (int y = 94; y < 110; ++y) {
        for (int x = 594; x < 610; ++x) {
            const bool covered = x >= 596 && x < 608 && y >= 96 && y < 108;
            const bool hole = x >= 600 && x < 604 && y >= 100 && y < 104;
            ASSERT_EQ(frame.At(x, y), covered && !hole ? 0xFFFF0000u : kBlack) << x << "," << y;
        }
    }
    for (int y = 98; y < 110; ++y)
        for (int x = 298; x < 310; ++x) {
            const bool inside = x >= 300 && x < 308 && y >= 100 && y < 108;
            ASSERT_EQ(frame.At(x, y), inside ? 0xFF00FF00u : kBlack) << x << "," << y;
        }
    for (int y = 98; y < 106; ++y)
        for (int x = 398; x < 406; ++x) ASSERT_EQ(frame.At(x, y), kBlack) << x << "," << y;
}

}  // namespace
}  // namespace drawtest
