#include "tests/support/ui/harness/widget_image_set.h"

#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"

#include <algorithm>

TestUIImageSets::TestUIImageSets(const std::filesystem::path& folder)
    : m_Folder(folder), m_Previous(std::filesystem::current_path())
{
    std::filesystem::current_path(m_Folder);
}

TestUIImageSets::~TestUIImageSets()
{
    GetImageSetPool().ReleaseAllImageSets();
    GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
    std::filesystem::current_path(m_Previous);
}

bool WriteTestUIImageSet(const std::filesystem::path& path, const std::vector<TestUICell>& cells)
{
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    const std::string stem = path.stem().string();
    TestImageSetSpec spec;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const TestUICell& cell = cells[i];
        const std::string atlas = stem + "_" + std::to_string(i) + ".png";
        const auto width = static_cast<std::uint32_t>(std::max(cell.width, 1));
        const auto height = static_cast<std::uint32_t>(std::max(cell.height, 1));
        if (!WriteImageFile((path.parent_path() / atlas).string(),
                            BuildPng(PngSpecRgba8(TestImage::Solid(width, height, cell.argb)))))
            return false;
        spec.atlases.push_back(TestGisAtlas{Utf8ToWide(atlas), cell.width, cell.height, 1, 0});
        TestGisOrigin origin;
        origin.fileName = cell.name;
        origin.width = cell.width;
        origin.height = cell.height;
        for (std::int32_t n = 0; n < cell.patterns; ++n) {
            TestGisPattern pattern;
            pattern.width = cell.width;
            pattern.height = cell.height;
            pattern.crammedImageIndex = static_cast<std::int32_t>(i);
            pattern.crammedWidth = cell.width;
            pattern.crammedHeight = cell.height;
            pattern.crammedRawUV = GxFRect{0.0f, 0.0f, 1.0f, 1.0f};
            origin.patterns.push_back(pattern);
        }
        spec.origins.push_back(origin);
    }
    return WriteImageSetFile(path.string(), spec, TestContentForm::kBinary);
}

bool TestUIImageSets::Write(const std::string& file, const std::vector<TestUICell>& cells)
{
    return WriteTestUIImageSet(m_Folder / file, cells);
}

bool TestUIImageSets::Add(const std::string& file, const std::vector<TestUICell>& cells)
{
    return Write(file, cells) && GetImageSetPool().AddImageSet(Utf8ToWide(file)) != nullptr;
}
