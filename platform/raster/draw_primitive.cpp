// Triangle set-up and span generation behind DrawPrimitive.
//
// Coverage: vertex positions snap to 1/256 pixel; a pixel centre (integer coordinates) is inside
// when all three edge functions are positive, or zero on a top or left edge. Each row's span
// is solved exactly per edge in 64-bit integers, so the shared edge of two triangles is drawn
// once and the result does not depend on how rows are split between threads.
//
// Attributes: planes through the snapped vertices, evaluated at each span's first pixel; along
// the span, texture coordinates (16.16 texels) and colours are offsets from that pixel, never
// accumulated, so every pixel's value depends only on the triangle and the pixel.
//
// Sections: fixed-point helpers, triangle set-up, row spans, span shading, DrawPrimitive.
#include "platform/raster/raster.h"

#include "platform/raster/band_pool.h"
#include "platform/raster/pipeline.h"
#include "platform/raster/pixel.h"
#include "platform/raster/sampler.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace raster {

namespace {

using detail::kFixedOne;
using detail::kFixedShift;
using detail::RoundToInt64;

std::atomic<bool> g_FastPaths{true};
std::atomic<std::uint64_t> g_ReferenceDraws{0};
std::atomic<std::uint64_t> g_AlignedDraws{0};

#ifndef NDEBUG
// One line per state combination, so a slow path is never silent and never floods the log.
void ReportReferencePath(const DrawState& s, const detail::Pipeline& p, PixelFormat target) {
    char line[320];
    const StageState& st = s.stages[0];
    std::snprintf(line, sizeof line,
                  "raster: reference path for target %u, %d stages, stage 0 colour %u(%x,%x) alpha %u(%x,%x), "
                  "blend %d %u/%u op %u, alpha blend %d %u/%u op %u, alpha test %d func %u, write mask %x, "
                  "specular %d",
                  unsigned(target), p.stageCount, unsigned(st.colorOp), st.colorArg1, st.colorArg2,
                  unsigned(st.alphaOp), st.alphaArg1, st.alphaArg2, int(s.alphaBlendEnable), unsigned(s.srcBlend),
                  unsigned(s.destBlend), unsigned(s.blendOp), int(s.separateAlphaBlendEnable),
                  unsigned(s.srcBlendAlpha), unsigned(s.destBlendAlpha), unsigned(s.blendOpAlpha),
                  int(s.alphaTestEnable), unsigned(s.alphaFunc), s.colorWriteEnable, int(s.specularEnable));
    static std::mutex lock;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> guard(lock);
    if (reported.insert(line).second) {
        std::fprintf(stderr, "%s\n", line);
    }
}
#endif

// Beyond this distance from the origin a vertex cannot be snapped without overflowing the edge
// functions; such triangles are dropped (no real target comes near it).
constexpr double kMaxCoordinate = 1 << 20;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {   // b > 0
    std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {   // b > 0
    std::int64_t q = a / b;
    return (a % b != 0 && a > 0) ? q + 1 : q;
}

// A texel coordinate in 16.16, bounded so that span offsets cannot overflow.
double TexelCoordinate(double texels) {
    constexpr double kLimit = double(std::int64_t(1) << 56);
    if (!std::isfinite(texels)) {
        return 0;
    }
    return std::clamp(texels * double(kFixedOne), -kLimit, kLimit);
}

// A per-pixel step in 16.16. Steps within float noise of one texel or of none are made exact,
// so that unscaled quads from slightly inexact engine geometry still sample whole texel runs.
double TexelStep(double texels) {
    constexpr double kLimit = double(std::int64_t(1) << 36);
    constexpr double kSnap = 1.0 / (1 << 24);
    if (!std::isfinite(texels)) {
        return 0;
    }
    if (std::fabs(texels) < kSnap) {
        return 0;
    }
    if (std::fabs(texels - 1) < kSnap) {
        return double(kFixedOne);
    }
    return std::clamp(texels * double(kFixedOne), -kLimit, kLimit);
}

struct Edge {
    std::int64_t dx, dy, ax, ay, bias;
    bool perRow;   // false: a vertical or horizontal edge, folded into the triangle's bounds
};

struct Plane {
    double value = 0, dx = 0, dy = 0;   // value at the triangle's origin, and per pixel steps
};

struct Triangle {
    Edge edges[3];
    int top, bottom, left, right;   // rows and columns that may be covered, inclusive, clipped
    double originX, originY;
    Plane u, v;
    Plane color[8];                 // diffuse blue, green, red, alpha, then specular
    bool diffuseConstant, specularConstant;
    std::uint32_t diffuse, specular;
    bool linear[kMaxStages];
};

Plane MakePlane(double a0, double a1, double a2, double ex1, double ey1, double ex2, double ey2, double det) {
    double da1 = a1 - a0, da2 = a2 - a0;
    return {a0, (da1 * ey2 - da2 * ey1) / det, (da2 * ex1 - da1 * ex2) / det};
}

double At(const Plane& p, const Triangle& t, double x, double y) {
    return p.value + p.dx * (x - t.originX) + p.dy * (y - t.originY);
}

bool Snap(const Vertex& v, std::int64_t& x, std::int64_t& y) {
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || std::fabs(v.x) > kMaxCoordinate ||
        std::fabs(v.y) > kMaxCoordinate) {
        return false;
    }
    x = RoundToInt64(double(v.x) * 256.0);
    y = RoundToInt64(double(v.y) * 256.0);
    return true;
}

bool SetUpTriangle(const Vertex* v0, const Vertex* v1, const Vertex* v2, const Vertex& flat, const DrawState& state,
                   const detail::Pipeline& pipeline, const Rect& clip, Triangle& t) {
    std::int64_t x[3], y[3];
    if (!Snap(*v0, x[0], y[0]) || !Snap(*v1, x[1], y[1]) || !Snap(*v2, x[2], y[2])) {
        return false;
    }
    std::int64_t det = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    if (det == 0) {
        return false;
    }
    // det > 0: clockwise on screen (y grows downwards).
    if ((state.cullMode == Cull::CW && det > 0) || (state.cullMode == Cull::CCW && det < 0)) {
        return false;
    }
    if (det < 0) {
        std::swap(v1, v2);
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        det = -det;
    }
    for (int i = 0; i < 3; ++i) {
        int j = (i + 1) % 3;
        Edge& e = t.edges[i];
        e.dx = x[j] - x[i];
        e.dy = y[j] - y[i];
        e.ax = x[i];
        e.ay = y[i];
        bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
        e.bias = topLeft ? 0 : 1;
    }
    std::int64_t minX = std::min({x[0], x[1], x[2]}), maxX = std::max({x[0], x[1], x[2]});
    std::int64_t minY = std::min({y[0], y[1], y[2]}), maxY = std::max({y[0], y[1], y[2]});
    t.left = int(std::max<std::int64_t>(clip.left, CeilDiv(minX, 256)));
    t.right = int(std::min<std::int64_t>(clip.right - 1, FloorDiv(maxX, 256)));
    t.top = int(std::max<std::int64_t>(clip.top, CeilDiv(minY, 256)));
    t.bottom = int(std::min<std::int64_t>(clip.bottom - 1, FloorDiv(maxY, 256)));
    // Vertical and horizontal edges bound the same columns or rows on every row: solve them once.
    for (Edge& e : t.edges) {
        e.perRow = e.dx != 0 && e.dy != 0;
        // For a vertical edge, floor((dy * ax - bias) / (dy * 256)) with dy > 0 and bias 0 or 1 is
        // floor((ax - bias) / 256), and its mirror for dy < 0 likewise: no division by dy.
        if (e.dx == 0 && e.dy > 0) {
            t.right = int(std::min<std::int64_t>(t.right, FloorDiv(e.ax - e.bias, 256)));
        } else if (e.dx == 0 && e.dy < 0) {
            t.left = int(std::max<std::int64_t>(t.left, CeilDiv(e.ax + e.bias, 256)));
        } else if (e.dy == 0 && e.dx > 0) {
            t.top = int(std::max<std::int64_t>(t.top, CeilDiv(e.ay + e.bias, 256)));
        } else if (e.dy == 0 && e.dx < 0) {
            t.bottom = int(std::min<std::int64_t>(t.bottom, FloorDiv(e.ay - e.bias, 256)));
        }
    }
    if (t.left > t.right || t.top > t.bottom) {
        return false;
    }

    t.originX = double(x[0]) / 256.0;
    t.originY = double(y[0]) / 256.0;
    double ex1 = double(x[1] - x[0]) / 256.0, ey1 = double(y[1] - y[0]) / 256.0;
    double ex2 = double(x[2] - x[0]) / 256.0, ey2 = double(y[2] - y[0]) / 256.0;
    double area = double(det) / 65536.0;
    t.u = MakePlane(v0->u, v1->u, v2->u, ex1, ey1, ex2, ey2, area);
    t.v = MakePlane(v0->v, v1->v, v2->v, ex1, ey1, ex2, ey2, area);

    if (state.gouraud) {
        t.diffuseConstant = v0->diffuse == v1->diffuse && v0->diffuse == v2->diffuse;
        t.specularConstant = v0->specular == v1->specular && v0->specular == v2->specular;
        t.diffuse = v0->diffuse;
        t.specular = v0->specular;
    } else {
        t.diffuseConstant = t.specularConstant = true;
        t.diffuse = flat.diffuse;
        t.specular = flat.specular;
    }
    for (int ch = 0; ch < 4; ++ch) {
        int shift = ch * 8;
        auto channel = [shift](std::uint32_t c) { return double((c >> shift) & 255); };
        if (!t.diffuseConstant) {
            t.color[ch] = MakePlane(channel(v0->diffuse), channel(v1->diffuse), channel(v2->diffuse), ex1, ey1, ex2,
                                    ey2, area);
        }
        if (!t.specularConstant) {
            t.color[4 + ch] = MakePlane(channel(v0->specular), channel(v1->specular), channel(v2->specular), ex1,
                                        ey1, ex2, ey2, area);
        }
    }

    // With affine mapping the level of detail is one per triangle: minified when a pixel step
    // covers more than one texel.
    for (int s = 0; s < pipeline.samplingStages; ++s) {
        t.linear[s] = false;
        if (!pipeline.stages[s].samples) {
            continue;
        }
        const Image& image = *state.stages[s].texture;
        double w = image.width, h = image.height;
        double lx = t.u.dx * w * t.u.dx * w + t.v.dx * h * t.v.dx * h;
        double ly = t.u.dy * w * t.u.dy * w + t.v.dy * h * t.v.dy * h;
        Filter filter = std::max(lx, ly) > 1.0 ? state.stages[s].minFilter : state.stages[s].magFilter;
        t.linear[s] = filter == Filter::Linear || filter == Filter::Anisotropic;
    }
    return true;
}

bool RowSpan(const Triangle& t, int y, int& left, int& right) {
    if (y < t.top || y > t.bottom) {
        return false;
    }
    std::int64_t l = t.left, r = t.right;
    const std::int64_t py = std::int64_t(y) * 256;
    for (const Edge& e : t.edges) {
        if (!e.perRow) {
            continue;
        }
        // E(i) = k + m * i for the pixel centre (i, y); inside where E(i) >= bias.
        std::int64_t m = -e.dy * 256;
        std::int64_t k = e.dx * (py - e.ay) + e.dy * e.ax;
        if (m > 0) {
            l = std::max(l, CeilDiv(e.bias - k, m));
        } else if (m < 0) {
            r = std::min(r, FloorDiv(k - e.bias, -m));
        } else if (k < e.bias) {
            return false;
        }
    }
    if (l > r) {
        return false;
    }
    left = int(l);
    right = int(r);
    return true;
}

// Colours of `count` pixels starting `offset` pixels into a span that starts at (x, y).
// `vector` selects the vector form, which gives the same values.
void InterpolateColors(const Plane* planes, const Triangle& t, int x, int y, int offset, int count,
                       std::uint32_t* out, bool vector) {
    alignas(16) float start[4], step[4];
    for (int ch = 0; ch < 4; ++ch) {
        start[ch] = float(At(planes[ch], t, x, y));
        step[ch] = float(planes[ch].dx);
    }
    if (vector) {
        detail::InterpolateColorsFast(start, step, offset, count, out);
        return;
    }
#if defined(__SSE2__)
    const __m128 base = _mm_load_ps(start), gradient = _mm_load_ps(step);
    const __m128 low = _mm_setzero_ps(), high = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    for (int i = 0; i < count; ++i) {
        __m128 value = _mm_add_ps(base, _mm_mul_ps(gradient, _mm_set1_ps(float(offset + i))));
        value = _mm_min_ps(_mm_max_ps(value, low), high);
        __m128i channels = _mm_cvttps_epi32(_mm_add_ps(value, half));
        channels = _mm_packs_epi32(channels, channels);
        out[i] = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(channels, channels)));
    }
