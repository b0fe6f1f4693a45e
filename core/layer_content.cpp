#include "core/layer_content.h"

#include "core/core.h"
#include "core/layer_graphics.h"
#include "core/game_services.h"
#include "core/motion_services.h"
#include "core/movie_services.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"

#include <algorithm>
#include <limits>

namespace {

constexpr float kEmptyMin = std::numeric_limits<float>::max();
constexpr float kEmptyMax = -std::numeric_limits<float>::max();

// A size read from a saved game as the texture creation takes it: never negative.
std::uint32_t SizeArgument(std::int32_t value)
{
    return static_cast<std::uint32_t>(std::max(value, 0));
}

}  // namespace

// ---- bounds record -------------------------------------------------------------------------

GxLayerBoundsRecord::GxLayerBoundsRecord()
{
    InitLayerBoundsRecord(*this);
}

void InitLayerBoundsRecord(GxLayerBoundsRecord& record)
{
    ClearLayerBoundsRecord(record);
}

void ClearLayerBoundsRecord(GxLayerBoundsRecord& record)
{
    for (int i = 0; i < 3; ++i) {
        record.m_Origin[i] = 0.0f;
        record.m_Min[i] = kEmptyMin;
        record.m_Max[i] = kEmptyMax;
        record.m_Extra[i] = 0.0f;
    }
    record.m_pSnapShot.reset();
}

// ---- sub-layer -----------------------------------------------------------------------------

GxSubLayerContent::GxSubLayerContent() = default;

GxSubLayerContent::~GxSubLayerContent() = default;

bool GxSubLayerContent::WriteState(GxContentWriterBase& writer)
{
    bool ok = writer.WriteBool("m_Visible", m_Visible);
    ok = writer.WriteS32("m_Alpha", m_Alpha) && ok;
    ok = writer.WriteWString("m_ContentFileName", m_ContentFileName) && ok;
    ok = writer.WriteS32("m_Width", m_Width) && ok;
    ok = writer.WriteS32("m_Height", m_Height) && ok;
    ok = writer.WriteVector2("m_OffsetPos", &m_OffsetPos) && ok;
    return ok;
}

bool GxSubLayerContent::ReadState(GxContentReaderBase& reader)
{
    Clear();
    reader.ReadBool("m_Visible", &m_Visible);
    reader.ReadS32("m_Alpha", &m_Alpha);
    reader.ReadWString("m_ContentFileName", m_ContentFileName);
    reader.ReadS32("m_Width", &m_Width);
    reader.ReadS32("m_Height", &m_Height);
    reader.ReadVector2("m_OffsetPos", &m_OffsetPos);
    return reader.GetErrorCount() == 0;
}

void GxSubLayerContent::Clear()
{
    m_pTexture.reset();
    m_Visible = false;
    m_Alpha = 255;
    m_ContentFileName.clear();
    m_Width = 0;
    m_Height = 0;
    m_OffsetPos = GxVector2(0.0f, 0.0f);
}

bool GxSubLayerContent::Load(const std::u16string& file)
{
    Clear();
    if (file.empty())
        return false;
    m_ContentFileName = file;
    return LoadOwnFile();
}

bool GxSubLayerContent::LoadOwnFile()
{
    if (m_ContentFileName.empty())
        return false;
    m_pTexture.reset(GetLayerGraphics()->NewTextureFlex());
    const bool loaded = m_pTexture->CreateFromFile(m_ContentFileName, D3DFMT_A4R4G4B4, 0);
    m_Width = static_cast<std::int32_t>(m_pTexture->GetImageWidth());
    m_Height = static_cast<std::int32_t>(m_pTexture->GetImageHeight());
    return loaded;
}

// ---- content -------------------------------------------------------------------------------

GxLayerContent::GxLayerContent() = default;

GxLayerContent::~GxLayerContent()
{
    Clear();
    m_pSubLayerList.clear();
}

GxTexture* GxLayerContent::GetTexture() const
{
    return dynamic_cast<GxTexture*>(m_pTexture.get());
}

GxTextureMovie* GxLayerContent::GetMovieTexture() const
{
    return dynamic_cast<GxTextureMovie*>(m_pTexture.get());
}

bool GxLayerContent::HasValidChannel() const
{
    return m_MyChannel < kMovieSlotCount;
}

