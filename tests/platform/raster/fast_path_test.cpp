// The fast paths and the row-band threads change speed, never pixels.
#include "tests/platform/raster/raster_fixture.h"

#include "platform/raster/pipeline.h"
#include "platform/raster/sampler.h"

#include <cmath>

namespace rastertest {
namespace {

std::uint32_t Noise(unsigned& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed ^ (seed >> 15);
}

OwnedImage NoiseImage(int width, int height, PixelFormat format, unsigned seed) {
    OwnedImage image(width, height, format);
    for (auto& byte : image.bytes) {   // raw bytes, so X8R8G8B8 "unused" bytes are garbage too
        byte = std::uint8_t(Noise(seed) >> 8);
    }
    return image;
}

// Clear texels as a glyph cell has them: every third row wholly, the next one's first 20 texels;
// colours stay noise, so only a blend that ignores a clear source keeps the destination.
void ClearSomeAlpha(OwnedImage& image) {
    for (int y = 0; y < image.image.height; ++y) {
        const int clear = y % 3 == 0 ? image.image.width : y % 3 == 1 ? std::min(20, image.image.width) : 0;
        for (int x = 0; x < clear; ++x) {
            image.Set(x, y, image.At(x, y) & 0x00FFFFFFu);
        }
    }
}

std::array<Vertex, 4> Rotated(float cx, float cy, float halfWidth, float halfHeight, float angle, std::uint32_t d0,
                              std::uint32_t d1, std::uint32_t s0, std::uint32_t s1) {
    const float c = std::cos(angle), s = std::sin(angle);
    auto at = [&](float x, float y, std::uint32_t d, std::uint32_t sp, float u, float v) {
        return Vertex{cx + x * c - y * s, cy + x * s + y * c, 0, 1, d, sp, u, v};
    };
    return {{at(-halfWidth, -halfHeight, d0, s0, 0, 0), at(-halfWidth, halfHeight, d1, s1, 0, 1),
             at(halfWidth, halfHeight, d0, s0, 1, 1), at(halfWidth, -halfHeight, d1, s1, 1, 0)}};
}

struct Geometry {
    const char* name;
    std::array<Vertex, 4> (*make)(std::uint32_t d0, std::uint32_t d1, std::uint32_t s0, std::uint32_t s1);
    Filter filter;
    Address address;
};

const Geometry kGeometries[] = {
    // Unscaled, texel centres on pixel centres (direct texel rows).
    {"unscaled", [](auto d0, auto d1, auto s0, auto s1) {
         auto q = TexturedQuad(2, 3, 34, 27, d0, s0);
         q[1].diffuse = q[2].diffuse = d1;
         q[1].specular = q[2].specular = s1;
         return q;
     }, Filter::Point, Address::Wrap},
    // The same with LINEAR: every sample on a texel centre.
    {"unscaled linear", [](auto d0, auto d1, auto s0, auto s1) {
         auto q = TexturedQuad(5, 1, 30, 28, d0, s0, 0.25f, 0.5f, 0.25f + 25.0f / 32, 0.5f + 27.0f / 32);
         q[2].diffuse = d1;
         q[2].specular = s1;
         return q;
     }, Filter::Linear, Address::Clamp},
    // Unscaled LINEAR off the texel centres: every sample blends.
    {"unscaled linear off centre", [](auto d0, auto d1, auto s0, auto s1) {
         auto q = TexturedQuad(5.3f, 1.75f, 30.3f, 28.75f, d0, s0, 0, 0, 25.0f / 32, 27.0f / 32);
         q[2].diffuse = d1;
         q[2].specular = s1;
         return q;
     }, Filter::Linear, Address::Wrap},
    // Unscaled but starting inside the texture, so rows wrap around its right edge.
    {"wrapping", [](auto d0, auto d1, auto s0, auto s1) {
         auto q = TexturedQuad(0, 0, 37, 29, d0, s0, 0.3125f, 0.5f, 0.3125f + 37.0f / 32, 0.5f + 29.0f / 32);
         q[0].diffuse = d1;
         q[0].specular = s1;
         return q;
     }, Filter::Point, Address::Wrap},
    {"clamped", [](auto d0, auto d1, auto s0, auto s1) {
         auto q = TexturedQuad(0, 0, 37, 29, d0, s0, -0.25f, -0.125f, -0.25f + 37.0f / 32, -0.125f + 29.0f / 32);
         q[3].diffuse = d1;
         q[3].specular = s1;
         return q;
     }, Filter::Point, Address::Clamp},
    {"scaled linear", [](auto d0, auto d1, auto s0, auto s1) {
         return Rotated(18.2f, 14.7f, 24, 18, 0, d0, d1, s0, s1);
     }, Filter::Linear, Address::Wrap},
    {"rotated linear", [](auto d0, auto d1, auto s0, auto s1) {
         return Rotated(18.5f, 14.5f, 16, 12, 0.6f, d0, d1, s0, s1);
     }, Filter::Linear, Address::Wrap},
    {"rotated point", [](auto d0, auto d1, auto s0, auto s1) {
         return Rotated(18.5f, 14.5f, 20, 11, -2.2f, d0, d1, s0, s1);
     }, Filter::Point, Address::Mirror},
};

class RasterFastPath : public RasterTest {
protected:
    void TearDown() override {
        detail::LimitKernels(detail::KernelSet::Avx512);
        RasterTest::TearDown();
    }
};

constexpr detail::KernelSet kKernelSets[] = {detail::KernelSet::Baseline, detail::KernelSet::Avx2,
                                             detail::KernelSet::Avx512};

// Specular on and off, alpha tests and colour write masks (the fast combiner covers them all).
struct Variant {
    bool alphaTest;
    Compare func;
    std::uint32_t reference;
    std::uint32_t writeMask;
};
constexpr Variant kVariants[] = {
    {false, Compare::Always, 0, 0xF},        {false, Compare::Always, 0, 0xF},
    {true, Compare::GreaterEqual, 0x80, 0xF}, {true, Compare::Less, 0x40, 0x7},
    {false, Compare::Always, 0, 0x7},        {true, Compare::NotEqual, 0xFF, 0x8},
    {true, Compare::Equal, 0, 0x5},          {true, Compare::Never, 0, 0xF},
    {true, Compare::Greater, 0x10, 0x2},     {true, Compare::LessEqual, 0xC0, 0x0},
};
constexpr int kVariantCount = int(sizeof kVariants / sizeof kVariants[0]);

TEST_F(RasterFastPath, FastPathsGiveTheSamePixelsAsTheReference) {
    const PixelFormat textureFormats[] = {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8, PixelFormat::A4R4G4B4,
                                          PixelFormat::Unknown};   // unknown: no texture bound
    struct Colours {
        std::uint32_t d0, d1, s0, s1;
    };
    const Colours colours[] = {{0xC0E0A0FF, 0xC0E0A0FF, 0x00102030, 0x00102030},
                               {0xFFFFFFFF, 0x20406080, 0x00000000, 0x80FF4010},
                               {0x80FFFFFF, 0x80FFFFFF, 0x00000000, 0x00000000}};   // a sprite at half opacity
    unsigned seed = 99;
    for (PixelFormat textureFormat : textureFormats) {
        OwnedImage texture = NoiseImage(32, 32, textureFormat == PixelFormat::Unknown ? PixelFormat::A8R8G8B8
                                                                                      : textureFormat, ++seed);
        const Image* bound = textureFormat == PixelFormat::Unknown ? nullptr : &texture.image;
        for (PixelFormat targetFormat : {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8, PixelFormat::R5G6B5}) {
            const OwnedImage background = NoiseImage(37, 29, targetFormat, ++seed);
            for (const Geometry& g : kGeometries) {
                for (int preset = 1; preset <= 10; ++preset) {
                    for (int variant = 0; variant < kVariantCount; ++variant) {
                        // The colours go round with preset and variant: each set meets every
                        // geometry, format and most states, at a third of the draws.
                        const Colours& c = colours[(preset + variant) % 3];
                        const bool specular = variant % 2 == 0;
                        DrawState state = EngineState(preset, bound);
                        state.specularEnable = specular;
                        state.alphaTestEnable = kVariants[variant].alphaTest;
                        state.alphaFunc = kVariants[variant].func;
                        state.alphaRef = kVariants[variant].reference;
                        state.colorWriteEnable = kVariants[variant].writeMask;
                        state.stages[0].magFilter = state.stages[0].minFilter = g.filter;
                        state.stages[0].addressU = state.stages[0].addressV = g.address;
                        const auto quad = g.make(c.d0, c.d1, c.s0, c.s1);
                        OwnedImage reference = background;
                        SetFastPaths(false);
                        DrawFan(reference, state, quad);
                        SetFastPaths(true);
                        const std::uint64_t fallbacks = ReferencePathDraws();
                        for (auto set : kKernelSets) {
                            detail::LimitKernels(set);
                            OwnedImage fast = background;
                            DrawFan(fast, state, quad);
                            ASSERT_EQ(fast.bytes, reference.bytes)
                                << g.name << " preset " << preset << " texture " << int(textureFormat)
                                << " target " << int(targetFormat) << " colours " << (&c - colours)
                                << " variant " << variant << " kernels " << int(set);
                        }
                        // Every state the engine's drawing routines set has a fast form.
                        ASSERT_EQ(ReferencePathDraws(), fallbacks) << "preset " << preset << " variant " << variant;
                    }
                }
            }
        }
    }
}

// Large overlapping draws split into row bands give the same bytes as one thread.
TEST_F(RasterFastPath, RowBandThreadsGiveTheSamePixels) {
    unsigned seed = 5;
    OwnedImage texture = NoiseImage(64, 64, PixelFormat::A8R8G8B8, seed);
    auto render = [&](int threads) {
        SetThreadCount(threads);
        OwnedImage target(300, 260, PixelFormat::A8R8G8B8);
        int preset = 1;
        for (float angle : {0.0f, 0.3f, 1.1f, 2.5f, 4.0f}) {
            DrawState state = EngineState(preset, &texture.image);
            state.stages[0].magFilter = state.stages[0].minFilter = angle == 0 ? Filter::Point : Filter::Linear;
            DrawFan(target, state, Rotated(150.3f, 129.6f, 170, 120, angle, 0xC0FFFFFF, 0x80FF8040, 0, 0x00201000));
            preset = preset % 10 + 1;
        }
        DrawFan(target, EngineState(2, &texture.image), TexturedQuad(-10, -10, 310, 270, 0x80FFFFFF));
        return target.bytes;
    };
    const auto single = render(1);
    EXPECT_EQ(render(4), single);
    EXPECT_EQ(render(3), single);
}

void ExpectVectorFetchMatches(const detail::TextureView& view, const detail::TexelRun& run, int first, int count) {
    // Words past `count` must stay as they are.
    std::vector<std::uint32_t> scalar(std::size_t(count) + 8, 0xDEADBEEF), vector = scalar;
    detail::FetchTexels(view, run, first, count, scalar.data(), false);
    for (auto set : kKernelSets) {
        detail::LimitKernels(set);
        std::fill(vector.begin(), vector.end(), 0xDEADBEEF);
        detail::FetchTexels(view, run, first, count, vector.data(), true);
        ASSERT_EQ(vector, scalar) << "texture " << view.image->width << "x" << view.image->height << " linear "
                                  << view.linear << " du " << run.du << " dv " << run.dv << " u " << run.u
                                  << " v " << run.v << " first " << first << " count " << count << " kernels "
                                  << int(set);
    }
}

// The vector texel fetch returns the scalar fetch's texels for any run: coordinates far from
// the origin or negative, steps up to the 32-bit product limit and past it (the scalar fallback),
// window loads (small steps, texels well inside a row), per-lane pairs, wraps inside a group
// of lanes, partial groups and runs that start deep into a span.
TEST_F(RasterFastPath, VectorTexelFetchMatchesScalarFetch) {
    struct Texture {
        int width, height, padding;
        PixelFormat format;
        Address address;
    };
    const Texture textures[] = {
        {256, 64, 0, PixelFormat::A8R8G8B8, Address::Wrap},
        {64, 32, 12, PixelFormat::X8R8G8B8, Address::Wrap},   // padded rows, alpha forced to 0xFF
        {2, 8, 0, PixelFormat::A8R8G8B8, Address::Wrap},      // every other texel wraps
        {1, 1, 0, PixelFormat::A8R8G8B8, Address::Wrap},
        {48, 16, 0, PixelFormat::A8R8G8B8, Address::Wrap},    // not a power of two: scalar
        {32, 32, 0, PixelFormat::A8R8G8B8, Address::Clamp},   // addressing without masks: scalar
        {32, 32, 0, PixelFormat::A4R4G4B4, Address::Wrap},    // 4-bit channels widened
        {16, 64, 6, PixelFormat::X4R4G4B4, Address::Wrap},
        {16, 8, 3, PixelFormat::A4R4G4B4, Address::Wrap},     // odd pitch: scalar
        {8, 8, 0, PixelFormat::R5G6B5, Address::Wrap},        // other formats: scalar
    };
    const double stepTexels[] = {0, 1.0 / 3, 2.0 / 3, 0.999, 1, 1.2, 1.5, 1.9375, 2, 2.07, 2.5, 31.7, 40000};
    const std::int64_t origins[] = {0, 12345, -987654, std::int64_t(1) << 40, -(std::int64_t(1) << 44) + 77};
    unsigned seed = 7;
    for (const Texture& tx : textures) {
        OwnedImage image = NoiseImage(tx.width, tx.height, tx.format, ++seed);
        if (tx.padding != 0) {
            OwnedImage padded(tx.width, tx.height, tx.format, tx.padding);
            for (auto& byte : padded.bytes) {
                byte = std::uint8_t(Noise(seed) >> 8);
            }
            image = padded;
        }
        for (Filter filter : {Filter::Point, Filter::Linear}) {
            const detail::TextureView view = detail::MakeTextureView(image.image, filter, tx.address, tx.address);
            for (int trial = 0; trial < 300; ++trial) {
                const double du = stepTexels[Noise(seed) % std::size(stepTexels)] * ((Noise(seed) & 1) ? -1 : 1);
                const double dv = (Noise(seed) % 3 == 0) ? 0 : stepTexels[Noise(seed) % std::size(stepTexels)];
                detail::TexelRun run;
                run.u = origins[Noise(seed) % std::size(origins)] + std::int64_t(Noise(seed) % (1u << 24));
                run.v = origins[Noise(seed) % std::size(origins)] + std::int64_t(Noise(seed) % (1u << 24));
                // Steps off the 1/65536 grid, as projected coordinates are; dv 0 is a level run.
                run.du = du * 65536 + double(Noise(seed) % 1000) / 997;
                run.dv = dv == 0 ? 0 : dv * 65536 - double(Noise(seed) % 1000) / 991;
                const int first = int(Noise(seed) % 3) * 301;
                const int count = 1 + int(Noise(seed) % 80);
                ASSERT_NO_FATAL_FAILURE(ExpectVectorFetchMatches(view, run, first, count));
            }
            // Level runs whose last texels sit at every distance from the end of a row, where
            // window loads must give way to the other forms.
            for (double step : {0.5, 1.0, 2.0}) {
                for (int start = tx.width - 40; start <= tx.width + 1; ++start) {
                    const detail::TexelRun run{std::int64_t(start) * 65536 + 32768 + 300, 5 * 65536 + 9000,
                                               step * 65536, 0};
                    ASSERT_NO_FATAL_FAILURE(ExpectVectorFetchMatches(view, run, 0, 16));
                    ASSERT_NO_FATAL_FAILURE(ExpectVectorFetchMatches(view, run, 3, 13));
                }
            }
        }
    }
}

// Whole draws over a texture large enough for the window loads, with spans longer than one
// chunk of the span loop: level and rotated, magnified and minified, with Gouraud colours.
TEST_F(RasterFastPath, LongSpansOverLargeTexturesGiveTheSamePixels) {
    unsigned seed = 41;
    const OwnedImage texture = NoiseImage(256, 128, PixelFormat::A8R8G8B8, ++seed);
    const OwnedImage background = NoiseImage(700, 48, PixelFormat::X8R8G8B8, ++seed);
    struct Case {
        float angle, halfWidth, halfHeight, u1, v1;
    };
    const Case cases[] = {
        {0, 340, 20, 1.0f, 0.25f},    // level, 0.38 texels per pixel
        {0, 340, 20, 2.5f, 0.5f},     // level, 0.94
        {0, 345, 22, 6.0f, 1.0f},     // level, minified: 2.2
        {0.05f, 340, 20, 1.5f, 0.5f}, // nearly level
        {0.6f, 300, 18, 1.0f, 0.3f},  // rotated
    };
    for (const Case& c : cases) {
        for (int preset : {1, 2, 4}) {
            for (bool gouraud : {false, true}) {
                DrawState state = EngineState(preset, &texture.image);
                state.stages[0].magFilter = state.stages[0].minFilter = Filter::Linear;
                auto quad = Rotated(350.3f, 24.2f, c.halfWidth, c.halfHeight, c.angle, 0xD0FFFFFF,
                                    gouraud ? 0x70FF8020 : 0xD0FFFFFF, 0, gouraud ? 0x00302010 : 0);
                for (Vertex& v : quad) {
                    v.u *= c.u1;
                    v.v *= c.v1;
                }
                OwnedImage reference = background;
                SetFastPaths(false);
                DrawFan(reference, state, quad);
                SetFastPaths(true);
                for (auto set : kKernelSets) {
                    detail::LimitKernels(set);
                    OwnedImage fast = background;
                    DrawFan(fast, state, quad);
                    ASSERT_EQ(fast.bytes, reference.bytes) << "angle " << c.angle << " u1 " << c.u1 << " preset "
                                                           << preset << " gouraud " << gouraud << " kernels "
                                                           << int(set);
                }
            }
        }
    }
}

}  // namespace
}  // namespace rastertest