#else
    for (int i = 0; i < count; ++i) {
        std::uint32_t packed = 0;
        for (int ch = 0; ch < 4; ++ch) {
            float value = start[ch] + step[ch] * float(offset + i);
            value = std::clamp(value, 0.0f, 255.0f);
            packed |= std::uint32_t(value + 0.5f) << (ch * 8);
        }
        out[i] = packed;
    }
#endif
}

struct DrawContext {
    const Image* target;
    const DrawState* state;
    const detail::Pipeline* pipeline;
    bool direct;   // target rows are read and written in place
    bool fastPaths;
};

// Texture coordinates of every sampling stage at the pixel (left, y).
void MakeRuns(const DrawContext& c, const Triangle& t, int y, int left, detail::TexelRun* runs) {
    const detail::Pipeline& p = *c.pipeline;
    for (int st = 0; st < p.samplingStages; ++st) {
        if (p.stages[st].samples) {
            const Image& image = *c.state->stages[st].texture;
            const double w = image.width, h = image.height;
            runs[st].u = RoundToInt64(TexelCoordinate(At(t.u, t, left, y) * w));
            runs[st].v = RoundToInt64(TexelCoordinate(At(t.v, t, left, y) * h));
            runs[st].du = TexelStep(t.u.dx * w);
            runs[st].dv = TexelStep(t.v.dx * h);
        }
    }
}

