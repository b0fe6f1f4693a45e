// Colour of drawn pixels: the engine's ten blend presets, the texture stage cascade and its
// no-texture rule, specular, Gouraud shading, alpha test, blend factors and write masks.
// References are computed per pixel from the formulas, with a tolerance of 1 per channel.
#include "tests/platform/raster/raster_fixture.h"

#include <functional>

namespace rastertest {
namespace {

// The preset's result for texel t, diffuse d, specular s over destination c.
Rgba PresetResult(int preset, Rgba t, Rgba d, Rgba s, Rgba c) {
    double k = preset == 4 ? 2 : 1;
    double as = Sat(k * t.a * d.a);
    auto source = [&](double tc, double dc, double sc) { return Sat(Sat(k * tc * dc) + sc); };
    double cs[3] = {source(t.r, d.r, s.r), source(t.g, d.g, s.g), source(t.b, d.b, s.b)};
    double cd[3] = {c.r, c.g, c.b};
    double out[3];
    for (int i = 0; i < 3; ++i) {
        switch (preset) {
        case 1: out[i] = cs[i]; break;
        case 3:
        case 4: out[i] = cs[i] * as + cd[i]; break;
        case 5: out[i] = cd[i] - cs[i] * as; break;
        case 6: out[i] = cd[i] * cs[i]; break;
        case 7: out[i] = cs[i] * (1 - cd[i]) + cd[i] * (1 - cs[i]); break;
        case 9: out[i] = cs[i] * (1 - cd[i]) + cd[i]; break;
        case 10: out[i] = cs[i] - cd[i]; break;
        default: out[i] = cs[i] * as + cd[i] * (1 - as); break;
        }
    }
    double alpha = preset == 1 ? as : std::max(as, c.a);
    return {alpha, Sat(out[0]), Sat(out[1]), Sat(out[2])};
}

std::uint32_t GradientTexel(int x, int y) {
    return Argb(std::min(255, x * 4 + y), x * 4, y * 8, 255 - x * 2);
}

using RasterShading = RasterTest;

TEST_F(RasterShading, TenPresetsOverGradientOnChecker) {
    OwnedImage texture(64, 32, PixelFormat::A8R8G8B8);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            texture.Set(x, y, GradientTexel(x, y));
        }
    }
    const std::uint32_t diffuse = 0xC0FFE0A0, specular = 0x80201008;   // specular alpha must not count
    for (PixelFormat format : {PixelFormat::A8R8G8B8, PixelFormat::X8R8G8B8}) {
        for (bool fast : {true, false}) {
            SetFastPaths(fast);
            for (int preset = 1; preset <= 10; ++preset) {
                SCOPED_TRACE(::testing::Message() << "preset " << preset << " fast " << fast << " format "
                                                  << int(format));
                OwnedImage target(64, 32, format);
                auto checker = [](int x, int y) { return ((x / 8 + y / 8) % 2) ? 0x40D0A020u : 0xFF3060C0u; };
                for (int y = 0; y < 32; ++y) {
                    for (int x = 0; x < 64; ++x) {
                        target.Set(x, y, checker(x, y));
                    }
                }
                DrawState state = EngineState(preset, &texture.image);
                DrawFan(target, state, TexturedQuad(0, 0, 64, 32, diffuse, specular));
                for (int y = 0; y < 32; ++y) {
                    for (int x = 0; x < 64; ++x) {
                        Rgba e = PresetResult(preset, Unit(GradientTexel(x, y)), Unit(diffuse), Unit(specular & 0xFFFFFF),
                                              Unit(target.image.format == PixelFormat::X8R8G8B8
                                                       ? checker(x, y) | 0xFF000000u
                                                       : checker(x, y)));
                        if (format == PixelFormat::X8R8G8B8) {
                            e.a = 1;
                        }
                        ASSERT_TRUE(Matches(target.At(x, y), e)) << "pixel " << x << "," << y;
                    }
                }
            }
        }
    }
}

