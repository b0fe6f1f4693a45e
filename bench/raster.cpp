// Software rasterizer speed at 1024x768, each case also reported as a multiple of a memcpy of
// the same 32-bit target measured in the same run ("x_memcpy", fastest iteration of each).
//   quad_unscaled_point_alpha   an unscaled, point-sampled, alpha-blended full-screen quad
//   quad_unscaled_linear_alpha  the same with linear filtering (samples on texel centres)
//   quad_scaled_linear          the same with linear filtering at a scale of 1.5
//   quad_rotated_linear         a screen-sized quad rotated by 30 degrees, linear filtering
//   frame_8_quads               a visual-novel frame: 8 full-screen quads with mixed presets
// The *_reference variants run with the fast paths off, and frame_8_quads/threads:4 splits rows.
#include "platform/raster/raster.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace raster;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Buffer {
    std::vector<std::uint32_t> pixels;
    Image image;
    Buffer(int width, int height, PixelFormat format, unsigned seed) : pixels(std::size_t(width) * height) {
        for (auto& p : pixels) {
            seed = seed * 1664525u + 1013904223u;
            p = seed ^ (seed >> 13);
        }
        image = Image{reinterpret_cast<std::uint8_t*>(pixels.data()), width * 4, width, height, format};
    }
};

Buffer& Target() {
    static Buffer target(kWidth, kHeight, PixelFormat::X8R8G8B8, 1);   // the back buffer's format
    return target;
}

Buffer& Texture() {
    static Buffer texture(1024, 1024, PixelFormat::A8R8G8B8, 2);
    return texture;
}

// Ratios use the fastest iteration of each case, which stays meaningful on a busy machine.
double MemcpySeconds() {
    static const double seconds = [] {
        std::vector<std::uint32_t> source(std::size_t(kWidth) * kHeight, 0x12345678), dest(source.size());
        double best = 1e9;
        for (int i = 0; i < 200; ++i) {
            auto start = std::chrono::steady_clock::now();
            std::memcpy(dest.data(), source.data(), source.size() * 4);
            benchmark::DoNotOptimize(dest.data());
            benchmark::ClobberMemory();
            best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        return best;
    }();
    return seconds;
}

template <class Body>
void Run(benchmark::State& state, Body body, double pixels) {
    const double reference = MemcpySeconds();
    double best = 1e9;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        body();
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["x_memcpy"] = best / reference;
    state.counters["best_ms"] = best * 1000;
    state.counters["Mpx/s"] = pixels / best / 1e6;
}

DrawState PresetState(int preset, Filter filter) {
    struct P {
        bool blend;
        TextureOp op;
        BlendOp blendOp;
        Blend src, dest;
    };
    static const P kPresets[11] = {
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {false, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::One},
        {true, TextureOp::Modulate2X, BlendOp::Add, Blend::SrcAlpha, Blend::One},
        {true, TextureOp::Modulate, BlendOp::RevSubtract, Blend::SrcAlpha, Blend::One},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::Zero, Blend::SrcColor},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::InvDestColor, Blend::InvSrcColor},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::SrcAlpha, Blend::InvSrcAlpha},
        {true, TextureOp::Modulate, BlendOp::Add, Blend::InvDestColor, Blend::One},
        {true, TextureOp::Modulate, BlendOp::Subtract, Blend::One, Blend::One},
    };
    const P& p = kPresets[preset];
    DrawState s;
    for (auto& st : s.stages) {
        st.colorOp = TextureOp::Modulate;
        st.alphaOp = TextureOp::Modulate;
        st.alphaArg2 = kArgDiffuse;
    }
    s.stages[0].colorOp = s.stages[0].alphaOp = p.op;
    s.stages[0].texture = &Texture().image;
    s.stages[0].magFilter = s.stages[0].minFilter = filter;
    s.alphaBlendEnable = p.blend;
    s.blendOp = p.blendOp;
    s.srcBlend = p.src;
    s.destBlend = p.dest;
    s.separateAlphaBlendEnable = true;
    s.blendOpAlpha = BlendOp::Max;
    s.specularEnable = true;
    s.cullMode = Cull::None;
    return s;
}

std::array<Vertex, 4> Quad(float left, float top, float right, float bottom, float u1, float v1,
                           std::uint32_t diffuse) {
    left -= 0.5f, top -= 0.5f, right -= 0.5f, bottom -= 0.5f;
    return {{{left, top, 0, 1, diffuse, 0, 0, 0},
             {left, bottom, 0, 1, diffuse, 0, 0, v1},
             {right, bottom, 0, 1, diffuse, 0, u1, v1},
             {right, top, 0, 1, diffuse, 0, u1, 0}}};
}

void Draw(const DrawState& state, const std::array<Vertex, 4>& quad) {
    DrawPrimitive(Target().image, Rect{0, 0, kWidth, kHeight}, state, Primitive::TriangleFan, 2, quad.data());
}