void ShadeSpan(const DrawContext& c, const Triangle& t, const detail::TexelRun* runs, int y, int left, int right) {
    using namespace detail;
    const Pipeline& p = *c.pipeline;
    const DrawState& s = *c.state;
    const int n = right - left + 1;

    struct StageCoords {
        TexelRun run;
        TextureView view;
    } coords[kMaxStages];
    for (int st = 0; st < p.samplingStages; ++st) {
        if (p.stages[st].samples) {
            coords[st].run = runs[st];
            coords[st].view = p.stages[st].view;
            coords[st].view.linear = t.linear[st];
        }
    }

    // The vector combiner always adds specular, so without it it gets zeros (it never reads
    // specular as a stage argument; the reference path does, whatever the specular switch).
    const bool noSpecular = p.fast && !s.specularEnable;
    const bool specularConstant = t.specularConstant || noSpecular;
    const std::uint32_t diffuseConst = t.diffuse;
    const std::uint32_t specularConst = noSpecular ? 0 : t.specular;
    std::uint32_t texelBuffer[kMaxStages][kSpanChunk];
    std::uint32_t diffuseBuffer[kSpanChunk], specularBuffer[kSpanChunk], destinationBuffer[kSpanChunk];

    SpanInputs in;   // set up once: only the fields below change from chunk to chunk
    for (int offset = 0; offset < n;) {
        int count = std::min(kSpanChunk, n - offset);
        for (int st = 0; st < p.samplingStages; ++st) {
            if (p.stages[st].samples) {
                const StageCoords& sc = coords[st];
                in.texel[st] = c.fastPaths ? DirectTexels(sc.view, sc.run, offset, count) : nullptr;
                in.texelOr[st] = sc.view.alphaOr;
            }
        }
        for (int st = 0; st < p.samplingStages; ++st) {
            if (p.stages[st].samples && in.texel[st] == nullptr && c.fastPaths) {
                const StageCoords& sc = coords[st];
                in.texel[st] = ConvertedTexels(sc.view, sc.run, offset, count, texelBuffer[st]);
                in.texelOr[st] = 0;
            }
        }
        for (int st = 0; st < p.samplingStages; ++st) {
            if (p.stages[st].samples && in.texel[st] == nullptr) {
                const StageCoords& sc = coords[st];
                FetchTexels(sc.view, sc.run, offset, count, texelBuffer[st], p.simd);
                in.texel[st] = texelBuffer[st];
                in.texelOr[st] = 0;
            }
        }
        if (t.diffuseConstant) {
            in.diffuse = &diffuseConst;
            in.diffuseStep = 0;
        } else {
            InterpolateColors(&t.color[0], t, left, y, offset, count, diffuseBuffer, p.simd);
            in.diffuse = diffuseBuffer;
            in.diffuseStep = 1;
        }
        if (specularConstant) {
            in.specular = &specularConst;
            in.specularStep = 0;
        } else {
            InterpolateColors(&t.color[4], t, left, y, offset, count, specularBuffer, p.simd);
            in.specular = specularBuffer;
            in.specularStep = 1;
        }
        in.count = count;
        const int x = left + offset;
        if (c.direct) {
            in.destination = reinterpret_cast<std::uint32_t*>(PixelAddress(*c.target, x, y));
            CombineSpan(p, in);
        } else {
            const PixelFormat format = c.target->format;
            for (int i = 0; i < count; ++i) {
                destinationBuffer[i] = DecodePixel(format, PixelAddress(*c.target, x + i, y));
            }
            in.destination = destinationBuffer;
            CombineSpan(p, in);
            for (int i = 0; i < count; ++i) {
                EncodePixel(format, PixelAddress(*c.target, x + i, y), destinationBuffer[i]);
            }
        }
        offset += count;
    }
}

