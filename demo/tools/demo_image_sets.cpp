#include "demo/tools/demo_image_sets.h"

#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace {

// The shared atlas: 64 by 64, four 32 by 32 cells of their own colour.
constexpr std::int32_t kAtlasSize = 64;
constexpr std::int32_t kCell = 32;

// The play screen's atlas: the four looks of the choice button stacked at the top left, the
// frames of the click-wait mark in a row below them.
constexpr std::int32_t kPlayAtlasWidth = 512;
constexpr std::int32_t kPlayAtlasHeight = 256;
constexpr std::int32_t kChoiceWidth = 480;
constexpr std::int32_t kChoiceHeight = 40;
constexpr std::int32_t kWaitSize = 24;
constexpr std::int32_t kWaitTop = 4 * kChoiceHeight;
constexpr std::int32_t kWaitFrames = 4;

struct Rect {
    std::int32_t left, top, width, height;
};

// One origin image, one pattern per atlas rectangle given; origin names are lower case, as the
// layers look them up.
TestGisOrigin Origin(const std::u16string& name, std::int32_t atlasWidth, std::int32_t atlasHeight,
                     const std::vector<Rect>& rects)
{
    TestGisOrigin origin;
    origin.fileName = name;
    origin.width = rects.front().width;
    origin.height = rects.front().height;
    for (const Rect& rect : rects) {
        TestGisPattern pattern;
        pattern.width = rect.width;
        pattern.height = rect.height;
        pattern.crammedImageIndex = 0;
        pattern.crammedLeft = rect.left;
        pattern.crammedTop = rect.top;
        pattern.crammedWidth = rect.width;
        pattern.crammedHeight = rect.height;
        pattern.centerPosX = rect.width / 2.0f;
        pattern.centerPosY = rect.height / 2.0f;
        const float w = static_cast<float>(atlasWidth);
        const float h = static_cast<float>(atlasHeight);
        pattern.crammedRawUV = GxFRect{rect.left / w, rect.top / h, (rect.left + rect.width) / w,
                                       (rect.top + rect.height) / h};
        origin.patterns.push_back(pattern);
    }
    return origin;
}

// An origin of the shared atlas, one pattern per cell index given.
TestGisOrigin Origin(const std::u16string& name, std::initializer_list<std::int32_t> cells)
{
    std::vector<Rect> rects;
    for (const std::int32_t cell : cells)
        rects.push_back(Rect{(cell % 2) * kCell, (cell / 2) * kCell, kCell, kCell});
    return Origin(name, kAtlasSize, kAtlasSize, rects);
}

TestImageSetSpec Set(const TestGisAtlas& atlas, std::initializer_list<TestGisOrigin> origins)
{
    TestImageSetSpec spec;
    spec.atlases.push_back(atlas);
    spec.origins = origins;
    return spec;
}

const TestGisAtlas kSharedAtlas{u"ui_atlas.png", kAtlasSize, kAtlasSize, 1, 0};
const TestGisAtlas kPlayAtlas{u"ui_avgmain.png", kPlayAtlasWidth, kPlayAtlasHeight, 1, 0};

void FillRect(TestImage& image, const Rect& rect, std::uint32_t fill, std::uint32_t line)
{
    for (std::int32_t y = 0; y < rect.height; ++y)
        for (std::int32_t x = 0; x < rect.width; ++x) {
            const bool edge = x < 2 || y < 2 || x + 2 >= rect.width || y + 2 >= rect.height;
            image.argb[std::size_t(rect.top + y) * image.width + std::size_t(rect.left + x)] = edge ? line : fill;
        }
}

Rect ChoiceLook(std::int32_t look)
{
    return Rect{0, look * kChoiceHeight, kChoiceWidth, kChoiceHeight};
}

Rect WaitFrame(std::int32_t frame)
{
    return Rect{frame * kWaitSize, kWaitTop, kWaitSize, kWaitSize};
}

// The choice button's looks (off, pressed, pointed at, not available) and the click-wait mark: a
// white triangle pointing down that bobs two pixels a frame.
TestImage PlayAtlas()
{
    TestImage image = TestImage::Solid(kPlayAtlasWidth, kPlayAtlasHeight, 0x00000000);
    FillRect(image, ChoiceLook(0), 0xC0182440, 0xFF8090B0);
    FillRect(image, ChoiceLook(1), 0xE0406090, 0xFFFFFFFF);
    FillRect(image, ChoiceLook(2), 0xE0283C68, 0xFFC0D0F0);
    FillRect(image, ChoiceLook(3), 0x80202020, 0xFF606060);
    constexpr std::int32_t kBob[kWaitFrames] = {0, 2, 4, 2};
    for (std::int32_t frame = 0; frame < kWaitFrames; ++frame) {
        const Rect cell = WaitFrame(frame);
        for (std::int32_t row = 0; row < 12; ++row) {
            const std::int32_t y = cell.top + 4 + kBob[frame] + row;
            for (std::int32_t x = cell.left + 2 + row; x < cell.left + kWaitSize - 2 - row; ++x)
                image.argb[std::size_t(y) * image.width + std::size_t(x)] = 0xFFFFFFFF;
        }
    }
    return image;
}

}  // namespace

bool WriteDemoImageSets(const std::filesystem::path& gameFolder)
{
    const std::filesystem::path folder = gameFolder / "uigis";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return false;
    const TestImage atlas =
        TestImage::Quadrants(kAtlasSize, kAtlasSize, 0xFF3060C0, 0xFF60C030, 0xFFC03060, 0xFFE0E0E0);
    bool written = WriteImageFile((folder / "ui_atlas.png").string(), BuildPng(PngSpecRgba8(atlas)));
    written = WriteImageFile((folder / "ui_avgmain.png").string(), BuildPng(PngSpecRgba8(PlayAtlas()))) && written;
    written = WriteImageSetFile((folder / "ui_common.gis").string(),
                                Set(kSharedAtlas, {Origin(u"button.png", {0, 1}), Origin(u"cursor.png", {3})}),
                                TestContentForm::kBinary) && written;
    std::vector<Rect> waitFrames;
    for (std::int32_t frame = 0; frame < kWaitFrames; ++frame)
        waitFrames.push_back(WaitFrame(frame));
    written = WriteImageSetFile(
                  (folder / "ui_avgmain.gis").string(),
                  Set(kPlayAtlas,
                      {Origin(u"btn_select_off.png", kPlayAtlasWidth, kPlayAtlasHeight, {ChoiceLook(0)}),
                       Origin(u"btn_select_on.png", kPlayAtlasWidth, kPlayAtlasHeight, {ChoiceLook(1)}),
                       Origin(u"btn_select_over.png", kPlayAtlasWidth, kPlayAtlasHeight, {ChoiceLook(2)}),
                       Origin(u"btn_select_na.png", kPlayAtlasWidth, kPlayAtlasHeight, {ChoiceLook(3)}),
                       Origin(u"icon_wait.png", kPlayAtlasWidth, kPlayAtlasHeight, waitFrames)}),
                  TestContentForm::kBinary) && written;
    written = WriteImageSetFile((folder / "ui_iconpool.gis").string(),
                                Set(kSharedAtlas, {Origin(u"icon_save.png", {0}), Origin(u"icon_load.png", {1}),
                                                   Origin(u"icon_config.png", {2})}),
                                TestContentForm::kText) && written;
    return written;
}
