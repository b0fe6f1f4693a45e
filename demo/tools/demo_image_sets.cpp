#include "demo/tools/demo_image_sets.h"

#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <cstdint>
#include <string>
#include <system_error>

namespace {

// The atlas: 64 by 64, four 32 by 32 cells of their own colour.
constexpr std::int32_t kAtlasSize = 64;
constexpr std::int32_t kCell = 32;

// An origin image of one cell-sized pattern per cell index given; origin names are lower case,
// as the layers look them up.
TestGisOrigin Origin(const std::u16string& name, std::initializer_list<std::int32_t> cells)
{
    TestGisOrigin origin;
    origin.fileName = name;
    origin.width = kCell;
    origin.height = kCell;
    for (const std::int32_t cell : cells) {
        TestGisPattern pattern;
        pattern.width = kCell;
        pattern.height = kCell;
        pattern.crammedImageIndex = 0;
        pattern.crammedLeft = (cell % 2) * kCell;
        pattern.crammedTop = (cell / 2) * kCell;
        pattern.crammedWidth = kCell;
        pattern.crammedHeight = kCell;
        pattern.centerPosX = kCell / 2.0f;
        pattern.centerPosY = kCell / 2.0f;
        const float size = static_cast<float>(kAtlasSize);
        pattern.crammedRawUV = GxFRect{pattern.crammedLeft / size, pattern.crammedTop / size,
                                       (pattern.crammedLeft + kCell) / size, (pattern.crammedTop + kCell) / size};
        origin.patterns.push_back(pattern);
    }
    return origin;
}

TestImageSetSpec Set(std::initializer_list<TestGisOrigin> origins)
{
    TestImageSetSpec spec;
    spec.atlases.push_back(TestGisAtlas{u"ui_atlas.png", kAtlasSize, kAtlasSize, 1, 0});
    spec.origins = origins;
    return spec;
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
    written = WriteImageSetFile((folder / "ui_common.gis").string(),
                                Set({Origin(u"button.png", {0, 1}), Origin(u"cursor.png", {3})}),
                                TestContentForm::kBinary) && written;
    written = WriteImageSetFile((folder / "ui_avgmain.gis").string(),
                                Set({Origin(u"msgwin.png", {2}), Origin(u"namewin.png", {3})}),
                                TestContentForm::kBinary) && written;
    written = WriteImageSetFile((folder / "ui_iconpool.gis").string(),
                                Set({Origin(u"icon_save.png", {0}), Origin(u"icon_load.png", {1}),
                                     Origin(u"icon_config.png", {2})}),
                                TestContentForm::kText) && written;
    return written;
}