// Whether two triangles give every pixel the same colours and filters (texture coordinates
// are compared per row by RunsContinue).
bool ShadesAlike(const detail::Pipeline& p, const Triangle& a, const Triangle& b) {
    if (!a.diffuseConstant || !b.diffuseConstant || !a.specularConstant || !b.specularConstant ||
        a.diffuse != b.diffuse || a.specular != b.specular) {
        return false;
    }
    for (int st = 0; st < p.samplingStages; ++st) {
        if (p.stages[st].samples && a.linear[st] != b.linear[st]) {
            return false;
        }
    }
    return true;
}

// Whether the runs `second`, starting `gap` pixels after `first`, sample exactly what `first`
// samples there: whole steps (exact products) and start points on the same line.
bool RunsContinue(const detail::Pipeline& p, const detail::TexelRun* first, const detail::TexelRun* second, int gap) {
    for (int st = 0; st < p.samplingStages; ++st) {
        if (!p.stages[st].samples) {
            continue;
        }
        const detail::TexelRun& a = first[st];
        const detail::TexelRun& b = second[st];
        if (a.du != b.du || a.dv != b.dv || a.du != std::floor(a.du) || a.dv != std::floor(a.dv) ||
            b.u != a.u + std::int64_t(a.du) * gap || b.v != a.v + std::int64_t(a.dv) * gap) {
            return false;
        }
    }
    return true;
}

bool SharesMemory(const Image& a, const Image& b) {
    auto begin = [](const Image& i) { return reinterpret_cast<std::uintptr_t>(i.bits); };
    auto end = [&](const Image& i) { return begin(i) + std::uintptr_t(i.pitch) * std::uintptr_t(i.height); };
    return begin(a) < end(b) && begin(b) < end(a);
}

// Vertex indices of triangle `k` and the vertex whose colours flat shading uses.
void TriangleIndices(Primitive type, unsigned k, unsigned index[3], unsigned& flat) {
    switch (type) {
    case Primitive::TriangleStrip:
        // Odd triangles are taken in swapped order so that the whole strip has one winding.
        index[0] = (k & 1) ? k + 1 : k;
        index[1] = (k & 1) ? k : k + 1;
        index[2] = k + 2;
        flat = k;
        break;
    case Primitive::TriangleFan:
        index[0] = 0;
        index[1] = k + 1;
        index[2] = k + 2;
        flat = k + 1;
        break;
    default:
        index[0] = 3 * k;
        index[1] = 3 * k + 1;
        index[2] = 3 * k + 2;
        flat = 3 * k;
        break;
    }
}

// ---- Axis-aligned quads ----
// Text and sprites are screen-aligned rectangles drawn at one texel per pixel. Such a quad is
// drawn as the rows of one rectangle: the texel offset is proved once per quad for every span
// start either triangle could give a row, so that each row only fetches its texels and blends.

struct AlignedQuad {
    int left, top, right, bottom;   // covered pixels, inclusive, clipped
    int texelX, texelY;             // pixel (x, y) samples texel (x + texelX, y + texelY)
    const std::uint32_t* texels32;  // 32-bit texture rows, or null
    const std::uint8_t* nibbles;    // 16-bit texture of 4-bit channels, or null
    std::ptrdiff_t texturePitch;
    std::uint32_t texelOr;
    bool noAlpha;                   // 4-bit texture without alpha
};

// Whether two set-up triangles are the halves of one rectangle split along a diagonal; gives its
// snapped corners (each edge starts at one of its triangle's snapped vertices).
bool RectangleHalves(const Triangle& a, const Triangle& b, std::int64_t& minX, std::int64_t& minY,
                     std::int64_t& maxX, std::int64_t& maxY) {
    std::int64_t x[2][3], y[2][3];
    for (int k = 0; k < 2; ++k) {
        const Triangle& t = k == 0 ? a : b;
        for (int i = 0; i < 3; ++i) {
            x[k][i] = t.edges[i].ax;
            y[k][i] = t.edges[i].ay;
        }
    }
    minX = maxX = x[0][0];
    minY = maxY = y[0][0];
    for (int k = 0; k < 2; ++k) {
        for (int i = 0; i < 3; ++i) {
            minX = std::min(minX, x[k][i]), maxX = std::max(maxX, x[k][i]);
            minY = std::min(minY, y[k][i]), maxY = std::max(maxY, y[k][i]);
        }
    }
    if (minX == maxX || minY == maxY) {
        return false;
    }
    // Corners numbered by bit 0 (right) and bit 1 (bottom); each triangle takes three distinct
    // ones, and the corners they leave out are opposite, so the shared edge is a diagonal.
    int missing[2];
    for (int k = 0; k < 2; ++k) {
        int seen = 0;
        for (int i = 0; i < 3; ++i) {
            const bool atX = x[k][i] == minX || x[k][i] == maxX, atY = y[k][i] == minY || y[k][i] == maxY;
            if (!atX || !atY) {
                return false;
            }
            seen |= 1 << (int(x[k][i] == maxX) | (int(y[k][i] == maxY) << 1));
        }
        if (seen != 7 && seen != 11 && seen != 13 && seen != 14) {   // three corners of four
            return false;
        }
        missing[k] = __builtin_ctz(unsigned(~seen & 15));
    }
    return (missing[0] ^ missing[1]) == 3;
}

