#include "demo/tools/demo_ui_kit.h"

#include "demo/tools/demo_glyphs.h"
#include "foundation/wide_string.h"
#include "tests/support/image_set_builder.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace {

// Atlases stay within what every device takes; a set that does not fit goes on to a second one.
constexpr std::int32_t kMaxAtlasSide = 2048;
// A clear pixel between cells, so filtering never picks up a neighbour.
constexpr std::int32_t kGap = 2;
constexpr std::uint32_t kLabelHeight = 18;

std::int32_t PowerOfTwo(std::int32_t value)
{
    std::int32_t side = 16;
    while (side < value)
        side *= 2;
    return side;
}

struct Placed {
    std::size_t cell;
    std::size_t frame;
    std::int32_t atlas, left, top;
};

void Blit(TestImage& target, const TestImage& source, std::int32_t left, std::int32_t top)
{
    for (std::uint32_t y = 0; y < source.height; ++y)
        std::copy_n(source.argb.begin() + std::ptrdiff_t(y * source.width), source.width,
                    target.argb.begin() + std::ptrdiff_t((std::size_t(top) + y) * target.width + std::size_t(left)));
}

void Edge(TestImage& image, std::int32_t width, std::uint32_t colour)
{
    for (std::uint32_t y = 0; y < image.height; ++y)
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const bool edge = std::int64_t(x) < width || std::int64_t(y) < width ||
                              std::int64_t(x) + width >= image.width || std::int64_t(y) + width >= image.height;
            if (edge)
                image.argb[std::size_t(y) * image.width + x] = colour;
        }
}

}  // namespace

const DemoPalette& DemoBluePalette()
{
    static const DemoPalette palette{0xE0203050, 0xFF8098C8, 0xF0304878, 0xF04070B0, 0xFFFFFFFF, 0xA0303030};
    return palette;
}

const DemoPalette& DemoAmberPalette()
{
    static const DemoPalette palette{0xE0402818, 0xFFC8A070, 0xF0604020, 0xF0A06828, 0xFFFFF0C0, 0xA0303030};
    return palette;
}

TestImage DemoFrame(std::int32_t width, std::int32_t height, std::uint32_t fill, std::uint32_t line)
{
    TestImage image = TestImage::Solid(std::uint32_t(width), std::uint32_t(height), fill);
    Edge(image, 2, line);
    return image;
}

TestImage DemoLabelled(DemoUIKit& kit, std::int32_t width, std::int32_t height, std::uint32_t fill,
                       std::uint32_t line, const std::u16string& label, std::uint32_t textColour)
{
    TestImage image = DemoFrame(width, height, fill, line);
    const std::uint32_t glyphs = std::min<std::uint32_t>(kLabelHeight, std::uint32_t(std::max(height - 6, 8)));
    if (!label.empty() && !DrawDemoText(image, label, glyphs, width / 2, height / 2, textColour))
        kit.Fail();
    return image;
}

void DemoUIKit::AddCell(const std::u16string& set, const std::u16string& file, const std::vector<TestImage>& frames)
{
    std::vector<Cell>& cells = m_Sets[set];
    for (const Cell& cell : cells)
        if (cell.file == file)
            return;
    cells.push_back(Cell{file, frames});
}

void DemoUIKit::AddButtonCells(const std::u16string& set, const std::u16string& stem, std::int32_t width,
                               std::int32_t height, const std::u16string& label, DemoLooks looks,
                               const DemoPalette& p)
{
    AddCell(set, stem + u"_off.png", DemoLabelled(*this, width, height, p.fill, p.line, label));
    AddCell(set, stem + u"_on.png", DemoLabelled(*this, width, height, p.onFill, p.onLine, label));
    AddCell(set, stem + u"_over.png", DemoLabelled(*this, width, height, p.overFill, p.onLine, label));
    AddCell(set, stem + u"_na.png", DemoLabelled(*this, width, height, p.naFill, 0xFF606060, label, 0x909090));
    if (looks == DemoLooks::kToggle) {
        AddCell(set, stem + u"_onover.png", DemoLabelled(*this, width, height, p.onFill, 0xFFFFFF80, label));
        AddCell(set, stem + u"_onna.png", DemoLabelled(*this, width, height, 0xA0405060, 0xFF808080, label, 0xB0B0B0));
    }
}

void DemoUIKit::AddSliderCells(const std::u16string& set, const std::u16string& stem, std::int32_t trackWidth,
                               std::int32_t trackHeight, std::int32_t thumbWidth, std::int32_t thumbHeight)
{
    AddCell(set, stem + u"_off.png", DemoFrame(thumbWidth, thumbHeight, 0xFFA0B8E0, 0xFFFFFFFF));
    AddCell(set, stem + u"_on.png", DemoFrame(thumbWidth, thumbHeight, 0xFFFFFFFF, 0xFF4070B0));
    AddCell(set, stem + u"_over.png", DemoFrame(thumbWidth, thumbHeight, 0xFFD0E0FF, 0xFFFFFFFF));
    AddCell(set, stem + u"_na.png", DemoFrame(thumbWidth, thumbHeight, 0xFF606060, 0xFF909090));
    // The track: a dark groove across the middle of a clear cell the widget's size.
    TestImage track = TestImage::Solid(std::uint32_t(trackWidth), std::uint32_t(trackHeight), 0x00000000);
    const bool horizontal = trackWidth >= trackHeight;
    for (std::int32_t y = 0; y < trackHeight; ++y)
        for (std::int32_t x = 0; x < trackWidth; ++x) {
            const std::int32_t across = horizontal ? y - trackHeight / 2 : x - trackWidth / 2;
            if (across >= -3 && across <= 3)
                track.argb[std::size_t(y) * track.width + std::size_t(x)] = across == -3 || across == 3 ? 0xFF8098C8
                                                                                                        : 0xC0101828;
        }
    AddCell(set, stem + u"_back.png", track);
}

