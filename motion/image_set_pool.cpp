#include "motion/image_set_pool.h"

#include "foundation/log.h"
#include "motion/crammed_image_set_factory.h"

GxNcCrammedImageSet* GxNcImageSetPool::AddImageSet(const std::u16string& name)
{
    if (auto found = m_Pool.find(name); found != m_Pool.end())
        return found->second;
    GxNcCrammedImageSet* imageSet = GetCrammedImageSetFactory().GetCrammedImageSet(name, true);
    if (imageSet == nullptr) {
        LogPrint(u"GxNcImageSetPool::Add イメージセット読み込み失敗[%s]\n", name.c_str());
        return nullptr;
    }
    m_Pool.emplace(name, imageSet);
    return imageSet;
}

bool GxNcImageSetPool::ReleaseImageSet(const std::u16string& name)
{
    auto found = m_Pool.find(name);
    if (found == m_Pool.end()) {
        LogPrint(u"GxNcImageSetPool::Release 解放するイメージセットが見つからない[%s]\n", name.c_str());
        return false;
    }
    if (found->second != nullptr)
        GetCrammedImageSetFactory().ReleaseCrammedImageSet(found->second);
    m_Pool.erase(found);
    return true;
}

GxNcCrammedImageSet* GxNcImageSetPool::GetImageSet(const std::u16string& name) const
{
    auto found = m_Pool.find(name);
    return found != m_Pool.end() ? found->second : nullptr;
}

void GxNcImageSetPool::ReleaseAllImageSets()
{
    for (auto& [name, imageSet] : m_Pool) {
        if (imageSet != nullptr)
            GetCrammedImageSetFactory().ReleaseCrammedImageSet(imageSet);
    }
    m_Pool.clear();
}

GxNcImageSetPool& GetImageSetPool()
{
    static GxNcImageSetPool pool;
    return pool;
}