#if defined(__x86_64__)
// The column loop of AxisOffset on four and on eight columns at a time: the same operations in the
// same order (never fused into a multiply-add), the same rounding of the
// conversion. Each returns whether a column differs and leaves `i` at the first column not done.
__attribute__((target("avx2"))) bool AxisColumnsAvx2(double planeValue, double step, double origin, double size,
                                                     int centre, int expected, bool linear, int& i, int to) {
    const __m256d value = _mm256_set1_pd(planeValue), gradient = _mm256_set1_pd(step);
    const __m256d base = _mm256_set1_pd(origin), scale = _mm256_set1_pd(size);
    const __m256d fixed = _mm256_set1_pd(double(detail::kFixedOne)), lanes = _mm256_setr_pd(0, 1, 2, 3);
    const __m128i centres = _mm_set1_epi32(centre), expectedLanes = _mm_set1_epi32(expected);
    const __m128i fraction = _mm_set1_epi32(linear ? 0xFF00 : 0), laneIndex = _mm_setr_epi32(0, 1, 2, 3);
    __m128i bad = _mm_setzero_si128();
    for (; i + 3 <= to; i += 4) {
        const __m256d index = _mm256_add_pd(_mm256_set1_pd(double(i)), lanes);
        const __m256d texel = _mm256_mul_pd(
            _mm256_mul_pd(_mm256_add_pd(value, _mm256_mul_pd(gradient, _mm256_sub_pd(index, base))), scale), fixed);
        const __m128i c = _mm_sub_epi32(_mm256_cvtpd_epi32(texel), centres);
        const __m128i o =
            _mm_sub_epi32(_mm_srai_epi32(c, detail::kFixedShift), _mm_add_epi32(_mm_set1_epi32(i), laneIndex));
        bad = _mm_or_si128(bad, _mm_or_si128(_mm_xor_si128(o, expectedLanes), _mm_and_si128(c, fraction)));
    }
    return _mm_testz_si128(bad, bad) == 0;
}

__attribute__((target("avx2,avx512f"))) bool AxisColumnsAvx512(double planeValue, double step, double origin,
                                                              double size, int centre, int expected, bool linear,
                                                              int& i, int to) {
    const __m512d value = _mm512_set1_pd(planeValue), gradient = _mm512_set1_pd(step);
    const __m512d base = _mm512_set1_pd(origin), scale = _mm512_set1_pd(size);
    const __m512d fixed = _mm512_set1_pd(double(detail::kFixedOne));
    const __m512d lanes = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i centres = _mm256_set1_epi32(centre), expectedLanes = _mm256_set1_epi32(expected);
    const __m256i fraction = _mm256_set1_epi32(linear ? 0xFF00 : 0);
    const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i bad = _mm256_setzero_si256();
    for (; i + 7 <= to; i += 8) {
        const __m512d index = _mm512_add_pd(_mm512_set1_pd(double(i)), lanes);
        // AVX-512 has fused multiply-add, so the step's product is the masked form, which the
        // compiler cannot fuse with the addition (all lanes kept).
        const __m512d product = _mm512_maskz_mul_pd(0xFF, gradient, _mm512_sub_pd(index, base));
        const __m512d texel = _mm512_mul_pd(_mm512_mul_pd(_mm512_add_pd(value, product), scale), fixed);
        const __m256i c = _mm256_sub_epi32(_mm512_maskz_cvtpd_epi32(0xFF, texel), centres);
        const __m256i o = _mm256_sub_epi32(_mm256_srai_epi32(c, detail::kFixedShift),
                                           _mm256_add_epi32(_mm256_set1_epi32(i), laneIndex));
        bad = _mm256_or_si256(bad, _mm256_or_si256(_mm256_xor_si256(o, expectedLanes), _mm256_and_si256(c, fraction)));
    }
    return _mm256_testz_si256(bad, bad) == 0;
}
#endif

