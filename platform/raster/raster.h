// The software rasterizer core: fixed-function triangle drawing, clears and pixel-format
// conversion over plain images. It knows nothing of devices or COM; the Direct3D 9 layer
// (platform/d3d9) translates its state into a DrawState per draw. Enumerations carry the
// Direct3D 9 numeric values so that the translation is a copy.
//
// Deterministic: the same inputs give the same pixels, whatever the fast path or the number
// of threads used.
#pragma once

#include <cstdint>

namespace raster {

enum class PixelFormat : std::uint32_t {
    Unknown = 0,
    R8G8B8 = 20,
    A8R8G8B8 = 21,
    X8R8G8B8 = 22,
    R5G6B5 = 23,
    X1R5G5B5 = 24,
    A1R5G5B5 = 25,
    A4R4G4B4 = 26,
    A8 = 28,
    X4R4G4B4 = 30,
    A2R10G10B10 = 35,
    L8 = 50,
};

int BytesPerPixel(PixelFormat format);   // 0 for formats the core cannot address

// A view of pixels owned by someone else. Rows are `pitch` bytes apart (pitch >= width * bpp).
struct Image {
    std::uint8_t* bits = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
    PixelFormat format = PixelFormat::Unknown;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;   // right and bottom exclusive
};

// Pre-transformed vertex (x, y in target pixels, pixel centres at integer coordinates).
struct Vertex {
    float x, y, z, rhw;
    std::uint32_t diffuse;    // 0xAARRGGBB
    std::uint32_t specular;   // 0xAARRGGBB; alpha unused
    float u, v;
};

enum class Primitive : std::uint32_t { TriangleList = 4, TriangleStrip = 5, TriangleFan = 6 };

// Values as D3DTOP_*, D3DTA_*, D3DBLEND_*, D3DBLENDOP_*, D3DCMP_*, D3DTEXF_*, D3DTADDRESS_*, D3DCULL_*.
enum class TextureOp : std::uint32_t {
    Disable = 1, SelectArg1 = 2, SelectArg2 = 3, Modulate = 4, Modulate2X = 5, Modulate4X = 6,
    Add = 7, AddSigned = 8, AddSigned2X = 9, Subtract = 10, AddSmooth = 11,
};
enum TextureArg : std::uint32_t {
    kArgDiffuse = 0, kArgCurrent = 1, kArgTexture = 2, kArgTFactor = 3, kArgSpecular = 4, kArgTemp = 5,
    kArgSelectMask = 0xF, kArgComplement = 0x10, kArgAlphaReplicate = 0x20,
};
enum class Blend : std::uint32_t {
    Zero = 1, One = 2, SrcColor = 3, InvSrcColor = 4, SrcAlpha = 5, InvSrcAlpha = 6, DestAlpha = 7,
    InvDestAlpha = 8, DestColor = 9, InvDestColor = 10, SrcAlphaSat = 11,
};
enum class BlendOp : std::uint32_t { Add = 1, Subtract = 2, RevSubtract = 3, Min = 4, Max = 5 };
enum class Compare : std::uint32_t {
    Never = 1, Less = 2, Equal = 3, LessEqual = 4, Greater = 5, NotEqual = 6, GreaterEqual = 7, Always = 8,
};
enum class Filter : std::uint32_t { None = 0, Point = 1, Linear = 2, Anisotropic = 3 };
enum class Address : std::uint32_t { Wrap = 1, Mirror = 2, Clamp = 3, Border = 4, MirrorOnce = 5 };
enum class Cull : std::uint32_t { None = 1, CW = 2, CCW = 3 };

struct StageState {
    TextureOp colorOp = TextureOp::Disable;
    std::uint32_t colorArg1 = kArgTexture;
    std::uint32_t colorArg2 = kArgCurrent;
    TextureOp alphaOp = TextureOp::Disable;
    std::uint32_t alphaArg1 = kArgTexture;
    std::uint32_t alphaArg2 = kArgCurrent;
    const Image* texture = nullptr;   // null: a stage reading the texture passes CURRENT through
    Filter magFilter = Filter::Point;
    Filter minFilter = Filter::Point;
    Address addressU = Address::Wrap;
    Address addressV = Address::Wrap;
};

constexpr int kMaxStages = 8;

struct DrawState {
    StageState stages[kMaxStages];
    std::uint32_t textureFactor = 0xFFFFFFFF;
    bool alphaBlendEnable = false;
    Blend srcBlend = Blend::One;
    Blend destBlend = Blend::Zero;
    BlendOp blendOp = BlendOp::Add;
    bool separateAlphaBlendEnable = false;
    Blend srcBlendAlpha = Blend::One;
    Blend destBlendAlpha = Blend::Zero;
    BlendOp blendOpAlpha = BlendOp::Add;
    bool alphaTestEnable = false;
    Compare alphaFunc = Compare::Always;
    std::uint32_t alphaRef = 0;
    bool specularEnable = false;
    bool gouraud = true;   // false: flat, colours of the first vertex of each triangle
    Cull cullMode = Cull::CCW;
    std::uint32_t colorWriteEnable = 0xF;   // bit 0 red, 1 green, 2 blue, 3 alpha
};

// Draws `primitiveCount` triangles into `target`, clipped to `viewport` and to the target.
// Top-left fill rule; the shared edge of adjacent triangles is drawn once.
void DrawPrimitive(const Image& target, const Rect& viewport, const DrawState& state, Primitive type,
                   unsigned primitiveCount, const Vertex* vertices);

// Fills `rect` (clipped to the target) with the 0xAARRGGBB colour converted to the target format.
void Fill(const Image& target, const Rect& rect, std::uint32_t argb);

// Copies with format conversion; `filter` Point or Linear when the sizes differ (None = Point).
void Blit(const Image& destination, const Rect& destinationRect, const Image& source, const Rect& sourceRect,
          Filter filter);

// Pixel conversion to and from 0xAARRGGBB (formats without alpha read as alpha 0xFF;
// 4-bit channels expand as n * 17 and narrow by keeping the top four bits).
std::uint32_t ReadPixel(const Image& image, int x, int y);
void WritePixel(const Image& image, int x, int y, std::uint32_t argb);

// Worker threads used to split draws into row bands (1 = draw on the calling thread).
void SetThreadCount(int count);

// Fast paths on (the default) or off. Off, every draw goes through the per-pixel reference
// path; the pixels are the same either way, which tests and benchmarks rely on comparing.
void SetFastPaths(bool enabled);

// Draws that went through the per-pixel reference path while fast paths were on. Debug builds
// also write one line to stderr for each state combination that does so.
std::uint64_t ReferencePathDraws();

// Draws of one screen-aligned rectangle at one texel per pixel, drawn a whole row at a time
// with the texel offset proved once per draw.
std::uint64_t AlignedQuadDraws();

}  // namespace raster