void GxLayerContent::Clear()
{
    if (m_pProject) {
        ReleaseNcProject(m_pProject);
        m_pProject = nullptr;
    }
    if (m_pImageSet) {
        ReleaseCrammedImageSet(m_pImageSet);
        m_pImageSet = nullptr;
    }
    m_pPatternGroup = nullptr;
    m_pImageTexture.reset();
    // The slot stops feeding the texture before the texture goes.
    if (m_ContentType == kLayerContentMovie && HasValidChannel()) {
        LayerMovieSlotStop(m_MyChannel);
        LayerMovieSlotClose(m_MyChannel);
    }
    m_pTexture.reset();
    ClearLayerBoundsRecord(m_Bounds);

    m_Alpha = 255;
    m_ContentType = kLayerContentNone;
    m_FrameCount = 0;
    m_ContentFileName.clear();
    m_MultiContentFileName.clear();
    m_ImageName.clear();
    m_PatternIndex = 0;
    m_MotionGroupName.clear();
    m_MotionName.clear();
    m_MatWorld.SetIdentity();
    m_SolidColor = GxFColor(1.0f, 1.0f, 1.0f, 1.0f);
    m_Width = 0;
    m_Height = 0;
    m_LoopStartPos = 0.0;
    m_MovieCurrentTime = 0.0;
    m_LoopCount = 0;
    m_MovieAutoDisappear = true;
    for (const std::unique_ptr<GxSubLayerContent>& subLayer : m_pSubLayerList)
        subLayer->Clear();
}

bool GxLayerContent::LoadContent(GxCore* core)
{
    LoadSubLayers();
    GxLayerGraphicsBase* graphics = GetLayerGraphics();
    switch (m_ContentType) {
    case kLayerContentMotion: {
        // A second load must not strand the reference taken by the first.
        ReleaseNcProject(m_pProject);
        m_pProject = GetNcProject(m_ContentFileName, m_ImageName, 1);
        return m_pProject != nullptr;
    }
    case kLayerContentImageSet: {
        ReleaseCrammedImageSet(m_pImageSet);
        m_pPatternGroup = nullptr;
        m_pImageSet = GetCrammedImageSet(m_ContentFileName, 1);
        if (!m_pImageSet)
            return false;
        // Drawing needs the pattern group, which the saved record names by m_ImageName.
        if (GxMotionServicesBase* motion = GetMotionServices())
            m_pPatternGroup = motion->FindPatternGroup(m_pImageSet, m_ImageName);
        return true;
    }
    case kLayerContentImage: {
        std::u16string file = m_ContentFileName;
        if (!ResolveGameImageFile(file))
            file = core ? core->GetConfig().m_ErrorImageFile : std::u16string();
        m_pImageTexture.reset(graphics->NewTextureFlex());
        return m_pImageTexture->CreateFromFile(file, D3DFMT_UNKNOWN, 0);
    }
    case kLayerContentMovie: {
        // Layers only ever use slots 1 and 2; anything past the slot table is a damaged record.
        if (!HasValidChannel()) {
            LogPrint(u"Error/GxLayerContent LoadContent Failed(Name:\"%s\" MovieSlot:%u)\n", m_ContentFileName.c_str(),
                     m_MyChannel);
            return false;
        }
        GxTextureMovie* texture = graphics->NewTextureMovie();
        m_pTexture.reset(texture);
        texture->Create(m_ContentFileName, SizeArgument(m_Width), SizeArgument(m_Height), D3DFMT_UNKNOWN, 0, false);
        if (!LayerMovieSlotOpen(m_MyChannel, m_ContentFileName, texture, 1, 0))
            return false;
        LayerMovieSlotSetLoopStart(m_MyChannel, m_LoopStartPos);
        LayerMovieSlotSetPosition(m_MyChannel, m_MovieCurrentTime);
        LayerMovieSlotPlay(m_MyChannel, m_LoopCount, core ? core->GetMovieAttenuation() : 0);
        return true;
    }
    case kLayerContentBlankTexture: {
        GxTexture* texture = graphics->NewTexture();
        m_pTexture.reset(texture);
        return texture->CreateTexture(u"", SizeArgument(m_Width), SizeArgument(m_Height), D3DFMT_A8R8G8B8, 1);
    }
    case kLayerContentImageFile: {
        GxTexture* texture = graphics->NewTexture();
        m_pTexture.reset(texture);
        if (!m_ContentFileName.empty())
            return texture->CreateFromFile(m_ContentFileName, D3DFMT_UNKNOWN, 1, 0, false);
        if (!m_MultiContentFileName.empty())
            return texture->CreateFromFileMultiBlend(m_MultiContentFileName.front(), m_MultiContentFileName,
                                                     D3DFMT_UNKNOWN, 1);
        return false;
    }
    default:
        return true;
    }
}

void GxLayerContent::SetSubLayerCount(std::int32_t count)
{
    m_pSubLayerList.clear();
    for (std::int32_t i = 0; i < count; ++i)
        m_pSubLayerList.push_back(std::make_unique<GxSubLayerContent>());
}

void GxLayerContent::LoadSubLayers()
{
    for (const std::unique_ptr<GxSubLayerContent>& subLayer : m_pSubLayerList)
        subLayer->LoadOwnFile();
}

GxSubLayerContent* GxLayerContent::GetSubLayer(std::int32_t index) const
{
    if (index < 0 || index >= GetSubLayerCount())
        return nullptr;
    return m_pSubLayerList[static_cast<std::size_t>(index)].get();
}