namespace rastertest {
namespace {

// Screen-aligned quads at one texel per pixel, the form of text and sprites, are drawn a row of
// a rectangle at a time; these cases are at the edges of that form: positions on and off pixel
// centres, clipping, every way of splitting a rectangle into two triangles, and quads that only
// look like it (scaled, mirrored, overlapping halves, texels outside the page, Gouraud colours).
struct QuadCase {
    const char* name;
    enum Expect { kAny, kNever, kPoint, kAlways } expect;   // whether the rectangle path is taken
    Primitive type;
    std::vector<Vertex> vertices;
    Rect viewport;   // clipped to the target
    int textureWidth = 64, textureHeight = 64;
    Address address = Address::Wrap;
    bool gouraud = true;
    Cull cull = Cull::None;
};

// A glyph of `w` x `h` texels from texel (tx, ty) of a page of `tw` x `th`, its pixel grid
// shifted by (dx, dy) from the engine's half-pixel placement at (x, y).
std::array<Vertex, 4> Glyph(float x, float y, float w, float h, float tx, float ty, float dx = 0, float dy = 0,
                            float tw = 64, float th = 64, float scale = 1) {
    return TexturedQuad(x + dx, y + dy, x + dx + w, y + dy + h, 0xFFFFFFFF, 0, tx / tw, ty / th,
                        (tx + w * scale) / tw, (ty + h * scale) / th);
}

std::vector<Vertex> Fan(const std::array<Vertex, 4>& q) { return {q.begin(), q.end()}; }

// Corners of a fan quad (left-top, left-bottom, right-bottom, right-top) in another order.
std::vector<Vertex> Reorder(const std::array<Vertex, 4>& q, std::initializer_list<int> order) {
    std::vector<Vertex> out;
    for (int i : order) {
        out.push_back(q[std::size_t(i)]);
    }
    return out;
}

std::vector<QuadCase> QuadCases() {
    const Rect all{-1000, -1000, 1000, 1000};
    auto withColours = [](std::array<Vertex, 4> q, std::uint32_t d0, std::uint32_t d1) {
        q[0].diffuse = q[3].diffuse = d0;
        q[1].diffuse = q[2].diffuse = d1;
        return q;
    };
    std::vector<QuadCase> cases = {
        {"engine glyph", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10, 20)), all},
        {"one pixel", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(7, 7, 1, 1, 63, 0)), all},
        {"pixel centres on the edges", QuadCase::kPoint, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 20, 0.5f, 0.5f)), all},
        {"quarter-pixel offset", QuadCase::kPoint, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 20, 0.25f, -0.25f)), all},
        {"offset below the snap", QuadCase::kAlways, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 20, 1.0f / 1024, -1.0f / 1024)), all},
        {"offset of one snap step", QuadCase::kAny, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 20, 1.0f / 256, 1.0f / 256)), all},
        {"half a texel off", QuadCase::kPoint, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10.5f, 20.5f)), all},
        {"texel edges with float noise", QuadCase::kAny, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 7, 0.5f, 0.5f, 48, 40)), all, 48, 40},
        {"scaled by 1.0001", QuadCase::kNever, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 10, 20, 0, 0, 64, 64, 1.0001f)), all},
        {"scaled by 2", QuadCase::kNever, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10, 20, 0, 0, 64, 64, 0.5f)),
         all},
        {"mirrored", QuadCase::kNever, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 34, 20, 0, 0, 64, 64, -1)),
         all},
        {"clipped left and top", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(-7, -5, 24, 20, 10, 20)), all},
        {"clipped right and bottom", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(30, 20, 24, 20, 10, 20)),
         all},
        {"clipped by the viewport", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10, 20)),
         Rect{9, 7, 21, 30}},
        {"texels past the page", QuadCase::kNever, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 50, 50)), all},
        {"texels before the page, clamped", QuadCase::kNever, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, -3, 20)), all, 64, 64, Address::Clamp},
        {"texels past the page, clipped away", QuadCase::kAlways, Primitive::TriangleFan,
         Fan(Glyph(5, 4, 24, 20, 50, 20)), Rect{0, 0, 18, 32}},
        {"strip", QuadCase::kAlways, Primitive::TriangleStrip, Reorder(Glyph(5, 4, 24, 20, 10, 20), {0, 1, 3, 2}),
         all},
        {"list", QuadCase::kAlways, Primitive::TriangleList,
         Reorder(Glyph(5, 4, 24, 20, 10, 20), {0, 1, 2, 0, 2, 3}), all},
        {"list, other diagonal", QuadCase::kAlways, Primitive::TriangleList,
         Reorder(Glyph(5, 4, 24, 20, 10, 20), {0, 1, 3, 1, 2, 3}), all},
        {"fan, other diagonal", QuadCase::kAlways, Primitive::TriangleFan,
         Reorder(Glyph(5, 4, 24, 20, 10, 20), {1, 2, 3, 0}), all},
        {"overlapping halves", QuadCase::kNever, Primitive::TriangleList,
         Reorder(Glyph(5, 4, 24, 20, 10, 20), {0, 3, 1, 0, 3, 2}), all},
        {"halves of two rectangles", QuadCase::kNever, Primitive::TriangleList,
         [] {
             auto a = Glyph(5, 4, 24, 20, 10, 20), b = Glyph(5, 4, 24, 10, 10, 20);
             return std::vector<Vertex>{a[0], a[1], a[2], b[0], b[2], b[3]};
         }(),
         all},
        {"Gouraud colours", QuadCase::kNever, Primitive::TriangleFan,
         Fan(withColours(Glyph(5, 4, 24, 20, 10, 20), 0xFFFFFFFF, 0x80FF8040)), all},
        {"flat colours, one per triangle", QuadCase::kAlways, Primitive::TriangleFan,
         Fan(withColours(Glyph(5, 4, 24, 20, 10, 20), 0x20406080, 0xC0FFFFFF)), all, 64, 64, Address::Wrap, false},
        {"culled", QuadCase::kNever, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10, 20)), all, 64, 64,
         Address::Wrap, true, Cull::CCW},
        {"kept by the cull mode", QuadCase::kAlways, Primitive::TriangleFan, Fan(Glyph(5, 4, 24, 20, 10, 20)), all,
         64, 64, Address::Wrap, true, Cull::CW},
        {"one half culled", QuadCase::kNever, Primitive::TriangleList,
         Reorder(Glyph(5, 4, 24, 20, 10, 20), {0, 1, 2, 0, 3, 2}), all, 64, 64, Address::Wrap, true, Cull::CCW},
    };
    return cases;
}

