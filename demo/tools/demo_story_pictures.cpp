// The story's pictures, drawn from shapes and gradients: the three backgrounds, Hana's standing
// pictures, the event pictures, the rule image, Mio's motion project with its image set, and the
// faces of the voice page. Everything is a function of the pixel position, so every run writes
// the same bytes.
#include "demo_generator.h"

#include "foundation/wide_string.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/motion_project_builder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kScreenWidth = 1024;
constexpr std::uint32_t kScreenHeight = 768;
constexpr std::uint32_t kStandWidth = 384;
constexpr std::uint32_t kStandHeight = 672;

std::uint32_t Rgb(std::uint32_t rgb) { return 0xFF000000u | rgb; }

std::uint32_t Channel(std::uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

std::uint32_t Lerp(std::uint32_t a, std::uint32_t b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const float value = float(Channel(a, shift)) * (1.0f - t) + float(Channel(b, shift)) * t;
        out |= std::uint32_t(std::lround(value)) << shift;
    }
    return out;
}

// Source over destination with the source's alpha scaled by `coverage`; both straight alpha.
void Blend(TestImage& image, std::int32_t x, std::int32_t y, std::uint32_t argb, float coverage)
{
    if (x < 0 || y < 0 || x >= std::int32_t(image.width) || y >= std::int32_t(image.height) || coverage <= 0.0f)
        return;
    std::uint32_t& dst = image.argb[std::size_t(y) * image.width + std::size_t(x)];
    const float sa = float(Channel(argb, 24)) / 255.0f * std::min(coverage, 1.0f);
    const float da = float(Channel(dst, 24)) / 255.0f;
    const float oa = sa + da * (1.0f - sa);
    if (oa <= 0.0f) {
        dst = 0;
        return;
    }
    std::uint32_t out = std::uint32_t(std::lround(oa * 255.0f)) << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const float c = (float(Channel(argb, shift)) * sa + float(Channel(dst, shift)) * da * (1.0f - sa)) / oa;
        out |= std::uint32_t(std::lround(c)) << shift;
    }
    dst = out;
}

