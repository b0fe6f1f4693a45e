#include "motion/crammed_image_set.h"

#include "foundation/content.h"
#include "foundation/log.h"
#include "foundation/mutex.h"
#include "graphics/texture.h"
#include "graphics/texture_factory.h"
#include "motion/crammed_image_set_factory.h"
#include "motion/list_count.h"

#include <utility>

namespace {

// Fewest stored bytes of one element: a type byte per value at least.
constexpr std::uint32_t kCrammedImageBytes = 5;
constexpr std::uint32_t kOriginImageBytes = 7;
constexpr std::uint32_t kPatternBytes = 15;

}  // namespace

// ---- atlas record ------------------------------------------------------------------------------

GxNcCrammedImage::~GxNcCrammedImage()
{
    Clear();
}

GxNcCrammedImage::GxNcCrammedImage(GxNcCrammedImage&& other) noexcept
    : m_FileName(std::move(other.m_FileName)),
      m_ImageWidth(other.m_ImageWidth),
      m_ImageHeight(other.m_ImageHeight),
      m_Count(other.m_Count),
      m_PreserveFlag(other.m_PreserveFlag),
      m_pTexture(std::exchange(other.m_pTexture, nullptr))
{
}

GxNcCrammedImage& GxNcCrammedImage::operator=(GxNcCrammedImage&& other) noexcept
{
    if (this != &other) {
        Clear();
        m_FileName = std::move(other.m_FileName);
        m_ImageWidth = other.m_ImageWidth;
        m_ImageHeight = other.m_ImageHeight;
        m_Count = other.m_Count;
        m_PreserveFlag = other.m_PreserveFlag;
        m_pTexture = std::exchange(other.m_pTexture, nullptr);
    }
    return *this;
}

void GxNcCrammedImage::Clear()
{
    m_FileName.clear();
    m_ImageWidth = 0;
    m_ImageHeight = 0;
    m_Count = 0;
    m_PreserveFlag = 0;
    if (m_pTexture != nullptr) {
        GetTextureFactory().Release(m_pTexture);
        m_pTexture = nullptr;
    }
}

// ---- the set -----------------------------------------------------------------------------------

GxNcCrammedImageSet::GxNcCrammedImageSet(std::u16string path, std::u16string folder)
    : m_Path(std::move(path)), m_Folder(std::move(folder))
{
}

GxNcCrammedImageSet::~GxNcCrammedImageSet()
{
    Empty();
}

std::uint32_t GxNcCrammedImageSet::Release()
{
    if (m_RefCount > 0) {
        --m_RefCount;
        if (m_RefCount == 0)
            Empty();
    }
    return m_RefCount;
}

void GxNcCrammedImageSet::Empty()
{
    m_Path.clear();
    m_Folder.clear();
    m_OriginImageArray.clear();
    m_CrammedImageArray.clear();   // each record gives its texture back
}

GxNcOriginImage* GxNcCrammedImageSet::FindOriginImage(const std::u16string& fileName)
{
    for (GxNcOriginImage& image : m_OriginImageArray) {
        if (image.m_FileName == fileName)
            return &image;
    }
    return nullptr;
}

bool GxNcCrammedImageSet::LoadAttachedTexture(const std::u16string& folder)
{
    const D3DFORMAT format = m_EconomyMode ? D3DFMT_A4R4G4B4 : D3DFMT_A8R8G8B8;
    for (GxNcCrammedImage& atlas : m_CrammedImageArray) {
        if (atlas.m_pTexture != nullptr)
            continue;   // already loaded: a second call must not take a second reference
        const std::u16string name = folder + atlas.m_FileName;
        GxTextureBase* created = GetTextureFactory().Create(name, kTextureKindFile, 0, 0, 0, format, 1, false);
        atlas.m_pTexture = dynamic_cast<GxTexture*>(created);
        if (atlas.m_pTexture == nullptr) {
            if (created != nullptr)
                GetTextureFactory().Release(created);   // a texture of another kind under that name
            LogPrint(u"LoadAttachedTexture:Load Failed:%s\n", name.c_str());
        }
    }
    return true;
}

