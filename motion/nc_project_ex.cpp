#include "motion/nc_project_ex.h"

#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "motion/crammed_image_set_factory.h"

GxNcProjectEx::~GxNcProjectEx()
{
    ReleaseImageSets();
    m_ProjectFolder.clear();
    m_ImageSetFolder.clear();
}

void GxNcProjectEx::ReleaseImageSets()
{
    for (const std::u16string& name : m_ImageSetList)
        GetCrammedImageSetFactory().ReleaseCrammedImageSet(name);
    m_ImageSetList.clear();
}

std::uint32_t GxNcProjectEx::Release()
{
    if (m_RefCount > 0) {
        --m_RefCount;
        if (m_RefCount == 0) {
            ReleaseImageSets();
            Clear();
            m_ProjectFolder.clear();
            m_ImageSetFolder.clear();
        }
    }
    return m_RefCount;
}

std::u16string GxNcProjectEx::PrepareLoad(const std::u16string& name, const std::u16string& imageSetFolder)
{
    Release();
    m_ProjectFolder = WideToLowerAscii(AppendPathSeparator(GetFolderFromPath(name), u'/'));
    m_ImageSetFolder = WideToLowerAscii(AppendPathSeparator(imageSetFolder, u'/'));
    return ChangeFileExtension(name, u".gnc");
}

bool GxNcProjectEx::FinishLoad(bool loaded, bool loadTextures)
{
    AddRef();
    if (!loaded)
        return false;
    GxNcCrammedImageSetFactory& factory = GetCrammedImageSetFactory();
    for (std::u16string& entry : m_ImageSetList) {
        entry = m_ImageSetFolder + GetFileNameFromPath(entry);
        // The factory keeps the reference; the project gives it back by name.
        factory.GetCrammedImageSet(entry, loadTextures);
    }
    ResolveMotionReferences();
    return true;
}

bool GxNcProjectEx::LoadFromName(const std::u16string& name, const std::u16string& imageSetFolder, bool loadTextures)
{
    const std::u16string file = PrepareLoad(name, imageSetFolder);
    const bool loaded = Load(file, m_ImageSetList);
    return FinishLoad(loaded, loadTextures);
}

bool GxNcProjectEx::LoadFromBuffer(const std::u16string& name, const std::u16string& imageSetFolder,
                                   const GxBinBuffer& buffer, bool loadTextures)
{
    PrepareLoad(name, imageSetFolder);
    const bool loaded = GxNcProject::LoadFromBuffer(buffer, m_ImageSetList);
    return FinishLoad(loaded, loadTextures);
}

void GxNcProjectEx::ResolveMotionReferences()
{
    for (const auto& group : m_MotionGroupList) {
        for (const auto& motion : group->m_MotionList) {
            for (const auto& layer : motion->m_LayerList) {
                for (GxNcImageKey& key : layer->m_ImageKeys) {
                    key.m_pOriginImage =
                        FindKeyImage(group->m_MotionGroupName, motion->m_MotionName, layer->m_LayerName, key);
                    key.m_pMotion = nullptr;
                    if (key.m_MotionGroupName.empty())
                        continue;
                    key.m_pMotion = GxFindNamePair(*this, key.m_MotionGroupName, key.m_MotionName);
                    if (key.m_pMotion == nullptr) {
                        LogPrintWarning(u"KeyFrameが存在しないモーションを参照しています MotionGroup:%s Motion:%s "
                                        u"Layer:%s Time:%d -> MotionGroup:%s Motion:%s\n",
                                        group->m_MotionGroupName.c_str(), motion->m_MotionName.c_str(),
                                        layer->m_LayerName.c_str(), key.m_Time, key.m_MotionGroupName.c_str(),
                                        key.m_MotionName.c_str());
                    }
                }
            }
        }
    }
}

GxNcOriginImage* GxNcProjectEx::FindKeyImage(const std::u16string& groupName, const std::u16string& motionName,
                                             const std::u16string& layerName, const GxNcImageKey& key)
{
    if (key.m_ImageSetName.empty() || key.m_ImageFileName.empty())
        return nullptr;
    GxNcOriginImage* image =
        GetCrammedImageSetFactory().FindOriginImage(m_ImageSetFolder + key.m_ImageSetName, key.m_ImageFileName);
    if (image == nullptr) {
        LogPrintWarning(u"画像が存在しません MotionGroup:%s Motion:%s Layer:%s Time:%d -> ImageSet:%s File:%s\n",
                        groupName.c_str(), motionName.c_str(), layerName.c_str(), key.m_Time,
                        key.m_ImageSetName.c_str(), key.m_ImageFileName.c_str());
    }
    return image;
}
