// Shared helpers of the rasterizer tests: owned images, the engine's 2D draw state with its
// ten blend presets, quads in the engine's fan order, and channel comparisons.
#pragma once

#include "platform/raster/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace rastertest {

using namespace raster;

struct OwnedImage {
    std::vector<std::uint8_t> bytes;
    Image image;

    OwnedImage(int width, int height, PixelFormat format, int padding = 0) {
        int pitch = width * BytesPerPixel(format) + padding;
        bytes.assign(std::size_t(pitch) * std::size_t(height), 0);
        image = Image{bytes.data(), pitch, width, height, format};
    }
    OwnedImage(const OwnedImage& other) : bytes(other.bytes), image(other.image) { image.bits = bytes.data(); }
    OwnedImage& operator=(const OwnedImage& other) {
        bytes = other.bytes;
        image = other.image;
        image.bits = bytes.data();
        return *this;
    }
    std::uint32_t At(int x, int y) const { return ReadPixel(image, x, y); }
    void Set(int x, int y, std::uint32_t argb) { WritePixel(image, x, y, argb); }
    Rect Bounds() const { return Rect{0, 0, image.width, image.height}; }
};

inline std::uint32_t Argb(int a, int r, int g, int b) {
    return (std::uint32_t(a) << 24) | (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}

inline int Channel(std::uint32_t argb, int shift) { return int((argb >> shift) & 255); }

inline std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", v);
    return text;
}

// True when every channel of `got` is within `tolerance` of the expected 0..1 values rounded.
inline bool Near(std::uint32_t got, double a, double r, double g, double b, int tolerance = 1) {
    const double expected[4] = {b, g, r, a};
    for (int ch = 0; ch < 4; ++ch) {
        double e = std::round(std::clamp(expected[ch], 0.0, 1.0) * 255.0);
        if (std::fabs(Channel(got, ch * 8) - e) > tolerance) {
            return false;
        }
    }
    return true;
}

struct Rgba {
    double a, r, g, b;
};

inline Rgba Unit(std::uint32_t argb) {
    return {Channel(argb, 24) / 255.0, Channel(argb, 16) / 255.0, Channel(argb, 8) / 255.0, Channel(argb, 0) / 255.0};
}

inline double Sat(double v) { return std::clamp(v, 0.0, 1.0); }

inline ::testing::AssertionResult Matches(std::uint32_t got, const Rgba& e, int tolerance = 1) {
    if (Near(got, e.a, e.r, e.g, e.b, tolerance)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got " << Hex(got) << ", expected a=" << e.a * 255 << " r=" << e.r * 255
                                         << " g=" << e.g * 255 << " b=" << e.b * 255;
}

struct PresetStates {
    bool blend;
    TextureOp op;
    BlendOp blendOp;
    Blend src, dest;
    bool setsAlphaArg;
};

// The engine's blend presets 1..10 (index 0 is the fall-back for unknown presets).
inline const PresetStates& Preset(int preset) {
    static const PresetStates kPresets[11] = {
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, false},
        {false, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::One, true},
        {true, TextureOp::Modulate2X, BlendOp::Add, Blend::SrcAlpha, Blend::One, true},
        {true, TextureOp::Modulate, BlendOp::RevSubtract, Blend::SrcAlpha, Blend::One, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::Zero, Blend::SrcColor, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::InvDestColor, Blend::InvSrcColor, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha, true},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::InvDestColor, Blend::One, true},
        {true, TextureOp::Modulate, BlendOp::Subtract, Blend::One, Blend::One, false},
    };
    return kPresets[(preset < 1 || preset > 10) ? 0 : preset];
}

// The engine's default 2D state (every stage given the alpha-blend preset with TEXTURE and
// DIFFUSE arguments, separate alpha MAX, specular on, no culling), then `preset` on stage 0.
inline DrawState EngineState(int preset, const Image* texture) {
    DrawState s;
    for (int i = 0; i < kMaxStages; ++i) {
        StageState& st = s.stages[i];
        st.colorArg1 = kArgTexture;
        st.colorOp = TextureOp::Modulate;
        st.alphaArg1 = kArgTexture;
        st.alphaArg2 = kArgDiffuse;
        st.alphaOp = TextureOp::Modulate;
    }
    const PresetStates& p = Preset(preset);
    s.alphaBlendEnable = p.blend;
    s.stages[0].colorOp = p.op;
    s.stages[0].alphaOp = p.op;
    s.blendOp = p.blendOp;
    s.srcBlend = p.src;
    s.destBlend = p.dest;
    s.separateAlphaBlendEnable = true;
    s.blendOpAlpha = BlendOp::Max;
    s.specularEnable = true;
    s.cullMode = Cull::None;
    s.stages[0].texture = texture;
    return s;
}

// A quad in the engine's fan order (left-top, left-bottom, right-bottom, right-top).
inline std::array<Vertex, 4> Quad(float left, float top, float right, float bottom, std::uint32_t diffuse,
                                  std::uint32_t specular = 0, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1) {
    return {{{left, top, 0, 1, diffuse, specular, u0, v0},
             {left, bottom, 0, 1, diffuse, specular, u0, v1},
             {right, bottom, 0, 1, diffuse, specular, u1, v1},
             {right, top, 0, 1, diffuse, specular, u1, v0}}};
}

// The engine's textured quad: positions shifted by half a pixel so that texel centres meet
// pixel centres.
inline std::array<Vertex, 4> TexturedQuad(float left, float top, float right, float bottom, std::uint32_t diffuse,
                                          std::uint32_t specular = 0, float u0 = 0, float v0 = 0, float u1 = 1,
                                          float v1 = 1) {
    return Quad(left - 0.5f, top - 0.5f, right - 0.5f, bottom - 0.5f, diffuse, specular, u0, v0, u1, v1);
}

inline void DrawFan(const OwnedImage& target, const DrawState& state, const std::array<Vertex, 4>& quad) {
    DrawPrimitive(target.image, target.Bounds(), state, Primitive::TriangleFan, 2, quad.data());
}

// Restores the global switches whatever a test does with them.
class RasterTest : public ::testing::Test {
protected:
    void TearDown() override {
        SetFastPaths(true);
        SetThreadCount(1);
    }
};

}  // namespace rastertest