void GxNcCrammedImageSet::ReadCrammedImageSetBody(GxContentReaderBase& reader, GxNcCrammedImageSetFactory* factory)
{
    GxMutexScopedLock lock(factory != nullptr ? &factory->GetLock() : nullptr);

    const std::uint32_t crammedCount = ReadListCount(reader, "m_CrammedImageArray");
    m_CrammedImageArray.reserve(m_CrammedImageArray.size() + ReservableCount(reader, crammedCount, kCrammedImageBytes));
    for (std::uint32_t i = 0; i < crammedCount; ++i) {
        reader.ReadListElementBegin();
        GxNcCrammedImage atlas;
        reader.ReadWString("m_FileName", atlas.m_FileName);
        reader.ReadS32("m_ImageWidth", &atlas.m_ImageWidth);
        reader.ReadS32("m_ImageHeight", &atlas.m_ImageHeight);
        reader.ReadS32("m_Count", &atlas.m_Count);
        reader.ReadU32("m_PreserveFlag", &atlas.m_PreserveFlag);
        m_CrammedImageArray.push_back(std::move(atlas));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();

    const std::uint32_t originCount = ReadListCount(reader, "m_OriginImageArray");
    m_OriginImageArray.reserve(m_OriginImageArray.size() + ReservableCount(reader, originCount, kOriginImageBytes));
    for (std::uint32_t i = 0; i < originCount; ++i) {
        reader.ReadListElementBegin();
        GxNcOriginImage origin;
        reader.ReadWString("m_FileName", origin.m_FileName);
        std::int32_t patternCount = 0;   // the list's own count is the one that counts
        reader.ReadS32("m_PatternCount", &patternCount);
        reader.ReadS32("m_ImageWidth", &origin.m_ImageWidth);
        reader.ReadS32("m_ImageHeight", &origin.m_ImageHeight);
        reader.ReadU32("m_PreserveFlag", &origin.m_PreserveFlag);
        const std::uint32_t count = ReadListCount(reader, "m_PatternArray");
        origin.m_PatternArray.reserve(ReservableCount(reader, count, kPatternBytes));
        for (std::uint32_t p = 0; p < count; ++p) {
            reader.ReadListElementBegin();
            GxNcPattern pattern;
            reader.ReadS32("m_Left", &pattern.m_Left);
            reader.ReadS32("m_Top", &pattern.m_Top);
            reader.ReadS32("m_Width", &pattern.m_Width);
            reader.ReadS32("m_Height", &pattern.m_Height);
            reader.ReadS32("m_CrammedImageIndex", &pattern.m_CrammedImageIndex);
            reader.ReadS32("m_CrammedOffsetLeft", &pattern.m_CrammedOffsetLeft);
            reader.ReadS32("m_CrammedOffsetTop", &pattern.m_CrammedOffsetTop);
            reader.ReadS32("m_CrammedLeft", &pattern.m_CrammedLeft);
            reader.ReadS32("m_CrammedTop", &pattern.m_CrammedTop);
            reader.ReadS32("m_CrammedWidth", &pattern.m_CrammedWidth);
            reader.ReadS32("m_CrammedHeight", &pattern.m_CrammedHeight);
            reader.ReadF32("m_CenterPosX", &pattern.m_CenterPosX);
            reader.ReadF32("m_CenterPosY", &pattern.m_CenterPosY);
            // The one optional value: older files lack it, so the next value's type decides.
            if (reader.PeekValueType() == VALTYPE_GxFRect)
                reader.ReadFRect("m_CrammedRawUV", &pattern.m_CrammedRawUV);
            reader.ReadU32("m_NoCutoffFlag", &pattern.m_NoCutoffFlag);
            std::uint32_t selected = 0;
            reader.ReadU32("m_Selected", &selected);
            origin.m_PatternArray.push_back(pattern);
            reader.ReadListElementEnd();
        }
        reader.ReadListEnd();
        m_OriginImageArray.push_back(std::move(origin));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();
}

void GxNcCrammedImageSet::LinkPatterns(GxNcCrammedImageSetFactory* factory)
{
    GxMutexScopedLock lock(factory != nullptr ? &factory->GetLock() : nullptr);
    const std::size_t atlasCount = m_CrammedImageArray.size();
    for (GxNcOriginImage& origin : m_OriginImageArray) {
        for (std::size_t index = 0; index < origin.m_PatternArray.size(); ++index) {
            GxNcPattern& pattern = origin.m_PatternArray[index];
            const std::int32_t atlas = pattern.m_CrammedImageIndex;
            if (atlas >= 0 && static_cast<std::size_t>(atlas) < atlasCount) {
                pattern.m_pCrammedImage = &m_CrammedImageArray[static_cast<std::size_t>(atlas)];
            } else {
                pattern.m_pCrammedImage = nullptr;
                LogPrintWarning(u"画像が存在しません Pattern:%d Image:%s CrammedImageIndex:%d\n",
                                static_cast<int>(index), origin.m_FileName.c_str(), atlas);
            }
        }
    }
}