// The texel offset along one axis of a plane that does not change along the other (whose step
// there is zero, so that At's term for it adds nothing), the same for every span start `from` ..
// `to`: the texel coordinate the span set-up gives there, less the centre offset of LINEAR (whose
// samples must then sit on texel centres), in whole texels less the pixel.
bool AxisOffset(const Plane& plane, bool alongX, double origin, double size, bool linear, int from, int to,
                std::int64_t& offset, bool& known) {
    const double step = alongX ? plane.dx : plane.dy;
    auto texels = [&](int i) { return (plane.value + step * (double(i) - origin)) * size; };
    // Each operation is monotonic in i, so TexelCoordinate's bounds, met at both ends, hold between
    // and it is a plain scaling.
    constexpr double kLimit = double(std::int64_t(1) << 40);
    const double first = texels(from), last = texels(to);
    if (!(std::fabs(first) < kLimit) || !(std::fabs(last) < kLimit)) {
        return false;
    }
    const std::int64_t centre = linear ? kFixedOne / 2 - 128 : 0;
    const std::int64_t expected =
        known ? offset : ((RoundToInt64(first * double(kFixedOne)) - centre) >> kFixedShift) - from;
    std::uint64_t differs = 0;
    int i = from;
#if defined(__SSE2__)
    // Two columns at a time where every coordinate fits 32 bits: the same operations in the same
    // order, and the same rounding of the conversion.
    constexpr double kNarrow = 32767;
    if (std::fabs(first) < kNarrow && std::fabs(last) < kNarrow) {
#if defined(__x86_64__)
        const detail::KernelSet widest = detail::ActiveKernelSet();
        if (widest == detail::KernelSet::Avx512) {
            differs |= AxisColumnsAvx512(plane.value, step, origin, size, int(centre), int(expected), linear, i, to);
        }
        if (widest != detail::KernelSet::Baseline) {
            differs |= AxisColumnsAvx2(plane.value, step, origin, size, int(centre), int(expected), linear, i, to);
        }
#endif
        const __m128d value = _mm_set1_pd(plane.value), gradient = _mm_set1_pd(step), base = _mm_set1_pd(origin);
        const __m128d scale = _mm_set1_pd(size), fixed = _mm_set1_pd(double(kFixedOne));
        const __m128i centres = _mm_set1_epi32(int(centre)), expectedLanes = _mm_set1_epi32(int(expected));
        const __m128i fraction = _mm_set1_epi32(linear ? 0xFF00 : 0), lowTwo = _mm_setr_epi32(-1, -1, 0, 0);
        __m128i bad = _mm_setzero_si128();
        for (; i + 1 <= to; i += 2) {
            const __m128d index = _mm_setr_pd(double(i), double(i + 1));
            const __m128d texel =
                _mm_mul_pd(_mm_mul_pd(_mm_add_pd(value, _mm_mul_pd(gradient, _mm_sub_pd(index, base))), scale), fixed);
            const __m128i c = _mm_sub_epi32(_mm_cvtpd_epi32(texel), centres);
            const __m128i o = _mm_sub_epi32(_mm_srai_epi32(c, kFixedShift), _mm_setr_epi32(i, i + 1, 0, 0));
            bad = _mm_or_si128(bad, _mm_or_si128(_mm_xor_si128(o, expectedLanes), _mm_and_si128(c, fraction)));
        }
        const __m128i zero = _mm_setzero_si128();   // the upper two lanes are no columns
        differs |= std::uint64_t(_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(bad, lowTwo), zero)) != 0xFFFF);
    }
#endif
    for (; i <= to; ++i) {
        const std::int64_t c = RoundToInt64(texels(i) * double(kFixedOne)) - centre;
        differs |= std::uint64_t(((c >> kFixedShift) - i) ^ expected);
        if (linear) {
            differs |= std::uint64_t((c >> 8) & 255);
        }
    }
    offset = expected;
    known = true;
    return differs == 0;
}

bool MakeAlignedQuad(const DrawContext& c, const Rect& clip, const Triangle& a, const Triangle& b, AlignedQuad& q) {
    using namespace detail;
    const Pipeline& p = *c.pipeline;
    if (!p.fast || !c.direct || p.samplingStages > 1 || !ShadesAlike(p, a, b)) {
        return false;
    }
    std::int64_t minX, minY, maxX, maxY;
    if (!RectangleHalves(a, b, minX, minY, maxX, maxY)) {
        return false;
    }
    // Left and top edges take the pixel centres on them, right and bottom ones do not.
    q.left = int(std::max<std::int64_t>(clip.left, CeilDiv(minX, 256)));
    q.right = int(std::min<std::int64_t>(clip.right - 1, FloorDiv(maxX - 1, 256)));
    q.top = int(std::max<std::int64_t>(clip.top, CeilDiv(minY, 256)));
    q.bottom = int(std::min<std::int64_t>(clip.bottom - 1, FloorDiv(maxY - 1, 256)));
    if (q.left > q.right || q.top > q.bottom) {
        return false;
    }
    q.texelX = q.texelY = 0;
    q.texels32 = nullptr;
    q.nibbles = nullptr;
    q.texturePitch = 0;
    q.texelOr = 0;
    q.noAlpha = false;
    if (p.samplingStages == 0) {
        return true;
    }
    const Image& image = *c.state->stages[0].texture;
    const bool is32 = p.stages[0].view.is32 && IsDirect32(image);
    const bool nibbles = (image.format == PixelFormat::A4R4G4B4 || image.format == PixelFormat::X4R4G4B4);
    if ((!is32 && !nibbles) || SharesMemory(image, *c.target)) {
        return false;
    }
    const double w = image.width, h = image.height;
    std::int64_t offsetX = 0, offsetY = 0;
    bool knownX = false, knownY = false;
    auto samePlane = [](const Plane& x, const Plane& y) { return x.value == y.value && x.dx == y.dx && x.dy == y.dy; };
    // Halves with the same origin and planes (a fan's, mostly) give the same coordinates.
    const bool alike = a.originX == b.originX && a.originY == b.originY && samePlane(a.u, b.u) &&
                       samePlane(a.v, b.v) && a.linear[0] == b.linear[0];
    for (const Triangle* t : {&a, &b}) {
        if (t == &b && alike) {
            break;
        }
        // u along rows only, v down columns only, one texel per pixel: then a span's first texel
        // depends on its first column alone (rows: on the row alone), whatever the triangle.
        if (t->u.dy != 0 || t->v.dx != 0 || TexelStep(t->u.dx * w) != double(kFixedOne) ||
            !AxisOffset(t->u, true, t->originX, w, t->linear[0], q.left, q.right, offsetX, knownX) ||
            !AxisOffset(t->v, false, t->originY, h, t->linear[0], q.top, q.bottom, offsetY, knownY)) {
            return false;
        }
    }
    // Every texel inside the texture, where addressing of any mode leaves it as it is.
    if (q.left + offsetX < 0 || q.right + offsetX >= image.width || q.top + offsetY < 0 ||
        q.bottom + offsetY >= image.height) {
        return false;
    }
    q.texelX = int(offsetX);
    q.texelY = int(offsetY);
    q.texturePitch = image.pitch;
    if (is32) {
        q.texels32 = reinterpret_cast<const std::uint32_t*>(image.bits);
        q.texelOr = p.stages[0].view.alphaOr;
    } else {
        q.nibbles = image.bits;
        q.noAlpha = image.format == PixelFormat::X4R4G4B4;
    }
    return true;
}