bool GxLayerContent::WriteState(GxContentWriterBase& writer)
{
    bool ok = writer.WriteS32("m_ContentType", m_ContentType);
    ok = writer.WriteS32("m_Alpha", m_Alpha) && ok;
    ok = writer.WriteWString("m_ContentFileName", m_ContentFileName) && ok;
    const auto nameCount = static_cast<std::uint32_t>(m_MultiContentFileName.size());
    ok = writer.WriteListBegin("m_MultiContentFileName", "", nameCount) && ok;
    for (const std::u16string& name : m_MultiContentFileName) {
        writer.WriteListElementBegin();
        ok = writer.WriteWString("", name) && ok;
        writer.WriteListElementEnd();
    }
    ok = writer.WriteListEnd() && ok;
    ok = writer.WriteS32("m_Width", m_Width) && ok;
    ok = writer.WriteS32("m_Height", m_Height) && ok;
    ok = writer.WriteWString("m_ImageName", m_ImageName) && ok;
    ok = writer.WriteS32("m_PatternIndex", m_PatternIndex) && ok;
    ok = writer.WriteS32("m_FrameCount", m_FrameCount) && ok;
    ok = writer.WriteWString("m_MotionGroupName", m_MotionGroupName) && ok;
    ok = writer.WriteWString("m_MotionName", m_MotionName) && ok;
    ok = writer.WriteMatrix("m_MatWorld", &m_MatWorld) && ok;
    ok = writer.WriteFColor("m_SolidColor", &m_SolidColor) && ok;
    ok = writer.WriteU32("m_MyChannel", m_MyChannel) && ok;
    ok = writer.WriteS32("m_LoopCount", m_LoopCount) && ok;
    ok = writer.WriteF64("m_LoopStartPos", m_LoopStartPos) && ok;
    ok = writer.WriteF64("m_MovieCurrentTime", m_MovieCurrentTime) && ok;
    ok = writer.WriteBool("m_MovieAutoDisappear", m_MovieAutoDisappear) && ok;
    ok = writer.WriteListBegin("m_pSubLayerList", "", static_cast<std::uint32_t>(m_pSubLayerList.size())) && ok;
    for (const std::unique_ptr<GxSubLayerContent>& subLayer : m_pSubLayerList) {
        writer.WriteListElementBegin();
        ok = subLayer->WriteState(writer) && ok;
        writer.WriteListElementEnd();
    }
    ok = writer.WriteListEnd() && ok;
    return ok;
}

bool GxLayerContent::ReadState(GxContentReaderBase& reader)
{
    Clear();
    reader.ReadS32("m_ContentType", &m_ContentType);
    reader.ReadS32("m_Alpha", &m_Alpha);
    reader.ReadWString("m_ContentFileName", m_ContentFileName);

    std::uint32_t count = 0;
    if (reader.ReadListBegin("m_MultiContentFileName", &count)) {
        // The stored counts are not trusted: elements are taken one by one until one fails.
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int32_t errors = reader.GetErrorCount();
            reader.ReadListElementBegin();
            std::u16string name = reader.ReadWString("");
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            m_MultiContentFileName.push_back(std::move(name));
        }
        reader.ReadListEnd();
    }
    reader.ReadS32("m_Width", &m_Width);
    reader.ReadS32("m_Height", &m_Height);
    reader.ReadWString("m_ImageName", m_ImageName);
    reader.ReadS32("m_PatternIndex", &m_PatternIndex);
    reader.ReadS32("m_FrameCount", &m_FrameCount);
    reader.ReadWString("m_MotionGroupName", m_MotionGroupName);
    reader.ReadWString("m_MotionName", m_MotionName);
    reader.ReadMatrix("m_MatWorld", &m_MatWorld);
    reader.ReadFColor("m_SolidColor", &m_SolidColor);
    reader.ReadU32("m_MyChannel", &m_MyChannel);
    reader.ReadS32("m_LoopCount", &m_LoopCount);
    reader.ReadF64("m_LoopStartPos", &m_LoopStartPos);
    reader.ReadF64("m_MovieCurrentTime", &m_MovieCurrentTime);
    reader.ReadBool("m_MovieAutoDisappear", &m_MovieAutoDisappear);

    m_pSubLayerList.clear();
    count = 0;
    if (reader.ReadListBegin("m_pSubLayerList", &count)) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int32_t errors = reader.GetErrorCount();
            auto subLayer = std::make_unique<GxSubLayerContent>();
            reader.ReadListElementBegin();
            subLayer->ReadState(reader);
            reader.ReadListElementEnd();
            if (reader.GetErrorCount() != errors)
                break;
            m_pSubLayerList.push_back(std::move(subLayer));
        }
        reader.ReadListEnd();
    }
    return reader.GetErrorCount() == 0;
}
