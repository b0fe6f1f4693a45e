// Private to the rasterizer: the per-pixel pipeline (texture stage cascade, specular add,
// alpha test, blending, write masks) compiled once per draw and run over spans of pixels.
//
// CombineReference defines the result; the vector combiners reproduce it exactly for the state
// combinations the engine draws with, and CompilePipeline only selects them where they apply.
#pragma once

#include "platform/raster/raster.h"
#include "platform/raster/sampler.h"

#include <cstddef>
#include <cstdint>

namespace raster::detail {

enum class BlendKind : std::uint8_t {
    Opaque,        // blending off, or ONE/ZERO/ADD
    Alpha,         // SRCALPHA, INVSRCALPHA, ADD
    Additive,      // SRCALPHA, ONE, ADD
    RevSubtract,   // SRCALPHA, ONE, REVSUBTRACT
    Multiply,      // ZERO, SRCCOLOR, ADD (or DESTCOLOR, ZERO)
    Exclusion,     // INVDESTCOLOR, INVSRCCOLOR, ADD
    Screen,        // INVDESTCOLOR, ONE, ADD
    Subtract,      // ONE, ONE, SUBTRACT
};

// How the vector combiner forms the stage result in each channel: texel times a multiplier,
// rounded once or doubled, plus the diffuse colour where the stage selects it.
enum class LaneMode : std::uint8_t { Modulate, Modulate2X, SelectTexture, SelectDiffuse };

struct StagePlan {
    bool colorPass = true;   // CURRENT flows through unchanged
    bool alphaPass = true;
    bool samples = false;    // the stage reads its texture
    TextureView view{};
};

struct Pipeline {
    const DrawState* state = nullptr;
    int stageCount = 0;      // stages before the first disabled one
    int samplingStages = 0;  // stages up to the last one that samples (the span set-up's loops)
    StagePlan stages[kMaxStages];
    bool targetX8 = false;   // alpha reads as 0xFF and is written as 0xFF
    bool fast = false;       // the vector combiner applies
    bool simd = false;       // vector forms of the filters may be used
    BlendKind blendKind = BlendKind::Opaque;
    bool alphaMax = false;   // alpha channel blended with MAX, the colour one by `blendKind`
    LaneMode colorMode = LaneMode::Modulate;
    LaneMode alphaMode = LaneMode::Modulate;
    // Alpha test or a partial colour write mask: the vector combiner blends, then keeps the
    // stored pixel where the test fails and the stored channels the mask leaves out.
    bool masked = false;
    std::uint32_t writeBits = 0xFFFFFFFFu;   // the written channels as bytes of a pixel word
};

// One span of at most kSpanChunk pixels. With a step of 0 every pixel takes the first entry.
constexpr int kSpanChunk = 512;
struct SpanInputs {
    int count = 0;
    const std::uint32_t* texel[kMaxStages] = {};
    std::uint32_t texelOr[kMaxStages] = {};
    const std::uint32_t* diffuse = nullptr;
    int diffuseStep = 0;
    const std::uint32_t* specular = nullptr;
    int specularStep = 0;
    std::uint32_t* destination = nullptr;   // 0xAARRGGBB words, read and written
};

// A rectangle of `rows` rows of `count` pixels for the vector combiners: texels one per pixel
// from rows `texelPitch` bytes apart (32-bit words, or 16-bit texels of 4-bit channels), one
// diffuse and one specular colour, destination words read and written in place.
struct RectInputs {
    int rows = 0;
    int count = 0;
    const std::uint8_t* texels = nullptr;
    std::ptrdiff_t texelPitch = 0;
    bool nibbles = false;
    std::uint32_t texelOr = 0;
    std::uint32_t diffuse = 0;
    std::uint32_t specular = 0;
    std::uint8_t* destination = nullptr;
    std::ptrdiff_t destinationPitch = 0;
};

// Prepares `state` for drawing into a 32-bit ARGB view of a target of `targetFormat`.
void CompilePipeline(const DrawState& state, PixelFormat targetFormat, bool fastPaths, Pipeline& out);

void CombineSpan(const Pipeline& pipeline, const SpanInputs& inputs);

// The vector combiners behind CombineSpan for pipelines marked `fast`.
void CombineFast(const Pipeline& pipeline, const SpanInputs& inputs);

// Draws the rectangle in one pass where a `fast` pipeline's vector combiners have a whole-
// rectangle form (stage 0 samples, no specular colour, no alpha test or partial write mask);
// false, with nothing drawn, elsewhere. The pixels are those of CombineSpan row by row.
bool CombineRect(const Pipeline& pipeline, const RectInputs& inputs);

// Gouraud colours of pixels offset .. offset + count - 1 of a span: per channel (blue, green,
// red, alpha) start + step * pixel in single precision, clamped to 0..255 and rounded half up,
// the same values as the per-pixel form in the span loop.
void InterpolateColorsFast(const float (&start)[4], const float (&step)[4], int offset, int count,
                           std::uint32_t* out);

// The widest instruction set the vector combiners may use (the best the processor has, up to
// this); tests run each set against the reference.
enum class KernelSet { Baseline, Avx2, Avx512 };
void LimitKernels(KernelSet widest);
KernelSet ActiveKernelSet();   // the set the vector code uses now: the limit and the processor allowing

}  // namespace raster::detail