TEST_F(RasterShading, AlphaMaxKeepsAnOpaqueTargetOpaque) {
    OwnedImage texture(4, 4, PixelFormat::A8R8G8B8);
    Fill(texture.image, texture.Bounds(), 0x80FFFFFF);
    OwnedImage target(4, 4, PixelFormat::A8R8G8B8);
    Fill(target.image, Rect{0, 0, 4, 2}, 0xFF000000);   // opaque black above, transparent below
    DrawFan(target, EngineState(2, &texture.image), TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF));
    EXPECT_TRUE(Matches(target.At(1, 0), {1, 0.502, 0.502, 0.502}));
    EXPECT_TRUE(Matches(target.At(1, 3), {0.502, 0.502, 0.502, 0.502}));
}

TEST_F(RasterShading, StageWithoutTexturePassesCurrentThrough) {
    // Stage 0 untextured: the diffuse colour, not doubled by MODULATE2X.
    OwnedImage target(8, 8, PixelFormat::A8R8G8B8);
    DrawState s = EngineState(4, nullptr);
    s.alphaBlendEnable = false;
    DrawFan(target, s, Quad(0, 0, 8, 8, 0x80604020, 0x00010203));
    EXPECT_EQ(target.At(3, 3), 0x80614223u);

    // Stage 1 untextured: it must not replace the texture-modulated alpha, colour and alpha apart.
    OwnedImage texture(8, 8, PixelFormat::A8R8G8B8);
    Fill(texture.image, texture.Bounds(), 0x40FF8000);
    struct Case {
        TextureOp colorOp;
        std::uint32_t colorArg2;
        TextureOp alphaOp;
        std::uint32_t alphaArg1;
        Rgba expected;
    };
    const double ta = 0x40 / 255.0, da = 0x80 / 255.0;
    const Case cases[] = {
        {TextureOp::Modulate, kArgCurrent, TextureOp::Modulate, kArgTexture, {ta * da, 1, 0.502 * 0.5, 0}},
        {TextureOp::SelectArg2, kArgCurrent, TextureOp::Modulate, kArgTexture, {ta * da, 1, 0.502 * 0.5, 0}},
        // The alpha operation reads no texture, so it runs: DIFFUSE alpha replaces the product.
        {TextureOp::Modulate, kArgCurrent, TextureOp::SelectArg1, kArgDiffuse, {da, 1, 0.502 * 0.5, 0}},
        // The colour operation reads no texture: DIFFUSE colour replaces the product.
        {TextureOp::SelectArg2, kArgDiffuse, TextureOp::Modulate, kArgTexture, {ta * da, 1, 0.502, 0.251}},
    };
    for (bool fast : {true, false}) {
        SetFastPaths(fast);
        for (const Case& c : cases) {
            OwnedImage out(8, 8, PixelFormat::A8R8G8B8);
            DrawState st = EngineState(1, &texture.image);
            st.stages[1].colorOp = c.colorOp;
            st.stages[1].colorArg2 = c.colorArg2;
            st.stages[1].alphaOp = c.alphaOp;
            st.stages[1].alphaArg1 = c.alphaArg1;
            DrawFan(out, st, TexturedQuad(0, 0, 8, 8, 0x80FF8040));
            EXPECT_TRUE(Matches(out.At(4, 4), c.expected)) << "case " << (&c - cases) << " fast " << fast;
        }
    }
}

TEST_F(RasterShading, SpecularAddsSaturatingToColourOnly) {
    OwnedImage texture(4, 4, PixelFormat::A8R8G8B8);
    Fill(texture.image, texture.Bounds(), 0x80808080);
    for (bool enabled : {true, false}) {
        OwnedImage target(4, 4, PixelFormat::A8R8G8B8);
        DrawState s = EngineState(1, &texture.image);
        s.specularEnable = enabled;
        DrawFan(target, s, TexturedQuad(0, 0, 4, 4, 0xFFFFFFFF, 0xFFFFC040));
        EXPECT_EQ(target.At(2, 2), enabled ? 0x80FFFFC0u : 0x80808080u);
    }
}

