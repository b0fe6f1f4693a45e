// Software rasterizer speed at 1024x768, each case also reported as a multiple of a memcpy of
// the same 32-bit target measured in the same run (fastest iteration of each): "x_memcpy" with
// both buffers in the cache, as the draws' own target and texture are, and "x_memcpy_uncached"
// with buffers far larger than the last-level cache, a copy at memory speed.
//   quad_unscaled_point_alpha   an unscaled, point-sampled, alpha-blended full-screen quad
//   quad_unscaled_linear_alpha  the same with linear filtering (samples on texel centres)
//   quad_scaled_linear          the same with linear filtering at a scale of 1.5
//   quad_rotated_linear         a screen-sized quad rotated by 30 degrees, linear filtering
//   quad_gouraud_untextured     an untextured gradient with a colour per corner, alpha-blended
//   frame_8_quads               a visual-novel frame: 8 full-screen quads with mixed presets
//   routine/preset/alphatest/mask  each drawing routine of the graphics layer (0 a sprite: a
//                               1:1 full-target quad from a 32-bit texture; 1 text: 2,000
//                               24x24 glyph quads, one draw each, from a 4-bit-channel page;
//                               2 a colour fill, untextured) with each blend preset, alpha test
//                               (GREATEREQUAL 0x80) off or on and colour writes all or RGB only,
//                               into a 32-bit target with alpha; "reference_draws" counts draws
//                               that fell to the per-pixel path (an error when any does)
// The *_reference variants run with the fast paths off, and frame_8_quads/threads:4 splits rows;
// "kernels" limits the vector code to SSE2 (0), AVX2 (1) or AVX-512 (2, the default).
#include "platform/raster/raster.h"

#include "platform/raster/pipeline.h"   // the kernel-set limit, to measure each instruction set

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

// One 1024x768 32-bit copy; `slices` > 1 copies a different slice of larger buffers each time.
class TargetCopy {
public:
    explicit TargetCopy(std::size_t slices)
        : m_Slices(slices), m_Source(kSlice * slices, 0x12345678), m_Destination(m_Source.size()) {}

    void operator()() {
        std::memcpy(m_Destination.data() + m_Next * kSlice, m_Source.data() + m_Next * kSlice, kSlice * 4);
        benchmark::DoNotOptimize(m_Destination.data());
        m_Next = (m_Next + 1) % m_Slices;
    }

private:
    static constexpr std::size_t kSlice = std::size_t(kWidth) * kHeight;
    std::size_t m_Slices, m_Next = 0;
    std::vector<std::uint32_t> m_Source, m_Destination;
};

// 40 slices make two 120 MiB buffers, beyond any last-level cache, so each copy reads and
// writes memory no cache holds.
constexpr std::size_t kUncachedSlices = 40;

