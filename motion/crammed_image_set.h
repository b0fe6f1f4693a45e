// A crammed image set: origin images cut into patterns whose kept parts are packed into a few
// atlas images, described by a ".gis" file. The set holds the description and one texture per
// atlas; widgets and motion layers draw patterns from it by origin image name and pattern index.
// Sets are made, shared and deleted only by GxNcCrammedImageSetFactory.
#pragma once

#include "foundation/object_base.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string>
#include <vector>

class GxContentReaderBase;
class GxNcCrammedImageSetFactory;
class GxTexture;

// One atlas image. Emptying or destroying it gives its texture back to the texture factory.
class GxNcCrammedImage {
public:
    GxNcCrammedImage() = default;
    ~GxNcCrammedImage();
    GxNcCrammedImage(GxNcCrammedImage&& other) noexcept;
    GxNcCrammedImage& operator=(GxNcCrammedImage&& other) noexcept;
    GxNcCrammedImage(const GxNcCrammedImage&) = delete;
    GxNcCrammedImage& operator=(const GxNcCrammedImage&) = delete;

    void Clear();

    std::u16string m_FileName;   // relative to the set's folder
    std::int32_t m_ImageWidth = 0;
    std::int32_t m_ImageHeight = 0;
    std::int32_t m_Count = 0;
    std::uint32_t m_PreserveFlag = 0;
    GxTexture* m_pTexture = nullptr;   // one texture-factory reference while set
};

// One pattern of an origin image and where its kept part lies in which atlas.
struct GxNcPattern {
    std::int32_t m_Left = 0;
    std::int32_t m_Top = 0;
    std::int32_t m_Width = 0;
    std::int32_t m_Height = 0;
    std::int32_t m_CrammedImageIndex = -1;   // -1: in no atlas
    std::int32_t m_CrammedOffsetLeft = 0;
    std::int32_t m_CrammedOffsetTop = 0;
    std::int32_t m_CrammedLeft = 0;
    std::int32_t m_CrammedTop = 0;
    std::int32_t m_CrammedWidth = 0;
    std::int32_t m_CrammedHeight = 0;
    float m_CenterPosX = 0.0f;
    float m_CenterPosY = 0.0f;
    GxFRect m_CrammedRawUV;   // only when the file carries it
    std::uint32_t m_NoCutoffFlag = 0;
    GxNcCrammedImage* m_pCrammedImage = nullptr;   // set by linking; null for an invalid index
};

// One origin image; a pattern's index is its position in m_PatternArray.
struct GxNcOriginImage {
    std::u16string m_FileName;   // the key of FindOriginImage, compared exactly
    std::int32_t m_ImageWidth = 0;
    std::int32_t m_ImageHeight = 0;
    std::uint32_t m_PreserveFlag = 0;
    std::vector<GxNcPattern> m_PatternArray;
    GxTexture* m_pTexture = nullptr;   // never set by the set itself
};

class GxNcCrammedImageSet : public GxObjectRefCountNotAutoDelete {
public:
    // `path` is the ".gis" path as requested, `folder` the folder of the lower-cased request.
    GxNcCrammedImageSet(std::u16string path, std::u16string folder);
    ~GxNcCrammedImageSet() override;

    // Count - 1 while above 0; at 0 the set empties itself (every atlas texture goes back).
    std::uint32_t Release() override;
    // The first origin image whose m_FileName equals `fileName` exactly, or null.
    virtual GxNcOriginImage* FindOriginImage(const std::u16string& fileName);
    // Requests every atlas texture as `folder` + its file name; a missing one is logged and the
    // others still load. Always true: the set stays usable.
    virtual bool LoadAttachedTexture(const std::u16string& folder);

    // The body after the header and m_EconomyMode; missing values keep their defaults. Holds the
    // factory's lock when one is given.
    void ReadCrammedImageSetBody(GxContentReaderBase& reader, GxNcCrammedImageSetFactory* factory);
    // Points every pattern at its atlas record, warning for an index outside the atlas list.
    void LinkPatterns(GxNcCrammedImageSetFactory* factory);

    const std::u16string& GetPath() const { return m_Path; }
    const std::u16string& GetFolder() const { return m_Folder; }

    std::vector<GxNcOriginImage> m_OriginImageArray;
    std::vector<GxNcCrammedImage> m_CrammedImageArray;
    bool m_EconomyMode = false;

private:
    void Empty();

    std::u16string m_Path;
    std::u16string m_Folder;
};