// The engine's five-colour rectangle: two fans around the centre, Gouraud shaded, unshifted.
TEST_F(RasterShading, GouraudInterpolatesDiffuseAndSpecular) {
    const float l = 4, t = 4, r = 60, b = 44, cx = (l + r) / 2, cy = (t + b) / 2;
    const std::uint32_t d[5] = {0xFF0000FF, 0x8000FF00, 0x20FF0000, 0xFFFFFFFF, 0x40808080};
    const std::uint32_t s[5] = {0x00100000, 0x00001000, 0x00000010, 0x00000000, 0x00202020};
    auto v = [&](float x, float y, int i) { return Vertex{x, y, 0, 1, d[i], s[i], 0, 0}; };
    const Vertex fan1[4] = {v(l, t, 0), v(l, b, 1), v(cx, cy, 4), v(r, t, 3)};
    const Vertex fan2[4] = {v(cx, cy, 4), v(l, b, 1), v(r, b, 2), v(r, t, 3)};
    OwnedImage target(64, 48, PixelFormat::A8R8G8B8);
    DrawState state = EngineState(1, nullptr);
    DrawPrimitive(target.image, target.Bounds(), state, Primitive::TriangleFan, 2, fan1);
    DrawPrimitive(target.image, target.Bounds(), state, Primitive::TriangleFan, 2, fan2);

    const Vertex* triangles[4][3] = {{&fan1[0], &fan1[1], &fan1[2]}, {&fan1[0], &fan1[2], &fan1[3]},
                                     {&fan2[0], &fan2[1], &fan2[2]}, {&fan2[0], &fan2[2], &fan2[3]}};
    for (int y = 4; y < 44; ++y) {
        for (int x = 4; x < 60; ++x) {
            for (auto& tri : triangles) {
                const Vertex &a = *tri[0], &bb = *tri[1], &c = *tri[2];
                double det = (bb.x - a.x) * (c.y - a.y) - (c.x - a.x) * (bb.y - a.y);
                double w1 = ((x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y)) / det;
                double w2 = ((bb.x - a.x) * (y - a.y) - (x - a.x) * (bb.y - a.y)) / det;
                double w0 = 1 - w1 - w2;
                if (w0 < -1e-9 || w1 < -1e-9 || w2 < -1e-9) {
                    continue;
                }
                auto mix = [&](std::uint32_t ca, std::uint32_t cb, std::uint32_t cc, int shift) {
                    return (w0 * Channel(ca, shift) + w1 * Channel(cb, shift) + w2 * Channel(cc, shift)) / 255.0;
                };
                auto channel = [&](int shift) {
                    double value = mix(a.diffuse, bb.diffuse, c.diffuse, shift);
                    return shift == 24 ? value : Sat(value + mix(a.specular, bb.specular, c.specular, shift));
                };
                ASSERT_TRUE(Matches(target.At(x, y), {channel(24), channel(16), channel(8), channel(0)}))
                    << "pixel " << x << "," << y;
                break;
            }
        }
    }
}

TEST_F(RasterShading, FlatShadingTakesTheFirstVertexOfATriangle) {
    const Vertex list[3] = {{2, 2, 0, 1, 0xFF112233, 0, 0, 0}, {2, 14, 0, 1, 0xFF445566, 0, 0, 0},
                            {14, 14, 0, 1, 0xFF778899, 0, 0, 0}};
    OwnedImage target(16, 16, PixelFormat::A8R8G8B8);
    DrawState s = EngineState(1, nullptr);
    s.gouraud = false;
    DrawPrimitive(target.image, target.Bounds(), s, Primitive::TriangleList, 1, list);
    EXPECT_EQ(target.At(3, 12), 0xFF112233u);
    EXPECT_EQ(target.At(11, 13), 0xFF112233u);
}

TEST_F(RasterShading, AlphaTestComparesSourceAlphaWithReference) {
    struct Case {
        Compare func;
        bool below, equal, above;
    };
    const Case cases[] = {
        {Compare::Never, false, false, false},      {Compare::Less, true, false, false},
        {Compare::Equal, false, true, false},       {Compare::LessEqual, true, true, false},
        {Compare::Greater, false, false, true},     {Compare::NotEqual, true, false, true},
        {Compare::GreaterEqual, false, true, true}, {Compare::Always, true, true, true},
    };
    for (const Case& c : cases) {
        const bool expected[3] = {c.below, c.equal, c.above};
        const std::uint32_t alpha[3] = {0x7F, 0x80, 0x81};
        for (int i = 0; i < 3; ++i) {
            OwnedImage target(4, 4, PixelFormat::A8R8G8B8);
            DrawState s = EngineState(1, nullptr);
            s.alphaTestEnable = true;
            s.alphaFunc = c.func;
            s.alphaRef = 0x180;   // only the low byte counts
            DrawFan(target, s, Quad(0, 0, 4, 4, (alpha[i] << 24) | 0x123456));
            EXPECT_EQ(target.At(1, 1) != 0, expected[i]) << "func " << int(c.func) << " alpha " << alpha[i];
        }
    }
}