// Rows `from` .. `to` of an aligned quad.
void DrawAlignedRows(const DrawContext& c, const Triangle& t, const AlignedQuad& q, int from, int to) {
    using namespace detail;
    const Pipeline& p = *c.pipeline;
    const bool noSpecular = !c.state->specularEnable;
    const std::uint32_t diffuse = t.diffuse;
    const std::uint32_t specular = noSpecular ? 0 : t.specular;
    if (p.samplingStages == 1) {
        RectInputs rect;
        rect.rows = to - from + 1;
        rect.count = q.right - q.left + 1;
        rect.nibbles = q.nibbles != nullptr;
        rect.texels = rect.nibbles ? q.nibbles + std::ptrdiff_t(from + q.texelY) * q.texturePitch +
                                         std::ptrdiff_t(q.left + q.texelX) * 2
                                   : reinterpret_cast<const std::uint8_t*>(q.texels32) +
                                         std::ptrdiff_t(from + q.texelY) * q.texturePitch +
                                         std::ptrdiff_t(q.left + q.texelX) * 4;
        rect.texelPitch = q.texturePitch;
        rect.texelOr = rect.nibbles ? (q.noAlpha ? 0xFF000000u : 0) : q.texelOr;
        rect.diffuse = diffuse;
        rect.specular = specular;
        rect.destination = PixelAddress(*c.target, q.left, from);
        rect.destinationPitch = c.target->pitch;
        if (CombineRect(p, rect)) {
            return;
        }
    }
    std::uint32_t texelBuffer[kSpanChunk];
    SpanInputs in;
    in.diffuse = &diffuse;
    in.specular = &specular;
    for (int y = from; y <= to; ++y) {
        const int ty = y + q.texelY;
        for (int x = q.left; x <= q.right; x += kSpanChunk) {
            const int count = std::min(kSpanChunk, q.right - x + 1);
            const int tx = x + q.texelX;
            if (q.texels32 != nullptr) {
                in.texel[0] = reinterpret_cast<const std::uint32_t*>(
                                  reinterpret_cast<const std::uint8_t*>(q.texels32) + ty * q.texturePitch) + tx;
                in.texelOr[0] = q.texelOr;
            } else if (q.nibbles != nullptr) {
                ConvertNibbleRow(q.nibbles + ty * q.texturePitch + std::ptrdiff_t(tx) * 2, count, q.noAlpha,
                                 texelBuffer);
                in.texel[0] = texelBuffer;
                in.texelOr[0] = 0;
            }
            in.count = count;
            in.destination = reinterpret_cast<std::uint32_t*>(PixelAddress(*c.target, x, y));
            CombineSpan(p, in);
        }
    }
}

// The pipeline for `state`, compiled again only when the state, a texture it names or the target
// format differs from the last draw's on this thread (text draws thousands of quads in one state).
const detail::Pipeline& CompiledPipeline(const DrawState& state, PixelFormat format, bool fastPaths) {
    struct Cache {
        bool valid = false;
        DrawState state;
        Image textures[kMaxStages];
        PixelFormat format = PixelFormat::Unknown;
        bool fastPaths = false;
        detail::Pipeline pipeline;
    };
    thread_local Cache cache;
    // Bytes, padding included: a difference there only costs a compilation.
    bool same = cache.valid && cache.format == format && cache.fastPaths == fastPaths &&
                std::memcmp(&cache.state, &state, sizeof state) == 0;
    for (int i = 0; same && i < kMaxStages; ++i) {
        const Image* texture = state.stages[i].texture;
        same = texture == nullptr || std::memcmp(&cache.textures[i], texture, sizeof(Image)) == 0;
    }
    if (!same) {
        cache.valid = true;
        cache.state = state;
        cache.format = format;
        cache.fastPaths = fastPaths;
        for (int i = 0; i < kMaxStages; ++i) {
            cache.textures[i] = state.stages[i].texture != nullptr ? *state.stages[i].texture : Image{};
        }
        detail::CompilePipeline(state, format, fastPaths, cache.pipeline);
    }
    // The compiled form points at the caller's state and images, equal to the cached ones.
    cache.pipeline.state = &state;
    for (int i = 0; i < cache.pipeline.samplingStages; ++i) {
        if (cache.pipeline.stages[i].samples) {
            cache.pipeline.stages[i].view.image = state.stages[i].texture;
        }
    }
    return cache.pipeline;
}

}  // namespace