void BM_memcpy_1024x768(benchmark::State& state) {
    std::vector<std::uint32_t> source(std::size_t(kWidth) * kHeight, 0x12345678), dest(source.size());
    Run(state, [&] {
        std::memcpy(dest.data(), source.data(), source.size() * 4);
        benchmark::DoNotOptimize(dest.data());
    }, kWidth * kHeight);
}

// The same copy from and to memory no cache holds (slices of 128 MiB buffers), for scale:
// the reference above stays in the cache, like the draws' own target and texture.
void BM_memcpy_1024x768_uncached(benchmark::State& state) {
    const std::size_t slice = std::size_t(kWidth) * kHeight, slices = 40;
    std::vector<std::uint32_t> source(slice * slices, 0x12345678), dest(slice * slices);
    std::size_t next = 0;
    Run(state, [&] {
        std::memcpy(dest.data() + next * slice, source.data() + next * slice, slice * 4);
        benchmark::DoNotOptimize(dest.data());
        next = (next + 1) % slices;
    }, kWidth * kHeight);
}

void QuadUnscaled(benchmark::State& state, bool fast) {
    SetFastPaths(fast);
    const DrawState s = PresetState(2, Filter::Point);
    const auto quad = Quad(0, 0, kWidth, kHeight, 1.0f, 0.75f, 0xE0FFFFFF);
    Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
    SetFastPaths(true);
}

void BM_quad_unscaled_point_alpha(benchmark::State& state) { QuadUnscaled(state, true); }

// Unscaled with LINEAR, as layers with a linear filter mode draw at scale 1.
void BM_quad_unscaled_linear_alpha(benchmark::State& state) {
    const DrawState s = PresetState(2, Filter::Linear);
    const auto quad = Quad(0, 0, kWidth, kHeight, 1.0f, 0.75f, 0xE0FFFFFF);
    Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
}
void BM_quad_unscaled_point_alpha_reference(benchmark::State& state) { QuadUnscaled(state, false); }

void BM_quad_scaled_linear(benchmark::State& state) {
    const DrawState s = PresetState(2, Filter::Linear);
    // 683x512 texels drawn over the whole target: a scale of 1.5.
    const auto quad = Quad(0, 0, kWidth, kHeight, 1024.0f / 1.5f / 1024, 768.0f / 1.5f / 1024, 0xE0FFFFFF);
    Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
}

void BM_quad_rotated_linear(benchmark::State& state) {
    const DrawState s = PresetState(2, Filter::Linear);
    const float c = std::cos(0.5236f), sn = std::sin(0.5236f), hw = kWidth / 2.0f, hh = kHeight / 2.0f;
    auto at = [&](float x, float y, float u, float v) {
        return Vertex{hw + x * c - y * sn, hh + x * sn + y * c, 0, 1, 0xE0FFFFFF, 0, u, v};
    };
    const std::array<Vertex, 4> quad = {
        {at(-hw, -hh, 0, 0), at(-hw, hh, 0, 0.75f), at(hw, hh, 1, 0.75f), at(hw, -hh, 1, 0)}};
    Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
}

void Frame(benchmark::State& state, bool fast) {
    SetFastPaths(fast);
    SetThreadCount(int(state.range(0)));
    // Background, a cross-fade pair, three characters, the message window, the UI.
    const int presets[8] = {1, 2, 2, 2, 2, 3, 2, 9};
    const std::uint32_t diffuse[8] = {0xFFFFFFFF, 0x80FFFFFF, 0x80FFFFFF, 0xFFFFFFFF,
                                      0xFFFFFFFF, 0x60FFFFFF, 0xC0FFFFFF, 0xFFFFFFFF};
    std::vector<DrawState> states;
    std::vector<std::array<Vertex, 4>> quads;
    for (int i = 0; i < 8; ++i) {
        states.push_back(PresetState(presets[i], Filter::Point));
        quads.push_back(Quad(0, 0, kWidth, kHeight, 1.0f, 0.75f, diffuse[i]));
    }
    Run(state, [&] {
        for (int i = 0; i < 8; ++i) {
            Draw(states[std::size_t(i)], quads[std::size_t(i)]);
        }
    }, 8.0 * kWidth * kHeight);
    SetThreadCount(1);
    SetFastPaths(true);
}

void BM_frame_8_quads(benchmark::State& state) { Frame(state, true); }
void BM_frame_8_quads_reference(benchmark::State& state) { Frame(state, false); }

}  // namespace

BENCHMARK(BM_memcpy_1024x768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_memcpy_1024x768_uncached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_point_alpha)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_point_alpha_reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_linear_alpha)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_scaled_linear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_rotated_linear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_frame_8_quads)->Arg(1)->Arg(4)->ArgName("threads")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_frame_8_quads_reference)->Arg(1)->ArgName("threads")->Unit(benchmark::kMicrosecond);