TEST_F(RasterShading, ColorWriteEnableKeepsMaskedChannels) {
    struct Case {
        std::uint32_t mask, expected;
    };
    for (const Case& c : {Case{0x1, 0x11AA3344}, Case{0x2, 0x1122BB44}, Case{0x4, 0x112233CC}, Case{0x8, 0xDD223344},
                          Case{0xF, 0xDDAABBCC}, Case{0x0, 0x11223344}}) {
        OwnedImage target(4, 4, PixelFormat::A8R8G8B8);
        Fill(target.image, target.Bounds(), 0x11223344);
        DrawState s = EngineState(1, nullptr);
        s.colorWriteEnable = c.mask;
        DrawFan(target, s, Quad(0, 0, 4, 4, 0xDDAABBCC));
        EXPECT_EQ(target.At(2, 2), c.expected) << "mask " << c.mask;
    }
}

TEST_F(RasterShading, TextureOperationsAndArgumentModifiers) {
    const std::uint32_t texel = 0x60C08040, diffuse = 0x90406080, factor = 0x20FF0010, specular = 0x70102030;
    OwnedImage texture(2, 2, PixelFormat::A8R8G8B8);
    Fill(texture.image, texture.Bounds(), texel);
    using Op = std::function<double(double, double)>;
    struct Case {
        TextureOp op;
        std::uint32_t arg1, arg2;
        Op expected;
    };
    const Op modulate = [](double a, double b) { return a * b; };
    const Case cases[] = {
        {TextureOp::SelectArg1, kArgTexture, kArgDiffuse, [](double a, double) { return a; }},
        {TextureOp::SelectArg2, kArgTexture, kArgDiffuse, [](double, double b) { return b; }},
        {TextureOp::Modulate, kArgTexture, kArgDiffuse, modulate},
        {TextureOp::Modulate2X, kArgTexture, kArgDiffuse, [](double a, double b) { return 2 * a * b; }},
        {TextureOp::Modulate4X, kArgTexture, kArgDiffuse, [](double a, double b) { return 4 * a * b; }},
        {TextureOp::Add, kArgTexture, kArgDiffuse, [](double a, double b) { return a + b; }},
        {TextureOp::AddSigned, kArgTexture, kArgDiffuse, [](double a, double b) { return a + b - 0.5; }},
        {TextureOp::AddSigned2X, kArgTexture, kArgDiffuse, [](double a, double b) { return 2 * (a + b - 0.5); }},
        {TextureOp::Subtract, kArgTexture, kArgDiffuse, [](double a, double b) { return a - b; }},
        {TextureOp::AddSmooth, kArgTexture, kArgDiffuse, [](double a, double b) { return a + b - a * b; }},
        {TextureOp::Modulate, kArgTFactor, kArgSpecular, modulate},
        {TextureOp::Modulate, kArgTexture | kArgComplement, kArgCurrent, modulate},
        {TextureOp::Modulate, kArgTexture | kArgAlphaReplicate, kArgDiffuse, modulate},
    };
    auto value = [&](std::uint32_t arg, int shift) {
        std::uint32_t source = 0;
        switch (arg & kArgSelectMask) {
        case kArgTexture: source = texel; break;
        case kArgDiffuse:
        case kArgCurrent: source = diffuse; break;
        case kArgTFactor: source = factor; break;
        case kArgSpecular: source = specular; break;
        }
        double v = Channel(source, (arg & kArgAlphaReplicate) ? 24 : shift) / 255.0;
        return (arg & kArgComplement) ? 1 - v : v;
    };
    for (const Case& c : cases) {
        DrawState s = EngineState(1, &texture.image);
        s.specularEnable = false;
        s.textureFactor = factor;
        s.stages[0].colorOp = s.stages[0].alphaOp = c.op;
        s.stages[0].colorArg1 = s.stages[0].alphaArg1 = c.arg1;
        s.stages[0].colorArg2 = s.stages[0].alphaArg2 = c.arg2;
        OwnedImage target(2, 2, PixelFormat::A8R8G8B8);
        DrawFan(target, s, TexturedQuad(0, 0, 2, 2, diffuse, specular));
        auto channel = [&](int shift) {
            std::uint32_t a1 = c.arg1, a2 = c.arg2;
            if (shift == 24) {   // the alpha operation reads alphas; replicate changes nothing
                return Sat(c.expected(value(a1 & ~kArgAlphaReplicate, 24), value(a2, 24)));
            }
            return Sat(c.expected(value(a1, shift), value(a2, shift)));
        };
        EXPECT_TRUE(Matches(target.At(1, 1), {channel(24), channel(16), channel(8), channel(0)}))
            << "op " << int(c.op) << " args " << c.arg1 << "," << c.arg2;
    }
}