void DrawPrimitive(const Image& target, const Rect& viewport, const DrawState& state, Primitive type,
                   unsigned primitiveCount, const Vertex* vertices) {
    using namespace detail;
    if (!IsUsable(target) || vertices == nullptr || primitiveCount == 0) {
        return;
    }
    if (type != Primitive::TriangleList && type != Primitive::TriangleStrip && type != Primitive::TriangleFan) {
        return;
    }
    const Rect clip = Intersect(viewport, Rect{0, 0, target.width, target.height});
    if (IsEmpty(clip)) {
        return;
    }
    const bool fastPaths = g_FastPaths.load(std::memory_order_relaxed);
    const Pipeline& pipeline = CompiledPipeline(state, target.format, fastPaths);
    if (fastPaths && !pipeline.fast) {
        g_ReferenceDraws.fetch_add(1, std::memory_order_relaxed);
#ifndef NDEBUG
        ReportReferencePath(state, pipeline, target.format);
#endif
    }

    // Set up in place: a triangle is written whole where it is kept (SetUpTriangle fills every
    // field that drawing reads), so the slots are neither cleared nor copied per draw.
    thread_local std::vector<Triangle> triangles;
    if (triangles.size() < primitiveCount) {
        triangles.resize(primitiveCount);
    }
    std::size_t kept = 0;
    int top = clip.bottom, bottom = clip.top - 1;
    double pixels = 0;
    for (unsigned k = 0; k < primitiveCount; ++k) {
        unsigned index[3], flat;
        TriangleIndices(type, k, index, flat);
        Triangle& t = triangles[kept];
        if (SetUpTriangle(&vertices[index[0]], &vertices[index[1]], &vertices[index[2]], vertices[flat], state,
                          pipeline, clip, t)) {
            ++kept;
            top = std::min(top, t.top);
            bottom = std::max(bottom, t.bottom);
            pixels += 0.5 * double(t.right - t.left + 1) * double(t.bottom - t.top + 1);
        }
    }
    if (kept == 0) {
        return;
    }

    DrawContext context{&target, &state, &pipeline, IsDirect32(target), fastPaths};
    struct {
        const Triangle* first;
        std::size_t count;
        std::size_t size() const { return count; }
        const Triangle& operator[](std::size_t i) const { return first[i]; }
    } const list{triangles.data(), kept};
    AlignedQuad quad;
    const bool aligned = fastPaths && primitiveCount == 2 && list.size() == 2 &&
                         MakeAlignedQuad(context, clip, list[0], list[1], quad);
    if (aligned) {
        g_AlignedDraws.fetch_add(1, std::memory_order_relaxed);
        top = quad.top;
        bottom = quad.bottom;
    }
    auto drawTriangle = [&](const Triangle& t, int from, int to) {
        TexelRun runs[kMaxStages];
        for (int y = from; y <= to; ++y) {
            int left, right;
            if (RowSpan(t, y, left, right)) {
                MakeRuns(context, t, y, left, runs);
                ShadeSpan(context, t, runs, y, left, right);
            }
        }
    };
    // Two triangles of one quad shade each row as one span wherever the second continues the
    // first exactly (same colours, whole-texel steps): fewer, longer spans, the same pixels.
    auto drawPair = [&](const Triangle& a, const Triangle& b, int from, int to) {
        TexelRun runsA[kMaxStages], runsB[kMaxStages];
        for (int y = from; y <= to; ++y) {
            int la = 0, ra = -1, lb = 0, rb = -1;
            const bool hasA = RowSpan(a, y, la, ra), hasB = RowSpan(b, y, lb, rb);
            if (hasA) {
                MakeRuns(context, a, y, la, runsA);
            }
            if (hasB) {
                MakeRuns(context, b, y, lb, runsB);
            }
            if (hasA && hasB && (ra + 1 == lb || rb + 1 == la)) {
                const bool aFirst = ra + 1 == lb;
                if (RunsContinue(pipeline, aFirst ? runsA : runsB, aFirst ? runsB : runsA,
                                 aFirst ? lb - la : la - lb)) {
                    ShadeSpan(context, aFirst ? a : b, aFirst ? runsA : runsB, y, std::min(la, lb), std::max(ra, rb));
                    continue;
                }
            }
            if (hasA) {
                ShadeSpan(context, a, runsA, y, la, ra);
            }
            if (hasB) {
                ShadeSpan(context, b, runsB, y, lb, rb);
            }
        }
    };
    auto drawRows = [&](int firstRow, int lastRow) {
        if (aligned) {
            DrawAlignedRows(context, list[0], quad, firstRow, lastRow);
            return;
        }
        for (std::size_t k = 0; k < list.size();) {
            const Triangle& t = list[k];
            if (fastPaths && k + 1 < list.size() && ShadesAlike(pipeline, t, list[k + 1])) {
                const Triangle& next = list[k + 1];
                drawPair(t, next, std::max(firstRow, std::min(t.top, next.top)),
                         std::min(lastRow, std::max(t.bottom, next.bottom)));
                k += 2;
            } else {
                drawTriangle(t, std::max(firstRow, t.top), std::min(lastRow, t.bottom));
                k += 1;
            }
        }
    };

    const int rows = bottom - top + 1;
    int threads = BandThreads();
    for (int st = 0; st < pipeline.samplingStages; ++st) {
        // Sampling the target itself: bands would read rows other bands are writing.
        if (pipeline.stages[st].samples && SharesMemory(*state.stages[st].texture, target)) {
            threads = 1;
        }
    }
    constexpr double kPixelsWorthSplitting = 32768;
    constexpr int kMinRowsPerBand = 8;
    int bands = 1;
    if (threads > 1 && pixels >= kPixelsWorthSplitting) {
        // More bands than threads so that uneven bands even out; each pixel still belongs to one band.
        bands = std::max(1, std::min(threads * 4, rows / kMinRowsPerBand));
    }
    if (bands == 1) {
        drawRows(top, bottom);
        return;
    }
    RunBands(bands, [&](int band) {
        int first = top + int(std::int64_t(rows) * band / bands);
        int last = top + int(std::int64_t(rows) * (band + 1) / bands) - 1;
        drawRows(first, last);
    });
}

void SetThreadCount(int count) { detail::SetBandThreads(count); }

void SetFastPaths(bool enabled) { g_FastPaths.store(enabled, std::memory_order_relaxed); }

std::uint64_t ReferencePathDraws() { return g_ReferenceDraws.load(std::memory_order_relaxed); }

std::uint64_t AlignedQuadDraws() { return g_AlignedDraws.load(std::memory_order_relaxed); }

}  // namespace raster