TEST_F(RasterFastPath, AlignedQuadsGiveTheSamePixelsAsTheReference) {
    const PixelFormat textureFormats[] = {PixelFormat::A4R4G4B4, PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8,
                                          PixelFormat::X4R4G4B4, PixelFormat::Unknown};
    const std::uint32_t diffuses[] = {0xFFFFFFFF, 0xFF000000, 0x80FFFFFF, 0xC0E0A0FF};
    unsigned seed = 1234, counter = 0;
    for (const QuadCase& q : QuadCases()) {
        for (PixelFormat textureFormat : textureFormats) {
            OwnedImage texture =
                NoiseImage(q.textureWidth, q.textureHeight,
                           textureFormat == PixelFormat::Unknown ? PixelFormat::A8R8G8B8 : textureFormat, ++seed);
            ClearSomeAlpha(texture);
            const Image* bound = textureFormat == PixelFormat::Unknown ? nullptr : &texture.image;
            for (PixelFormat targetFormat : {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8}) {
                const OwnedImage background = NoiseImage(40, 32, targetFormat, ++seed);
                for (int preset = 1; preset <= 10; ++preset) {
                    const Variant& variant = kVariants[counter % kVariantCount];
                    const Filter filter = (counter / 3) % 2 ? Filter::Linear : Filter::Point;
                    std::vector<Vertex> vertices = q.vertices;
                    if (q.gouraud) {   // flat colours are the case's own
                        for (Vertex& v : vertices) {
                            v.diffuse = v.diffuse == 0xFFFFFFFF ? diffuses[counter % 4] : v.diffuse;
                            v.specular = counter % 5 == 0 ? 0x00102030 : 0;
                        }
                    }
                    ++counter;
                    DrawState state = EngineState(preset, bound);
                    state.specularEnable = counter % 2 == 0;
                    state.alphaTestEnable = variant.alphaTest;
                    state.alphaFunc = variant.func;
                    state.alphaRef = variant.reference;
                    state.colorWriteEnable = variant.writeMask;
                    state.stages[0].magFilter = state.stages[0].minFilter = filter;
                    state.stages[0].addressU = state.stages[0].addressV = q.address;
                    state.gouraud = q.gouraud;
                    state.cullMode = q.cull;
                    const unsigned primitives = q.type == Primitive::TriangleList ? 2 : unsigned(vertices.size()) - 2;
                    auto draw = [&](const OwnedImage& target) {
                        DrawPrimitive(target.image, q.viewport, state, q.type, primitives, vertices.data());
                    };
                    OwnedImage reference = background;
                    SetFastPaths(false);
                    draw(reference);
                    SetFastPaths(true);
                    for (auto set : kKernelSets) {
                        detail::LimitKernels(set);
                        OwnedImage fast = background;
                        const std::uint64_t aligned = AlignedQuadDraws();
                        draw(fast);
                        ASSERT_EQ(fast.bytes, reference.bytes)
                            << q.name << " preset " << preset << " texture " << int(textureFormat) << " target "
                            << int(targetFormat) << " filter " << int(filter) << " kernels " << int(set);
                        const bool taken = AlignedQuadDraws() != aligned;
                        if (bound != nullptr && q.expect != QuadCase::kAny) {
                            const bool expected = q.expect == QuadCase::kAlways ||
                                                  (q.expect == QuadCase::kPoint && filter == Filter::Point);
                            ASSERT_EQ(taken, expected) << q.name << " filter " << int(filter);
                        }
                    }
                }
            }
        }
    }
}

