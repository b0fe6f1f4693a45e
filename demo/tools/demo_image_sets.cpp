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
    written = WriteImageSetFile((folder / "ui_common.gis").string(),
                                Set(kSharedAtlas, {Origin(u"button.png", {0, 1}), Origin(u"cursor.png", {3})}),
                                TestContentForm::kBinary) && written;
    written = WriteImageSetFile((folder / "ui_iconpool.gis").string(),
                                Set(kSharedAtlas, {Origin(u"icon_save.png", {0}), Origin(u"icon_load.png", {1}),
                                                   Origin(u"icon_config.png", {2})}),
                                TestContentForm::kText) && written;
    return written;
}