// Ratios use the fastest iteration of each case, which stays meaningful on a busy machine.
double BestSeconds(TargetCopy& copy, int iterations) {
    double best = 1e9;
    for (int i = 0; i < iterations; ++i) {
        auto start = std::chrono::steady_clock::now();
        copy();
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

double MemcpySeconds() {
    static const double seconds = [] {
        TargetCopy copy(1);
        return BestSeconds(copy, 1000);
    }();
    return seconds;
}

double MemcpyUncachedSeconds() {
    static const double seconds = [] {
        TargetCopy copy(kUncachedSlices);
        return BestSeconds(copy, 200);
    }();
    return seconds;
}

template <class Body>
void Run(benchmark::State& state, Body body, double pixels) {
    const double reference = MemcpySeconds(), uncached = MemcpyUncachedSeconds();
    double best = 1e9;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        body();
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["x_memcpy"] = best / reference;
    state.counters["x_memcpy_uncached"] = best / uncached;
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
    TargetCopy copy(1);
    Run(state, [&] { copy(); }, kWidth * kHeight);
}

void BM_memcpy_1024x768_uncached(benchmark::State& state) {
    TargetCopy copy(kUncachedSlices);
    Run(state, [&] { copy(); }, kWidth * kHeight);
}

// Runs a draw case with the vector kernels limited to the set in the "kernels" argument
// (0 SSE2, 1 AVX2, 2 AVX-512), labelled with the set the processor actually allows.
template <class Body>
void WithKernels(benchmark::State& state, Body body) {
    detail::LimitKernels(detail::KernelSet(state.range(0)));
    static const char* const kNames[] = {"sse2", "avx2", "avx512"};
    state.SetLabel(kNames[int(detail::ActiveKernelSet())]);
    body();
    detail::LimitKernels(detail::KernelSet::Avx512);
}

void QuadUnscaled(benchmark::State& state, Filter filter) {
    const DrawState s = PresetState(2, filter);
    const auto quad = Quad(0, 0, kWidth, kHeight, 1.0f, 0.75f, 0xE0FFFFFF);
    Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
}

void BM_quad_unscaled_point_alpha(benchmark::State& state) {
    WithKernels(state, [&] { QuadUnscaled(state, Filter::Point); });
}

void BM_quad_unscaled_point_alpha_reference(benchmark::State& state) {
    SetFastPaths(false);
    QuadUnscaled(state, Filter::Point);
    SetFastPaths(true);
}

// Unscaled with LINEAR, as layers with a linear filter mode draw at scale 1.
void BM_quad_unscaled_linear_alpha(benchmark::State& state) {
    WithKernels(state, [&] { QuadUnscaled(state, Filter::Linear); });
}

void BM_quad_scaled_linear(benchmark::State& state) {
    WithKernels(state, [&] {
        const DrawState s = PresetState(2, Filter::Linear);
        // 683x512 texels drawn over the whole target: a scale of 1.5.
        const auto quad = Quad(0, 0, kWidth, kHeight, 1024.0f / 1.5f / 1024, 768.0f / 1.5f / 1024, 0xE0FFFFFF);
        Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
    });
}

void BM_quad_rotated_linear(benchmark::State& state) {
    WithKernels(state, [&] {
        const DrawState s = PresetState(2, Filter::Linear);
        const float c = std::cos(0.5236f), sn = std::sin(0.5236f), hw = kWidth / 2.0f, hh = kHeight / 2.0f;
        auto at = [&](float x, float y, float u, float v) {
            return Vertex{hw + x * c - y * sn, hh + x * sn + y * c, 0, 1, 0xE0FFFFFF, 0, u, v};
        };
        const std::array<Vertex, 4> quad = {
            {at(-hw, -hh, 0, 0), at(-hw, hh, 0, 0.75f), at(hw, hh, 1, 0.75f), at(hw, -hh, 1, 0)}};
        Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
    });
}

// An untextured alpha-blended gradient over the whole target, as a colour rectangle with a
// colour per corner draws: the Gouraud colours are interpolated per pixel.
void BM_quad_gouraud_untextured(benchmark::State& state) {
    WithKernels(state, [&] {
        DrawState s = PresetState(2, Filter::Point);
        s.stages[0].texture = nullptr;
        auto quad = Quad(0, 0, kWidth, kHeight, 0, 0, 0x80FF0000);
        quad[1].diffuse = 0xC000FF00;
        quad[2].diffuse = 0x400000FF;
        quad[3].diffuse = 0xFFFFFFFF;
        Run(state, [&] { Draw(s, quad); }, kWidth * kHeight);
    });
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

Buffer& AlphaTarget() {
    static Buffer target(kWidth, kHeight, PixelFormat::A8R8G8B8, 3);
    return target;
}

Buffer& GlyphPage() {
    static Buffer page = [] {
        Buffer b(256, 256, PixelFormat::A8R8G8B8, 4);   // 32-bit words hold 16-bit texels twice
        b.image = Image{reinterpret_cast<std::uint8_t*>(b.pixels.data()), 256 * 2, 256, 256, PixelFormat::A4R4G4B4};
        return b;
    }();
    return page;
}

void BM_routine(benchmark::State& state) {
    const int routine = int(state.range(0));
    DrawState s = PresetState(int(state.range(1)), Filter::Point);
    if (state.range(2) != 0) {
        s.alphaTestEnable = true;
        s.alphaFunc = Compare::GreaterEqual;
        s.alphaRef = 0x80;
    }
    s.colorWriteEnable = state.range(3) != 0 ? 0x7 : 0xF;
    const Image& target = AlphaTarget().image;
    const Rect all{0, 0, kWidth, kHeight};
    const std::uint64_t fallbacksBefore = ReferencePathDraws();
    if (routine == 1) {
        s.stages[0].texture = &GlyphPage().image;
        // 400 characters in a 960x240 block, each drawn four times shifted by a pixel (the
        // outline) and once in place.
        std::vector<std::array<Vertex, 4>> quads;
        const int offsets[5][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}, {0, 0}};
        for (int c = 0; c < 400; ++c) {
            const float x = float(32 + (c % 40) * 24), y = float(32 + (c / 40) * 24);
            const float u = float((c * 24) % 240) / 256.0f, v = float(((c * 24) / 240) * 24 % 240) / 256.0f;
            for (const auto& o : offsets) {
                auto q = Quad(x + float(o[0]), y + float(o[1]), x + float(o[0]) + 24, y + float(o[1]) + 24, 0, 0,
                              o[0] == 0 && o[1] == 0 ? 0xFFFFFFFF : 0xFF000000);
                for (auto& vertex : q) {
                    vertex.u = u + (vertex.u != 0 || &vertex == &q[2] || &vertex == &q[3] ? 24.0f / 256 : 0);
                    vertex.v = v + (&vertex == &q[1] || &vertex == &q[2] ? 24.0f / 256 : 0);
                }
                quads.push_back(q);
            }
        }
        Run(state, [&] {
            for (const auto& q : quads) {
                DrawPrimitive(target, all, s, Primitive::TriangleFan, 2, q.data());
            }
        }, 2000.0 * 24 * 24);
    } else {
        if (routine == 2) {
            s.stages[0].texture = nullptr;
        }
        const auto quad = Quad(0, 0, kWidth, kHeight, 1.0f, 0.75f, 0xC0FFFFFF);
        Run(state, [&] { DrawPrimitive(target, all, s, Primitive::TriangleFan, 2, quad.data()); }, kWidth * kHeight);
    }
    const std::uint64_t fallbacks = ReferencePathDraws() - fallbacksBefore;
    state.counters["reference_draws"] = double(fallbacks);
    if (fallbacks != 0) {
        state.SkipWithError("a draw fell to the reference path");
    }
}

void BM_frame_8_quads(benchmark::State& state) { Frame(state, true); }
void BM_frame_8_quads_reference(benchmark::State& state) { Frame(state, false); }

}  // namespace

BENCHMARK(BM_memcpy_1024x768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_memcpy_1024x768_uncached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_point_alpha)->ArgName("kernels")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_point_alpha_reference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_unscaled_linear_alpha)->ArgName("kernels")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_scaled_linear)->ArgName("kernels")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_rotated_linear)->ArgName("kernels")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_quad_gouraud_untextured)->ArgName("kernels")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_frame_8_quads)->Arg(1)->Arg(4)->ArgName("threads")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_frame_8_quads_reference)->Arg(1)->ArgName("threads")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_routine)
    ->ArgNames({"routine", "preset", "alphatest", "mask"})
    ->ArgsProduct({{0, 1, 2}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {0, 1}, {0, 1}})
    ->MinTime(0.05)
    ->Unit(benchmark::kMicrosecond);
