#include "motion/crammed_image_set_factory.h"

#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/texture_factory.h"
#include "motion/crammed_image_set.h"

#include <algorithm>
#include <memory>

GxNcCrammedImageSetFactory::~GxNcCrammedImageSetFactory()
{
    ReleaseAllCrammedImageSets();
}

GxNcCrammedImageSet* GxNcCrammedImageSetFactory::GetCrammedImageSet(const std::u16string& name, bool loadTextures)
{
    GxMutexScopedLock lock(m_Lock);
    const std::u16string key = WideToLowerAscii(name);
    if (GxNcCrammedImageSet* found = m_Registry.AddRefExisting(key))
        return found;
    const std::u16string path = ChangeFileExtension(name, u".gis");
    GxBinBuffer buffer;
    GxFile::ReadWholeFile(buffer, path, false, false);
    return Load(key, path, buffer, loadTextures);
}

GxNcCrammedImageSet* GxNcCrammedImageSetFactory::GetCrammedImageSetFromBuffer(const std::u16string& name,
                                                                              const GxBinBuffer& buffer,
                                                                              bool loadTextures)
{
    GxMutexScopedLock lock(m_Lock);
    const std::u16string key = WideToLowerAscii(name);
    if (GxNcCrammedImageSet* found = m_Registry.AddRefExisting(key))
        return found;
    return Load(key, ChangeFileExtension(name, u".gis"), buffer, loadTextures);
}

GxNcCrammedImageSet* GxNcCrammedImageSetFactory::Load(const std::u16string& key, const std::u16string& path,
                                                      const GxBinBuffer& buffer, bool loadTextures)
{
    if (buffer.GetSize() == 0) {
        LogPrint(u"GetCrammedImageSet:Load Failed:%s\n", path.c_str());
        return nullptr;
    }
    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = nullptr;
    switch (buffer.GetFirstByte()) {
    case 'T':
        reader = std::make_unique<GxContentTextReader>(buffer, true);
        header = "TGIMGSET";
        break;
    case 'B':
        reader = std::make_unique<GxContentBinaryReader>(buffer, true);
        header = "BGIMGSET";
        break;
    default:
        return nullptr;   // no form of ours: silently not a set
    }
    std::uint32_t version = 0;
    if (!reader->ReadHeader(header, &version)) {
        LogPrint(u"GetCrammedImageSet:Load Failed:%s\n", path.c_str());
        return nullptr;
    }

    auto* imageSet = new GxNcCrammedImageSet(path, GetFolderFromPath(key));
    reader->ReadBool("m_EconomyMode", &imageSet->m_EconomyMode);
    imageSet->ReadCrammedImageSetBody(*reader, this);
    m_Registry.Add(key, imageSet);
    imageSet->LinkPatterns(this);
    if (loadTextures)
        imageSet->LoadAttachedTexture(imageSet->GetFolder());
    else
        m_PendingTextureList.push_back(imageSet);
    return imageSet;
}

GxNcCrammedImageSet* GxNcCrammedImageSetFactory::FindCrammedImageSet(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    return m_Registry.Find(name);
}

void GxNcCrammedImageSetFactory::ForgetPending(GxNcCrammedImageSet* imageSet)
{
    std::erase(m_PendingTextureList, imageSet);
}

void GxNcCrammedImageSetFactory::ReleaseCrammedImageSet(GxNcCrammedImageSet* imageSet)
{
    if (imageSet == nullptr)
        return;
    GxMutexScopedLock lock(m_Lock);
    m_Registry.Release(imageSet, [this](GxNcCrammedImageSet* set) { ForgetPending(set); });
}

void GxNcCrammedImageSetFactory::ReleaseCrammedImageSet(const std::u16string& name)
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.Release(name, [this](GxNcCrammedImageSet* set) { ForgetPending(set); });
}

void GxNcCrammedImageSetFactory::ReleaseAllCrammedImageSets()
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.ReleaseAll();
    m_PendingTextureList.clear();
}

std::int32_t GxNcCrammedImageSetFactory::GetPendingTextureCount()
{
    GxMutexScopedLock lock(m_Lock);
    return static_cast<std::int32_t>(m_PendingTextureList.size());
}

std::int32_t GxNcCrammedImageSetFactory::LoadNextPendingTextures()
{
    GxMutexScopedLock lock(m_Lock);
    if (!m_PendingTextureList.empty()) {
        GxNcCrammedImageSet* imageSet = m_PendingTextureList.front();
        m_PendingTextureList.erase(m_PendingTextureList.begin());
        imageSet->LoadAttachedTexture(imageSet->GetFolder());
    }
    return static_cast<std::int32_t>(m_PendingTextureList.size());
}

std::int32_t GxNcCrammedImageSetFactory::LoadAllPendingTextures()
{
    GxMutexScopedLock lock(m_Lock);
    for (GxNcCrammedImageSet* imageSet : m_PendingTextureList)
        imageSet->LoadAttachedTexture(imageSet->GetFolder());
    m_PendingTextureList.clear();
    return 0;
}

GxNcOriginImage* GxNcCrammedImageSetFactory::FindOriginImage(const std::u16string& setName,
                                                             const std::u16string& fileName)
{
    GxMutexScopedLock lock(m_Lock);
    GxNcCrammedImageSet* imageSet = m_Registry.Find(setName);
    return imageSet != nullptr ? imageSet->FindOriginImage(fileName) : nullptr;
}

void GxNcCrammedImageSetFactory::ReportUnreleasedImageSets()
{
    GxMutexScopedLock lock(m_Lock);
    m_Registry.ReportUnreleased();
}

std::int32_t GxNcCrammedImageSetFactory::GetCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Registry.Count();
}

GxNcCrammedImageSetFactory& GetCrammedImageSetFactory()
{
    // The texture factory is made first so that it outlives this one, whose destructor gives
    // textures back to it.
    GetTextureFactory();
    static GxNcCrammedImageSetFactory factory;
    return factory;
}
