#include "tests/support/ui/ui_image_set_fixture.h"

#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/image_set_pool.h"

std::u16string AddTestUIImageSet(const std::filesystem::path& folder, const std::string& title,
                                 const std::vector<TestUICell>& cells)
{
    const std::filesystem::path path = folder / (title + ".gis");
    if (!WriteTestUIImageSet(path, cells))
        return std::u16string();
    const std::u16string name = Utf8ToWide(path.string());
    return GetImageSetPool().AddImageSet(name) ? name : std::u16string();
}

void ReleaseTestUIImageSets()
{
    GetImageSetPool().ReleaseAllImageSets();
    GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
}
