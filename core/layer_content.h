// GxLayerContent: what one picture layer shows: its kind, file names and the parameters of each
// kind, and the resources loaded for it (a motion project, an image-set pattern, an image with
// sub-layer images drawn over it at offsets, a solid colour, a movie, a blank texture or an image
// file). Contents write and read themselves by field name, so a saved game keeps exactly what
// each layer shows; reading restores the record only, LoadContent brings the resources back.
//
// Sections: bounds record | sub-layer | content
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GxCore;
class GxContentWriterBase;
class GxContentReaderBase;
class GxNcProjectEx;
class GxNcCrammedImageSet;
struct GxNcOriginImage;
class GxTexture;
class GxTextureBase;
class GxTextureFlex;
class GxTextureMovie;

// Content kinds (m_ContentType).
constexpr std::int32_t kLayerContentNone = 0;
constexpr std::int32_t kLayerContentMotion = 1;
constexpr std::int32_t kLayerContentImageSet = 2;
constexpr std::int32_t kLayerContentImage = 3;   // with sub-layers
constexpr std::int32_t kLayerContentEmpty = 4;
constexpr std::int32_t kLayerContentSolidColor = 5;
constexpr std::int32_t kLayerContentMovie = 6;
constexpr std::int32_t kLayerContentBlankTexture = 7;
constexpr std::int32_t kLayerContentImageFile = 8;

// ---- bounds record -------------------------------------------------------------------------

// One evaluated motion; the motion subsystem derives its own snapshot from it.
class GxNcMotionSnapShotBase {
public:
    virtual ~GxNcMotionSnapShotBase() = default;
};

// Where a motion evaluation leaves its result: an origin, the corners of what it covers and the
// evaluated motion, reused from frame to frame.
struct GxLayerBoundsRecord {
    GxLayerBoundsRecord();

    float m_Origin[3];
    float m_Min[3];     // the largest float while empty
    float m_Max[3];     // the lowest float while empty
    float m_Extra[3];   // filled by the motion evaluation
    std::unique_ptr<GxNcMotionSnapShotBase> m_pSnapShot;
};

void InitLayerBoundsRecord(GxLayerBoundsRecord& record);
void ClearLayerBoundsRecord(GxLayerBoundsRecord& record);

// ---- sub-layer -----------------------------------------------------------------------------

// One extra image drawn over an image content at an offset.
class GxSubLayerContent {
public:
    GxSubLayerContent();
    virtual ~GxSubLayerContent();
    GxSubLayerContent(const GxSubLayerContent&) = delete;
    GxSubLayerContent& operator=(const GxSubLayerContent&) = delete;

    // "m_Visible" Bool, "m_Alpha" S32, "m_ContentFileName" WString, "m_Width" S32, "m_Height" S32,
    // "m_OffsetPos" Vector2.
    virtual bool WriteState(GxContentWriterBase& writer);
    // Clears first; true when the reader has counted no error.
    virtual bool ReadState(GxContentReaderBase& reader);

    // Deletes the texture and returns every field to its default.
    void Clear();
    // Clears, then loads `file` (16-bit ARGB). False for an empty name or a failed load; the name
    // is kept either way.
    bool Load(const std::u16string& file);
    // Loads m_ContentFileName without clearing (for a sub-layer whose state was just read);
    // false for an empty name.
    bool LoadOwnFile();

    GxTextureFlex* GetTexture() const { return m_pTexture.get(); }

    std::unique_ptr<GxTextureFlex> m_pTexture;
    bool m_Visible = false;
    std::int32_t m_Alpha = 255;
    std::u16string m_ContentFileName;
    std::int32_t m_Width = 0;   // the loaded image's size
    std::int32_t m_Height = 0;
    GxVector2 m_OffsetPos;      // pixels from the content's image
};

// ---- content -------------------------------------------------------------------------------

class GxLayerContent {
public:
    GxLayerContent();
    // Clears, then deletes the sub-layers.
    virtual ~GxLayerContent();
    GxLayerContent(const GxLayerContent&) = delete;
    GxLayerContent& operator=(const GxLayerContent&) = delete;

    // The fields in saved order; the sub-layers as a list of their own records.
    virtual bool WriteState(GxContentWriterBase& writer);
    // Clears, then reads; no resource is loaded. The sub-layer list is grown one read element at
    // a time, so a damaged count cannot make it large. True when the reader has counted no error.
    virtual bool ReadState(GxContentReaderBase& reader);

    // Releases every resource (a movie content stops and closes its slot first) and returns every
    // field to its default except m_MyChannel; the sub-layers are cleared but kept.
    void Clear();
    // Loads the sub-layers from their names, then the resource of the current kind (see the kinds
    // above); kinds without a resource succeed. `core` gives the configuration.
    bool LoadContent(GxCore* core);
    // Deletes the sub-layers, then makes `count` empty ones (none for a negative count).
    void SetSubLayerCount(std::int32_t count);
    std::int32_t GetSubLayerCount() const { return static_cast<std::int32_t>(m_pSubLayerList.size()); }
    // Loads each sub-layer from its own name.
    void LoadSubLayers();
    // Null outside 0 .. count - 1.
    GxSubLayerContent* GetSubLayer(std::int32_t index) const;

    GxTextureFlex* GetImageTexture() const { return m_pImageTexture.get(); }
    // The texture of kinds 7 and 8, or null.
    GxTexture* GetTexture() const;
    // The texture of kind 6, or null.
    GxTextureMovie* GetMovieTexture() const;
    GxTextureBase* GetAnyTexture() const { return m_pTexture.get(); }
    // m_MyChannel names one of the movie slots.
    bool HasValidChannel() const;

    std::int32_t m_ContentType = kLayerContentNone;
    GxNcProjectEx* m_pProject = nullptr;          // counted reference of the motion factory
    GxNcCrammedImageSet* m_pImageSet = nullptr;   // counted reference of the image-set factory
    std::unique_ptr<GxTextureFlex> m_pImageTexture;
    std::unique_ptr<GxTextureBase> m_pTexture;    // a GxTexture, or a GxTextureMovie for kind 6
    GxLayerBoundsRecord m_Bounds;
    std::int32_t m_Alpha = 255;
    std::u16string m_ContentFileName;
    std::vector<std::u16string> m_MultiContentFileName;
    std::int32_t m_Width = 0;
    std::int32_t m_Height = 0;
    GxNcOriginImage* m_pPatternGroup = nullptr;  // belongs to the image set; not saved
    std::u16string m_ImageName;                   // image set of a motion, or pattern group name
    std::int32_t m_PatternIndex = 0;
    std::int32_t m_FrameCount = 0;
    std::u16string m_MotionGroupName;
    std::u16string m_MotionName;
    GxMatrix m_MatWorld;
    GxFColor m_SolidColor;
    std::uint32_t m_MyChannel = 0;                // movie slot
    std::int32_t m_LoopCount = 0;
    double m_LoopStartPos = 0.0;                  // seconds
    double m_MovieCurrentTime = 0.0;              // seconds
    bool m_MovieAutoDisappear = true;
    std::vector<std::unique_ptr<GxSubLayerContent>> m_pSubLayerList;   // in drawing order
};