// Rows longer than one chunk of the span loop, drawn by worker threads.
TEST_F(RasterFastPath, WideAlignedQuadsGiveTheSamePixelsAsTheReference) {
    unsigned seed = 77;
    for (PixelFormat textureFormat : {PixelFormat::A4R4G4B4, PixelFormat::A8R8G8B8}) {
        const OwnedImage texture = NoiseImage(1024, 128, textureFormat, ++seed);
        const OwnedImage background = NoiseImage(700, 100, PixelFormat::A8R8G8B8, ++seed);
        for (int threads : {1, 3}) {
            SetThreadCount(threads);
            for (int preset : {1, 2, 4, 9}) {
                const DrawState state = EngineState(preset, &texture.image);
                const auto quad = TexturedQuad(-5, -2, 695, 98, 0xC0FFFFFF, 0, 3.0f / 1024, 7.0f / 128,
                                               703.0f / 1024, 107.0f / 128);
                OwnedImage reference = background;
                SetFastPaths(false);
                DrawFan(reference, state, quad);
                SetFastPaths(true);
                OwnedImage fast = background;
                const std::uint64_t aligned = AlignedQuadDraws();
                DrawFan(fast, state, quad);
                EXPECT_EQ(AlignedQuadDraws(), aligned + 1);
                ASSERT_EQ(fast.bytes, reference.bytes) << "preset " << preset << " threads " << threads;
            }
        }
    }
}

}  // namespace
}  // namespace rastertest

