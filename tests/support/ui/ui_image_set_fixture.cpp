#include "tests/support/ui/ui_image_set_fixture.h"

#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <algorithm>

std::u16string AddTestUIImageSet(const std::filesystem::path& folder, const std::string& title,
                                 const std::vector<TestUICell>& cells)
{
    std::int32_t width = 1;
    std::int32_t height = 0;
    for (const TestUICell& cell : cells) {
        width = std::max(width, cell.width);
        height += cell.height;
    }
    height = std::max(height, 1);
    const std::string atlasName = title + "_atlas.png";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!WriteImageFile((folder / atlasName).string(),
                        BuildPng(PngSpecRgba8(TestImage::Solid(static_cast<std::uint32_t>(width),
                                                               static_cast<std::uint32_t>(height), 0xFF336699)))))
        return std::u16string();

    TestImageSetSpec spec;
    spec.atlases.push_back(TestGisAtlas{Utf8ToWide(atlasName), width, height, static_cast<std::int32_t>(cells.size()), 0});
    std::int32_t top = 0;
    for (const TestUICell& cell : cells) {
        TestGisOrigin origin;
        origin.fileName = cell.fileName;
        origin.width = cell.width;
        origin.height = cell.height;
        TestGisPattern pattern;
        pattern.width = cell.width;
        pattern.height = cell.height;
        pattern.crammedTop = top;
        pattern.crammedWidth = cell.width;
        pattern.crammedHeight = cell.height;
        pattern.crammedRawUV = GxFRect{0.0f, static_cast<float>(top) / static_cast<float>(height),
                                       static_cast<float>(cell.width) / static_cast<float>(width),
                                       static_cast<float>(top + cell.height) / static_cast<float>(height)};
        origin.patterns.push_back(pattern);
        spec.origins.push_back(origin);
        top += cell.height;
    }
    const std::filesystem::path path = folder / (title + ".gis");
    if (!WriteImageSetFile(path.string(), spec, TestContentForm::kBinary))
        return std::u16string();
    const std::u16string name = Utf8ToWide(path.string());
    return GetImageSetPool().AddImageSet(name) ? name : std::u16string();
}

void ReleaseTestUIImageSets()
{
    GetImageSetPool().ReleaseAllImageSets();
    GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
}