TEST_F(RasterShading, BlendFactorsAndOperations) {
    const std::uint32_t source = 0x60C08040, destination = 0xA0305070;
    const Rgba s = Unit(source), d = Unit(destination);
    struct Case {
        Blend src, dest;
        BlendOp op;
        std::function<double(double cs, double cd, bool alpha)> expected;
    };
    auto factor = [&](Blend f, double cs, double cd, bool alpha) {
        switch (f) {
        case Blend::Zero: return 0.0;
        case Blend::One: return 1.0;
        case Blend::SrcColor: return cs;
        case Blend::InvSrcColor: return 1 - cs;
        case Blend::SrcAlpha: return s.a;
        case Blend::InvSrcAlpha: return 1 - s.a;
        case Blend::DestAlpha: return d.a;
        case Blend::InvDestAlpha: return 1 - d.a;
        case Blend::DestColor: return cd;
        case Blend::InvDestColor: return 1 - cd;
        case Blend::SrcAlphaSat: return alpha ? 1.0 : std::min(s.a, 1 - d.a);
        }
        return -1.0;
    };
    std::vector<Case> cases;
    for (std::uint32_t f = 1; f <= 11; ++f) {
        cases.push_back({Blend(f), Blend::Zero, BlendOp::Add, {}});
        cases.push_back({Blend::Zero, Blend(f), BlendOp::Add, {}});
    }
    cases.push_back({Blend::SrcAlpha, Blend::DestColor, BlendOp::Subtract, {}});
    cases.push_back({Blend::SrcAlpha, Blend::DestColor, BlendOp::RevSubtract, {}});
    cases.push_back({Blend::Zero, Blend::Zero, BlendOp::Min, {}});
    cases.push_back({Blend::Zero, Blend::Zero, BlendOp::Max, {}});
    for (const Case& c : cases) {
        OwnedImage target(2, 2, PixelFormat::A8R8G8B8);
        Fill(target.image, target.Bounds(), destination);
        DrawState st = EngineState(1, nullptr);
        st.alphaBlendEnable = true;
        st.separateAlphaBlendEnable = false;
        st.srcBlend = c.src;
        st.destBlend = c.dest;
        st.blendOp = c.op;
        DrawFan(target, st, Quad(0, 0, 2, 2, source));
        auto channel = [&](double cs, double cd, bool alpha) {
            double a = cs * factor(c.src, cs, cd, alpha), b = cd * factor(c.dest, cs, cd, alpha);
            switch (c.op) {
            case BlendOp::Subtract: return Sat(a - b);
            case BlendOp::RevSubtract: return Sat(b - a);
            case BlendOp::Min: return std::min(cs, cd);
            case BlendOp::Max: return std::max(cs, cd);
            default: return Sat(a + b);
            }
        };
        EXPECT_TRUE(Matches(target.At(1, 1), {channel(s.a, d.a, true), channel(s.r, d.r, false),
                                              channel(s.g, d.g, false), channel(s.b, d.b, false)}))
            << "src " << int(c.src) << " dest " << int(c.dest) << " op " << int(c.op);
    }
}

}  // namespace
}  // namespace rastertest