// An ellipse whose edge fades out over `feather` pixels.
void Ellipse(TestImage& image, float cx, float cy, float rx, float ry, std::uint32_t argb, float feather = 1.5f)
{
    const std::int32_t top = std::int32_t(cy - ry - feather) - 1, bottom = std::int32_t(cy + ry + feather) + 1;
    const std::int32_t left = std::int32_t(cx - rx - feather) - 1, right = std::int32_t(cx + rx + feather) + 1;
    for (std::int32_t y = top; y <= bottom; ++y)
        for (std::int32_t x = left; x <= right; ++x) {
            const float dx = (float(x) + 0.5f - cx) / rx, dy = (float(y) + 0.5f - cy) / ry;
            const float distance = (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
            Blend(image, x, y, argb, 0.5f - distance / feather);
        }
}

void Rect(TestImage& image, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
          std::uint32_t argb)
{
    for (std::int32_t y = top; y < top + height; ++y)
        for (std::int32_t x = left; x < left + width; ++x)
            Blend(image, x, y, argb, 1.0f);
}

// A trapezoid from a top edge to a wider bottom edge, edges softened horizontally.
void Trapezoid(TestImage& image, float cx, float top, float bottom, float topHalf, float bottomHalf,
               std::uint32_t argb, float feather)
{
    for (std::int32_t y = std::int32_t(top); y < std::int32_t(bottom); ++y) {
        const float t = (float(y) - top) / (bottom - top);
        const float half = topHalf + (bottomHalf - topHalf) * t;
        for (std::int32_t x = std::int32_t(cx - half - feather); x <= std::int32_t(cx + half + feather); ++x) {
            const float distance = std::fabs(float(x) + 0.5f - cx) - half;
            Blend(image, x, y, argb, 0.5f - distance / feather);
        }
    }
}

TestImage VerticalGradient(std::uint32_t width, std::uint32_t height, std::uint32_t top, std::uint32_t bottom)
{
    TestImage image = TestImage::Solid(width, height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t colour = Lerp(Rgb(top), Rgb(bottom), float(y) / float(height - 1));
        std::fill_n(image.argb.begin() + std::ptrdiff_t(y) * width, width, colour);
    }
    return image;
}

// Rolling hills: a ridge line of two sines, filled below.
void Hills(TestImage& image, float base, float amplitude, float wave, float phase, std::uint32_t rgb)
{
    for (std::uint32_t x = 0; x < image.width; ++x) {
        const float ridge = base - amplitude * (std::sin(float(x) / wave + phase) * 0.7f +
                                                std::sin(float(x) / (wave * 0.37f) + phase * 2.0f) * 0.3f);
        for (std::uint32_t y = std::uint32_t(std::max(0.0f, ridge)); y < image.height; ++y)
            Blend(image, std::int32_t(x), std::int32_t(y), Rgb(rgb), std::min(1.0f, float(y) + 1.0f - ridge));
    }
}

// A row of buildings with lit windows; widths and heights follow a fixed pattern.
void Skyline(TestImage& image, std::int32_t ground, std::uint32_t rgb, std::uint32_t windowRgb, std::int32_t scale)
{
    static constexpr std::int32_t kHeights[] = {160, 220, 130, 260, 190, 240, 150, 210, 280, 170, 230, 140};
    static constexpr std::int32_t kWidths[] = {90, 70, 110, 80, 100, 60, 120, 85, 75, 105, 65, 95};
    std::int32_t x = 0;
    for (std::size_t i = 0; x < std::int32_t(image.width); ++i) {
        const std::int32_t w = kWidths[i % 12] * scale / 4, h = kHeights[(i * 5) % 12] * scale / 4;
        Rect(image, x, ground - h, w - 4, h, Rgb(rgb));
        for (std::int32_t wy = ground - h + 14; wy < ground - 16; wy += 26)
            for (std::int32_t wx = x + 10; wx < x + w - 20; wx += 22)
                if ((wx / 22 + wy / 26 + std::int32_t(i)) % 3 != 0)
                    Rect(image, wx, wy, 10, 12, Rgb(windowRgb));
        x += w;
    }
}

TestImage RoomBackground()
{
    TestImage image = VerticalGradient(kScreenWidth, kScreenHeight, 0xF4E2C4, 0xD8BC94);
    // Wallpaper stripes, a floor, a skirting board.
    for (std::int32_t x = 0; x < 1024; x += 64)
        Rect(image, x, 0, 24, 540, 0x18FFFFFF);
    Rect(image, 0, 540, 1024, 228, Rgb(0x8A5A36));
    for (std::int32_t y = 560; y < 768; y += 36)
        Rect(image, 0, y, 1024, 3, Rgb(0x6E4426));
    Rect(image, 0, 528, 1024, 14, Rgb(0xF8F0E0));
    // The window with the town outside, a frame and curtains.
    TestImage outside = VerticalGradient(420, 300, 0x7EC8F0, 0xD8F0FF);
    Skyline(outside, 300, 0x8098B0, 0xE8F0F8, 2);
    for (std::uint32_t y = 0; y < outside.height; ++y)
        for (std::uint32_t x = 0; x < outside.width; ++x)
            image.argb[std::size_t(90 + y) * kScreenWidth + 300 + x] = outside.At(x, y);
    Rect(image, 290, 80, 440, 10, Rgb(0xFFFFFF));
    Rect(image, 290, 390, 440, 14, Rgb(0xFFFFFF));
    Rect(image, 290, 80, 10, 320, Rgb(0xFFFFFF));
    Rect(image, 720, 80, 10, 320, Rgb(0xFFFFFF));
    Rect(image, 505, 80, 10, 320, Rgb(0xFFFFFF));
    Trapezoid(image, 270, 60, 470, 30, 60, Rgb(0xC04850), 3.0f);
    Trapezoid(image, 750, 60, 470, 30, 60, Rgb(0xC04850), 3.0f);
    // A bed and a lamp.
    Rect(image, 40, 420, 220, 140, Rgb(0xF0F0F8));
    Rect(image, 40, 400, 60, 60, Rgb(0xA8C8E8));
    Rect(image, 880, 380, 12, 180, Rgb(0x504038));
    Ellipse(image, 886, 370, 56, 40, Rgb(0xFFE8A0), 2.0f);
    return image;
}

TestImage StreetBackground()
{
    TestImage image = VerticalGradient(kScreenWidth, kScreenHeight, 0xF8A860, 0xFCE0B0);
    Skyline(image, 520, 0x705068, 0xFFE890, 4);
    // The road, its pavement and lane marks.
    Rect(image, 0, 520, 1024, 248, Rgb(0x5A5660));
    Rect(image, 0, 520, 1024, 40, Rgb(0xB0A49C));
    for (std::int32_t x = 20; x < 1024; x += 140)
        Rect(image, x, 660, 80, 10, Rgb(0xF0F0E8));
    // Street lamps and a shop awning.
    for (const std::int32_t x : {120, 480, 860}) {
        Rect(image, x, 300, 10, 220, Rgb(0x303038));
        Ellipse(image, float(x) + 5.0f, 296, 18, 14, Rgb(0xFFF4C0), 2.0f);
    }
    for (std::int32_t i = 0; i < 8; ++i)
        Rect(image, 560 + i * 40, 400, 40, 36, Rgb(i % 2 == 0 ? 0xE04040 : 0xFFFFFF));
    return image;
}

TestImage SkyBackground()
{
    TestImage image = VerticalGradient(kScreenWidth, kScreenHeight, 0x2E70D0, 0xA8D8F8);
    // Clouds of overlapping soft ellipses.
    static constexpr float kClouds[][3] = {{180, 140, 1.0f}, {620, 90, 1.3f}, {880, 220, 0.8f}, {400, 260, 0.7f}};
    for (const auto& cloud : kClouds)
        for (int part = 0; part < 5; ++part)
            Ellipse(image, cloud[0] + float(part - 2) * 48.0f * cloud[2],
                    cloud[1] - float(part % 2) * 20.0f * cloud[2], 60.0f * cloud[2], 34.0f * cloud[2], 0xF0FFFFFF,
                    10.0f);
    Hills(image, 600, 40, 180, 0.5f, 0x60A050);
    Hills(image, 690, 30, 120, 2.0f, 0x3C8038);
    return image;
}

TestImage SunsetEvent()
{
    TestImage image = VerticalGradient(kScreenWidth, kScreenHeight, 0x402060, 0xFF8040);
    Ellipse(image, 560, 470, 110, 110, Rgb(0xFFD070), 6.0f);
    Hills(image, 560, 50, 220, 1.0f, 0x302040);
    // Two figures on the ridge, hand in hand.
    for (const float x : {470.0f, 530.0f}) {
        Ellipse(image, x, 452, 16, 18, Rgb(0x181020), 1.5f);
        Trapezoid(image, x, 470, 560, 10, 26, Rgb(0x181020), 1.5f);
    }
    Rect(image, 480, 500, 40, 6, Rgb(0x181020));
    return image;
}

TestImage LetterEvent()
{
    TestImage image = VerticalGradient(kScreenWidth, kScreenHeight, 0x805838, 0x5A3820);
    for (std::int32_t y = 0; y < 768; y += 48)
        Rect(image, 0, y, 1024, 2, Rgb(0x4A2C18));
    // The sheet with its ruled lines, a pen, an envelope.
    Rect(image, 280, 120, 460, 560, Rgb(0xFFFCF0));
    for (std::int32_t y = 190; y < 640; y += 40)
        Rect(image, 320, y, 380, 2, Rgb(0xA0B8D8));
    for (std::int32_t y = 176; y < 480; y += 40)
        for (std::int32_t x = 330; x < 680; x += 18)
            if ((x / 18 + y / 40) % 7 != 0)
                Ellipse(image, float(x), float(y), 6, 7, Rgb(0x303050), 1.0f);
    Trapezoid(image, 800, 300, 620, 4, 8, Rgb(0x202028), 1.5f);
    Rect(image, 60, 480, 180, 120, Rgb(0xF0E8F8));
    Ellipse(image, 150, 540, 14, 14, Rgb(0xD03040), 1.5f);
    return image;
}

TestImage PanoramaEvent()
{
    TestImage image = VerticalGradient(1600, kScreenHeight, 0x3060C0, 0xF8D0A0);
    Ellipse(image, 1320, 300, 70, 70, Rgb(0xFFF0C0), 8.0f);
    Hills(image, 560, 60, 260, 0.2f, 0x507848);
    Skyline(image, 620, 0x485868, 0xFFE8A0, 2);
    Hills(image, 660, 30, 140, 1.5f, 0x2E5A30);
    return image;
}

// A rule image: a diagonal sweep broken by a soft wave, so the transition runs from the top left.
TestImage WipeRule()
{
    TestImage image = TestImage::Solid(kScreenWidth, kScreenHeight, 0);
    for (std::uint32_t y = 0; y < kScreenHeight; ++y)
        for (std::uint32_t x = 0; x < kScreenWidth; ++x) {
            const float t = (float(x) + float(y) * 0.8f) / (1024.0f + 768.0f * 0.8f) +
                            0.04f * std::sin(float(y) / 23.0f + float(x) / 57.0f);
            const std::uint32_t grey = std::uint32_t(std::lround(std::clamp(t, 0.0f, 1.0f) * 255.0f));
            image.argb[std::size_t(y) * kScreenWidth + x] = 0xFF000000u | grey * 0x010101u;
        }
    return image;
}

enum class Face { kNormal, kSmile, kSurprise };

// Hana: hair, face, a dress, drawn with soft edges on a transparent picture.
TestImage HanaStand(Face face)
{
    TestImage image = TestImage::Solid(kStandWidth, kStandHeight, 0x00000000);
    const float cx = 192.0f;
    Ellipse(image, cx, 150, 104, 118, Rgb(0x5A3020), 4.0f);              // hair behind
    Trapezoid(image, cx, 250, 672, 58, 150, Rgb(0xE86A8A), 4.0f);        // dress
    Trapezoid(image, cx, 250, 330, 24, 30, Rgb(0xFFE0CC), 3.0f);         // neck
    Rect(image, std::int32_t(cx) - 60, 300, 120, 16, Rgb(0xFFFFFF));      // collar
    Ellipse(image, cx, 160, 78, 92, Rgb(0xFFE4D0), 3.0f);                 // face
    Ellipse(image, cx, 92, 92, 48, Rgb(0x5A3020), 3.0f);                  // fringe
    Ellipse(image, cx + 70, 72, 20, 14, Rgb(0xF04060), 2.0f);             // hair ribbon
    const float eyeY = face == Face::kSmile ? 170.0f : 166.0f;
    for (const float side : {-1.0f, 1.0f}) {
        if (face == Face::kSmile) {
            Ellipse(image, cx + side * 32, eyeY, 14, 4, Rgb(0x402018), 1.5f);
        } else {
            const float height = face == Face::kSurprise ? 17.0f : 13.0f;
            Ellipse(image, cx + side * 32, eyeY, 10, height, Rgb(0x402018), 1.5f);
            Ellipse(image, cx + side * 32 + 3, eyeY - 4, 3, 3, Rgb(0xFFFFFF), 1.0f);
        }
    }
    switch (face) {
    case Face::kNormal: Rect(image, std::int32_t(cx) - 10, 214, 20, 3, Rgb(0xB04040)); break;
    case Face::kSmile: Ellipse(image, cx, 212, 18, 8, Rgb(0xC04848), 1.5f); break;
    case Face::kSurprise: Ellipse(image, cx, 216, 8, 11, Rgb(0x903030), 1.5f); break;
    }
    return image;
}

// The sub-layer picture over a standing picture: blushing cheeks, the rest transparent.
TestImage HanaBlush()
{
    TestImage image = TestImage::Solid(kStandWidth, kStandHeight, 0x00000000);
    for (const float side : {-1.0f, 1.0f})
        Ellipse(image, 192.0f + side * 46.0f, 192, 20, 9, 0xA0FF7080, 6.0f);
    return image;
}

// Mio's parts for her motion project, each centred on its own middle: the body (hair, dress, neck,
// the bare face and the fringe), her face for an expression and the ribbon in her hair.
constexpr std::uint32_t kMioWidth = 320;
TestImage MioBody()
{
    TestImage image = TestImage::Solid(kMioWidth, kStandHeight, 0x00000000);
    const float cx = 160.0f;
    Ellipse(image, cx, 170, 90, 150, Rgb(0x202840), 4.0f);                // long hair
    Trapezoid(image, cx, 250, 672, 52, 140, Rgb(0x4878C8), 4.0f);          // dress
    Trapezoid(image, cx, 240, 320, 22, 28, Rgb(0xFFE8D8), 3.0f);           // neck
    Ellipse(image, cx, 158, 72, 86, Rgb(0xFFE8D8), 3.0f);                  // face
    Ellipse(image, cx, 88, 84, 40, Rgb(0x202840), 3.0f);                   // fringe
    return image;
}

// Eyes and mouth; the cell's middle lies on the body's (160, 186).
TestImage MioFace(bool smile)
{
    TestImage image = TestImage::Solid(100, 72, 0x00000000);
    for (const float side : {-1.0f, 1.0f}) {
        if (smile)
            Ellipse(image, 50.0f + side * 30.0f, 18, 13, 4, Rgb(0x182040), 1.5f);
        else
            Ellipse(image, 50.0f + side * 30.0f, 16, 9, 12, Rgb(0x182040), 1.5f);
    }
    if (smile)
        Ellipse(image, 50, 56, 16, 7, Rgb(0xC04848), 1.5f);
    else
        Rect(image, 42, 56, 16, 3, Rgb(0xA04040));
    return image;
}

// The ribbon; the cell's middle lies on the body's (232, 60).
TestImage MioRibbon()
{
    TestImage image = TestImage::Solid(64, 32, 0x00000000);
    Ellipse(image, 18, 16, 16, 12, Rgb(0x40C0A0), 2.0f);
    Ellipse(image, 46, 16, 16, 12, Rgb(0x40C0A0), 2.0f);
    Ellipse(image, 32, 16, 7, 7, Rgb(0x208870), 1.5f);
    return image;
}

// A face plate of the voice page: a round head of the given hair and skin on a tinted square.
TestImage FacePlate(std::uint32_t back, std::uint32_t hair, std::uint32_t skin)
{
    TestImage image = VerticalGradient(96, 96, back, Lerp(Rgb(back), Rgb(0xFFFFFF), 0.4f) & 0xFFFFFF);
    Ellipse(image, 48, 52, 34, 38, Rgb(hair), 2.0f);
    Ellipse(image, 48, 58, 26, 30, Rgb(skin), 2.0f);
    Ellipse(image, 48, 34, 30, 14, Rgb(hair), 2.0f);
    for (const float side : {-1.0f, 1.0f})
        Ellipse(image, 48.0f + side * 11.0f, 58, 3, 5, Rgb(0x302020), 1.0f);
    Rect(image, 43, 74, 10, 2, Rgb(0xA04040));
    return image;
}

struct NamedCell {
    std::u16string file;
    TestImage image;
};

// One image set over one atlas: the cells side by side in one row, each one pattern whose
// origin is its top left, or its middle when `centred` (as the motion layers place their images).
bool WriteCellSet(const fs::path& folder, const std::string& stem, const std::vector<NamedCell>& cells,
                  bool centred)
{
    std::uint32_t width = 0, height = 0;
    for (const NamedCell& cell : cells) {
        width += cell.image.width + 2;
        height = std::max(height, cell.image.height);
    }
    // The atlas is a texture: both sides a power of two.
    width = std::bit_ceil(width);
    height = std::bit_ceil(height);
    TestImage atlas = TestImage::Solid(width, height, 0x00000000);
    TestImageSetSpec spec;
    const std::u16string atlasName = Utf8ToWide(stem) + u".png";
    spec.atlases.push_back(TestGisAtlas{atlasName, std::int32_t(width), std::int32_t(height), 1, 0});
    std::uint32_t left = 0;
    for (const NamedCell& cell : cells) {
        const std::int32_t w = std::int32_t(cell.image.width), h = std::int32_t(cell.image.height);
        for (std::uint32_t y = 0; y < cell.image.height; ++y)
            std::copy_n(cell.image.argb.begin() + std::ptrdiff_t(y) * w, w,
                        atlas.argb.begin() + std::ptrdiff_t(y) * width + left);
        TestGisOrigin origin;
        origin.fileName = cell.file;
        origin.width = w;
        origin.height = h;
        TestGisPattern pattern;
        pattern.width = pattern.crammedWidth = w;
        pattern.height = pattern.crammedHeight = h;
        pattern.crammedLeft = std::int32_t(left);
        if (centred) {
            pattern.centerPosX = float(w) / 2.0f;
            pattern.centerPosY = float(h) / 2.0f;
        }
        pattern.crammedRawUV = GxFRect{float(left) / float(width), 0.0f, float(left + cell.image.width) / float(width),
                                       float(h) / float(height)};
        origin.patterns.push_back(pattern);
        spec.origins.push_back(origin);
        left += cell.image.width + 2;
    }
    bool written = WriteDemoPng(folder / (stem + ".png"), atlas);
    if (!WriteImageSetFile((folder / (stem + ".gis")).string(), spec, TestContentForm::kBinary)) {
        std::fprintf(stderr, "generate_demo: cannot write %s.gis\n", stem.c_str());
        written = false;
    }
    return written;
}

GxNcVector4Key PositionKey(std::int32_t time, float x, float y)
{
    GxNcVector4Key key;
    key.m_Time = time;
    key.m_Value = GxVector4(x, y, 0, 0);
    return key;
}

// One of Mio's parts. Blend mode 2 blends the cell's see-through texels; the layer default 1
// would copy them over the layers beneath it.
GxNcLayer MioLayer(const std::u16string& name, const std::u16string& picture)
{
    GxNcLayer layer = ImageLayer(name, u"mio.gis", picture);
    layer.m_BlendMode = 2;
    layer.m_LoopMode = 1;
    return layer;
}

// Mio's motion: her body placed by its middle at the motion's origin, rising and settling by a
// few pixels on a one-second loop (she breathes), with her face for the motion's expression and
// her ribbon as its children, placed from the body's middle. The first layer ends on top.
TestNcMotion MioMotion(const std::u16string& name, const std::u16string& face)
{
    GxNcLayer body = MioLayer(u"body", u"mio_body.png");
    body.m_PositionKeys = {PositionKey(0, 0, 0), PositionKey(30, 0, -4), PositionKey(60, 0, 0)};
    GxNcLayer eyes = MioLayer(u"face", face);
    eyes.m_PositionKeys = {PositionKey(0, 0, -150)};
    GxNcLayer ribbon = MioLayer(u"ribbon", u"mio_ribbon.png");
    ribbon.m_PositionKeys = {PositionKey(0, 72, -276), PositionKey(30, 72, -279), PositionKey(60, 72, -276)};
    TestNcMotion motion;
    motion.motionName = name;
    motion.endTime = 60;
    motion.layers = {eyes, ribbon, body};
    motion.tree = {TestNcStratum{u"body", 2, {TestNcStratum{u"face", 0, {}}, TestNcStratum{u"ribbon", 1, {}}}}};
    return motion;
}

bool WriteMioMotion(const fs::path& gameFolder)
{
    bool written = WriteCellSet(gameFolder / "gnc" / "gis", "mio",
                                {{u"mio_body.png", MioBody()},
                                 {u"mio_face_idle.png", MioFace(false)},
                                 {u"mio_face_smile.png", MioFace(true)},
                                 {u"mio_ribbon.png", MioRibbon()}},
                                true);
    TestNcProjectSpec spec;
    spec.projectName = u"mio";
    spec.groups.push_back(TestNcMotionGroup{
        u"stand", u"", 0, {MioMotion(u"idle", u"mio_face_idle.png"), MioMotion(u"smile", u"mio_face_smile.png")}});
    spec.imageSetFileNames = {u"mio.gis"};
    if (!WriteMotionProjectFile((gameFolder / "gnc" / "mio.gnc").string(), spec, TestContentForm::kBinary)) {
        std::fprintf(stderr, "generate_demo: cannot write gnc/mio.gnc\n");
        written = false;
    }
    return written;
}

}  // namespace

