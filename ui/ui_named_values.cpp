#include "ui/ui_named_values.h"

#include "foundation/file.h"
#include "motion/crammed_image_set.h"

#include <map>

namespace {

std::map<std::u16string, GxNcOriginImage*>& Index()
{
    static std::map<std::u16string, GxNcOriginImage*> index;
    return index;
}

}  // namespace

void BuildUINameIndex(GxNcCrammedImageSet* set)
{
    if (!set)
        return;
    for (GxNcOriginImage& image : set->m_OriginImageArray)
        AddUINamedValue(GetFileTitleFromPath(image.m_FileName), &image);
}

bool AddUINamedValue(const std::u16string& name, GxNcOriginImage* cell)
{
    return Index().emplace(name, cell).second;
}

GxNcOriginImage* FindUINamedValue(const std::u16string& name)
{
    const auto found = Index().find(name);
    return found != Index().end() ? found->second : nullptr;
}

void ClearUINamedValues()
{
    Index().clear();
}