void DemoUIKit::AddModule(ModuleRow row)
{
    for (const ModuleRow& module : m_Modules)
        if (module.name == row.name)
            return;
    row.id = static_cast<std::int32_t>(m_Modules.size()) + 1;
    m_Modules.push_back(std::move(row));
}

void DemoUIKit::AddLayout(LayoutRow row)
{
    row.id = static_cast<std::int32_t>(m_Layouts.size()) + 1;
    m_Layouts.push_back(std::move(row));
}

bool DemoUIKit::Write(const std::filesystem::path& gameFolder) const
{
    const std::filesystem::path folder = gameFolder / "uigis";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool written = !error && !m_Failed;
    for (const auto& [set, cells] : m_Sets) {
        // Shelves, tallest frames first (ties in the order added), so the output never varies.
        std::vector<Placed> order;
        for (std::size_t c = 0; c < cells.size(); ++c)
            for (std::size_t f = 0; f < cells[c].frames.size(); ++f)
                order.push_back(Placed{c, f, 0, 0, 0});
        std::stable_sort(order.begin(), order.end(), [&](const Placed& a, const Placed& b) {
            return cells[a.cell].frames[a.frame].height > cells[b.cell].frames[b.frame].height;
        });
        std::int32_t widest = 0;
        for (const Placed& p : order)
            widest = std::max(widest, std::int32_t(cells[p.cell].frames[p.frame].width) + kGap);
        const std::int32_t atlasWidth = std::min(kMaxAtlasSide, PowerOfTwo(std::max(widest, 512)));
        std::vector<std::int32_t> heights{0};
        std::int32_t x = 0, y = 0, shelf = 0;
        for (Placed& p : order) {
            const TestImage& frame = cells[p.cell].frames[p.frame];
            const std::int32_t w = std::int32_t(frame.width) + kGap;
            const std::int32_t h = std::int32_t(frame.height) + kGap;
            if (x + w > atlasWidth) {
                x = 0;
                y += shelf;
                shelf = 0;
            }
            if (y + h > kMaxAtlasSide) {
                heights.push_back(0);
                x = y = shelf = 0;
            }
            p.atlas = std::int32_t(heights.size()) - 1;
            p.left = x;
            p.top = y;
            x += w;
            shelf = std::max(shelf, h);
            heights.back() = std::max(heights.back(), y + h);
        }
        TestImageSetSpec spec;
        std::vector<TestImage> atlases;
        const std::string stem = WideToUtf8(set);
        for (std::size_t a = 0; a < heights.size(); ++a) {
            const std::int32_t height = PowerOfTwo(heights[a]);
            const std::u16string name = a == 0 ? set + u".png" : set + u"_" + Utf8ToWide(std::to_string(a)) + u".png";
            spec.atlases.push_back(TestGisAtlas{name, atlasWidth, height, 1, 0});
            atlases.push_back(TestImage::Solid(std::uint32_t(atlasWidth), std::uint32_t(height), 0x00000000));
        }
        for (const Cell& cell : cells) {
            TestGisOrigin origin;
            origin.fileName = cell.file;
            origin.width = std::int32_t(cell.frames.front().width);
            origin.height = std::int32_t(cell.frames.front().height);
            origin.patterns.resize(cell.frames.size());
            spec.origins.push_back(origin);
        }
        for (const Placed& p : order) {
            const TestImage& frame = cells[p.cell].frames[p.frame];
            Blit(atlases[std::size_t(p.atlas)], frame, p.left, p.top);
            TestGisPattern& pattern = spec.origins[p.cell].patterns[p.frame];
            const std::int32_t w = std::int32_t(frame.width), h = std::int32_t(frame.height);
            pattern.width = w;
            pattern.height = h;
            pattern.crammedImageIndex = p.atlas;
            pattern.crammedLeft = p.left;
            pattern.crammedTop = p.top;
            pattern.crammedWidth = w;
            pattern.crammedHeight = h;
            pattern.centerPosX = float(w) / 2.0f;
            pattern.centerPosY = float(h) / 2.0f;
            const float aw = float(spec.atlases[std::size_t(p.atlas)].width);
            const float ah = float(spec.atlases[std::size_t(p.atlas)].height);
            pattern.crammedRawUV = GxFRect{float(p.left) / aw, float(p.top) / ah, float(p.left + w) / aw,
                                           float(p.top + h) / ah};
        }
        for (std::size_t a = 0; a < atlases.size(); ++a) {
            const std::filesystem::path path = folder / WideToUtf8(spec.atlases[a].fileName);
            if (!WriteImageFile(path.string(), BuildPng(PngSpecRgba8(atlases[a])))) {
                std::fprintf(stderr, "generate_demo: cannot write %s\n", path.string().c_str());
                written = false;
            }
        }
        if (!WriteImageSetFile((folder / (stem + ".gis")).string(), spec, TestContentForm::kBinary)) {
            std::fprintf(stderr, "generate_demo: cannot write uigis/%s.gis\n", stem.c_str());
            written = false;
        }
    }
    if (!WriteUITables(gameFolder, m_Modules, m_Layouts)) {
        std::fprintf(stderr, "generate_demo: cannot write the UI tables\n");
        written = false;
    }
    if (m_Failed)
        std::fprintf(stderr, "generate_demo: a UI label could not be rendered\n");
    return written;
}