namespace rastertest {
namespace {

// The compiled state is kept between draws: a texture changed behind the same Image object, a
// different texture pointer or a changed state must each be drawn as such.
TEST_F(RasterFastPath, ChangedTexturesAndStatesAreDrawnAsSuch) {
    unsigned seed = 3;
    const OwnedImage wide = NoiseImage(64, 64, PixelFormat::A8R8G8B8, ++seed);
    const OwnedImage nibbles = NoiseImage(64, 64, PixelFormat::A4R4G4B4, ++seed);
    const OwnedImage other = NoiseImage(64, 64, PixelFormat::X8R8G8B8, ++seed);
    const OwnedImage background = NoiseImage(40, 32, PixelFormat::A8R8G8B8, ++seed);
    const auto aligned = TexturedQuad(5, 4, 29, 24, 0xC0FFFFFF, 0, 10.0f / 64, 20.0f / 64, 34.0f / 64, 40.0f / 64);
    const auto scaled = TexturedQuad(5, 4, 29, 24, 0xC0FFFFFF, 0, 0, 0, 0.6f, 0.5f);
    Image bound = wide.image;   // one object, its contents replaced between draws
    DrawState state = EngineState(2, &bound);
    // `fresh`: a draw in another state before each one, so that none can reuse what the last compiled.
    auto drawAll = [&](const std::array<Vertex, 4>& quad, bool fresh) {
        OwnedImage target = background, scratch(1, 1, PixelFormat::R5G6B5);
        auto draw = [&](const DrawState& s) {
            if (fresh) {
                DrawFan(scratch, EngineState(5, nullptr), quad);
            }
            DrawFan(target, s, quad);
        };
        bound = wide.image;
        draw(state);
        bound = nibbles.image;   // same pointer, another format and pixels
        draw(state);
        DrawState changed = state;
        changed.stages[0].texture = &other.image;
        changed.destBlend = Blend::One;
        draw(changed);
        bound = wide.image;
        changed.stages[0].texture = &bound;
        draw(changed);
        draw(state);
        return target.bytes;
    };
    for (const auto* quad : {&aligned, &scaled}) {
        for (bool fastPaths : {false, true}) {
            SetFastPaths(fastPaths);
            EXPECT_EQ(drawAll(*quad, false), drawAll(*quad, true))
                << (quad == &aligned ? "aligned" : "scaled") << " fast paths " << fastPaths;
        }
    }
}

}  // namespace
}  // namespace rastertest