bool WriteDemoStoryPictures(const fs::path& gameFolder)
{
    const fs::path cg = gameFolder / "cg";
    bool written = WriteDemoPng(cg / "bg" / "bg_room.png", RoomBackground());
    written = WriteDemoPng(cg / "bg" / "bg_street.png", StreetBackground()) && written;
    written = WriteDemoPng(cg / "bg" / "bg_sky.png", SkyBackground()) && written;
    written = WriteDemoPng(cg / "ev" / "ev_sunset.png", SunsetEvent()) && written;
    written = WriteDemoPng(cg / "ev" / "ev_letter.png", LetterEvent()) && written;
    written = WriteDemoPng(cg / "ev" / "ev_panorama.png", PanoramaEvent()) && written;
    written = WriteDemoPng(cg / "tr" / "tr_wipe.png", WipeRule()) && written;

    static constexpr struct {
        const char* name;
        Face face;
    } kExpressions[] = {{"hana_normal", Face::kNormal}, {"hana_smile", Face::kSmile}, {"hana_surprise", Face::kSurprise}};
    const TestImage blush = HanaBlush();
    for (const auto& expression : kExpressions) {
        const std::string name = expression.name;
        written = WriteDemoPng(cg / "stand" / "hana" / (name + ".png"), HanaStand(expression.face)) && written;
        written = WriteDemoPng(cg / "stand" / "hana" / (name + "_w.png"), blush) && written;
    }
    written = WriteMioMotion(gameFolder) && written;

    // The voice page's faces, named as db_voicevolume's FacePanelFileName names them.
    written = WriteCellSet(gameFolder / "uigis", "ui_facepanel",
                           {{u"face_hana.png", FacePlate(0xF0A0B0, 0x5A3020, 0xFFE4D0)},
                            {u"face_mio.png", FacePlate(0x90B0E8, 0x202840, 0xFFE8D8)},
                            {u"face_shop.png", FacePlate(0xA0D0A0, 0x806040, 0xF0D0B0)},
                            {u"face_teacher.png", FacePlate(0xC0C0C0, 0x404040, 0xF0D8C0)},
                            {u"face_friend.png", FacePlate(0xF0D090, 0xC06020, 0xFFE0C8)},
                            {u"face_passer.png", FacePlate(0xB0A0D0, 0x303030, 0xE8C8A8)},
                            {u"face_cat.png", FacePlate(0xE0E0A0, 0xE09040, 0xFFF0E0)}},
                           false) &&
              written;
    return written;
}
